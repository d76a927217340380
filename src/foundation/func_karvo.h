#pragma once
// Section containers and scrambled list files, the database folder scan, and the small text,
// name, flag-set, colour, icon, geometry and file helpers shared by every subsystem.

#include "foundation/func_type.h"

#include <QImage>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// ---- Section containers and scrambled list files ----

constexpr uint32_t db_version = 1062;

// Largest inflated size accepted for one zlib stream; anything larger is treated as damaged.
constexpr size_t max_inflated_size = size_t(512) << 20;

// The most a section inflates to, by kind: the points (index 9; the 100,000-point benchmark
// database inflates to about 15 MB), icon strips (1, 7, 8), the other tables and texts, and a
// whole-file stream (index below 1) unless its reader asks for less.
size_t section_limit(int index);
// The most url.bin inflates to: nine lines of addresses and a description.
constexpr size_t max_list_file_size = size_t(64) << 10;

// True when the first four bytes of the file, as a u32, equal db_version. Throws EInOutError
// when the file cannot be opened or holds fewer than four bytes.
bool check_version(const std::string& file_name);

enum class SectionRead { ok, failed, too_large };

// Inflates section `index` (1..9) of a container, or the whole file as one zlib stream when
// index < 1, into `target`, keeping at most `max_size` bytes. The target holds what was inflated
// also when the stream is damaged, truncated or larger (then exactly its first max_size bytes).
SectionRead read_section(std::string& target, const std::string& file_name, int index,
                         size_t max_size);

// read_section within section_limit(index) (or max_size when given). On false the target is
// empty, unless `keep_partial` asks for what was inflated before the stream failed. A section
// past its limit is written to error.log.
bool load_section(std::string& target, const std::string& file_name, int index,
                  bool keep_partial = false, size_t max_size = 0);

// Inflates one zlib stream (starting at data[0]) into `out`. False when the stream is truncated,
// damaged or inflates to more than max_output bytes (`out` is then empty). Bytes after the
// stream's end are ignored.
bool inflate_zlib(std::string_view data, std::string& out, size_t max_output = max_inflated_size);

// Inflates a whole-file zlib stream into a new destination file. On failure an existing
// destination is left as it was.
bool decompress_file(const std::string& source, const std::string& destination);

// Empties `lines`, then fills it with the lines of a scrambled list file (url.bin). False, with
// no lines, when the file does not inflate within max_size bytes.
bool load_scrambled_text(std::vector<std::string>& lines, const std::string& file_name,
                         size_t max_size = max_list_file_size);

// XORs every byte with the lowercase hex MD5 digest of the key; its own inverse.
void scramble_stream(std::string& stream, const std::string& key);

// The key of url.bin files.
constexpr std::string_view scramble_key = "plinvask";

// ---- Database folder scan ----

// Most database folders one scan looks at, listed or left out: a real installation holds a few.
constexpr size_t max_databases = 256;

// What a scan left out.
struct TScanReport {
    // Folders (their file-system names) holding a master.loc and a url.bin that could not be
    // read: a url.bin that does not inflate or is over max_list_file_size, a line 8 that is no
    // boolean, a master.loc too short for its version.
    std::vector<std::string> unreadable;
    // Subfolders not looked at once max_databases database folders were found.
    size_t not_listed = 0;
};

// Appends one record per database subfolder of `folder` (which ends with a separator), in the
// order the file system lists them, but for the folders named in `first` (compared ignoring case,
// as file-system names or as Windows-1252 texts), which are looked at before the others so that
// the limit never drops them. A record's folder is the file system's name, whatever its script.
// Folders that are no database are skipped; what was left out is added to `report`.
void scan_databases(const std::string& folder, TDatabaseList& list, TScanReport* report = nullptr,
                    const std::vector<std::string>& first = {});

struct TDatabaseItem {
    std::string text; // in the file system's bytes, as the folder name
    rdbavailable* record = nullptr;
};

// The items for a database list control. Mode 0: every database, "[Incorrect_version]" after
// the folder name of those whose version is wrong; other modes: only the editable databases.
std::vector<TDatabaseItem> fill_database_list(const TDatabaseList& list, uint8_t mode);

struct TFolderChoice {
    std::vector<std::string> names; // in file-system order
    int selected = -1;              // -1 when there is no name
};

// Most folders a choice lists: a real installation holds a few languages.
constexpr size_t max_folder_choices = 256;

// The subfolders matching a wildcard path pattern, at most max_folder_choices of them, and the
// one to select: the name equal to `name` ignoring case, else the first.
TFolderChoice fill_folder_combo(const std::string& pattern, const std::string& name);

// A boolean text: a number (0 false, other numbers true) or True / False in any case.
// Throws EConvertError otherwise.
bool str_to_bool(const std::string& text);

// ---- Texts and names ----

// The text without the blanks and control characters (bytes up to 0x20) at both ends.
std::string_view trim_blanks(std::string_view text);
// The text with its ASCII letters in lower case, other bytes as they are.
std::string lower_ascii(std::string text);
// Every occurrence of `what` replaced by `with`, left to right.
std::string replace_all(const std::string& text, std::string_view what, std::string_view with);
// The value of a hexadecimal digit, -1 for any other character.
int hex_digit(char c);
// Compares ASCII letters without regard to case, then bytes: the difference of the first pair
// that differs, else the difference of the lengths.
int compare_text(std::string_view a, std::string_view b);
// The current local date and time as days since 1899-12-30.
double now_datetime();

char normalise_char(char c);
std::string normalise_text(std::string_view text);
// normalise_text into a buffer the caller reuses.
void normalise_into(std::string& out, std::string_view text);

// Removes every "#" with the digits right after it; the id is the number after the first "#".
// Throws EConvertError when that number does not fit in an i32.
rIdReturn extract_id(const std::string& name, bool first_only);

// The display form of a raw point name.
std::string clean_name(const std::string& name, bool as_lines);

bool is_comment(std::string_view text);
bool is_hidden_name(std::string_view text);

// The "|"-joined form of multi-line texts.
void fill_from_pipe_list(std::vector<std::string>& memo, const std::string& text);
std::string join_to_pipe_list(const std::vector<std::string>& memo);

// Parses a whole number: leading blanks, a sign, then decimal digits or hexadecimal digits after
// "$", "x", "X", "0x" or "0X", and nothing after. False when the text is not such a number or
// does not fit (hexadecimal takes any 32-bit pattern).
bool try_str_to_int(std::string_view text, int32_t& value);
// The number, or 0 when the text is not one.
int32_t str_to_int_def0(std::string_view text);
// The number; throws EConvertError when the text is not one.
int32_t str_to_int(std::string_view text);

std::string int_to_hex4(uint16_t value);
std::string int_to_hex8(uint32_t value);

// A new 12-character lowercase hexadecimal id.
std::string random_id();

// ---- Flag sets ----

void clear_flagset(TFlagSet& set);
void fill_flagset(TFlagSet& set);
bool test_flag(const TFlagSet& set, int n); // n in 1..128; false outside
bool bit_test(uint32_t word, int b);        // bit b mod 32
TFlagSet bools_to_flagset(const std::array<bool, 128>& bools);
std::array<bool, 128> flagset_to_bools(const TFlagSet& set);
bool same_flagset(const TFlagSet& a, const TFlagSet& b);

// ---- Colours and icons ----

// TColor 0x00BBGGRR to ARGB: each non-zero channel less one, ORed with the alpha.
TColor32 color_to_color32(TColor colour, uint32_t alpha);

// Every pixel whose RGB equals the colour's low 24 bits gets alpha 0. The bitmap is made ARGB32.
void set_transparent_color(QImage& bitmap, TColor32 colour);

// Copies icon `index` (size x size) out of a strip, its white pixels made transparent.
QImage cut_icon(const QImage& strip, int size, int index);

// Icons stand side by side in one row: a strip beyond these sizes is damaged, and is refused
// before its claimed size is decoded.
constexpr int max_icon_strip_width = 16384;
constexpr int max_icon_strip_height = 256;
// The splash (data/vev.bmp) and the target marker (data/cible.bmp) beyond these sizes are
// not read.
constexpr QSize max_splash_size{2048, 2048};
constexpr QSize max_marker_size{256, 256};
// Decodes a BMP icon strip into ARGB32; a null image for bytes that are no bitmap or claim a
// size no icon strip has.
QImage read_icon_strip(std::string_view bytes);
// Reads a BMP file of at most max_size pixels: its header first, then at most the bytes a
// bitmap of that size takes. A null image when it cannot be read or decoded, or is larger: then
// `past_limit` is set, or without it error.log says so.
QImage read_bitmap_file(const std::string& path, QSize max_size, bool* past_limit = nullptr);
// "W x H pixels".
std::string bitmap_limit_text(QSize max_size);

// ---- Geometry and files ----

// Rough distance in thousands of world units; -1 when the square does not fit in an i32.
int32_t distance(TPoint p, TPoint q);

// A zone's outline holds a few thousand points: a .vec file beyond this size (about 16,000
// points) is not read.
constexpr size_t kOutlineFileLimit = size_t(64) << 10;

// Converts a .vec polyline file into u16 counts followed by float pairs in 0..1. A missing file
// leaves `out` untouched, one beyond kOutlineFileLimit empties it (error.log says so); a last
// polyline cut short by the end of the file is left out.
void convert_polyline_file(const std::string& file_name, std::string& out);

// Size of a file in bytes; EInOutError when it cannot be opened.
int32_t file_size(const std::string& file_name);

// Lines of a text file counted up to 8; an empty file counts 1, an unreadable one 0.
int32_t count_lines(const std::string& file_name);

// ---- Edit boxes ----

struct TClampedEdit {
    std::string text;
    int sel_start = 0;
    int sel_length = 0;
};

// Clamps the number of an edit box to min..max and gives the selection to show.
// Throws EConvertError when the text is not empty and not a number.
TClampedEdit clamp_edit_text(const std::string& text, int32_t min, int32_t max);
