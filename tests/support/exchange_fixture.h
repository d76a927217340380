#pragma once
// The globals of the update and sending tests: English texts, one database "Demo" selected and
// the preferences at their defaults, all put back afterwards; message boxes are recorded.

#include <gtest/gtest.h>

#include <QDialog>
#include <QEventLoop>
#include <QTimer>

#include "support/saved_globals.h"
#include "support/scripted_messages.h"
#include "support/temp_dir.h"
#include "support/window_input.h"

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

// A click on `start`, then `key` typed half a second later, as a user types ahead of long work;
// a second later a click on `cancel` ends the work. With Tab: Tab until `cancel` has the focus,
// then Space. Runs until the dialog closes; says "went on" when `going_on()` held before the
// click on `cancel`, "ended by Space" when the Tabs reached `cancel` and Space closed it.
inline std::string after_key(QDialog& d, QWidget* start, QWidget* cancel, int key,
                             const std::function<bool()>& going_on) {
    std::string seen = "ended";
    queue_click(start);
    std::unique_ptr<InputSteps> tabbing;
    if (key == Qt::Key_Tab) {
        tabbing = std::make_unique<InputSteps>(
            std::vector<std::function<bool()>>{[start] { return !start->isEnabled(); },
                                               tab_to(cancel),
                                               [&seen, cancel] {
                                                   seen = "ended by Space";
                                                   queue_key(cancel, Qt::Key_Space);
                                                   return true;
                                               }},
            [&d] { d.done(0); });
    } else {
        QTimer::singleShot(500, &d, [&d, key] { queue_key(&d, key); });
        QTimer::singleShot(1500, &d, [&seen, &going_on, cancel] {
            if (going_on())
                seen = "went on";
            queue_click(cancel);
        });
    }
    QTimer::singleShot(15000, &d, [&d, &seen] {
        seen = "stayed open";
        d.done(0);
    });
    run_until_closed(d);
    return seen;
}

} // namespace support
