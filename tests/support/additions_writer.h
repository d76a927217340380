#pragma once
// Writer of the user's additions file (ajouts/Vev_ajouts_<database>.txt) for tests and the demo
// installation, laid out as database/additions_file.h reads it.

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
inline std::string addition_line(const AdditionSpec& a) {
    return join_fields(addition_fields(a));
}

// The whole file: both header lines, then one line per addition, each ended by CR LF.
std::string additions_file(const std::vector<AdditionSpec>& additions,
                           const std::string& pseudonym = "Anonymous",
                           const std::string& digits = "123456");

} // namespace support
