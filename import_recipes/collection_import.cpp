#include "import_recipes/collection_import.h"

#include <cerrno>
#include <cstring>
#include <functional>
#include <unordered_set>

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
uint64_t hash_of_fields(std::string_view name, std::string_view author) {
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

uint64_t hash_of_part(std::string_view part) {
    return std::hash<std::string_view>{}(part);
}

// Gives a string's or vector's memory back, which assigning {} would keep.
template <typename Container>
void release(Container& held) {
    Container().swap(held);
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

collection_import::collection_import(std::string dir, bool dry_run) : dir(std::move(dir)), dry_run(dry_run) {}

// A run that ends without finishing keeps none of its files.
collection_import::~collection_import() {
    abandon();
}

std::string collection_import::open() {
    const size_t count = static_cast<size_t>(load_packed_index("default.ldr", listed));
    if (last_error() != 0 && last_error() != ENOENT)
        return dir + "/default.ldr could not be read: " + reason(last_error()) + ".";
    for (size_t place = 0; place < count; ++place) {
        const entry_fields entry = packed_entry(listed, place);
        by_fields.add(hash_of_fields(entry.name, entry.author), static_cast<uint32_t>(place + 1));
    }
    ingredients.resize(count);
    ingredients_read.resize(count);
    if (!dry_run) remove_leftovers();
    return "";
}

// A killed run's files that the index does not name, its list, and the
// temporary copy of the index a swap killed midway left.
void collection_import::remove_leftovers() {
    std::vector<listed_file> left = read_batch_list(run_list_name);
    if (!left.empty()) {
        std::unordered_set<std::string_view> indexed;
        for (size_t place = 0; place < listed.starts.size(); ++place)
            indexed.insert(packed_entry(listed, place).file_name);
        std::erase_if(left, [&](const listed_file& file) { return indexed.contains(file.name); });
    }
    remove_left_batch(".", temp_name, run_list_name, left);
    remove_stale_replacements("default.ldr");
}

entry_fields collection_import::entry_at(size_t place) const {
    const size_t count = listed.starts.size();
    return place < count ? packed_entry(listed, place) : packed_entry(added, place - count);
}

bool collection_import::holds(const recipe& dish) {
    const uint64_t lines = hash_of_ingredients(dish);
    const std::string name = name_for_comparing(dish.name);
    return by_fields.find(hash_of_fields(dish.name, dish.author), [&](uint32_t value) {
        const size_t place = value - 1;
        const entry_fields entry = entry_at(place);
        if (entry.author != dish.author || name_for_comparing(entry.name) != name) return false;
        // A listed recipe's ingredients are read only when name and author match.
        if (place < ingredients_read.size() && !ingredients_read[place]) {
            const std::string file_name(entry.file_name);
            ingredients[place] =
                is_safe_file_name(file_name) ? hash_of_ingredients(read_recipe_ingredients(file_name)) : ~lines;
            ingredients_read[place] = true;
        }
        return ingredients[place] == lines;
    });
}

std::string collection_import::add(const recipe& dish, std::string_view bytes) {
    std::string file_name;
    if (!dry_run) {
        std::string failure = write_file(dish, bytes, file_name);
        if (!failure.empty()) return failure;
    }
    by_fields.add(hash_of_fields(dish.name, dish.author), static_cast<uint32_t>(ingredients.size() + 1));
    ingredients.push_back(hash_of_ingredients(dish));
    add_packed_entry(added, {dish.name, dish.author, dish.source, file_name});
    return "";
}

// Whether another name part may have given this name in this run: "Cake1"
// with 1 and "Cake" with 11 both make "Cake11". A part gave a name of its
// own followed by a number only when its last number reached that high.
bool collection_import::given_by_other_part(std::string_view stem, size_t part_size) const {
    size_t digits = stem.size();
    while (digits > 0 && is_digit(stem[digits - 1])) --digits;
    for (size_t split = digits; split < stem.size(); ++split) {
        const std::string_view number = stem.substr(split);
        // Numbers are given without leading zeros, and never past nine digits.
        if (split == part_size || number[0] == '0' || number.size() > 9) continue;
        const auto wanted = static_cast<uint32_t>(std::stoul(std::string(number)));
        if (next_number.find(hash_of_part(stem.substr(0, split)), [&](uint32_t last) { return last >= wanted; }))
            return true;
    }
    return false;
}

// The name part, then the first number after it that gives a name no file
// has and no other name part of this run gave.
std::string collection_import::write_file(const recipe& dish, std::string_view bytes, std::string& file_name) {
    if (!batch_open) {
        if (int failure = begin_batch(dir, temp_name, run_list_name, batch))
            return dir + "/" + run_list_name + " could not be written: " + reason(failure) + ".";
        batch_open = true;
    }
    const std::string part = recipe_file_name_part(dish.name);
    uint32_t& number = next_number.at(hash_of_part(part));
    for (;;) {
        file_name = part + std::to_string(++number);
        if (given_by_other_part(file_name, part.size())) continue;
        file_name += ".rcp";
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
    release(listed.bytes);
    release(listed.starts);
    release(ingredients);
    release(ingredients_read);
    by_fields = hash_slots();
    next_number = hash_slots();
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
