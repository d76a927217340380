#pragma once
// Writer of the user's additions file (ajouts/Vev_ajouts_<database>.txt) for tests and the demo
// installation.
//
// The file is Windows-1252 text with CR LF line ends:
//   line 1  "#v001-id=" + six digits (each 1..9) + "-" + pseudonym
//   line 2  "#v1.06"
//   then one point per line, 16 fields separated by "|":
//     1 name, 2 empty, 3 zone id (signed decimal), 4 category id, 5 x, 6 y, 7 level min,
//     8 level max (decimal), 9 empty, 10 empty, 11 empty, 12 empty,
//     13 property set: 32 upper-case hex digits, words 0..3 of the set, 8 digits each,
//     14 master id in upper-case hex of at least 6 digits, empty when 0,
//     15 link string, 16 comment (the rest of the line; it may hold "|").

#include "foundation/func_type.h"

#include <cstdint>
#include <string>
#include <vector>

namespace support {

struct AdditionSpec {
    std::string name{};
    int32_t zone_id = 0;
    int32_t category_id = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t level_min = 0;
    int32_t level_max = 0;
    TFlagSet flags{};
    int32_t master_id = 0;
    std::string link{};
    std::string comment{};
    std::string field10{}; // written empty by the program; its low byte is read back
};

// "#v001-id=" + digits + "-" + pseudonym ("Anonymous" when empty).
std::string additions_header(const std::string& pseudonym, const std::string& digits = "123456");

// The 16 fields of one line; change them to make damaged lines.
std::vector<std::string> addition_fields(const AdditionSpec& a);
// Fields joined by "|".
std::string join_fields(const std::vector<std::string>& fields);
std::string addition_line(const AdditionSpec& a);

// The whole file: both header lines, then one line per addition, each ended by CR LF.
std::string additions_file(const std::vector<AdditionSpec>& additions,
                           const std::string& pseudonym = "Anonymous",
                           const std::string& digits = "123456");

} // namespace support
