// The fixed files of the installation's data folder, as the program reads them.

#include "foundation/binary_io.h"
#include "foundation/text_codec.h"

#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kTile = 16;
constexpr QRgb kTransparent = 0xFFFFFFFF;

std::string data_file(const std::string& name) {
    return std::string(KARVELO_SOURCE_DIR) + "/data/" + name;
}

QImage load_bitmap(const std::string& name) {
    QImage image(to_path(data_file(name)), "BMP");
    return image.convertToFormat(QImage::Format_RGB32);
}

struct Polyline {
    std::vector<std::pair<uint16_t, uint16_t>> points;
};

// Reads a whole .vec file; fails the test when a polyline is cut short.
std::vector<Polyline> read_vec(const std::string& name) {
    std::string bytes;
    EXPECT_TRUE(read_file(data_file(name), bytes)) << name;
    std::vector<Polyline> lines;
    ByteReader in(bytes);
    try {
        while (!in.at_end()) {
            Polyline line;
            uint16_t count = in.u16();
            for (uint16_t i = 0; i < count; ++i) {
                uint16_t x = in.u16();
                uint16_t y = in.u16();
                line.points.emplace_back(x, y);
            }
            lines.push_back(line);
        }
    } catch (const EInOutError&) {
        ADD_FAILURE() << name << " ends inside a polyline";
    }
    return lines;
}

} // namespace

TEST(Assets, IconStripsAreRowsOfWholeTilesWithTheSameMasks) {
    QImage normal = load_bitmap("icon_a.bmp");
    QImage hot = load_bitmap("icon_b.bmp");
    EXPECT_EQ(normal.height(), kTile);
    EXPECT_EQ(normal.width() % kTile, 0);
    ASSERT_EQ(hot.size(), normal.size());
    // The search dialog shows image 27, the highest fixed index.
    ASSERT_GE(normal.width() / kTile, 28);

    for (int tile = 0; tile < normal.width() / kTile; ++tile) {
        int transparent = 0, changed = 0;
        for (int y = 0; y < kTile; ++y) {
            for (int x = tile * kTile; x < (tile + 1) * kTile; ++x) {
                QRgb a = normal.pixel(x, y), b = hot.pixel(x, y);
                EXPECT_EQ(a == kTransparent, b == kTransparent)
                    << "tile " << tile << " at " << x << "," << y;
                transparent += a == kTransparent;
                changed += a != b;
            }
        }
        EXPECT_GT(transparent, 0) << "tile " << tile << " has no transparent pixel";
        EXPECT_LT(transparent, kTile * kTile - 32) << "tile " << tile << " is nearly empty";
        EXPECT_GT(changed, 0) << "hot tile " << tile << " is not highlighted";
    }
}

TEST(Assets, TargetMarkerIsABrightCentreOnABlackFrame) {
    QImage target = load_bitmap("cible.bmp");
    ASSERT_EQ(target.size(), QSize(32, 32));
    // The brightness becomes the marker's opacity.
    EXPECT_GT(qGray(target.pixel(16, 16)), 200);
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(qGray(target.pixel(i, 0)) + qGray(target.pixel(0, i)), 0) << i;
}

TEST(Assets, VectorFilesParseCompletelyOnTheZoneSquare) {
    std::vector<Polyline> border = read_vec("border.vec");
    ASSERT_EQ(border.size(), 1u);
    const auto& frame = border[0].points;
    ASSERT_EQ(frame.size(), 5u);
    EXPECT_EQ(frame.front(), frame.back());
    for (auto corner :
         {std::pair<uint16_t, uint16_t>{0, 0}, {65535, 0}, {65535, 65535}, {0, 65535}})
        EXPECT_NE(std::find(frame.begin(), frame.end(), corner), frame.end());

    std::vector<Polyline> grid = read_vec("grid.vec");
    ASSERT_EQ(grid.size(), 18u);
    for (const auto& line : grid) {
        ASSERT_EQ(line.points.size(), 2u);
        auto [x0, y0] = line.points[0];
        auto [x1, y1] = line.points[1];
        EXPECT_TRUE(x0 == x1 || y0 == y1) << "grid lines are straight";
    }
}

TEST(Assets, ReadmeKeepsTextAfterItsTwoHeaderLines) {
    std::string text;
    ASSERT_TRUE(read_file(std::string(KARVELO_SOURCE_DIR) + "/readme.txt", text));
    EXPECT_GT(split_lines(text).size(), 10u);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "bare line feed at " << i;
        }
    }
}
