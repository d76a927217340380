#pragma once
// Reading single files out of MPQ archives. Names inside an archive use backslashes and match
// without regard to letter case.

#include <QIODevice>
#include <cstdint>
#include <string>

using MpqArchiveHandle = void*;

// What a read out of an archive gave.
enum class MpqRead {
    read,      // the file's bytes went to the target
    absent,    // the archive does not hold the file, the file is empty or the archive is unreadable
    too_large, // the file is larger than the reader's limit; nothing was read
};

// Opens the named file of an open archive and writes its bytes to the target at the target's
// current position, unless its size is above max_size. A short read is not a failure: the bytes
// read are what the target gets.
MpqRead read_mpq_file(MpqArchiveHandle archive, const std::string& file_name, QIODevice& target,
                      uint64_t max_size);

// An archive opened read-only for as many reads as its owner makes; closed when it goes.
class MpqArchive {
public:
    explicit MpqArchive(const std::string& archive_path);
    ~MpqArchive();
    MpqArchive(const MpqArchive&) = delete;
    MpqArchive& operator=(const MpqArchive&) = delete;

    bool is_open() const { return handle_ != nullptr; }
    // read_mpq_file on this archive (absent when it could not be opened); the target is rewound
    // to its start in every case.
    MpqRead read(const std::string& file_name, QIODevice& target, uint64_t max_size) const;

private:
    MpqArchiveHandle handle_ = nullptr;
};

// Opens the archive, reads the named file into the target (MpqArchive::read) and closes the
// archive again.
MpqRead extract_mpq_file(const std::string& archive_path, const std::string& file_name,
                         QIODevice& target, uint64_t max_size);
