// Texts, names, numbers, flag sets, colours, icons, geometry and file helpers.

#include "foundation/binary_io.h"
#include "foundation/errors.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace {

// The name with every "#" and the digits right after it removed, and the digits of the id.
struct IdScan {
    std::string text;
    std::string digits;
};

IdScan scan_id(const std::string& name, bool first_only) {
    std::string w = name;
    std::string digits;
    bool after_mark = false;
    bool collecting = true;
    for (char& c : w) {
        if (after_mark) {
            if (c >= '0' && c <= '9') {
                if (collecting)
                    digits.push_back(c);
                c = '#';
            } else {
                if (first_only)
                    break;
                collecting = false;
                after_mark = false;
            }
        }
        if (c == '#')
            after_mark = true;
    }
    std::erase(w, '#');
    return {std::move(w), std::move(digits)};
}

std::string to_hex(uint32_t value, int digits) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s(static_cast<size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        s[static_cast<size_t>(i)] = kDigits[value & 0xF];
    return s;
}

} // namespace

int hex_digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int compare_text(std::string_view a, std::string_view b) {
    auto fold = [](char c) -> int {
        return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : static_cast<unsigned char>(c);
    };
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i)
        if (const int d = fold(a[i]) - fold(b[i]); d != 0)
            return d;
    return int(a.size()) - int(b.size());
}

std::string lower_ascii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string_view trim_blanks(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.remove_suffix(1);
    return text;
}

double now_datetime() {
    const QDateTime now = QDateTime::currentDateTime();
    const double days = static_cast<double>(QDate(1899, 12, 30).daysTo(now.date()));
    return days + now.time().msecsSinceStartOfDay() / 86400000.0;
}

// ---- Texts and names ----

char normalise_char(char c) {
    switch (static_cast<unsigned char>(c)) {
    case 0x22:
    case 0x2A:
    case 0x2B:
    case 0x2D:
    case 0x2F:
    case 0x3D:
    case 0x5B:
    case 0x5D:
    case 0x7B:
    case 0x7D:
    case 0x7C:
    case 0x7E:
        return ' ';
    case 0xE0:
    case 0xE2:
    case 0xE4:
        return 'A';
    case 0xE7:
        return 'C';
    case 0xE8:
    case 0xE9:
    case 0xEA:
    case 0xEB:
        return 'E';
    case 0xEE:
    case 0xEF:
        return 'I';
    case 0xF4:
    case 0xF6:
        return 'O';
    case 0xF9:
    case 0xFB:
    case 0xFC:
        return 'U';
    default:
        if (c >= 'a' && c <= 'z')
            return static_cast<char>(c - 'a' + 'A');
        return c;
    }
}

void normalise_into(std::string& out, std::string_view text) {
    static const std::array<char, 256> table = [] {
        std::array<char, 256> t{};
        for (size_t i = 0; i < t.size(); ++i)
            t[i] = normalise_char(static_cast<char>(i));
        return t;
    }();
    out.resize(text.size());
    // Plain pointers: writes through a char reference would make every pointer reload.
    char* to = out.data();
    const char* from = text.data();
    const char* folded = table.data();
    for (size_t i = 0, n = text.size(); i < n; ++i)
        to[i] = folded[static_cast<unsigned char>(from[i])];
}

std::string normalise_text(std::string_view text) {
    std::string out;
    normalise_into(out, text);
    return out;
}

rIdReturn extract_id(const std::string& name, bool first_only) {
    IdScan scan = scan_id(name, first_only);
    rIdReturn r;
    r.text = std::move(scan.text);
    if (!scan.digits.empty())
        r.id = str_to_int(scan.digits);
    return r;
}

std::string clean_name(const std::string& name, bool as_lines) {
    // Only the text is needed: an id too large for a number must not stop the display.
    std::string s = scan_id(name, false).text;
    while (!s.empty() && s.back() == '|')
        s.pop_back();
    std::erase_if(s, [](char c) { return c == '{' || c == '}'; });
    if (as_lines)
        std::replace(s.begin(), s.end(), '|', '\r');
    return s;
}

bool is_comment(std::string_view text) {
    return !text.empty() && text.front() == '#';
}

bool is_hidden_name(std::string_view text) {
    return !text.empty() && text.front() == '@';
}

void fill_from_pipe_list(std::vector<std::string>& memo, const std::string& text) {
    memo.clear();
    size_t start = 0;
    for (size_t bar; (bar = text.find('|', start)) != std::string::npos; start = bar + 1)
        memo.push_back(text.substr(start, bar - start));
    if (start < text.size())
        memo.push_back(text.substr(start));
}

std::string join_to_pipe_list(const std::vector<std::string>& memo) {
    std::string out = memo.empty() ? std::string() : memo.front();
    for (size_t i = 1; i < memo.size(); ++i)
        if (!memo[i].empty())
            out.append("|").append(memo[i]);
    return out;
}

bool try_str_to_int(std::string_view t, int32_t& value) {
    size_t i = 0;
    while (i < t.size() && t[i] == ' ')
        ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        negative = t[i++] == '-';
    bool hex = false;
    if (i < t.size() && (t[i] == '$' || t[i] == 'x' || t[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == t.size())
        return false;
    uint64_t v = 0;
    const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    for (; i < t.size(); ++i) {
        int d = hex ? hex_digit(t[i]) : (t[i] >= '0' && t[i] <= '9' ? t[i] - '0' : -1);
        if (d < 0)
            return false;
        v = v * (hex ? 16 : 10) + static_cast<uint64_t>(d);
        if (v > limit)
            return false;
    }
    uint32_t bits = static_cast<uint32_t>(v);
    if (negative)
        bits = 0u - bits;
    value = static_cast<int32_t>(bits);
    return true;
}

int32_t str_to_int_def0(std::string_view text) {
    int32_t v = 0;
    return try_str_to_int(text, v) ? v : 0;
}

int32_t str_to_int(std::string_view text) {
    int32_t v = 0;
    if (!try_str_to_int(text, v))
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return v;
}

std::string int_to_hex4(uint16_t value) {
    return to_hex(value, 4);
}

std::string int_to_hex8(uint32_t value) {
    return to_hex(value, 8);
}

std::string random_id() {
    std::mt19937 generator(static_cast<std::mt19937::result_type>(
        QDateTime::currentMSecsSinceEpoch() ^ std::random_device{}()));
    int number = std::uniform_int_distribution<int>(0, 999)(generator);
    // The clock as a day count, written with the decimal comma.
    std::string seed = QString::number(now_datetime(), 'g', 15).replace('.', ',').toStdString() +
                       "vev" + std::to_string(number);
    QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(seed), QCryptographicHash::Md5).toHex();
    return digest.left(12).toStdString();
}

// ---- Flag sets ----

void clear_flagset(TFlagSet& set) {
    set.w.fill(0);
}

void fill_flagset(TFlagSet& set) {
    set.w.fill(0xFFFFFFFFu);
}

bool bit_test(uint32_t word, int b) {
    return (word >> (static_cast<unsigned>(b) % 32)) & 1u;
}

bool test_flag(const TFlagSet& set, int n) {
    if (n < 1 || n > 128)
        return false;
    return bit_test(set.w[static_cast<size_t>((n - 1) / 32)], n % 32);
}

TFlagSet bools_to_flagset(const std::array<bool, 128>& bools) {
    TFlagSet set;
    for (int n = 1; n <= 128; ++n)
        if (bools[static_cast<size_t>(n - 1)])
            set.w[static_cast<size_t>((n - 1) / 32)] |= 1u << (n % 32);
    return set;
}

std::array<bool, 128> flagset_to_bools(const TFlagSet& set) {
    std::array<bool, 128> bools{};
    for (int n = 1; n <= 128; ++n)
        bools[static_cast<size_t>(n - 1)] = test_flag(set, n);
    return bools;
}

bool same_flagset(const TFlagSet& a, const TFlagSet& b) {
    return a.w == b.w;
}

// ---- Colours and icons ----

TColor32 color_to_color32(TColor colour, uint32_t alpha) {
    auto less_one = [](uint32_t v) { return v == 0 ? 0u : v - 1; };
    uint32_t c = static_cast<uint32_t>(colour);
    uint32_t r = less_one(c & 0xFF);
    uint32_t g = less_one((c >> 8) & 0xFF);
    uint32_t b = less_one((c >> 16) & 0xFF);
    return alpha | r << 16 | g << 8 | b;
}

void set_transparent_color(QImage& bitmap, TColor32 colour) {
    if (bitmap.isNull())
        return;
    if (bitmap.format() != QImage::Format_ARGB32)
        bitmap.convertTo(QImage::Format_ARGB32);
    const uint32_t rgb = colour & 0x00FFFFFFu;
    for (int y = 0; y < bitmap.height(); ++y) {
        auto* line = reinterpret_cast<uint32_t*>(bitmap.scanLine(y));
        for (int x = 0; x < bitmap.width(); ++x)
            if ((line[x] & 0x00FFFFFFu) == rgb)
                line[x] &= 0x00FFFFFFu;
    }
}

QImage cut_icon(const QImage& source, int size, int index) {
    if (size <= 0)
        return QImage();
    const QImage strip = source.isNull() || source.format() == QImage::Format_ARGB32
                             ? source
                             : source.convertToFormat(QImage::Format_ARGB32);
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(0);
    const int64_t left = static_cast<int64_t>(size) * index;
    for (int y = 0; y < size && y < strip.height(); ++y) {
        const auto* src = reinterpret_cast<const uint32_t*>(strip.constScanLine(y));
        auto* dst = reinterpret_cast<uint32_t*>(icon.scanLine(y));
        for (int x = 0; x < size; ++x) {
            int64_t sx = left + x;
            if (sx >= 0 && sx < strip.width())
                dst[x] = src[sx];
        }
    }
    // Only the icon's own pixels: the strip stays as it is for the next icon.
    set_transparent_color(icon, 0xFFFFFFu);
    return icon;
}

QImage read_bitmap_file(const std::string& path, QSize max_size, bool* past_limit) {
    if (past_limit)
        *past_limit = false;
    QFile f;
    if (!open_for_reading(path, f))
        return QImage();
    // The file header and the largest info header tell the size.
    constexpr qint64 kHeader = 14 + 124;
    QByteArray data = f.read(kHeader);
    QSize size;
    {
        QBuffer header(&data);
        size = QImageReader(&header, "BMP").size();
    }
    if (!size.isValid())
        return QImage();
    if (size.width() > max_size.width() || size.height() > max_size.height()) {
        if (past_limit)
            *past_limit = true;
        else
            log_outside_limit(path_text(path), bitmap_limit_text(max_size), false);
        return QImage();
    }
    // Then at most what a bitmap of that size takes: 256 colours and 4 bytes a pixel, each row
    // padded, or its run-length codes.
    const size_t most = kHeader + 1024 + size_t(size.height()) * (4 * size_t(size.width()) + 4);
    std::string rest;
    bool longer = false;
    if (!read_rest(f, rest, most - size_t(data.size()), longer))
        return QImage();
    data.append(rest.data(), qsizetype(rest.size()));
    QBuffer buffer(&data);
    return QImageReader(&buffer, "BMP").read();
}

std::string bitmap_limit_text(QSize max_size) {
    return std::to_string(max_size.width()) + " x " + std::to_string(max_size.height()) + " pixels";
}

QImage read_icon_strip(std::string_view bytes) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer, "BMP");
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > max_icon_strip_width ||
        size.height() > max_icon_strip_height)
        return QImage();
    QImage strip = reader.read();
    if (!strip.isNull())
        strip.convertTo(QImage::Format_ARGB32);
    return strip;
}

// ---- Geometry and files ----

int32_t distance(TPoint p, TPoint q) {
    int64_t dx = static_cast<int64_t>(p.x / 1000) - q.x / 1000;
    int64_t dy = static_cast<int64_t>(p.y / 1000) - q.y / 1000;
    int64_t sum = dx * dx + dy * dy;
    if (sum > std::numeric_limits<int32_t>::max())
        return -1;
    return static_cast<int32_t>(std::nearbyint(std::sqrt(static_cast<double>(sum))));
}

void convert_polyline_file(const std::string& file_name, std::string& out) {
    std::string data;
    bool past_limit = false;
    if (!read_file(file_name, data, kOutlineFileLimit, &past_limit))
        return;
    if (past_limit) {
        out.clear();
        log_outside_limit(path_text(file_name), size_text(kOutlineFileLimit), false);
        return;
    }
    ByteReader in(data);
    ByteWriter w;
    while (in.remaining() >= 2) {
        uint16_t count = in.u16();
        if (in.remaining() < size_t(count) * 4)
            break; // a last polyline cut short is left out
        w.u16(count);
        for (uint16_t k = 0; k < count; ++k) {
            uint16_t x = in.u16();
            uint16_t y = in.u16();
            w.f32(static_cast<float>(x / 65535.0));
            w.f32(static_cast<float>((65535 - y) / 65535.0));
        }
    }
    out = std::move(w.data());
}

int32_t file_size(const std::string& file_name) {
    QFile f;
    if (!open_for_reading(file_name, f))
        throw EInOutError("cannot open " + path_text(file_name));
    return static_cast<int32_t>(std::min<qint64>(f.size(), std::numeric_limits<int32_t>::max()));
}

int32_t count_lines(const std::string& file_name) {
    constexpr int32_t kMost = 8;
    QFile f;
    if (!open_for_reading(file_name, f))
        return 0;
    int32_t ends = 0;
    bool open_line = false; // characters after the last line end
    bool after_cr = false;
    char buffer[4096];
    qint64 n;
    while (ends < kMost && (n = f.read(buffer, sizeof buffer)) > 0) {
        for (qint64 i = 0; i < n && ends < kMost; ++i) {
            char c = buffer[i];
            if (c == '\n' && after_cr) {
                after_cr = false;
                continue;
            }
            after_cr = c == '\r';
            if (c == '\r' || c == '\n') {
                ++ends;
                open_line = false;
            } else {
                open_line = true;
            }
        }
    }
    return std::clamp(ends + (open_line ? 1 : 0), 1, kMost);
}

// ---- Edit boxes ----

TClampedEdit clamp_edit_text(const std::string& text, int32_t min, int32_t max) {
    TClampedEdit r{text, 0, 0};
    if (!text.empty()) {
        int32_t v = str_to_int(text);
        if (v < min)
            r.text = std::to_string(min);
        else if (v > max)
            r.text = std::to_string(max);
    }
    r.sel_length = r.text.size() == 2 ? 2 : std::min<int>(1, static_cast<int>(r.text.size()));
    return r;
}
