#include "storage/FileSystem.h"

#include <windows.h>

#include "storage/InPlaceWrite.h"
#include "storage/SettingsSyntax.h"
#include "storage/TempFileName.h"
#include "support/ScratchDirectory.h"

namespace {

using FileSystemTest = ScratchDirectoryTest;

// Wine keeps the read-only attribute as a Unix file mode, which does not stop root.
bool ReadOnlyIsEnforced(const std::string& file) {
    const HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return true;
    CloseHandle(handle);
    return false;
}

#define SKIP_UNLESS_READ_ONLY_IS_ENFORCED(file)                                                    \
    if (!ReadOnlyIsEnforced(file)) {                                                               \
        SetFileAttributesA((file).c_str(), FILE_ATTRIBUTE_NORMAL);                                 \
        GTEST_SKIP() << "a read-only file here can still be written (Wine run as root)";           \
    }

TEST_F(FileSystemTest, MissingFileReadsAsNothing) {
    std::string bytes = "kept";
    EXPECT_EQ(ReadWholeFile(PathOf("none.ini"), bytes), FileAccess::None);
    EXPECT_EQ(bytes, "kept");
}

TEST_F(FileSystemTest, WholeFileIsReadWithItsBytesUnchanged) {
    const std::string content = std::string("a\r\nb\0c\xCF\r\n", 8) + std::string(10000, 'x');
    WriteBytes(dir / "Setting.ini", content);
    std::string bytes;
    EXPECT_EQ(ReadWholeFile(PathOf("Setting.ini"), bytes), FileAccess::ReadWrite);
    EXPECT_EQ(bytes, content);
}

TEST_F(FileSystemTest, ReadOnlyFileIsReadAndSaidToBeReadOnly) {
    WriteBytes(dir / "Setting.ini", "Port = COM3\r\n");
    ASSERT_TRUE(SetFileAttributesA(PathOf("Setting.ini").c_str(), FILE_ATTRIBUTE_READONLY));
    SKIP_UNLESS_READ_ONLY_IS_ENFORCED(PathOf("Setting.ini"));
    std::string bytes;
    EXPECT_EQ(ReadWholeFile(PathOf("Setting.ini"), bytes), FileAccess::ReadOnly);
    EXPECT_EQ(bytes, "Port = COM3\r\n");
    SetFileAttributesA(PathOf("Setting.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileSystemTest, ReplacementTakesTheTargetsPlaceWhole) {
    WriteBytes(dir / "Setting.ini", "old");
    Replacement replacement;
    ASSERT_TRUE(BeginReplacement(PathOf("Setting.ini"), replacement));
    EXPECT_EQ(ReadBytes(dir / "Setting.ini"), "old");
    FinishReplacement(replacement, "new\r\n");
    EXPECT_EQ(ReadBytes(dir / "Setting.ini"), "new\r\n");
    EXPECT_EQ(ListDirectory(dir).size(), 1u);
    EXPECT_EQ(replacement.Handle, kNoFile);
}

TEST_F(FileSystemTest, ReplacementCreatesAMissingTarget) {
    Replacement replacement;
    ASSERT_TRUE(BeginReplacement(PathOf("Setting.ini"), replacement));
    FinishReplacement(replacement, "x = 1\r\n");
    EXPECT_EQ(ReadBytes(dir / "Setting.ini"), "x = 1\r\n");
    EXPECT_EQ(ListDirectory(dir).size(), 1u);
}

TEST_F(FileSystemTest, ReplacementSkipsTemporaryNamesAlreadyTaken) {
    Replacement first;
    ASSERT_TRUE(BeginReplacement(PathOf("Setting.ini"), first));
    Replacement second;
    ASSERT_TRUE(BeginReplacement(PathOf("Setting.ini"), second));
    EXPECT_NE(first.TempName, second.TempName);
    FinishReplacement(first, "first");
    FinishReplacement(second, "second");
    EXPECT_EQ(ReadBytes(dir / "Setting.ini"), "second");
    EXPECT_EQ(ListDirectory(dir).size(), 1u);
}

// Between the steps of writing in place, where a kill would leave it, the target reads as its
// old text or its new one; WriteNew failing leaves the old one.
std::string watchedTarget, oldText, newText;
int steps = 0;
bool LookBetweenSteps(InPlaceStep step) {
    const auto entries = ParseSettings(ReadBytes(watchedTarget)).Entries;
    ++steps;
    EXPECT_TRUE(entries == ParseSettings(oldText).Entries ||
                entries == ParseSettings(newText).Entries)
        << static_cast<int>(step);
    return step != InPlaceStep::WriteNew || newText != "fails";
}

// With every name a new file could take already taken, as in a folder the user may not write,
// the target is written over in place; a read-only one stays as it is.
TEST_F(FileSystemTest, ReplacementWithoutANewFileWritesTheTargetInPlace) {
    const std::string target = PathOf("Setting.ini");
    for (int attempt = 0; attempt < kTempFileNameAttempts; ++attempt)
        WriteBytes(TempFileName(target, GetCurrentProcessId(), attempt), "");
    WriteBytes(target, "old\r\n");
    watchedTarget = target;
    inPlaceStepHook = LookBetweenSteps;
    for (const std::string bytes : {"a longer new text\r\n", "short", "fails"}) {
        oldText = ReadBytes(target);
        newText = bytes;
        Replacement replacement;
        ASSERT_TRUE(BeginReplacement(target, replacement));
        EXPECT_TRUE(replacement.TempName.empty());
        FinishReplacement(replacement, bytes);
        EXPECT_EQ(ReadBytes(target), bytes == "fails" ? "short" : bytes);
    }
    inPlaceStepHook = nullptr;
    EXPECT_EQ(steps, 13);
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    Replacement frozen;
    EXPECT_FALSE(BeginReplacement(target, frozen));
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(target), "short");
    EXPECT_EQ(ListDirectory(dir).size(), kTempFileNameAttempts + 1u);
}

TEST_F(FileSystemTest, ReplacementInAMissingDirectoryIsRefused) {
    Replacement replacement;
    EXPECT_FALSE(BeginReplacement(PathOf("absent\\Setting.ini"), replacement));
}

TEST_F(FileSystemTest, ReadOnlyTargetKeepsItsContentAndNoTemporaryFileStays) {
    WriteBytes(dir / "Setting.ini", "old");
    ASSERT_TRUE(SetFileAttributesA(PathOf("Setting.ini").c_str(), FILE_ATTRIBUTE_READONLY));
    SKIP_UNLESS_READ_ONLY_IS_ENFORCED(PathOf("Setting.ini"));
    Replacement replacement;
    if (BeginReplacement(PathOf("Setting.ini"), replacement))
        FinishReplacement(replacement, "new");
    SetFileAttributesA(PathOf("Setting.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadBytes(dir / "Setting.ini"), "old");
    EXPECT_EQ(ListDirectory(dir).size(), 1u);
}

// The rename fails while another program holds the target unshared, whoever runs the tests.
TEST_F(FileSystemTest, TargetHeldByAnotherProgramKeepsItsContentAndNoTemporaryFileStays) {
    WriteBytes(dir / "Setting.ini", "old");
    const HANDLE holder = CreateFileA(PathOf("Setting.ini").c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    Replacement replacement;
    ASSERT_TRUE(BeginReplacement(PathOf("Setting.ini"), replacement));
    FinishReplacement(replacement, "new");
    CloseHandle(holder);
    EXPECT_EQ(ReadBytes(dir / "Setting.ini"), "old");
    EXPECT_EQ(ListDirectory(dir), std::vector<std::string>{"Setting.ini"});
}

TEST_F(FileSystemTest, AppendsGoToTheEndAndAreVisibleAtOnce) {
    WriteBytes(dir / "a.log", "before ");
    const FileHandle log = OpenLockedForAppend(PathOf("a.log"));
    ASSERT_NE(log, kNoFile);
    AppendToFile(log, "one ");
    EXPECT_EQ(ReadBytes(dir / "a.log"), "before one ");
    AppendToFile(log, std::string("two\0", 4));
    EXPECT_EQ(ReadBytes(dir / "a.log"), std::string("before one two\0", 15));
    CloseFile(log);
}

TEST_F(FileSystemTest, AppendCreatesAMissingFile) {
    const FileHandle log = OpenLockedForAppend(PathOf("new.log"));
    ASSERT_NE(log, kNoFile);
    AppendToFile(log, "x");
    CloseFile(log);
    EXPECT_EQ(ReadBytes(dir / "new.log"), "x");
}

TEST_F(FileSystemTest, ASecondWriterIsKeptOut) {
    const FileHandle log = OpenLockedForAppend(PathOf("a.log"));
    ASSERT_NE(log, kNoFile);
    EXPECT_EQ(OpenLockedForAppend(PathOf("a.log")), kNoFile);
    const HANDLE other =
        CreateFileA(PathOf("a.log").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(other, INVALID_HANDLE_VALUE);
    if (other != INVALID_HANDLE_VALUE)
        CloseHandle(other);
    CloseFile(log);
    const FileHandle again = OpenLockedForAppend(PathOf("a.log"));
    EXPECT_NE(again, kNoFile);
    CloseFile(again);
}

TEST_F(FileSystemTest, AFileHeldByAnotherWriterIsNotOpened) {
    const HANDLE other =
        CreateFileA(PathOf("a.log").c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenLockedForAppend(PathOf("a.log")), kNoFile);
    CloseHandle(other);
}

} // namespace
