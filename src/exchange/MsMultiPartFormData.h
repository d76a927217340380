#pragma once
// The body of an HTTP POST in the multipart/form-data format, built in memory part by part:
// first the text fields, then the file parts, then finish_body.

#include <QDateTime>

#include <cstddef>
#include <string>

class TMsMultiPartFormDataStream {
public:
    // The boundary is made from the local date and time given.
    explicit TMsMultiPartFormDataStream(const QDateTime& now = QDateTime::currentDateTime());

    // 27 "-" followed by the date and time as "mmddyyhhnnsszzz".
    const std::string& boundary() const { return boundary_; }
    // "multipart/form-data; boundary=" + the boundary.
    const std::string& request_content_type() const { return request_content_type_; }

    // The value is written as it is; in the names and the filename, a double quote, CR and LF
    // go as "%22", "%0D" and "%0A".
    void add_field_part(const std::string& name, const std::string& value);
    void add_file_part(const std::string& name, const std::string& filename,
                       const std::string& content_type, const std::string& source);
    // The file's bytes under its path as the filename, in the form that peers know names by
    // (name_for_peers). Throws EInOutError when the file cannot be read or holds more than
    // max_size bytes.
    void add_file_part_from_path(const std::string& name, const std::string& path,
                                 const std::string& content_type, size_t max_size);
    // Appends the closing delimiter; the body is then complete.
    void finish_body();

    const std::string& data() const { return data_; }

private:
    std::string field_header(const std::string& name) const;

    std::string boundary_;
    std::string request_content_type_;
    std::string data_;
    bool first_part_ = true;
};
