#pragma once
// Reading single files out of MPQ archives. Names inside an archive use backslashes and match
// without regard to letter case.

#include <QIODevice>
#include <string>

using MpqArchiveHandle = void*;

// Opens the named file of an open archive and writes its bytes to the target at the target's
// current position. False when the archive does not hold the file or the file is empty. A short
// read is not a failure: the bytes read are what the target gets.
bool read_mpq_file(MpqArchiveHandle archive, const std::string& file_name, QIODevice& target);

// Opens the archive read-only, reads the named file into the target (read_mpq_file) and closes
// the archive again. False when the archive cannot be opened. The target is rewound to its start
// in every case.
bool extract_mpq_file(const std::string& archive_path, const std::string& file_name,
                      QIODevice& target);
