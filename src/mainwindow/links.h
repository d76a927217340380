#pragma once
// The web links of the language folder (link.txt): a title line, then "caption=address" lines.

#include "foundation/func_type.h"

#include <string>
#include <vector>

// The links of the current language, in file order.
extern std::vector<rLink> link_list;

// A links menu holds a handful of entries: what passes these limits is left out.
constexpr size_t kLinkFileLimit = size_t(64) << 10; // bytes read
constexpr size_t kMaxLinks = 64;
constexpr size_t kMaxLinkCaption = 100;     // characters of a caption
constexpr size_t kMaxLinkLineLength = 2048; // characters of a line

// Reads a links file: its first line is skipped; every later line holding "=" after its first
// character is split at the first "=" into caption and address, both as they stand; a line
// beginning with "=" keeps an empty caption. A missing file gives no links. Beyond the limits
// above the rest is left out and error.log says so.
std::vector<rLink> read_link_file(const std::string& path);
