#pragma once
// Fast drawing straight into the pixels of a 32-bit buffer, for what the map draws by the
// thousand: small opaque rectangles, 11 x 11 icons and point labels. Labels are drawn from
// glyphs cached per font, without anti-aliasing, as the system's plain text output does.

#include "foundation/func_type.h"

#include <QFont>
#include <QImage>

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

// A run of pixels of one row, relative to a drawing origin.
struct TPixelRun {
    int16_t dy = 0;
    int16_t dx = 0;
    int16_t length = 0;
    int32_t first = 0; // index of the run's first pixel in the sprite's pixels
};

// A small picture reduced to its opaque runs and its translucent pixels.
struct TSprite {
    std::vector<TPixelRun> runs;
    std::vector<uint32_t> pixels; // premultiplied ARGB
    int32_t width = 0;
    int32_t height = 0;

    explicit TSprite(const QImage& image);
};

// The glyphs of one font: for each Windows-1252 byte its advance and its pixel runs from the
// top-left corner of the text cell.
class TGlyphFont {
public:
    explicit TGlyphFont(const QFont& font);

    int32_t ascent() const { return ascent_; }
    int32_t height() const { return height_; }
    int32_t text_width(std::string_view text) const;

    struct Glyph {
        int16_t advance = 0;
        int16_t left = 0; // extent of the runs
        int16_t right = 0;
        int16_t top = 0;
        std::vector<TPixelRun> runs;
        // The same pixels as one bit mask per row from `top`, bit k for column left + k; empty
        // for glyphs wider than 32 pixels.
        std::vector<uint32_t> rows;
    };
    const Glyph& glyph(unsigned char c) const { return glyphs_[c]; }

private:
    std::array<Glyph, 256> glyphs_;
    int32_t ascent_ = 0;
    int32_t height_ = 0;
};

// The glyphs of a font, made once and kept.
const TGlyphFont& glyph_font(const QFont& font);
// The sprite of an image, made once per image and kept.
const TSprite& sprite_of(const QImage& image);

// Direct access to a buffer of ARGB32_Premultiplied pixels.
struct TRaster {
    uint32_t* bits = nullptr;
    int32_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;

    // Replaces the pixels of [x0, x1) x [y0, y1), clipped, by the colour as it stands.
    void fill_opaque(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t colour) const;
    // Draws the sprite with its top-left corner at (x, y), clipped.
    void draw_sprite(const TSprite& sprite, int32_t x, int32_t y) const;
    // Draws the text with the top-left corner of its cell at (x, y) in an opaque colour.
    void draw_text(const TGlyphFont& font, int32_t x, int32_t y, std::string_view text,
                   uint32_t colour) const;
    // A one-pixel line blended in the colour, its last pixel left out.
    void draw_line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour) const;
    // Mixes the colour (ARGB, not premultiplied) into one pixel by its alpha.
    void blend_pixel(int32_t x, int32_t y, uint32_t colour) const;
};
