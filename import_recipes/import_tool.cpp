#include "import_recipes/import_tool.h"

#include <cstring>
#include <filesystem>
#include <new>

#include "import_recipes/collection_import.h"
#include "formats/fit_recipe.h"
#include "shell/progress_line.h"
#include "formats/read_file.h"
#include "formats/text_encoding.h"
#include "shell/directory_walk.h"
#include "shell/process_list.h"
#include "shell/services.h"
#include "shell/text.h"

namespace {

const char* const usage = "Usage: import-recipes [--dry-run] [--keep-duplicates] FILE_OR_DIRECTORY...";

struct options {
    bool dry_run = false;
    bool keep_duplicates = false;
    std::vector<std::string> paths;
};

// The options, or the exit status of a usage error (or of --help).
std::optional<int> parse_options(const std::vector<std::string>& args, options& chosen, const import_setup& setup) {
    bool options_end = false;
    for (const std::string& arg : args) {
        if (options_end || arg.size() < 2 || arg[0] != '-') {
            chosen.paths.push_back(arg);
        } else if (arg == "--") {
            options_end = true;
        } else if (arg == "--dry-run") {
            chosen.dry_run = true;
        } else if (arg == "--keep-duplicates") {
            chosen.keep_duplicates = true;
        } else if (arg == "--help") {
            setup.out << usage << '\n';
            return 0;
        } else {
            setup.err << "import-recipes: unknown option " << arg << '\n' << usage << '\n';
            return 2;
        }
    }
    if (chosen.paths.empty()) {
        setup.err << usage << '\n';
        return 2;
    }
    return std::nullopt;
}

// Why the run must not start, if it must not: another writer of the index.
std::optional<std::string> refusal(const import_setup& setup) {
    if (!setup.process_names)
        return "The running programs could not be listed, so Larderon may be running: nothing was imported.";
    if (find_text(*setup.process_names, "larderon") > 0) return "Close Larderon first: it may be writing its index.";
    if (another_copy_running(*setup.process_names, setup.own_name))
        return "Another import-recipes is running: wait until it has ended.";
    return std::nullopt;
}

std::string file_name_of(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

std::string read_failure(const std::string& path, int error, uint64_t limit) {
    if (error == EFBIG) return path + " could not be read: it is larger than " + with_thousands(limit >> 20) + " MB.";
    return path + " could not be read: " + std::strerror(error) + ".";
}

std::string joined(const std::vector<std::string>& items, const char* between) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) text += (i > 0 ? between : "") + items[i];
    return text;
}

bool is_blank(const std::string& text) {
    return text.find_first_not_of(' ') == std::string::npos;
}

// One run: the recipes of every file go through here into the collection.
class import_run : public recipe_sink {
public:
    import_run(collection_import& collection, const options& chosen, progress_line& progress)
        : collection(collection), chosen(chosen), progress(progress) {}

    void take_found(const found_recipe& found, const left_out& extra) override {
        ++handed;
        fitted_recipe fitted = fit_recipe(found, extra);
        take(fitted.dish, recipe_file_bytes(fitted.dish), fitted.cuts);
    }
    void take_as_is(const recipe& dish, std::string_view bytes) override {
        ++handed;
        take(dish, bytes, {});
    }
    void bytes_read(uint64_t count) override {
        bytes_done += count;
        show_progress();
    }
    // The file being read counts as one of those reached.
    void show_progress() { progress.update(files_done + 1, imported + duplicates + nameless, bytes_done); }
    bool stopped() const override { return !failure.empty(); }

    // What a file gave: an archive counts its formats itself, another file
    // holds one format, so all recipes handed over came from it.
    void count_formats(const file_report& report, uint64_t handed_before) {
        pictures += report.pictures;
        if (report.from.empty() && report.recipes) add_from(report.format, handed - handed_before);
        for (const auto& [format, count] : report.from) add_from(format, count);
    }

    uint64_t imported = 0, duplicates = 0, nameless = 0, files_done = 0, bytes_done = 0;
    uint64_t handed = 0, pictures = 0;
    std::vector<std::pair<std::string_view, uint64_t>> from;  // recipes read, by format, in the order first met
    std::vector<std::string> shortened;
    std::string failure;  // why the run stopped

private:
    void add_from(std::string_view format, uint64_t count) {
        if (count == 0) return;
        for (auto& [name, total] : from)
            if (name == format) return void(total += count);
        from.emplace_back(format, count);
    }

    void take(const recipe& dish, std::string_view bytes, const std::vector<std::string>& cuts) {
        if (stopped()) return;
        if (is_blank(dish.name)) {
            ++nameless;
            return;
        }
        if (!chosen.keep_duplicates && collection.holds(dish)) {
            ++duplicates;
            return;
        }
        failure = collection.add(dish, bytes);
        if (stopped()) return;
        ++imported;
        if (!cuts.empty()) shortened.push_back(windows_1252_to_utf8(dish.name) + " (" + joined(cuts, "; ") + ")");
    }

    collection_import& collection;
    const options& chosen;
    progress_line& progress;
};

void print_summary(std::ostream& out, const import_run& run, uint64_t recipe_files, const std::string& dir,
                   const std::vector<std::string>& not_recipes) {
    out << "Imported " << with_thousands(run.imported) << " recipes from " << with_thousands(recipe_files)
        << (recipe_files == 1 ? " file" : " files") << " into " << dir << ".\n";
    if (run.duplicates + run.nameless > 0)
        out << "Skipped " << with_thousands(run.duplicates) << " already in the collection, "
            << with_thousands(run.nameless) << " without a name.\n";
    if (!run.shortened.empty())
        out << "Shortened " << with_thousands(run.shortened.size()) << " to fit: " << joined(run.shortened, ", ")
            << "\n";
    if (!not_recipes.empty()) out << "Not recipe files: " << joined(not_recipes, ", ") << "\n";
}

// The formats the recipes came from, so that each export is seen understood,
// and the pictures left behind.
void print_origins(std::ostream& out, const import_run& run) {
    for (size_t i = 0; i < run.from.size(); ++i)
        out << (i == 0 ? "From " : ", from ") << run.from[i].first << ' ' << with_thousands(run.from[i].second)
            << (i + 1 == run.from.size() ? ".\n" : "");
    if (run.pictures > 0) out << "Pictures not kept: " << with_thousands(run.pictures) << "\n";
}

}  // namespace

int import_recipes(const std::vector<std::string>& args, const import_setup& setup) {
    options chosen;
    if (std::optional<int> status = parse_options(args, chosen, setup)) return *status;
    if (std::optional<std::string> reason = refusal(setup)) {
        setup.err << *reason << '\n';
        return 1;
    }

    // Paths count from where the tool was started, not from its directory.
    std::error_code unknown;
    const std::filesystem::path start_dir = std::filesystem::current_path(unknown);
    walk_result walk = walk_paths(chosen.paths);
    bool failed = !walk.failures.empty();
    for (const walk_failure& failure : walk.failures) setup.err << read_failure(failure.path, failure.error, 0) << '\n';

    const std::string& dir = setup.collection_dir;
    change_dir(dir);
    if (last_error() != 0) {
        setup.err << read_failure(dir, last_error(), 0) << '\n';
        return 1;
    }
    collection_import collection(dir, chosen.dry_run);
    if (std::string failure = collection.open(); !failure.empty()) {
        setup.err << failure << '\n';
        return 1;
    }

    uint64_t total_bytes = 0, recipe_files = 0;
    for (const walked_file& file : walk.files) total_bytes += file.size;
    progress_line progress(setup.err, setup.show_progress, walk.files.size(), total_bytes);
    import_run run(collection, chosen, progress);
    std::vector<std::string> not_recipes;
    for (const walked_file& file : walk.files) {
        if (!file.regular) {
            not_recipes.push_back(file.path);
            continue;
        }
        const std::string path = (start_dir / file.path).string();
        file_report report;
        const uint64_t handed_before = run.handed;
        try {
            report = read_recipes_from(path, file_name_of(file.path), run);
        } catch (const std::bad_alloc&) {
            report.error = ENOMEM;
        } catch (const std::exception& failure) {
            report.notes.push_back(std::string("could not be read: ") + failure.what());
        }
        if (report.error != 0 || !report.notes.empty()) {
            failed = true;
            progress.finish();  // the message goes on a line of its own
        }
        if (report.error != 0) setup.err << read_failure(file.path, report.error, report.limit) << '\n';
        for (const std::string& note : report.notes) setup.err << file.path << ": " << note << '\n';
        run.count_formats(report, handed_before);
        if (report.recipes) ++recipe_files;
        else if (report.error == 0 && report.notes.empty()) not_recipes.push_back(file.path);
        if (run.stopped()) break;
        ++run.files_done;
        run.show_progress();
    }
    progress.finish();

    std::string failure = run.failure;
    if (failure.empty()) failure = collection.finish();
    else collection.abandon();
    if (!failure.empty()) {
        setup.err << failure << " Nothing was imported.\n";
        return 1;
    }
    print_summary(setup.out, run, recipe_files, dir, not_recipes);
    print_origins(setup.out, run);
    return failed ? 1 : 0;
}
