#pragma once
#include <optional>
#include <string>

#include "shell/image.h"

// Decodes a JPEG file (path relative to the current directory) into an
// image of 4-byte blue, green, red, 0 pixels. A missing file, a file that is
// no JPEG, a CMYK picture or one too large for the image header gives no
// image, and so does anything but a regular file or a picture of more than
// 16,777,216 pixels; the decoder's own message goes to standard error. Grey
// pictures come out in colour.
std::optional<image> load_jpeg_image(const std::string& path);
