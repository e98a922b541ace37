#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "shell/jpeg.h"
#include "tests/test_support.h"
#include "tools/jpeg_writer.h"

namespace {

using jpeg_test = larder_test;

uint32_t header_word(const image& picture) {
    const auto& b = picture.block;
    return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
}

bool near(uint32_t got, uint32_t want, int tolerance = 6) {
    for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>(got >> shift & 0xFF), b = static_cast<int>(want >> shift & 0xFF);
        if (std::abs(a - b) > tolerance) return false;
    }
    return (got >> 24) == 0;
}

std::vector<uint32_t> flat(int width, int height, uint32_t colour) {
    return std::vector<uint32_t>(static_cast<size_t>(width) * static_cast<size_t>(height), colour);
}

// A CMYK picture, which the loader can't turn into red, green and blue.
void write_cmyk_jpeg(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = 16;
    info.image_height = 16;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(16 * 4, 128);
    JSAMPROW rows[1] = {row.data()};
    while (info.next_scanline < info.image_height) jpeg_write_scanlines(&info, rows, 1);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

// A colour picture coded as red, green and blue rather than luma and chroma
// (an Adobe marker with transform 0), or progressive.
void write_coded_jpeg(const std::string& path, int width, int height, const std::vector<uint32_t>& pixels,
                      bool rgb_coded, bool progressive) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    if (rgb_coded) jpeg_set_colorspace(&info, JCS_RGB);
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<size_t>(width) * 3);
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(info.next_scanline) * width + x];
            for (int c = 0; c < 3; ++c) row[static_cast<size_t>(x) * 3 + c] = static_cast<JSAMPLE>(p >> (16 - 8 * c) & 0xFF);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

// The same file with other dimensions in its frame header: a few hundred
// bytes that ask for a picture of any size.
void claim_size(const std::string& from, const std::string& to, int width, int height) {
    std::string bytes = read_whole_file(from);
    size_t frame = bytes.find("\xFF\xC0");
    if (frame == std::string::npos) frame = bytes.find("\xFF\xC2");
    ASSERT_NE(frame, std::string::npos);
    bytes[frame + 5] = static_cast<char>(height >> 8);
    bytes[frame + 6] = static_cast<char>(height & 0xFF);
    bytes[frame + 7] = static_cast<char>(width >> 8);
    bytes[frame + 8] = static_cast<char>(width & 0xFF);
    write_whole_file(to, bytes);
}

TEST_F(jpeg_test, a_250_by_50_picture_fills_a_block_of_the_exact_size) {
    ASSERT_TRUE(write_jpeg("button.jpg", 250, 50, flat(250, 50, 0x336699), 90));
    const auto picture = load_jpeg_image("button.jpg");
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->block.size(), 50004u);
    EXPECT_EQ(header_word(*picture), 3278804u);
    EXPECT_EQ(image_width(*picture), 250);
    EXPECT_EQ(image_height(*picture), 50);
    EXPECT_EQ(image_bytes_per_pixel(*picture), 4);
}

TEST_F(jpeg_test, red_comes_out_as_blue_green_red_zero) {
    ASSERT_TRUE(write_jpeg("red.jpg", 32, 24, flat(32, 24, 0xFF0000), 95));
    const auto picture = load_jpeg_image("red.jpg");
    ASSERT_TRUE(picture);
    const uint8_t* first = &picture->block[4];
    EXPECT_LE(first[0], 6);
    EXPECT_LE(first[1], 6);
    EXPECT_GE(first[2], 249);
    EXPECT_EQ(first[3], 0);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x) ASSERT_TRUE(near(image_pixel(*picture, x, y), 0xFF0000)) << x << "," << y;
}

// Quadrants of different colours catch swapped channels, flipped rows and
// a wrong row length at once; the same for a picture coded as red, green
// and blue.
TEST_F(jpeg_test, pixels_keep_their_places_and_colours) {
    const int w = 40, h = 24;
    std::vector<uint32_t> pixels(w * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels[static_cast<size_t>(y * w + x)] = y < 16 ? (x < 24 ? 0x0000FF : 0x00FF00) : (x < 24 ? 0xFF8000 : 0xFFFFFF);
    ASSERT_TRUE(write_jpeg("quads.jpg", w, h, pixels, 100));
    write_coded_jpeg("rgb.jpg", w, h, pixels, true, false);
    for (const char* file : {"quads.jpg", "rgb.jpg"}) {
        const auto picture = load_jpeg_image(file);
        ASSERT_TRUE(picture) << file;
        EXPECT_TRUE(near(image_pixel(*picture, 4, 4), 0x0000FF, 12)) << file;
        EXPECT_TRUE(near(image_pixel(*picture, 35, 4), 0x00FF00, 12)) << file;
        EXPECT_TRUE(near(image_pixel(*picture, 4, 20), 0xFF8000, 12)) << file;
        EXPECT_TRUE(near(image_pixel(*picture, 35, 20), 0xFFFFFF, 12)) << file;
    }
}

TEST_F(jpeg_test, grey_pictures_come_out_in_colour) {
    std::vector<uint32_t> pixels(20 * 10);
    for (int x = 0; x < 20; ++x)
        for (int y = 0; y < 10; ++y) pixels[static_cast<size_t>(y * 20 + x)] = x < 10 ? 0x202020 : 0xC0C0C0;
    ASSERT_TRUE(write_jpeg("grey.jpg", 20, 10, pixels, 100, true));
    const auto picture = load_jpeg_image("grey.jpg");
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->block.size(), 4u + 20 * 10 * 4);
    EXPECT_TRUE(near(image_pixel(*picture, 2, 5), 0x202020));
    EXPECT_TRUE(near(image_pixel(*picture, 17, 5), 0xC0C0C0));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const uint32_t p = image_pixel(*picture, x, y);
            ASSERT_EQ(p & 0xFF, p >> 8 & 0xFF);
            ASSERT_EQ(p & 0xFF, p >> 16 & 0xFF);
        }
}

TEST_F(jpeg_test, files_that_are_no_usable_jpeg_give_no_image) {
    write_whole_file("notes.jpg", "This is a text file, not a picture.\r\n");
    write_whole_file("empty.jpg", "");
    write_cmyk_jpeg("cmyk.jpg");
    ASSERT_TRUE(write_jpeg("whole.jpg", 64, 64, flat(64, 64, 0x808080), 90));
    write_whole_file("header_only.jpg", read_whole_file("whole.jpg").substr(0, 100));

    testing::internal::CaptureStderr();
    EXPECT_FALSE(load_jpeg_image("notes.jpg"));
    EXPECT_FALSE(load_jpeg_image("empty.jpg"));
    EXPECT_FALSE(load_jpeg_image("cmyk.jpg"));
    EXPECT_FALSE(load_jpeg_image("header_only.jpg"));
    EXPECT_FALSE(load_jpeg_image("missing.jpg"));
    EXPECT_FALSE(load_jpeg_image("."));
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages, "");  // the decoder said why

    // The loader still works after all those failures.
    EXPECT_TRUE(load_jpeg_image("whole.jpg"));
}

TEST_F(jpeg_test, a_file_cut_off_in_its_picture_data_is_completed) {
    std::vector<uint32_t> pixels(120 * 80);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
    ASSERT_TRUE(write_jpeg("full.jpg", 120, 80, pixels, 90));
    const std::string bytes = read_whole_file("full.jpg");
    write_whole_file("cut.jpg", bytes.substr(0, bytes.size() / 2));

    testing::internal::CaptureStderr();
    const auto picture = load_jpeg_image("cut.jpg");
    testing::internal::GetCapturedStderr();
    ASSERT_TRUE(picture);
    EXPECT_EQ(image_width(*picture), 120);
    EXPECT_EQ(image_height(*picture), 80);
    EXPECT_EQ(picture->block.size(), 4u + 120 * 80 * 4);
}

// The header word holds widths up to 8191.
TEST_F(jpeg_test, widths_beyond_the_header_word_give_no_image) {
    ASSERT_TRUE(write_jpeg("widest.jpg", 8191, 1, flat(8191, 1, 0), 50));
    ASSERT_TRUE(write_jpeg("too_wide.jpg", 8192, 1, flat(8192, 1, 0), 50));
    const auto widest = load_jpeg_image("widest.jpg");
    ASSERT_TRUE(widest);
    EXPECT_EQ(image_width(*widest), 8191);
    EXPECT_EQ(image_height(*widest), 1);
    EXPECT_FALSE(load_jpeg_image("too_wide.jpg"));
}

// The largest picture taken has 16,777,216 pixels; the header's word is
// what decides, before any memory is taken for the picture.
TEST_F(jpeg_test, pictures_of_more_than_sixteen_million_pixels_give_no_image) {
    write_coded_jpeg("small.jpg", 16, 16, flat(16, 16, 0x808080), false, false);
    write_coded_jpeg("small_progressive.jpg", 16, 16, flat(16, 16, 0x808080), false, true);
    claim_size("small.jpg", "huge.jpg", 8191, 65500);
    claim_size("small_progressive.jpg", "huge_progressive.jpg", 8191, 65500);
    claim_size("small.jpg", "limit.jpg", 4096, 4096);
    claim_size("small.jpg", "past_limit.jpg", 4096, 4097);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(load_jpeg_image("huge.jpg"));
    EXPECT_FALSE(load_jpeg_image("huge_progressive.jpg"));
    EXPECT_FALSE(load_jpeg_image("past_limit.jpg"));
    const auto limit = load_jpeg_image("limit.jpg");  // the missing data is made up
    testing::internal::GetCapturedStderr();
    ASSERT_TRUE(limit);
    EXPECT_EQ(image_width(*limit), 4096);
    EXPECT_EQ(image_height(*limit), 4096);
}

TEST_F(jpeg_test, a_fifo_or_a_device_is_no_picture_and_never_waited_on) {
    ASSERT_EQ(::mkfifo("fifo.jpg", 0600), 0);
    std::filesystem::create_symlink("/dev/zero", "zero.jpg");
    EXPECT_FALSE(load_jpeg_image("fifo.jpg"));
    EXPECT_FALSE(load_jpeg_image("zero.jpg"));
}

}  // namespace
