#include "database/additions_file.h"
#include "editing/widgets/check_tree_model.h"
#include "editing/widgets/point_editor.h"
#include "editing/widgets/result_model.h"
#include "editing/widgets/search_form.h"
#include "editing/widgets/wpopt.h"
#include "foundation/control_tag.h"
#include "foundation/func_karvo.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "foundation/widgets/message_box.h"
#include "mainwindow/widgets/ImageMap.h"
#include "mainwindow/widgets/fic_firstinfo.h"
#include "support/additions_writer.h"
#include "support/demo_install.h"
#include "support/dialog_answer.h"
#include "support/window_input.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStringListModel>
#include <QTabWidget>
#include <QToolButton>

using namespace support;

namespace {

// The demo installation, started in edit mode.
class DemoEditing : public DemoTest {
protected:
    void SetUp() override {
        install("[LANG]=English\r\n[DBDB]=Demo\r\n[EDIM]=Demo\r\n[EDIB]=1\r\n[DATU]=4\r\n"
                "[PSEU]=Ondine\r\n");
        start();
        form->feedback_lines.clear();
    }
    TreeNode* find(const std::string& name) { return find_point(form->points_tree, name); }
    // Every point in display order with what the additions keep of it.
    std::string points() {
        std::string out;
        for (TreeNode* n = form->points_tree.first(); n; n = TPointsTree::next(n))
            if (const rItemdata* i = n->item())
                out += i->name + "|" + std::to_string(node_zone(n)->zone_id) + "|" +
                       std::to_string(n->data->category->id) + "|" + std::to_string(i->x) + "," +
                       std::to_string(i->y) + "|" + std::to_string(i->flags.w[0]) + "|" +
                       std::to_string(i->master_id) + (i->from_master ? "m|" : "|") +
                       (i->command ? i->command->code : "") + "|" + i->comment + "|" +
                       std::to_string(i->level_min) + "-" + std::to_string(i->level_max) + "\n";
        return out;
    }
    std::vector<std::string> feedback_texts() {
        std::vector<std::string> out;
        for (const rdirectfeedback& l : form->feedback_lines.lines())
            if (!l.text.empty())
                out.push_back(l.text);
        form->feedback_lines.clear();
        return out;
    }
    // Runs the editor on the point (or a new one at the zone position) with `act`.
    void edit(TreeNode* node, const std::function<void(TForm2&)>& act, pMap_info* zone = nullptr,
              TPoint at = {}) {
        std::tie(form->on_point_editor, form->mouse_zone, form->mouse_zone_pos) =
            std::tie(act, zone, at);
        node ? form->edit_point_dialog(node) : form->add_point_dialog();
    }
    static void choose(TForm2& d, const std::string& category) {
        auto* model = d.Treecateg->model();
        for (int row = 0; row < model->rowCount(); ++row)
            if (from_qstring(model->index(row, 0).data().toString()) == category)
                d.Treecateg->setCurrentIndex(model->index(row, 0));
    }
};

// The demo window on screen with its points tree open, fed input queued before the handlers
// run, as when the user types ahead: each key or click acts once, in turn, on what was chosen.
class QueuedInput : public DemoEditing {
protected:
    QTreeView* tree = nullptr;
    TreeNode* shops = nullptr; // a category whose eight points are unlocked
    void SetUp() override {
        DemoEditing::SetUp();
        tree = form->MyTree;
        shops = find("Tisserande Blanche")->parent;
        form->show();
        form->but_liste4->click();
        tree->expandAll();
        tree->setFocus();
        form->activateWindow();
        QApplication::processEvents();
    }
    TreeNode* current() { return TPointsTreeModel::node_of(tree->currentIndex()); }
    // Makes the first shop the current row; the shop `row` rows below it, the one `kept` lacks.
    TreeNode* start(size_t row) {
        tree->setCurrentIndex(form->points_model->index_of(shops->rows[0]));
        kept = shops->rows;
        kept.erase(kept.begin() + std::ptrdiff_t(row));
        return shops->rows[row];
    }
    std::vector<TreeNode*> kept;
    // Keys typed into the tree's window, each queued as the window system queues it.
    void type(std::vector<QKeyCombination> keys) {
        for (QKeyCombination k : keys)
            queue_key(tree, k.key(), k.keyboardModifiers(), k.key() == Qt::Key_I ? "i" : "");
    }
};

} // namespace

TEST_F(DemoEditing, EveryChangeSurvivesSaveRestartAndReload) {
    const std::string nest = "Nid de frelons g\xE9"
                             "ants";
    pMap_info* foret = node_zone(find(nest));
    // Add a point with a property, levels the wrong way round and a two-way bridge to the point
    // copied last.
    form->copy_point(find(nest));
    EXPECT_EQ(from_qstring(QApplication::clipboard()->text()), nest);
    edit(nullptr,
         [](TForm2& d) {
             // A category's imposed name comes and goes with it.
             choose(d, "Ma\xEEtres de vol");
             EXPECT_EQ(from_qstring(d.Edit1->text()), "Ma\xEEtre de vol");
             choose(d, "Auberges");
             EXPECT_EQ(from_qstring(d.Edit1->text()), d.default_name);
             d.Edit1->setText("Tour de guet");
             d.MemoInfo->setPlainText("Vue sur la {Caldeira}.\n\nGarde la nuit.");
             d.treebool->model()->setData(d.treebool->model()->index(0, 0), Qt::Checked,
                                          Qt::CheckStateRole);
             d.UpDown_min->setValue(40);
             d.UpDown_max->setValue(20);
             d.make_bridge(true);
             d.Button2Click();
         },
         foret, {30000, 31000});
    const rItemdata& tower = *find("Tour de guet")->item();
    EXPECT_EQ(tower.comment, "Vue sur la {Caldeira}.|Garde la nuit.");
    EXPECT_TRUE(tower.level_min + tower.level_max == 40 && test_flag(tower.flags, 1));
    const rCommand& other_end = *find(nest)->item()->command;
    EXPECT_EQ(std::pair(other_end.colour_b, tower.command->colour_b),
              std::pair(tower.command->colour_a, other_end.colour_a));
    // Modify a database point with a route from three waypoints: it keeps its master id.
    const int32_t master = find("Menthe sauvage")->item()->master_id;
    form->waypoints = {{27000, 40000, foret}, {27500, 40500, foret}, {28000, 40100, foret}};
    edit(find("Menthe sauvage"), [](TForm2& d) {
        d.on_options_dialog = [](TForm_wpoptions& o) { o.reject(); }; // left: no route
        d.Button5Click();
        EXPECT_TRUE(d.Edit2->text().isEmpty());
        d.on_options_dialog = [](TForm_wpoptions& o) { o.Button1Click(); };
        d.Button5Click();
        d.set_comment("Le long du ruisseau.|Cueillir le matin.");
        d.Button2Click();
    });
    const rItemdata& mint = *find("Menthe sauvage")->item();
    EXPECT_TRUE(mint.master_id == master && mint.command->code == "V_009169789C4001F4FE0C01F40190");
    EXPECT_TRUE(form->waypoints.empty() && form->additions_unsaved);
    // Cut a database point and paste it twice at one spot of another zone: both copies stay.
    form->mouse_zone = node_zone(find("Repaire de brigands"));
    form->current_point = find("Colporteuse Myrtille");
    form->coupernode1Click();
    EXPECT_FALSE(find("Colporteuse Myrtille") || find("@Colporteuse Myrtille")->visible);
    form->mouse_zone_pos = {5000, 6000};
    form->paste_point();
    form->paste_point();
    // Delete a database point: only its deletion entry stays.
    edit(find("Auberge de la S\xE8ve"), [](TForm2& d) { d.Button4Click(); });
    EXPECT_FALSE(find("Auberge de la S\xE8ve") || find("@Auberge de la S\xE8ve")->visible);
    const auto write = [&] {
        EXPECT_TRUE(form->write_additions(ajouts_path + additions_file_name));
        const std::string file = file_text(ajouts_path + additions_file_name);
        return file.substr(file.find('\n')); // the header's id changes
    };
    const std::string before = points(), file = write();
    for (const char* line : {"\nColporteuse Myrtille||11|4|5000|6000|",
                             "\nColporteuse Myrtille||11|4|5001|6000|", "\n@Colporteuse Myrtille|"})
        EXPECT_NE(file.find(line), std::string::npos) << line;
    start();
    EXPECT_EQ(std::pair(form->rejected_lines, points()), std::pair(0, before));
    EXPECT_EQ(write(), file);
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{});
}

TEST_F(DemoEditing, GuardsAndMenus) {
    TreeNode* hermit = find("Ermite Balthazar");
    pMap_info* foret = node_zone(hermit);
    bool opened = false;
    auto open = [&](TForm2& d) { opened = true, d.Button1Click(); };
    // Read-only, then not the editable database: nothing opens, nothing changes.
    selected_database->not_editable = true;
    edit(nullptr, open, foret);
    form->current_point = hermit;
    form->coupernode1Click();
    form->Couper1Click();
    EXPECT_EQ(feedback_texts(), (std::vector<std::string>{message(68), message(68), message(8)}));
    // The map's menu on a point whose comment names another with an id.
    form->mouse_zone = foret;
    form->Menu_imagePopup();
    auto texts = [&] {
        std::vector<std::string> out;
        for (QAction* a : form->Menu_image->actions())
            out.push_back(from_qstring(a->text()) + "|" + std::to_string(tag_of(a)) +
                          (a->icon().isNull() ? "" : "*"));
        return out;
    };
    const std::vector<std::string> menu = texts();
    ASSERT_GE(menu.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(menu.begin(), menu.begin() + 4),
              (std::vector<std::string>{"Ermite Balthazar|1298*", "La lettre perdue |1298*", "|256",
                                        "Modify [Ermite Balthazar][Demo]|30*"}));
    auto* web = dynamic_cast<Tmytmenuitem*>(form->Menu_image->actions().front());
    ASSERT_NE(web, nullptr);
    EXPECT_EQ(web->category->id_link_prefix, "http://www.example.org/vev/quete.php?id=");
    selected_database->not_editable = false;
    edit_db_name = "Autre";
    edit(hermit, open);
    EXPECT_FALSE(opened);
    EXPECT_EQ(feedback_texts(), (std::vector<std::string>{message(66, "Demo", "Autre")}));
    edit_db_name = "demo";
    form->mouse_zone = foret;
    form->Menu_imagePopup();
    EXPECT_EQ(texts()[0], "La lettre perdue |1298");
    // Outside every zone the old items go and the commands are off.
    form->mouse_zone = nullptr;
    form->Menu_imagePopup();
    EXPECT_EQ(texts()[0].substr(0, 18), "Modify [Ermite Bal");
    EXPECT_FALSE(form->ajouter1->isEnabled() || form->Copiernode1->isEnabled());
    // Selecting the point lists its references and draws a line to the named point.
    form->show_on_map(hermit, 0, 0, 0);
    EXPECT_EQ(form->redirect_model->stringList(), QStringList{"La lettre perdue #1042"});
    form->select_node(find("La lettre perdue #1042"));
    EXPECT_EQ(form->comment_lines.size(), 1u);
    // The tree's menu on a category node.
    form->MyTree->setCurrentIndex(form->points_model->index(0, 0));
    form->Modif1Click();
    EXPECT_TRUE(feedback_texts() == std::vector<std::string>{message(9)} && !opened);
    // The copied name joins the current point's comment as a reference; it becomes an addition.
    form->copy_point(hermit);
    form->current_point = find("Menthe sauvage");
    form->hyperlink1Click();
    EXPECT_EQ(form->current_point->item()->comment, "Le long du ruisseau. {Ermite Balthazar}");
    EXPECT_TRUE(form->additions_unsaved && !form->current_point->item()->from_master);
    // Edit mode off hides the editing items; back on, it asks for the editable database.
    form->but_editmode->click();
    EXPECT_FALSE(rPreference.EDIB || form->ajouter1->isVisible());
    DialogAnswer choice([](QWidget* w) {
        auto* d = qobject_cast<TForm1*>(w);
        d->ListBox3->setCurrentRow(0);
        d->Button1Click();
    });
    form->but_editmode->click();
    EXPECT_TRUE(rPreference.EDIB && form->ajouter1->isVisible());
    EXPECT_EQ(feedback_texts(), (std::vector<std::string>{message(44)}));
    // A locked point opens restricted after a warning; one named "Master_Cancel" does not open.
    TreeNode* mint = form->current_point;
    mint->item()->locked = true;
    edit(mint, [](TForm2& d) {
        const QTabWidget& pages = *d.PageControl2;
        EXPECT_FALSE(d.Treecateg->isEnabled() || !d.Button4->isHidden() ||
                     pages.isTabVisible(pages.indexOf(d.TabSheet2)) ||
                     pages.isTabVisible(pages.indexOf(d.TabSheet6)));
        d.Button1Click();
    });
    mint->item()->name = "Master_Cancel";
    edit(mint, [](TForm2&) { ADD_FAILURE() << "opened"; });
    // A bridge to a locked point is refused; to a point with a link, only Yes prepares it.
    const auto bridge = [&](TreeNode* other) {
        form->copy_point(other);
        edit(find("Ermite Balthazar"), [](TForm2& d) {
            for (int i = 0; i < 2; ++i) {
                d.make_bridge(false);
                EXPECT_EQ(d.Edit2->text().isEmpty(), i == 0 || d.other_new_link.empty());
            }
            d.Button1Click();
        });
    };
    boxes.answer({kAnswerNo, kAnswerYes});
    bridge(mint);
    bridge(find("Route du Val"));
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{message(69), message(45), message(70),
                                                       message(70), message(71), message(71)}));
    // Apply to all: the comment goes to every same-named point of the category.
    TreeNode* nest = find("Nid de sternes");
    TreeNode* reef = find("R\xE9"
                          "cif corallien");
    reef->item()->name = "Nid de sternes";
    reef->item()->key = normalise_text(reef->item()->name);
    edit(nest, [](TForm2& d) {
        d.CheckBox2->setChecked(true);
        d.CheckBox5->setChecked(true);
        d.set_comment("Bleu.");
        d.Button2Click();
    });
    EXPECT_EQ(feedback_texts(), (std::vector<std::string>{message(65, "2")}));
    EXPECT_TRUE(reef->item()->comment == "Bleu." && !reef->item()->from_master);
}

TEST_F(DemoEditing, EditorLimitsAndRefusals) {
    TreeNode* mint = find("Menthe sauvage");
    const std::string before = points();
    edit(mint, [&](TForm2& d) {
        EXPECT_EQ(d.Edit1->maxLength(), 35);
        // Typing stops at 1200 characters, a line break counting two.
        d.MemoInfo->setPlainText(QString(1190, 'a'));
        d.MemoInfo->textCursor().insertText(QStringLiteral("\nbbbbbbbbbbbb"));
        EXPECT_EQ(comment_length(d.comment_lines()), 1200);
        // A typed "#" is refused; so are pasted names and comments the additions file cannot
        // hold, and the dialog keeps what was typed.
        QKeyEvent hash(QEvent::KeyPress, Qt::Key_NumberSign, Qt::NoModifier, QStringLiteral("#"));
        QApplication::sendEvent(d.MemoInfo, &hash);
        for (auto [name, comment] : {std::pair{"Ermite", "Porte \u4E2D"},
                                     {"", ""},
                                     {"A|B", ""},
                                     {"Ermite", "a #1"},
                                     {"Tour\nde guet", ""},
                                     {"Ermite", "a\n\tb"}}) {
            QApplication::clipboard()->setText(QString::fromUtf8(name));
            d.Edit1->selectAll();
            d.Edit1->paste();
            d.MemoInfo->setPlainText(QString::fromUtf8(comment));
            d.Button2Click();
            EXPECT_EQ(d.Edit1->text(), QString::fromUtf8(name));
        }
        d.Button1Click();
    });
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{
                                 message(36, "#"), message(72, "U+4E2D"), message(17), message(18),
                                 message(24), message(73, "U+000A"), message(73, "U+0009")}));
    EXPECT_TRUE(points() == before && !form->additions_unsaved);
    // Unchanged: the point keeps its node and every byte, its comment's non-breaking spaces
    // too, even with a database name longer than typing allows, which the box shows whole. A
    // category without comments stores none.
    const std::string long_name(60, 'M'), spaced = "Prix\xA0: 2 pi\xE8"
                                                   "ces\xA0!|Au\xA0"
                                                   "bord";
    std::tie(mint->item()->name, mint->item()->comment) = std::pair(long_name, spaced);
    edit(mint, [&](TForm2& d) {
        QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QApplication::sendEvent(d.Edit1, &a);
        EXPECT_EQ(from_qstring(d.Edit1->text()), long_name);
        d.Button2Click();
    });
    ASSERT_TRUE(find(long_name) == mint && !form->additions_unsaved &&
                mint->item()->comment == spaced);
    edit(mint, [](TForm2& d) {
        choose(d, "Notes");
        d.Button2Click();
    });
    EXPECT_EQ(find(long_name)->item()->comment + "|" + find(long_name)->data->category->name,
              "|Notes");
}

TEST_F(DemoEditing, TextReadFromTheAdditionsGoesBackWholeAndOnlyCharactersTypedAnewAreRefused) {
    // A point for each byte that Windows-1252 leaves undefined, for a tab and for a NUL: the byte
    // ends its name, where blanks are trimmed, and sits in both lines of its comment, which has
    // an empty part between them. The last point has a namesake that the editor changes with it.
    const TreeNode* mint = find("Menthe sauvage");
    const std::string odd("\x81\x8D\x8F\x90\x9D\t\0", 7);
    std::vector<AdditionSpec> specs;
    for (const char byte : odd) {
        const std::string c(1, byte);
        const int32_t step = 40 * int32_t(specs.size() + 1);
        specs.push_back({"Source" + c, node_zone(mint)->zone_id, mint->data->category->id,
                         mint->item()->x + step, mint->item()->y + step, 10, 20, TFlagSet{}, 0, "",
                         "Eau" + c + "claire||" + c + "fraiche"});
    }
    AdditionSpec namesake = specs.back();
    namesake.x -= 20;
    specs.push_back(namesake);
    ASSERT_TRUE(write_file_atomic(additions_file_path(), additions_file(specs, "Ondine")));
    start();
    ASSERT_EQ(form->rejected_lines, 0);
    const auto saved = [&](const AdditionSpec& spec) {
        EXPECT_TRUE(form->write_additions(additions_file_path()));
        return file_text(additions_file_path()).find("\n" + addition_line(spec) + "\r\n") !=
               std::string::npos;
    };
    const auto point = [&](const AdditionSpec& spec) {
        TreeNode* n = form->points_tree.first();
        while (n && !(n->item() && n->item()->name == spec.name && n->item()->x == spec.x))
            n = TPointsTree::next(n);
        return n;
    };
    std::vector<std::string> refusals;
    for (size_t i = 0; i < odd.size(); ++i) {
        AdditionSpec& spec = specs[i];
        const bool last = i + 1 == odd.size();
        // The levels changed: the name and comment are saved whole, the namesake's too.
        edit(point(spec), [&](TForm2& d) {
            for (QCheckBox* apply : {d.CheckBox2, d.CheckBox4, d.CheckBox5, d.CheckBox7})
                apply->setChecked(last);
            d.UpDown_max->setValue(30);
            d.Button2Click();
        });
        spec.level_max = namesake.level_max = 30;
        EXPECT_TRUE(saved(spec)) << i;
        EXPECT_TRUE(!last || saved(namesake));
        // A new name that keeps the byte.
        edit(point(spec), [&](TForm2& d) {
            key(d.Edit1, Qt::Key_E, QStringLiteral("e"));
            d.Button2Click();
        });
        spec.name += "e";
        EXPECT_TRUE(saved(spec)) << i;
        // Another such character typed anew, into the name, then into the comment: refused, and
        // what was typed stays.
        const QChar typed(odd[i] == '\t' ? 0x81 : '\t');
        edit(point(spec), [&](TForm2& d) {
            d.Edit1->insert(typed);
            d.Button2Click();
            EXPECT_EQ(d.Edit1->text(), to_qstring(spec.name) + typed);
            d.Edit1->setText(to_qstring(spec.name));
            d.MemoInfo->moveCursor(QTextCursor::End);
            d.MemoInfo->insertPlainText(typed);
            d.Button2Click();
            EXPECT_TRUE(memo_text(d.MemoInfo).endsWith(typed));
            d.Button1Click();
        });
        EXPECT_TRUE(saved(spec)) << i;
        const std::string code = odd[i] == '\t' ? "U+0081" : "U+0009";
        refusals.insert(refusals.end(), {message(73, code), message(73, code)});
    }
    EXPECT_EQ(boxes.texts(), refusals);
}

TEST_F(DemoEditing, SearchListsWhatTheUserPicksFromAndAreaModeDrawsOnlyTheResults) {
    form->show_on_map(form->zone_node(form->map_data->continents[0]->whole_zone_id), 0, 0, 0);
    form->but_overview->click();
    form->show();
    form->activateWindow();
    const auto search = [this](const char* words, bool go_first, bool area) {
        form->on_search_dialog = [=](TSearchForm& d) {
            d.FormShow();
            d.Edit1->setText(words);
            d.CheckBox1->setChecked(true);
            d.CheckBox3->setChecked(go_first);
            d.CheckBox7->setChecked(area);
            d.Button1Click();
        };
        form->search();
    };
    const std::vector<rSearchResult>& rows = form->result_model->rows();
    // Nothing to search, or nothing found, is said plainly; the tree keeps the user's checks.
    TreeNode* mint = find("Menthe sauvage");
    form->points_tree.set_check_state(mint, TCheckState::Unchecked);
    search("", false, false);
    EXPECT_EQ(feedback_texts(), std::vector<std::string>{message(21)});
    search("--", false, false);
    EXPECT_TRUE(rows.empty() && form->TreeResult->header()->sortIndicatorSection() == -1 &&
                mint->check == TCheckState::Unchecked);
    EXPECT_EQ(from_qstring(form->Label2->text()), format_text(get_info_text(12), "0", ""));
    // In search-area mode only the results are drawn: the others' routes and links go.
    ASSERT_FALSE(form->path_list.empty() || form->overview_lines.empty());
    search("Menthe", false, true);
    EXPECT_TRUE(rows.size() == 1 && rows[0].node == mint && mint->check == TCheckState::Checked &&
                form->search_area_mode && rPreference.SAOM);
    EXPECT_EQ(form->search_bar_text, format_text(get_info_text(26), "1", ""));
    EXPECT_TRUE(form->path_list.empty() && form->overview_lines.empty());
    form->Button3Click();
    EXPECT_TRUE(rows.empty() && !form->search_area_mode && !form->path_list.empty() &&
                !form->overview_lines.empty());
    // Focus coming to the list, by the page switch or the hover, shows no row on the map.
    for (bool go_first : {false, true}) {
        form->RegionTree->setFocus();
        form->select_node(nullptr);
        search("e", go_first, false);
        const TreeNode* shown = go_first ? rows.front().node : nullptr;
        EXPECT_EQ(form->target_marker->node, shown);
        const TPoint offset = form->map_view().offset;
        form->TreeResultMouseMove(5, 5);
        QApplication::processEvents();
        EXPECT_TRUE(QApplication::focusWidget() == form->TreeResult &&
                    !form->TreeResult->currentIndex().isValid());
        EXPECT_TRUE(form->target_marker->node == shown && form->map_view().offset == offset);
    }
    // So does focus that reaches the points tree or the region list without a click.
    for (QAbstractItemView* view :
         std::initializer_list<QAbstractItemView*>{form->RegionTree, form->MyTree}) {
        view->parentWidget()->show();
        view->selectionModel()->clearCurrentIndex();
        form->TreeResult->setFocus();
        QApplication::processEvents();
        const TPoint offset = form->map_view().offset;
        view->setFocus();
        QApplication::processEvents();
        EXPECT_TRUE(QApplication::focusWidget() == view && !view->currentIndex().isValid());
        EXPECT_EQ(form->map_view().offset, offset);
    }
    form->Modif2Click();
    // The keys do: the second row.
    for (int i = 0; i < 2; ++i) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(form->TreeResult, &down);
    }
    EXPECT_TRUE(form->target_marker->node == rows[1].node &&
                form->TreeResult->selectionModel()->isRowSelected(1));
    // A header click sorts by its column and is stored; a second one only reverses.
    for (int order : {1, -1}) {
        emit form->TreeResult->header()->sectionClicked(kResultName);
        EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end(), [&](auto& a, auto& b) {
            return compare_text(a.node->item()->name, b.node->item()->name) * order < 0;
        }));
        EXPECT_EQ(rPreference.STSC, order == 1 ? kResultName : 9);
        rPreference.STSC = 9;
    }
    // A row shows the name, the marks whole, the category's and the zone's icons, in grey when
    // the level filter hides the point, which the popup then does not edit.
    search("Menthe sauvage", false, false);
    const auto data = [&](int column, int role) {
        return form->result_model->index(0, column).data(role);
    };
    EXPECT_EQ(data(kResultName, Qt::DisplayRole).toString() +
                  data(kResultMarks, Qt::DisplayRole).toString(),
              "Menthe sauvage+++");
    EXPECT_GE(form->TreeResult->columnWidth(kResultMarks),
              static_cast<QAbstractItemView*>(form->TreeResult)->sizeHintForColumn(kResultMarks));
    EXPECT_EQ(data(kResultCategory, Qt::DecorationRole).value<QPixmap>().cacheKey(),
              form->ImageList_c[size_t(mint->data->category->tree_icon + 4)].cacheKey());
    EXPECT_EQ(data(kResultZone, Qt::DecorationRole).value<QPixmap>().cacheKey(),
              form->ImageList_c[node_zone(mint)->tree_icon].cacheKey());
    EXPECT_EQ(data(kResultName, Qt::ForegroundRole).value<QColor>(), QColor(0xEF, 0xF0, 0xDE));
    form->points_tree.set_visible(mint, false);
    EXPECT_EQ(data(kResultName, Qt::ForegroundRole).value<QColor>(), QColor(0xCA, 0xC5, 0xBF));
    form->TreeResult->setCurrentIndex(form->result_model->index(0, 0));
    form->Modif2Click();
    EXPECT_EQ(boxes.texts(), (std::vector<std::string>{message(8), message(54)}));
}

TEST_F(QueuedInput, TheEditorsOkAndDeleteActOnceOnTheCurrentRow) {
    // Enter four times on OK, Delete clicked twice, then three times.
    for (int presses : {4, 2, 3}) {
        TreeNode* point = start(0);
        QTimer::singleShot(0, [presses] {
            auto* d = qobject_cast<TForm2*>(QApplication::activeModalWidget());
            d->Edit1->setText("Renamed");
            d->Edit1->setFocus();
            for (int i = 0; i < presses; ++i)
                presses == 4 ? queue_key(d, Qt::Key_Return) : queue_click(d->Button4);
        });
        form->edit_point_dialog(point);
        // OK puts the renamed point last; no row takes the place of the one that went, so the
        // tree's menu acts on no point the user did not choose.
        std::vector<TreeNode*> expected = kept;
        if (presses == 4)
            expected.push_back(find("Renamed"));
        EXPECT_TRUE(shops->rows == expected && !current()) << presses;
    }
}

TEST_F(QueuedInput, PasteIntoTheCommentTakesPlainTextOnlyAndNothingWhenThereIsNone) {
    // The clipboard: owned by nobody, offering no format at all (as X's clipboard does before
    // anything was copied in the session), an image or a page only, then text offered first as
    // Markdown, then plain text. Each is pasted by Ctrl+V and by Shift+Insert.
    const auto offer = [](std::vector<std::pair<QString, QByteArray>> formats) {
        auto* data = new QMimeData;
        for (const auto& [format, bytes] : formats)
            data->setData(format, bytes);
        return data;
    };
    const std::vector<std::function<void()>> clipboards{
        [] { QApplication::clipboard()->clear(); },
        [&] { QApplication::clipboard()->setMimeData(offer({})); },
        [&] {
            QApplication::clipboard()->setMimeData(offer({{"image/png", "\x89PNG"}}));
        },
        [&] {
            QApplication::clipboard()->setMimeData(offer({{"text/html", "<b>Gras</b>"}}));
        },
        [&] {
            QApplication::clipboard()->setMimeData(
                offer({{"text/markdown", "# Titre"}, {"text/plain", "# Titre"}}));
        },
        [] { QApplication::clipboard()->setText(QStringLiteral("Coll\u00E9")); }};
    std::vector<std::string> seen;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<TForm2*>(QApplication::activeModalWidget());
        d->MemoInfo->setPlainText(QStringLiteral("Avant "));
        queue_click(d->MemoInfo->viewport());
        for (const auto& clipboard : clipboards) {
            clipboard();
            queue_key(d, Qt::Key_V, Qt::ControlModifier);
            queue_key(d, Qt::Key_Insert, Qt::ShiftModifier);
            QApplication::processEvents();
            seen.push_back(d->joined_comment());
        }
        d->reject();
    });
    form->edit_point_dialog(start(0));
    const std::string before = "Avant ", titled = before + "# Titre# Titre";
    EXPECT_EQ(seen, (std::vector<std::string>{before, before, before, before, titled,
                                              titled + "Coll\xE9"
                                                       "Coll\xE9"}));
}

TEST_F(QueuedInput, KeysTypedAheadInTheTreeActInTurn) {
    // Ctrl+X twice on the hovered current row; Down, then Ctrl+X on the hovered point below.
    for (size_t downs : {0, 1}) {
        form->hover_node(start(downs), 0);
        type({downs ? QKeyCombination(Qt::Key_Down) : Qt::CTRL | Qt::Key_X, Qt::CTRL | Qt::Key_X});
        QApplication::processEvents();
        EXPECT_TRUE(shops->rows == kept && !current()) << downs;
    }
    // Down five times or twice, then i: the editor opens on the row reached, which the map
    // shows selected, and its Delete removes that point alone.
    for (size_t downs : {5, 2}) {
        TreeNode* reached = start(downs);
        std::vector<TreeNode*> seen;
        DialogAnswer editor([&](QWidget* w) {
            auto* d = qobject_cast<TForm2*>(w);
            seen = {d->edit_node, current(), form->selection_ancestors[0],
                    form->target_marker->node};
            d->Button4Click();
        });
        type(std::vector<QKeyCombination>(downs, Qt::Key_Down));
        type({Qt::Key_I});
        QApplication::processEvents();
        EXPECT_EQ(seen, std::vector<TreeNode*>(4, reached)) << downs;
        EXPECT_EQ(shops->rows, kept) << downs;
    }
}

TEST_F(QueuedInput, TheTreeShowsItsCurrentRowAgainAndEndGoesLastAndAReloadTakesNoInput) {
    // A click on the current row selects its point again on the map.
    TreeNode* point = start(0);
    form->select_node(nullptr);
    tree->scrollTo(tree->currentIndex());
    queue_click(tree->viewport(), tree->visualRect(tree->currentIndex()).center());
    QApplication::processEvents();
    EXPECT_EQ(form->selection_ancestors[0], point);
    // End without a current row: the last row.
    tree->selectionModel()->clearCurrentIndex();
    type({Qt::Key_End});
    QApplication::processEvents();
    EXPECT_TRUE(current() && !tree->indexBelow(tree->currentIndex()).isValid());
    // The map's and the tree's menus asked for as a reload starts stay shut while it runs, and
    // open after it.
    for (auto [menu, over] : {std::pair<QMenu*, QWidget*>{form->Menu_image, form->ImageMap},
                              {form->Menu1, tree->viewport()}}) {
        std::vector<bool> opened_busy;
        const auto seen =
            QObject::connect(menu, &QMenu::aboutToShow, [&] { opened_busy.push_back(form->busy); });
        queue_click(over, {5, 5}, Qt::NoModifier, Qt::RightButton);
        form->reload_database(0);
        EXPECT_TRUE(opened_busy.empty());
        QApplication::processEvents();
        EXPECT_EQ(opened_busy, std::vector<bool>{false});
        QObject::disconnect(seen);
        menu->hide();
    }
}

TEST_F(QueuedInput, EachOpeningOfAMenuRunsOneCommand) {
    // Each item double-clicked as soon as its menu opens, the clicks queued as the window system
    // queues them; an editor that opens renames its point and is closed with OK.
    NewDialogs<TForm2> editors([](TForm2* d, size_t before) {
        if (before > 0)
            return d->reject();
        d->Edit1->setText("Renamed");
        queue_click(d->Button2);
    });
    const auto double_click = [](QMenu* menu, QAction* item, QWidget* over) {
        menu->popup(over->mapToGlobal(QPoint(20, 20)));
        QApplication::processEvents();
        queue_click(menu, menu->actionGeometry(item).center(), Qt::NoModifier, Qt::LeftButton, 2);
        QApplication::processEvents();
    };
    const auto named = [this](const std::string& name) {
        return std::count_if(shops->rows.begin(), shops->rows.end(),
                             [&](TreeNode* n) { return n->item()->name == name; });
    };
    // Modify from the map's, the tree's and the result list's menus: one editor, one change.
    for (QMenu* menu : {form->Menu_image, form->Menu1, form->Menu2}) {
        editors.forget();
        TreeNode* shop = start(0);
        form->current_point = shop;
        form->mouse_zone = node_zone(shop);
        QAction* modify = form->ajouter1;
        if (menu == form->Menu_image) {
            form->Menu_imagePopup();
        } else if (menu == form->Menu1) {
            modify = menu_item(menu, "Modif1");
        } else {
            form->on_search_dialog = [shop](TSearchForm& d) {
                d.FormShow();
                d.Edit1->setText(to_qstring(shop->item()->name));
                d.Button1Click();
            };
            form->search();
            ASSERT_EQ(form->result_model->node_at(form->result_model->index(0, 0)), shop);
            form->TreeResult->setCurrentIndex(form->result_model->index(0, 0));
            form->Menu2Popup();
            modify = menu_item(menu, "Modif2");
        }
        double_click(menu, modify,
                     menu == form->Menu1 ? static_cast<QWidget*>(tree) : form->ImageMap);
        EXPECT_EQ(editors.seen().size(), 1u) << menu->objectName().toStdString();
        EXPECT_EQ(named("Renamed"), 1) << menu->objectName().toStdString();
        form->cut_point(find("Renamed"));
    }
    // Paste with nothing under the mouse makes one copy; a reference is written once.
    editors.forget();
    TreeNode* shop = start(0);
    const std::string name = shop->item()->name;
    form->copy_point(shop);
    form->current_point = nullptr;
    form->mouse_zone = node_zone(shop);
    form->Menu_imagePopup();
    double_click(form->Menu_image, form->Copiernode1, form->ImageMap);
    EXPECT_EQ(named(name), 2);
    TreeNode* other = start(1);
    form->current_point = other;
    form->Menu_imagePopup();
    double_click(form->Menu_image, form->hyperlink1, form->ImageMap);
    EXPECT_EQ(other->item()->comment.find(" {" + name + "}"),
              other->item()->comment.size() - name.size() - 3);
    EXPECT_EQ(other->item()->comment.find("{"), other->item()->comment.rfind("{"));
    EXPECT_TRUE(editors.seen().empty());
    // Another database chosen with additions unsaved: one question (a real box, answered No by
    // a click), one reload.
    const QString from = to_path(app.file("database/Demo")),
                  to = to_path(app.file("database/Autre"));
    QDir().mkpath(to);
    for (const QString& f : QDir(from).entryList(QDir::Files))
        QFile::copy(from + "/" + f, to + "/" + f);
    form->toggle_tagnew(false);
    form->reload_database(3);
    form->toggle_tagnew(true);
    QAction* autre = nullptr;
    for (QAction* a : form->menu_db->actions())
        if (a->text() == "Autre")
            autre = a;
    ASSERT_TRUE(autre);
    const MessageHandler scripted = set_message_handler(run_message_box);
    NewDialogs<QMessageBox> questions(
        [](QMessageBox* box, size_t) { queue_click(box->button(QMessageBox::No)); });
    double_click(form->menu_db, autre, form->ImageMap);
    set_message_handler(scripted);
    EXPECT_TRUE(questions.seen().size() == 1 && db_name == "Autre" && !form->additions_unsaved);
}

TEST_F(QueuedInput, InputQueuedOnABoxNeitherAnswersItAgainNorActsBehindIt) {
    const MessageHandler scripted = set_message_handler(run_message_box);
    // Each box that opens gets the input `queue` makes for it, once.
    std::vector<std::function<void(QMessageBox*)>> queued_on_boxes;
    NewDialogs<QMessageBox> boxes_seen([&](QMessageBox* box, size_t before) {
        before < queued_on_boxes.size() ? queued_on_boxes[before](box) : box->reject();
    });
    const auto click = [](QMessageBox::StandardButton b) {
        return [b](QMessageBox* box) { queue_click(box->button(b)); };
    };
    const auto ask = [&](std::vector<std::function<void(QMessageBox*)>> input) {
        queued_on_boxes = std::move(input);
        boxes_seen.forget();
    };
    // The first button activated answers: Yes then No, and Return then Escape, give Yes.
    ask({[](QMessageBox* box) {
        queue_click(box->button(QMessageBox::Yes));
        queue_click(box->button(QMessageBox::No));
    }});
    EXPECT_EQ(show_message(1, true, "x"), kAnswerYes);
    ask({[](QMessageBox* box) {
        queue_key(box, Qt::Key_Return);
        queue_key(box, Qt::Key_Escape);
    }});
    EXPECT_EQ(show_message(1, true, "x"), kAnswerYes);
    // A Shift+click on the map queued behind the warning of a locked point opens no editor on
    // it: the point's only editor opens after the warning.
    TreeNode* shop = start(0);
    shop->item()->locked = true;
    form->show_on_map(shop, 0, 0, kShowMove | kShowCentreAny);
    QApplication::processEvents();
    const TPoint at = form->map_view().worldtoscreen(form->target_marker->world_position);
    const QPoint marker(at.x, at.y);
    std::vector<TreeNode*> edited;
    form->on_point_editor = [&](TForm2& d) {
        edited.push_back(d.edit_node);
        d.Button1Click();
    };
    queue_click(form->ImageMap, marker, Qt::ShiftModifier);
    QApplication::processEvents();
    ASSERT_EQ(edited.size(), 1u);
    edited.clear();
    ask({[&](QMessageBox* box) {
        queue_key(box, Qt::Key_Return);
        queue_click(form->ImageMap, marker, Qt::ShiftModifier);
    }});
    form->edit_point_dialog(shop);
    EXPECT_EQ(edited, std::vector<TreeNode*>{shop});
    EXPECT_EQ(boxes_seen.seen().size(), 1u);
    shop->item()->locked = false;
    // The update's reload: the save question is answered Yes, and a Shift+click queued behind it
    // opens no editor before the additions are saved and the data loaded again.
    const std::string name = shop->item()->name;
    const auto copies_saved = [&] {
        std::string text;
        read_file(additions_file_path(), text);
        size_t n = 0;
        for (const std::string& line : split_lines(text))
            n += line.rfind(name + "|", 0) == 0;
        return n;
    };
    const auto paste_copy = [&] {
        TreeNode* original = find(name);
        form->mouse_zone = node_zone(original);
        form->copy_point(original);
        form->paste_point();
        ASSERT_TRUE(form->additions_unsaved);
    };
    edited.clear();
    paste_copy();
    form->on_show_update = [](TForm4& f) { f.database_updated = true; };
    form->on_point_editor = [&](TForm2& d) {
        edited.push_back(d.edit_node);
        EXPECT_FALSE(form->additions_unsaved);
        d.Button1Click();
    };
    ask({click(QMessageBox::No), [&](QMessageBox* box) {
             queue_click(box->button(QMessageBox::Yes));
             queue_click(form->ImageMap, marker, Qt::ShiftModifier);
         }});
    form->but_autoupClick();
    EXPECT_TRUE(edited.empty() && !form->additions_unsaved && copies_saved() == 1);
    EXPECT_EQ(boxes_seen.seen().size(), 2u);
    // Closing with additions unsaved: Yes then No on the question saves them, then closes.
    paste_copy();
    ask({[](QMessageBox* box) {
        queue_click(box->button(QMessageBox::Yes));
        queue_click(box->button(QMessageBox::No));
    }});
    form->close();
    EXPECT_TRUE(!form->isVisible() && copies_saved() == 2);
    set_message_handler(scripted);
}
