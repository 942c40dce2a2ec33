#include "storage/ReceiveLog.h"

#include "shared/TerminalState.h"

#include "support/ScratchDirectory.h"

#include <fcntl.h>
#include <map>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::tm Moment(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(FormatTimestamp, TokensAreReplacedAndAnythingElseCopied) {
    const std::tm late = Moment(2026, 12, 7, 14, 5, 9);
    const std::tm early = Moment(2005, 1, 2, 3, 4, 5);
    const std::tuple<std::tm, const char*, const char*> cases[] = {
        {late, "%hh_%ii_%ss__%mm_%dd_%yyyy", "14_05_09__12_07_2026"},
        {late, "%YYYY-%Yy %HH:%Ii:%sS", "2026-26 14:05:09"},
        {late, "%yyy|%y|%x%%dd%", "26y|%y|%x%07%"},
        {early, "%yy%mm%dd%hh%ii%ss", "050102030405"},
    };
    for (const auto& [moment, mask, text] : cases) {
        EXPECT_EQ(FormatTimestamp(mask, moment), text) << mask;
    }
}

// The time the log reads, fixed, and the name it gives the log at that time.
const std::tm kNow = Moment(2026, 12, 7, 14, 5, 9);
const char* const kLogName = "14_05_09__12_07_2026_Tavik.log";

class ReceiveLogTest : public ScratchDirectoryTest {
  protected:
    void SetUp() override {
        ScratchDirectoryTest::SetUp();
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        SetLogClock([] { return kNow; });
    }
    void TearDown() override {
        CloseLog();
        SetLogClock(nullptr);
        terminal = {};
        std::filesystem::current_path(previous);
        ScratchDirectoryTest::TearDown();
    }

    // Every log file in the directory with its content.
    std::map<std::string, std::string> Logs() const {
        std::map<std::string, std::string> logs;
        for (const std::string& name : ListDirectory(dir)) {
            if (name.ends_with("_Tavik.log")) {
                logs[name] = ReadBytes(dir / name);
            }
        }
        return logs;
    }

    std::filesystem::path previous;
};

TEST_F(ReceiveLogTest, ChunksArriveUnchangedAndAtOnce) {
    WriteLogChunk("41 0D 0A ");
    WriteLogChunk("");
    WriteLogChunk("\r\n\xC0\xFF");

    const std::map<std::string, std::string> logs = {{kLogName, "41 0D 0A \r\n\xC0\xFF"}};
    EXPECT_EQ(Logs(), logs); // seen before the log is closed
    CloseLog();
    EXPECT_EQ(Logs(), logs);
}

TEST_F(ReceiveLogTest, ExistingLogIsExtended) {
    WriteBytes(dir / kLogName, "earlier ");
    WriteLogChunk("later");
    CloseLog();
    EXPECT_EQ(Logs(), (std::map<std::string, std::string>{{kLogName, "earlier later"}}));
}

TEST_F(ReceiveLogTest, RotationNeedsBothFlagsAndAnOpenLog) {
    terminal.LogFlag = 1;
    terminal.NewLogPerConnectionFlag = 1;
    RotateLog(); // nothing open: nothing to do
    EXPECT_TRUE(Logs().empty());

    for (const auto& [log, newLog] : {std::pair{0, 0}, {1, 0}, {0, 1}, {1, 1}}) {
        WriteLogChunk("a");
        std::filesystem::rename(dir / Logs().begin()->first, dir / "moved");
        terminal.LogFlag = static_cast<uint8_t>(log);
        terminal.NewLogPerConnectionFlag = static_cast<uint8_t>(newLog);
        RotateLog();
        WriteLogChunk("b");
        CloseLog();

        const bool rotated = log && newLog;
        EXPECT_EQ(ReadBytes(dir / "moved"), rotated ? "a" : "ab") << log << newLog;
        EXPECT_EQ(Logs().size(), rotated ? 1u : 0u) << log << newLog;
        for (const auto& [name, content] : Logs()) {
            EXPECT_EQ(content, "b");
            std::filesystem::remove(dir / name);
        }
    }
}

TEST_F(ReceiveLogTest, FailedOpenDropsTheChunkAndTheNextOneRetries) {
    // Names taken by anything but a file: a folder, a pipe that would fill and then block,
    // a device that would swallow everything.
    using Taker = void (*)(const std::filesystem::path& name);
    const std::pair<const char*, Taker> takers[] = {
        {"folder", [](const auto& name) { std::filesystem::create_directory(name); }},
        {"pipe", [](const auto& name) { ASSERT_EQ(mkfifo(name.c_str(), 0644), 0); }},
        {"device", [](const auto& name) { std::filesystem::create_symlink("/dev/null", name); }},
    };
    for (const auto& [kind, take] : takers) {
        take(dir / kLogName);
        WriteLogChunk("lost");
        std::filesystem::remove(dir / kLogName);
        WriteLogChunk("kept");
        CloseLog();
        ASSERT_EQ(Logs().size(), 1u) << kind;
        EXPECT_EQ(Logs().begin()->second, "kept") << kind;
        std::filesystem::remove(dir / Logs().begin()->first);
    }
}

TEST_F(ReceiveLogTest, LogLockedByAnotherWriterIsNotWritten) {
    const int held = open((dir / kLogName).c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    WriteLogChunk("lost");
    close(held);
    WriteLogChunk("kept");

    std::string all;
    for (const auto& [name, content] : Logs()) {
        all += content;
    }
    EXPECT_EQ(all, "kept");
    // While the log is ours, another writer's lock is refused in turn.
    for (const auto& [name, content] : Logs()) {
        if (!content.empty()) {
            const int fd = open((dir / name).c_str(), O_RDONLY);
            EXPECT_NE(flock(fd, LOCK_EX | LOCK_NB), 0);
            close(fd);
        }
    }
}

} // namespace
