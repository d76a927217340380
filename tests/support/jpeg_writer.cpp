#include "support/jpeg_writer.h"

#include "foundation/text_codec.h"

#include <cstdlib>

bool write_test_jpeg(const std::string& path, int width, int height, int components,
                     J_COLOR_SPACE in_space, J_COLOR_SPACE jpeg_space,
                     const std::vector<uint8_t>& pixels, int quality, bool progressive) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long out_size = 0;
    jpeg_mem_dest(&cinfo, &out, &out_size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = in_space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, jpeg_space);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    const size_t stride = static_cast<size_t>(width) * static_cast<size_t>(components);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto* row = const_cast<JSAMPLE*>(pixels.data() + cinfo.next_scanline * stride);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const bool ok = write_file_atomic(path, std::string(reinterpret_cast<char*>(out), out_size));
    std::free(out);
    return ok;
}
