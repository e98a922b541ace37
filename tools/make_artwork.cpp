// Draws every picture the program loads and writes them as JPEG files into
// the directory named on the command line:
//
//   make_artwork DATA_DIRECTORY
//
// All pictures share one look: light buttons with a dark edge on a wooden
// shelf, labels in the program's own font. Each button covers exactly the
// pixels that the screens take as its click area; the one-pixel gaps between
// areas show the shelf, so the edges are where the clicks change meaning.

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tools/canvas.h"
#include "tools/jpeg_writer.h"

namespace {

constexpr uint32_t shelf = 0x6E4B33;
constexpr uint32_t edge = 0x4A3222;
constexpr uint32_t face_top = 0xFFFBF2, face_bottom = 0xEFE1CA;
constexpr uint32_t ink = 0x3B2718;
constexpr uint32_t soft_ink = 0x86694F;
constexpr uint32_t white = 0xFFFFFF;

struct colour_face {
    uint32_t border, top, bottom;
};
constexpr colour_face green_face{0x256B30, 0x5CC267, 0x389645};
constexpr colour_face red_face{0x8A231B, 0xEE6B5E, 0xC9392D};
constexpr colour_face blue_face{0x1D4A80, 0x5A9BE0, 0x2F6FB8};

const text_style title{ink};
const text_style subtitle{soft_ink};
const text_style key_hint{soft_ink, 1, 8};

int middle(int x0, int x1) { return (x0 + x1 + 1) / 2; }

// ---- the menu buttons -------------------------------------------------------

using icon = std::function<void(canvas&, double cx, double cy)>;

void plus_icon(canvas& c, double cx, double cy) {
    draw_line(c, cx - 8, cy, cx + 8, cy, 4.5, white);
    draw_line(c, cx, cy - 8, cx, cy + 8, 4.5, white);
}

void star_icon(canvas& c, double cx, double cy) { fill_star(c, cx, cy + 1, 11.5, 4.8, white); }

void list_icon(canvas& c, double cx, double cy) {
    for (double dy : {-6.0, 0.0, 6.0}) {
        fill_circle(c, cx - 7, cy + dy, 1.8, white);
        draw_line(c, cx - 2.5, cy + dy, cx + 8, cy + dy, 2.6, white);
    }
}

void magnifier_icon(canvas& c, double cx, double cy) {
    draw_ring(c, cx - 2.5, cy - 2.5, 7.5, 2.8, white);
    draw_line(c, cx + 3, cy + 3, cx + 9, cy + 9, 4.2, white);
}

void cross_icon(canvas& c, double cx, double cy) {
    draw_line(c, cx - 7, cy - 7, cx + 7, cy + 7, 4.5, white);
    draw_line(c, cx + 7, cy - 7, cx - 7, cy + 7, 4.5, white);
}

// The power sign: a ring opened at the top with a bar through the gap.
void power_icon(canvas& c, double cx, double cy, uint32_t badge) {
    draw_ring(c, cx, cy + 1, 9.5, 3, white);
    draw_line(c, cx, cy - 12, cx, cy - 3, 8, badge);
    draw_line(c, cx, cy - 10, cx, cy, 3, white);
}

// 250 x 50, the whole picture one click area: a badge with the icon on the
// left, the command's name and a line that says what it does.
canvas menu_button(uint32_t badge, const icon& draw_icon, const std::string& name, const std::string& what) {
    canvas c = make_canvas(250, 50, shelf);
    draw_panel(c, 3, 3, 246, 46, 7, edge, face_top, face_bottom);
    fill_circle(c, 27.5, 25, 17, edge);
    fill_circle(c, 27.5, 25, 16, badge);
    draw_icon(c, 27.5, 25);
    draw_text(c, 52, 8, name, title);
    draw_text(c, 52, 26, what, subtitle);
    return c;
}

// ---- the button bars of the list screens ----------------------------------------

struct strip_button {
    int x0, x1;
    std::string label;
};

struct option_button {
    int x0, x1;
    std::string line1, line2, key;
};

// 250 x 80, drawn at y 370: the upper strip on rows 1..20 (y 371..390), the
// option buttons on rows 21..79 (y 391..449).
canvas button_bar(const std::vector<strip_button>& strip, const std::vector<option_button>& options) {
    canvas c = make_canvas(250, 80, shelf);
    for (const auto& b : strip) {
        draw_panel(c, b.x0, 1, b.x1, 20, 4, edge, face_top, face_bottom);
        draw_text_centred(c, middle(b.x0, b.x1), 3, b.label, title);
    }
    for (const auto& b : options) {
        draw_panel(c, b.x0, 21, b.x1, 79, 6, edge, face_top, face_bottom);
        const int centre = middle(b.x0, b.x1);
        draw_text_centred(c, centre, 28, b.line1, title);
        draw_text_centred(c, centre, 45, b.line2, title);
        draw_text_centred(c, centre, 65, "(" + b.key + ")", key_hint);
    }
    return c;
}

const std::vector<strip_button> strip_with_edit{{1, 96, "\xAB Previous"}, {98, 162, "Edit"}, {164, 249, "Next \xBB"}};

std::vector<option_button> options_with(const option_button& own) {
    return {{1, 61, "View", "Recipe", "V"}, own, {126, 186, "Export", "Recipe", "P"},
            {188, 249, "Return", "to Menu", "Q"}};
}

// ---- the answer pictures -------------------------------------------------------

// 250 x 50; a click anywhere from x 1 and below the top row goes on.
canvas continue_picture() {
    canvas c = make_canvas(250, 50, shelf);
    draw_panel(c, 1, 1, 249, 49, 8, blue_face.border, blue_face.top, blue_face.bottom);
    draw_text_centred(c, 125, 5, "Continue \xBB", {white, 2});
    draw_text_centred(c, 125, 38, "click here or press Esc", {0xDCEBFA, 1, 8});
    return c;
}

// 250 x 50: Yes on x 1..124, No on x 125..249, both below the top row.
canvas yes_no_picture() {
    canvas c = make_canvas(250, 50, shelf);
    const text_style answer{white, 2};
    draw_panel(c, 1, 1, 124, 49, 8, green_face.border, green_face.top, green_face.bottom);
    draw_panel(c, 125, 1, 249, 49, 8, red_face.border, red_face.top, red_face.bottom);

    // Each half: an 18-pixel sign, a gap of 8 and the word, centred together.
    const int yes_left = middle(1, 124) - (18 + 8 + text_width("Yes", answer)) / 2;
    draw_line(c, yes_left + 1, 25, yes_left + 7, 31, 4, white);
    draw_line(c, yes_left + 7, 31, yes_left + 17, 18, 4, white);
    draw_text(c, yes_left + 26, 10, "Yes", answer);

    const int no_left = middle(125, 249) - (18 + 8 + text_width("No", answer)) / 2;
    draw_line(c, no_left + 2, 18, no_left + 16, 32, 4, white);
    draw_line(c, no_left + 16, 18, no_left + 2, 32, 4, white);
    draw_text(c, no_left + 26, 10, "No", answer);
    return c;
}

// ---- the exit picture ------------------------------------------------------

// A wisp of steam rising from (x, bottom) to (x, top).
void steam(canvas& c, double x, double bottom, double top) {
    const int steps = 16;
    for (int i = 0; i < steps; ++i) {
        const double y0 = bottom + (top - bottom) * i / steps, y1 = bottom + (top - bottom) * (i + 1) / steps;
        draw_line(c, x + 4 * std::sin(i * 0.55), y0, x + 4 * std::sin((i + 1) * 0.55), y1, 3, 0xCDBBA7);
    }
}

void cooking_pot(canvas& c) {
    for (double x : {104.0, 125.0, 146.0}) steam(c, x, 112, 76);
    draw_panel(c, 57, 141, 74, 152, 4, 0x7A1F18, 0xA8322A, 0x8E2920);   // handles
    draw_panel(c, 176, 141, 193, 152, 4, 0x7A1F18, 0xA8322A, 0x8E2920);
    draw_panel(c, 68, 133, 182, 198, 12, 0x7A1F18, 0xE35A4E, 0xB8352B); // body
    fill_rect(c, 70, 146, 180, 149, 0xF08A80);                           // band
    draw_panel(c, 76, 122, 174, 134, 6, 0x7A1F18, 0xC23A30, 0xA12F26);  // lid
    fill_circle(c, 125, 118, 6.5, 0x7A1F18);
    fill_circle(c, 125, 118, 5, 0xC23A30);
}

// 250 x 450; Quit on x 66..109 and Stay on x 130..174, both on y 288..317.
canvas exit_picture() {
    canvas c = make_canvas(250, 450, shelf);
    draw_panel(c, 8, 8, 241, 441, 12, edge, face_top, face_bottom);
    draw_text_centred(c, 125, 26, "Thank You!", {ink, 2});
    cooking_pot(c);
    draw_text_centred(c, 125, 214, "Thanks for cooking", subtitle);
    draw_text_centred(c, 125, 232, "with Larderon.", subtitle);
    draw_text_centred(c, 125, 262, "Done cooking?", title);

    draw_panel(c, 66, 288, 109, 317, 5, red_face.border, red_face.top, red_face.bottom);
    draw_text_centred(c, middle(66, 109), 295, "Quit", {white});
    draw_panel(c, 130, 288, 174, 317, 5, green_face.border, green_face.top, green_face.bottom);
    draw_text_centred(c, middle(130, 174), 295, "Stay", {white});

    draw_text_centred(c, 125, 334, "Quit closes Larderon", key_hint);
    draw_text_centred(c, 125, 346, "Stay returns to the menu", key_hint);
    draw_line(c, 70, 376, 180, 376, 1.5, 0xD8C6AE);
    draw_text_centred(c, 125, 390, "Happy cooking!", {0xB5651D});
    return c;
}

bool save(const std::filesystem::path& dir, const std::string& name, const canvas& c) {
    const std::string path = (dir / name).string();
    if (write_jpeg(path, c.width, c.height, c.pixels, 95)) return true;
    std::fprintf(stderr, "make_artwork: can't write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_artwork DATA_DIRECTORY\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "make_artwork: can't make %s: %s\n", argv[1], error.message().c_str());
        return 1;
    }

    constexpr uint32_t green = 0x3FA34D, gold = 0xE8A317, blue = 0x3C7DC4, teal = 0x17978A, red = 0xD2453B,
                       grey = 0x857A6E;
    const auto power = [](canvas& c, double cx, double cy) { power_icon(c, cx, cy, grey); };
    struct picture {
        const char* name;
        canvas drawn;
    };
    const picture pictures[] = {
        {"add.jpg", menu_button(green, plus_icon, "Add Recipe", "Type in a new recipe")},
        {"fav.jpg", menu_button(gold, star_icon, "Favorites", "The recipes you love")},
        {"browse.jpg", menu_button(blue, list_icon, "Browse Recipes", "Page through them all")},
        {"srchname.jpg", menu_button(teal, magnifier_icon, "Search by Name", "Find a recipe by name")},
        {"srchauth.jpg", menu_button(teal, magnifier_icon, "Search by Author", "Find recipes by author")},
        {"srchsrc.jpg", menu_button(teal, magnifier_icon, "Search by Source", "Find recipes by source")},
        {"srchingred.jpg", menu_button(teal, magnifier_icon, "Search Ingredients", "Find by what's in it")},
        {"remove.jpg", menu_button(red, cross_icon, "Remove Recipe", "Delete a recipe")},
        {"abhp.jpg", menu_button(grey, power, "Exit", "Leave Larderon")},
        {"exit.jpg", exit_picture()},
        {"ldr_b_m.jpg", button_bar(strip_with_edit, options_with({63, 124, "Add to", "Favs", "A"}))},
        {"ldr_f_m.jpg", button_bar(strip_with_edit, options_with({63, 124, "Remove", "Fav", "D"}))},
        {"ldr_r_m.jpg", button_bar({{1, 124, "\xAB Previous"}, {126, 249, "Next \xBB"}},
                                   options_with({63, 124, "Remove", "Recipe", "R"}))},
        {"cont.jpg", continue_picture()},
        {"yn.jpg", yes_no_picture()},
    };
    for (const picture& p : pictures)
        if (!save(dir, p.name, p.drawn)) return 1;
    return 0;
}
