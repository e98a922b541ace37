#pragma once
#include <cstdint>
#include <string>

// The narrow seam between the services and the machine. It has two
// implementations: platform_sdl.cpp for the real window and
// platform_script.cpp, a scripted platform with a virtual clock for tests.
// Events reach the services only through the feed functions of input.h,
// called from platform_pump_events.

bool platform_open_window(int width, int height, const std::string& title);
void platform_close_window();
void platform_set_title(const std::string& title);
// Shows a whole frame of 0x00RRGGBB pixels, width * height of them.
void platform_present(const uint32_t* pixels, int width, int height);
// Hands every pending window event to the input state (input.h).
void platform_pump_events();
void platform_warp_pointer(int x, int y);
void platform_show_pointer(bool visible);
// Seconds on a monotonic clock.
double platform_clock();
void platform_sleep(int milliseconds);
void platform_beep();
[[noreturn]] void platform_exit(int code);
