#pragma once
#include <string>
#include <string_view>

// What a file that holds no recipes is, told by its first bytes, so that
// the summary can say why it was left alone.
enum class file_kind { picture, archive, other };

// JPEG, PNG, GIF and WebP are pictures; zip and gzip archives.
file_kind kind_of_start(std::string_view start);
// The kind of the file at `path` (other when it can't be read).
file_kind kind_of_file(const std::string& path);
