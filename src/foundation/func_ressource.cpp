#include "foundation/func_ressource.h"

#include <QFontMetrics>
#include <QImage>
#include <QtGlobal>

#include <cctype>

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
    std::string content;
    if (!file_exists(path) || !read_file(path, content)) {
        show_box(MessageKind::Plain, "erreur de ressources");
        return false;
    }
    for (const std::string& line : split_lines(content)) {
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
    QImage scratch(1, 1, QImage::Format_ARGB32);
    QFontMetrics metrics(feedback_font(), &scratch);
    return metrics.horizontalAdvance(to_qstring(text));
}
