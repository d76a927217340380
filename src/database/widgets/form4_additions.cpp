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

namespace {

std::string file_name_part(const std::string& path) {
    return path.substr(path.find_last_of("/\\") + 1);
}

} // namespace

void TForm4::reload_additions() {
    additions_unread.clear();
    additions_beside.clear();
    const std::string path = additions_file_path();
    if (realm && realm->header_value2 != 0) {
        rejected_lines = 0;
        if (load_additions(path)) {
            if (rejected_lines > 0)
                save_additions(path);
            return;
        }
    }
    if (file_exists(path))
        additions_unread = path;
}

bool TForm4::load_additions(const std::string& file_name) {
    if (!file_exists(file_name))
        return true;
    if (!realm || !map_data)
        return false;
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
    return result.status == AdditionsRead::Read;
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
    // The file the load did not merge stays as it is: the additions go to a file beside it.
    const bool beside = !additions_unread.empty() && file_name == additions_unread;
    const bool first_beside = beside && additions_beside.empty();
    if (first_beside)
        additions_beside = additions_beside_path(file_name);
    const std::string target = beside ? additions_beside : file_name;
    // A rewrite that drops lines keeps the previous file as the backup.
    std::string previous;
    const bool backup_failed = rejected_lines > 0 && !beside && read_file(file_name, previous) &&
                               !write_file_atomic(additions_backup_path(file_name), previous);
    const std::string text =
        additions_file_text(points_tree, random_header_digits(), rPreference.PSEU);
    if (backup_failed || !write_file_atomic(target, text)) {
        if (first_beside)
            additions_beside.clear();
        show_message(6, false, path_text(file_name_part(target)));
        return false;
    }
    toggle_tagnew(false);
    if (first_beside)
        show_message(74, false, additions_file_name, path_text(file_name_part(target)));
    if (rejected_lines > 0) {
        feedback(4, 6, std::to_string(rejected_lines), additions_file_name);
        rejected_lines = 0;
    } else {
        feedback(5, 4, path_text(ajouts_path), path_text(file_name_part(target)));
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
        save_additions(additions_file_path());
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
        save_additions(additions_file_path());
}
