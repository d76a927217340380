#include "database/database_list.h"
#include "mainwindow/widgets/fic_firstinfo.h"
#include "mainwindow/widgets/map.h"
#include "support/demo_install.h"
#include "support/dialog_answer.h"
#include "support/saved_globals.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <gtest/gtest.h>

// The installation and its database folder named in other scripts: a Cyrillic database chosen
// in the first-run dialog, and a Latin one that an older version stored in Windows-1252.
TEST(NativePaths, StartLoadSaveAndRestartWithFoldersNamedInAnyScript) {
    const struct {
        const char* app;
        const char* database;
        std::string pref_lines;
    } cases[] = {
        {"Карты Vev/", "База", "[DATU]=4\r\n[PSEU]=Ann\r\n[EDIM]=База\r\n"},
        {"地图 Vev/", "Démo",
         "[LANG]=English\r\n[DBDB]=D\xE9mo\r\n[EDIM]=D\xE9mo\r\n[DATU]=4\r\n[PSEU]=Ann\r\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.app);
        TempDir dir;
        SavedGlobals globals;
        ScriptedMessages boxes;
        const std::string app = dir.file(c.app), database = c.database;
        support::install_demo(app, c.pref_lines);
        ASSERT_TRUE(
            QDir().rename(to_path(app + "database/Demo"), to_path(app + "database/" + database)));
        QFile::remove(to_path(app + "ajouts/Vev_ajouts_Demo.txt"));
        for (int start = 0; start < 2; ++start) {
            database_list.clear();
            language.clear();
            db_name.clear();
            edit_db_name.clear();
            TForm4 form(app);
            form.on_offer_generation = [](TForm4&) { ADD_FAILURE() << "zone images not found"; };
            // Only the first start without a database asks for one.
            DialogAnswer answer([&](QWidget* w) {
                auto* d = qobject_cast<TForm1*>(w);
                ASSERT_TRUE(d && d->ListBox2->count() == 1 &&
                            d->ListBox2->item(0)->text() == QString::fromUtf8(c.database));
                d->ComboBox1->setCurrentIndex(d->ComboBox1->findText("English"));
                d->ListBox2->setCurrentRow(0);
                d->Button1Click();
            });
            form.FormActivate();
            EXPECT_EQ(answer.seen(),
                      start == 0 && c.pref_lines.find("[DBDB]") == std::string::npos);
            ASSERT_NE(selected_database, nullptr);
            EXPECT_EQ(db_name + "|" + edit_db_name + "|" + get_text(30),
                      database + "|" + database + "|Close");
            // The name whole in the database menu and in the feedback line of the load.
            ASSERT_EQ(form.menu_db->actions().size(), 1);
            EXPECT_TRUE(form.menu_db->actions()[0]->text() == QString::fromUtf8(c.database) &&
                        form.menu_db->actions()[0]->isChecked());
            EXPECT_EQ(form.feedback_lines.lines().front().shown,
                      QString::fromUtf8("Database " + database + " loaded"));
            form.show_on_map(form.continent_zone_node(2), 0, 0, kShowKeepView);
            ASSERT_FALSE(form.continent_zones.empty());
            for (const pMap_info* zone : form.continent_zones) // the zone images are found
                EXPECT_TRUE(zone->no_image || !zone->normal_image.isNull()) << zone->image_name;
            form.Sauver1Click();
            EXPECT_TRUE(file_exists(app + "ajouts/Vev_ajouts_" + database + ".txt"));
            EXPECT_TRUE(
                form.feedback_lines.lines()[form.feedback_lines.lines().size() - 2].shown.endsWith(
                    QString::fromUtf8("Vev_ajouts_" + database + ".txt")));
            form.zoom = 321 + start;
        }
        std::string ini;
        ASSERT_TRUE(read_file(app + "pref.ini", ini));
        for (const std::string& line :
             {std::string("[LOCZ]=322"), "[DBDB]=" + database, "[EDIM]=" + database})
            EXPECT_NE(ini.find(line + "\r\n"), std::string::npos) << line;
        EXPECT_EQ(boxes.texts(), std::vector<std::string>{});
    }
}
