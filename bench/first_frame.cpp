// Starts a program on the X display and measures it from outside: the time
// from its start to the first picture in its first window (any pixel that
// is not black; the display's root must be black), the CPU time it had used
// by then, and, once it has settled, its resident memory and the shared
// libraries it has mapped. Prints one line:
//   frame_ms=... cpu_ms=... rss_kb=... libraries=...
// Usage: first_frame SETTLE_MS PROGRAM [ARGUMENTS...]
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

extern char** environ;

namespace {

using clock_type = std::chrono::steady_clock;

double ms_since(clock_type::time_point start) {
    return std::chrono::duration<double, std::milli>(clock_type::now() - start).count();
}

// CPU time of every thread of the process, from the scheduler's nanoseconds.
double cpu_ms(pid_t pid) {
    double total = 0;
    std::error_code failed;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", failed)) {
        std::ifstream stat(task.path() / "schedstat");
        double on_cpu_ns = 0;
        if (stat >> on_cpu_ns) total += on_cpu_ns / 1e6;
    }
    return total;
}

long rss_kb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

size_t mapped_libraries(pid_t pid) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::set<std::string> libraries;
    for (std::string line; std::getline(maps, line);) {
        const size_t slash = line.find('/');
        if (slash != std::string::npos && line.find(".so", slash) != std::string::npos)
            libraries.insert(line.substr(slash));
    }
    return libraries.size();
}

bool has_picture(Display* display, Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) return false;
    XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!image) return false;
    bool drawn = false;
    for (int y = 0; y < image->height && !drawn; ++y)
        for (int x = 0; x < image->width && !drawn; ++x) drawn = (XGetPixel(image, x, y) & 0xFFFFFF) != 0;
    XDestroyImage(image);
    return drawn;
}

int ignore_errors(Display*, XErrorEvent*) { return 0; }  // a window may go before we look at it

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: first_frame SETTLE_MS PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "first_frame: no X display\n");
        return 2;
    }
    XSetErrorHandler(ignore_errors);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const clock_type::time_point start = clock_type::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[2], nullptr, nullptr, argv + 2, environ) != 0) {
        std::perror("first_frame: posix_spawn");
        return 2;
    }
    Window window = 0;
    double frame_ms = -1, frame_cpu_ms = -1;
    while (frame_ms < 0 && ms_since(start) < 10000) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && !window) window = event.xmap.window;
        }
        if (window && has_picture(display, window)) {
            frame_ms = ms_since(start);
            frame_cpu_ms = cpu_ms(pid);
            break;
        }
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, window ? 0 : 1);
        if (window) usleep(500);
    }
    usleep(static_cast<useconds_t>(std::atoi(argv[1])) * 1000);
    std::printf("frame_ms=%.1f cpu_ms=%.1f rss_kb=%ld libraries=%zu\n", frame_ms, frame_cpu_ms, rss_kb(pid),
                mapped_libraries(pid));
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    XCloseDisplay(display);
    return frame_ms < 0 ? 1 : 0;
}
