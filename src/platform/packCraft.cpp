#include "platform/packCraft.h"

#include <StormLib.h>
#include <algorithm>
#include <vector>

namespace {

// Files are read in chunks so that a size claimed by a damaged archive costs no memory beyond
// the bytes that actually arrive.
constexpr DWORD kReadChunk = 1 << 20;

// An archive path from the settings may use backslashes.
std::string native_archive_path(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

} // namespace

MpqRead read_mpq_file(MpqArchiveHandle archive, const std::string& file_name, QIODevice& target,
                      uint64_t max_size) {
    HANDLE file = nullptr;
    if (!archive || !SFileOpenFileEx(archive, file_name.c_str(), SFILE_OPEN_FROM_MPQ, &file) ||
        !file)
        return MpqRead::absent;
    const DWORD size = SFileGetFileSize(file, nullptr);
    if (size == 0 || size == SFILE_INVALID_SIZE) {
        SFileCloseFile(file);
        return MpqRead::absent;
    }
    if (size > max_size) {
        SFileCloseFile(file);
        return MpqRead::too_large;
    }
    std::vector<char> buffer(std::min(size, kReadChunk));
    DWORD remaining = size;
    while (remaining > 0) {
        const DWORD want = std::min(remaining, kReadChunk);
        DWORD got = 0;
        SFileReadFile(file, buffer.data(), want, &got, nullptr);
        got = std::min(got, want);
        if (got > 0)
            target.write(buffer.data(), got);
        if (got < want)
            break;
        remaining -= got;
    }
    SFileCloseFile(file);
    return MpqRead::read;
}

MpqArchive::MpqArchive(const std::string& archive_path) {
    HANDLE archive = nullptr;
    if (SFileOpenArchive(native_archive_path(archive_path).c_str(), 0,
                         MPQ_OPEN_READ_ONLY | MPQ_OPEN_NO_LISTFILE | MPQ_OPEN_NO_ATTRIBUTES,
                         &archive))
        handle_ = archive;
}

MpqArchive::~MpqArchive() {
    if (handle_)
        SFileCloseArchive(handle_);
}

MpqRead MpqArchive::read(const std::string& file_name, QIODevice& target, uint64_t max_size) const {
    const MpqRead result = read_mpq_file(handle_, file_name, target, max_size);
    target.seek(0);
    return result;
}

MpqRead extract_mpq_file(const std::string& archive_path, const std::string& file_name,
                         QIODevice& target, uint64_t max_size) {
    return MpqArchive(archive_path).read(file_name, target, max_size);
}
