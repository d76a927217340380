#pragma once
// The work of the map image generator without its window: a database's generator settings and
// zone list, the archive list, the tile translation list, the generation run and its error list.

#include "generator/generate_fich.h"

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Set while the current database's generator settings cannot be read: the dialog is then inert.
extern bool genmap_unusable;

// What the generator takes from outside files: the translation list's size in the archives and
// the length of its lines, the "[VALI]=" and "[PATH]=" lines of the settings, and the error
// lines of one opening of the dialog and their length.
constexpr uint64_t kMaxTranslationFileSize = 32 << 20;
constexpr size_t kMaxTranslationLine = 2048;
constexpr size_t kMaxSettingsEntries = 100;
constexpr size_t kMaxErrorLines = 1000;
constexpr size_t kMaxErrorLineLength = 1000;

// A text longer than n characters becomes its first 10 characters, " [...] " and its last
// n - 24 characters; a shorter one is returned unchanged.
template <class Char>
std::basic_string<Char> shorten_path(const std::basic_string<Char>& text, size_t n) {
    if (text.size() <= n)
        return text;
    static constexpr Char middle[] = {' ', '[', '.', '.', '.', ']', ' ', 0};
    return text.substr(0, 10) + middle + text.substr(text.size() - (n > 24 ? n - 24 : 0));
}

// The part of the text after the first occurrence of the character; the whole text without one.
std::string copy_after_char(const std::string& text, char c);

// Flags of MapGenerator::add_path.
constexpr int kUserEntry = 1; // an entry of the user's own rather than of the settings
constexpr int kAtTop = 2;     // inserted before every other entry rather than appended

struct GenerationOptions {
    bool low_definition = false; // tiles of 128 pixels instead of 256
    int quality = 80;            // JPEG quality of the high-resolution images
    // Called with the zone list lines done and their count: at the start and after each line.
    std::function<void(int position, int max)> progress;
    // Lets pending window events run, after each tile and each zone's images; false stops the
    // run there.
    std::function<bool()> process_events;
};

// The images of a generation run that were written and those that could not be, the zones
// whose images were left as they were because no tile of theirs was found, and whether the run
// was stopped before its end.
struct GenerationCount {
    int written = 0;
    int failed = 0;
    int without_tile = 0;
    bool stopped = false;
};

// True when the folder (ending with a separator) holds the game's executable "VeV.exe" in any
// letter case; the folder then gets the letter case found on disk.
bool holds_game_executable(std::string& folder);

class MapGenerator {
public:
    // Section 5: the registry key and value of the game folder, the translation list's name,
    // the folder of the tiles inside the archives and the tile prefixes the list may hold.
    std::string registry_key;
    std::string registry_value;
    std::string translation_file;
    std::string archive_prefix;
    std::vector<std::string> valid_prefixes;
    // Section 6 as it stands: blocks of 17 lines, one per zone.
    std::vector<std::string> zone_list;
    // Lines "tile name" TAB "stored name", read by load_translation or given to set_translation.
    std::vector<std::string> translation_list;
    // The archives in search order: the user's entries, then those of the settings.
    std::vector<rMpqPath> archives;
    // The game folder, ending with a separator (or the text that stands for no folder).
    std::string game_folder;
    // Error lines in the file system's encoding, each stamped with the time of day; at most
    // kMaxErrorLines, the others counted.
    std::vector<std::string> errors;
    size_t errors_left_out = 0;

    // Reads sections 5 and 6 of the container and appends the default archives. False, with
    // the line "erreur d'initialisation du Genmap" logged, when a section cannot be read or
    // section 5 holds fewer than four lines.
    bool init_genmap(const std::string& container);

    // The game folder recorded under the registry key and value of the settings, as a native
    // folder; empty when none is recorded.
    std::string read_registry_path() const;

    // Puts into game_folder the folder that holds the game's executable (holds_game_executable):
    // the stored folder, else the registry's, else not_found_text. True when one was found.
    bool find_game_folder(const std::string& stored, const std::string& not_found_text);

    // The user's stored archive paths, kept in their order, before every other entry.
    void add_user_paths(const std::vector<std::string>& paths);
    // A user entry takes the path as its full path; a default entry's path is relative to the
    // game folder. Every new entry counts as missing until refresh_paths.
    void add_path(const std::string& path, int flags);
    // Recomputes the default entries' full paths from the game folder, resolves every entry's
    // letter case (resolve_case) and whether each exists.
    void refresh_paths();
    // Moves a user entry one place up; false for the first entry or a default one.
    bool move_up(size_t index);
    // Removes every user entry.
    void remove_user_entries();
    // The full paths of the user entries, in list order.
    std::vector<std::string> user_paths() const;

    // Reads the translation list out of the archives and keeps the lines that begin with a
    // valid prefix; longer lines than kMaxTranslationLine are left out with an error line.
    // process_events, when given, runs once the list is read. False when no archive yields the
    // list or it is larger than kMaxTranslationFileSize.
    bool load_translation(const std::function<void()>& process_events = {});
    // Takes the lines as the translation list.
    void set_translation(std::vector<std::string> lines);
    // The stored name of a tile: the text after the TAB of the first line that begins with the
    // tile's name; empty when none does.
    std::string translate_tile(const std::string& tile) const;

    // Writes maps_folder + "high/" + <zone> + ".jpg" and maps_folder + <zone> + ".jpg" for each
    // block of the zone list. Missing tiles stay black; a zone without any tile keeps its
    // images as they are. Zone names that are no plain file name, an incomplete last block,
    // tiles that cannot be read or decoded and images that cannot be saved are logged and
    // passed over.
    GenerationCount generate_all(const std::string& maps_folder, const GenerationOptions& options);

    // The tile of a zone list line, size x size pixels; null when the line names no tile or no
    // archive yields it.
    QImage tile_for(const std::string& line, int size);

    // Appends a non-empty message (Windows-1252) to the error list, after the time of day and
    // ":       ", cut in its middle to kMaxErrorLineLength bytes.
    void log_error(const std::string& message);
    // The same for a message about a file: its native path, " Error: " and what went wrong.
    void log_file_error(const std::string& path, const std::string& what);
    // Appends the error list to the log file (append_log_text), each line ended by CR LF, and a
    // last line counting the lines left out. False when it cannot be written.
    bool write_error_log(const std::string& file_name) const;
    void clear_errors();

private:
    void add_error_line(const std::string& native_message);

    // Translation list positions sorted by their lines, and a minimum tree over them: the first
    // line that begins with a text is the smallest position in one sorted range.
    std::vector<uint32_t> sorted_lines_;
    std::vector<uint32_t> first_line_tree_;
    // The archives held open during generate_all.
    ArchiveSet* run_archives_ = nullptr;
};
