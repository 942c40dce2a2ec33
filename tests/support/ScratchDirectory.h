#pragma once
// A fresh directory per test, removed with everything in it afterwards.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

inline std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Names of everything in the directory, to catch leftover temporary files.
inline std::vector<std::string> ListDirectory(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class ScratchDirectoryTest : public testing::Test {
  protected:
    // A new name under the temporary directory, made on every platform the tests run on.
    void SetUp() override {
        std::random_device random;
        for (int attempt = 0; attempt < 100 && dir.empty(); ++attempt) {
            const auto candidate =
                std::filesystem::temp_directory_path() / ("comterm-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate))
                dir = candidate;
        }
        ASSERT_FALSE(dir.empty());
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string PathOf(const char* name) const { return (dir / name).string(); }

    std::filesystem::path dir;
};
