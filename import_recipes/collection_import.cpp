#include "import_recipes/collection_import.h"

#include <cerrno>
#include <cstring>
#include <functional>

#include "shell/files.h"
#include "shell/services.h"
#include "storage/fold.h"

namespace {

// Beside the index while a run writes: the run's recipe files, named one a
// line, and the one temporary file. Hidden names stay out of the backup.
const std::string run_list_name = ".import-recipes.run";
const std::string temp_name = ".import-recipes.part";

std::string reason(int error) {
    return std::strerror(error);
}

// The source is not compared: the same recipe saved from two places, or
// named once with a source and once without, is still the same recipe.
uint64_t hash_of_fields(const std::string& name, const std::string& author) {
    std::string key = name_for_comparing(name);
    key += '\0';
    key += author;
    return std::hash<std::string>{}(key);
}

uint64_t hash_of_ingredients(const recipe& dish) {
    std::string lines;
    for (int i = 1; i <= dish.ingredient_count; ++i) {
        lines += dish.ingredients[static_cast<size_t>(i)];
        lines += '\n';
    }
    return std::hash<std::string>{}(lines);
}

}  // namespace

collection_import::collection_import(std::string dir, bool dry_run) : dir(std::move(dir)), dry_run(dry_run) {}

// A run that ends without finishing keeps none of its files.
collection_import::~collection_import() {
    abandon();
}

std::string collection_import::open() {
    const int count = load_index("default.ldr");
    if (last_error() != 0 && last_error() != ENOENT)
        return dir + "/default.ldr could not be read: " + reason(last_error()) + ".";
    std::vector<index_entry>& entries = recipe_index();
    for (int i = 1; i <= count; ++i) {
        index_entry& entry = entries[static_cast<size_t>(i)];
        by_fields.emplace(hash_of_fields(entry.name, entry.author), static_cast<uint32_t>(i - 1));
        known.push_back({std::move(entry), 0, false});
    }
    entries.assign(1, index_entry{});
    listed = known.size();
    if (dry_run) return "";
    remove_leftovers();
    std::vector<std::string> names;
    if (int failure = list_directory(".", names)) return dir + " could not be read: " + reason(failure) + ".";
    taken.insert(names.begin(), names.end());
    return "";
}

// A killed run's files that the index does not name, its list, and the
// temporary copy of the index a swap killed midway left.
void collection_import::remove_leftovers() {
    std::vector<listed_file> left = read_batch_list(run_list_name);
    if (!left.empty()) {
        std::unordered_set<std::string> indexed;
        for (size_t i = 0; i < listed; ++i) indexed.insert(known[i].entry.file_name);
        std::erase_if(left, [&](const listed_file& file) { return indexed.contains(file.name); });
    }
    remove_left_batch(".", temp_name, run_list_name, left);
    remove_stale_replacements("default.ldr");
}

bool collection_import::holds(const recipe& dish) {
    const uint64_t ingredients = hash_of_ingredients(dish);
    const std::string name = name_for_comparing(dish.name);
    auto [first, end] = by_fields.equal_range(hash_of_fields(dish.name, dish.author));
    for (auto it = first; it != end; ++it) {
        known_recipe& other = known[it->second];
        const index_entry& entry = other.entry;
        if (entry.author != dish.author || name_for_comparing(entry.name) != name) continue;
        // A listed recipe's ingredients are read only when name and author match.
        if (!other.read) {
            other.ingredients = is_safe_file_name(entry.file_name)
                                    ? hash_of_ingredients(read_recipe_ingredients(entry.file_name))
                                    : ~ingredients;
            other.read = true;
        }
        if (other.ingredients == ingredients) return true;
    }
    return false;
}

std::string collection_import::add(const recipe& dish, std::string_view bytes) {
    known_recipe added{{dish.name, dish.author, dish.source, ""}, hash_of_ingredients(dish), true};
    if (!dry_run) {
        std::string failure = write_file(dish, bytes, added.entry.file_name);
        if (!failure.empty()) return failure;
    }
    by_fields.emplace(hash_of_fields(dish.name, dish.author), static_cast<uint32_t>(known.size()));
    known.push_back(std::move(added));
    return "";
}

// The name part, then the first number after it that gives a name no file
// had when the run began and none has now.
std::string collection_import::write_file(const recipe& dish, std::string_view bytes, std::string& file_name) {
    if (!batch_open) {
        if (int failure = begin_batch(dir, temp_name, run_list_name, batch))
            return dir + "/" + run_list_name + " could not be written: " + reason(failure) + ".";
        batch_open = true;
    }
    const std::string part = recipe_file_name_part(dish.name);
    unsigned& number = next_number[std::hash<std::string>{}(part)];
    for (;;) {
        file_name = part + std::to_string(++number) + ".rcp";
        if (taken.contains(file_name)) continue;
        const int failure = add_to_batch(batch, file_name, bytes);
        if (failure == 0) return "";
        if (failure != EEXIST || batch.failed_name != file_name)
            return dir + "/" + batch.failed_name + " could not be written: " + reason(failure) + ".";
    }
}

std::string collection_import::finish() {
    if (dry_run || !batch_open) return "";
    if (int failure = flush_batch(batch)) {
        abandon();
        return "The new recipe files could not be put on disk in " + dir + ": " + reason(failure) + ".";
    }
    // What found duplicates and names is done with: its memory goes before
    // the index needs its own.
    by_fields = {};
    taken = {};
    next_number = {};
    known.erase(known.begin(), known.begin() + static_cast<std::ptrdiff_t>(listed));
    std::vector<index_entry> added;
    added.reserve(known.size() + listed + 1);  // room for the index's entries too, loaded anew
    for (; !known.empty(); known.pop_front()) added.push_back(std::move(known.front().entry));
    if (add_entries_to_default_index(std::move(added)) < 0) {
        const int failure = last_error() != 0 ? last_error() : EIO;
        abandon();
        return dir + "/default.ldr could not be written: " + reason(failure) + ".";
    }
    end_batch(batch);
    batch_open = false;
    return "";
}

void collection_import::abandon() {
    if (!batch_open) return;
    remove_batch_files(batch);
    end_batch(batch);
    batch_open = false;
}
