#pragma once
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/dialog_types.h"

// The scripted platform: tests queue steps of input; each pump of the window
// events delivers the next step once its delay on the virtual clock is over.
// Every sleep only advances the virtual clock, so whole screens run in
// microseconds and always the same way.

struct program_ended : std::runtime_error {
    int code;
    explicit program_ended(int exit_code)
        : std::runtime_error("program ended"), code(exit_code) {}
};

// Thrown when the program keeps waiting long after the script ran out.
struct script_exhausted : std::runtime_error {
    script_exhausted() : std::runtime_error("the program waits for input the script does not give") {}
};

struct scripted_window {
    bool open = false;
    int width = 0, height = 0;
    std::string title;
    std::vector<uint32_t> frame;     // last presented frame
    int presents = 0;                // frames presented since the window opened
    int opened = 0;                  // windows opened since reset
    std::vector<std::string> titles; // every title set, in order
};

// A dialog or message box the program showed.
struct dialog_record {
    std::string kind;  // "save", "message" or "question"
    std::string title; // the dialog's title or the box's caption
    std::string text;  // what a message box or question said
    std::vector<file_filter> filters;
    bool window_open;  // whether the graphics window was open meanwhile
};

namespace script {

// Forgets all steps and the window, resets the services' keyboard and mouse,
// and puts the virtual clock at 1000 s.
void reset();

// ---- steps (each waits `delay_ms` of virtual time after the previous one) ----
void wait(int delay_ms);                       // an empty step
void type(const std::string& utf8, int delay_ms = 0);   // one step per character
void press(int scancode, int delay_ms = 0);    // down, then up at the next step
void key_down(int scancode, int delay_ms = 0);
void key_up(int scancode, int delay_ms = 0);
// A whole typed line: its characters, then Enter.
void line(const std::string& utf8, int delay_ms = 0);
void move(int x, int y, int delay_ms = 0);
// Pointer to (x, y) with the button down; the button goes up at the next step.
void click(int x, int y, int button = 0, int delay_ms = 0);
void button(int button, bool down, int delay_ms = 0);
void leave(int delay_ms = 0);                  // pointer leaves the window
void focus(bool focused, int delay_ms = 0);
void close_button(int delay_ms = 0);
void expose(int delay_ms = 0);
void call(std::function<void()> action, int delay_ms = 0);

// ---- answers to dialogs, taken in order; a dialog with none throws ----
void answer_save_dialog(const std::string& path, int filter = 1);
void cancel_save_dialog();
void answer_question(bool yes);
// As on a machine without a display: no window opens and no dialog can be
// shown. Takes effect at once, also for a program that runs already.
void no_display();
// What executable_dir() names: the test's directory, say. Empty: the test
// program's own.
void set_executable_dir(const std::string& dir);

// ---- what the program did ----
const std::vector<dialog_record>& dialogs();
const scripted_window& window();
double now();                // virtual seconds
int pending_steps();
int beeps();
int pointer_x();
int pointer_y();
bool pointer_visible();

}  // namespace script
