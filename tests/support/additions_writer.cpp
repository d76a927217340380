#include "support/additions_writer.h"

#include <cstdio>

namespace support {

std::string additions_header(const std::string& pseudonym, const std::string& digits) {
    return "#v001-id=" + digits + "-" + (pseudonym.empty() ? std::string("Anonymous") : pseudonym);
}

std::vector<std::string> addition_fields(const AdditionSpec& a) {
    char flags[40];
    std::snprintf(flags, sizeof flags, "%08X%08X%08X%08X", a.flags.w[0], a.flags.w[1], a.flags.w[2],
                  a.flags.w[3]);
    char master[16] = "";
    if (a.master_id != 0)
        std::snprintf(master, sizeof master, "%06X", static_cast<uint32_t>(a.master_id));
    return {a.name,
            "",
            std::to_string(a.zone_id),
            std::to_string(a.category_id),
            std::to_string(a.x),
            std::to_string(a.y),
            std::to_string(a.level_min),
            std::to_string(a.level_max),
            "",
            a.field10,
            "",
            "",
            flags,
            master,
            a.link,
            a.comment};
}

std::string join_fields(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += '|';
        line += fields[i];
    }
    return line;
}

std::string addition_line(const AdditionSpec& a) {
    return join_fields(addition_fields(a));
}

std::string additions_file(const std::vector<AdditionSpec>& additions, const std::string& pseudonym,
                           const std::string& digits) {
    std::string out = additions_header(pseudonym, digits) + "\r\n#v1.06\r\n";
    for (const AdditionSpec& a : additions)
        out += addition_line(a) + "\r\n";
    return out;
}

} // namespace support
