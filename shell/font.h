#pragma once
#include <cstdint>

// The glyph of one Windows-1252 byte in a cell 8 pixels wide and
// cell_height (8, 14 or 16) pixels high: cell_height bytes, one per pixel
// row, the leftmost pixel in the highest bit. Generated at build time from
// the console fonts.
const uint8_t* glyph_rows(int cell_height, uint8_t byte);
