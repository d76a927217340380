#include "mainwindow/map_raster.h"

#include "foundation/text_codec.h"

#include <QFontMetrics>
#include <QPainter>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>

namespace {

// (v * a) / 255 on the two channels held in the even bytes of v.
inline uint32_t scale_pair(uint32_t v, uint32_t a) {
    uint32_t t = (v & 0x00FF00FF) * a + 0x00800080;
    return ((t + ((t >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
}

// A premultiplied colour over a premultiplied pixel.
inline uint32_t over(uint32_t src, uint32_t dst) {
    const uint32_t inverse = 255 - (src >> 24);
    return src + (scale_pair(dst, inverse) | (scale_pair(dst >> 8, inverse) << 8));
}

inline uint32_t premultiply(uint32_t c) {
    const uint32_t a = c >> 24;
    if (a == 255)
        return c;
    return (a << 24) | scale_pair(c, a) | (scale_pair(c >> 8, a) & 0xFF) << 8;
}

// The runs of a picture whose pixels pass the test, from an origin at (ox, oy).
template <typename Test>
std::vector<TPixelRun> runs_of(const QImage& image, int ox, int oy, Test test,
                               std::vector<uint32_t>* pixels) {
    std::vector<TPixelRun> runs;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
        for (int x = 0; x < image.width();) {
            if (!test(row[x])) {
                ++x;
                continue;
            }
            TPixelRun run{int16_t(y - oy), int16_t(x - ox), 0,
                          pixels ? int32_t(pixels->size()) : 0};
            for (; x < image.width() && test(row[x]); ++x, ++run.length)
                if (pixels)
                    pixels->push_back(row[x]);
            runs.push_back(run);
        }
    }
    return runs;
}

} // namespace

TSprite::TSprite(const QImage& image) {
    const QImage p = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    width = p.width();
    height = p.height();
    runs = runs_of(
        p, 0, 0, [](uint32_t v) { return v >> 24 == 255; }, &pixels);
    // Translucent pixels are blended one by one: a run of length -1.
    for (TPixelRun r : runs_of(
             p, 0, 0, [](uint32_t v) { return (v >> 24) - 1 < 254; }, &pixels))
        for (int16_t k = 0; k < r.length; ++k)
            runs.push_back({r.dy, int16_t(r.dx + k), -1, r.first + k});
}

TGlyphFont::TGlyphFont(const QFont& base) {
    QFont font = base;
    font.setStyleStrategy(QFont::NoAntialias);
    QImage canvas(8, 8, QImage::Format_ARGB32_Premultiplied);
    const QFontMetrics metrics(font, &canvas);
    ascent_ = metrics.ascent();
    height_ = metrics.height();
    const int pad = 8;
    canvas = QImage(metrics.maxWidth() * 2 + 2 * pad, height_ + 2 * pad,
                    QImage::Format_ARGB32_Premultiplied);
    for (int c = 0x20; c < 256; ++c) {
        const QString text = to_qstring(std::string(1, char(c)));
        Glyph& g = glyphs_[c];
        g.advance = int16_t(metrics.horizontalAdvance(text));
        canvas.fill(0);
        QPainter p(&canvas);
        p.setFont(font);
        p.setPen(Qt::black);
        p.drawText(pad, pad + ascent_, text);
        p.end();
        g.runs = runs_of(
            canvas, pad, pad, [](uint32_t v) { return v >> 24 >= 128; }, nullptr);
        if (g.runs.empty())
            continue;
        g.left = g.runs.front().dx;
        g.top = g.runs.front().dy;
        for (const TPixelRun& r : g.runs) {
            g.left = std::min(g.left, r.dx);
            g.right = std::max<int16_t>(g.right, int16_t(r.dx + r.length));
        }
        if (g.right - g.left > 32)
            continue;
        g.rows.assign(size_t(g.runs.back().dy - g.top + 1), 0);
        for (const TPixelRun& r : g.runs)
            for (int k = 0; k < r.length; ++k)
                g.rows[size_t(r.dy - g.top)] |= 1u << (r.dx - g.left + k);
    }
}

int32_t TGlyphFont::text_width(std::string_view text) const {
    int32_t w = 0;
    for (unsigned char c : text)
        w += glyphs_[c].advance;
    return w;
}

const TGlyphFont& glyph_font(const QFont& font) {
    static std::map<QString, std::unique_ptr<TGlyphFont>> cache;
    auto& slot = cache[font.key()];
    if (!slot)
        slot = std::make_unique<TGlyphFont>(font);
    return *slot;
}

const TSprite& sprite_of(const QImage& image) {
    static std::map<qint64, std::unique_ptr<TSprite>> cache;
    if (cache.size() > 1024) // pictures of earlier loads
        cache.clear();
    auto& slot = cache[image.cacheKey()];
    if (!slot)
        slot = std::make_unique<TSprite>(image);
    return *slot;
}

void TRaster::fill_opaque(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) const {
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, width);
    y1 = std::min(y1, height);
    if (x0 >= x1)
        return;
    for (int32_t y = y0; y < y1; ++y)
        std::fill(bits + ptrdiff_t(y) * stride + x0, bits + ptrdiff_t(y) * stride + x1, colour);
}

void TRaster::draw_sprite(const TSprite& sprite, int32_t x, int32_t y) const {
    if (x >= width || y >= height || int64_t(x) + sprite.width <= 0 ||
        int64_t(y) + sprite.height <= 0)
        return;
    const bool inside =
        x >= 0 && y >= 0 && x + sprite.width <= width && y + sprite.height <= height;
    for (const TPixelRun& r : sprite.runs) {
        const int32_t yy = y + r.dy;
        int32_t x0 = x + r.dx;
        const int32_t n = r.length < 0 ? 1 : r.length;
        int32_t skip = 0;
        int32_t x1 = x0 + n;
        if (!inside) {
            if (yy < 0 || yy >= height)
                continue;
            skip = std::max(0, -x0);
            x0 += skip;
            x1 = std::min(x1, width);
            if (x0 >= x1)
                continue;
        }
        uint32_t* d = bits + ptrdiff_t(yy) * stride + x0;
        const uint32_t* s = sprite.pixels.data() + r.first + skip;
        if (r.length < 0)
            *d = over(*s, *d);
        else
            for (int32_t k = 0; k < x1 - x0; ++k)
                d[k] = s[k];
    }
}

namespace {

// The glyph's pixels clipped to the buffer, run by run; the glyph reaches into the buffer's
// columns.
void glyph_by_runs(const TRaster& r, const TGlyphFont::Glyph& g, int32_t x, int32_t y,
                   uint32_t colour) {
    for (const TPixelRun& run : g.runs) {
        const int32_t yy = y + run.dy;
        if (yy < 0 || yy >= r.height)
            continue;
        const int32_t x0 = std::max(x + run.dx, 0);
        const int32_t x1 = std::min(x + run.dx + run.length, r.width);
        uint32_t* row = r.bits + ptrdiff_t(yy) * r.stride;
        for (int32_t k = x0; k < x1; ++k)
            row[k] = colour;
    }
}

// A glyph wholly inside the buffer, four pixels at a time: each nibble of a row mask selects the
// pixels that take the colour. False when the glyph does not lie wholly inside.
bool glyph_by_masks(const TRaster& r, const TGlyphFont::Glyph& g, int32_t x, int32_t y,
                    uint32_t colour) {
#if defined(__SSE2__)
    const int32_t gx = x + g.left;
    const int32_t gy = y + g.top;
    const int32_t span = (g.right - g.left + 3) & ~3;
    if (g.rows.empty() || gx < 0 || gx + span > r.width || gy < 0 ||
        gy + int32_t(g.rows.size()) > r.height)
        return false;
    struct Masks {
        alignas(16) int32_t lanes[16][4];
    };
    static const Masks masks = [] {
        Masks m{};
        for (int i = 0; i < 16; ++i)
            for (int k = 0; k < 4; ++k)
                m.lanes[i][k] = i & (1 << k) ? -1 : 0;
        return m;
    }();
    const __m128i fill = _mm_set1_epi32(int32_t(colour));
    uint32_t* row = r.bits + ptrdiff_t(gy) * r.stride + gx;
    for (uint32_t m : g.rows) {
        for (uint32_t* d = row; m; m >>= 4, d += 4) {
            if (!(m & 15))
                continue;
            const __m128i pick =
                _mm_load_si128(reinterpret_cast<const __m128i*>(masks.lanes[m & 15]));
            const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d),
                             _mm_or_si128(_mm_and_si128(pick, fill), _mm_andnot_si128(pick, old)));
        }
        row += r.stride;
    }
    return true;
#else
    (void)r, (void)g, (void)x, (void)y, (void)colour;
    return false;
#endif
}

} // namespace

void TRaster::draw_text(const TGlyphFont& font, int32_t x, int32_t y, std::string_view text,
                        uint32_t colour) const {
    if (y >= height || int64_t(y) + font.height() <= 0)
        return;
    for (unsigned char c : text) {
        if (x >= width)
            break;
        const TGlyphFont::Glyph& g = font.glyph(c);
        if (int64_t(x) + g.right > 0 && !glyph_by_masks(*this, g, x, y, colour))
            glyph_by_runs(*this, g, x, y, colour);
        x += g.advance;
    }
}

void TRaster::blend_pixel(int32_t x, int32_t y, uint32_t colour) const {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return;
    uint32_t* d = bits + ptrdiff_t(y) * stride + x;
    *d = over(premultiply(colour), *d);
}

void TRaster::draw_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) const {
    // A far end is first brought to just past the buffer's edge, so the walk stays short and its
    // sums cannot overflow.
    constexpr int32_t far = 1 << 15;
    const auto is_far = [](int32_t v) { return v < -far || v > far; };
    bool end_inside = true;
    if (is_far(x1) || is_far(y1) || is_far(x2) || is_far(y2)) {
        double t0 = 0;
        double t1 = 1;
        const double dx = double(x2) - x1;
        const double dy = double(y2) - y1;
        const double p[4] = {-dx, dx, -dy, dy};
        const double q[4] = {x1 + 2.0, width + 1.0 - x1, y1 + 2.0, height + 1.0 - y1};
        for (int i = 0; i < 4; ++i) {
            if (p[i] == 0) {
                if (q[i] < 0)
                    return;
                continue;
            }
            const double t = q[i] / p[i];
            if (p[i] < 0)
                t0 = std::max(t0, t);
            else
                t1 = std::min(t1, t);
        }
        if (t0 > t1)
            return;
        end_inside = t1 >= 1;
        const auto at = [&](double t, int32_t a, double d) {
            return int32_t(std::lround(a + t * d));
        };
        const int32_t nx1 = at(t0, x1, dx), ny1 = at(t0, y1, dy);
        x2 = at(t1, x1, dx), y2 = at(t1, y1, dy);
        x1 = nx1, y1 = ny1;
    }
    if ((x1 < 0 && x2 < 0) || (y1 < 0 && y2 < 0) || (x1 >= width && x2 >= width) ||
        (y1 >= height && y2 >= height))
        return;
    const int32_t dx = std::abs(x2 - x1);
    const int32_t dy = -std::abs(y2 - y1);
    const int32_t sx = x1 < x2 ? 1 : -1;
    const int32_t sy = y1 < y2 ? 1 : -1;
    int32_t err = dx + dy;
    int32_t x = x1;
    int32_t y = y1;
    while (x != x2 || y != y2) {
        blend_pixel(x, y, colour);
        const int32_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    if (!end_inside)
        blend_pixel(x2, y2, colour);
}
