#include "export_recipes/export_tool.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <span>

#include "formats/cookbook_html.h"
#include "formats/mealmaster_writer.h"
#include "formats/nextcloud_writer.h"
#include "formats/schema_org_writer.h"
#include "formats/text_encoding.h"
#include "shell/files.h"
#include "shell/progress_line.h"
#include "shell/services.h"
#include "shell/text.h"
#include "storage/recipe.h"
#include "storage/recipe_index.h"

namespace {

const char* const usage = "Usage: export-recipes [--favourites] [--format json|nextcloud|mealmaster|html] OUT";

enum class export_format { json, nextcloud, mealmaster, html };

struct options {
    bool favourites = false;
    std::optional<export_format> format;
    std::string out;
};

std::optional<export_format> format_named(const std::string& name) {
    if (name == "json") return export_format::json;
    if (name == "nextcloud") return export_format::nextcloud;
    if (name == "mealmaster") return export_format::mealmaster;
    if (name == "html") return export_format::html;
    return std::nullopt;
}

std::optional<export_format> format_of_ending(const std::string& path) {
    std::string ending = std::filesystem::path(path).extension().string();
    for (char& c : ending) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ending == ".json") return export_format::json;
    if (ending == ".zip") return export_format::nextcloud;
    if (ending == ".mmf" || ending == ".mm" || ending == ".txt") return export_format::mealmaster;
    if (ending == ".html" || ending == ".htm") return export_format::html;
    return std::nullopt;
}

int usage_error(const export_setup& setup, const std::string& problem) {
    setup.err << "export-recipes: " << problem << '\n' << usage << '\n';
    return 2;
}

// The options, or the exit status of a usage error (or of --help).
std::optional<int> parse_options(const std::vector<std::string>& args, options& chosen, const export_setup& setup) {
    std::vector<std::string> outs;
    bool options_end = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options_end || arg.size() < 2 || arg[0] != '-') {
            outs.push_back(arg);
        } else if (arg == "--") {
            options_end = true;
        } else if (arg == "--favourites") {
            chosen.favourites = true;
        } else if (arg == "--format" || arg.starts_with("--format=")) {
            std::string name = arg == "--format" ? (i + 1 < args.size() ? args[++i] : "") : arg.substr(9);
            if (!(chosen.format = format_named(name))) return usage_error(setup, "unknown format \"" + name + "\"");
        } else if (arg == "--help") {
            setup.out << usage << '\n';
            return 0;
        } else {
            return usage_error(setup, "unknown option " + arg);
        }
    }
    if (outs.size() != 1) return usage_error(setup, outs.empty() ? "no OUT given" : "more than one OUT given");
    chosen.out = outs[0];
    if (!chosen.format && !(chosen.format = format_of_ending(chosen.out)))
        return usage_error(setup, "the ending of " + chosen.out + " names no format; give --format");
    return std::nullopt;
}

// The file being written: its bytes gather in memory and go to the
// temporary file a megabyte at a time.
class output {
public:
    ~output() {
        if (file.fd >= 0) abandon_replacement(file);
    }
    int open(const std::string& target) { return begin_replacement(target, file); }
    std::string& bytes() { return buffer; }
    // 0 or the system's error number; a failure stays.
    int flush_if_full() { return buffer.size() >= chunk ? flush() : failure; }
    int flush() {
        if (failure == 0 && !buffer.empty()) failure = write_replacement(file, buffer.data(), buffer.size());
        buffer.clear();
        return failure;
    }
    int commit() {
        if (flush() != 0) return failure;
        return failure = commit_replacement(file);
    }

private:
    static constexpr size_t chunk = size_t{1} << 20;
    file_replacement file;
    std::string buffer;
    int failure = 0;
};

// One format's writer over the output; add and finish give 0 or the
// system's error number.
class recipe_writer {
public:
    explicit recipe_writer(output& to) : to(to) {}
    virtual ~recipe_writer() = default;
    virtual void start(std::span<const index_entry>) {}
    virtual int add(const recipe& dish, size_t number) = 0;
    virtual void add_gap(const index_entry&, size_t) {}
    virtual int finish() { return 0; }

protected:
    output& to;
};

class json_writer : public recipe_writer {
public:
    using recipe_writer::recipe_writer;
    int add(const recipe& dish, size_t) override {
        to.bytes() += first ? "[\n" : ",\n";
        first = false;
        append_schema_org_recipe(to.bytes(), dish);
        return to.flush_if_full();
    }
    int finish() override {
        to.bytes() += first ? "[]\n" : "\n]\n";
        return 0;
    }

private:
    bool first = true;
};

class nextcloud_writer : public recipe_writer {
public:
    explicit nextcloud_writer(output& to)
        : recipe_writer(to), zip([&to](std::string_view bytes) {
              to.bytes().append(bytes);
              return to.flush_if_full();
          }) {}
    int add(const recipe& dish, size_t) override { return zip.add(dish); }
    int finish() override { return zip.finish(); }

private:
    nextcloud_zip zip;
};

class mealmaster_writer : public recipe_writer {
public:
    using recipe_writer::recipe_writer;
    int add(const recipe& dish, size_t) override {
        append_mealmaster_recipe(to.bytes(), dish);
        return to.flush_if_full();
    }
};

class cookbook_writer : public recipe_writer {
public:
    using recipe_writer::recipe_writer;
    void start(std::span<const index_entry> listed) override { append_cookbook_start(to.bytes(), listed); }
    int add(const recipe& dish, size_t number) override {
        append_cookbook_recipe(to.bytes(), dish, number);
        return to.flush_if_full();
    }
    void add_gap(const index_entry& entry, size_t number) override {
        append_cookbook_gap(to.bytes(), entry, number);
    }
    int finish() override {
        append_cookbook_end(to.bytes());
        return 0;
    }
};

std::unique_ptr<recipe_writer> writer_for(export_format format, output& to) {
    switch (format) {
        case export_format::json: return std::make_unique<json_writer>(to);
        case export_format::nextcloud: return std::make_unique<nextcloud_writer>(to);
        case export_format::mealmaster: return std::make_unique<mealmaster_writer>(to);
        case export_format::html: return std::make_unique<cookbook_writer>(to);
    }
    return nullptr;
}

std::string reason(int error) {
    return std::strerror(error);
}

struct run_result {
    uint64_t exported = 0;
    bool skipped = false;  // a listed recipe file could not be read
    int failure = 0;       // the output could not be written
};

// Every listed recipe, each file read once, into the writer.
run_result write_recipes(std::span<const index_entry> listed, recipe_writer& writer, const export_setup& setup) {
    run_result run;
    progress_line progress(setup.err, setup.show_progress, listed.size(), listed.size());
    writer.start(listed);
    for (size_t i = 0; i < listed.size() && run.failure == 0; ++i) {
        const index_entry& entry = listed[i];
        int failure = EINVAL;  // a name that leads out of the collection counts as missing
        recipe dish;
        if (is_safe_file_name(entry.file_name)) {
            dish = read_recipe(entry.file_name);
            failure = last_error();
        }
        if (failure != 0) {
            progress.finish();
            setup.err << setup.collection_dir << '/' << windows_1252_to_utf8(entry.file_name) << " could not be read ("
                      << reason(failure) << "): " << windows_1252_to_utf8(entry.name) << " was left out.\n";
            writer.add_gap(entry, i + 1);
            run.skipped = true;
        } else {
            run.failure = writer.add(dish, i + 1);
            if (run.failure == 0) ++run.exported;
        }
        progress.update(i + 1, run.exported, i + 1);
    }
    progress.finish();
    if (run.failure == 0) run.failure = writer.finish();
    return run;
}

}  // namespace

int export_recipes(const std::vector<std::string>& args, const export_setup& setup) {
    options chosen;
    if (std::optional<int> status = parse_options(args, chosen, setup)) return *status;

    // OUT counts from where the tool was started, not from its directory.
    std::error_code unknown;
    const std::string target = std::filesystem::absolute(chosen.out, unknown).string();
    const std::string& dir = setup.collection_dir;
    change_dir(dir);
    if (last_error() != 0) {
        setup.err << dir << " could not be read: " << reason(last_error()) << ".\n";
        return 1;
    }
    const std::string index_name = chosen.favourites ? "favs.ldr" : "default.ldr";
    const int count = load_index(index_name);
    if (last_error() != 0 && last_error() != ENOENT) {
        setup.err << dir << '/' << index_name << " could not be read: " << reason(last_error()) << ".\n";
        return 1;
    }
    const std::span<const index_entry> listed =
        count > 0 ? std::span<const index_entry>(&recipe_index()[1], static_cast<size_t>(count)) : std::span<const index_entry>();

    output file;
    int failure = file.open(target);
    run_result run;
    try {
        if (failure == 0) {
            std::unique_ptr<recipe_writer> writer = writer_for(*chosen.format, file);
            run = write_recipes(listed, *writer, setup);
        }
        if (failure == 0) failure = run.failure;
        if (failure == 0) failure = file.commit();
    } catch (const std::bad_alloc&) {
        failure = ENOMEM;
    }
    if (failure != 0) {
        setup.err << chosen.out << " could not be written: " << reason(failure) << ". Nothing was exported.\n";
        return 1;
    }
    setup.out << "Exported " << with_thousands(run.exported) << (run.exported == 1 ? " recipe" : " recipes")
              << " to " << chosen.out << ".\n";
    return run.skipped ? 1 : 0;
}
