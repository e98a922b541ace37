#include "import_recipes/import_tool.h"

#include <cstring>
#include <filesystem>
#include <new>
#include <optional>

#include "import_recipes/collection_import.h"
#include "import_recipes/file_kind.h"
#include "formats/fit_recipe.h"
#include "shell/progress_line.h"
#include "formats/read_file.h"
#include "formats/text_encoding.h"
#include "shell/directory_walk.h"
#include "shell/collection_lock.h"
#include "shell/services.h"
#include "shell/text.h"

namespace {

const char* const usage = "Usage: import-recipes [--dry-run] [--keep-duplicates] [--verbose] FILE_OR_DIRECTORY...";

struct options {
    bool dry_run = false;
    bool keep_duplicates = false;
    bool verbose = false;  // each file and what became of it, on standard error
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
        } else if (arg == "--verbose") {
            chosen.verbose = true;
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

// Why the run must not start, if it must not: another writer of the index
// holds the collection's lock.
std::optional<std::string> refusal(const std::string& dir, collection_lock& lock) {
    lock_holder holder;
    const int failure = take_collection_lock(dir, "import-recipes", lock, holder);
    if (failure == 0) return std::nullopt;
    const std::string process = " (process " + std::to_string(holder.pid) + ")";
    if (failure != EWOULDBLOCK)
        return dir + "/" + collection_lock_name + " could not be opened: " + std::strerror(failure) +
               ". Nothing was imported.";
    if (holder.program == "larderon") return "Close Larderon first: it has this collection open" + process + ".";
    if (holder.program == "import-recipes")
        return "Another import is running into " + dir + process + ": wait until it has ended.";
    return "Another program holds " + dir + "/" + collection_lock_name + ": nothing was imported.";
}

// Holds the lock for the rest of the run.
struct held_lock {
    collection_lock lock;
    ~held_lock() { release_collection_lock(lock); }
};

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

// A count and the first few names, for a summary line that stays short
// however many there are.
struct named_count {
    static constexpr size_t shown = 10;
    uint64_t count = 0;
    std::vector<std::string> names;

    void add(std::string name) {
        if (count++ < shown) names.push_back(std::move(name));
    }
    // "a, b, c" or "a, b, … and 52 more".
    std::string listed() const {
        std::string text = joined(names, ", ");
        if (count > names.size()) text += ", \u2026 and " + with_thousands(count - names.size()) + " more";
        return text;
    }
};

// The files in which no recipe was found, by what they are.
struct not_recipe_files {
    uint64_t pictures = 0, archives = 0, others = 0;
    named_count all;

    void add(std::string name, file_kind kind) {
        (kind == file_kind::picture ? pictures : kind == file_kind::archive ? archives : others) += 1;
        all.add(std::move(name));
    }
};

const char* reason_for(file_kind kind) {
    return kind == file_kind::picture ? "a picture" : kind == file_kind::archive ? "an archive" : "no recipe found";
}

// The path below the directory argument it was found under; a file named
// as an argument keeps the path as given.
std::string shown_path(const std::string& path, const std::vector<std::string>& args) {
    size_t longest = 0;
    for (const std::string& arg : args) {
        const size_t prefix = arg.ends_with('/') ? arg.size() : arg.size() + 1;
        if (prefix > longest && path.size() > prefix && path.starts_with(arg) && path[prefix - 1] == '/')
            longest = prefix;
    }
    return path.substr(longest);
}

// One run: the recipes of every file go through here into the collection.
class import_run : public recipe_sink {
public:
    import_run(collection_import& collection, const options& chosen, uint64_t most_recipes, progress_line& progress)
        : collection(collection), chosen(chosen), most_recipes(most_recipes), progress(progress) {}

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
    void show_progress() { progress.update(files_done + 1, imported + duplicates + nameless + past_limit, bytes_done); }
    bool stopped() const override { return !failure.empty(); }

    // What a file gave: an archive counts its formats itself, another file
    // holds one format, so all recipes handed over came from it.
    void count_formats(const file_report& report, uint64_t handed_before) {
        pictures += report.pictures;
        if (report.from.empty() && report.recipes) add_from(report.format, handed - handed_before);
        for (const auto& [format, count] : report.from) add_from(format, count);
    }

    uint64_t imported = 0, duplicates = 0, nameless = 0, past_limit = 0, files_done = 0, bytes_done = 0;
    uint64_t handed = 0, pictures = 0;
    std::vector<std::pair<std::string_view, uint64_t>> from;  // recipes read, by format, in the order first met
    named_count shortened, without_directions, without_ingredients;
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
        if (collection.added_count() >= most_recipes) {
            ++past_limit;
            return;
        }
        if (!chosen.keep_duplicates && collection.holds(dish)) {
            ++duplicates;
            return;
        }
        failure = collection.add(dish, bytes);
        if (stopped()) return;
        ++imported;
        if (!cuts.empty()) shortened.add(windows_1252_to_utf8(dish.name) + " (" + joined(cuts, "; ") + ")");
        if (dish.direction_count == 0) without_directions.add(windows_1252_to_utf8(dish.name));
        if (dish.ingredient_count == 0) without_ingredients.add(windows_1252_to_utf8(dish.name));
    }

    collection_import& collection;
    const options& chosen;
    uint64_t most_recipes;
    progress_line& progress;
};

void print_named_count(std::ostream& out, const char* label, const named_count& recipes) {
    if (recipes.count > 0) out << label << with_thousands(recipes.count) << " (" << recipes.listed() << ")\n";
}

void print_not_recipe_files(std::ostream& out, const not_recipe_files& files) {
    if (files.all.count == 0) return;
    std::vector<std::string> kinds;
    auto kind = [&](uint64_t count, const char* one, const char* many) {
        if (count > 0) kinds.push_back(with_thousands(count) + " " + (count == 1 ? one : many));
    };
    kind(files.pictures, "picture", "pictures");
    kind(files.archives, "archive", "archives");
    kind(files.others, "other", "others");
    out << "Not recipe files: " << with_thousands(files.all.count) << " \u2014 " << joined(kinds, ", ") << ": "
        << files.all.listed() << "\n";
}

// A dry run says what a run would do, in the same lines.
void print_summary(std::ostream& out, const options& chosen, const import_run& run, uint64_t recipe_files,
                   const std::string& dir, const not_recipe_files& not_recipes) {
    const bool dry = chosen.dry_run;
    out << (dry ? "Would import " : "Imported ") << with_thousands(run.imported) << " recipes from "
        << with_thousands(recipe_files) << (recipe_files == 1 ? " file" : " files") << " into " << dir << ".\n";
    if (run.duplicates + run.nameless > 0)
        out << (dry ? "Would skip " : "Skipped ") << with_thousands(run.duplicates) << " already in the collection, "
            << with_thousands(run.nameless) << " without a name.\n";
    if (run.past_limit > 0)
        out << (dry ? "Would leave out " : "Left out ") << with_thousands(run.past_limit) << " recipes past the "
            << with_thousands(run.imported) << " one run imports: run import-recipes again with the same files"
            << " for them.\n";
    if (run.shortened.count > 0)
        out << (dry ? "Would shorten " : "Shortened ") << with_thousands(run.shortened.count) << " to fit: "
            << run.shortened.listed() << "\n";
    print_named_count(out, "Without directions: ", run.without_directions);
    print_named_count(out, "Without ingredients: ", run.without_ingredients);
    print_not_recipe_files(out, not_recipes);
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

    // A dry run writes nothing, so it needs no lock.
    held_lock lock;
    std::optional<std::string> reason = chosen.dry_run ? std::nullopt : refusal(setup.collection_dir, lock.lock);
    if (reason) {
        setup.err << *reason << '\n';
        return 1;
    }

    // Paths count from where the tool was started, not from its directory.
    std::error_code unknown;
    const std::filesystem::path start_dir = std::filesystem::current_path(unknown);
    // The files are walked twice, to count them for the progress line and then
    // to read each as it is reached, so that no list of them all is kept.
    uint64_t total_files = 0, total_bytes = 0;
    const std::vector<walk_failure> failures = walk_paths(chosen.paths, start_dir, [&](const walked_file& file) {
        ++total_files;
        total_bytes += file.size;
        return true;
    });
    bool failed = !failures.empty();
    for (const walk_failure& failure : failures) setup.err << read_failure(failure.path, failure.error, 0) << '\n';

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

    uint64_t recipe_files = 0;
    progress_line progress(setup.err, setup.show_progress, total_files, total_bytes);
    import_run run(collection, chosen, setup.most_recipes, progress);
    not_recipe_files not_recipes;
    auto tell = [&](const std::string& path, const std::string& what) {
        if (!chosen.verbose) return;
        progress.finish();  // the line goes on a line of its own
        setup.err << path << ": " << what << '\n';
    };
    // What could not be read was told on the first walk.
    walk_paths(chosen.paths, start_dir, [&](const walked_file& file) {
        const std::string shown = shown_path(file.path, chosen.paths);
        if (!file.regular) {
            not_recipes.add(shown, file_kind::other);
            tell(file.path, "not a recipe file: not a regular file");
            return true;
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
        if (report.recipes) {
            ++recipe_files;
            tell(file.path, with_thousands(run.handed - handed_before) + " recipes");
        } else if (report.error == 0 && report.notes.empty()) {
            const file_kind kind = kind_of_file(path);
            not_recipes.add(shown, kind);
            tell(file.path, std::string("not a recipe file: ") + reason_for(kind));
        }
        if (run.stopped()) return false;
        ++run.files_done;
        run.show_progress();
        return true;
    });
    progress.finish();

    std::string failure = run.failure;
    if (failure.empty()) failure = collection.finish();
    else collection.abandon();
    if (!failure.empty()) {
        setup.err << failure << " Nothing was imported.\n";
        return 1;
    }
    print_summary(setup.out, chosen, run, recipe_files, dir, not_recipes);
    print_origins(setup.out, run);
    return failed || run.past_limit > 0 ? 1 : 0;
}
