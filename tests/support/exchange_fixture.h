#pragma once
// The globals of the update and sending tests: English texts, one database "Demo" selected and
// the preferences at their defaults, all put back afterwards; message boxes are recorded.

#include <gtest/gtest.h>

#include <QDialog>
#include <QEventLoop>

#include "support/saved_globals.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"

namespace support {

class ExchangeTest : public ::testing::Test {
protected:
    SavedGlobals saved;
    TempDir dir;
    ScriptedMessages boxes;

    void SetUp() override {
        res_path = KARVELO_SOURCE_DIR "/res/";
        language = "English";
        ASSERT_TRUE(load_ressource());
        db_name = "Demo";
        rPreference = TPreference{};
        database_list.clear();
        database_list.push_back(std::make_unique<rdbavailable>());
        selected_database = database_list[0].get();
        selected_database->folder = "Demo";
    }
    void TearDown() override {
        database_list.clear();
        selected_database = nullptr;
    }
};

// Whether a box showed exactly this text.
inline bool was_shown(const ScriptedMessages& boxes, const std::string& text) {
    const auto texts = boxes.texts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// Runs the events until the dialog is closed.
inline void run_until_closed(QDialog& dialog) {
    QEventLoop loop;
    QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace support
