#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Every test runs in a fresh temporary directory with the scripted platform
// reset, so files and windows of one test never reach another.
class larder_test : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path dir;  // the temporary directory, also the current one
};

std::string read_whole_file(const std::filesystem::path& path);
void write_whole_file(const std::filesystem::path& path, const std::string& bytes);

// A collection's regular files by name with their bytes, hidden ones too,
// but not the lock file that stays behind once a tool has held it.
using file_map = std::map<std::string, std::string>;
file_map collection_files(const std::filesystem::path& folder);

// A zip of these entries (name, bytes), made in memory; `copies` times each,
// their names then numbered.
std::string zip_of(const std::vector<std::pair<std::string, std::string>>& entries, int copies = 1);
