#include "database/database_list.h"
#include "mainwindow/widgets/map.h"
#include "support/demo_install.h"
#include "support/saved_globals.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

#include <QFile>
#include <gtest/gtest.h>

TEST(NativePaths, StartLoadSaveAndCloseInAFolderNamedInAnyScript) {
    for (const char* name : {"Карты Vev/", "地图 Vev/"}) {
        SCOPED_TRACE(name);
        TempDir dir;
        SavedGlobals globals;
        ScriptedMessages boxes;
        const std::string app = dir.file(name), additions = app + "ajouts/Vev_ajouts_Demo.txt";
        support::install_demo(app, "[LANG]=English\r\n[DBDB]=Demo\r\n[EDIM]=Demo\r\n[DATU]=4\r\n"
                                   "[PSEU]=Ann\r\n");
        QFile::remove(to_path(additions));
        database_list.clear();
        {
            TForm4 form(app);
            form.on_offer_generation = [](TForm4&) { ADD_FAILURE() << "zone images not found"; };
            form.FormActivate();
            EXPECT_EQ(get_text(30), "Close"); // the English texts
            form.show_on_map(form.continent_zone_node(2), 0, 0, kShowKeepView);
            ASSERT_FALSE(form.continent_zones.empty());
            for (const pMap_info* zone : form.continent_zones) // the zone images are found
                EXPECT_TRUE(zone->no_image || !zone->normal_image.isNull()) << zone->image_name;
            form.Sauver1Click();
            EXPECT_TRUE(file_exists(additions));
            form.zoom = 321;
        }
        std::string ini;
        ASSERT_TRUE(read_file(app + "pref.ini", ini));
        EXPECT_NE(ini.find("[LOCZ]=321\r\n"), std::string::npos);
        EXPECT_EQ(boxes.texts(), std::vector<std::string>{});
    }
}
