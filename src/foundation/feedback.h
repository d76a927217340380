#pragma once
// Feedback lines: short notices written for a few seconds over the middle of the map, newest at
// the bottom, older ones grey, at most 12 lines.
//
// Wiring in the main window (TForm4):
//   FeedbackLines feedback_lines;  QTimer Timerfeedback (interval 200 ms, stopped at creation)
//   feedback(id, seconds, a1, a2): Timerfeedback.start(); feedback_lines.add_feedback(id,
//       seconds, a1, a2); repaint the map view.
//   TimerfeedbackTimer(): feedback_lines.age(); stop Timerfeedback once the list is empty;
//       repaint the map view when lines went.
//   clear_feedback(): feedback_lines.clear() (window destroyed, left click on the map).
//   paint_feedback: while painting the map, when !feedback_lines.empty(),
//       feedback_lines.paint(painter, map rectangle), after the tips panel.

#include <QRect>
#include <QString>
#include <cstdint>
#include <deque>
#include <string>

class QImage;
class QPainter;

// One displayed line.
struct rdirectfeedback {
    std::string text;           // one line, Windows-1252
    std::int32_t width = 0;     // pixel width of the text in the feedback font
    std::int32_t time_left = 0; // milliseconds
    std::uint32_t colour = 0;   // 0x00BBGGRR
    QString shown;              // what is painted when the line holds a name (else `text`)
};

class FeedbackLines {
public:
    static constexpr int kMaxLines = 12;
    static constexpr int kTickMs = 200;
    static constexpr std::uint32_t kWhite = 0xFFFFFF;
    static constexpr std::uint32_t kGrey = 0xAAAAAA;

    // Turns every line grey, then appends the lines of message id (0: a1 as it stands) filled
    // with a1 and a2, each shown for the given seconds. Every message ends with an empty line.
    void add_feedback(int id, int seconds, const std::string& a1 = {}, const std::string& a2 = {});

    // Arguments of add_feedback that are names in the file system's bytes (a database folder)
    // rather than texts: they are painted whole, whatever their script; `text` holds them as
    // Windows-1252 ("?" for a character it lacks).
    enum NameArgs : unsigned { kNameArg1 = 1, kNameArg2 = 2 };
    void add_feedback(int id, int seconds, const std::string& a1, const std::string& a2,
                      unsigned name_args);

    // Appends one line in white; past 12 lines the oldest goes and the new oldest becomes a grey
    // "[...]" marker.
    void add_feedback_line(rdirectfeedback entry);

    // One 200 ms tick: every line ages and the expired ones go. Returns false when the list was
    // already empty, which is when the timer should stop.
    bool age();

    void clear() { lines_.clear(); }
    bool empty() const { return lines_.empty(); }
    const std::deque<rdirectfeedback>& lines() const { return lines_; }

    // Paints the darkened band and the lines over the middle of the map rectangle.
    void paint(QPainter& painter, const QRect& map) const;
    // The same on a whole image.
    void paint(QImage& image) const;

private:
    std::deque<rdirectfeedback> lines_;
};
