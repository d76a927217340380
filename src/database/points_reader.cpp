#include "database/points_reader.h"

#include "foundation/errors.h"
#include "foundation/func_karvo.h"
#include "foundation/func_ressource.h"
#include "mainwindow/pref_convert.h"

#include <QDate>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Tags with a meaning; every other tag carries a u16 length and that many bytes to skip.
enum : uint8_t {
    tag_name = 1,
    tag_zone = 2,
    tag_category = 3,
    tag_x = 4,
    tag_y = 5,
    tag_level_min = 6,
    tag_level_max = 7,
    tag_master_id = 11,
    tag_comment = 12,
    tag_link = 13,
    tag_locked = 14,
    tag_unused_u8 = 15,
    tag_flags_first = 20,
    tag_flags_last = 23,
    tag_record_end = 199,
    tag_header1 = 200,
    tag_header2 = 201,
    tag_date = 202,
    tag_data_end = 255,
};

constexpr int tags_per_progress_step = 1024;

// Sets every point field of the current record to 0 or empty, keeping the texts' buffers.
void reset_database_record(rnew_node& r) {
    r.is_copy = 0;
    r.x = r.y = 0;
    r.name.clear();
    r.zone_id = r.category_id = 0;
    r.comment.clear();
    r.level_min = r.level_max = 0;
    r.flags = TFlagSet{};
    r.master_id = 0;
    r.from_master = true;
    r.link.clear();
    r.locked = false;
    r.has_item_data = true;
    r.owner_continent = nullptr;
    r.owner_zone = nullptr;
    r.category = nullptr;
}

// Bounds-checked little-endian reads over the stream. Each returns false, consuming nothing,
// when the value does not fit in the bytes left: the data has ended inside it.
class TagStream {
public:
    explicit TagStream(std::string_view data)
        : p_(reinterpret_cast<const unsigned char*>(data.data())), size_(data.size()) {}

    size_t pos() const { return pos_; }
    void seek(size_t pos) { pos_ = pos; }

    bool u8(uint8_t& v) {
        if (pos_ >= size_)
            return false;
        v = p_[pos_++];
        return true;
    }
    bool u16(uint16_t& v) {
        if (size_ - pos_ < 2)
            return false;
        v = static_cast<uint16_t>(p_[pos_] | (p_[pos_ + 1] << 8));
        pos_ += 2;
        return true;
    }
    bool u32(uint32_t& v) {
        if (size_ - pos_ < 4)
            return false;
        v = static_cast<uint32_t>(p_[pos_]) | static_cast<uint32_t>(p_[pos_ + 1]) << 8 |
            static_cast<uint32_t>(p_[pos_ + 2]) << 16 | static_cast<uint32_t>(p_[pos_ + 3]) << 24;
        pos_ += 4;
        return true;
    }
    bool f64(double& v) {
        if (size_ - pos_ < 8)
            return false;
        uint64_t bits = 0;
        for (int i = 7; i >= 0; --i)
            bits = bits << 8 | p_[pos_ + static_cast<size_t>(i)];
        std::memcpy(&v, &bits, 8);
        pos_ += 8;
        return true;
    }
    // u16 length, then that many bytes into `text` (its buffer is reused).
    bool text(std::string& text) {
        uint16_t n = 0;
        if (!u16(n) || size_ - pos_ < n)
            return false;
        text.assign(reinterpret_cast<const char*>(p_ + pos_), n);
        pos_ += n;
        return true;
    }
    // u16 length, then that many bytes thrown away.
    bool skip_item() {
        uint16_t n = 0;
        if (!u16(n) || size_ - pos_ < n)
            return false;
        pos_ += n;
        return true;
    }

private:
    const unsigned char* p_;
    size_t size_;
    size_t pos_ = 0;
};

// Reads the value of a point-field u16 tag and widens it.
bool read_u16_field(TagStream& in, int32_t& field) {
    uint16_t v = 0;
    if (!in.u16(v))
        return false;
    field = v;
    return true;
}

void emit_line(const PointsReaderSink& sink, const std::string& line) {
    if (sink.memo_line)
        sink.memo_line(line);
}

} // namespace

std::string database_date_text(double value) {
    // TDateTime range: 0001-01-01 to 9999-12-31.
    if (!(value >= -693593.0 && value < 2958466.0))
        return pref_float_to_str(value);
    const double whole = std::trunc(value);
    const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(whole));
    if (!date.isValid())
        return pref_float_to_str(value);
    // The fraction is the time of day, also for dates before 1899-12-30.
    long long ms = std::llround(std::fabs(value - whole) * 86400000.0);
    if (ms > 86399999)
        ms = 86399999;
    char buffer[40];
    int n = std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d", date.day(), date.month(),
                          date.year());
    if (ms != 0) {
        const long long seconds = ms / 1000;
        std::snprintf(buffer + n, sizeof buffer - static_cast<size_t>(n), " %02lld:%02lld:%02lld",
                      seconds / 3600, seconds / 60 % 60, seconds % 60);
    }
    return buffer;
}

PointsReadResult read_database(std::string_view stream, const PointsReaderSink& sink) {
    PointsReadResult result;
    if (sink.progress_range)
        sink.progress_range(static_cast<int>(stream.size() / 1024));
    if (stream.substr(0, points_signature.size()) != points_signature) {
        show_message(35, false);
        return result;
    }
    result.signature_ok = true;

    TagStream in(stream);
    in.seek(points_signature.size());
    rnew_node record;
    reset_database_record(record);
    int tag_counter = 0;
    // Values of the tags that are read and thrown away.
    uint32_t scratch32 = 0;
    uint8_t scratch8 = 0;

    for (;;) {
        if (++tag_counter == tags_per_progress_step) {
            if (sink.progress_position)
                sink.progress_position(static_cast<int>(in.pos() / 1024));
            tag_counter = 0;
        }
        uint8_t tag = 0;
        if (!in.u8(tag))
            break;
        bool ok = true;
        switch (tag) {
        case tag_name:
            ok = in.text(record.name);
            break;
        case tag_zone:
            ok = read_u16_field(in, record.zone_id);
            break;
        case tag_category: {
            uint8_t v = 0;
            ok = in.u8(v);
            record.category_id = v;
            break;
        }
        case tag_x:
            ok = read_u16_field(in, record.x);
            break;
        case tag_y:
            ok = read_u16_field(in, record.y);
            break;
        case tag_level_min:
            ok = read_u16_field(in, record.level_min);
            break;
        case tag_level_max:
            ok = read_u16_field(in, record.level_max);
            break;
        case 8:
        case 9:
        case 10:
        case 24:
        case 25:
        case 26:
        case 27:
        case 28:
        case 29:
        case 30:
            ok = in.u32(scratch32);
            break;
        case tag_master_id: {
            uint32_t v = 0;
            ok = in.u32(v);
            record.master_id = static_cast<int32_t>(v);
            break;
        }
        case tag_comment:
            ok = in.text(record.comment);
            break;
        case tag_link:
            ok = in.text(record.link);
            break;
        case tag_locked: {
            uint8_t v = 0;
            ok = in.u8(v);
            record.locked = v != 0;
            break;
        }
        case tag_unused_u8:
            ok = in.u8(scratch8);
            break;
        case 20:
        case 21:
        case 22:
        case 23:
            ok = in.u32(record.flags.w[static_cast<size_t>(tag - tag_flags_first)]);
            break;
        case tag_record_end:
            if (result.points == max_database_points) {
                show_message(35, false);
                result.damaged = true;
                result.header_value1.reset();
                result.header_value2.reset();
                result.date.reset();
                return result;
            }
            ++result.points;
            if (sink.add_node) {
                try {
                    sink.add_node(record);
                } catch (const EConvertError&) {
                    ++result.points_lost;
                }
            }
            reset_database_record(record);
            break;
        case tag_header1: {
            uint32_t v = 0;
            if ((ok = in.u32(v)))
                result.header_value1 = v;
            break;
        }
        case tag_header2: {
            uint32_t v = 0;
            if ((ok = in.u32(v))) {
                result.header_value2 = v;
                emit_line(sink, format_text(get_info_text(2), std::to_string(v), {}));
            }
            break;
        }
        case tag_date: {
            double v = 0;
            if ((ok = in.f64(v))) {
                result.date = v;
                emit_line(sink, format_text(get_info_text(3), database_date_text(v), {}));
            }
            break;
        }
        case tag_data_end:
            return result;
        default:
            ok = in.skip_item();
            break;
        }
        // A value cut short by the end of the data: the record under way is lost.
        if (!ok)
            break;
    }
    return result;
}
