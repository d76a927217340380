#pragma once
// The user settings (rPreference) and their file pref.ini in the program folder.
//
// pref.ini is Windows-1252 text with CR LF line ends: a comment line, the version line
// "[VERS]=1", then one "[KEY_]=value" line per setting. Paths and folder names ([GPAT], [MPQP],
// [DBDB], [EDIM]) are kept in the file system's bytes, whatever their script. Reading applies the
// lines in file order over the current values and stops at the first value that does not convert.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr const char* pref_file_name = "pref.ini";
// A real pref.ini holds a few kilobytes; what lies past this many bytes is not read.
inline constexpr size_t max_pref_size = 256 * 1024;

// Every user setting. Members named in capitals carry the four letters of their pref.ini key.
struct TPreference {
    std::string GPAT;   // game installation folder for the map generator (a path, not a text)
    std::string VALT;   // installation id sent with update requests (12 characters when valid)
    bool MCUR = false;  // outline of the current zone drawn
    bool ALFA = false;  // main window drawn translucent
    bool LOCA = true;   // last view restored at start-up
    int32_t LOCR = -1;  // continent of the stored view (-1: none)
    int32_t ALFV = 200; // opacity of the translucent window, 40..255 (low 8 bits apply)
    bool AVCT = false;  // zone outlines of the .vec files drawn
    bool WPSU = true;   // paths can be picked with the mouse
    int32_t TIME = 0;   // hint hide pause in ms; 0 or less: the hint stays
    bool CLVL = true;   // points coloured by their level against the player's
    bool AUTO = false;  // additions saved every 300 seconds
    bool EDIB = false;  // edit mode on
    std::string PSEU;   // nickname, at most 40 characters
    bool LIAR = true;   // smoothing of the zone images
    int32_t LODA = 200; // first zoom threshold of the category detail levels
    int32_t LODB = 400; // second one
    int32_t LODC = 600; // third one
    int32_t LODV = 500; // zoom above which the .vec outlines are drawn
    int32_t MAHD = 600; // zoom above which the high-detail images are drawn
    int32_t DATU = 0;   // update period: 0 every start, 1 daily, 2 two days, 3 weekly, 4 never
    double DATW = 0;    // last completed update check, days since 1899-12-30
    int32_t MINN = 0;   // lower bound of the level filter
    int32_t MAXN = 99;  // upper bound
    int32_t NIVP = 5;   // player level
    std::string PRXS;   // proxy server
    int32_t PRXP = 0;   // proxy port
    std::string PRXN;   // proxy user name
    std::string PRXM;   // proxy password (plain text)
    bool PRXB = false;  // proxy Basic authentication
    int32_t HTTP = 1;   // 0 HTTP/1.0, other values HTTP/1.1

    // Search weights and relevance thresholds; never stored. The derived values here are the
    // ones score_unit 50 gives.
    int32_t weight_category = 25;
    int32_t weight_onscreen = 25;
    int32_t distance_cap = 300;
    float weight_distance = 2.0f;
    int32_t score_unit = 50;
    int32_t text_exact = 600;
    int32_t text_start_blank = 550;
    int32_t text_word_start = 350;
    int32_t text_word_end_bonus = 150;
    int32_t text_inside = 300;
    int32_t score_max = 800;
    int32_t mark_level_1 = 600;
    int32_t mark_level_2 = 544;
    int32_t mark_level_3 = 400;
    int32_t mark_level_4 = 296;

    bool SAOM = true;              // search option: search-area mode
    bool SPOM = true;              // search option: go to the first result
    int32_t STSC = 1;              // sort column of the search results
    int32_t SFHE = 500;            // height of the search dialog
    std::vector<std::string> MPQP; // the user's own archive paths for the map generator (paths)
    bool LOWD = false;             // low-definition map generation
};

// The one instance the whole program reads.
extern TPreference rPreference;

// Settings pref.ini stores that the program keeps outside the record: the main window copies
// them in before writing and takes them out after reading.
struct TOutsideSettings {
    std::string language;        // [LANG]
    std::string db_name;         // [DBDB] a folder name, as the file system holds it
    std::string edit_db_name;    // [EDIM] likewise
    bool legend_down = true;     // [LGNA] But_Leg
    bool tips_down = false;      // [TYPS] but_tips
    bool paths_down = true;      // [CHEM] but_chemin
    bool side_panel = true;      // [MASL] side panel shown, but_liste1 down
    int32_t view_x = 0;          // [LOCX]
    int32_t view_y = 0;          // [LOCY]
    int32_t zoom = 100;          // [LOCZ]
    int32_t window_width = 800;  // [MAPW] normal window rectangle
    int32_t window_height = 600; // [MAPH]
    int32_t window_top = 50;     // [MAPT]
    int32_t window_left = 50;    // [MAPL]

    // Written only: these become [LOCR], [MINN] and [MAXN], which read back into the record.
    int32_t current_continent = -1;
    std::string level_min_text = "0";
    std::string level_max_text = "99";
};

// Applies one line. Returns false when its value does not convert, with the text to show
// ("prefs error [" + reason + "]") in error_text; lines of unknown keys are ignored (true).
// [EDIB] only sets the record: the caller applies the edit mode afterwards.
bool parse_pref_line(const std::string& line, TPreference& pref, TOutsideSettings& outside,
                     std::string* error_text);

// Reads pref.ini over the current values, up to max_pref_size bytes, then brings the numbers
// within the ranges of the controls that set them. A missing file or a second line other than
// "[VERS]=1" changes nothing and returns true. Returns false when reading stopped at a bad line or
// at the size limit, or the file could not be read; the lines before stay applied and error_text
// holds the text for a plain message box (show_message with message 0), which the caller shows.
bool read_preferences(const std::string& path, TPreference& pref, TOutsideSettings& outside,
                      std::string* error_text);

// The complete pref.ini text. Line ends inside a value are written as blanks.
std::string format_preferences(const TPreference& pref, const TOutsideSettings& outside);

// Writes pref.ini atomically: on failure the old file stays whole and false is returned
// (the caller shows message 22).
bool write_preferences(const std::string& path, const TPreference& pref,
                       const TOutsideSettings& outside);
