#include "foundation/pqGR32_JPEG.h"
#include "platform/ijl.h"
#include "support/jpeg_writer.h"
#include "support/temp_dir.h"

#include <QImageReader>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

namespace {

int channel_distance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

QImage load(const std::string& path) {
    QImage image(1, 1, QImage::Format_ARGB32);
    LoadJPEG(&image, path);
    return image;
}

// Rows of grey that step by 15: a skewed row layout shows as large errors. Four components are
// Y Cb Cr A, where Cb = Cr = 128 gives grey Y.
std::vector<uint8_t> grey_rows(int width, int height, int components) {
    std::vector<uint8_t> px;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto v = static_cast<uint8_t>(y * 15);
            if (components == 4)
                px.insert(px.end(), {v, 128, 128, 255});
            else
                px.insert(px.end(), size_t(components), v);
        }
    return px;
}

} // namespace

TEST(JpegLoad, FourComponentsAreYCbCrAndPremultipliedAlphaAndRowsArePaddedForEveryWidth) {
    // Four components are luminance, chrominance and alpha, one 8-pixel block each here. Colours
    // come premultiplied: 255 at alpha 255 becomes 254, 1 stays 1, alpha 0 gives black, and
    // Y 100, Cb 100, Cr 200 (red 201, green 58, blue 50) at alpha 128 is halved.
    const uint8_t blocks[][4] = {
        {255, 128, 128, 255}, {1, 128, 128, 255}, {200, 128, 128, 0}, {100, 100, 200, 128}};
    std::vector<uint8_t> px;
    for (int i = 0; i < 32 * 8; ++i)
        px.insert(px.end(), blocks[i % 32 / 8], blocks[i % 32 / 8] + 4);
    TempDir dir;
    const std::string four = dir.file("four.jpg");
    ASSERT_TRUE(write_test_jpeg(four, 32, 8, 4, JCS_CMYK, JCS_CMYK, px));
    const QImage image = load(four);
    ASSERT_EQ(std::pair(image.format(), image.size()),
              std::pair(QImage::Format_ARGB32, QSize(32, 8)));
    EXPECT_EQ((std::vector{image.pixel(2, 2), image.pixel(10, 2), image.pixel(20, 2)}),
              (std::vector{qRgba(254, 254, 254, 255), qRgba(1, 1, 1, 255), qRgba(0, 0, 0, 0)}));
    const QRgb tinted = qRgba((201 * 128 + 1) >> 8, (58 * 128 + 1) >> 8, (50 * 128 + 1) >> 8, 128);
    EXPECT_LE(channel_distance(image.pixel(28, 4), tinted), 1);
    EXPECT_EQ(qAlpha(image.pixel(28, 4)), 128);
    // Rows are padded right for every width.
    const std::string path = dir.file("rows.jpg");
    const std::tuple<int, J_COLOR_SPACE, J_COLOR_SPACE> kinds[] = {
        {1, JCS_GRAYSCALE, JCS_GRAYSCALE}, {3, JCS_RGB, JCS_YCbCr}, {4, JCS_CMYK, JCS_CMYK}};
    for (int width = 1; width <= 6; ++width)
        for (auto [components, in, stored] : kinds) {
            SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(components));
            ASSERT_TRUE(write_test_jpeg(path, width, 16, components, in, stored,
                                        grey_rows(width, 16, components)));
            const QImage image = load(path);
            ASSERT_EQ(image.size(), QSize(width, 16));
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < width; ++x) {
                    const int v = components == 4 ? (y * 15 * 255 + 1) >> 8 : y * 15;
                    ASSERT_LE(channel_distance(image.pixel(x, y), qRgb(v, v, v)), 4)
                        << x << "," << y;
                }
        }
}

TEST(JpegSave, WritesAColourFileOthersCanReadAndFailuresNameTheOperation) {
    TempDir dir;
    for (int width : {1, 3, 64}) {
        SCOPED_TRACE(width);
        QImage image(width, 9, QImage::Format_ARGB32);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < width; ++x)
                image.setPixel(x, y, qRgba(y * 28, 90, 180, y == 0 ? 0 : 255));
        const std::string path = dir.file("out.jpg");
        SaveJPEG(image, path, 100);
        QImageReader reader(to_path(path));
        QImage peer = reader.read();
        ASSERT_FALSE(peer.isNull()) << reader.errorString().toStdString();
        ASSERT_EQ(peer.size(), image.size());
        EXPECT_FALSE(peer.hasAlphaChannel());
        const QImage ours = load(path);
        EXPECT_EQ(ours.format(), QImage::Format_ARGB32);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < width; ++x) {
                // Alpha is dropped, not blended: the colour of the transparent row stays.
                const QRgb want = qRgb(y * 28, 90, 180);
                EXPECT_LE(channel_distance(peer.pixel(x, y), want), 12) << x << "," << y;
                EXPECT_LE(channel_distance(ours.pixel(x, y), want), 12) << x << "," << y;
                EXPECT_EQ(qAlpha(ours.pixel(x, y)), 255);
            }
    }
    // Failures name the operation.
    auto message_of = [](auto call) -> std::string {
        try {
            call();
        } catch (const EIJLError& e) {
            return "EIJLError " + e.operation() + ": " + e.what();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "no failure";
    };
    const QImage before(3, 3, QImage::Format_ARGB32);
    QImage image = before;
    auto load_error = [&](const std::string& name) {
        return message_of([&] { LoadJPEG(&image, dir.file(name)); });
    };
    EXPECT_EQ(message_of([&] { SaveJPEG(QImage(), dir.file("x.jpg"), 80); }), "No image to save");
    EXPECT_FALSE(file_exists(dir.file("x.jpg")));
    EXPECT_EQ(message_of([&] { LoadJPEG(nullptr, dir.file("x.jpg")); }), "Bitmap not initialised");
    EXPECT_EQ(load_error("missing.jpg"),
              "EIJLError reading parameters of: Error reading parameters of image:\r" +
                  dir.file("missing.jpg") +
                  "\rError: The file cannot be opened\rIJL Error number: -3");
    // The header is whole but the image data stop early.
    std::vector<uint8_t> rgb(64 * 64 * 3);
    std::mt19937 rng(1);
    for (uint8_t& b : rgb)
        b = static_cast<uint8_t>(rng());
    ASSERT_TRUE(write_test_jpeg(dir.file("whole.jpg"), 64, 64, 3, JCS_RGB, JCS_YCbCr, rgb));
    const std::string whole = file_text(dir.file("whole.jpg"));
    ASSERT_TRUE(write_file_atomic(dir.file("cut.jpg"), whole.substr(0, whole.size() / 2)));
    EXPECT_EQ(load_error("cut.jpg").substr(0, 40), "EIJLError reading: Error reading image:\r");
    // A header claiming far more pixels than the data hold fails at once, without a buffer
    // for beyond 8192 x 8192 pixels and without decoding grey rows below that.
    const size_t sof = whole.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    for (auto [size, operation] : {std::pair{"\xFD\xE8\xFD\xE8", "reading parameters of"},
                                   std::pair{"\x1F\x40\x1F\x40", "reading"}}) {
        std::string inflated = whole;
        inflated.replace(sof + 5, 4, size, 4);
        ASSERT_TRUE(write_file_atomic(dir.file("inflated.jpg"), inflated));
        EXPECT_EQ(load_error("inflated.jpg").substr(0, 11 + std::strlen(operation)),
                  std::string("EIJLError ") + operation + ":");
    }
    // Two components: no conversion is offered.
    ASSERT_TRUE(write_test_jpeg(dir.file("two.jpg"), 8, 8, 2, JCS_UNKNOWN, JCS_UNKNOWN,
                                std::vector<uint8_t>(128, 9)));
    EXPECT_EQ(load_error("two.jpg").substr(0, 18), "EIJLError reading:");
    EXPECT_EQ(image, before);
    const std::string no_folder = dir.file("none/x.jpg");
    EXPECT_EQ(message_of([&] { SaveJPEG(before, no_folder, 80); }),
              "EIJLError Saving: Error Saving image:\r" + no_folder +
                  "\rError: The file cannot be written\rIJL Error number: -4");
}

// A new zone image gets the usual mode of a new file; a replaced one keeps its own, whether the
// save waits for the disk or not.
TEST(JpegSave, NewFilesGetTheUsualModeAndReplacedOnesKeepTheirs) {
    TempDir dir;
    const ScopedUmask mask(027);
    const QImage image(4, 4, QImage::Format_ARGB32);
    for (const bool flush : {true, false}) {
        SCOPED_TRACE(flush);
        const std::string made = dir.file(flush ? "new1.jpg" : "new2.jpg");
        const std::string old = dir.file(flush ? "old1.jpg" : "old2.jpg");
        SaveJPEG(image, made, 80, flush);
        ASSERT_TRUE(write_file_atomic(old, "old"));
        ASSERT_EQ(chmod(old.c_str(), 0604), 0);
        SaveJPEG(image, old, 80, flush);
        EXPECT_EQ(std::pair(file_mode(made), file_mode(old)),
                  std::pair(mode_t(0640), mode_t(0604)));
        EXPECT_EQ(load(old).size(), QSize(4, 4));
    }
}

// The caller's limits: the file's bytes, the image's width, height and pixels. One past any of
// them is refused before a pixel is decoded, with the image's size told when it is known.
TEST(JpegLoad, FilesAndImagesPastTheCallersLimitsAreRefused) {
    TempDir dir;
    const std::string path = dir.file("z.jpg");
    ASSERT_TRUE(
        write_test_jpeg(path, 40, 30, 3, JCS_RGB, JCS_YCbCr, std::vector<uint8_t>(3600, 77)));
    const size_t bytes = file_text(path).size();
    const TJpegLimits fits{bytes, 40, 30, 1200};
    auto status_of = [&](TJpegLimits limits) {
        QImage image;
        QSize size;
        try {
            LoadJPEG(&image, path, limits, &size);
        } catch (const EIJLError& e) {
            EXPECT_TRUE(image.isNull());
            return std::pair(e.status(), size);
        }
        EXPECT_EQ(std::pair(image.size(), image.format()), std::pair(size, QImage::Format_ARGB32));
        EXPECT_LE(channel_distance(image.pixel(20, 15), qRgb(77, 77, 77)), 2);
        return std::pair(0, size);
    };
    auto past = [&](auto member, auto value) {
        TJpegLimits limits = fits;
        limits.*member = value;
        return limits;
    };
    EXPECT_EQ(status_of(fits), std::pair(0, QSize(40, 30)));
    EXPECT_EQ(status_of(past(&TJpegLimits::file_bytes, bytes - 1)),
              std::pair(int(IJL_FILE_TOO_LARGE), QSize()));
    for (const TJpegLimits& limits : {past(&TJpegLimits::width, 39), past(&TJpegLimits::height, 29),
                                      past(&TJpegLimits::pixels, uint64_t(1199))})
        EXPECT_EQ(status_of(limits), std::pair(int(IJL_IMAGE_TOO_LARGE), QSize(40, 30)));
}
