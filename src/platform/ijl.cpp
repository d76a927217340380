#include "platform/ijl.h"

#include "foundation/text_codec.h"

#include <QFile>
#include <QTemporaryFile>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include <jerror.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to the
// call that set `jump`. Data that end early are only a warning to libjpeg (it would fill the
// rest of the image with grey); here they end the decoding as an error too.
struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

[[noreturn]] void on_error(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    longjmp(err->jump, 1);
}

void on_message(j_common_ptr cinfo, int level) {
    const int code = cinfo->err->msg_code;
    if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER))
        on_error(cinfo);
}

void on_output(j_common_ptr) {}

// A zeroed codec record reporting to `err`.
template <class Codec> void prepare(Codec& cinfo, ErrorManager& err) {
    std::memset(&cinfo, 0, sizeof cinfo);
    jpeg_std_error(&err.pub);
    err.pub.error_exit = on_error;
    err.pub.emit_message = on_message;
    err.pub.output_message = on_output;
    cinfo.err = &err.pub;
}

// Everything that lives across a libjpeg call that may jump back. Kept outside the frame that
// calls setjmp, so its values are defined after the jump.
struct DecodeJob {
    const uint8_t* data = nullptr;
    size_t size = 0;
    JPEG_CORE_PROPERTIES* props = nullptr;
    bool whole_image = false;
    int width = 0;
    int height = 0;
    int components = 0;
};

// Encoded bytes collect in `out`; a failed growth ends the encoding as an error.
struct EncodeJob {
    jpeg_destination_mgr dest;
    const JPEG_CORE_PROPERTIES* props = nullptr;
    std::string out;
    size_t used = 0;
};

constexpr size_t kOutputChunk = 64 * 1024;

EncodeJob& job_of(j_compress_ptr cinfo) {
    return *static_cast<EncodeJob*>(cinfo->client_data);
}

// No exception may cross libjpeg's C frames: a failed allocation becomes a libjpeg error.
bool grow(std::string& buffer, size_t size) {
    try {
        buffer.resize(size);
        return true;
    } catch (...) {
        return false;
    }
}

void dest_init(j_compress_ptr cinfo) {
    EncodeJob& job = job_of(cinfo);
    if (!grow(job.out, kOutputChunk))
        ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    job.used = 0;
    job.dest.next_output_byte = reinterpret_cast<JOCTET*>(job.out.data());
    job.dest.free_in_buffer = job.out.size();
}

boolean dest_empty(j_compress_ptr cinfo) {
    EncodeJob& job = job_of(cinfo);
    job.used = job.out.size();
    if (!grow(job.out, job.out.size() * 2))
        ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
    job.dest.next_output_byte = reinterpret_cast<JOCTET*>(job.out.data() + job.used);
    job.dest.free_in_buffer = job.out.size() - job.used;
    return TRUE;
}

void dest_term(j_compress_ptr cinfo) {
    EncodeJob& job = job_of(cinfo);
    job.out.resize(job.out.size() - job.dest.free_in_buffer);
}

// Converts one row of 4-byte Y Cb Cr A pixels to R G B A in place (full-range JFIF formulas).
void ycbcra_to_rgba(uint8_t* row, int width) {
    for (int x = 0; x < width; ++x, row += 4) {
        const double y = row[0];
        const double cb = row[1] - 128.0;
        const double cr = row[2] - 128.0;
        auto clamp = [](double v) {
            return static_cast<uint8_t>(std::clamp(std::nearbyint(v), 0.0, 255.0));
        };
        row[0] = clamp(y + 1.402 * cr);
        row[1] = clamp(y - 0.344136 * cb - 0.714136 * cr);
        row[2] = clamp(y + 1.772 * cb);
    }
}

// Whether the file's components, the JPEG colour model and the bitmap's colour model make a
// conversion this layer performs.
bool conversion_supported(const JPEG_CORE_PROPERTIES& p, int components) {
    if (p.jpg_channels != components)
        return false;
    if (p.dib_color == IJL_BGR && (p.dib_channels == 3 || p.dib_channels == 4))
        return (p.jpg_color == IJL_G && components == 1) ||
               (p.jpg_color == IJL_YCBCR && components == 3);
    if (p.dib_color == IJL_RGBA_FPX && p.dib_channels == 4)
        return p.jpg_color == IJL_YCBCRA_FPX && components == 4;
    return false;
}

int run_decode(DecodeJob& job) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    prepare(cinfo, err);
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return IJL_BAD_DATA;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, job.data, static_cast<unsigned long>(job.size));
    jpeg_read_header(&cinfo, TRUE);
    job.width = static_cast<int>(cinfo.image_width);
    job.height = static_cast<int>(cinfo.image_height);
    job.components = cinfo.num_components;
    if (uint64_t{cinfo.image_width} * cinfo.image_height > ijl_max_pixels) {
        jpeg_destroy_decompress(&cinfo);
        return IJL_IMAGE_TOO_LARGE;
    }
    if (!job.whole_image) {
        jpeg_destroy_decompress(&cinfo);
        return IJL_OK;
    }

    JPEG_CORE_PROPERTIES& p = *job.props;
    if (!conversion_supported(p, job.components)) {
        jpeg_destroy_decompress(&cinfo);
        return IJL_UNSUPPORTED_CONVERSION;
    }
    if (!p.dib_bytes || p.dib_width != job.width || std::abs(p.dib_height) != job.height ||
        p.dib_padding < 0) {
        jpeg_destroy_decompress(&cinfo);
        return IJL_BAD_BITMAP;
    }
    if (job.components == 4) {
        // The four components pass through unconverted; colour is converted below.
        cinfo.jpeg_color_space = JCS_CMYK;
        cinfo.out_color_space = JCS_CMYK;
    } else {
        cinfo.out_color_space = p.dib_channels == 4 ? JCS_EXT_BGRA : JCS_EXT_BGR;
    }
    jpeg_start_decompress(&cinfo);
    const size_t stride = static_cast<size_t>(p.dib_width) * static_cast<size_t>(p.dib_channels) +
                          static_cast<size_t>(p.dib_padding);
    const bool top_down = p.dib_height < 0;
    while (cinfo.output_scanline < cinfo.output_height) {
        const size_t r = cinfo.output_scanline;
        const size_t dest = top_down ? r : static_cast<size_t>(job.height) - 1 - r;
        JSAMPROW row = p.dib_bytes + dest * stride;
        jpeg_read_scanlines(&cinfo, &row, 1);
        if (job.components == 4)
            ycbcra_to_rgba(row, p.dib_width);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return IJL_OK;
}

int run_encode(EncodeJob& job) {
    const JPEG_CORE_PROPERTIES& p = *job.props;
    jpeg_compress_struct cinfo;
    ErrorManager err;
    prepare(cinfo, err);
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        return IJL_BAD_DATA;
    }
    jpeg_create_compress(&cinfo);
    job.dest.init_destination = dest_init;
    job.dest.empty_output_buffer = dest_empty;
    job.dest.term_destination = dest_term;
    cinfo.dest = &job.dest;
    cinfo.client_data = &job;
    cinfo.image_width = static_cast<JDIMENSION>(p.dib_width);
    cinfo.image_height = static_cast<JDIMENSION>(std::abs(p.dib_height));
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, p.quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    const size_t stride = static_cast<size_t>(p.dib_width) * 3 + static_cast<size_t>(p.dib_padding);
    const bool top_down = p.dib_height < 0;
    const size_t height = cinfo.image_height;
    while (cinfo.next_scanline < cinfo.image_height) {
        const size_t r = cinfo.next_scanline;
        const size_t src = top_down ? r : height - 1 - r;
        JSAMPROW row = p.dib_bytes + src * stride;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return IJL_OK;
}

// Writes the file beside the old one and renames it over it, without waiting for the disk.
bool write_file_renamed(const std::string& path, const std::string& data) {
    const QString target = to_path(path);
    QTemporaryFile file(target + QStringLiteral(".XXXXXX"));
    if (!file.open() ||
        file.write(data.data(), static_cast<qint64>(data.size())) !=
            static_cast<qint64>(data.size()) ||
        !file.flush() || !take_target_mode(native_path(file.fileName()), path))
        return false;
    file.close();
    if (std::rename(QFile::encodeName(file.fileName()).constData(),
                    QFile::encodeName(target).constData()) != 0)
        return false;
    file.setAutoRemove(false);
    return true;
}

} // namespace

int ijlInit(JPEG_CORE_PROPERTIES* props) {
    if (!props)
        return IJL_BAD_ARGUMENT;
    props->initialised = true;
    return IJL_OK;
}

int ijlFree(JPEG_CORE_PROPERTIES* props) {
    if (!props)
        return IJL_BAD_ARGUMENT;
    if (!props->initialised)
        return IJL_NOT_INITIALISED;
    props->initialised = false;
    return IJL_OK;
}

int ijlRead(JPEG_CORE_PROPERTIES* props, IJLIOTYPE io_type) {
    if (!props)
        return IJL_BAD_ARGUMENT;
    if (!props->initialised)
        return IJL_NOT_INITIALISED;
    const bool from_file = io_type == IJL_JFILE_READPARAMS || io_type == IJL_JFILE_READWHOLEIMAGE;
    const bool params = io_type == IJL_JFILE_READPARAMS || io_type == IJL_JBUFF_READPARAMS;
    if (!from_file && io_type != IJL_JBUFF_READPARAMS && io_type != IJL_JBUFF_READWHOLEIMAGE)
        return IJL_BAD_ARGUMENT;
    DecodeJob job;
    std::string data;
    if (from_file) {
        bool past_limit = false;
        if (!read_file(props->jpg_file, data, ijl_max_file_bytes, &past_limit))
            return IJL_CANNOT_OPEN_FILE;
        if (past_limit)
            return IJL_FILE_TOO_LARGE;
        job.data = reinterpret_cast<const uint8_t*>(data.data());
        job.size = data.size();
    } else {
        if (!props->jpg_bytes)
            return IJL_BAD_ARGUMENT;
        job.data = props->jpg_bytes;
        job.size = props->jpg_size_bytes;
    }
    job.props = props;
    job.whole_image = !params;
    const int status = run_decode(job);
    if (status == IJL_OK && params) {
        props->jpg_width = job.width;
        props->jpg_height = job.height;
        props->jpg_channels = job.components;
    }
    return status;
}

int ijlWrite(JPEG_CORE_PROPERTIES* props, IJLIOTYPE io_type) {
    if (!props)
        return IJL_BAD_ARGUMENT;
    if (!props->initialised)
        return IJL_NOT_INITIALISED;
    const JPEG_CORE_PROPERTIES& p = *props;
    if (io_type != IJL_JFILE_WRITEWHOLEIMAGE || p.quality < 0 || p.quality > 100)
        return IJL_BAD_ARGUMENT;
    if (p.dib_color != IJL_BGR || p.dib_channels != 3 || p.jpg_color != IJL_YCBCR ||
        p.jpg_channels != 3)
        return IJL_UNSUPPORTED_CONVERSION;
    if (!p.dib_bytes || p.dib_width <= 0 || p.dib_height == 0 || p.dib_padding < 0 ||
        p.dib_width > JPEG_MAX_DIMENSION || std::abs(p.dib_height) > JPEG_MAX_DIMENSION ||
        p.jpg_width != p.dib_width || p.jpg_height != std::abs(p.dib_height))
        return IJL_BAD_BITMAP;
    EncodeJob job;
    job.props = props;
    int status = run_encode(job);
    if (status == IJL_OK && !(p.flush_to_disk ? write_file_atomic(p.jpg_file, job.out)
                                              : write_file_renamed(p.jpg_file, job.out)))
        status = IJL_CANNOT_WRITE_FILE;
    return status;
}

const char* ijlErrorStr(int status) {
    switch (status) {
    case IJL_OK:
        return "No error";
    case IJL_NOT_INITIALISED:
        return "The property record is not initialised";
    case IJL_BAD_ARGUMENT:
        return "Invalid argument";
    case IJL_CANNOT_OPEN_FILE:
        return "The file cannot be opened";
    case IJL_CANNOT_WRITE_FILE:
        return "The file cannot be written";
    case IJL_BAD_DATA:
        return "The JPEG data are damaged or incomplete";
    case IJL_UNSUPPORTED_CONVERSION:
        return "Unsupported colour model or channel count";
    case IJL_BAD_BITMAP:
        return "The bitmap does not match the image";
    case IJL_IMAGE_TOO_LARGE:
        return "The image is too large";
    case IJL_FILE_TOO_LARGE:
        return "The file is too large";
    default:
        return "Unknown error";
    }
}
