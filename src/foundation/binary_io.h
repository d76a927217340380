#pragma once
// Little-endian field readers and writers over byte buffers. Every read is bounded by the
// bytes present and throws EInOutError when the buffer is too short.

#include "foundation/errors.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

class ByteReader {
public:
    explicit ByteReader(std::string_view data, size_t pos = 0) : data_(data), pos_(pos) {}
    // The reader only views its data: a temporary string would dangle.
    explicit ByteReader(std::string&&, size_t = 0) = delete;

    size_t pos() const { return pos_; }
    size_t size() const { return data_.size(); }
    size_t remaining() const { return pos_ <= data_.size() ? data_.size() - pos_ : 0; }
    bool at_end() const { return remaining() == 0; }
    void seek(size_t pos) {
        if (pos > data_.size())
            throw EInOutError("seek beyond end of data");
        pos_ = pos;
    }
    void skip(size_t n) { seek(need(n) + n); }

    uint8_t u8() {
        size_t at = need(1);
        ++pos_;
        return static_cast<uint8_t>(data_[at]);
    }
    uint16_t u16() { return static_cast<uint16_t>(le(2)); }
    uint32_t u32() { return static_cast<uint32_t>(le(4)); }
    int16_t i16() { return static_cast<int16_t>(u16()); }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    float f32() {
        uint32_t v = u32();
        float f;
        std::memcpy(&f, &v, 4);
        return f;
    }
    double f64() {
        uint64_t v = le(8);
        double d;
        std::memcpy(&d, &v, 8);
        return d;
    }
    // n raw bytes.
    std::string bytes(size_t n) {
        size_t at = need(n);
        pos_ += n;
        return std::string(data_.substr(at, n));
    }
    // A length-prefixed text of fixed capacity: one length byte, then `capacity` bytes.
    // The length is clamped to the capacity.
    std::string short_string(size_t capacity) {
        size_t at = need(capacity + 1);
        size_t len = static_cast<uint8_t>(data_[at]);
        if (len > capacity)
            len = capacity;
        pos_ += capacity + 1;
        return std::string(data_.substr(at + 1, len));
    }

private:
    size_t need(size_t n) const {
        if (n > remaining())
            throw EInOutError("read beyond end of data");
        return pos_;
    }
    uint64_t le(int n) {
        size_t at = need(static_cast<size_t>(n));
        uint64_t v = 0;
        for (int i = n - 1; i >= 0; --i)
            v = (v << 8) | static_cast<uint8_t>(data_[at + i]);
        pos_ += static_cast<size_t>(n);
        return v;
    }

    std::string_view data_;
    size_t pos_;
};

class ByteWriter {
public:
    std::string& data() { return data_; }
    const std::string& data() const { return data_; }

    void u8(uint8_t v) { data_.push_back(static_cast<char>(v)); }
    void u16(uint16_t v) { le(v, 2); }
    void u32(uint32_t v) { le(v, 4); }
    void i16(int16_t v) { le(static_cast<uint16_t>(v), 2); }
    void i32(int32_t v) { le(static_cast<uint32_t>(v), 4); }
    void f32(float f) {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        le(v, 4);
    }
    void f64(double d) {
        uint64_t v;
        std::memcpy(&v, &d, 8);
        le(v, 8);
    }
    void bytes(std::string_view b) { data_.append(b); }
    // Length byte, then the text padded with zeros to the capacity (the text is cut to fit).
    void short_string(std::string_view s, size_t capacity) {
        size_t len = std::min(s.size(), std::min<size_t>(capacity, 255));
        u8(static_cast<uint8_t>(len));
        data_.append(s.substr(0, len));
        data_.append(capacity - len, '\0');
    }

private:
    void le(uint64_t v, int n) {
        for (int i = 0; i < n; ++i)
            data_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    std::string data_;
};
