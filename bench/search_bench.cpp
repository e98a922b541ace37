// The ingredient search's own work over 10,000 recipe files (reading each
// file's ingredients and counting the matching lines) with 0, 1 and 10
// terms, next to the floor that any search of the files has to pay: opening,
// reading and closing each file whole with plain system calls.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "screens/search_recipes.h"
#include "storage/recipe.h"
#include "storage/recipe_index.h"

namespace fs = std::filesystem;

namespace {

constexpr int recipe_count = 10000;

// Words with some Windows-1252 letters (é, è, ñ, ü, ß, œ in their bytes).
const std::vector<std::string> words = {
    "cup",   "flour",  "sugar",      "butter",  "egg",    "eggs",       "salt",   "pepper", "milk",
    "cream", "cr\xE8me", "fra\xEE" "che", "jalape\xF1o", "m\xFCsli", "stra\xDF" "e", "\x9C" "uf", "tomato", "onion",
    "garlic", "sifted", "chopped",  "fresh",   "large",  "tablespoon", "teaspoon", "of",    "and",
    "to taste", "finely", "ground", "olive oil", "lemon", "vanilla", "Caf\xE9", "cinnamon", "yeast"};

std::string random_text(std::mt19937& random, int low, int high) {
    const int length = low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
    std::string text;
    while (static_cast<int>(text.size()) < length) {
        if (!text.empty()) text += random() % 6 == 0 ? ", " : " ";  // some quoted commas
        text += words[random() % words.size()];
    }
    text.resize(static_cast<size_t>(length));
    while (!text.empty() && (text.back() == ' ' || text.back() == ',')) text.back() = 'x';
    return text;
}

void add_line(std::string& bytes, const std::string& text) { bytes += "\"" + text + "\"\r\n"; }

// One recipe file of 0.5 to 3 KB: 5..25 ingredients of 10..60 bytes (a
// tenth have 40..50) and 3..15 direction lines of 40..200 bytes.
std::string recipe_file_bytes(std::mt19937& random, int number) {
    const bool long_list = random() % 10 == 0;
    const int ingredients = long_list ? 40 + static_cast<int>(random() % 11) : 5 + static_cast<int>(random() % 21);
    std::string bytes = "\"Dish " + std::to_string(number) + "\",\"Ann\",\"Family book, page 3\"\r\n";
    bytes += '"';
    bytes += random_text(random, 10, 40);
    bytes += "\",4\r\n" + std::to_string(ingredients) + "\r\n";
    for (int i = 0; i < ingredients; ++i) add_line(bytes, random_text(random, 10, 60));
    std::vector<std::string> directions;
    const int wanted = 3 + static_cast<int>(random() % 13);
    size_t size = bytes.size();
    while (static_cast<int>(directions.size()) < wanted || size < 512) {
        directions.push_back(random_text(random, 40, 200));
        size += directions.back().size() + 4;
        if (size > 2900 && directions.size() >= 3) break;
    }
    bytes += std::to_string(directions.size()) + "\r\n";
    for (const auto& line : directions) add_line(bytes, line);
    return bytes;
}

// A fresh directory, made the current one, with the recipe files, their
// "default.ldr" loaded into the in-memory index, and every file read once.
struct recipe_directory {
    fs::path dir;
    std::vector<std::string> file_names;

    recipe_directory() {
        dir = fs::temp_directory_path() / ("search_bench_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::current_path(dir);
        std::mt19937 random(2024);
        make_recipe_index_room(recipe_count + 10);
        for (int i = 1; i <= recipe_count; ++i) {
            const std::string name = std::to_string(1700000000 + i) + ".rcp";
            std::ofstream(name, std::ios::binary) << recipe_file_bytes(random, i);
            index_at(i) = {"Dish " + std::to_string(i), "Ann", "Family book, page 3", name};
            file_names.push_back(name);
        }
        save_index("default.ldr", recipe_count);
        load_index("default.ldr");
        for (const auto& name : file_names) benchmark::DoNotOptimize(read_recipe(name));
    }
    ~recipe_directory() {
        fs::current_path(fs::temp_directory_path());
        fs::remove_all(dir);
    }
};

recipe_directory& recipes() {
    static recipe_directory made;
    return made;
}

// Common words, words in no file and one with a Windows-1252 letter.
const std::vector<std::string> one_term = {"flour"};
const std::vector<std::string> ten_terms = {"egg", "absent", "BUTTER", "nothing here", "cr\xC8me",
                                            "xyzzy", "Salt", "no such", "quinoa", "lemon zest"};

void search_files(benchmark::State& state, const std::vector<std::string>& terms) {
    const int count = static_cast<int>(recipes().file_names.size());
    const search_terms prepared = prepare_terms(terms);
    for (auto _ : state) {
        int found = 0;
        for (int position = 1; position <= count; ++position) {
            const int matches = count_matching_ingredients(read_recipe_ingredients(index_at(position).file_name),
                                                           prepared);
            found += matches > 0;
        }
        benchmark::DoNotOptimize(found);
        state.counters["found"] = found;
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// The same reads with no term: what the count adds is the difference.
void bm_read_ingredients_only(benchmark::State& state) { search_files(state, {}); }
void bm_ingredient_search_1_term(benchmark::State& state) { search_files(state, one_term); }
void bm_ingredient_search_10_terms(benchmark::State& state) { search_files(state, ten_terms); }

// The floor: each file opened, read whole and closed with plain system calls.
void bm_read_files_whole(benchmark::State& state) {
    const std::vector<std::string>& names = recipes().file_names;
    std::vector<char> buffer(1 << 16);
    for (auto _ : state) {
        size_t bytes = 0;
        for (const auto& name : names) {
            int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
            for (ssize_t got; (got = ::read(fd, buffer.data(), buffer.size())) > 0;) bytes += static_cast<size_t>(got);
            ::close(fd);
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(names.size()));
}

}  // namespace

BENCHMARK(bm_read_files_whole)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_read_ingredients_only)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_ingredient_search_1_term)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_ingredient_search_10_terms)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
