#pragma once
// The web links of the language folder (link.txt): a title line, then "caption=address" lines.

#include "foundation/func_type.h"

#include <string>
#include <vector>

// The links of the current language, in file order.
extern std::vector<rLink> link_list;

// Reads a links file: its first line is skipped; every later line holding "=" after its first
// character is split at the first "=" into caption and address, both as they stand; a line
// beginning with "=" keeps an empty caption. A missing file gives no links.
std::vector<rLink> read_link_file(const std::string& path);
