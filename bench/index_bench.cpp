// Costs of the recipe index operations at 1,000, 10,000 and 100,000 entries,
// next to a durable copy (write, flush to disk, rename, flush of the
// directory) of the same index file as the baseline that any safe rewrite
// has to pay.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "app/menu.h"
#include "storage/recipe_index.h"

namespace fs = std::filesystem;

namespace {

// Names as a real collection has them: mixed case, many sharing a beginning,
// some exact duplicates.
std::vector<index_entry> realistic_entries(int count) {
    static const char* const starts[] = {"", "Grandma's ", "Quick ", "quick ", "Easy ", "Spicy ", "Vegan ", "Baked "};
    static const char* const dishes[] = {"apple pie", "Apple Pie", "lentil soup", "Lentil Soup with bacon",
                                         "chicken curry", "Chicken Curry", "banana bread", "Pancakes",
                                         "pancakes", "Tomato sauce", "tomato salad", "Zucchini fritters"};
    static const char* const authors[] = {"", "Ann Lee", "Grandma", "B. Smith", "Chef Paul"};
    static const char* const sources[] = {"", "Family", "The Big Book of Soups, page 12", "Magazine"};
    std::mt19937 random(2024);
    std::vector<index_entry> entries(static_cast<size_t>(count) + 1);
    for (int i = 1; i <= count; ++i) {
        index_entry& e = entries[static_cast<size_t>(i)];
        e.name = std::string(starts[random() % std::size(starts)]) + dishes[random() % std::size(dishes)];
        if (random() % 4 != 0) e.name.append(" ").append(std::to_string(random() % (count / 2 + 1)));
        e.author = authors[random() % std::size(authors)];
        e.source = sources[random() % std::size(sources)];
        e.file_name = std::to_string(1700000000 + i) + ".rcp";
    }
    return entries;
}

// A fresh directory, made the current one, with "default.ldr" holding
// `count` realistic entries in name order.
struct index_directory {
    fs::path dir;
    explicit index_directory(int count) {
        dir = fs::temp_directory_path() / ("index_bench_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::current_path(dir);
        recipe_index() = realistic_entries(count);
        sort_index(count);
        save_index("default.ldr", count);
    }
    ~index_directory() {
        fs::current_path(fs::temp_directory_path());
        fs::remove_all(dir);
    }
};

void bm_load_index(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    index_directory files(count);
    for (auto _ : state) {
        // The program loads into an index that the menu has just made empty.
        state.PauseTiming();
        make_recipe_index_room(count + 10);
        state.ResumeTiming();
        benchmark::DoNotOptimize(load_index("default.ldr"));
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void bm_sort_index(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::vector<index_entry> unsorted = realistic_entries(count);
    for (auto _ : state) {
        state.PauseTiming();
        recipe_index() = unsorted;
        state.ResumeTiming();
        sort_index(count);
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void bm_save_index(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    index_directory files(count);
    for (auto _ : state) save_index("default.ldr", count);
    state.SetItemsProcessed(state.iterations() * count);
}

// Writes the bytes to a temporary file, flushes it to disk, renames it over
// the target and flushes the directory: what a safe rewrite of a file of
// that size has to pay at least. False when a step failed.
bool copy_durably(const std::string& bytes, const char* target) {
    const std::string temp = std::string(target) + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    bool done = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()) && ::fsync(fd) == 0;
    done = ::close(fd) == 0 && done && ::rename(temp.c_str(), target) == 0;
    int dir = ::open(".", O_RDONLY | O_DIRECTORY);
    done = dir >= 0 && ::fsync(dir) == 0 && done;
    if (dir >= 0) ::close(dir);
    return done;
}

std::string file_bytes(const char* path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The add, and beside it in every iteration its floor: the index file's
// bytes copied durably twice, as the backup and the rewrite must both reach
// the disk. Taking turns keeps both under the same load of the machine; the
// counters give the floor's time and how many floors the add took.
void bm_add_to_default_index(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    index_directory files(count);
    const index_entry added{"Mushroom risotto", "Ann Lee", "Family", "1800000000.rcp"};
    const std::string bytes = file_bytes("default.ldr");
    double add_seconds = 0, floor_seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        make_recipe_index_room(count + 10);
        auto start = std::chrono::steady_clock::now();
        if (!copy_durably(bytes, "floor.bak") || !copy_durably(bytes, "floor.ldr"))
            state.SkipWithError("durable copy failed");
        floor_seconds += seconds_since(start);
        state.ResumeTiming();
        start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(add_to_default_index(added));
        add_seconds += seconds_since(start);
    }
    state.counters["floor_ms"] = benchmark::Counter(floor_seconds * 1000, benchmark::Counter::kAvgIterations);
    state.counters["floors"] = add_seconds / floor_seconds;
    state.SetItemsProcessed(state.iterations() * count);
}

// One durable copy of the index file on its own.
void bm_durable_copy(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    index_directory files(count);
    const std::string bytes = file_bytes("default.ldr");
    for (auto _ : state)
        if (!copy_durably(bytes, "default.ldr")) state.SkipWithError("durable copy failed");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

// A menu pass's count read when "default.ldr" promises far more entries
// than it holds: the in-memory index must not be made for all of them.
void bm_read_huge_recipe_count(benchmark::State& state) {
    index_directory files(0);
    std::ofstream("default.ldr", std::ios::binary) << state.range(0) << "\r\n";
    for (auto _ : state) benchmark::DoNotOptimize(read_recipe_count(0));
}

// A save of a small index beside many recipe files: the look for temporary
// files that killed rewrites left reads the whole directory each time.
void bm_save_beside_recipe_files(benchmark::State& state) {
    index_directory files(100);
    for (int i = 0; i < state.range(0); ++i) std::ofstream(std::to_string(1700000000 + i) + ".rcp");
    for (auto _ : state) save_index("default.ldr", 100);
}

void entry_counts(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(bm_load_index)->Apply(entry_counts);
BENCHMARK(bm_sort_index)->Apply(entry_counts);
BENCHMARK(bm_save_index)->Apply(entry_counts);
BENCHMARK(bm_add_to_default_index)->Apply(entry_counts);
BENCHMARK(bm_durable_copy)->Apply(entry_counts);

BENCHMARK(bm_read_huge_recipe_count)->Arg(20000000)->Unit(benchmark::kMillisecond);
BENCHMARK(bm_save_beside_recipe_files)->Arg(0)->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
