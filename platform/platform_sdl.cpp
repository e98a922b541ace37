// The real platform: one SDL2 window presented through its surface, events
// handed to the input state, the monotonic clock.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <vector>

#include "platform/input.h"
#include "platform/platform.h"
#include "platform/scale.h"

namespace {

SDL_Window* window = nullptr;
int scale = 1;                       // window pixels per program pixel, each way
std::vector<uint32_t> magnified;     // the frame at window size, where SDL must convert it

// SDL scancodes to PC scancodes of set 1 (0 where the PC key has none).
int set1_scancode(SDL_Scancode code) {
    static const struct { SDL_Scancode sdl; int set1; } table[] = {
        {SDL_SCANCODE_ESCAPE, 1}, {SDL_SCANCODE_1, 2}, {SDL_SCANCODE_2, 3}, {SDL_SCANCODE_3, 4},
        {SDL_SCANCODE_4, 5}, {SDL_SCANCODE_5, 6}, {SDL_SCANCODE_6, 7}, {SDL_SCANCODE_7, 8},
        {SDL_SCANCODE_8, 9}, {SDL_SCANCODE_9, 10}, {SDL_SCANCODE_0, 11}, {SDL_SCANCODE_MINUS, 12},
        {SDL_SCANCODE_EQUALS, 13}, {SDL_SCANCODE_BACKSPACE, 14}, {SDL_SCANCODE_TAB, 15},
        {SDL_SCANCODE_Q, 16}, {SDL_SCANCODE_W, 17}, {SDL_SCANCODE_E, 18}, {SDL_SCANCODE_R, 19},
        {SDL_SCANCODE_T, 20}, {SDL_SCANCODE_Y, 21}, {SDL_SCANCODE_U, 22}, {SDL_SCANCODE_I, 23},
        {SDL_SCANCODE_O, 24}, {SDL_SCANCODE_P, 25}, {SDL_SCANCODE_LEFTBRACKET, 26},
        {SDL_SCANCODE_RIGHTBRACKET, 27}, {SDL_SCANCODE_RETURN, 28}, {SDL_SCANCODE_KP_ENTER, 28},
        {SDL_SCANCODE_LCTRL, 29}, {SDL_SCANCODE_RCTRL, 29}, {SDL_SCANCODE_A, 30}, {SDL_SCANCODE_S, 31},
        {SDL_SCANCODE_D, 32}, {SDL_SCANCODE_F, 33}, {SDL_SCANCODE_G, 34}, {SDL_SCANCODE_H, 35},
        {SDL_SCANCODE_J, 36}, {SDL_SCANCODE_K, 37}, {SDL_SCANCODE_L, 38}, {SDL_SCANCODE_SEMICOLON, 39},
        {SDL_SCANCODE_APOSTROPHE, 40}, {SDL_SCANCODE_GRAVE, 41}, {SDL_SCANCODE_LSHIFT, 42},
        {SDL_SCANCODE_BACKSLASH, 43}, {SDL_SCANCODE_Z, 44}, {SDL_SCANCODE_X, 45}, {SDL_SCANCODE_C, 46},
        {SDL_SCANCODE_V, 47}, {SDL_SCANCODE_B, 48}, {SDL_SCANCODE_N, 49}, {SDL_SCANCODE_M, 50},
        {SDL_SCANCODE_COMMA, 51}, {SDL_SCANCODE_PERIOD, 52}, {SDL_SCANCODE_SLASH, 53},
        {SDL_SCANCODE_KP_DIVIDE, 53}, {SDL_SCANCODE_RSHIFT, 54}, {SDL_SCANCODE_KP_MULTIPLY, 55},
        {SDL_SCANCODE_LALT, 56}, {SDL_SCANCODE_RALT, 56}, {SDL_SCANCODE_SPACE, 57},
        {SDL_SCANCODE_CAPSLOCK, 58}, {SDL_SCANCODE_F1, 59}, {SDL_SCANCODE_F2, 60}, {SDL_SCANCODE_F3, 61},
        {SDL_SCANCODE_F4, 62}, {SDL_SCANCODE_F5, 63}, {SDL_SCANCODE_F6, 64}, {SDL_SCANCODE_F7, 65},
        {SDL_SCANCODE_F8, 66}, {SDL_SCANCODE_F9, 67}, {SDL_SCANCODE_F10, 68},
        {SDL_SCANCODE_NUMLOCKCLEAR, 69}, {SDL_SCANCODE_SCROLLLOCK, 70}, {SDL_SCANCODE_HOME, 71},
        {SDL_SCANCODE_KP_7, 71}, {SDL_SCANCODE_UP, 72}, {SDL_SCANCODE_KP_8, 72},
        {SDL_SCANCODE_PAGEUP, 73}, {SDL_SCANCODE_KP_9, 73}, {SDL_SCANCODE_KP_MINUS, 74},
        {SDL_SCANCODE_LEFT, 75}, {SDL_SCANCODE_KP_4, 75}, {SDL_SCANCODE_KP_5, 76},
        {SDL_SCANCODE_RIGHT, 77}, {SDL_SCANCODE_KP_6, 77}, {SDL_SCANCODE_KP_PLUS, 78},
        {SDL_SCANCODE_END, 79}, {SDL_SCANCODE_KP_1, 79}, {SDL_SCANCODE_DOWN, 80}, {SDL_SCANCODE_KP_2, 80},
        {SDL_SCANCODE_PAGEDOWN, 81}, {SDL_SCANCODE_KP_3, 81}, {SDL_SCANCODE_INSERT, 82},
        {SDL_SCANCODE_KP_0, 82}, {SDL_SCANCODE_DELETE, 83}, {SDL_SCANCODE_KP_PERIOD, 83},
        {SDL_SCANCODE_NONUSBACKSLASH, 86}, {SDL_SCANCODE_F11, 87}, {SDL_SCANCODE_F12, 88},
    };
    for (const auto& entry : table)
        if (entry.sdl == code) return entry.set1;
    return 0;
}

// With Num Lock on, the keypad types digits: its keys then queue no cursor key.
bool keypad_types_digits(SDL_Scancode code) {
    return code >= SDL_SCANCODE_KP_1 && code <= SDL_SCANCODE_KP_PERIOD && (SDL_GetModState() & KMOD_NUM);
}

void handle_window_event(const SDL_WindowEvent& event) {
    switch (event.event) {
    case SDL_WINDOWEVENT_ENTER: feed_pointer_inside(true); break;
    case SDL_WINDOWEVENT_LEAVE: feed_pointer_inside(false); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: feed_focus(true); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: feed_focus(false); break;
    case SDL_WINDOWEVENT_EXPOSED: feed_exposed(); break;
    case SDL_WINDOWEVENT_CLOSE: feed_close_button(); break;
    default: break;
    }
}

int button_number(Uint8 sdl_button) {
    switch (sdl_button) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    default: return -1;
    }
}

// The window an input event belongs to; 0 for events of no window.
Uint32 event_window(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN: case SDL_KEYUP: return event.key.windowID;
    case SDL_TEXTINPUT: return event.text.windowID;
    case SDL_MOUSEMOTION: return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN: case SDL_MOUSEBUTTONUP: return event.button.windowID;
    case SDL_MOUSEWHEEL: return event.wheel.windowID;
    case SDL_WINDOWEVENT: return event.window.windowID;
    default: return 0;
    }
}

void feed_pointer(int x, int y) { feed_mouse_motion(to_logical(x, scale), to_logical(y, scale)); }

bool variable_set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Starts SDL's video and settles the scale for the program's whole run.
// Where no display answers, SDL falls back to drawing off screen, and the
// program would run unseen; a driver named in SDL_VIDEODRIVER is the user's
// own choice, though.
bool start_video(std::string& failure) {
    const bool driver_chosen = variable_set("SDL_VIDEODRIVER");
    if (!driver_chosen && !variable_set("DISPLAY") && !variable_set("WAYLAND_DISPLAY")) {
        failure = "neither DISPLAY nor WAYLAND_DISPLAY is set";
        return false;
    }
    // A software framebuffer is all we need; GL would only cost start-up
    // time and memory. SIGTERM and Ctrl-C end the program as usual.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A desktop program leaves the screen saver alone, as games and video
    // players do not; keeping it off would also open a session-bus connection
    // at every start.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        failure = SDL_GetError();
        return false;
    }
    const std::string driver = SDL_GetCurrentVideoDriver();
    if (!driver_chosen && (driver == "offscreen" || driver == "dummy")) {
        SDL_Quit();
        const char* name = variable_set("DISPLAY") ? "DISPLAY" : "WAYLAND_DISPLAY";
        failure = std::string("no display answered at ") + name + "=" + std::getenv(name);
        return false;
    }
    SDL_DisplayMode mode{};
    const int display_height = SDL_GetDesktopDisplayMode(0, &mode) == 0 ? mode.h : 0;
    const scale_choice choice = choose_scale(std::getenv("LARDERON_SCALE"), std::getenv("GDK_SCALE"), display_height);
    for (const std::string& line : choice.complaints) std::fprintf(stderr, "%s\n", line.c_str());
    scale = choice.scale;
    return true;
}

}  // namespace

bool platform_open_window(int width, int height, const std::string& title, std::string& failure) {
    if (!SDL_WasInit(SDL_INIT_VIDEO) && !start_video(failure)) return false;
    platform_close_window();
    window = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width * scale,
                              height * scale, SDL_WINDOW_SHOWN);
    if (!window) failure = SDL_GetError();
    return window != nullptr;
}

void platform_close_window() {
    if (!window) return;
    SDL_DestroyWindow(window);
    window = nullptr;
    SDL_PumpEvents();  // let the window system take it away now
}

void platform_set_title(const std::string& title) {
    if (window) SDL_SetWindowTitle(window, title.c_str());
}

// Each program pixel becomes a scale x scale block of the window's surface:
// straight into it when it holds 0x00RRGGBB pixels, else through a buffer
// that SDL converts.
void platform_present(const uint32_t* pixels, int width, int height) {
    if (!window) return;
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    const int shown_width = width * scale, shown_height = height * scale;
    if (!surface || surface->w < shown_width || surface->h < shown_height) return;
    SDL_LockSurface(surface);
    if (surface->format->format == SDL_PIXELFORMAT_RGB888) {
        magnify(pixels, width, height, scale, static_cast<uint8_t*>(surface->pixels), surface->pitch);
    } else {
        magnified.resize(static_cast<size_t>(shown_width) * static_cast<size_t>(shown_height));
        magnify(pixels, width, height, scale, reinterpret_cast<uint8_t*>(magnified.data()), shown_width * 4);
        SDL_ConvertPixels(shown_width, shown_height, SDL_PIXELFORMAT_RGB888, magnified.data(), shown_width * 4,
                          surface->format->format, surface->pixels, surface->pitch);
    }
    SDL_UnlockSurface(surface);
    SDL_UpdateWindowSurface(window);
}

void platform_pump_events() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        // A key or click that SDL still holds for a window closed meanwhile
        // (before a dialog, say) must not act on the window that follows.
        const Uint32 owner = event_window(event);
        if (owner != 0 && (!window || owner != SDL_GetWindowID(window))) continue;
        switch (event.type) {
        case SDL_KEYDOWN: {
            SDL_Scancode code = event.key.keysym.scancode;
            feed_key_down(set1_scancode(code), !keypad_types_digits(code));
            break;
        }
        case SDL_KEYUP: feed_key_up(set1_scancode(event.key.keysym.scancode)); break;
        case SDL_TEXTINPUT: feed_text(event.text.text); break;
        case SDL_MOUSEMOTION: feed_pointer(event.motion.x, event.motion.y); break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            feed_pointer(event.button.x, event.button.y);
            feed_mouse_button(button_number(event.button.button), event.type == SDL_MOUSEBUTTONDOWN);
            break;
        case SDL_MOUSEWHEEL: feed_mouse_wheel(event.wheel.y); break;
        case SDL_WINDOWEVENT: handle_window_event(event.window); break;
        default: break;
        }
    }
}

void platform_warp_pointer(int x, int y) {
    // The middle of the pixel's block, so that the pointer reads back as it.
    if (window) SDL_WarpMouseInWindow(window, x * scale + scale / 2, y * scale + scale / 2);
}

void platform_show_pointer(bool visible) { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

double platform_clock() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void platform_sleep(int milliseconds) {
    if (milliseconds > 0) SDL_Delay(static_cast<Uint32>(milliseconds));
}

std::string platform_executable_path() {
    std::error_code failed;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", failed);
    return failed ? std::string() : exe.string();
}

void platform_beep() {
    std::fputc('\a', stdout);
    std::fflush(stdout);
}

void platform_exit(int code) {
    std::fflush(nullptr);
    if (window) SDL_DestroyWindow(window);
    SDL_Quit();
    std::_Exit(code);
}
