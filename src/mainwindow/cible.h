#pragma once
// The target marker: a picture tinted in one colour, its brightness becoming the opacity.

#include "foundation/func_type.h"

#include <QImage>
#include <string>

class tCible {
public:
    // Loads the picture; a missing or unreadable file gives an empty marker that draws nothing.
    tCible(const std::string& file, TColor32 colour);

    QImage bitmap; // ARGB32, drawn blended
    bool visible = false;
    TPoint world_position;
    void* node_data = nullptr;
    int16_t label_x = 0;
    int16_t label_y = 0;
    TreeNode* node = nullptr;
};

// The intensity of a pixel: (61 R + 174 G + 21 B) / 256.
int pixel_intensity(QRgb pixel);
