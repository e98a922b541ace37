// Pictures of the screens and the waits that are answered on them.
#include "screens/picture_waits.h"

#include "shell/jpeg.h"
#include "shell/services.h"

namespace {

constexpr int left_button = 1;

bool left_click_below(const mouse_reading& m, int top) {
    return m.x >= 1 && m.y > top && (m.buttons & left_button) != 0;
}

}  // namespace

std::vector<std::optional<image>> load_data_pictures(const std::vector<std::string>& names) {
    std::vector<std::optional<image>> pictures;
    change_dir("data");
    for (const std::string& name : names) pictures.push_back(load_jpeg_image(name));
    change_dir(executable_dir());
    return pictures;
}

void draw_picture(int x, int y, const std::optional<image>& picture) {
    if (picture) put_image(x, y, *picture);
}

void continue_wait(const std::optional<image>& picture, int top) {
    draw_picture(0, top, picture);
    for (;;) {
        if (read_key() == "\x1B") return;
        if (left_click_below(poll_mouse(), top)) return;
        pause(99);
    }
}

bool ask_yes_no(const std::optional<image>& picture, int top) {
    draw_picture(0, top, picture);
    set_mouse(1, 1, -1);
    for (;;) {
        const mouse_reading m = poll_mouse();
        if (left_click_below(m, top) && m.x <= 249) {
            pause(99);
            set_mouse(1, 1, -1);
            return m.x <= 124;
        }
        pause(99);
    }
}
