#pragma once
// The work of the map image generator without its window: a database's generator settings and
// zone list, the archive list, the tile translation list, the generation run and its error list.

#include "generator/generate_fich.h"

#include <QImage>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Set when a database's generator settings could not be read; stays set for the program run.
extern bool genmap_unusable;

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
    // Called with the zone list lines done and their count: at the start and after each zone.
    std::function<void(int position, int max)> progress;
    // Lets pending window events run; called after each zone's tiles are drawn.
    std::function<void()> process_events;
};

// The images of a generation run that were written and those that could not be.
struct GenerationCount {
    int written = 0;
    int failed = 0;
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
    // Lines "tile name" TAB "stored name", read by load_translation.
    std::vector<std::string> translation_list;
    // The archives in search order: the user's entries, then those of the settings.
    std::vector<rMpqPath> archives;
    // The game folder, ending with a separator (or the text that stands for no folder).
    std::string game_folder;
    // Error lines, each stamped with the time of day.
    std::vector<std::string> errors;

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
    // valid prefix. process_events, when given, runs once the list is read.
    void load_translation(const std::function<void()>& process_events = {});
    // The stored name of a tile: the text after the TAB of the first line that begins with the
    // tile's name; empty when none does.
    std::string translate_tile(const std::string& tile) const;

    // Writes maps_folder + "high/" + <zone> + ".jpg" and maps_folder + <zone> + ".jpg" for each
    // block of the zone list. Missing tiles stay black; zone names that are no plain file name,
    // an incomplete last block, tiles that cannot be read or decoded and images that cannot be
    // saved are logged and passed over.
    GenerationCount generate_all(const std::string& maps_folder, const GenerationOptions& options);

    // The tile of a zone list line, size x size pixels; null when the line names no tile or no
    // archive yields it.
    QImage tile_for(const std::string& line, int size);

    // Appends a non-empty message to the error list, after the time of day and ":       ".
    void log_error(const std::string& message);
    // Writes the error list, each line ended by CR LF, replacing the file.
    bool write_error_log(const std::string& file_name) const;
};
