#include "tests/test_support.h"

#include <archive.h>
#include <archive_entry.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/platform_script.h"
#include "shell/collection_lock.h"
#include "shell/services.h"

namespace fs = std::filesystem;

void larder_test::SetUp() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name)
        if (c == '/') c = '_';
    dir = fs::temp_directory_path() / ("ldr_test_" + name + "_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);
    script::reset();
    script::set_executable_dir(dir.string());
}

void larder_test::TearDown() {
    close_file(0);
    fs::current_path(fs::temp_directory_path());
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

std::string read_whole_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void write_whole_file(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

file_map collection_files(const std::filesystem::path& folder) {
    file_map files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().filename() != collection_lock_name)
            files[entry.path().filename().string()] = read_whole_file(entry.path());
    return files;
}

namespace {

la_ssize_t append_bytes(archive*, void* to, const void* data, size_t size) {
    static_cast<std::string*>(to)->append(static_cast<const char*>(data), size);
    return static_cast<la_ssize_t>(size);
}

}  // namespace

std::string zip_of(const std::vector<std::pair<std::string, std::string>>& entries, int copies) {
    std::string bytes;
    archive* writer = archive_write_new();
    archive_write_set_format_zip(writer);
    archive_write_set_bytes_in_last_block(writer, 1);
    archive_write_open(writer, &bytes, nullptr, append_bytes, nullptr);
    for (int copy = 0; copy < copies; ++copy) {
        for (const auto& [name, data] : entries) {
            archive_entry* entry = archive_entry_new();
            archive_entry_set_pathname(entry, (copies > 1 ? std::to_string(copy) : "").append(name).c_str());
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_size(entry, static_cast<la_int64_t>(data.size()));
            archive_write_header(writer, entry);
            archive_write_data(writer, data.data(), data.size());
            archive_entry_free(entry);
        }
    }
    archive_write_close(writer);
    archive_write_free(writer);
    return bytes;
}
