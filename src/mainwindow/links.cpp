#include "mainwindow/links.h"

#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"

std::vector<rLink> link_list;

std::vector<rLink> read_link_file(const std::string& path) {
    std::vector<rLink> links;
    const TTextLimits limits{kLinkFileLimit, std::numeric_limits<size_t>::max(),
                             kMaxLinkLineLength};
    std::vector<std::string> lines;
    bool cut = false;
    if (!read_text_lines(path, limits, lines, &cut))
        return links;
    for (size_t i = 1; i < lines.size(); ++i) {
        size_t eq = lines[i].find('=');
        if (eq == std::string::npos)
            continue;
        if (links.size() == kMaxLinks) {
            cut = true;
            break;
        }
        cut = cut || eq > kMaxLinkCaption;
        links.push_back(
            {lines[i].substr(0, std::min(eq, kMaxLinkCaption)), lines[i].substr(eq + 1)});
    }
    if (cut)
        log_outside_limit(path_text(path),
                          limits_text(limits) + ", " + std::to_string(kMaxLinks) +
                              " links, captions of " + std::to_string(kMaxLinkCaption) +
                              " characters",
                          true);
    return links;
}
