#include "formats/yield.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string>

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

std::string lower(std::string_view text) {
    std::string folded(text);
    std::transform(folded.begin(), folded.end(), folded.begin(), [](unsigned char c) { return std::tolower(c); });
    return folded;
}

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The words that say a number counts servings, as a whole word.
bool is_servings_word(std::string_view word) {
    for (std::string_view known : {"serving", "servings", "serving(s)", "serves", "portion", "portions",
                                   "portion(s)", "portionen", "people", "persons", "person"})
        if (word == known) return true;
    return false;
}

// A whole number at the start of text, taken off it; -1 when there is none.
int take_number(std::string_view& text) {
    size_t end = 0;
    while (end < text.size() && is_digit(text[end])) ++end;
    if (end == 0 || end > 6) return -1;
    int number = 0;
    std::from_chars(text.data(), text.data() + end, number);
    text.remove_prefix(end);
    return number;
}

struct yield_count {
    int servings = -1;   // -1: the text is no count of servings
    bool plain = false;  // the number alone, or with a servings word: nothing more to keep
};

// "4", "4-6", "4 to 6", "4 servings", "Serves 4-6", "servings: 4".
yield_count count_in(std::string_view yield) {
    const std::string folded = lower(trimmed(yield));
    std::string_view text = folded;
    std::string_view word_before;
    if (!text.empty() && !is_digit(text[0])) {
        const size_t end = text.find_first_of(" :");
        word_before = text.substr(0, end);
        if (!is_servings_word(word_before)) return {};
        text = trimmed(end == std::string_view::npos ? std::string_view() : text.substr(end + 1));
        if (text.starts_with(':')) text = trimmed(text.substr(1));
    }
    yield_count count;
    count.servings = take_number(text);
    if (count.servings < 0) return {};
    bool range = false;
    std::string_view rest = trimmed(text);
    for (std::string_view dash : {"-", "\u2013", "to "}) {
        if (!rest.starts_with(dash)) continue;
        std::string_view after = trimmed(rest.substr(dash.size()));
        if (take_number(after) < 0) return {};
        rest = trimmed(after);
        range = true;
        break;
    }
    if (!rest.empty()) {
        if (!word_before.empty() || !is_servings_word(rest)) return {};
    }
    count.plain = !range;
    return count;
}

}  // namespace

void apply_yield(found_recipe& recipe, std::string_view yield) {
    yield = trimmed(yield);
    if (yield.empty()) return;
    const yield_count count = count_in(yield);
    if (count.servings >= 0) recipe.servings = count.servings;
    if (!count.plain) recipe.directions.insert(recipe.directions.begin(), "Yield: " + std::string(yield));
}
