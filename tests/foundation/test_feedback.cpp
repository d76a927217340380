#include "foundation/feedback.h"
#include "foundation/func_ressource.h"
#include "support/saved_globals.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

class Feedback : public ::testing::Test {
protected:
    void SetUp() override { res_messages = {"-", "Saved %1", "Top%%bottom %2"}; }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const rdirectfeedback& line : lines_.lines())
            out.push_back(line.text);
        return out;
    }
    static int brightest(const QImage& image, int y0, int y1) {
        int best = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < image.width(); ++x)
                best = std::max(best, qRed(image.pixel(x, y)));
        return best;
    }
    SavedGlobals saved_;
    FeedbackLines lines_;
};

} // namespace

TEST_F(Feedback, MessagesAddTheirLinesGreyEarlierOnesKeepTwelveLinesAndExpireByTheirTime) {
    lines_.add_feedback(1, 3, "map.jpg");
    lines_.add_feedback(2, 1, "a", "b");
    lines_.add_feedback(0, 1, "raw %1", "x");
    lines_.add_feedback(7, 1);
    EXPECT_EQ(texts(), (std::vector<std::string>{"Saved map.jpg", "", "Top", "bottom b", "",
                                                 "raw %1", "", "<erreur de ressource>", ""}));
    for (size_t i = 0; i < lines_.lines().size(); ++i)
        EXPECT_EQ(lines_.lines()[i].colour, i < 7 ? FeedbackLines::kGrey : FeedbackLines::kWhite)
            << i;
    lines_.clear();
    for (int i = 1; i <= 6; ++i)
        lines_.add_feedback(1, i, std::to_string(i));
    // Twelve lines at most: the line count, and the first line's text and time.
    auto head = [&] { return std::tuple(texts().size(), texts()[0], lines_.lines()[0].time_left); };
    ASSERT_EQ(head(), std::tuple(12u, "Saved 1", 1000));
    lines_.add_feedback(1, 9, "7"); // two more lines: "Saved 1" and its separator go
    // The marker replaces "Saved 2" and keeps its time.
    ASSERT_EQ(head(), std::tuple(12u, "[...]", 2000));
    EXPECT_EQ(texts()[1] + texts()[2] + texts()[10], "Saved 3Saved 7");
    // The next message greys the marker too and pushes a new one.
    lines_.add_feedback(1, 9, "8");
    ASSERT_EQ(head(), std::tuple(12u, "[...]", 3000));
    for (size_t i = 0; i < 10; ++i)
        EXPECT_EQ(lines_.lines()[i].colour, FeedbackLines::kGrey) << i;
    // Lines expire by their own message's time.
    lines_.clear();
    lines_.add_feedback(1, 3, "x");
    for (int i = 0; i < 14; ++i)
        EXPECT_TRUE(lines_.age());
    EXPECT_FALSE(lines_.empty());
    EXPECT_TRUE(lines_.age()); // 15th tick: gone, the timer still ran
    EXPECT_TRUE(lines_.empty());
    EXPECT_FALSE(lines_.age());      // the next tick stops the timer
    lines_.add_feedback(1, -4, "z"); // gone at the first tick
    lines_.age();
    EXPECT_TRUE(lines_.empty());
    lines_.add_feedback(1, 2, "old");
    lines_.add_feedback(1, 1, "new");
    for (int i = 0; i < 5; ++i)
        lines_.age();
    EXPECT_EQ(texts(), (std::vector<std::string>{"Saved old", ""}));
    lines_.add_feedback(1, 2147483647, "long"); // no overflow
    lines_.age();
    EXPECT_EQ(lines_.lines()[2].time_left, 2147483647 - 200);
}

TEST_F(Feedback, PaintsCentredLinesOnADarkBandGreyThenWhite) {
    QImage image(300, 120, QImage::Format_ARGB32);
    image.fill(qRgb(100, 100, 100));
    lines_.add_feedback(0, 1, "HHHH");
    lines_.add_feedback(0, 1, "HHHH");
    lines_.paint(image);
    // A darkened band from 36 (the middle less half of four lines) down.
    EXPECT_EQ(qRed(image.pixel(0, 35)), 100);
    EXPECT_NEAR(qRed(image.pixel(0, 36)), 40, 1); // 100 * (255 - 0x99) / 255
    EXPECT_EQ(qRed(image.pixel(299, 36)), 100);   // the right edge column is left out
    EXPECT_EQ(qRed(image.pixel(0, 119)), 100);
    EXPECT_NEAR(brightest(image, 41, 57), 0xAA, 2); // the older message is grey
    EXPECT_EQ(brightest(image, 73, 89), 0xFF);      // the newer one white
    int left = image.width(), right = -1;
    for (int y = 73; y < 89; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qRed(image.pixel(x, y)) > 0x80) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_NEAR((left + right) / 2.0, 150.0, 2.0);
}
