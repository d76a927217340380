#pragma once
// Localised texts: the seven numbered sections of ressource.txt, their look-ups, placeholder
// filling, message boxes and the folder globals every file name is built from.

#include <QFont>
#include <cstddef>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

// Text sections; entry 0 is "-", so text k of a section is entry k.
extern std::vector<std::string> res_captions; // C
extern std::vector<std::string> res_infos;    // I
extern std::vector<std::string> res_menus;    // M
extern std::vector<std::string> res_messages; // S
extern std::vector<std::string> res_hints;    // H
extern std::vector<std::string> res_about;    // A
extern std::vector<std::string> res_types;    // T

// Folder globals, each folder ending with "/".
extern std::string app_path;
extern std::string data_path;
extern std::string database_path;
extern std::string maps_path;
extern std::string res_path;
extern std::string ajouts_path;
extern std::string db_path;
extern std::string master_file;
extern std::string language;
extern std::string db_name;
extern std::string edit_db_name;

// The product title that "%0" stands for (with its trailing blank).
inline constexpr const char* kProductTitle = "Vev Karvelo ";
// The text shown where a text number is missing.
inline constexpr const char* kResourceError = "<erreur de ressource>";
// The language used when the chosen one has no ressource.txt.
inline constexpr const char* kFallbackLanguage = "Francais";

// Reads res_path + language + "/ressource.txt" into the seven sections. Falls back to
// "Francais" (changing `language`) when the file is missing; when that is missing too, or the
// file cannot be read, shows "erreur de ressources" and returns false.
bool load_ressource();

// Fills "%0", "%1", "%2" and "%%" (a carriage return), in that order. An empty result gives
// "<erreur de ressource>".
std::string format_text(const std::string& templ, const std::string& arg1, const std::string& arg2);

// Look-ups by text number; a number out of range never fails.
std::string get_text(int n);       // caption text
std::string get_info_text(int n);  // information text
std::string get_menu_text(int n);  // menu text
std::string get_hint_text(int n);  // "@" + hint text; empty when missing
std::string get_about_text(int n); // about text, as stored
std::string get_type_text(int n);  // type text, as stored; empty when missing

// Message boxes. Every box goes through one replaceable handler, so tests can script answers.
enum class MessageKind {
    Plain,       // a plain box with OK and the program's title
    Information, // an information box with OK
    Question,    // a confirmation box with Yes, No and Cancel
};

// Answers of a question box.
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;
inline constexpr int kAnswerCancel = 2;

// Shows a box of the given kind and returns the button chosen (kAnswer*; 0 for boxes with OK).
using MessageHandler = std::function<int(MessageKind kind, const std::string& text)>;

// Installs a handler and returns the one it replaces. An empty handler restores the fallback,
// which writes the text to the log and answers Cancel without waiting.
MessageHandler set_message_handler(MessageHandler handler);

// Shows one box through the current handler.
int show_box(MessageKind kind, const std::string& text);

// Shows message n (0: arg1 unchanged) filled with the two arguments: an information box when
// ask is false (returns 0), a Yes/No/Cancel question when it is true (returns 6, 7 or 2).
int show_message(int n, bool ask, const std::string& arg1 = {}, const std::string& arg2 = {});

// Texts of the boxes that can come before the language file is read, or without one, built in
// French and English. Messages 22 and 47 fall back on them when the language file lacks them.
enum class EarlyText {
    PreferencesNotSaved, // message 22
    IconsNotLoaded,      // message 47; %1: the file
    NoLanguageFiles,     // %1: the folder that should hold the languages
    AlreadyRunning,      // %1: the installation folder
};

// The early text filled with its argument: in French unless `language` names another language,
// then in English.
std::string early_text(EarlyText which, const std::string& arg1 = {});

// The font of the feedback lines: "arial" at 8 points on a 96 dpi screen (an 11-pixel em).
QFont feedback_font();

// The width in pixels of the text in the feedback font.
int text_width(const std::string& text);
int text_width(const QString& text);

// ---- Outside files past their limits ----

// Appends a dated line to app_path + "error.log"; false when it cannot be written.
bool append_error_log(const std::string& line);
// Appends the text to a log file with one write, creating it when missing. A log that holds
// kLogRotationSize bytes or more first becomes path + ".old", replacing the one before. Only a
// plain file is written (no FIFO, no link); false when it cannot be written.
bool append_log_text(const std::string& path, const std::string& text);
constexpr size_t kLogRotationSize = size_t(4) << 20;

// Writes a line to app_path + "error.log" telling that a file (or a part of it, `what`) passed
// its limit and was cut (its first part kept) or refused, and counts it.
void log_outside_limit(const std::string& what, const std::string& limit, bool cut);
// The number of such lines since the last call.
int take_outside_limits();
// A size as limits are told: "64 KB", "4 MB".
std::string size_text(size_t bytes);

// Limits of a text file shown in a window: the bytes read, the lines kept and their length.
struct TTextLimits {
    size_t bytes = 0;
    size_t lines = std::numeric_limits<size_t>::max();
    size_t line_length = std::numeric_limits<size_t>::max();
};
// ressource.txt and tips.txt of a language folder and the texts of the about box.
constexpr TTextLimits kLanguageFileLimits{size_t(1) << 20, std::numeric_limits<size_t>::max(),
                                          4096};
constexpr TTextLimits kTipsLimits{size_t(64) << 10, 100, 200};
constexpr TTextLimits kAboutTextLimits{size_t(64) << 10, std::numeric_limits<size_t>::max(), 4096};

// The limits as error.log tells them.
std::string limits_text(const TTextLimits& limits);
// The lines of a text within the limits (a line cut by the byte limit is kept); `cut` is set
// when anything was left out.
std::vector<std::string> limited_lines(std::string_view text, const TTextLimits& limits, bool& cut);
// Reads the lines of a text file within the limits. When it was cut, `cut` tells the caller, who
// reports it; without `cut` error.log says so. False (no lines) when the file cannot be read.
bool read_text_lines(const std::string& path, const TTextLimits& limits,
                     std::vector<std::string>& lines, bool* cut = nullptr);
// The first line of a text file (welcome.txt), cut to max_length characters (error.log says so).
// False when the file cannot be read or is empty.
bool read_first_line(const std::string& path, size_t max_length, std::string& line);
constexpr size_t kMaxWelcomeLength = 1000;
