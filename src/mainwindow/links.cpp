#include "mainwindow/links.h"

#include "foundation/text_codec.h"

std::vector<rLink> link_list;

std::vector<rLink> read_link_file(const std::string& path) {
    std::vector<rLink> links;
    std::string text;
    if (!read_file(path, text))
        return links;
    std::vector<std::string> lines = split_lines(text);
    for (size_t i = 1; i < lines.size(); ++i) {
        size_t eq = lines[i].find('=');
        if (eq == std::string::npos)
            continue;
        links.push_back({lines[i].substr(0, eq), lines[i].substr(eq + 1)});
    }
    return links;
}
