#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/dialog_types.h"
#include "shell/image.h"

// The services every screen is written against: one window with a text grid,
// colours, pictures, mouse and keyboard polling, line input, waits,
// numbered files, directories and the command interpreter.

// Keeps the command line for command_args and executable_dir.
void init_services(int argc, char** argv);

// ---- Window and drawing -------------------------------------------------
void open_window(int width, int height, int depth);
void close_window();
void set_window_title(const std::string& title);
void set_text_grid(int columns, int rows);
// A negative colour keeps the current one.
void set_colour(int64_t foreground, int64_t background);
void clear_screen();
void locate(int row, int column);
// The text cursor's row: where the next text goes.
int cursor_row();
void print_text(const std::string& text, bool line_end);
// A signed number prints with a blank in front when it is not negative;
// a one-byte count prints with none.
void print_number(int32_t value, bool line_end);
void print_number(uint8_t value, bool line_end);
void flood_fill(int x, int y, uint32_t colour);
void put_image(int x, int y, const image& picture);

// ---- Mouse and keyboard -------------------------------------------------
struct mouse_reading {
    int x, y, wheel, buttons;
};
mouse_reading poll_mouse();
void set_mouse(int x, int y, int visibility);
bool key_held(int scancode);
std::string read_key();
int wait_key();
void pause(int milliseconds);
std::string input_line(const std::string& prompt, bool question_mark, bool line_end);
// The first value of a typed line: text up to its first comma, or a quoted
// text whole. input_number takes it as a number.
std::string input_value(const std::string& prompt, bool question_mark, bool line_end);
int64_t input_number(const std::string& prompt, bool question_mark, bool line_end);

// ---- Files, directories and processes -----------------------------------
enum class file_mode { input, output, append };
// Output and append files are written in full when they are closed: into a
// temporary file beside the target that is then renamed over it, so the
// target is never half-written.
void open_file(const std::string& name, file_mode mode, int number);
void close_file(int number);  // 0 closes every file
std::string read_field(int number, bool keep_blanks);
int64_t read_number_field(int number);
void write_field(int number, const std::string& text, bool last);
void write_number_field(int number, int64_t value, bool last);
void print_to_file(int number, const std::string& text, bool line_end);
void print_number_to_file(int number, int32_t value, bool line_end);
int last_error();
// Deletes the directory entry: a link, never the file it points to.
void delete_file(const std::string& path);
std::string executable_dir();
void change_dir(const std::string& path);
// Whether anything of that name exists: a file, a directory, even a broken link.
bool path_exists(const std::string& path);
// What a path names, links followed: nothing, a regular file (with its size)
// or something else, such as a directory or a FIFO.
enum class path_kind { missing, regular, other };
struct path_info {
    path_kind kind = path_kind::missing;
    uint64_t size = 0;
};
path_info file_info(const std::string& path);
// Whether the directory entry `path` (a link as the link itself) lies in the
// directory `dir`. The directories are compared by device and inode, so any
// other way to the same directory (a bind mount, a linked parent) counts too.
bool lies_in_directory(const std::string& path, const std::string& dir);
int run_command(const std::string& line);
std::string command_args();
double timer_seconds();

// ---- The system's dialogs (no graphics window should be open) ------------
bool dialogs_available();
save_choice show_save_dialog(const std::string& title, const std::vector<file_filter>& filters);
void show_message_box(const std::string& text, const std::string& caption);
bool ask_question(const std::string& text, const std::string& caption);
[[noreturn]] void end_program(int code);
