#include "mainwindow/widgets/G32_ProgressBar.h"

#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

namespace {

QImage painted(const TG32_ProgressBar& bar) {
    QImage buffer(bar.size(), QImage::Format_ARGB32);
    buffer.fill(0xFF123456);
    bar.DoPaintBuffer(buffer);
    return buffer;
}

// A framed 150 x 16 bar with a grey track (60) and a grey bar colour (100) drawn flat.
class ProgressBar : public ::testing::Test {
protected:
    void SetUp() override {
        bar_.setBackColor(QColor(60, 60, 60));
        bar_.setColor(QColor(100, 100, 100));
        bar_.setContrast(0);
    }
    // The number of bar-coloured pixels along the middle row.
    int filled() const {
        const QImage image = painted(bar_);
        int n = 0;
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, 8) == qRgb(100, 100, 100);
        return n;
    }
    TG32_ProgressBar bar_;
};

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

} // namespace

TEST_F(ProgressBar, FillFollowsThePositionInsideItsRange) {
    // Position at or below Min, Max equal to Min, beyond Max, and the whole int range.
    struct Case {
        int min, max, position;
        int low, high; // bounds of the filled pixels
    };
    for (const Case& c : {Case{10, 100, 10, 0, 0}, Case{10, 100, -100, 0, 0}, Case{0, 0, 50, 0, 0},
                          Case{0, 100, 50, 70, 76}, Case{0, 100, 1000000, 140, 148},
                          Case{INT32_MIN, INT32_MAX, INT32_MAX, 140, 148}}) {
        bar_.setMin(c.min);
        bar_.setMax(c.max);
        bar_.setPosition(c.position);
        EXPECT_TRUE(filled() >= c.low && filled() <= c.high)
            << c.min << ".." << c.max << " at " << c.position << ": " << filled();
    }
}

TEST_F(ProgressBar, FramedHalfBarPixelsAndShownOverAMapBelowItsMiddle) {
    bar_.setPosition(50); // the bar ends at 1 + 148 * 50 / 100 = 75
    const QImage image = painted(bar_);
    for (auto [x, y, colour] : {std::tuple{0, 0, qRgb(0, 0, 6)}, // frame
                                {100, 8, qRgb(60, 60, 60)},      // track
                                {100, 1, qRgb(28, 28, 28)},      // its shadow
                                {40, 8, qRgb(100, 100, 100)},    // bar
                                {75, 8, qRgb(0, 0, 0)},          // end line: window frame
                                {40, 14, qRgb(68, 68, 68)}})     // dark edge
        EXPECT_EQ(image.pixel(x, y), colour) << x << "," << y;
    // Shown over a map, it is centred below the middle.
    QWidget map;
    map.resize(400, 300);
    auto* bar = new TG32_ProgressBar(&map);
    bar->setPosition(30);
    bar->hide();
    bar->show_over(map);
    EXPECT_EQ(bar->pos(), QPoint(125, 190));
    EXPECT_TRUE(bar->Position() == 0 && !bar->isHidden());
}

TEST_F(ProgressBar, RepaintsAtOnceForOnePercentOrTheEndOnly) {
    bar_.setMax(60000); // a large stream, stepped once per KiB
    bar_.show();
    QApplication::processEvents();
    PaintCounter counter;
    bar_.installEventFilter(&counter);
    // Within 1 percent: painted later; then at once, before any event processing, and once.
    for (auto [position, paints] : {std::pair{599, 0}, {600, 1}, {600, 1}}) {
        bar_.setPosition(position);
        EXPECT_EQ(counter.paints, paints) << position;
    }
    for (int position = 601; position < 60000; ++position)
        bar_.setPosition(position);
    EXPECT_LE(counter.paints, 100);
    const int before_end = counter.paints;
    bar_.setPosition(60000); // the end shows full at once
    EXPECT_EQ(counter.paints, before_end + 1);
    EXPECT_GE(filled(), 140);
    bar_.hide();
}
