#include "support/section_writer.h"

#include "foundation/binary_io.h"
#include "foundation/func_karvo.h"
#include "foundation/text_codec.h"

#include <QFile>

#include <zlib.h>

namespace support {

std::string zlib_compress(std::string_view data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        throw std::runtime_error("compress2 failed");
    out.resize(size);
    return out;
}

std::string ContainerWriter::bytes() const {
    std::vector<int> order = order_;
    if (order.empty())
        for (const auto& [index, data] : stored_)
            order.push_back(index);
    std::map<int, int32_t> offsets;
    std::string body;
    for (int index : order) {
        offsets[index] = 40 + static_cast<int32_t>(body.size()); // after the header
        body += stored_.at(index);
    }
    for (const auto& [index, value] : forced_)
        offsets[index] = value;
    ByteWriter w;
    w.u32(version_);
    for (int index = 1; index <= 9; ++index)
        w.i32(offsets[index]);
    w.bytes(body);
    return w.data();
}

std::string scrambled_list(const std::vector<std::string>& lines, const std::string& key) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    scramble_stream(text, key);
    return zlib_compress(text);
}

bool write_scrambled_list(const std::string& path, const std::vector<std::string>& lines,
                          const std::string& key) {
    return write_raw(path, scrambled_list(lines, key));
}

std::vector<std::string> url_lines(const std::string& not_editable,
                                   const std::string& description) {
    return {"1062",
            "collect@example.org",
            "http://update.example.org/",
            "check.php",
            "?v=2",
            "http://upload.example.org/send.php",
            "http://www.example.org/news.html",
            not_editable,
            description};
}

bool write_raw(const std::string& path, std::string_view bytes) {
    QFile f(to_path(path));
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

} // namespace support
