#include "storage/SettingsFile.h"

#include "storage/InPlaceWrite.h"
#include "storage/SettingsSyntax.h"
#include "storage/TempFileName.h"
#include "support/ScratchDirectory.h"

#include <csignal>
#include <functional>
#include <optional>
#include <set>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The nineteen lines in the order the program writes them.
struct Line {
    const char* Group;
    const char* Key;
    bool IsNumber;
};
const Line kLines[] = {
    {"", "Port", false},     {"", "Bauds", false},      {"", "InMode", true},
    {"", "WinState", true},  {"", "Pos", true},         {"", "Log", true},
    {"", "nLog", true},      {"", "Transparent", true}, {"", "AutoConnect", true},
    {"Font", "Name", false}, {"Font", "Size", true},    {"Font", "Style", true},
    {"Font", "Color", true}, {"Window", "x", true},     {"Window", "y", true},
    {"Window", "w", true},   {"Window", "h", true},
};
const std::vector<std::string> kValues = {
    "COM3", "",    "1",  "1",   "150", "0",   "1",  "200", "0", "\xCA\xF3\xF0\xFC\xE5\xF0 New",
    "12",   "768", "-1", "-20", "100", "420", "304"};
const std::string kSavedFile = "Port = COM3\r\n"
                               "Bauds = \r\n"
                               "InMode = 1\r\n"
                               "WinState = 1\r\n"
                               "Pos = 150\r\n"
                               "Log = 0\r\n"
                               "nLog = 1\r\n"
                               "Transparent = 200\r\n"
                               "AutoConnect = 0\r\n"
                               "[Font]\r\n"
                               "Name = \xCA\xF3\xF0\xFC\xE5\xF0 New\r\n"
                               "Size = 12\r\n"
                               "Style = 768\r\n"
                               "Color = -1\r\n"
                               "[Window]\r\n"
                               "x = -20\r\n"
                               "y = 100\r\n"
                               "w = 420\r\n"
                               "h = 304\r\n";

void Save(const std::vector<std::string>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i == 0 || std::string_view(kLines[i].Group) != kLines[i - 1].Group) {
            SelectGroup(kLines[i].Group);
        }
        if (kLines[i].IsNumber) {
            WriteNumber(kLines[i].Key, std::stoll(values[i]));
        } else {
            WriteText(kLines[i].Key, values[i]);
        }
    }
}

// Defaults that differ from every saved value show a key that was not found.
std::vector<std::string> Load() {
    std::vector<std::string> values;
    for (const Line& line : kLines) {
        SelectGroup(line.Group);
        values.push_back(line.IsNumber ? std::to_string(ReadNumber(line.Key, 12345))
                                       : ReadText(line.Key, "missing"));
    }
    return values;
}

using SettingsFileTest = ScratchDirectoryTest;

TEST_F(SettingsFileTest, NineteenLinesRoundTrip) {
    const std::string file = dir / "Setting.ini";
    WriteBytes(file, "old = 1\r\n");
    chmod(file.c_str(), 0640);

    ASSERT_TRUE(CreateSettings(file));
    Save(kValues);
    CloseSettings();
    EXPECT_EQ(ReadBytes(file), kSavedFile);
    EXPECT_EQ(ListDirectory(dir), std::vector<std::string>{"Setting.ini"});
    struct stat status {};
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);

    OpenSettings(file);
    const std::vector<std::string> loaded = Load();
    CloseSettings();
    EXPECT_EQ(loaded, kValues);
    EXPECT_EQ(ReadBytes(file), kSavedFile); // reading writes nothing back

    ASSERT_TRUE(CreateSettings(file));
    Save(loaded);
    CloseSettings();
    EXPECT_EQ(ReadBytes(file), kSavedFile);
}

struct ReadCase {
    std::string file;
    std::string group, key;
    int32_t number;   // as ReadNumber gives it, -99 being the default
    std::string text; // as ReadText gives it, "default" being the default
};

TEST_F(SettingsFileTest, ReadsFindTheFirstKeyOfTheSelectedSection) {
    const ReadCase cases[] = {
        {"InMode=2\r\n", "", "InMode", 2, "2"},
        {"InMode = 2\r\n", "", "inmode", 2, "2"},
        {"inMode\t=\t2\r\n", "", "INMODE", 2, "2"},
        {"[font]\r\nSize=9\r\n", "Font", "Size", 9, "9"},
        {"[ Font ]\r\nSize=9\r\n", "Font", "Size", -99, "default"},
        {"Port=COM1\r\n[Font]\r\n", "", "Port", 0, "COM1"},
        {"Port=COM1\r\n[Font]\r\n", "Font", "Port", -99, "default"},
        {"Port=COM1\r\n[Font]\r\n", "Window", "Port", -99, "default"},
        {"[A]\r\nk=1\r\n[B]\r\nj=2\r\n", "A", "j", -99, "default"},
        {"[A]\r\nk=1\r\n[B]\r\nj=2\r\n", "", "k", -99, "default"},
        {"[A]\r\nk=1\r\n[A]\r\nk=2\r\nj=3\r\n", "a", "k", 1, "1"},
        {"[A]\r\nk=1\r\n[A]\r\nk=2\r\nj=3\r\n", "A", "j", -99, "default"},
        {"k=1\r\nK=2\r\n", "", "k", 1, "1"},
        {"InMode=\r\n", "", "InMode", 0, ""},
        {"n=-12\r\n", "", "n", -12, "-12"},
        {"n=12 px\r\n", "", "n", 12, "12 px"},
        {"n=abc\r\n", "", "n", 0, "abc"},
        {"n=4294967297\r\n", "", "n", 1, "4294967297"},
        {"t= \t hello world \t \r\n", "", "t", 0, "hello world"},
        {"n=5 ; note\r\n", "", "n", 5, "5 ; note"},
        {"\xC0=1\r\n", "", "\xE0", -99, "default"},
        {"a=1\nb=7\n", "", "b", 7, "7"},
        {"; head\r\n\r\na=1\r\n\r\n; between\r\n\r\nb=7\r\n", "", "b", 7, "7"},
        {"\xEF\xBB\xBF[Font]\r\nSize=9\r\n", "Font", "Size", 9, "9"},
        {"\xEF\xBB\xBF[\xC3\xA9]\r\n\xC3\xA9=\xD0\x96\xC3\xA9!\r\n", "\xE9", "\xE9", 0, "?\xE9!"},
        {"\xC3\xA9=1\r\n", "", "\xE9", -99, "default"},
    };
    const std::string file = dir / "Setting.ini";
    for (const ReadCase& c : cases) {
        WriteBytes(file, c.file);
        OpenSettings(file);
        SelectGroup(c.group);
        EXPECT_EQ(ReadNumber(c.key, -99), c.number) << c.file << " [" << c.group << "] " << c.key;
        EXPECT_EQ(ReadText(c.key, "default"), c.text) << c.file << " [" << c.group << "] " << c.key;
        CloseSettings();
        EXPECT_EQ(ReadBytes(file), c.file);
    }

    OpenSettings(dir / "missing.ini");
    EXPECT_EQ(ReadNumber("InMode", 1), 1);
    EXPECT_EQ(ReadText("Bauds", "9600"), "9600");
    CloseSettings();
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.ini"));
}

struct WriteCase {
    const char* before; // nullptr: no file
    std::function<void(const std::string&)> writes;
    std::string after;
};

TEST_F(SettingsFileTest, WritesPlaceKeysByTheirSection) {
    const WriteCase cases[] = {
        {"old = 1\r\n", [](auto& f) { CreateSettings(f); }, ""},
        {nullptr,
         [](auto& f) {
             CreateSettings(f);
             WriteNumber("k", 1);
             WriteNumber("K", (1LL << 32) + 2);
             SelectGroup("Unused");
             SelectGroup("");
             WriteNumber("big", 2147483648LL);
         },
         "K = 2\r\nbig = -2147483648\r\n"},
        {nullptr,
         [](auto& f) {
             CreateSettings(f);
             SelectGroup("G");
             WriteText("x", "1");
             SelectGroup("");
             WriteText("a", "2");
             SelectGroup("H");
             WriteText("y", "3");
             SelectGroup("g");
             WriteText("z", "4");
         },
         "a = 2\r\n[G]\r\nx = 1\r\nz = 4\r\n[H]\r\ny = 3\r\n"},
        {"; head\r\n\r\nport=1\r\n;tail\r\n[G]\r\nk=1\r\n; end\r\n[H]\r\n",
         [](auto& f) {
             OpenSettings(f);
             WriteText("Port", "COM2");
             WriteText("New", "x");
             SelectGroup("g");
             WriteText("j", "2");
         },
         "; head\r\nPort = COM2\r\nNew = x\r\n; tail\r\n[G]\r\nk = 1\r\n; end\r\nj = 2\r\n[H]\r\n"},
        {"; head\r\n[G]\r\n",
         [](auto& f) {
             OpenSettings(f);
             WriteText("a", "");
         },
         "a = \r\n; head\r\n[G]\r\n"},
        {nullptr,
         [](auto& f) {
             OpenSettings(f);
             WriteText("a", "1");
         },
         "a = 1\r\n"},
    };
    const std::string file = dir / "Setting.ini";
    for (const WriteCase& c : cases) {
        std::filesystem::remove(file);
        if (c.before) {
            WriteBytes(file, c.before);
        }
        c.writes(file);
        CloseSettings();
        EXPECT_EQ(ReadBytes(file), c.after) << (c.before ? c.before : "(no file)");
        EXPECT_EQ(ListDirectory(dir), std::vector<std::string>{"Setting.ini"});
    }
}

TEST_F(SettingsFileTest, UncreatableFileWritesNothing) {
    WriteBytes(dir / "plain", "plain");
    for (const auto& path : {dir / "missing" / "Setting.ini", dir / "plain" / "Setting.ini"}) {
        EXPECT_FALSE(CreateSettings(path)) << path;
        WriteText("Port", "COM1");
        CloseSettings();
    }
    EXPECT_EQ(ListDirectory(dir), std::vector<std::string>{"plain"});
    EXPECT_EQ(ReadBytes(dir / "plain"), "plain");
}

TEST_F(SettingsFileTest, FailedReplaceKeepsTheOldFile) {
    // A directory that takes the file's place while the new one is written cannot be replaced
    // by a file.
    WriteBytes(dir / "Setting.ini", "old");
    ASSERT_TRUE(CreateSettings(dir / "Setting.ini"));
    std::filesystem::remove(dir / "Setting.ini");
    std::filesystem::create_directory(dir / "Setting.ini");
    WriteBytes(dir / "Setting.ini" / "inside", "kept");
    WriteText("Port", "COM1");
    CloseSettings();
    EXPECT_EQ(ReadBytes(dir / "Setting.ini" / "inside"), "kept");
    EXPECT_EQ(ListDirectory(dir), std::vector<std::string>{"Setting.ini"});
}

TEST_F(SettingsFileTest, WriteFailingPartwayKeepsTheOldFile) {
    const std::string file = dir / "Setting.ini";
    WriteBytes(file, "Port = COM1\r\n");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 40; // room for a couple of lines only, as on a full disk
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

    const bool created = CreateSettings(file);
    Save(kValues);
    CloseSettings();

    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(created);
    EXPECT_EQ(ReadBytes(file), "Port = COM1\r\n");
    EXPECT_EQ(ListDirectory(dir), std::vector<std::string>{"Setting.ini"});
}

namespace fs = std::filesystem;

struct KindCase {
    const char* kind;
    // Makes "Setting.ini" (and what it refers to) in the current directory, which holds a
    // folder "other" beside it.
    std::function<void()> make;
    const char* read;        // ReadText("Port") through the name: "OLD", or "missing"
    bool created;            // CreateSettings
    const char* holdsNew;    // the file that holds "Port = NEW" afterwards; none when not saved
    fs::file_type kindAfter; // of the name itself
};

const char* KindName(fs::file_type type) {
    switch (type) {
    case fs::file_type::regular:
        return "file";
    case fs::file_type::symlink:
        return "link";
    case fs::file_type::fifo:
        return "pipe";
    case fs::file_type::socket:
        return "socket";
    case fs::file_type::directory:
        return "folder";
    default:
        return "other";
    }
}

void MakeSocket(const char* name) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", name);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
}

void WriteOld(const fs::path& file, fs::perms mode = fs::perms(0644)) {
    WriteBytes(file, "Port = OLD\r\n");
    fs::permissions(file, mode);
}

// Every name a new file beside it could take is taken, as in a folder the user may not write.
void TakeTempNames(const std::string& target) {
    for (int attempt = 0; attempt < kTempFileNameAttempts; ++attempt)
        WriteBytes(TempFileName(target, static_cast<std::uint64_t>(getpid()), attempt), "");
}

TEST_F(SettingsFileTest, EachKindOfFileIsReadAndReplacedAsItAllows) {
    using fs::file_type;
    const fs::perms readOnly = fs::perms(0444);
    const KindCase cases[] = {
        {"no file", [] {}, "missing", true, "Setting.ini", file_type::regular},
        {"file", [] { WriteOld("Setting.ini"); }, "OLD", true, "Setting.ini", file_type::regular},
        {"read-only file", [&] { WriteOld("Setting.ini", readOnly); }, "OLD", false, nullptr,
         file_type::regular},
        {"link to a file elsewhere",
         [] {
             WriteOld("other/mine.ini");
             fs::create_symlink("other/mine.ini", "Setting.ini");
         },
         "OLD", true, "other/mine.ini", file_type::symlink},
        {"chain of relative links",
         [] {
             WriteOld("other/mine.ini");
             fs::create_symlink("mine.ini", "other/middle");
             fs::create_symlink(fs::absolute("other/middle"), "Setting.ini");
         },
         "OLD", true, "other/mine.ini", file_type::symlink},
        {"link to a file in a folder that takes no new file, written in place",
         [] {
             WriteBytes("other/mine.ini", "Port = OLD\r\n; a longer file than the new one\r\n");
             TakeTempNames("other/mine.ini");
             fs::create_symlink("other/mine.ini", "Setting.ini");
         },
         "OLD", true, "other/mine.ini", file_type::symlink},
        {"link to a read-only file",
         [&] {
             WriteOld("other/mine.ini", readOnly);
             fs::create_symlink("other/mine.ini", "Setting.ini");
         },
         "OLD", false, nullptr, file_type::symlink},
        {"dangling link", [] { fs::create_symlink("other/new.ini", "Setting.ini"); }, "missing",
         true, "other/new.ini", file_type::symlink},
        {"link into a missing folder", [] { fs::create_symlink("gone/new.ini", "Setting.ini"); },
         "missing", false, nullptr, file_type::symlink},
        {"link to itself", [] { fs::create_symlink("Setting.ini", "Setting.ini"); }, "missing",
         false, nullptr, file_type::symlink},
        {"loop of two links",
         [] {
             fs::create_symlink("../Setting.ini", "other/back");
             fs::create_symlink("other/back", "Setting.ini");
         },
         "missing", false, nullptr, file_type::symlink},
        {"pipe", [] { ASSERT_EQ(mkfifo("Setting.ini", 0644), 0); }, "missing", false, nullptr,
         file_type::fifo},
        {"link to an endless device", [] { fs::create_symlink("/dev/zero", "Setting.ini"); },
         "missing", false, nullptr, file_type::symlink},
        {"socket", [] { MakeSocket("Setting.ini"); }, "missing", false, nullptr, file_type::socket},
        {"folder", [] { fs::create_directory("Setting.ini"); }, "missing", false, nullptr,
         file_type::directory},
        {"link to a folder", [] { fs::create_symlink("other", "Setting.ini"); }, "missing", false,
         nullptr, file_type::symlink},
    };
    const fs::path previous = fs::current_path();
    for (const KindCase& c : cases) {
        SCOPED_TRACE(c.kind);
        const fs::path here = dir / c.kind;
        fs::create_directories(here / "other");
        fs::current_path(here);
        c.make();
        const std::vector<std::string> before = ListDirectory(here / "other");

        OpenSettings("Setting.ini");
        EXPECT_EQ(ReadText("Port", "missing"), c.read);
        CloseSettings();

        EXPECT_EQ(CreateSettings("Setting.ini"), c.created);
        WriteText("Port", "NEW");
        CloseSettings();

        EXPECT_STREQ(KindName(fs::symlink_status("Setting.ini").type()), KindName(c.kindAfter));
        if (c.holdsNew) {
            EXPECT_EQ(ReadBytes(c.holdsNew), "Port = NEW\r\n");
        } else if (std::string(c.read) == "OLD") {
            EXPECT_EQ(ReadBytes("Setting.ini"), "Port = OLD\r\n") << "left as it was";
        }
        EXPECT_EQ(ListDirectory(here), (std::vector<std::string>{"Setting.ini", "other"}));
        std::vector<std::string> after = before;
        if (c.holdsNew && std::string(c.holdsNew).starts_with("other/") &&
            std::find(after.begin(), after.end(), fs::path(c.holdsNew).filename()) == after.end())
            after.push_back(fs::path(c.holdsNew).filename());
        EXPECT_EQ(ListDirectory(here / "other"), after) << "nothing but the target written there";
        fs::current_path(previous);
    }
}

// Setting.ini written over in place, as where no new file can be made beside it. Between the
// steps, where a kill would leave it, it reads as the old settings or the new ones; steps may
// fail, another program may cut the file to five bytes before a step, and the end is the old
// text or the new one, read as such, with no zero byte at any point.
struct InPlaceWatch {
    std::string file, old;
    std::optional<InPlaceStep> shortenedAt;
    std::set<InPlaceStep> failing, failed;
    bool shortened = false;
    int looks = 0;
};
InPlaceWatch* watch = nullptr;

bool ReadsAs(const std::string& bytes, const std::string& text) {
    return ParseSettings(bytes).Entries == ParseSettings(text).Entries;
}

bool LookBetweenSteps(InPlaceStep step) {
    const std::string bytes = ReadBytes(watch->file);
    ++watch->looks;
    EXPECT_EQ(bytes.find('\0'), std::string::npos) << static_cast<int>(step);
    EXPECT_TRUE(watch->shortened || ReadsAs(bytes, watch->old) || ReadsAs(bytes, kSavedFile))
        << static_cast<int>(step) << ": " << bytes;
    if (watch->shortenedAt == step)
        watch->shortened = truncate(watch->file.c_str(), 5) == 0;
    if (!watch->failing.contains(step))
        return true;
    watch->failed.insert(step);
    return false;
}

TEST_F(SettingsFileTest, InPlaceWriteLeavesTheOldSettingsOrTheNewOnes) {
    using enum InPlaceStep;
    const std::pair<std::optional<InPlaceStep>, std::set<InPlaceStep>> cases[] = {
        {{}, {}},
        {{}, {ReadOld}},
        {{}, {TakeRoom}},
        {{}, {WriteNew}},
        {{}, {CutNew}},
        {{}, {Flush}},
        {{}, {TakeRoom, PutOldBack}},
        {{}, {WriteNew, CutOld}},
        {TakeRoom, {TakeRoom}},
        {TakeRoom, {WriteNew}},
        {WriteNew, {}},
        {WriteNew, {WriteNew}}};
    const std::string file = dir / "Setting.ini";
    TakeTempNames(file);
    const std::string shorter = "Port = OLD\r\n";
    for (const std::string& old : {shorter, shorter + "; " + std::string(400, 'x') + "\r\n"}) {
        for (std::size_t c = 0; c < std::size(cases); ++c) {
            SCOPED_TRACE(testing::Message() << old.size() << " bytes, case " << c);
            WriteBytes(file, old);
            InPlaceWatch seen{file, old, cases[c].first, cases[c].second, {}, false, 0};
            watch = &seen;
            inPlaceStepHook = LookBetweenSteps;
            ASSERT_TRUE(CreateSettings(file));
            Save(kValues);
            CloseSettings();
            inPlaceStepHook = nullptr;

            const std::string bytes = ReadBytes(file);
            EXPECT_GT(seen.looks, 0) << "written in place";
            EXPECT_EQ(bytes.find('\0'), std::string::npos);
            const bool keptOld = seen.failed.contains(ReadOld) || seen.failed.contains(TakeRoom) ||
                                 seen.failed.contains(WriteNew);
            EXPECT_TRUE(ReadsAs(bytes, keptOld ? old : kSavedFile)) << bytes;
            if (!seen.failed.contains(PutOldBack) && !seen.failed.contains(CutOld) &&
                !seen.failed.contains(CutNew)) {
                EXPECT_EQ(bytes, keptOld ? old : kSavedFile);
            }
        }
    }
}

TEST_F(SettingsFileTest, OnlyTheFirstSixteenMebibytesAreRead) {
    const std::string file = dir / "Setting.ini";
    std::string bytes = "Port = COM3\r\n";
    bytes += "; " + std::string((16u << 20) - bytes.size() - 4, 'x') + "\r\n";
    bytes += "Bauds = 1200\r\n";
    WriteBytes(file, bytes);
    OpenSettings(file);
    EXPECT_EQ(ReadText("Port", "none"), "COM3");
    EXPECT_EQ(ReadText("Bauds", "none"), "none") << "beyond the limit";
    CloseSettings();
}

} // namespace
