#include "screens/picture_waits.h"

// Not built yet.
std::vector<std::optional<image>> load_data_pictures(const std::vector<std::string>& names) {
    return std::vector<std::optional<image>>(names.size());
}
void draw_picture(int, int, const std::optional<image>&) {}
void continue_wait(const std::optional<image>&, int) {}
bool ask_yes_no(const std::optional<image>&, int) { return false; }
