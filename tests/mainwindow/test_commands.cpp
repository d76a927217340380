#include "foundation/widgets/func_karvo_widgets.h"
#include "mainwindow/links.h"
#include "mainwindow/widgets/ImageMap.h"
#include "mainwindow/widgets/hint_window.h"
#include "mainwindow/widgets/legendeliste.h"
#include "support/demo_install.h"
#include "support/opened_urls.h"
#include "support/window_input.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QToolButton>
#include <QTreeWidget>

using namespace support;

namespace {

// The demo installation, started in English with its data loaded.
class Commands : public DemoTest {
protected:
    void SetUp() override {
        install("[LANG]=English\r\n[DBDB]=Demo\r\n[EDIM]=Demo\r\n[DATU]=4\r\n[TIME]=2500\r\n"
                "[LODA]=245\r\n");
        ASSERT_TRUE(write_file_atomic(app.file("res/English/tips.txt"), "One\r\n\r\nThree\r\n"));
        form = std::make_unique<TForm4>(app.path());
        form->resize(900, 600);
        form->FormActivate();
    }
};

} // namespace

TEST_F(Commands, EveryCommandActsThroughItsTrigger) {
    TForm4& f = *form;
    f.show_on_map(f.zone_node(f.map_data->continents[0]->whole_zone_id), 0, 0, 0);
    ASSERT_FALSE(f.path_list.empty());
    int zoom = 0; // before the row
    int prefs_opened = 0;
    f.on_prefs_dialog = [&](TForm3&) { ++prefs_opened; };
    int editors = 0;
    f.on_point_editor = [&](TForm2&) { ++editors; };
    TreeNode* point = nullptr;
    std::string name;
    auto press = [&](QWidget* target, int code, const char* text = "") {
        return [this, target, code, text] { key(target, code, text); };
    };
    auto trigger = [&](const char* item) {
        return [&f, item] { menu_item(f.Affichage1, item)->trigger(); };
    };
    auto named = [&](const std::string& wanted) {
        int count = 0;
        for (TreeNode* n = f.points_tree.first(); n; n = TPointsTree::next(n))
            count += n->level == kLevelPoint && n->item()->name == wanted;
        return count;
    };
    struct Row {
        const char* command;
        std::function<void()> act;
        std::function<bool()> holds;
        std::function<void()> before = [] {};
    };
    const std::vector<Row> rows = {
        {"+ in the tree", press(f.MyTree, Qt::Key_Plus, "+"), [&] { return f.zoom > zoom; }},
        {"- in a level edit, which keeps its text", press(f.Edit_lvl_min, Qt::Key_Minus, "-"),
         [&] { return f.zoom < zoom && f.Edit_lvl_min->text() == "0"; }},
        {"a", press(&f, Qt::Key_A, "a"), [&] { return !f.markers_shown; }},
        {"A does nothing", press(&f, Qt::Key_A, "A"), [&] { return !f.markers_shown; }},
        {"l", press(f.ImageMap, Qt::Key_L, "l"), [&] { return !f.But_Leg->isChecked(); }},
        {"s", press(f.ImageMap, Qt::Key_S, "s"), [&] { return f.but_stitre->isChecked(); }},
        {"h", press(f.ImageMap, Qt::Key_H, "h"), [&] { return f.but_tips->isChecked(); }},
        {"m fits the zone under the mouse", press(f.ImageMap, Qt::Key_M, "m"),
         [&] {
             return f.zoom == 300 &&
                    f.map_view().worldtoscreen(zone_center(*f.mouse_zone)) == f.view_center();
         },
         [&] {
             f.mouse_zone = f.continent_zones.front();
             f.ImageMap->resize(400, 300);
         }},
        {"z", press(f.ImageMap, Qt::Key_Z, "z"), [&] { return f.zoom == 1024; }},
        {"f centres the selected point", press(f.ImageMap, Qt::Key_F, "f"),
         [&] {
             return f.map_view().worldtoscreen(f.target_marker->world_position) == f.view_center();
         },
         [&] { f.select_node(point = find_point(f.points_tree, "Menthe sauvage")); }},
        {"Esc", press(f.MyTree, Qt::Key_Escape), [&] { return !f.target_marker->visible; }},
        {"F3 shows the results", press(f.MyTree, Qt::Key_F3),
         [&] { return f.PageControl->currentWidget() == f.TabSheet2 && f.side_panel; }},
        {"F3 again hides the panel", press(f.MyTree, Qt::Key_F3),
         [&] { return !f.but_liste3->isChecked() && !f.side_panel; }},
        {"F4", press(&f, Qt::Key_F4),
         [&] { return f.PageControl->currentWidget() == f.TabSheet3 && f.side_panel; }},
        {"overview button", [&] { f.but_overview->click(); },
         [&] { return !f.overview_lines.empty(); }},
        {"unchecking the continent rebuilds the routes",
         [&] {
             f.points_model->setData(f.points_model->index_of(f.continent_node), Qt::Unchecked,
                                     Qt::CheckStateRole);
             QApplication::processEvents();
         },
         [&] { return f.path_list.empty() && f.overview_lines.empty(); }},
        {"preferences button", [&] { f.but_pref->click(); }, [&] { return prefs_opened == 1; }},
        {"i outside edit mode", press(f.ImageMap, Qt::Key_I, "i"), [&] { return editors == 0; },
         [&] { f.select_node(point); }},
        {"i in edit mode edits the selected point", press(f.ImageMap, Qt::Key_I, "i"),
         [&] { return editors == 1; }, [&] { rPreference.EDIB = true; }},
        {"Ctrl+C copies the current point", trigger("sccopier1"),
         [&] { return f.clipboard_node->item->name == name; },
         [&] { std::tie(f.current_point, name) = std::tie(point, point->item()->name); }},
        {"Ctrl+V not with a current point", trigger("sccoller1"), [&] { return named(name) == 1; }},
        {"Ctrl+V pastes at the mouse", trigger("sccoller1"), [&] { return named(name) == 2; },
         [&] { std::tie(f.current_point, f.mouse_zone) = std::pair(nullptr, node_zone(point)); }},
        {"Ctrl+X not outside edit mode", trigger("sccouper1"), [&] { return named(name) == 2; },
         [&] { std::tie(f.current_point, rPreference.EDIB) = std::pair(point, false); }},
        {"Ctrl+X cuts the current point", trigger("sccouper1"), [&] { return named(name) == 1; },
         [&] { rPreference.EDIB = true; }},
        {"a read-only database keeps edit mode and sending off after the reload",
         [&] { f.reload_database(0); },
         [&] { return !f.but_editmode->isEnabled() && !f.but_mail->isEnabled(); },
         [&] {
             selected_database->not_editable = true;
             f.toggle_tagnew(false); // the cut is discarded, so the reload asks nothing
         }},
    };
    for (const Row& row : rows) {
        row.before();
        zoom = f.zoom;
        row.act();
        EXPECT_TRUE(row.holds()) << row.command;
    }
}

TEST_F(Commands, TreeHintsNameWhatTheRowCannotShow) {
    form->show();
    key(form.get(), Qt::Key_F4);
    TreeNode* zone = form->zone_node(form->map_data->continents[0]->whole_zone_id);
    TreeNode* category = zone->first_child();
    while (!category->visible)
        category = category->next_sibling();
    TreeNode* fits = form->continent_zone_node(2)->parent;
    for (TreeNode* n : {zone->parent, zone})
        form->MyTree->expand(form->points_model->index_of(n));
    // Names wider than the row: continents are cut to 41 characters, categories to 21, "@"
    // included.
    zone->parent->data->owner_continent->name = std::string(60, 'c');
    zone->data->owner_zone->name = std::string(60, 'z');
    category->data->category->name = std::string(60, 'k');
    form->MyTree->header()->resizeSection(TPointsTreeModel::kTextColumn, 400);
    QApplication::processEvents();
    for (auto [node, hint] : {std::pair{zone->parent, "@" + std::string(40, 'c')},
                              {zone, "@" + std::string(60, 'z')},
                              {category, "@" + std::string(20, 'k')},
                              {fits, std::string()}}) {
        HCaption.node = nullptr;
        const QPoint at = form->MyTree->visualRect(form->points_model->index_of(node)).center();
        form->MyTreeMouseMove(at.x(), at.y());
        EXPECT_EQ(from_qstring(form->MyTree->viewport()->toolTip()), hint) << node->level;
    }
}

// A reload forgets the point whose hint the tree showed: the same row, now another node (maybe
// at the old one's place in memory), shows its hint again.
TEST_F(Commands, AReloadForgetsThePointOfTheTreeHint) {
    form->show();
    key(form.get(), Qt::Key_F4);
    std::string name;
    for (TreeNode* n = form->points_tree.first(); n && name.empty(); n = TPointsTree::next(n))
        if (n->level == kLevelPoint && n->visible)
            name = n->item()->name;
    auto hover = [&](int dx) {
        TreeNode* point = find_point(form->points_tree, name);
        EXPECT_NE(point, nullptr);
        const QModelIndex index = form->points_model->index_of(point);
        form->MyTree->scrollTo(index);
        QApplication::processEvents();
        QWidget* viewport = form->MyTree->viewport();
        const QPoint at = form->MyTree->visualRect(index).center() + QPoint(dx, 0);
        QWindowSystemInterface::handleMouseEvent<QWindowSystemInterface::AsynchronousDelivery>(
            form->windowHandle(), input_time(false), viewport->mapTo(form.get(), at),
            viewport->mapToGlobal(at), Qt::NoButton, Qt::NoButton, QEvent::MouseMove);
        QApplication::processEvents();
        return point;
    };
    TreeNode* point = hover(0);
    ASSERT_TRUE(HCaption.node == point && form->hint_window->isVisible());
    form->reload_database(0);
    EXPECT_EQ(HCaption.node, nullptr);
    form->cancel_hint();
    point = hover(1);
    EXPECT_TRUE(HCaption.node == point && form->hint_window->isVisible());
    EXPECT_EQ(form->hint_window->caption(), to_qstring(name));
}

TEST_F(Commands, PreferencesReachTheirFilesOnlyThroughOk) {
    rCateg* inns = form->common_data->categories[1].get();
    ASSERT_EQ(inns->id, 2);
    const TColor inn_colour = inns->colour;
    const std::string ini_before = format_preferences(rPreference, {});
    // What the dialog shows, and a change of everything; Cancel keeps all of it away.
    auto change_all = [&](TForm3& d) {
        EXPECT_EQ(std::pair(d.UpDown1->value(), d.TrackBarLod0->value()),
                  std::pair(2, 24)); // 245 / 10, half to even
        d.UpDown1->setValue(7);
        d.CheckBox1->setChecked(false);
        d.Edit1->setText("Pseudo");
        d.TrackBarLod0->setValue(100); // pushes the two other detail gauges up
        EXPECT_EQ(d.TrackBarLod1->value() + d.TrackBarLod2->value(), 200);
        d.TrackBarLod2->setValue(30); // pulls them down
        EXPECT_EQ(d.TrackBarLod0->value(), 30);
        QTreeWidgetItem* row = nullptr;
        for (int i = 0; i < d.Tree_leg->topLevelItemCount(); ++i)
            if (d.Tree_leg->topLevelItem(i)->text(0).startsWith("Auberges"))
                row = d.Tree_leg->topLevelItem(i);
        ASSERT_NE(row, nullptr);
        d.Tree_leg->setCurrentItem(row);
        d.choose_colour = [](QColor& c) { return c = QColor(1, 2, 3), true; };
        d.choose_font = [](QFont& f) { return f = QFont("DejaVu Serif", 13), true; };
        d.Button5Click();
        d.Button4Click();
        EXPECT_EQ(d.Panel1->font().pointSize(), 13);
        row->setCheckState(0, Qt::Unchecked);
        d.Button8Click(); // outside edit mode only the message
    };
    form->on_prefs_dialog = [&](TForm3& d) {
        change_all(d);
        d.Button2Click();
    };
    form->but_pref->click();
    EXPECT_EQ(format_preferences(rPreference, {}), ini_before);
    EXPECT_TRUE(inns->colour == inn_colour && inns->shown && !form->recolour_all);
    EXPECT_EQ(boxes.texts().size(), 1u); // message 67
    form->on_prefs_dialog = [&](TForm3& d) {
        change_all(d);
        d.Edit1->setText("Pse\tudo"); // a pasted control character keeps the dialog open
        d.Button1Click();
        EXPECT_TRUE(d.result() == QDialog::Rejected && d.Edit1->text() == "Pse\tudo");
        d.Edit1->setText("Pseudo");
        d.Button1Click();
    };
    TRealm_info* realm = form->realm.get();
    form->but_pref->click();
    EXPECT_EQ(form->realm.get(), realm); // recoloured, not reloaded
    EXPECT_TRUE(inns->colour == 0x030201 && !inns->shown);
    TreeNode* inn = nullptr;
    for (TreeNode* n = form->points_tree.first(); n && !inn; n = TPointsTree::next(n))
        if (n->level == kLevelPoint && n->data->category == inns)
            inn = n;
    EXPECT_TRUE(inn && inn->item()->colour == 0x030201);
    form.reset();
    const std::string ini = file_text(app.file("pref.ini"));
    const std::string catpref = file_text(app.file("catpref.bin"));
    for (const char* line : {"[TIME]=7000\r\n", "[CLVL]=False\r\n", "[PSEU]=Pseudo\r\n",
                             "[LODA]=300\r\n", "[LODB]=300\r\n", "[LODC]=300\r\n"})
        EXPECT_NE(ini.find(line), std::string::npos) << line;
    size_t at = 0; // the record of category 2
    while (at < catpref.size() && catpref[at] != 2)
        at += TData_common::catpref_record_size;
    ASSERT_LE(at + TData_common::catpref_record_size, catpref.size());
    // Colour, hidden, font name and size.
    EXPECT_EQ(catpref.substr(at + 4, 4) + catpref[at + 12] + catpref.substr(at + 14, 13) +
                  catpref[at + 55],
              std::string("\x01\x02\x03\0\0\x0C"
                          "DejaVu Serif\x0D",
                          19));
}

TEST_F(Commands, LanguageChangeReloadsTextsTipsAndLinks) {
    OpenedUrls opened("https");
    EXPECT_EQ(form->tips, (std::vector<std::string>{"One", "", "Three"}));
    EXPECT_GT(form->tips_width, 0);
    // The panel holds its lines, drawn 15 pixels apart, however many there are.
    for (int lines : {3, 13, 100})
        EXPECT_GE((lines + 1) * form->tips_height + 12, 15 * (lines - 1) + 5 + 13) << lines;
    // The links menu is the file's lines after its first, each asking before it opens.
    std::vector<rLink> english = read_link_file(app.file("res/English/link.txt"));
    QList<QAction*> items = form->site1->menu()->actions();
    ASSERT_EQ(size_t(items.size()), english.size());
    EXPECT_EQ(from_qstring(items[0]->text()), english[0].caption);
    boxes.answer({kAnswerNo, kAnswerYes});
    items[0]->trigger();
    items[0]->trigger();
    EXPECT_EQ(opened.urls, std::vector<std::string>{english[0].address}); // the first said no
    form->on_prefs_dialog = [](TForm3& d) {
        d.ComboBox1->setCurrentIndex(d.ComboBox1->findText("Francais"));
        d.Button1Click();
    };
    form->but_pref->click();
    EXPECT_EQ(language + " " + get_text(43), "Francais Pr\xE9"
                                             "f\xE9rences");
    EXPECT_EQ(form->tips, split_lines(file_text(app.file("res/Francais/tips.txt"))));
    EXPECT_EQ(form->site1->menu()->actions().size(),
              qsizetype(read_link_file(app.file("res/Francais/link.txt")).size()));
    // Without any language folder the language stays and the list says so.
    res_path = app.file("nothing/");
    TForm3 dialog(nullptr, nullptr, nullptr);
    dialog.FormShow();
    EXPECT_FALSE(dialog.ComboBox1->isEnabled() || dialog.ComboBox1->placeholderText().isEmpty());
    dialog.Button1Click();
    EXPECT_TRUE(language == "Francais" && !dialog.reload);
}
