// The scripted platform for tests: input comes from a queue of steps, time
// from a virtual clock that only sleeps advance.
#include "platform/platform_script.h"

#include <deque>
#include <filesystem>

#include "platform/input.h"
#include "platform/platform.h"
#include "platform/screen_state.h"

namespace {

struct step {
    int delay_ms;
    std::function<void()> action;
};

struct script_state {
    std::deque<step> steps;
    double clock_ms = 1000000;
    double last_step_ms = 1000000;  // when the previous step was delivered
    double idle_ms = 0;             // virtual time slept since the script ran out
    scripted_window window;
    int beeps = 0;
    int pointer_x = 0, pointer_y = 0;
    bool pointer_visible = true;
    std::deque<save_choice> save_answers;
    std::deque<bool> question_answers;
    std::vector<dialog_record> dialogs;
    bool display = true;
    std::string executable_dir;
};

script_state& state() {
    static script_state s;
    return s;
}

void add(int delay_ms, std::function<void()> action) {
    state().steps.push_back({delay_ms, std::move(action)});
}

// Long enough for any wait of the program, short enough to stop a test that
// waits for input its script never gives.
constexpr double give_up_ms = 10 * 60 * 1000;

}  // namespace

// ---- the platform ---------------------------------------------------------

bool platform_open_window(int width, int height, const std::string& title, std::string& failure) {
    if (!state().display) {
        failure = "no display in this test";
        return false;
    }
    scripted_window& w = state().window;
    w.open = true;
    w.width = width;
    w.height = height;
    w.title = title;
    w.frame.assign(static_cast<size_t>(width) * height, 0);
    w.presents = 0;
    ++w.opened;
    return true;
}

void platform_close_window() { state().window.open = false; }

void platform_set_title(const std::string& title) {
    state().window.title = title;
    state().window.titles.push_back(title);
}

void platform_present(const uint32_t* pixels, int width, int height) {
    scripted_window& w = state().window;
    w.frame.assign(pixels, pixels + static_cast<size_t>(width) * height);
    ++w.presents;
}

// One step per pump, so the program sees every step at least once.
void platform_pump_events() {
    script_state& s = state();
    if (s.steps.empty() || s.clock_ms < s.last_step_ms + s.steps.front().delay_ms) return;
    step next = std::move(s.steps.front());
    s.steps.pop_front();
    s.last_step_ms = s.clock_ms;
    s.idle_ms = 0;
    if (next.action) next.action();
}

void platform_warp_pointer(int x, int y) {
    state().pointer_x = x;
    state().pointer_y = y;
}

void platform_show_pointer(bool visible) { state().pointer_visible = visible; }

double platform_clock() { return state().clock_ms / 1000.0; }

void platform_sleep(int milliseconds) {
    script_state& s = state();
    s.clock_ms += milliseconds;
    if (!s.steps.empty()) return;
    s.idle_ms += milliseconds;
    if (s.idle_ms > give_up_ms) throw script_exhausted();
}

void platform_beep() { ++state().beeps; }

void platform_exit(int code) { throw program_ended(code); }

std::string platform_executable_path() {
    if (!state().executable_dir.empty()) return state().executable_dir + "/larder";
    std::error_code failed;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", failed);
    return failed ? std::string() : exe.string();
}

namespace {

void record_dialog(const std::string& kind, const std::string& title, const std::string& text,
                   const std::vector<file_filter>& filters = {}) {
    state().dialogs.push_back({kind, title, text, filters, state().window.open});
}

template <typename answer>
answer take_answer(std::deque<answer>& answers) {
    if (answers.empty()) throw script_exhausted();
    answer next = answers.front();
    answers.pop_front();
    return next;
}

}  // namespace

bool platform_dialogs_available() { return state().display; }

save_choice platform_save_dialog(const std::string& title, const std::vector<file_filter>& filters) {
    if (!state().display) return {};
    record_dialog("save", title.empty() ? "Save As" : title, "", filters);
    return take_answer(state().save_answers);
}

void platform_message_box(const std::string& text, const std::string& caption) {
    if (state().display) record_dialog("message", caption, text);
}

bool platform_question(const std::string& text, const std::string& caption) {
    if (!state().display) return false;
    record_dialog("question", caption, text);
    return take_answer(state().question_answers);
}

// ---- the script -------------------------------------------------------------

namespace script {

void reset() {
    state() = script_state{};
    screen() = screen_state{};
    input() = input_state{};
}

void wait(int delay_ms) { add(delay_ms, nullptr); }

void type(const std::string& utf8, int delay_ms) {
    for (size_t i = 0; i < utf8.size();) {
        size_t length = 1;
        while (i + length < utf8.size() && (static_cast<uint8_t>(utf8[i + length]) & 0xC0) == 0x80) ++length;
        std::string character = utf8.substr(i, length);
        add(i == 0 ? delay_ms : 0, [character] { feed_text(character); });
        i += length;
    }
}

void press(int scancode, int delay_ms) {
    key_down(scancode, delay_ms);
    key_up(scancode);
}

void key_down(int scancode, int delay_ms) { add(delay_ms, [scancode] { feed_key_down(scancode); }); }

void key_up(int scancode, int delay_ms) { add(delay_ms, [scancode] { feed_key_up(scancode); }); }

void line(const std::string& utf8, int delay_ms) {
    if (utf8.empty())
        wait(delay_ms);
    else
        type(utf8, delay_ms);
    press(28);
}

void move(int x, int y, int delay_ms) {
    add(delay_ms, [x, y] {
        const scripted_window& w = state().window;
        feed_pointer_inside(x >= 0 && y >= 0 && x < w.width && y < w.height);
        feed_mouse_motion(x, y);
    });
}

void click(int x, int y, int button_number, int delay_ms) {
    move(x, y, delay_ms);
    // The move and the press land in one pump so no poll sees the pointer
    // there without the button.
    state().steps.back().action = [button_number, moved = state().steps.back().action] {
        moved();
        feed_mouse_button(button_number, true);
    };
    button(button_number, false);
}

void button(int button_number, bool down, int delay_ms) {
    add(delay_ms, [button_number, down] { feed_mouse_button(button_number, down); });
}

void leave(int delay_ms) { add(delay_ms, [] { feed_pointer_inside(false); }); }

void focus(bool focused, int delay_ms) { add(delay_ms, [focused] { feed_focus(focused); }); }

void close_button(int delay_ms) { add(delay_ms, [] { feed_close_button(); }); }

void expose(int delay_ms) { add(delay_ms, [] { feed_exposed(); }); }

void call(std::function<void()> action, int delay_ms) { add(delay_ms, std::move(action)); }

void answer_save_dialog(const std::string& path, int filter) { state().save_answers.push_back({path, filter}); }
void cancel_save_dialog() { state().save_answers.push_back({}); }
void answer_question(bool yes) { state().question_answers.push_back(yes); }
void no_display() { state().display = false; }
void set_executable_dir(const std::string& dir) { state().executable_dir = dir; }

const std::vector<dialog_record>& dialogs() { return state().dialogs; }
const scripted_window& window() { return state().window; }
double now() { return platform_clock(); }
int pending_steps() { return static_cast<int>(state().steps.size()); }
int beeps() { return state().beeps; }
int pointer_x() { return state().pointer_x; }
int pointer_y() { return state().pointer_y; }
bool pointer_visible() { return state().pointer_visible; }

}  // namespace script
