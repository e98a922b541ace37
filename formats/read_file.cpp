#include "formats/read_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "formats/archive.h"
#include "formats/format_list.h"
#include "formats/line_splitter.h"
#include "formats/mealmaster.h"
#include "formats/text_encoding.h"
#include "shell/file_pieces.h"

namespace {

constexpr size_t piece_size = size_t{1} << 16;
// A text line keeps this much; MealMaster lines are some 80 bytes.
constexpr size_t longest_line = size_t{1} << 16;
// Pages and JSON files are parsed whole. Pages saved with their pictures
// inside run to tens of megabytes.
constexpr uint64_t largest_document = uint64_t{64} << 20;
// A recipe file holds at most 101 fields of 4,096 bytes.
constexpr uint64_t largest_recipe_file = uint64_t{1} << 20;
// Text is streamed, but a run must end: the largest MealMaster collections
// are some hundred megabytes.
constexpr uint64_t largest_text = uint64_t{1} << 30;

constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

// ---- A recipe file: three quoted fields, a quoted field and a number, a count.

bool take_quoted(std::string_view text, size_t& pos) {
    if (pos >= text.size() || text[pos] != '"') return false;
    const size_t close = text.find_first_of("\"\r\n", pos + 1);
    if (close == std::string_view::npos || text[close] != '"') return false;
    pos = close + 1;
    return true;
}

bool take_char(std::string_view text, size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

bool take_number(std::string_view text, size_t& pos, bool with_sign) {
    if (with_sign) take_char(text, pos, '-');
    const size_t start = pos;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) ++pos;
    return pos > start;
}

bool take_line_end(std::string_view text, size_t& pos) {
    take_char(text, pos, '\r');
    return take_char(text, pos, '\n');
}

bool looks_like_recipe_file(std::string_view text) {
    size_t pos = 0;
    return take_quoted(text, pos) && take_char(text, pos, ',') && take_quoted(text, pos) &&
           take_char(text, pos, ',') && take_quoted(text, pos) && take_line_end(text, pos) &&
           take_quoted(text, pos) && take_char(text, pos, ',') && take_number(text, pos, true) &&
           take_line_end(text, pos) && take_number(text, pos, false) && take_line_end(text, pos);
}

// Whether the first piece of a file is a recipe file of Larderon's own.
bool is_recipe_file(std::string_view start) {
    if (start.find('\0') != std::string_view::npos) return false;
    if (start.starts_with(byte_order_mark)) start.remove_prefix(byte_order_mark.size());
    const size_t first = start.find_first_not_of(" \t\r\n\f");
    return first != std::string_view::npos && start[first] == '"' && looks_like_recipe_file(start.substr(first));
}

std::string read_first_piece(file_pieces& file) {
    std::string start(piece_size, '\0');
    size_t filled = 0;
    while (filled < start.size()) {
        const size_t got = read_piece(file, start.data() + filled, start.size() - filled);
        if (got == 0) break;
        filled += got;
    }
    start.resize(filled);
    return start;
}

// The rest of a file, piece by piece, after the piece already read.
template <typename Handler>
void read_rest(file_pieces& file, const std::string& first, Handler&& handle) {
    handle(std::string_view(first));
    std::string piece(piece_size, '\0');
    while (size_t got = read_piece(file, piece.data(), piece.size())) {
        if (!handle(std::string_view(piece.data(), got))) return;
    }
}

// Hands a found recipe on with what its reader could not keep of it.
void hand_on(const found_recipe& found, recipe_sink& sink) {
    if (!sink.stopped()) sink.take_found(found, {found.ingredients_left_out, found.direction_bytes_left_out});
}

// Reads a document held in memory through its format; the recipes reach the
// sink as the reader finds them. Gives the number of recipes.
uint64_t read_held(std::string_view bytes, const std::string& file_name, const recipe_format& format,
                   recipe_sink& sink, read_result& result, const std::function<void()>& release = {}) {
    uint64_t recipes = 0;
    const found_taker take = [&](found_recipe&& found) {
        ++recipes;
        hand_on(found, sink);
    };
    result = format.read(bytes, file_name, take, release);
    for (found_recipe& found : result.recipes) take(std::move(found));
    result.recipes = {};
    return recipes;
}

void read_document(const std::string& path, const std::string& file_name, const recipe_format& format,
                   recipe_sink& sink, file_report& report) {
    std::string bytes;
    report.error = read_file_up_to(path, largest_document, bytes);
    if (report.error == EFBIG) report.limit = largest_document;
    if (report.error != 0) return;
    sink.bytes_read(bytes.size());
    read_result result;
    // A reader in a child process lets go of the bytes here once the child has
    // them: swapped away, as assigning an empty string would keep the buffer.
    report.recipes = read_held(bytes, file_name, format, sink, result, [&] { std::string().swap(bytes); }) > 0;
    report.notes = std::move(result.notes);
    report.pictures = static_cast<uint64_t>(result.pictures);
}

void read_recipe_file(const std::string& path, recipe_sink& sink, file_report& report) {
    std::string bytes;
    report.error = read_file_up_to(path, largest_recipe_file, bytes);
    if (report.error == EFBIG) report.limit = largest_recipe_file;
    if (report.error != 0) return;
    report.recipes = true;
    sink.bytes_read(bytes.size());
    sink.take_as_is(recipe_from_bytes(bytes), bytes);
}

struct text_scan {
    bool utf8 = false;
    bool mealmaster = false;
    uint64_t length = 0;  // the bytes before the first NUL byte: the text
};

// The first pass over a text: is it UTF-8 throughout, does it hold a
// MealMaster recipe, and where does it end? A text that turns into NUL
// bytes (a damaged file, or a sparse one of gigabytes) is read no further.
text_scan scan_text(file_pieces& file, const std::string& first) {
    utf8_check check;
    text_scan scan;
    line_splitter lines(longest_line, [&](std::string_view line, uint64_t) {
        scan.mealmaster = scan.mealmaster || is_mealmaster_header(line);
    });
    read_rest(file, first, [&](std::string_view piece) {
        const size_t nul = piece.find('\0');
        piece = piece.substr(0, nul);
        check.add(piece);
        lines.add(piece);
        scan.length += piece.size();
        return nul == std::string_view::npos;
    });
    lines.finish();
    scan.utf8 = check.valid();
    return scan;
}

// MealMaster text as it comes, piece by piece: split into lines, a leading
// byte order mark dropped, Windows-1252 read as UTF-8, and each recipe handed
// to the sink as soon as it ends. Files and archive entries share it.
class mealmaster_feed {
public:
    mealmaster_feed(bool utf8, recipe_sink& sink)
        : utf8(utf8),
          sink(sink),
          reader([this](found_recipe&& found, const left_out& extra) {
              if (this->sink.stopped()) return;
              ++recipes;
              this->sink.take_found(found, extra);
          }),
          lines(longest_line, [this](std::string_view line, uint64_t dropped) { add_line(line, dropped); }) {}

    void add(std::string_view piece) { lines.add(piece); }
    // The recipes handed on.
    uint64_t finish() {
        lines.finish();
        reader.finish();
        return recipes;
    }

private:
    void add_line(std::string_view line, uint64_t dropped) {
        if (first_line && line.starts_with(byte_order_mark)) line.remove_prefix(byte_order_mark.size());
        first_line = false;
        if (utf8) reader.add_line(line, dropped);
        else reader.add_line(windows_1252_to_utf8(line), dropped);
    }

    bool utf8;
    recipe_sink& sink;
    bool first_line = true;
    uint64_t recipes = 0;
    mealmaster_reader reader;
    line_splitter lines;
};

void read_mealmaster(const std::string& path, const text_scan& scan, recipe_sink& sink, file_report& report) {
    file_pieces file;
    if ((report.error = open_pieces(path, file)) != 0) return;
    mealmaster_feed lines(scan.utf8, sink);
    uint64_t left = scan.length;
    read_rest(file, std::string(), [&](std::string_view piece) {
        piece = piece.substr(0, static_cast<size_t>(std::min<uint64_t>(piece.size(), left)));
        left -= piece.size();
        lines.add(piece);
        sink.bytes_read(piece.size());
        return left > 0 && !sink.stopped();
    });
    lines.finish();
    report.error = file.error;
    if (scan.length < file.size) {
        report.notes.push_back("turns into NUL bytes after " + std::to_string(scan.length) +
                               " bytes: the rest was not read.");
        sink.bytes_read(file.size - scan.length);  // for the progress: the file is done
    }
    close_pieces(file);
}

void count_from(file_report& report, std::string_view format, uint64_t recipes) {
    if (recipes == 0) return;
    for (auto& [name, count] : report.from)
        if (name == format) return void(count += recipes);
    report.from.emplace_back(format, recipes);
}

// MealMaster text held in memory, UTF-8 or Windows-1252.
uint64_t read_mealmaster_bytes(std::string_view bytes, recipe_sink& sink) {
    utf8_check check;
    check.add(bytes);
    mealmaster_feed lines(check.valid(), sink);
    lines.add(bytes);
    return lines.finish();
}

// One entry of an archive, held in memory, through the format list.
void read_entry(std::string_view bytes, const std::string& label, const std::string& file_name, recipe_sink& sink,
                file_report& report) {
    std::string_view start = bytes.substr(0, piece_size);
    if (start.starts_with(byte_order_mark)) start.remove_prefix(byte_order_mark.size());
    const recipe_format* format = find_recipe_format(start, file_name);
    const auto note = [&](const std::string& text) { report.notes.push_back(label.empty() ? text : label + ": " + text); };
    // Larderon's own recipe files come zipped too, in its backup archive.
    if (is_recipe_file(start)) {
        if (bytes.size() > largest_recipe_file) return note("refused: a recipe file holds at most 1 MB");
        sink.take_as_is(recipe_from_bytes(std::string(bytes)), bytes);
        count_from(report, "Larderon", 1);
        return;
    }
    if (format == nullptr) return;
    if (format->read == nullptr) {
        count_from(report, format->name, read_mealmaster_bytes(bytes, sink));
        return;
    }
    read_result result;
    const uint64_t recipes = read_held(bytes, file_name, *format, sink, result);
    for (const std::string& text : result.notes) note(text);
    report.pictures += static_cast<uint64_t>(result.pictures);
    count_from(report, format->name, recipes);
}

void read_archive_file(const std::string& path, const std::string& file_name, recipe_sink& sink, file_report& report) {
    const archive_report archive = read_archive(
        path,
        [&](const std::string& label, std::string_view name, std::string_view bytes) {
            read_entry(bytes, label, name.empty() ? file_name : std::string(name), sink, report);
            return !sink.stopped();
        },
        [&](uint64_t packed) { sink.bytes_read(packed); });
    report.error = archive.error;
    report.pictures += archive.pictures;
    report.notes.insert(report.notes.end(), archive.notes.begin(), archive.notes.end());
    report.recipes = !report.from.empty();
    if (report.recipes) report.format = report.from.front().first;
}

}  // namespace

file_report read_recipes_from(const std::string& path, const std::string& file_name, recipe_sink& sink) {
    file_report report;
    file_pieces file;
    if ((report.error = open_pieces(path, file)) != 0) return report;
    const std::string first = read_first_piece(file);
    if (file.error == 0 && is_archive(first)) {
        close_pieces(file);
        read_archive_file(path, file_name, sink, report);
        return report;
    }
    const bool recipe_file = file.error == 0 && is_recipe_file(first);
    const recipe_format* format = nullptr;
    if (file.error == 0 && !recipe_file) {
        std::string_view start = first;
        if (start.starts_with(byte_order_mark)) start.remove_prefix(byte_order_mark.size());
        format = find_recipe_format(start, file_name);
    }
    text_scan scan;
    const bool text = format != nullptr && format->read == nullptr;
    if (text && file.size > largest_text) {
        report.error = EFBIG;
        report.limit = largest_text;
    } else if (text) {
        scan = scan_text(file, first);
    }
    if (report.error == 0) report.error = file.error;
    close_pieces(file);
    if (report.error != 0) return report;

    if (recipe_file) {
        read_recipe_file(path, sink, report);
    } else if (format != nullptr && format->read != nullptr) {
        read_document(path, file_name, *format, sink, report);
    } else if (format != nullptr && scan.mealmaster) {
        report.recipes = true;
        read_mealmaster(path, scan, sink, report);
    }
    if (report.recipes) report.format = recipe_file ? "Larderon" : format->name;
    return report;
}
