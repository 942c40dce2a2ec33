#include "app/ProgramDirectory.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(ExecutablePath, NamesThisProgramWithADrive) {
    const std::string path = ExecutablePath();
    ASSERT_GT(path.size(), 3u);
    EXPECT_EQ(path.substr(1, 2), ":\\");
    EXPECT_EQ(path.substr(path.size() - 4), ".exe");
    EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(ExecutablePath, ItsDirectoryEndsInABackslash) {
    const std::string directory = DirectoryOf(ExecutablePath());
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.back(), '\\');
}

} // namespace
