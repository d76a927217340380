// The toolbar images of the installation's data folder, as the program cuts them.

#include "foundation/text_codec.h"

#include <QImage>
#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kTile = 16;
constexpr QRgb kTransparent = 0xFFFFFFFF;

QImage load_bitmap(const std::string& name) {
    QImage image(to_path(std::string(KARVELO_SOURCE_DIR) + "/data/" + name), "BMP");
    return image.convertToFormat(QImage::Format_RGB32);
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
