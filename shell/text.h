#pragma once
#include <cstdint>
#include <string>

// Text conversions shared by the screens and the files.
std::string int_to_text(int64_t value);             // "5", "-5"
std::string double_to_text(double value);           // up to 16 digits, "2", "0.5"
double text_to_number(const std::string& text);     // the leading number, 0 if none
int64_t round_half_even(double value);              // clamped to the int64 range
std::string upper_case(std::string text);           // a..z only
// 1-based position of needle in haystack at or after from; 0 when absent.
int find_text(const std::string& haystack, const std::string& needle, int from = 1);
std::string trim_blanks(const std::string& text);   // blanks only, both ends
std::string with_thousands(uint64_t number);        // 9874 as "9,874"
