#include "foundation/func_ressource.h"

#include <QDateTime>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QtGlobal>

#include <cctype>
#include <cstdio>
#include <utility>

#include "foundation/func_karvo.h"
#include "foundation/text_codec.h"

std::vector<std::string> res_captions;
std::vector<std::string> res_infos;
std::vector<std::string> res_menus;
std::vector<std::string> res_messages;
std::vector<std::string> res_hints;
std::vector<std::string> res_about;
std::vector<std::string> res_types;

std::string app_path;
std::string data_path;
std::string database_path;
std::string maps_path;
std::string res_path;
std::string ajouts_path;
std::string db_path;
std::string master_file;
std::string language;
std::string db_name;
std::string edit_db_name;

namespace {

MessageHandler message_handler;
int outside_limits = 0;

std::string with_title(std::string text) {
    text = replace_all(text, "%0", kProductTitle);
    return text;
}

std::vector<std::string>* section_of(char letter) {
    switch (letter) {
    case 'C':
        return &res_captions;
    case 'I':
        return &res_infos;
    case 'M':
        return &res_menus;
    case 'S':
        return &res_messages;
    case 'H':
        return &res_hints;
    case 'A':
        return &res_about;
    case 'T':
        return &res_types;
    default:
        return nullptr;
    }
}

// The entry n of a section, or nullptr when n is out of range.
const std::string* entry(const std::vector<std::string>& section, int n) {
    if (n < 0 || static_cast<size_t>(n) >= section.size())
        return nullptr;
    return &section[static_cast<size_t>(n)];
}

// Caption, information and menu texts share one rule.
std::string titled_or_error(const std::vector<std::string>& section, int n) {
    const std::string* e = entry(section, n);
    if (e == nullptr || e->empty())
        return kResourceError;
    return with_title(*e);
}

struct EarlyEntry {
    EarlyText which;
    int message; // the language file's number, 0 when it has none
    const char* french;
    const char* english;
};

constexpr EarlyEntry kEarlyTexts[] = {
    {EarlyText::PreferencesNotSaved, 22,
     "Impossible d'enregistrer les pr\xE9"
     "f\xE9rences.",
     "Could not save the preferences."},
    {EarlyText::IconsNotLoaded, 47, "Impossible de charger les ic\xF4nes %1.",
     "Could not load the icons %1."},
    {EarlyText::NoLanguageFiles, 0,
     "Les fichiers de langue manquent : le dossier %1 ne contient aucune langue.%%"
     "%0va se fermer.",
     "The language files are missing: the folder %1 holds no language.%%%0will close."},
    {EarlyText::AlreadyRunning, 0,
     "%0est d\xE9j\xE0 lanc\xE9 depuis le dossier %1.%%Fermez-le avant d'en lancer un autre.",
     "%0is already running from the folder %1.%%Close it before starting another one."},
};

// French for an unknown language or any spelling of "Francais", English for the others.
bool french_preferred() {
    std::string start = language.substr(0, 4);
    for (char& c : start)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return language.empty() || start == "fran";
}

std::string early_template(const EarlyEntry& e) {
    return french_preferred() ? e.french : e.english;
}

void reset_sections() {
    for (char letter : std::string("CIMSHAT")) {
        std::vector<std::string>* section = section_of(letter);
        section->assign(1, "-");
    }
}

} // namespace

bool load_ressource() {
    reset_sections();
    std::string path = res_path + path_name(language) + "/ressource.txt";
    if (!file_exists(path)) {
        language = kFallbackLanguage;
        path = res_path + path_name(language) + "/ressource.txt";
    }
    std::vector<std::string> lines;
    if (!file_exists(path) || !read_text_lines(path, kLanguageFileLimits, lines)) {
        show_box(MessageKind::Plain, "erreur de ressources");
        return false;
    }
    for (const std::string& line : lines) {
        if (trim_blanks(line).empty() || line[0] == '#')
            continue;
        std::vector<std::string>* section = section_of(line[0]);
        if (section == nullptr)
            continue;
        section->push_back(line.size() > 4
                               ? std::string(trim_blanks(std::string_view(line).substr(4)))
                               : std::string());
    }
    return true;
}

std::string format_text(const std::string& templ, const std::string& arg1,
                        const std::string& arg2) {
    std::string text = with_title(templ);
    text = replace_all(text, "%1", arg1);
    text = replace_all(text, "%2", arg2);
    text = replace_all(text, "%%", "\r");
    if (text.empty())
        return kResourceError;
    return text;
}

std::string get_text(int n) {
    return titled_or_error(res_captions, n);
}
std::string get_info_text(int n) {
    return titled_or_error(res_infos, n);
}
std::string get_menu_text(int n) {
    return titled_or_error(res_menus, n);
}

std::string get_hint_text(int n) {
    const std::string* e = entry(res_hints, n);
    if (e == nullptr || e->empty())
        return {};
    return "@" + with_title(*e);
}

std::string get_about_text(int n) {
    const std::string* e = entry(res_about, n);
    if (e == nullptr || e->empty())
        return kResourceError;
    return *e;
}

std::string get_type_text(int n) {
    const std::string* e = entry(res_types, n);
    return e == nullptr ? std::string() : *e;
}

MessageHandler set_message_handler(MessageHandler handler) {
    MessageHandler previous = std::move(message_handler);
    message_handler = std::move(handler);
    return previous;
}

int show_box(MessageKind kind, const std::string& text) {
    if (message_handler)
        return message_handler(kind, text);
    qWarning("%s", text.c_str());
    return kind == MessageKind::Question ? kAnswerCancel : 0;
}

int show_message(int n, bool ask, const std::string& arg1, const std::string& arg2) {
    std::string text;
    if (n == 0) {
        text = arg1;
    } else if (const std::string* e = entry(res_messages, n)) {
        text = format_text(*e, arg1, arg2);
    } else {
        text = kResourceError;
        for (const EarlyEntry& early : kEarlyTexts)
            if (early.message == n)
                text = format_text(early_template(early), arg1, arg2);
    }
    if (!ask) {
        show_box(MessageKind::Information, text);
        return 0;
    }
    return show_box(MessageKind::Question, text);
}

std::string early_text(EarlyText which, const std::string& arg1) {
    for (const EarlyEntry& early : kEarlyTexts)
        if (early.which == which)
            return format_text(early_template(early), arg1, {});
    return kResourceError;
}

QFont feedback_font() {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(11);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

int text_width(const std::string& text) {
    return text_width(to_qstring(text));
}

int text_width(const QString& text) {
    QImage scratch(1, 1, QImage::Format_ARGB32);
    QFontMetrics metrics(feedback_font(), &scratch);
    return metrics.horizontalAdvance(text);
}

bool append_error_log(const std::string& line) {
    if (app_path.empty())
        return false;
    const std::string text =
        from_qstring(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))) +
        ": " + line + "\r\n";
    return append_log_text(app_path + "error.log", text);
}

bool append_log_text(const std::string& path, const std::string& text) {
    QFile log;
    if (!open_for_appending(path, log))
        return false;
    if (log.size() >= static_cast<qint64>(kLogRotationSize)) {
        log.close();
        if (std::rename(path.c_str(), (path + ".old").c_str()) != 0 ||
            !open_for_appending(path, log))
            return false;
    }
    return log.write(text.data(), static_cast<qint64>(text.size())) ==
               static_cast<qint64>(text.size()) &&
           log.flush();
}

void log_outside_limit(const std::string& what, const std::string& limit, bool cut) {
    ++outside_limits;
    append_error_log(what + ": larger than its limit (" + limit + "); " +
                     (cut ? "only its first part is used." : "it is not read."));
}

int take_outside_limits() {
    return std::exchange(outside_limits, 0);
}

std::string size_text(size_t bytes) {
    constexpr size_t kB = 1024;
    if (bytes != 0 && bytes % (kB * kB) == 0)
        return std::to_string(bytes / kB / kB) + " MB";
    if (bytes != 0 && bytes % kB == 0)
        return std::to_string(bytes / kB) + " KB";
    return std::to_string(bytes) + " bytes";
}

std::string limits_text(const TTextLimits& limits) {
    constexpr size_t kNone = std::numeric_limits<size_t>::max();
    std::string text = size_text(limits.bytes);
    if (limits.lines != kNone)
        text += ", " + std::to_string(limits.lines) + " lines";
    if (limits.line_length != kNone)
        text += ", lines of " + std::to_string(limits.line_length) + " characters";
    return text;
}

std::vector<std::string> limited_lines(std::string_view text, const TTextLimits& limits,
                                       bool& cut) {
    if (text.size() > limits.bytes) {
        text = text.substr(0, limits.bytes);
        cut = true;
    }
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        if (lines.size() == limits.lines) {
            cut = true;
            break;
        }
        const size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        const size_t length = end - start;
        cut = cut || length > limits.line_length;
        lines.emplace_back(text.substr(start, std::min(length, limits.line_length)));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

bool read_text_lines(const std::string& path, const TTextLimits& limits,
                     std::vector<std::string>& lines, bool* cut) {
    lines.clear();
    std::string head;
    bool was_cut = false;
    if (!read_file(path, head, limits.bytes, &was_cut))
        return false;
    lines = limited_lines(head, limits, was_cut);
    if (cut)
        *cut = was_cut;
    else if (was_cut)
        log_outside_limit(path_text(path), limits_text(limits), true);
    return true;
}

bool read_first_line(const std::string& path, size_t max_length, std::string& line) {
    line.clear();
    std::string head;
    bool longer = false;
    // One character more than the limit tells whether the first line is longer.
    if (!read_file(path, head, max_length + 1, &longer) || head.empty())
        return false;
    const std::string_view text(head);
    size_t end = std::min(text.find_first_of("\r\n"), text.size());
    if (end > max_length) {
        end = max_length;
        log_outside_limit(path_text(path),
                          "a first line of " + std::to_string(max_length) + " characters", true);
    }
    line.assign(text.substr(0, end));
    return true;
}
