#include "database/database_list.h"
#include "database/points_tree.h"
#include "demo/demo_database.h"
#include "foundation/Data.h"
#include "foundation/func_ressource.h"
#include "foundation/node_data.h"
#include "foundation/text_codec.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/map.h"
#include "support/form4_points.h"
#include "support/points_fixture.h"
#include "support/saved_globals.h"
#include "support/scripted_messages.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

using namespace support;

namespace {

int count_points(const TPointsTree& tree, bool visible_only) {
    int n = 0;
    for (TreeNode* node = tree.first(); node; node = TPointsTree::next(node))
        if (node->level == kLevelPoint && (!visible_only || node->visible))
            ++n;
    return n;
}

TreeNode* find_point(const TPointsTree& tree, const std::string& name) {
    for (TreeNode* node = tree.first(); node; node = TPointsTree::next(node))
        if (node->item() && node->item()->name == name)
            return node;
    return nullptr;
}

// The demo installation, started as the program starts, without any dialog.
class DemoLoad : public ::testing::Test {
protected:
    SavedGlobals globals;
    ScriptedMessages boxes;
    TempDir dir;

    void SetUp() override {
        quit_flag = false;
        database_list.clear();
        language.clear();
        db_name.clear();
        edit_db_name.clear();
        app_path.clear();
        QDir().mkpath(to_path(dir.file("res")));
        QDir().mkpath(to_path(dir.file("data")));
        for (const char* f : {"icon_a.bmp", "icon_b.bmp", "cible.bmp", "vev.bmp"})
            QFile::copy(QStringLiteral(KARVELO_SOURCE_DIR "/data/") + QLatin1String(f),
                        to_path(dir.file(std::string("data/") + f)));
        QDir(to_path(dir.file("res"))).mkdir(QStringLiteral("Francais"));
        QFile::copy(QStringLiteral(KARVELO_SOURCE_DIR "/res/Francais/ressource.txt"),
                    to_path(dir.file("res/Francais/ressource.txt")));
        write_demo_installation(
            load_demo_description(KARVELO_SOURCE_DIR "/demo/Demo/database.json"), dir.path());
        write_file_atomic(dir.file("pref.ini"), "; prefs\r\n[VERS]=1\r\n[LANG]=Francais\r\n"
                                                "[DBDB]=Demo\r\n[EDIM]=Demo\r\n[DATU]=4\r\n"
                                                "[PSEU]=Ondine\r\n");
    }
    void TearDown() override { quit_flag = false; }

    std::unique_ptr<TForm4> start() {
        auto form = std::make_unique<TForm4>(dir.path());
        form->FormActivate();
        return form;
    }
};

} // namespace

TEST_F(DemoLoad, LoadsEveryPointAndMergesTheAdditions) {
    auto form = start();
    EXPECT_EQ(boxes.texts(), std::vector<std::string>{});
    ASSERT_NE(form->realm, nullptr);
    EXPECT_EQ(form->realm->header_value2, 128);
    // The database points and three new ones; a deletion entry hides one.
    const int database_points =
        int(load_demo_description(KARVELO_SOURCE_DIR "/demo/Demo/database.json").points.size());
    EXPECT_GE(count_points(form->points_tree, false), database_points + 3);
    EXPECT_EQ(count_points(form->points_tree, true), database_points + 3 - 1);
    TreeNode* hidden = find_point(form->points_tree, "Vieux puits");
    EXPECT_TRUE(hidden == nullptr || !hidden->visible);
    EXPECT_EQ(form->realm->additions_count, 5);
    const std::string memo = from_qstring(form->Memo1->toPlainText());
    EXPECT_NE(memo.find("128"), std::string::npos);
    EXPECT_NE(memo.find(format_text(get_info_text(7), "", "").substr(0, 8)), std::string::npos);
    EXPECT_FALSE(form->ImageList_c.empty());
    EXPECT_FALSE(form->Listiconmap.empty());
    EXPECT_FALSE(form->additions_unsaved);
}

TEST_F(DemoLoad, AdditionsSurviveSaveRestartAndReload) {
    {
        auto form = start();
        rnew_node r = PointsFixture::point("Source ti\xE8"
                                           "de",
                                           form->map_data->zones[0]->zone_id,
                                           form->common_data->categories[0]->id, 100, 200);
        r.from_master = false;
        ASSERT_NE(form->addnode(r), nullptr);
        form->toggle_tagnew(true);
        form->Sauver1Click();
        EXPECT_FALSE(form->additions_unsaved);
    }
    auto form = start();
    EXPECT_NE(find_point(form->points_tree, "Source ti\xE8"
                                            "de"),
              nullptr);
    const int before = count_points(form->points_tree, false);
    form->show_on_map(form->continent_zone_node(2), 0, 0, kShowKeepView);
    form->zoom = 640;
    form->view_offset = QPoint(-12, 34);
    form->reload_database(0);
    EXPECT_EQ(form->current_continent, 2);
    EXPECT_FALSE(form->continent_zones.empty());
    EXPECT_FALSE(quit_flag);
    EXPECT_EQ(count_points(form->points_tree, false), before);
    EXPECT_NE(find_point(form->points_tree, "Source ti\xE8"
                                            "de"),
              nullptr);
    EXPECT_EQ(form->zoom, 640);
    EXPECT_EQ(form->view_offset, QPoint(-12, 34));
    EXPECT_FALSE(form->busy);
}

TEST_F(DemoLoad, ReloadWithoutDatabaseEndsTheProgram) {
    auto form = start();
    QDir(to_path(dir.file("database"))).removeRecursively();
    form->reload_database(2);
    EXPECT_TRUE(quit_flag);
    EXPECT_EQ(form->realm, nullptr);
    EXPECT_EQ(boxes.texts().back(), "[DataBase Error][Program Quit]");
}

TEST(ItemColours, OnlyLevelColouredPointsChangeUnlessAllAreRecoloured) {
    SavedGlobals globals;
    ScriptedMessages boxes;
    TempDir app;
    PointsFixture f{{{1, 0, 10, "Kalimdor"}},
                    {{"Tanaris", "t", 10, 1}},
                    {{.name = "Mobs", .id = 1, .type = 1, .colour = 0x0000FF},
                     {.name = "Camps", .id = 2, .type = 3, .colour = 0x00FF00}},
                    {{7, 0, 0x123456, "Eau"}},
                    false};
    auto form = form_with_points(app.path(), f);
    rnew_node mob = PointsFixture::point("Ogre", 10, 1);
    mob.level_min = 40;
    mob.level_max = 42;
    rnew_node camp = PointsFixture::point("Camp", 10, 2);
    camp.flags.w[0] = 1u << 7;
    rItemdata* ogre = form->addnode(mob)->item();
    rItemdata* water = form->addnode(camp)->item();
    rPreference.NIVP = 5;
    rPreference.CLVL = true;
    ogre->colour = 1;
    water->colour = 1;
    form->update_item_colors();
    EXPECT_NE(ogre->colour, 1);
    EXPECT_EQ(water->colour, 1);
    form->refresh_items(false);
    EXPECT_EQ(water->colour, 0x123456);
    EXPECT_FALSE(form->recolour_all);
}

TEST_F(DemoLoad, DatabaseMenuSwitchesDatabasesBehindTheSaveQuestion) {
    // A second database: a copy of the demo under another name.
    const QString from = to_path(dir.file("database/Demo"));
    const QString to = to_path(dir.file("database/Autre"));
    QDir().mkpath(to);
    for (const QString& f : QDir(from).entryList(QDir::Files))
        QFile::copy(from + "/" + f, to + "/" + f);
    auto form = start();
    const auto items = form->menu_db->actions();
    ASSERT_EQ(items.size(), 2);
    QAction* demo = items[0]->text() == "Demo" ? items[0] : items[1];
    QAction* other = demo == items[0] ? items[1] : items[0];
    EXPECT_TRUE(demo->isChecked());

    // The current database again: nothing is reloaded.
    const TRealm_info* loaded = form->realm.get();
    form->ressourceClick(demo);
    EXPECT_EQ(form->realm.get(), loaded);

    // Cancel to the save question keeps the database and its check mark.
    form->toggle_tagnew(true);
    boxes.answer({kAnswerCancel});
    other->setChecked(true);
    form->ressourceClick(other);
    EXPECT_EQ(db_name, "Demo");
    EXPECT_TRUE(demo->isChecked());

    form->toggle_tagnew(false);
    other->setChecked(true);
    form->ressourceClick(other);
    EXPECT_EQ(db_name, "Autre");
    EXPECT_TRUE(other->isChecked());
    EXPECT_EQ(additions_file_name, "Vev_ajouts_Autre.txt");

    // Every flag combination reloads the same database with both still listed.
    for (uint8_t flags : {0, 1, 2, 3}) {
        form->reload_database(flags);
        EXPECT_FALSE(quit_flag);
        ASSERT_NE(form->realm, nullptr);
        EXPECT_EQ(database_list.size(), 2u);
        EXPECT_EQ(form->menu_db->actions().size(), 2);
        EXPECT_EQ(db_name, "Autre");
    }
}
