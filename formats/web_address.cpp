#include "formats/web_address.h"

#include <cctype>

namespace {

std::string lower(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

std::string host_of_url(std::string_view url) {
    if (const auto scheme = url.find("://"); scheme != std::string_view::npos) url.remove_prefix(scheme + 3);
    url = url.substr(0, url.find_first_of("/?#"));
    if (const auto at = url.rfind('@'); at != std::string_view::npos) url.remove_prefix(at + 1);
    if (const auto colon = url.rfind(':'); colon != std::string_view::npos && url.find(']', colon) == std::string_view::npos)
        url = url.substr(0, colon);
    return lower(url);
}

std::string absolute_url(std::string_view text) {
    text = trimmed(text);
    const auto scheme = text.find("://");
    if (scheme == std::string_view::npos || text.find_first_of(" \t") != std::string_view::npos) return {};
    const std::string name = lower(text.substr(0, scheme));
    const bool web = name == "http" || name == "https";
    return web && !host_of_url(text).empty() ? std::string(text) : std::string();
}
