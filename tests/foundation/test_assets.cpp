// The toolbar image strips of the installation's data folder, as the program cuts them. Their
// drawing is tools/make_assets.py's.

#include "foundation/text_codec.h"

#include <QImage>
#include <gtest/gtest.h>

TEST(Assets, IconStripsAreRowsOfWholeTilesUpToTheHighestFixedIndex) {
    const QImage normal(to_path(KARVELO_SOURCE_DIR "/data/icon_a.bmp"), "BMP");
    const QImage hot(to_path(KARVELO_SOURCE_DIR "/data/icon_b.bmp"), "BMP");
    EXPECT_EQ(normal.height(), 16);
    EXPECT_EQ(normal.width() % 16, 0);
    EXPECT_EQ(hot.size(), normal.size());
    EXPECT_NE(hot, normal);
    // The search dialog shows image 27, the highest fixed index.
    EXPECT_GE(normal.width() / 16, 28);
}
