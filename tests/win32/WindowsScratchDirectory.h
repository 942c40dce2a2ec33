#pragma once
// A fresh directory per test under the Windows temporary directory, removed afterwards.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <windows.h>

inline std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class WindowsScratchDirectoryTest : public testing::Test {
  protected:
    void SetUp() override {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        dir = std::filesystem::temp_directory_path() /
              ("comterm-" + std::to_string(GetCurrentProcessId()) + "-" + test->name());
        std::filesystem::remove_all(dir);
        ASSERT_TRUE(std::filesystem::create_directory(dir));
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string PathOf(const char* name) const { return (dir / name).string(); }

    std::filesystem::path dir;
};
