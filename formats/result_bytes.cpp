#include "formats/result_bytes.h"

#include <charconv>
#include <cstdint>
#include <cstring>

#include "formats/isolated.h"

namespace {

void put(std::string& out, std::string_view text) {
    const std::uint64_t size = text.size();
    out.append(reinterpret_cast<const char*>(&size), sizeof size);
    out.append(text);
}

void put(std::string& out, const std::vector<std::string>& texts) {
    put(out, std::to_string(texts.size()));
    for (const std::string& text : texts) put(out, text);
}

}  // namespace

std::string result_to_bytes(const read_result& result) {
    std::string out;
    put(out, result.notes);
    put(out, std::to_string(result.recipes.size()));
    for (const found_recipe& recipe : result.recipes) {
        for (const std::string* text : {&recipe.name, &recipe.author, &recipe.source, &recipe.description}) put(out, *text);
        put(out, std::to_string(recipe.servings));
        put(out, recipe.ingredients);
        put(out, recipe.directions);
    }
    return out;
}

namespace {

struct byte_reader {
    std::string_view bytes;
    bool ok = true;

    std::string text() {
        std::uint64_t size = 0;
        if (bytes.size() < sizeof size) return ok = false, std::string();
        std::memcpy(&size, bytes.data(), sizeof size);
        bytes.remove_prefix(sizeof size);
        if (bytes.size() < size) return ok = false, std::string();
        std::string out(bytes.substr(0, size));
        bytes.remove_prefix(size);
        return out;
    }
    long long number() {
        const std::string digits = text();
        long long value = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        ok = ok && error == std::errc() && end == digits.data() + digits.size();
        return value;
    }
    std::vector<std::string> texts() {
        std::vector<std::string> out;
        for (long long n = number(); ok && n > 0; --n) out.push_back(text());
        return out;
    }
};

}  // namespace

std::optional<read_result> result_from_bytes(std::string_view bytes) {
    byte_reader in{bytes};
    read_result result;
    result.notes = in.texts();
    for (long long n = in.number(); in.ok && n > 0; --n) {
        found_recipe recipe;
        for (std::string* text : {&recipe.name, &recipe.author, &recipe.source, &recipe.description}) *text = in.text();
        recipe.servings = static_cast<int>(in.number());
        recipe.ingredients = in.texts();
        recipe.directions = in.texts();
        result.recipes.push_back(std::move(recipe));
    }
    if (!in.ok || !in.bytes.empty()) return std::nullopt;
    return result;
}

read_result read_in_child(const std::function<read_result()>& read, const std::string& what) {
    constexpr int cpu_seconds = 30;
    const isolated_run run = run_isolated([&] { return result_to_bytes(read()); }, cpu_seconds);
    if (run.finished)
        if (std::optional<read_result> result = result_from_bytes(run.output)) return std::move(*result);
    return {{}, {"The " + what + " could not be read: " + (run.finished ? "the reader stopped on it" : run.failure) + "."}};
}
