#include "mainwindow/cible.h"

#include "foundation/func_karvo.h"

int pixel_intensity(QRgb pixel) {
    return (qRed(pixel) * 61 + qGreen(pixel) * 174 + qBlue(pixel) * 21) >> 8;
}

tCible::tCible(const std::string& file, TColor32 colour) {
    QImage picture = read_bitmap_file(file, max_marker_size);
    if (picture.isNull())
        return;
    picture.convertTo(QImage::Format_RGB32);
    bitmap = QImage(picture.size(), QImage::Format_ARGB32);
    const QRgb rgb = colour & 0x00FFFFFF;
    for (int y = 0; y < picture.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(bitmap.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            out[x] = (static_cast<QRgb>(pixel_intensity(in[x])) << 24) | rgb;
    }
}
