// The main menu: a column of nine picture buttons, and the exit picture.
#include "app/menu.h"

#include <cstring>
#include <string>

#include "screens/screens.h"
#include "shell/font.h"
#include "shell/jpeg.h"
#include "shell/services.h"
#include "storage/recipe_index.h"

namespace {

// Button files in the order they are loaded, with their slot (1..9).
struct button_file {
    const char* file;
    int slot;
    const char* label;  // shown on a stand-in when the picture is missing
};
constexpr button_file button_files[9] = {
    {"add.jpg", 1, "Add Recipe"},          {"browse.jpg", 3, "Browse Recipes"},
    {"srchname.jpg", 4, "Search Names"},   {"srchauth.jpg", 5, "Search Authors"},
    {"srchsrc.jpg", 6, "Search Sources"},  {"remove.jpg", 8, "Remove Recipe"},
    {"fav.jpg", 2, "Favourites"},          {"srchingred.jpg", 7, "Search Ingredients"},
    {"abhp.jpg", 9, "Exit"},
};

constexpr uint32_t stand_in_face = 0x2A3A4A, stand_in_edge = 0x9FB4C8, stand_in_text = 0xFFFFFF;

// A plain picture that stands in for one that failed to load, so the menu
// stays usable: a framed face with a label centred on it.
image make_stand_in(int width, int height, const std::string& label) {
    image picture;
    picture.block.assign(4 + static_cast<size_t>(width) * height * 4, 0);
    uint32_t header = static_cast<uint32_t>(height) * 65536 + static_cast<uint32_t>(width) * 8 + 4;
    std::memcpy(picture.block.data(), &header, 4);
    auto set = [&](int x, int y, uint32_t colour) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        std::memcpy(picture.block.data() + 4 + (static_cast<size_t>(y) * width + x) * 4, &colour, 4);
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            set(x, y, x == 0 || y == 0 || x == width - 1 || y == height - 1 ? stand_in_edge : stand_in_face);
    int left = (width - static_cast<int>(label.size()) * 8) / 2, top = (height - 16) / 2;
    for (size_t i = 0; i < label.size(); ++i) {
        const uint8_t* rows = glyph_rows(16, static_cast<uint8_t>(label[i]));
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 8; ++x)
                if (rows[y] & (0x80 >> x)) set(left + static_cast<int>(i) * 8 + x, top + y, stand_in_text);
    }
    return picture;
}

void draw_or_stand_in(int x, int y, const std::optional<image>& picture, int width, int height,
                      const std::string& label) {
    put_image(x, y, picture ? *picture : make_stand_in(width, height, label));
}

bool left_button(const mouse_reading& m) { return (m.buttons & 1) != 0; }

// Takes every typed key; true when the window's close button was among them.
// The menu has no use for other keys, and the next screen must not get them.
bool close_button_pressed() {
    bool pressed = false;
    for (std::string key = read_key(); !key.empty(); key = read_key()) pressed |= key == "\xFF" "k";
    return pressed;
}

void draw_menu(const menu_pictures& pictures) {
    for (const button_file& b : button_files)
        draw_or_stand_in(0, (b.slot - 1) * 50, pictures.buttons[b.slot - 1], 250, 50, b.label);
}

// The exit picture: its leave area ends the program, its stay area goes
// back to the menu with the pointer moved off the buttons.
void confirm_exit(const menu_pictures& pictures) {
    set_window_title("Thank You.");
    if (pictures.exit) {
        put_image(0, 0, *pictures.exit);
    } else {
        put_image(0, 0, make_stand_in(250, 450, "Leave Larderon?"));
        put_image(66, 288, make_stand_in(44, 30, "Yes"));
        put_image(130, 288, make_stand_in(45, 30, "No"));
    }
    for (;;) {
        pause(75);
        // The close button means nothing here; taken now, it can't send the
        // menu back here after Stay.
        close_button_pressed();
        mouse_reading m = poll_mouse();
        if (m.x < 1 || m.y < 288 || m.y > 317) continue;
        if (m.x >= 66 && m.x <= 109 && left_button(m)) end_program(0);
        if (m.x >= 130 && m.x <= 174 && left_button(m)) {
            set_mouse(1, 1, -1);
            return;
        }
    }
}

void run_command_of(int button, const menu_pictures& pictures) {
    switch (button) {
    case 0: add_recipe(); break;
    case 1: show_favourites(); break;
    case 2: browse_recipes(); break;
    case 3: case 4: case 5: case 6: search_recipes(static_cast<uint8_t>(button - 2)); break;
    case 7: remove_recipes(); break;
    default: confirm_exit(pictures); break;
    }
}

}  // namespace

menu_pictures load_menu_pictures() {
    menu_pictures pictures;
    change_dir(executable_dir());
    change_dir("data");
    pictures.exit = load_jpeg_image("exit.jpg");
    for (const button_file& b : button_files) pictures.buttons[b.slot - 1] = load_jpeg_image(b.file);
    change_dir(executable_dir());
    return pictures;
}

int read_recipe_count(int previous_count) {
    int count = previous_count;
    open_file("default.ldr", file_mode::input, 1);
    if (last_error() != 0) {
        close_file(0);
        open_file("default.ldr", file_mode::output, 1);
        write_number_field(1, 0, true);
    } else {
        count = static_cast<int>(read_number_field(1));
    }
    close_file(0);
    make_recipe_index_room(int64_t{count} + 10);
    return count;
}

void run_menu(const menu_pictures& pictures) {
    int count = 0;
    for (;;) {
        count = read_recipe_count(count);
        set_window_title("Larderon - Main");
        set_text_grid(30, 27);
        draw_menu(pictures);
        // The window's close button leads to the exit picture, as Exit does.
        mouse_reading m = poll_mouse();
        bool closing = false;
        while (!(m.x >= 1 && m.y >= 2 && left_button(m)) && !(closing = close_button_pressed())) {
            pause(25);
            m = poll_mouse();
        }
        run_command_of(closing ? 8 : m.y / 50, pictures);
    }
}
