#include "database/points_reader.h"
#include "foundation/func_color.h"
#include "foundation/func_karvo.h"
#include "mainwindow/widgets/G32_ProgressBar.h"
#include "mainwindow/widgets/legendeliste.h"
#include "support/demo_install.h"
#include "support/points_writer.h"
#include "support/section_writer.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSlider>
#include <QToolButton>

#include <map>
#include <set>

using namespace support;

namespace {

// The demo installation, started as the program starts, without any dialog.
class DemoLoad : public DemoTest {
protected:
    void SetUp() override {
        install("[LANG]=Francais\r\n[DBDB]=Demo\r\n[EDIM]=Demo\r\n[DATU]=4\r\n[PSEU]=Ondine\r\n"
                "[LOCR]=2\r\n[LOCX]=-123\r\n[LOCY]=456\r\n[LOCZ]=333\r\n");
    }
};

using ItemColours = Form4Test;
using PointsLoad = Form4Test;

} // namespace

TEST_F(DemoLoad, LoadsEveryPointOfEveryKindAndMergesTheAdditions) {
    start();
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{});
    ASSERT_NE(form->realm, nullptr);
    EXPECT_EQ(form->realm->header_value2, 128);
    // The database points and three new ones; a deletion entry hides one.
    const size_t database_points =
        load_demo_description(KARVELO_SOURCE_DIR "/demo/Demo/database.json").points.size();
    EXPECT_GE(point_names(form->points_tree).size(), database_points + 3);
    EXPECT_EQ(point_names(form->points_tree, false).size(), database_points + 3 - 1);
    // The deletion entry took the database point's place, hidden.
    TreeNode* entry = find_point(form->points_tree, "@Vieux puits");
    ASSERT_NE(entry, nullptr);
    EXPECT_FALSE(find_point(form->points_tree, "Vieux puits") || entry->visible);
    // Destroying the clipboard copy's source node leaves the copy without one.
    form->clipboard_node->source_node = entry;
    form->destroynode(entry);
    EXPECT_TRUE(form->clipboard_node->source_node == nullptr && form->realm->additions_count == 5);
    const std::string memo = from_qstring(form->Memo1->toPlainText());
    EXPECT_TRUE(memo.find("128") != memo.npos &&
                memo.find(format_text(get_info_text(7), "", "").substr(0, 8)) != memo.npos);
    EXPECT_FALSE(form->ImageList_c.empty() || form->Listiconmap.empty() || form->additions_unsaved);
    // The save and send buttons show only in edit mode; the progress bar is cream.
    form->show();
    for (bool on : {false, true, false, true}) {
        form->set_edit_mode(on);
        form->show_edit_items(on);
        QApplication::processEvents();
        EXPECT_EQ(std::pair(form->but_sav->isVisible(), form->but_mail->isVisible()),
                  std::pair(on, on));
        // Shown again, they keep their enabled states: nothing to save, something to send.
        EXPECT_TRUE(!on || (!form->but_sav->isEnabled() && form->but_mail->isEnabled()));
    }
    QImage bar(form->G32_ProgressBar1->size(), QImage::Format_ARGB32);
    form->G32_ProgressBar1->setPosition(50);
    form->G32_ProgressBar1->DoPaintBuffer(bar);
    EXPECT_EQ(bar.pixel(40, 8), qRgb(255, 251, 240)); // the middle row of the shaded bar
    // Read back with the system's own readers, the installation has an image for each of its
    // nine zones, every kind of category and every kind of link.
    const std::string master = app.file("database/Demo/master.loc");
    TData_map map(master);
    ASSERT_EQ(map.zones.size(), 9u);
    for (const auto& z : map.zones)
        EXPECT_FALSE(QImage(to_path(app.file("maps/" + z->image_name + ".jpg"))).isNull());
    TData_common data(master, app.file("catpref.bin"));
    std::set<int> types;
    for (const auto& c : data.categories) {
        types.insert(c->type);
        EXPECT_FALSE(c->icon.isNull()) << c->name;
    }
    EXPECT_EQ(types, (std::set<int>{1, 2, 3, 4}));
    std::map<char, int> kinds;
    PointsReaderSink sink;
    sink.add_node = [&](rnew_node& r) { ++kinds[r.link.empty() ? ' ' : r.link[0]]; };
    std::string section;
    ASSERT_TRUE(load_section(section, master, 9));
    EXPECT_EQ(read_database(section, sink).points_lost, 0u);
    for (char kind : {'V', 'S', 'I', 'M', 'B', 'J'})
        EXPECT_GE(kinds[kind], 1) << kind;
}

TEST_F(DemoLoad, AdditionsSurviveReloadsAndRestartsUnlessDiscarded) {
    start();
    auto add = [this](const std::string& name) {
        rnew_node r = PointsFixture::point(name, form->map_data->zones[0]->zone_id,
                                           form->common_data->categories[0]->id, 100, 200);
        r.from_master = false;
        ASSERT_NE(form->addnode(r), nullptr);
        form->toggle_tagnew(true);
    };
    form->on_show_update = [](TForm4& f) { f.database_updated = true; };
    std::string pick = "English", offered;
    form->on_prefs_dialog = [&](TForm3& d) {
        offered = from_qstring(d.ComboBox1->currentText());
        d.ComboBox1->setCurrentIndex(d.ComboBox1->findText(QString::fromStdString(pick)));
        d.Button1Click();
    };
    const std::string tide = "Source ti\xE8"
                             "de";
    add(tide);
    // Yes, No or Cancel to the save question, asked after No to the opening one; the command.
    const std::tuple<int, bool, std::string> steps[] = {
        {kAnswerCancel, false, message(77)}, // preferences: the language waits
        {kAnswerCancel, false, message(14)}, // update: the new files wait
        {kAnswerYes, true, ""},
        {kAnswerNo, true, ""},
    };
    for (int i = 0; i < 4; ++i) {
        const auto& [answer, reloaded, said] = steps[i];
        const TRealm_info* loaded = form->realm.get();
        const size_t shown = boxes.texts().size();
        boxes.answer({kAnswerNo, answer});
        if (i == 0)
            form->show_prefs_dialog();
        else
            form->but_autoupClick();
        ASSERT_EQ(boxes.texts().size(), shown + 2 + !said.empty()) << i;
        EXPECT_EQ(boxes.texts()[shown + 1], message(1, "Vev_ajouts_Demo.txt"));
        EXPECT_EQ(said.empty() ? "" : boxes.texts().back(), said);
        EXPECT_EQ(std::pair(form->realm.get() != loaded, form->additions_unsaved),
                  std::pair(reloaded, !reloaded));
        EXPECT_EQ(language, "Francais");
        EXPECT_EQ(find_point(form->points_tree, i == 3 ? "Gnome" : tide) != nullptr, i != 3);
        if (i == 2)
            add("Gnome");
        if (i != 0)
            continue;
        // The waiting language is what the preferences show: taking the loaded one again drops
        // it; taking the waiting one again keeps it waiting.
        for (const char* again : {"Francais", "English"}) {
            pick = again;
            boxes.answer({kAnswerNo});
            if (pick == "English")
                boxes.answer({kAnswerCancel}); // to the reload's question
            form->show_prefs_dialog();
            EXPECT_EQ(std::pair(offered, form->next_start_language),
                      pick == "English" ? std::pair(std::string("Francais"), pick)
                                        : std::pair(std::string("English"), std::string()));
        }
    }
    // The language chosen while the additions were kept comes at the next start, with the
    // additions saved and the last view.
    start();
    EXPECT_EQ(language, "English");
    EXPECT_TRUE(find_point(form->points_tree, tide) && !find_point(form->points_tree, "Gnome"));
    const size_t before = point_names(form->points_tree).size();
    const auto view = std::tuple(2, 333, QPoint(-123, 456));
    EXPECT_EQ(std::tuple(form->current_continent, form->ZoomBar->value(), form->view_offset), view);
    // A reload keeps the view, whatever moves it meanwhile (here the offer of missing maps).
    ASSERT_TRUE(QFile::remove(to_path(maps_path + form->map_data->zones[0]->image_name + ".jpg")));
    bool moved = false;
    form->on_offer_generation = [&](TForm4& f) {
        f.set_zoom({0, 0}, 50);
        moved = true;
    };
    form->reload_database(0);
    EXPECT_TRUE(moved && !form->continent_zones.empty() && !quit_flag && !form->busy);
    EXPECT_EQ(point_names(form->points_tree).size(), before);
    EXPECT_NE(find_point(form->points_tree, tide), nullptr);
    EXPECT_EQ(std::tuple(form->current_continent, form->zoom, form->view_offset), view);
}

TEST_F(ItemColours, OnlyLevelColouredPointsChangeUnlessAllAreRecoloured) {
    PointsFixture f{{{1, 0, 10, "Kalimdor"}},
                    {{"Tanaris", "t", 10, 1}},
                    {{.name = "Mobs", .id = 1, .type = 1, .colour = 0x0000FF},
                     {.name = "Camps", .id = 2, .type = 3, .colour = 0x00FF00}},
                    {{7, 0, 0x123456, "Eau"}},
                    false};
    form = form_with_points(app.path(), f);
    rnew_node mob = PointsFixture::point("Ogre", 10, 1);
    std::tie(mob.level_min, mob.level_max) = std::pair(40, 42);
    rnew_node camp = PointsFixture::point("Camp", 10, 2);
    camp.flags.w[0] = 1u << 7;
    rItemdata *ogre = form->addnode(mob)->item(), *water = form->addnode(camp)->item();
    rPreference.CLVL = true;
    water->colour = 1;
    for (auto [player, colour] : {std::pair{5, level_dark_red}, {41, level_yellow}}) {
        rPreference.NIVP = player;
        form->update_item_colors();
        EXPECT_EQ(static_cast<uint32_t>(ogre->colour), colour) << player;
    }
    EXPECT_EQ(water->colour, 1);
    form->refresh_items(false);
    EXPECT_TRUE(water->colour == 0x123456 && !form->recolour_all);
}

TEST_F(DemoLoad, DatabaseMenuSwitchesDatabasesBehindTheSaveQuestion) {
    // A second database: a copy of the demo under a name that menus would take for a mnemonic.
    const QString from = to_path(app.file("database/Demo")), to = to_path(app.file("database/A&B"));
    QDir().mkpath(to);
    for (const QString& f : QDir(from).entryList(QDir::Files))
        QFile::copy(from + "/" + f, to + "/" + f);
    start();
    const auto items = form->menu_db->actions();
    ASSERT_EQ(items.size(), 2);
    QAction* demo = items[0]->text() == "Demo" ? items[0] : items[1];
    QAction* other = demo == items[0] ? items[1] : items[0];
    EXPECT_TRUE(demo->isChecked() && other->text() == "A&&B");
    // The current database again: nothing is reloaded, and a database waiting for the next
    // start gives way to it.
    const TRealm_info* loaded = form->realm.get();
    form->next_start_db_name = "A&B";
    form->ressourceClick(demo);
    EXPECT_TRUE(form->realm.get() == loaded && form->next_start_db_name.empty());
    // Cancel to the save question keeps the database and its check mark.
    form->toggle_tagnew(true);
    boxes.answer({kAnswerCancel});
    other->setChecked(true);
    form->ressourceClick(other);
    EXPECT_TRUE(db_name == "Demo" && demo->isChecked());
    form->toggle_tagnew(false);
    other->setChecked(true);
    form->ressourceClick(other);
    EXPECT_TRUE(other->isChecked());
    EXPECT_EQ(db_name + " " + additions_file_name, "A&B Vev_ajouts_A&B.txt");
    // Every flag combination reloads the same database with both still listed.
    for (uint8_t flags : {0, 1, 2, 3}) {
        form->reload_database(flags);
        ASSERT_FALSE(quit_flag || form->realm == nullptr);
        EXPECT_TRUE(database_list.size() == 2 && db_name == "A&B");
        ASSERT_EQ(form->menu_db->actions().size(), 2);
        for (QAction* a : form->menu_db->actions())
            EXPECT_EQ(a->isChecked(), a->text() == "A&&B");
    }
    // A reload after which no database is usable ends the program.
    QDir(to_path(app.file("database"))).removeRecursively();
    form->reload_database(2);
    EXPECT_TRUE(quit_flag && form->realm == nullptr);
    EXPECT_EQ(boxes.texts().back(), "[DataBase Error][Program Quit]");
}

TEST_F(PointsLoad, DamagedAndHostileDatabasesKeepOnlyTheSkeleton) {
    PointsFixture f{{{1, 0, 10, "Kalimdor"}}, {{"Tanaris", "t", 10, 1}}, {{"Mobs", 1}}, {}, false};
    form = form_with_points(app.path(), f);
    res_infos = {"-", "-", "Version %1", "-", "Read in %1 s"};
    res_messages.assign(40, "-");
    std::tie(res_messages[35], res_messages[38]) = std::pair("invalid", "cannot read %1");
    const PointsHeader header{{}, 12, {}};
    const std::string two = points_section({{.name = "A", .zone_id = 10, .category_id = 1},
                                            {.name = "B", .zone_id = 10, .category_id = 1}},
                                           header);
    // A small file whose records outnumber any database: the real points are dropped too.
    PointsWriter bomb;
    bomb.header(header).raw(two.substr(8 + 5, two.size() - 8 - 5 - 1)); // without tag 255
    bomb.raw(std::string(max_database_points, static_cast<char>(199)));
    struct Case {
        ContainerWriter container;
        std::string message;
        size_t points;
    };
    const std::vector<Case> cases = {
        {ContainerWriter().section(9, two), "", 2},
        {ContainerWriter().raw_section(9, "not a zlib stream"), "cannot read master.loc", 0},
        {ContainerWriter().section(3, "zones"), "cannot read master.loc", 0},
        {ContainerWriter().section(9, "WOWKV100"), "invalid", 0},
        {ContainerWriter().section(9, bomb.bytes()), "invalid", 0},
        // More than any section inflates to.
        {ContainerWriter().section(9, std::string(section_limit(9) + 1, '\0')),
         "cannot read master.loc", 0},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        ScriptedMessages boxes;
        master_file = app.file("master.loc");
        ASSERT_TRUE(cases[i].container.write(master_file));
        form->points_tree.clear();
        form->build_zone_tree();
        form->realm->header_value2 = 0;
        form->Memo1->clear();
        form->load_database();
        EXPECT_EQ(boxes.texts(), cases[i].message.empty() ? std::vector<std::string>{}
                                                          : std::vector{cases[i].message});
        EXPECT_EQ(std::pair(point_names(form->points_tree).size(), form->realm->header_value2),
                  std::pair(cases[i].points, cases[i].points ? 12 : 0));
        EXPECT_TRUE(form->G32_ProgressBar1->isHidden() &&
                    form->Memo1->toPlainText().endsWith(" s\n"));
    }
}
