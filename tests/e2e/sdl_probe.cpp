// A small program on the real SDL platform for the end-to-end test: it opens
// the menu-sized window and reports on standard output what the services see.
// Given the data directory, it draws the menu's buttons as the menu does.
// Key 1 puts the pointer at (1, 1); key 2 opens the large window.
#include <cstdio>
#include <string>

#include "shell/jpeg.h"
#include "shell/services.h"

int main(int argc, char** argv) {
    init_services(argc, argv);
    open_window(250, 450, 32);
    set_window_title("Service Probe");
    set_text_grid(30, 27);
    print_text("probe ready", true);
    if (argc > 1) {
        const char* buttons[] = {"add", "fav", "browse", "srchname", "srchauth", "srchsrc", "srchingred", "remove", "abhp"};
        for (int slot = 0; slot < 9; ++slot)
            if (auto picture = load_jpeg_image(std::string(argv[1]) + "/" + buttons[slot] + ".jpg"))
                put_image(0, slot * 50, *picture);
    }
    std::printf("ready\n");
    std::fflush(stdout);
    mouse_reading last{-2, -2, -2, -2};
    bool held_a = false;
    for (;;) {
        mouse_reading m = poll_mouse();
        if (m.x != last.x || m.y != last.y || m.buttons != last.buttons) {
            std::printf("mouse %d %d %d\n", m.x, m.y, m.buttons);
            last = m;
        }
        if (key_held(30) != held_a) {
            held_a = !held_a;
            std::printf("held A %d\n", held_a ? 1 : 0);
        }
        for (std::string key = read_key(); !key.empty(); key = read_key()) {
            std::printf("key");
            for (unsigned char c : key) std::printf(" %d", c);
            std::printf("\n");
            if (key == "\xFFk") end_program(0);
            if (key == "1") set_mouse(1, 1, -1);
            if (key == "2") {
                open_window(640, 480, 32);
                set_window_title("Service Probe Large");
                set_text_grid(80, 30);
                print_text("large", true);
            }
        }
        std::fflush(stdout);
        pause(20);
    }
}
