#include "storage/SettingsFile.h"

#include "support/ScratchDirectory.h"

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>

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
    // A directory in the file's place cannot be replaced by a file.
    std::filesystem::create_directory(dir / "Setting.ini");
    WriteBytes(dir / "Setting.ini" / "inside", "kept");
    ASSERT_TRUE(CreateSettings(dir / "Setting.ini"));
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

} // namespace
