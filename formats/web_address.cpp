#include "formats/web_address.h"

#include <cctype>

#include "formats/found_recipe.h"
#include "formats/schema_recipe.h"

std::string host_of_url(std::string_view url) {
    if (const auto scheme = url.find("://"); scheme != std::string_view::npos) url.remove_prefix(scheme + 3);
    url = url.substr(0, url.find_first_of("/?#"));
    if (const auto at = url.rfind('@'); at != std::string_view::npos) url.remove_prefix(at + 1);
    if (const auto colon = url.rfind(':'); colon != std::string_view::npos && url.find(']', colon) == std::string_view::npos)
        url = url.substr(0, colon);
    std::string host(url);
    for (char& c : host) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return host;
}

void set_source(found_recipe& recipe, const std::string& named) {
    const std::string url = absolute_url(named);
    if (url.empty()) {
        recipe.source = named;
        return;
    }
    recipe.source = host_of_url(url);
    recipe.directions.push_back("Source: " + url);
}
