#pragma once
// MPQ archives made by the independent tool smpq, for tests and benchmarks.

#include <string>
#include <utility>
#include <vector>

// {archive-internal name (backslashes as separators), file bytes}
using MpqEntry = std::pair<std::string, std::string>;

// Creates the archive with the files (zlib-compressed, as smpq does by default) in the given
// MPQ format version (1 to 4). Returns false when smpq fails.
bool write_mpq(const std::string& archive_path, const std::vector<MpqEntry>& files,
               int mpq_version = 2);
