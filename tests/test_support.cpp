#include "tests/test_support.h"

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
