#include "shell/jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <new>

#include <jpeglib.h>
#include <unistd.h>

#include "shell/files.h"

namespace {

// The header word holds the width in 13 bits and the height in 16.
constexpr JDIMENSION width_limit = 8192;
constexpr JDIMENSION height_limit = 65536;
// A few bytes of header can ask for gigabytes; the largest picture the
// program draws is 640x480, so anything beyond 16 million pixels is refused
// before any memory is taken for it.
constexpr uint64_t pixel_limit = 16777216;

struct error_manager {
    jpeg_error_mgr standard;
    std::jmp_buf back;
};

// The library's fatal errors would end the program; instead its message
// goes out and control returns to decode().
void return_to_loader(j_common_ptr info) {
    (*info->err->output_message)(info);
    std::longjmp(reinterpret_cast<error_manager*>(info->err)->back, 1);
}

void write_word(image& picture, std::size_t at, uint32_t word) {
    for (int i = 0; i < 4; ++i) picture.block[at + static_cast<std::size_t>(i)] = static_cast<uint8_t>(word >> (8 * i));
}

// Everything between setjmp and a fatal error is plain C data, so the jump
// back skips no destructor; the picture lives in the caller's frame.
bool decode(std::FILE* file, image& picture) {
    jpeg_decompress_struct info;
    error_manager errors;
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = return_to_loader;
    if (setjmp(errors.back)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);

    // Colour comes out as red, green, blue; grey as one sample that is
    // spread over the three. Anything else (CMYK) can't be shown.
    const bool grey = info.out_color_space == JCS_GRAYSCALE;
    if ((!grey && info.out_color_space != JCS_RGB) || info.image_width >= width_limit ||
        info.image_height >= height_limit || uint64_t{info.image_width} * info.image_height > pixel_limit) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_start_decompress(&info);
    const JDIMENSION width = info.output_width;
    const JDIMENSION height = info.output_height;
    const int components = info.output_components;
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                               width * static_cast<JDIMENSION>(components), 1);
    try {
        picture.block.assign(4 + std::size_t{width} * height * 4, 0);
    } catch (const std::bad_alloc&) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    write_word(picture, 0, height * 65536 + width * 8 + 4);

    while (info.output_scanline < height) {
        const std::size_t r = info.output_scanline;
        jpeg_read_scanlines(&info, row, 1);
        uint8_t* out = &picture.block[4 + 4 * r * width];
        for (JDIMENSION j = 0; j < width; ++j, out += 4) {
            const JSAMPLE* in = row[0] + j * static_cast<JDIMENSION>(components);
            out[0] = grey ? in[0] : in[2];
            out[1] = grey ? in[0] : in[1];
            out[2] = in[0];
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

std::optional<image> load_jpeg_image(const std::string& path) {
    int fd = -1;
    size_t size = 0;
    if (open_regular_input(path, fd, size) != 0) return std::nullopt;
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return std::nullopt;
    }
    image picture;
    const bool decoded = decode(file, picture);
    std::fclose(file);
    if (!decoded) return std::nullopt;
    return picture;
}
