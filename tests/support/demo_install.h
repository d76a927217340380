#pragma once
// The demo installation for main-window tests (tests link the demo writer; the support library
// does not).

#include "database/database_list.h"
#include "demo/demo_database.h"
#include "foundation/text_codec.h"
#include "support/form4_points.h"

#include <string>

namespace support {

// The program's files, the demo database and a pref.ini holding these lines (CR LF ended) after
// its version line.
inline void install_demo(const std::string& app_folder, const std::string& pref_lines) {
    copy_program_files(app_folder);
    write_demo_installation(load_demo_description(KARVELO_SOURCE_DIR "/demo/Demo/database.json"),
                            app_folder);
    write_file_atomic(app_folder + "pref.ini", "; prefs\r\n[VERS]=1\r\n" + pref_lines);
}

// A main window test over the demo installation.
class DemoTest : public Form4Test {
protected:
    void install(const std::string& pref_lines) {
        quit_flag = false;
        database_list.clear();
        install_demo(app.path(), pref_lines);
    }
    // A new window started as the program starts, after the old one has gone (writing its files).
    void start() {
        form.reset();
        form = std::make_unique<TForm4>(app.path());
        form->FormActivate();
    }
    void TearDown() override {
        form.reset();
        quit_flag = false;
    }
};

} // namespace support
