#include "foundation/feedback.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <limits>

#include "foundation/func_ressource.h"
#include "foundation/text_codec.h"

namespace {

constexpr char kMark1 = '\x01';
constexpr char kMark2 = '\x02';

// The line with its name marks replaced.
std::string with_names(const std::string& line, const std::string& n1, const std::string& n2) {
    std::string out;
    for (char c : line)
        out += c == kMark1 ? n1 : c == kMark2 ? n2 : std::string(1, c);
    return out;
}

} // namespace

void FeedbackLines::add_feedback(int id, int seconds, const std::string& a1,
                                 const std::string& a2) {
    add_feedback(id, seconds, a1, a2, 0);
}

void FeedbackLines::add_feedback(int id, int seconds, const std::string& a1, const std::string& a2,
                                 unsigned name_args) {
    for (rdirectfeedback& line : lines_)
        line.colour = kGrey;

    // A name goes in as a mark, replaced line by line by its text and its painted form.
    const std::string t1 = name_args & kNameArg1 ? std::string(1, kMark1) : a1;
    const std::string t2 = name_args & kNameArg2 ? std::string(1, kMark2) : a2;
    std::string text;
    if (id == 0)
        text = t1 + "\r\r";
    else if (id > 0 && static_cast<size_t>(id) < res_messages.size())
        text = format_text(res_messages[static_cast<size_t>(id)] + "%%%%", t1, t2);
    else
        text = std::string(kResourceError) + "\r\r";

    std::int64_t ms = std::clamp<std::int64_t>(static_cast<std::int64_t>(seconds) * 1000, 0,
                                               std::numeric_limits<std::int32_t>::max());
    std::string current;
    for (char c : text) {
        if (c != '\r') {
            current.push_back(c);
            continue;
        }
        rdirectfeedback entry;
        if (name_args != 0 && current.find_first_of("\x01\x02") != std::string::npos) {
            entry.shown = to_qstring(current)
                              .replace(QLatin1Char(kMark1), to_path(a1))
                              .replace(QLatin1Char(kMark2), to_path(a2));
            entry.text = with_names(current, path_text(a1), path_text(a2));
            entry.width = text_width(entry.shown);
        } else {
            entry.width = text_width(current);
            entry.text = std::move(current);
        }
        entry.time_left = static_cast<std::int32_t>(ms);
        add_feedback_line(std::move(entry));
        current.clear();
    }
}

void FeedbackLines::add_feedback_line(rdirectfeedback entry) {
    entry.colour = kWhite;
    lines_.push_back(std::move(entry));
    if (lines_.size() > static_cast<size_t>(kMaxLines)) {
        lines_.pop_front();
        rdirectfeedback& marker = lines_.front();
        marker.text = "[...]";
        marker.shown.clear();
        marker.colour = kGrey;
        marker.width = text_width(marker.text);
    }
}

bool FeedbackLines::age() {
    if (lines_.empty())
        return false;
    for (size_t i = lines_.size(); i-- > 0;) {
        std::int64_t left = static_cast<std::int64_t>(lines_[i].time_left) - kTickMs;
        if (left < 1)
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
        else
            lines_[i].time_left = static_cast<std::int32_t>(left);
    }
    return true;
}

void FeedbackLines::paint(QPainter& painter, const QRect& map) const {
    if (lines_.empty())
        return;
    const int n = static_cast<int>(lines_.size());
    const int w = map.width();
    const int mid = map.height() / 2;
    const int top = mid - 8 * (n - 1);
    const int bottom = mid + 8 * (n - 1) + 8;

    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // The band stops short of the view's right edge column.
    painter.fillRect(QRect(map.left(), map.top() + top, w - 1, bottom - top),
                     QColor(0, 0, 0, 0x99));
    painter.setFont(feedback_font());
    for (int i = 0; i + 1 < n; ++i) {
        const rdirectfeedback& line = lines_[static_cast<size_t>(i)];
        painter.setPen(QColor(static_cast<int>(line.colour & 0xFF),
                              static_cast<int>((line.colour >> 8) & 0xFF),
                              static_cast<int>((line.colour >> 16) & 0xFF)));
        int x = map.left() + w / 2 - line.width / 2;
        int y = map.top() + top + 5 + 16 * i;
        painter.drawText(QRect(x, y, std::max(line.width, 1) + 16, 16),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip,
                         line.shown.isEmpty() ? to_qstring(line.text) : line.shown);
    }
    painter.restore();
}

void FeedbackLines::paint(QImage& image) const {
    QPainter painter(&image);
    paint(painter, image.rect());
}
