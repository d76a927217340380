#pragma once
// Opening a web address, a file or a folder with the desktop's default handler.

#include <string>

// A web address (with a scheme) is opened as it is; anything else as a local path.
// False when no handler took it.
bool shell_open(const std::string& target);
