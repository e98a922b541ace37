#include "formats/nextcloud_writer.h"

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <cctype>
#include <ctime>
#include <locale.h>

#include "formats/export_text.h"
#include "formats/schema_org_writer.h"

namespace {

constexpr size_t longest_folder_name = 200;

la_ssize_t write_zip_bytes(archive*, void* self, const void* bytes, size_t size) {
    auto* to = static_cast<std::function<int(std::string_view)>*>(self);
    if (int failure = (*to)(std::string_view(static_cast<const char*>(bytes), size))) {
        errno = failure;
        return -1;
    }
    return static_cast<la_ssize_t>(size);
}

std::string lower_ascii(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Cuts at a character's start, so that the name stays UTF-8.
void cut_to(std::string& name, size_t size) {
    if (name.size() <= size) return;
    while (size > 0 && (static_cast<unsigned char>(name[size]) & 0xC0) == 0x80) --size;
    name.resize(size);
}

// libarchive takes an entry's name in the locale's character set and converts
// it for the zip. Under a UTF-8 locale the UTF-8 name is given as it is; else
// every entry paid for a conversion set up afresh, a third of the zip's cost.
// The tool itself runs in the C locale.
class utf8_scope {
public:
    explicit utf8_scope(locale_t utf8) : before(utf8 ? uselocale(utf8) : locale_t{}) {}
    ~utf8_scope() {
        if (before) uselocale(before);
    }
    utf8_scope(const utf8_scope&) = delete;
    utf8_scope& operator=(const utf8_scope&) = delete;

private:
    locale_t before;
};

}  // namespace

std::string folder_name_of(std::string_view name) {
    const size_t first = name.find_first_not_of(' ');
    name.remove_prefix(first == std::string_view::npos ? name.size() : first);
    std::string folder;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        const bool c1_control = byte == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) < 0xA0;
        if (c1_control) ++i;
        const bool dots = byte == '.' && (folder.empty() || folder.back() == '.');
        if (byte < 0x20 || byte == 0x7F || byte == '/' || byte == '\\' || c1_control || dots)
            folder += '_';
        else
            folder += static_cast<char>(byte);
    }
    cut_to(folder, longest_folder_name);
    folder.erase(folder.find_last_not_of(' ') + 1);
    return folder.empty() ? "Recipe" : folder;
}

// The sink's failure is kept: libarchive only says that a write failed.
nextcloud_zip::nextcloud_zip(sink to)
    : write([this, to = std::move(to)](std::string_view bytes) { return failure = to(bytes); }),
      utf8(newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{})) {
    const utf8_scope names(utf8);
    zip = archive_write_new();
    archive_write_set_format_zip(zip);
    // Stored, not deflated: setting up deflate for each small file cost ten
    // times the reading of the recipe.
    archive_write_set_options(zip, "zip:hdrcharset=UTF-8,zip:compression=store");
    // Unblocked: the bytes go straight to the sink, which gathers them itself,
    // and no padding follows the zip's directory.
    archive_write_set_bytes_per_block(zip, 0);
    if (archive_write_open2(zip, &this->write, nullptr, write_zip_bytes, nullptr, nullptr) != ARCHIVE_OK)
        failure = EIO;
    // One entry for all, of one moment: only its name and size change.
    entry = archive_entry_new();
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_mtime(entry, std::time(nullptr), 0);
}

nextcloud_zip::~nextcloud_zip() {
    archive_entry_free(entry);
    archive_write_free(zip);
    if (utf8) freelocale(utf8);
}

int nextcloud_zip::failed() {
    if (failure == 0) failure = EIO;
    return failure;
}

int nextcloud_zip::add_entry(const std::string& path, std::string_view bytes) {
    const utf8_scope names(utf8);
    if (utf8)
        archive_entry_set_pathname(entry, path.c_str());
    else
        archive_entry_set_pathname_utf8(entry, path.c_str());
    archive_entry_set_size(entry, static_cast<la_int64_t>(bytes.size()));
    if (archive_write_header(zip, entry) != ARCHIVE_OK) return failed();
    if (!bytes.empty() && archive_write_data(zip, bytes.data(), bytes.size()) != static_cast<la_ssize_t>(bytes.size()))
        return failed();
    return 0;
}

int nextcloud_zip::add(const recipe& dish) {
    if (failure != 0) return failure;
    const std::string name = folder_name_of(exported_utf8(dish.name));
    path = name;
    for (int number = 2; !taken.insert(lower_ascii(path)).second; ++number)
        path = name + " (" + std::to_string(number) + ")";
    path += "/recipe.json";
    json.clear();
    append_schema_org_recipe(json, dish);
    json += '\n';
    return add_entry(path, json);
}

int nextcloud_zip::finish() {
    if (failure != 0) return failure;
    if (archive_write_close(zip) != ARCHIVE_OK) return failed();
    return 0;
}
