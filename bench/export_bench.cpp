// export-recipes at scale: a collection of 100,000 generated recipes
// exported in each format, next to the floor that any export has to pay in
// the same run: every listed recipe file read whole, and the output's bytes
// written once, flushed and renamed into place.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "export_recipes/export_tool.h"
#include "storage/recipe.h"

namespace fs = std::filesystem;

namespace {

constexpr int recipe_count = 100000;

const char* const dishes[] = {"Apple pie", "Lentil soup", "Chicken curry", "Banana bread", "Pancakes",
                              "Tomato sauce", "Zucchini fritters", "Beef stew", "Lemon curd", "Mint tea"};
const char* const formats[] = {"json", "nextcloud", "mealmaster", "html"};

// A recipe of about 700 bytes: eight ingredients, three direction lines.
recipe generated_recipe(int number) {
    recipe dish;
    dish.name = std::string(dishes[number % 10]) + " " + std::to_string(number);
    dish.author = "Ann Hale";
    dish.source = "Family cards";
    dish.description = "A weekday dish";
    dish.servings = 4;
    dish.ingredient_count = 8;
    for (int i = 1; i <= 8; ++i)
        dish.ingredients[i] = std::to_string(i) + " c flour " + std::to_string(i) + "; sifted twice";
    dish.direction_count = 3;
    dish.directions[1] = "Heat the oven to 180 degrees. Mix the flour with the butter until it looks like coarse "
                         "crumbs, then stir in the tomatoes and season with salt and pepper.";
    dish.directions[2] = "Pour into a greased dish and bake for 45 minutes until golden at the edges.";
    dish.directions[3] = "Let it rest for ten minutes before serving, number " + std::to_string(number) + ".";
    return dish;
}

void write_file(const fs::path& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) std::abort();
    ::close(fd);
}

std::string whole_file(const fs::path& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

// The collection and its index, written once with plain calls.
struct bench_collection {
    fs::path root = fs::temp_directory_path() / ("export_bench_" + std::to_string(::getpid()));
    fs::path dir = root / "Larderon";
    std::vector<std::string> files;

    bench_collection() {
        fs::remove_all(root);
        fs::create_directories(dir);
        std::string index = std::to_string(recipe_count) + "\r\n";
        for (int i = 0; i < recipe_count; ++i) {
            const recipe dish = generated_recipe(i);
            files.push_back(std::to_string(i) + ".rcp");
            write_file(dir / files.back(), recipe_file_bytes(dish));
            index += "\"" + dish.name + "\",\"" + dish.author + "\",\"" + dish.source + "\",\"" + files.back() + "\"\r\n";
        }
        write_file(dir / "default.ldr", index);
    }
    ~bench_collection() { fs::remove_all(root); }
};

bench_collection& shared_collection() {
    static bench_collection collection;
    return collection;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Every recipe file read whole, then the output written to a temporary
// file, flushed and renamed over the target.
double run_floor(const bench_collection& collection, const std::string& output, const fs::path& target) {
    const auto start = std::chrono::steady_clock::now();
    const int dir_fd = ::open(collection.dir.c_str(), O_RDONLY | O_DIRECTORY);
    std::string bytes;
    for (const std::string& name : collection.files) {
        const int fd = ::openat(dir_fd, name.c_str(), O_RDONLY);
        if (fd < 0) std::abort();
        bytes.resize(4096);
        while (::read(fd, bytes.data(), bytes.size()) > 0) {
        }
        ::close(fd);
    }
    ::close(dir_fd);
    const fs::path temp = target.string() + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, output.data(), output.size()) != static_cast<ssize_t>(output.size()) ||
        ::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(temp.c_str(), target.c_str()) != 0)
        std::abort();
    return seconds_since(start);
}

int export_to(const bench_collection& collection, const char* format, const fs::path& target) {
    static std::ostringstream sink;
    sink.str("");
    const fs::path start = fs::current_path();
    const int status =
        export_recipes({"--format", format, target.string()}, {collection.dir.string(), sink, sink, false});
    fs::current_path(start);
    return status;
}

// Both in every iteration, so that the ratio compares runs under the same
// load of a shared machine.
void bm_export_against_floor(benchmark::State& state) {
    const bench_collection& collection = shared_collection();
    const char* format = formats[state.range(0)];
    const fs::path target = collection.root / "out";
    state.SetLabel(format);
    double floor = 0, exported = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (export_to(collection, format, target) != 0) state.SkipWithError("the export failed");
        const double took = seconds_since(start);
        exported += took;
        state.SetIterationTime(took);
        floor += run_floor(collection, whole_file(target), target);
    }
    state.counters["floor_s"] = floor / static_cast<double>(state.iterations());
    state.counters["export_s"] = exported / static_cast<double>(state.iterations());
    state.counters["ratio"] = exported / floor;
    state.counters["out_MB"] = static_cast<double>(fs::file_size(target)) / 1e6;
}

BENCHMARK(bm_export_against_floor)->DenseRange(0, 3)->UseManualTime()->Iterations(3)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
