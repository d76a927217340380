#pragma once
// Registry look-ups under HKEY_LOCAL_MACHINE, answered from the Wine prefix of the user: the
// file system.reg of $WINEPREFIX, else of ~/.wine.

#include <cstdint>
#include <string>

// A larger system.reg is not read: a real one holds some tens of MB.
constexpr uint64_t kMaxSystemRegSize = 128 << 20;

// The prefix folder, ending with "/".
std::string wine_prefix();

// The string value `value_name` of the key `key_name` (backslash-separated, below
// HKEY_LOCAL_MACHINE; letter case is ignored in both names) in the prefix's system.reg. A key
// below "Software" that is missing is looked up again below "Software\Wow6432Node", where a
// 64-bit prefix keeps the keys of 32-bit programs. Empty when the prefix, the key or the value
// is missing, the value is not a string or system.reg is larger than kMaxSystemRegSize.
std::string read_machine_string(const std::string& key_name, const std::string& value_name);

// The string value as a folder or file of the prefix (native_path_of), its letter case
// resolved as Wine finds files (resolve_case); any character of the value is kept.
std::string read_machine_path(const std::string& key_name, const std::string& value_name);

// A Windows path of the prefix as a native path: "C:\Games\X\" becomes
// <prefix>drive_c/Games/X/, another drive letter <prefix>dosdevices/<letter>:/...; any other
// text is returned with its backslashes turned into "/".
std::string native_path_of(const std::string& windows_path, const std::string& prefix);
