#include "formats/archive.h"

#include <archive.h>
#include <archive_entry.h>
#include <glib.h>
#include <iconv.h>
#include <locale.h>

#include <cerrno>
#include <memory>

#include "formats/text_encoding.h"

namespace {

// What one archive may hold. Past any of these it is refused (a zip bomb, or
// a file that is no export at all); the rest of the run goes on.
constexpr int deepest_nesting = 3;
constexpr uint64_t most_entries = 100'000;
constexpr uint64_t largest_entry = uint64_t{64} << 20;
constexpr uint64_t largest_unpacked = uint64_t{2} << 30;
constexpr uint64_t highest_ratio = 100;
// Small entries may pack far better than that (a page of blanks); they are
// bounded by the limits above anyway.
constexpr uint64_t ratio_judged_from = uint64_t{1} << 20;
constexpr size_t block_size = size_t{1} << 16;

bool is_zip(std::string_view start) { return start.starts_with("PK\x03\x04") || start.starts_with("PK\x05\x06"); }
bool is_gzip(std::string_view start) { return start.starts_with("\x1F\x8B"); }

// libarchive gives names in the locale's character set; the tool runs in the
// C locale, where a name marked UTF-8 could not be given at all. Names not
// marked come as their bytes either way.
class utf8_names {
public:
    utf8_names() : utf8(newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{})) {
        if (utf8) before = uselocale(utf8);
    }
    ~utf8_names() {
        if (!utf8) return;
        uselocale(before);
        freelocale(utf8);
    }
    utf8_names(const utf8_names&) = delete;
    utf8_names& operator=(const utf8_names&) = delete;

private:
    locale_t utf8;
    locale_t before{};
};

using archive_ptr = std::unique_ptr<archive, decltype(&archive_read_free)>;

archive_ptr new_reader(bool gzip) {
    archive_ptr reader(archive_read_new(), archive_read_free);
    if (gzip) {
        archive_read_support_filter_gzip(reader.get());
        archive_read_support_format_raw(reader.get());
    } else {
        archive_read_support_format_zip(reader.get());
    }
    return reader;
}

// macOS leaves "__MACOSX/", "._name" and ".DS_Store" in every zip it makes.
// A name is never used as a path, so "../" in one does no harm.
bool is_ignored(std::string_view name) {
    size_t start = 0;
    while (start < name.size()) {
        const size_t end = std::min(name.find('/', start), name.size());
        const std::string_view part = name.substr(start, end - start);
        if (part == "." || part == "..") {
            start = end + 1;
            continue;
        }
        if (part.starts_with('.') || part.starts_with("__")) return true;
        start = end + 1;
    }
    return false;
}

std::string lower(std::string_view text) {
    std::string low(text);
    for (char& c : low) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return low;
}

bool is_picture(std::string_view name, std::string_view bytes) {
    const size_t dot = name.find_last_of("./");
    const std::string kind = dot != std::string_view::npos && name[dot] == '.' ? lower(name.substr(dot + 1)) : "";
    for (const char* picture : {"jpg", "jpeg", "png", "webp", "gif", "heic"})
        if (kind == picture) return true;
    return bytes.starts_with("\xFF\xD8\xFF") || bytes.starts_with("\x89PNG") || bytes.starts_with("GIF8") ||
           (bytes.starts_with("RIFF") && bytes.substr(8, 4) == "WEBP");
}

std::string folder_of(std::string_view name) {
    const size_t slash = name.find_last_of('/');
    return std::string(name.substr(0, slash == std::string_view::npos ? 0 : slash));
}

struct run {
    const std::function<bool(const std::string&, std::string_view, std::string_view)>& take;
    const std::function<void(uint64_t)>& packed;
    archive_report report;
    uint64_t unpacked = 0;  // by the file's archives together, nested ones too
    std::string last_picture_folder;
    bool stopped = false;
};

std::string_view base_name(std::string_view name) {
    const size_t slash = name.find_last_of('/');
    return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

std::string labelled(const std::string& where, std::string_view what) {
    return where.empty() ? std::string(what) : where + ": " + std::string(what);
}

void read_entries(archive* reader, const std::string& where, const std::string& own_name, bool gzip, int depth,
                  run& r);

// The bytes of the current entry, or a reason for refusing the archive.
std::string read_entry_data(archive* reader, uint64_t& unpacked, std::string& bytes) {
    // The packed bytes read so far include what libarchive read ahead, so
    // the ratio comes out low rather than high.
    const la_int64_t packed_before = archive_filter_bytes(reader, -1);
    char block[block_size];
    for (;;) {
        const la_ssize_t got = archive_read_data(reader, block, sizeof block);
        if (got < 0) return archive_error_string(reader) ? archive_error_string(reader) : "could not be unpacked";
        if (got == 0) return {};
        bytes.append(block, static_cast<size_t>(got));
        unpacked += static_cast<uint64_t>(got);
        if (bytes.size() > largest_entry) return "refused: an entry unpacks to more than 64 MB";
        if (unpacked > largest_unpacked) return "refused: it unpacks to more than 2 GB";
        const la_int64_t packed_now = archive_filter_bytes(reader, -1);
        const uint64_t packed = static_cast<uint64_t>(std::max<la_int64_t>(packed_now - packed_before, 1));
        if (bytes.size() > ratio_judged_from && bytes.size() > highest_ratio * packed)
            return "refused: an entry unpacks to more than 100 times its packed size";
    }
}

void read_nested(std::string_view bytes, const std::string& label, const std::string& name, int depth, run& r) {
    if (depth > deepest_nesting) {
        r.report.notes.push_back(labelled(label, "refused: archives nested more than 3 deep"));
        return;
    }
    const bool gzip = is_gzip(bytes);
    archive_ptr reader = new_reader(gzip);
    if (archive_read_open_memory(reader.get(), bytes.data(), bytes.size()) != ARCHIVE_OK) {
        r.report.notes.push_back(labelled(label, archive_error_string(reader.get())));
        return;
    }
    read_entries(reader.get(), label, name, gzip, depth, r);
}

// The entries of one archive. `where` labels its notes; a gzip's one entry
// takes the gzip's own name (empty for a lone gzip).
void read_entries(archive* reader, const std::string& where, const std::string& own_name, bool gzip, int depth,
                  run& r) {
    // A gzip too short or damaged to be taken for one is handed over as it
    // is, bytes that look like a gzip again: say so rather than go round.
    if (gzip && archive_filter_code(reader, 0) != ARCHIVE_FILTER_GZIP) {
        r.report.notes.push_back(labelled(where, "not gzip data"));
        return;
    }
    uint64_t entries = 0;
    la_int64_t packed_told = archive_filter_bytes(reader, -1);
    archive_entry* entry = nullptr;
    for (;;) {
        const int status = archive_read_next_header(reader, &entry);
        if (status == ARCHIVE_EOF) return;
        if (status < ARCHIVE_WARN) {
            const char* why = archive_error_string(reader);
            r.report.notes.push_back(labelled(where, why ? why : "could not be read to its end"));
            return;
        }
        if (++entries > most_entries) {
            r.report.notes.push_back(labelled(where, "refused: it holds more than 100,000 entries"));
            return;
        }
        if (archive_entry_filetype(entry) != AE_IFREG && !gzip) continue;
        const char* raw = archive_entry_pathname(entry);
        const std::string name = gzip ? own_name : entry_name_to_utf8(raw ? raw : "");
        if (!gzip && is_ignored(name)) continue;
        if (archive_entry_size_is_set(entry) && static_cast<uint64_t>(archive_entry_size(entry)) > largest_entry) {
            r.report.notes.push_back(labelled(where, name + ": refused: it unpacks to more than 64 MB"));
            return;
        }
        const std::string label = gzip ? where : labelled(where, name);
        std::string bytes;
        // A picture is skipped unread when its name tells what it is.
        const bool picture = is_picture(name, {});
        const std::string failure =
            picture ? std::string() : read_entry_data(reader, r.unpacked, bytes);
        if (depth == 1) {
            const la_int64_t now = archive_filter_bytes(reader, -1);
            if (now > packed_told) r.packed(static_cast<uint64_t>(now - packed_told));
            packed_told = now;
        }
        if (failure.starts_with("refused")) {
            r.report.notes.push_back(labelled(label, failure));
            return;
        }
        if (!failure.empty()) {
            r.report.notes.push_back(labelled(label, failure));
            continue;
        }
        if (picture || is_picture(name, bytes)) {
            const std::string folder = labelled(where, folder_of(name));
            if (folder != r.last_picture_folder) ++r.report.pictures;
            r.last_picture_folder = folder;
        } else if (!gzip && lower(name).ends_with(".paprikarecipe") && !is_gzip(bytes)) {
            r.report.notes.push_back(labelled(label, "not gzip data"));
        } else if (is_zip(bytes) || is_gzip(bytes)) {
            read_nested(bytes, label, name, depth + 1, r);
        } else if (!r.take(label, base_name(name), bytes)) {
            r.stopped = true;
        }
        if (r.stopped) return;
    }
}

std::string cp437_to_utf8(std::string_view bytes) {
    iconv_t convert = iconv_open("UTF-8", "CP437");
    if (convert == reinterpret_cast<iconv_t>(-1)) return windows_1252_to_utf8(bytes);
    std::string out(bytes.size() * 3, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t in_left = bytes.size(), out_left = out.size();
    char* to = out.data();
    iconv(convert, &in, &in_left, &to, &out_left);
    iconv_close(convert);
    out.resize(out.size() - out_left);
    return out;
}

}  // namespace

bool is_archive(std::string_view start) { return is_zip(start) || is_gzip(start); }

std::string entry_name_to_utf8(std::string_view name) {
    utf8_check check;
    check.add(name);
    const std::string text = check.valid() ? std::string(name) : cp437_to_utf8(name);
    gchar* composed = g_utf8_normalize(text.data(), static_cast<gssize>(text.size()), G_NORMALIZE_NFC);
    if (!composed) return text;
    std::string result(composed);
    g_free(composed);
    return result;
}

archive_report read_archive(const std::string& path, const archive_taker& take,
                            const std::function<void(uint64_t packed)>& packed) {
    const utf8_names names;
    run r{take, packed, {}, 0, {}, false};
    std::string start(4, '\0');
    {
        FILE* file = std::fopen(path.c_str(), "rb");
        if (!file) return {errno, 0, {}};
        start.resize(std::fread(start.data(), 1, start.size(), file));
        std::fclose(file);
    }
    const bool gzip = is_gzip(start);
    archive_ptr reader = new_reader(gzip);
    if (archive_read_open_filename(reader.get(), path.c_str(), block_size) != ARCHIVE_OK) {
        const char* why = archive_error_string(reader.get());
        r.report.notes.push_back(why ? why : "could not be opened as an archive");
        return r.report;
    }
    read_entries(reader.get(), "", "", gzip, 1, r);
    return r.report;
}
