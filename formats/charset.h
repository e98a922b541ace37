#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Web pages and JSON files as UTF-8, whatever character set they were saved
// in: a byte order mark decides first; bytes that are UTF-8 stay as they are;
// else a page is read in the character set it declares (<meta charset> or
// http-equiv); else each byte that is not part of UTF-8 is read as
// Windows-1252, what old Latin pages use. A byte that still cannot be read
// becomes U+FFFD.
std::string page_to_utf8(std::string_view bytes);
// The same without looking for a declaration.
std::string text_to_utf8(std::string_view bytes);

// The same without a copy when the bytes are UTF-8 already, with no byte
// order mark: then the view is of `bytes` itself, so that a page of tens of
// megabytes is not held twice. Else the view is of `held`, a copy made only
// when it cannot grow past `largest` bytes (each byte that is not ASCII may
// become three); else nothing.
std::optional<std::string_view> page_as_utf8(std::string_view bytes, std::string& held, std::size_t largest);
std::optional<std::string_view> text_as_utf8(std::string_view bytes, std::string& held, std::size_t largest);
