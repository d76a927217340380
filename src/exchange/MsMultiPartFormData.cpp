#include "exchange/MsMultiPartFormData.h"

#include "foundation/errors.h"
#include "foundation/text_codec.h"

namespace {

constexpr const char* kCrLf = "\r\n";

// A name or filename between the quotes of the part's header: a quote, CR or LF there would end
// it early, so they go as "%22", "%0D" and "%0A".
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text)
        out += c == '"' ? "%22" : c == '\r' ? "%0D" : c == '\n' ? "%0A" : std::string(1, c);
    return out + '"';
}

} // namespace

TMsMultiPartFormDataStream::TMsMultiPartFormDataStream(const QDateTime& now)
    : boundary_(std::string(27, '-') +
                now.toString(QStringLiteral("MMddyyHHmmsszzz")).toStdString()),
      request_content_type_("multipart/form-data; boundary=" + boundary_) {}

std::string TMsMultiPartFormDataStream::field_header(const std::string& name) const {
    return "--" + boundary_ + kCrLf + "Content-Disposition: form-data; name=" + quoted(name);
}

void TMsMultiPartFormDataStream::add_field_part(const std::string& name, const std::string& value) {
    if (!first_part_)
        data_ += kCrLf;
    data_ += field_header(name) + kCrLf + kCrLf + value;
    first_part_ = false;
}

void TMsMultiPartFormDataStream::add_file_part(const std::string& name, const std::string& filename,
                                               const std::string& content_type,
                                               const std::string& source) {
    data_ += kCrLf + field_header(name) + "; filename=" + quoted(filename) + kCrLf +
             "Content-Type: " + content_type + kCrLf + kCrLf + source;
}

void TMsMultiPartFormDataStream::add_file_part_from_path(const std::string& name,
                                                         const std::string& path,
                                                         const std::string& content_type,
                                                         size_t max_size) {
    std::string bytes;
    bool past_limit = false;
    if (!read_file(path, bytes, max_size, &past_limit))
        throw EInOutError("Cannot open file \"" + path_text(path) + "\".");
    if (past_limit)
        throw EInOutError("The file \"" + path_text(path) + "\" is larger than " +
                          std::to_string(max_size) + " bytes.");
    add_file_part(name, name_for_peers(path), content_type, bytes);
}

void TMsMultiPartFormDataStream::finish_body() {
    data_ += kCrLf + std::string("--") + boundary_ + "--" + kCrLf;
    first_part_ = true;
}
