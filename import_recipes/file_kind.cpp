#include "import_recipes/file_kind.h"

#include "shell/file_pieces.h"

file_kind kind_of_start(std::string_view start) {
    const bool webp = start.size() >= 12 && start.starts_with("RIFF") && start.substr(8, 4) == "WEBP";
    if (start.starts_with("\xFF\xD8\xFF") || start.starts_with("\x89PNG\r\n\x1A\n") || start.starts_with("GIF87a") ||
        start.starts_with("GIF89a") || webp)
        return file_kind::picture;
    if (start.starts_with("PK\x03\x04") || start.starts_with("PK\x05\x06") || start.starts_with("\x1F\x8B"))
        return file_kind::archive;
    return file_kind::other;
}

file_kind kind_of_file(const std::string& path) {
    file_pieces file;
    if (open_pieces(path, file) != 0) return file_kind::other;
    char start[12];
    const size_t size = read_piece(file, start, sizeof start);
    close_pieces(file);
    return kind_of_start(std::string_view(start, size));
}
