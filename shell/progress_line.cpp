#include "shell/progress_line.h"

#include <algorithm>
#include <string>

#include "shell/services.h"
#include "shell/text.h"

namespace {

constexpr double quiet_seconds = 1.0;   // runs shorter than this show nothing
constexpr double redraw_seconds = 0.1;
constexpr int bar_width = 30;
constexpr size_t line_width = 79;

}  // namespace

progress_line::progress_line(std::ostream& err, bool shown, uint64_t files, uint64_t bytes)
    : err(err), shown(shown), files(files), bytes(bytes) {
    if (shown) start = last = timer_seconds();
}

void progress_line::update(uint64_t files_done, uint64_t recipes, uint64_t bytes_done) {
    if (!shown) return;
    const double now = timer_seconds();
    if (now - start < quiet_seconds || now - last < redraw_seconds) return;
    last = now;
    const double share = bytes == 0 ? 1.0 : std::min(1.0, static_cast<double>(bytes_done) / static_cast<double>(bytes));
    const int filled = static_cast<int>(share * bar_width);
    std::string line = "\r";
    line += with_thousands(std::min(files_done, files)) + " of " + with_thousands(files) + " files, " +
            with_thousands(recipes) + " recipes found [" + std::string(static_cast<size_t>(filled), '#') +
            std::string(static_cast<size_t>(bar_width - filled), '-') + "] " +
            std::to_string(static_cast<int>(share * 100)) + "%";
    err << line << std::flush;
    drawn = true;
}

void progress_line::finish() {
    if (drawn) err << "\r" << std::string(line_width, ' ') << "\r" << std::flush;
    drawn = false;
}
