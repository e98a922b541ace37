#pragma once
#include <string>
#include <vector>

// What the save dialog offers and what it gives back; shared by the
// services and the platforms.
struct file_filter {
    std::string label;    // "Plain Text File (*.txt)"
    std::string pattern;  // "*.txt"
};

struct save_choice {
    std::string path;  // empty: cancelled
    int filter = 1;    // 1-based, the filter in force when confirmed
};
