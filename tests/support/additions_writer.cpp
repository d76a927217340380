#include "support/additions_writer.h"

#include <cstdio>

namespace support {

std::string additions_header(const std::string& pseudonym, const std::string& digits) {
    return "#v001-id=" + digits + "-" + (pseudonym.empty() ? std::string("Anonymous") : pseudonym);
}

std::vector<std::string> addition_fields(const AdditionSpec& a) {
    char flags[40], master[16] = "";
    std::snprintf(flags, sizeof flags, "%08X%08X%08X%08X", a.flags.w[0], a.flags.w[1], a.flags.w[2],
                  a.flags.w[3]);
    if (a.master_id != 0)
        std::snprintf(master, sizeof master, "%06X", static_cast<uint32_t>(a.master_id));
    std::vector<std::string> fields{a.name, ""};
    for (int32_t v : {a.zone_id, a.category_id, a.x, a.y, a.level_min, a.level_max})
        fields.push_back(std::to_string(v));
    fields.insert(fields.end(), {"", a.field10, "", "", flags, master, a.link, a.comment});
    return fields;
}

std::string join_fields(const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& f : fields)
        line += (&f == fields.data() ? "" : "|") + f;
    return line;
}

std::string additions_file(const std::vector<AdditionSpec>& additions, const std::string& pseudonym,
                           const std::string& digits) {
    std::string out = additions_header(pseudonym, digits) + "\r\n#v1.06\r\n";
    for (const AdditionSpec& a : additions)
        out += addition_line(a) + "\r\n";
    return out;
}

} // namespace support
