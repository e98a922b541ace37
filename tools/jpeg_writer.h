#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

// Compresses 0x00RRGGBB pixels (rows top to bottom) into a JPEG file, in
// colour or, with grey, as a grey picture of each pixel's low byte. The
// library's default error handling ends a build tool on a fatal error, which
// is what a build step should do.
inline bool write_jpeg(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels,
                       int quality, bool grey = false) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // Full-resolution colour keeps thin lines and small letters sharp.
    for (int c = 0; c < info.num_components; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * static_cast<size_t>(info.input_components));
    while (info.next_scanline < info.image_height) {
        const uint32_t* source = &pixels[static_cast<size_t>(info.next_scanline) * static_cast<size_t>(width)];
        for (int x = 0; x < width; ++x) {
            const uint32_t p = source[x];
            if (grey) {
                row[static_cast<size_t>(x)] = static_cast<JSAMPLE>(p & 0xFF);
            } else {
                row[static_cast<size_t>(x) * 3] = static_cast<JSAMPLE>(p >> 16 & 0xFF);
                row[static_cast<size_t>(x) * 3 + 1] = static_cast<JSAMPLE>(p >> 8 & 0xFF);
                row[static_cast<size_t>(x) * 3 + 2] = static_cast<JSAMPLE>(p & 0xFF);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return std::fclose(file) == 0;
}
