#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/dialog_types.h"

// The narrow seam between the services and the machine. It has two
// implementations: platform_sdl.cpp for the real window and
// platform_script.cpp, a scripted platform with a virtual clock for tests.
// Events reach the services only through the feed functions of input.h,
// called from platform_pump_events.

// Opens a window of width x height of the program's pixels; false, with the
// reason in `failure`, when none can be opened (no display, say).
bool platform_open_window(int width, int height, const std::string& title, std::string& failure);
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
// The running program's own file, absolute.
std::string platform_executable_path();

// The system's dialogs, shown with no owner window. They can be shown only
// where a display is there.
bool platform_dialogs_available();
// A save dialog with these filters, the first selected, asking before it
// overwrites; title "Save As" when empty. The path is the file system's bytes.
save_choice platform_save_dialog(const std::string& title, const std::vector<file_filter>& filters);
// An information box with one OK button.
void platform_message_box(const std::string& text, const std::string& caption);
// A question with Yes and No; true for Yes.
bool platform_question(const std::string& text, const std::string& caption);
[[noreturn]] void platform_exit(int code);
