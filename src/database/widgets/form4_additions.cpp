// The main window's additions file: reading and merging at each data load, writing, the
// unsaved-additions flag with its question, and the auto-save tick.

#include "database/additions_file.h"
#include "database/database_list.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/input_pseudo.h"
#include "mainwindow/widgets/map.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

#include <cmath>

void TForm4::reload_additions() {
    if (!realm || realm->header_value2 == 0)
        return;
    rejected_lines = 0;
    const std::string path = ajouts_path + path_name(additions_file_name);
    load_additions(path);
    if (rejected_lines > 0)
        save_additions(path);
}

void TForm4::load_additions(const std::string& file_name) {
    if (!realm || !map_data || !file_exists(file_name))
        return;
    const bool strict = !selected_database || !selected_database->not_editable;
    TAdditionsMerger merger(*map_data, *realm,
                            {[this](const rnew_node& r) { return addnode(r); },
                             [this](TreeNode* node) { destroynode(node); }},
                            strict);
    const AdditionsReadResult result = merge_additions_file(file_name, merger);
    rejected_lines += result.rejected;
    if (result.status == AdditionsRead::BadHeader) {
        show_message(37, false);
    } else if (result.status == AdditionsRead::Read) {
        const auto score = static_cast<long long>(std::nearbyint(realm->additions_score));
        const std::string counts =
            std::to_string(realm->additions_count) + " [" + std::to_string(score) + "]";
        Memo1->appendPlainText(to_qstring(format_text(get_info_text(5), counts, "")));
    }
    Memo1->appendPlainText(QString());
}

void TForm4::save_additions(const std::string& file_name) {
    Timer3.stop();
    if (rPreference.PSEU.empty())
        rPreference.PSEU = ask_pseudo().substr(0, TForm6::kMaxNicknameLength);
    write_additions(file_name);
    if (rPreference.AUTO)
        Timer3.start();
}

bool TForm4::write_additions(const std::string& file_name) {
    const std::string text =
        additions_file_text(points_tree, random_header_digits(), rPreference.PSEU);
    if (!write_file_atomic(file_name, text)) {
        show_message(6, false, additions_file_name);
        return false;
    }
    toggle_tagnew(false);
    if (rejected_lines > 0) {
        feedback(4, 6, std::to_string(rejected_lines), additions_file_name);
        rejected_lines = 0;
    } else {
        feedback(5, 4, path_text(ajouts_path), additions_file_name);
    }
    return true;
}

std::string TForm4::ask_pseudo() {
    TForm6 dialog(this);
    dialog.setWindowTitle(to_qstring(get_text(77)));
    dialog.exec();
    return from_qstring(dialog.Edit1->text());
}

bool TForm4::confirm_save_additions(int text) {
    if (!additions_unsaved)
        return true;
    const int answer = show_message(text, true, additions_file_name);
    if (answer == kAnswerYes) {
        save_additions(ajouts_path + path_name(additions_file_name));
        // A failed save keeps the caller (closing, another database...) from going on.
        return !additions_unsaved;
    }
    if (answer == kAnswerNo) {
        if (text == 1)
            toggle_tagnew(false);
        return true;
    }
    return false;
}

void TForm4::toggle_tagnew(bool unsaved) {
    sauver1->setEnabled(unsaved);
    set_tool_button_enabled(but_sav, unsaved);
    additions_unsaved = unsaved;
}

void TForm4::Timer3Timer() {
    if (autosave_allowed && additions_unsaved)
        save_additions(ajouts_path + path_name(additions_file_name));
}
