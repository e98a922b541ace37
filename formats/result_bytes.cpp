#include "formats/result_bytes.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "shell/isolated.h"

// The way back from the child is a stream of records, each its length and
// its bytes: a recipe ('r') as soon as the reader has it, and last the rest
// of the result ('e'). Each text in a record is its length and its bytes.

namespace {

constexpr char recipe_record = 'r';
constexpr char end_record = 'e';
// The child writes when it has this much, not for every small recipe.
constexpr std::size_t send_size = std::size_t{1} << 16;

void put(std::string& out, std::string_view text) {
    const std::uint64_t size = text.size();
    out.append(reinterpret_cast<const char*>(&size), sizeof size);
    out.append(text);
}

void put(std::string& out, const std::vector<std::string>& texts) {
    put(out, std::to_string(texts.size()));
    for (const std::string& text : texts) put(out, text);
}

// Appends the record to `out` with its length in front.
void put_record(std::string& out, char kind, const std::function<void(std::string&)>& fill) {
    const std::size_t start = out.size();
    out.append(sizeof(std::uint64_t), '\0');
    out += kind;
    fill(out);
    const std::uint64_t size = out.size() - start - sizeof size;
    std::memcpy(out.data() + start, &size, sizeof size);
}

void put_recipe(std::string& out, const found_recipe& recipe) {
    put_record(out, recipe_record, [&](std::string& record) {
        for (const std::string* text : {&recipe.name, &recipe.author, &recipe.source, &recipe.description})
            put(record, *text);
        put(record, std::to_string(recipe.servings));
        put(record, recipe.ingredients);
        put(record, recipe.directions);
        put(record, std::to_string(recipe.ingredients_left_out));
        put(record, std::to_string(recipe.direction_bytes_left_out));
    });
}

void put_end(std::string& out, const read_result& rest) {
    put_record(out, end_record, [&](std::string& record) {
        put(record, rest.notes);
        put(record, std::to_string(rest.pictures));
    });
}

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
    template <typename Number>
    Number number() {
        const std::string digits = text();
        Number value = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        ok = ok && error == std::errc() && end == digits.data() + digits.size();
        return value;
    }
    std::vector<std::string> texts() {
        std::vector<std::string> out;
        for (long long n = number<long long>(); ok && n > 0; --n) out.push_back(text());
        return out;
    }
};

// Takes the records as the pipe brings them, in pieces cut anywhere.
struct record_stream {
    const found_taker& take;
    read_result rest;
    std::string pending;  // the start of a record not yet whole
    bool ended = false;
    bool broken = false;

    explicit record_stream(const found_taker& take) : take(take) {}

    void add(std::string_view piece) {
        pending.append(piece);
        std::string_view left = pending;
        std::uint64_t size = 0;
        while (!broken && left.size() >= sizeof size) {
            std::memcpy(&size, left.data(), sizeof size);
            if (left.size() - sizeof size < size) break;
            take_record(left.substr(sizeof size, static_cast<std::size_t>(size)));
            left.remove_prefix(sizeof size + static_cast<std::size_t>(size));
        }
        pending.erase(0, pending.size() - left.size());
    }

    void take_record(std::string_view record) {
        if (ended || record.empty()) return void(broken = true);
        byte_reader in{record.substr(1)};
        if (record[0] == recipe_record) {
            found_recipe recipe;
            for (std::string* text : {&recipe.name, &recipe.author, &recipe.source, &recipe.description})
                *text = in.text();
            recipe.servings = in.number<int>();
            recipe.ingredients = in.texts();
            recipe.directions = in.texts();
            recipe.ingredients_left_out = in.number<std::uint64_t>();
            recipe.direction_bytes_left_out = in.number<std::uint64_t>();
            if ((broken = !in.ok || !in.bytes.empty())) return;
            take(std::move(recipe));
        } else if (record[0] == end_record) {
            rest.notes = in.texts();
            rest.pictures = in.number<int>();
            ended = true;
            broken = !in.ok || !in.bytes.empty();
        } else {
            broken = true;
        }
    }

    bool whole() const { return ended && !broken && pending.empty(); }
};

}  // namespace

read_result read_in_child(const std::function<read_result(const found_taker& take)>& read, const std::string& what,
                          const found_taker& take, const std::function<void()>& forked) {
    constexpr int cpu_seconds = 30;
    read_result collected;
    const found_taker collect = [&](found_recipe&& recipe) { collected.recipes.push_back(std::move(recipe)); };
    const found_taker& taker = take ? take : collect;
    record_stream stream{taker};
    const isolated_run run = run_isolated_sending(
        [&](const byte_sender& send) {
            std::string out;
            const auto send_recipe = [&](const found_recipe& recipe) {
                put_recipe(out, recipe);
                if (out.size() >= send_size) send(out), out.clear();
            };
            read_result rest = read([&](found_recipe&& recipe) { send_recipe(recipe); });
            for (const found_recipe& recipe : rest.recipes) send_recipe(recipe);
            put_end(out, rest);
            send(out);
        },
        [&](std::string_view piece) { stream.add(piece); }, cpu_seconds, isolated_memory_limit, forked);
    if (run.finished && stream.whole()) {
        collected.notes = std::move(stream.rest.notes);
        collected.pictures = stream.rest.pictures;
        return collected;
    }
    return {{}, {"The " + what + " could not be read: " + (run.finished ? "the reader stopped on it" : run.failure) + "."}};
}

read_result read_in_child(const std::function<read_result()>& read, const std::string& what) {
    return read_in_child([&](const found_taker&) { return read(); }, what, {});
}
