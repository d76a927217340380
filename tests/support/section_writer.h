#pragma once
// Writers of section containers (master.loc) and scrambled list files (url.bin) for tests.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace support {

// Writes bytes as they are (damaged or hand-made files).
bool write_raw(const std::string& path, std::string_view bytes);

// One zlib stream (default compression level) holding the bytes.
std::string zlib_compress(std::string_view data);

// A section container: the u32 version, nine i32 section offsets, then the zlib streams of the
// sections in the chosen file order.
class ContainerWriter {
public:
    ContainerWriter& version(uint32_t v) {
        version_ = v;
        return *this;
    }
    // Section 1..9 holding these (uncompressed) bytes.
    ContainerWriter& section(int index, std::string_view bytes) {
        return raw_section(index, zlib_compress(bytes));
    }
    // Section stored as these exact bytes, not compressed (for damaged streams).
    ContainerWriter& raw_section(int index, std::string bytes) {
        stored_[index] = std::move(bytes);
        return *this;
    }
    // File order of the sections; by default ascending index. Sections left out of the order
    // are not written.
    ContainerWriter& order(std::vector<int> indexes) {
        order_ = std::move(indexes);
        return *this;
    }
    // Forces the offset written for a section (missing sections get offset 0).
    ContainerWriter& offset(int index, int32_t value) {
        forced_[index] = value;
        return *this;
    }

    std::string bytes() const;
    bool write(const std::string& path) const { return write_raw(path, bytes()); }

private:
    uint32_t version_ = 1062;
    std::map<int, std::string> stored_; // index -> bytes as stored in the file
    std::vector<int> order_;
    std::map<int, int32_t> forced_;
};

// url.bin: the lines joined with CR LF (each line ended), scrambled with the key, compressed.
std::string scrambled_list(const std::vector<std::string>& lines,
                           const std::string& key = "plinvask");
bool write_scrambled_list(const std::string& path, const std::vector<std::string>& lines,
                          const std::string& key = "plinvask");

// The nine lines of a valid url.bin, with line 8 and line 9 given.
std::vector<std::string> url_lines(const std::string& not_editable = "0",
                                   const std::string& description = "A database");

} // namespace support
