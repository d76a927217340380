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

// A framed 150 x 16 bar with a grey track (60) and a grey bar colour (100).
class ProgressBar : public ::testing::Test {
protected:
    void SetUp() override {
        bar_.setBackColor(QColor(60, 60, 60));
        bar_.setColor(QColor(100, 100, 100));
    }
    // Every pixel inside the frame is track: the inner shadow on the top row and left column.
    void expect_empty_track(const QImage& image) {
        EXPECT_EQ(image.pixel(0, 0), 0xFF000006u);
        EXPECT_EQ(image.pixel(149, 15), 0xFF000006u);
        EXPECT_EQ(image.pixel(1, 1), qRgb(28, 28, 28));
        EXPECT_EQ(image.pixel(1, 14), qRgb(28, 28, 28));
        EXPECT_EQ(image.pixel(148, 1), qRgb(28, 28, 28));
        for (int x = 2; x < 149; ++x)
            for (int y = 2; y < 15; ++y)
                ASSERT_EQ(image.pixel(x, y), qRgb(60, 60, 60)) << x << "," << y;
    }

    TG32_ProgressBar bar_;
};

} // namespace

TEST_F(ProgressBar, EmptyBarAtOrBelowMinAndWhenMaxEqualsMin) {
    bar_.setMin(10);
    for (int position : {10, 5, -100}) {
        SCOPED_TRACE(position);
        bar_.setPosition(position);
        expect_empty_track(painted(bar_));
    }
    bar_.setMin(0);
    bar_.setMax(0);
    bar_.setPosition(50);
    expect_empty_track(painted(bar_));
}

TEST_F(ProgressBar, HalfBarEndsWithFrameLine) {
    bar_.setPosition(50); // right = 1 + 148 * 50 / 100 = 75
    QImage image = painted(bar_);
    EXPECT_EQ(image.pixel(40, 7), qRgb(104, 104, 104)); // row 7: (8 - 7) * 64 / 14 = 4
    EXPECT_EQ(image.pixel(73, 7), qRgb(104, 104, 104));
    EXPECT_NEAR(qRed(image.pixel(74, 7)), 104 * 174 / 255, 1); // dark right edge
    // The end of the bar in the window-frame colour.
    QColor frame = bar_.palette().color(QPalette::Shadow);
    EXPECT_EQ(image.pixel(75, 7), qRgb(frame.red(), frame.green(), frame.blue()));
    EXPECT_EQ(image.pixel(76, 7), qRgb(60, 60, 60));
}

TEST_F(ProgressBar, ShadingAndRaisedEdgeOfA14PixelBar) {
    bar_.setPosition(100);
    QImage image = painted(bar_);
    // Top row 100 + 32, blended with white at alpha 163; bottom row 100 - 27, black at 81.
    EXPECT_NEAR(qRed(image.pixel(10, 1)), (255 * 163 + 132 * 92) / 255, 1);
    EXPECT_NEAR(qRed(image.pixel(10, 14)), 73 * 174 / 255, 1);
    EXPECT_EQ(qRed(image.pixel(10, 2)), 127); // 6 * 64 / 14 = 27
    EXPECT_EQ(qRed(image.pixel(10, 13)), 78); // -5 * 64 / 14 = -22
    // Left column lighter, right column darker, below the top row.
    EXPECT_NEAR(qRed(image.pixel(1, 5)), (255 * 163 + 113 * 92) / 255, 1);
    EXPECT_NEAR(qRed(image.pixel(148, 5)), 113 * 174 / 255, 1);
    EXPECT_EQ(qRed(image.pixel(147, 5)), 113);
}

TEST_F(ProgressBar, PositionAboveMaxIsFull) {
    bar_.setContrast(0);
    bar_.setPosition(1000000);
    QImage image = painted(bar_);
    for (int x = 2; x < 147; ++x)
        ASSERT_EQ(image.pixel(x, 8), qRgb(100, 100, 100)) << x;
    bar_.setMin(INT32_MIN);
    bar_.setMax(INT32_MAX);
    bar_.setPosition(INT32_MAX);
    EXPECT_EQ(painted(bar_).pixel(146, 8), qRgb(100, 100, 100));
}

TEST_F(ProgressBar, UnframedTrackHasLightBottomAndRightEdges) {
    bar_.setFramed(false);
    QImage image = painted(bar_);
    EXPECT_EQ(image.pixel(0, 0), qRgb(28, 28, 28));
    EXPECT_EQ(image.pixel(0, 14), qRgb(28, 28, 28));
    EXPECT_EQ(image.pixel(5, 15), qRgb(92, 92, 92));
    EXPECT_EQ(image.pixel(149, 5), qRgb(92, 92, 92));
    EXPECT_EQ(image.pixel(5, 5), qRgb(60, 60, 60));
}

namespace {

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

TEST_F(ProgressBar, NewPositionRepaintsAtOnceSameValueDoesNot) {
    bar_.show();
    QApplication::processEvents();
    PaintCounter counter;
    bar_.installEventFilter(&counter);
    bar_.setPosition(10);
    EXPECT_EQ(counter.paints, 1); // before any event processing
    bar_.setPosition(10);
    EXPECT_EQ(counter.paints, 1);
    bar_.setPosition(11);
    EXPECT_EQ(counter.paints, 2);
    bar_.hide();
}

TEST_F(ProgressBar, ShowOverCentresBelowTheMiddle) {
    QWidget map;
    map.resize(400, 300);
    auto* bar = new TG32_ProgressBar(&map);
    bar->setPosition(30);
    bar->hide();
    bar->show_over(map);
    EXPECT_EQ(bar->pos(), QPoint(125, 190));
    EXPECT_EQ(bar->Position(), 0);
    EXPECT_FALSE(bar->isHidden());
}
