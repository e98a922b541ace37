// import-recipes at scale: 10,000 recipes from one generated MealMaster file,
// a Paprika bundle (a zip of gzipped JSON) and a Tandoor export (a zip of
// zips) into a collection that already holds 10,000, next to the floor that
// any safe bulk import has to pay (the same 10,000 recipe files' bytes
// written, one syncfs, one durable rewrite of the 20,000-entry index), and
// next to adding 100 of them one by one through add_to_default_index.
//
// `import_bench --make-mealmaster FILE MB` writes a generated MealMaster file
// of about that size instead, and `import_bench --make-paprika FILE MB` a
// Paprika bundle with a picture in each recipe, for measuring the tool's
// peak memory.
#include <archive.h>
#include <archive_entry.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <sstream>

#include "import_recipes/import_tool.h"
#include "storage/recipe.h"
#include "storage/recipe_index.h"

namespace fs = std::filesystem;

namespace {

constexpr int recipe_count = 10000;

const char* const dishes[] = {"Apple pie", "Lentil soup", "Chicken curry", "Banana bread", "Pancakes",
                              "Tomato sauce", "Zucchini fritters", "Beef stew", "Lemon curd", "Mint tea"};

std::string ingredient(const char* amount, const char* unit, const std::string& text) {
    char line[64];
    std::snprintf(line, sizeof line, "%7s %-2s %s", amount, unit, text.c_str());
    return line;
}

// One card as MealMaster writes it: two-column ingredients, a continuation,
// a heading, two paragraphs of directions. About 1,300 bytes.
std::string mealmaster_card(long number) {
    const std::string n = std::to_string(number);
    std::string card = "MMMMM----- Recipe via Meal-Master (tm) v8.05\n \n      Title: " +
                       std::string(dishes[number % 10]) + " " + n +
                       "\n Categories: Main dish, Family\n      Yield: 4 servings\n \n";
    for (int i = 0; i < 5; ++i) {
        std::string left = ingredient("1 1/2", "c", "Flour " + std::to_string(i) + "; sifted");
        left.resize(41, ' ');
        card += left + ingredient("2", "tb", "Butter " + std::to_string(i)) + "\n";
    }
    card += ingredient("", "", "-softened at room temperature") + "\n";
    card += "MMMMM--------------------------SAUCE--------------------------\n";
    card += ingredient("1", "cn", "Tomatoes; (28 oz) crushed, with their juice") + "\n";
    card += ingredient("", "", "Salt and pepper to taste") + "\n \n";
    card += "  Heat the oven to 350 F. Mix the flour with the butter until it looks like\n"
            "  coarse crumbs, then stir in the tomatoes and season with salt and pepper.\n"
            "  Pour into a greased dish, number " + n + ".\n \n"
            "  Bake for 45 minutes until golden and bubbling at the edges. Let it rest\n"
            "  for ten minutes before serving with a green salad.\n \nMMMMM\n\n";
    return card;
}

void write_mealmaster(const fs::path& path, long cards, long first = 0) {
    std::ofstream out(path, std::ios::binary);
    for (long i = 0; i < cards; ++i) out << mealmaster_card(first + i);
}

// The same recipe as the card, as JSON of Paprika and of Tandoor.
nlohmann::json paprika_recipe(long number, const std::string& picture) {
    const std::string n = std::to_string(number);
    std::string ingredients;
    for (int i = 0; i < 5; ++i)
        ingredients += "1 1/2 c Flour " + std::to_string(i) + "; sifted\n2 tb Butter " + std::to_string(i) + "\n";
    ingredients += "SAUCE:\n1 can Tomatoes (28 oz), crushed\nSalt and pepper to taste";
    return {{"uid", "B-" + n}, {"name", std::string(dishes[number % 10]) + " " + n}, {"servings", "4"},
            {"source", "Bench"}, {"source_url", ""}, {"ingredients", ingredients},
            {"directions", "1. Heat the oven to 350 F. Mix the flour with the butter until it looks like coarse crumbs, "
                           "then stir in the tomatoes and season.\n\n2. Bake for 45 minutes, number " + n + "."},
            {"notes", ""}, {"categories", {"Main dish"}}, {"photo_data", picture}};
}

nlohmann::json tandoor_recipe(long number) {
    const std::string n = std::to_string(number);
    nlohmann::json ingredients = nlohmann::json::array();
    for (int i = 0; i < 5; ++i) {
        ingredients.push_back({{"food", {{"name", "Flour " + std::to_string(i)}}}, {"unit", {{"name", "c"}}},
                               {"amount", 1.5}, {"note", "sifted"}, {"is_header", false}});
        ingredients.push_back({{"food", {{"name", "Butter " + std::to_string(i)}}}, {"unit", {{"name", "tb"}}},
                               {"amount", 2}, {"note", ""}, {"is_header", false}});
    }
    ingredients.push_back({{"food", nullptr}, {"unit", nullptr}, {"amount", 0}, {"note", "Sauce"}, {"is_header", true}});
    return {{"name", std::string(dishes[number % 10]) + " " + n}, {"description", ""}, {"servings", 4},
            {"servings_text", ""}, {"working_time", 15}, {"waiting_time", 45}, {"internal", true},
            {"steps", {{{"name", ""}, {"order", 0}, {"ingredients", ingredients},
                        {"instruction", "Heat the oven to 350 F. Mix the flour with the butter.\n\n"
                                        "Bake for 45 minutes, number " + n + "."}}}}};
}

// Zips (or gzips) entries, into memory or, as they come, into a file, so
// that an export of any size can be made.
class packer {
public:
    explicit packer(bool gzip, const fs::path& file = {}) : writer(archive_write_new()) {
        if (gzip) {
            archive_write_set_format_raw(writer);
            archive_write_add_filter_gzip(writer);
        } else {
            archive_write_set_format_zip(writer);
            // The entries are packed already.
            if (!file.empty()) archive_write_set_options(writer, "zip:compression=store");
        }
        archive_write_set_bytes_in_last_block(writer, 1);
        if (file.empty()) archive_write_open(writer, &bytes, nullptr, append, nullptr);
        else archive_write_open_filename(writer, file.c_str());
    }
    ~packer() { archive_write_free(writer); }

    void add(const std::string& name, const std::string& data) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, name.c_str());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, static_cast<la_int64_t>(data.size()));
        archive_write_header(writer, entry);
        archive_write_data(writer, data.data(), data.size());
        archive_entry_free(entry);
    }
    std::string finish() {
        archive_write_close(writer);
        return std::move(bytes);
    }

private:
    static la_ssize_t append(archive*, void* to, const void* data, size_t size) {
        static_cast<std::string*>(to)->append(static_cast<const char*>(data), size);
        return static_cast<la_ssize_t>(size);
    }
    archive* writer;
    std::string bytes;
};

std::string gzipped(const std::string& text) {
    packer gzip(true);
    gzip.add("data", text);
    return gzip.finish();
}

// A small picture's worth of base64 that does not pack, 12 KB a recipe.
std::string picture(std::mt19937& random) {
    static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text(16384, 'A');
    for (char& c : text) c = digits[random() % 64];
    return text;
}

void write_paprika(const fs::path& path, long recipes, bool pictures) {
    std::mt19937 random(7);
    packer bundle(false, path);
    for (long i = 0; i < recipes; ++i)
        bundle.add("Recipes/Recipe " + std::to_string(i) + ".paprikarecipe",
                   gzipped(paprika_recipe(i, pictures ? picture(random) : "").dump()));
    bundle.finish();
}

void write_tandoor(const fs::path& path, long recipes) {
    packer bundle(false, path);
    for (long i = 0; i < recipes; ++i) {
        packer inner(false);
        inner.add("recipe.json", tandoor_recipe(i).dump());
        bundle.add(std::to_string(i) + ".zip", inner.finish());
    }
    bundle.finish();
}

std::ostream& nowhere() {
    static std::ostringstream sink;
    sink.str("");
    return sink;
}

int import_into(const fs::path& collection, const fs::path& file) {
    const fs::path start = fs::current_path();
    int status = import_recipes({file.string()}, {collection.string(), nowhere(), nowhere(), false});
    fs::current_path(start);
    return status;
}

// A collection of 10,000 recipes, imported once, and the generated file of
// 10,000 more; restored to that state after each run.
struct bench_collection {
    fs::path root = fs::temp_directory_path() / ("import_bench_" + std::to_string(::getpid()));
    fs::path dir = root / "Larderon";
    fs::path cards = root / "cards.mmf";
    fs::path paprika = root / "bundle.paprikarecipes";
    fs::path tandoor = root / "export.zip";
    std::set<std::string> kept;
    std::string index;

    bench_collection() {
        fs::remove_all(root);
        fs::create_directories(dir);
        write_mealmaster(root / "listed.mmf", recipe_count, 1000000);
        write_mealmaster(cards, recipe_count);
        write_paprika(paprika, recipe_count, false);
        write_tandoor(tandoor, recipe_count);
        import_into(dir, root / "listed.mmf");
        fs::remove(dir / "default.bak");
        for (const auto& entry : fs::directory_iterator(dir)) kept.insert(entry.path().filename().string());
        std::ostringstream bytes;
        bytes << std::ifstream(dir / "default.ldr", std::ios::binary).rdbuf();
        index = bytes.str();
    }
    ~bench_collection() { fs::remove_all(root); }

    // The files added since, with their bytes.
    std::vector<std::pair<std::string, std::string>> added() {
        std::vector<std::pair<std::string, std::string>> files;
        for (const auto& entry : fs::directory_iterator(dir)) {
            const std::string name = entry.path().filename().string();
            if (kept.contains(name) || name == "default.bak") continue;
            std::ostringstream bytes;
            bytes << std::ifstream(entry.path(), std::ios::binary).rdbuf();
            files.emplace_back(name, bytes.str());
        }
        return files;
    }

    void restore() {
        for (const auto& entry : fs::directory_iterator(dir))
            if (!kept.contains(entry.path().filename().string())) fs::remove(entry.path());
        std::ofstream(dir / "default.ldr", std::ios::binary) << index;
        ::sync();
    }
};

bench_collection& shared_collection() {
    static bench_collection collection;
    return collection;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The floor: each recipe file's bytes written with plain calls, one syncfs,
// then the 20,000-entry index written to a temporary file, flushed, renamed
// over the index and the directory flushed.
double run_floor(bench_collection& collection, const std::vector<std::pair<std::string, std::string>>& files,
                 const std::string& index) {
    const auto start = std::chrono::steady_clock::now();
    const int dir_fd = ::open(collection.dir.c_str(), O_RDONLY | O_DIRECTORY);
    for (const auto& [name, bytes] : files) {
        const int fd = ::openat(dir_fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
        ::close(fd);
    }
    ::syncfs(dir_fd);
    const int fd = ::openat(dir_fd, ".default.tmp", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, index.data(), index.size()) != static_cast<ssize_t>(index.size()) || ::fsync(fd) != 0 ||
        ::close(fd) != 0 || ::renameat(dir_fd, ".default.tmp", dir_fd, "default.ldr") != 0 || ::fsync(dir_fd) != 0)
        std::abort();
    ::close(dir_fd);
    return seconds_since(start);
}

// Both in every iteration, so that the ratio compares runs under the same
// load of a shared machine.
void import_against_floor(benchmark::State& state, const fs::path& file) {
    bench_collection& collection = shared_collection();
    if (import_into(collection.dir, file) != 0) state.SkipWithError("the import failed");
    const auto files = collection.added();
    std::ostringstream bytes;
    bytes << std::ifstream(collection.dir / "default.ldr", std::ios::binary).rdbuf();
    const std::string index = bytes.str();
    collection.restore();
    double floor = 0, import = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (import_into(collection.dir, file) != 0) state.SkipWithError("the import failed");
        const double took = seconds_since(start);
        import += took;
        state.SetIterationTime(took);
        collection.restore();
        floor += run_floor(collection, files, index);
        collection.restore();
    }
    state.counters["floor_s"] = floor / static_cast<double>(state.iterations());
    state.counters["import_s"] = import / static_cast<double>(state.iterations());
    state.counters["ratio"] = import / floor;
}

void bm_import_against_floor(benchmark::State& state) { import_against_floor(state, shared_collection().cards); }
void bm_paprika_against_floor(benchmark::State& state) { import_against_floor(state, shared_collection().paprika); }
void bm_tandoor_against_floor(benchmark::State& state) { import_against_floor(state, shared_collection().tandoor); }

// 100 recipes added one by one, each with a backup, a load, a sort and a
// rewrite of the index; the time scaled to 10,000.
void bm_add_one_by_one(benchmark::State& state) {
    bench_collection& collection = shared_collection();
    const fs::path start = fs::current_path();
    double took = 0;
    for (auto _ : state) {
        fs::current_path(collection.dir);
        const auto begun = std::chrono::steady_clock::now();
        for (int i = 0; i < 100; ++i) {
            make_recipe_index_room(recipe_count * 2);
            add_to_default_index({"Added " + std::to_string(i), "", "cards.mmf", std::to_string(i) + ".rcp"});
        }
        took += seconds_since(begun);
        state.SetIterationTime(seconds_since(begun));
        fs::current_path(start);
        collection.restore();
    }
    state.counters["scaled_to_10000_s"] = took / static_cast<double>(state.iterations()) * 100;
}

}  // namespace

BENCHMARK(bm_import_against_floor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(bm_paprika_against_floor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(bm_tandoor_against_floor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(bm_add_one_by_one)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--make-mealmaster") == 0) {
        const long cards = std::atol(argv[3]) * (1L << 20) / static_cast<long>(mealmaster_card(0).size());
        write_mealmaster(argv[2], cards);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "--make-paprika") == 0) {
        // Some 13,000 bytes a recipe, packed: a 1 GB bundle stays under 100,000 entries.
        const long recipes = std::atol(argv[3]) * (1L << 20) / 13000;
        write_paprika(argv[2], recipes, true);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
