// The main window's additions file: reading and merging at each data load, writing, the
// unsaved-additions flag with its question, and the auto-save tick.

#include "database/additions_file.h"
#include "database/database_list.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"
#include "foundation/widgets/func_karvo_widgets.h"
#include "mainwindow/preferences.h"
#include "mainwindow/widgets/input_pseudo.h"
#include "mainwindow/widgets/map.h"

#include <QAction>
#include <QDateTime>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Feedback messages: additions taken back from a fallback copy; a fallback copy of the home
// folder that no installation takes in.
constexpr int kRecoveredMessage = 84;
constexpr int kUnknownCopyMessage = 85;
// A save that would pass what a load reads back.
constexpr int kTooLargeMessage = 86;

std::string file_name_part(const std::string& path) {
    return path.substr(path.find_last_of("/\\") + 1);
}

// A file of the additions folder by its name, another by its path.
std::string shown_file(const std::string& path) {
    return path.starts_with(ajouts_path) ? file_name_part(path) : path;
}

} // namespace

void TForm4::reload_additions() {
    const std::string path = additions_file_path();
    additions_files.reset(path);
    const TUnsavedFiles unsaved = find_unsaved_additions(path);
    for (const std::string& file : unsaved.unknown)
        feedback(kUnknownCopyMessage, 10, file, {}, FeedbackLines::kNameArg1);
    if (!realm || realm->header_value2 == 0) {
        // Without its points the database cannot take the file in: the file stays as it is.
        additions_files.save_beside();
        return;
    }
    rejected_lines = 0;
    std::vector<std::string> recovered;
    const bool read = load_newest_state(path, unsaved.of_file, recovered);
    if (!read)
        additions_files.save_beside();
    // The file beside holds what was saved while the additions file could not be read.
    const std::string beside = additions_files.beside();
    const bool beside_there = file_exists(beside);
    if ((beside_there || !unsaved.of_beside.empty()) &&
        load_newest_state(beside, unsaved.of_beside, recovered) && read && beside_there)
        additions_files.take_in(beside);
    // The save takes in what the states above replaced, and those files go.
    if (rejected_lines > 0 || additions_files.taking_in())
        save_additions(path);
    for (const std::string& file : recovered)
        feedback(kRecoveredMessage, 8, shown_file(file), {}, FeedbackLines::kNameArg1);
}

bool TForm4::load_newest_state(const std::string& file, const std::vector<TUnsavedCopy>& copies,
                               std::vector<std::string>& recovered) {
    if (copies.empty())
        return load_additions(file);
    // What the file holds now tells which copies were made after it.
    const AdditionsReadResult now = additions_files.scan(file);
    if (now.status != AdditionsRead::Read && now.status != AdditionsRead::Missing)
        return load_additions(file); // says why; the copies wait until the file reads
    const std::string base = additions_files.base_line(file);
    AdditionsLineSet kept;
    const TUnsavedCopy* chosen = nullptr;
    std::vector<const TUnsavedCopy*> older;
    std::vector<const TUnsavedCopy*> apart;
    for (auto copy = copies.rbegin(); copy != copies.rend(); ++copy) {
        if (copy->base.empty()) {
            apart.insert(apart.begin(), &*copy);
            continue;
        }
        if (chosen || "#base " + copy->base != base) {
            older.push_back(&*copy);
            continue;
        }
        bool merged = false;
        if (load_additions(copy->file, file, &kept, &merged))
            chosen = &*copy;
        else if (merged)
            return false; // part of it is in the tree: nothing goes, the saves go beside
        // A copy that does not read stays for a later start.
    }
    if (!chosen && !load_additions(file, file, &kept))
        return false;
    for (const TUnsavedCopy* copy : older)
        additions_files.supersede(copy->file, kept);
    if (chosen) {
        additions_files.supersede(file, kept);
        additions_files.take_in(chosen->file);
        recovered.push_back(chosen->file);
    }
    // A copy that does not tell which state it was made over (moved here from another
    // installation) adds its points to the state, as the file beside does.
    for (const TUnsavedCopy* copy : apart) {
        if (load_additions(copy->file)) {
            additions_files.take_in(copy->file);
            recovered.push_back(copy->file);
        }
    }
    return true;
}

bool TForm4::load_additions(const std::string& file_name) {
    return load_additions(file_name, file_name, nullptr);
}

bool TForm4::load_additions(const std::string& file_name, const std::string& state_of,
                            AdditionsLineSet* lines, bool* merged) {
    if (!QFileInfo::exists(to_path(file_name)))
        return true;
    if (!realm || !map_data)
        return false;
    const bool strict = !selected_database || !selected_database->not_editable;
    TAdditionsMerger merger(*map_data, *realm,
                            {[this](const rnew_node& r) { return addnode(r); },
                             [this](TreeNode* node) { destroynode(node); }},
                            strict);
    const AdditionsReadResult result = additions_files.merge(file_name, merger, state_of, lines);
    if (merged)
        *merged = result.merged;
    rejected_lines += result.rejected;
    switch (result.status) {
    case AdditionsRead::BadHeader:
        show_message(37, false);
        break;
    case AdditionsRead::TooLarge:
        log_outside_limit(path_text(file_name), size_text(additions_file_limit), false);
        [[fallthrough]];
    case AdditionsRead::Unreadable:
        show_message(38, false, path_text(file_name_part(file_name)));
        break;
    case AdditionsRead::Read: {
        const auto score = static_cast<long long>(std::nearbyint(realm->additions_score));
        const std::string counts =
            std::to_string(realm->additions_count) + " [" + std::to_string(score) + "]";
        Memo1->appendPlainText(to_qstring(format_text(get_info_text(5), counts, "")));
        break;
    }
    case AdditionsRead::Missing:
        break;
    }
    Memo1->appendPlainText(QString());
    return result.status == AdditionsRead::Read || result.status == AdditionsRead::Missing;
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
    const std::string heading = "# " +
                                from_qstring(QDateTime::currentDateTime().toString(Qt::ISODate)) +
                                " " + additions_file_name;
    const TAdditionsFiles::Written w = additions_files.write(file_name, text, heading);
    if (!w.set_aside.empty())
        show_message(76, false, path_text(file_name_part(w.file)),
                     path_text(file_name_part(w.set_aside)));
    if (w.too_large) {
        show_message(kTooLargeMessage, false, path_text(file_name_part(w.file)),
                     size_text(additions_save_limit));
        return false;
    }
    if (!w.ok) {
        show_message(6, false, path_text(file_name_part(w.file)));
        return false;
    }
    toggle_tagnew(false);
    if (w.first_beside)
        show_message(74, false, additions_file_name, path_text(file_name_part(w.file)));
    if (rejected_lines > 0) {
        feedback(4, 6, std::to_string(rejected_lines), additions_file_native_name,
                 FeedbackLines::kNameArg2);
        rejected_lines = 0;
    } else {
        feedback(5, 4, ajouts_path, file_name_part(w.file),
                 FeedbackLines::kNameArg1 | FeedbackLines::kNameArg2);
    }
    return true;
}

bool TForm4::save_additions_quietly() {
    // No one may be there to answer: what a box would say goes to error.log.
    std::vector<std::string> said;
    MessageHandler boxes = set_message_handler([&said](MessageKind, const std::string& text) {
        said.push_back(text);
        return kAnswerCancel;
    });
    // While the start-up or a reload runs the tree is incomplete: only the fallback takes it.
    if (!busy && autosave_allowed && additions_unsaved)
        write_additions(additions_file_path());
    const bool saved = !additions_unsaved;
    if (!saved) {
        const std::string file = current_additions_path();
        const std::string fallback = write_additions_fallback(
            file, additions_file_text(points_tree, random_header_digits(), rPreference.PSEU));
        if (!fallback.empty())
            show_message(78, false, path_text(file), path_text(fallback));
    }
    set_message_handler(std::move(boxes));
    for (std::string& line : said) {
        std::replace(line.begin(), line.end(), '\r', ' ');
        if (!append_error_log(line))
            std::fprintf(stderr, "%s\n", to_qstring(line).toLocal8Bit().constData());
    }
    return saved;
}

std::string TForm4::ask_pseudo() {
    TForm6 dialog(this);
    dialog.setWindowTitle(to_qstring(get_text(77)));
    exec_modal(dialog);
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
