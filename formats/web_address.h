#pragma once
#include <string>
#include <string_view>

// Web addresses as recipes give them for their source.

// An absolute http or https address, else empty.
std::string absolute_url(std::string_view text);
// The host of an absolute web address, in lower case, without port or user:
// "https://Cooks.Example.org:8080/r" gives "cooks.example.org".
std::string host_of_url(std::string_view url);
