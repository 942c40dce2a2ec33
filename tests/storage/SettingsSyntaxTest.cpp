#include "storage/SettingsSyntax.h"
#include "storage/SettingsValues.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

SettingsEntry Key(std::string name, std::string value) {
    return {EntryKind::Key, std::move(name), std::move(value)};
}
SettingsEntry Group(std::string name) {
    return {EntryKind::Group, std::move(name), {}};
}
SettingsEntry Comment(std::string text) {
    return {EntryKind::Comment, std::move(text), {}};
}

struct ParseCase {
    std::string text;
    std::vector<SettingsEntry> entries;
};

TEST(SettingsSyntax, LinesBecomeEntries) {
    const ParseCase cases[] = {
        {"Port=COM1", {Key("Port", "COM1")}},
        {"Port = COM1", {Key("Port", "COM1")}},
        {" \tPort\t=\tCOM1", {Key("Port", "COM1")}},
        {"Name = a = b ", {Key("Name", "a = b ")}},
        {"Pos = 5 ; note", {Key("Pos", "5 ; note")}},
        {"  Lonely key \t", {Key("Lonely key", "")}},
        {"= value", {Key("", "value")}},
        {";note", {Comment("note")}},
        {"\t;  two spaces", {Comment(" two spaces")}},
        {"[Font]", {Group("Font")}},
        {"[ Font ] tail = 1", {Group(" Font ")}},
        {"[a]b]", {Group("a")}}, // up to the first ]
        {"[Open = 1", {Group("Open = 1")}},
        {" \t \r\n\r\n", {}},
        {"a=1\nb=2\rc=3\r\n\r\n\n\rd=4",
         {Key("a", "1"), Key("b", "2"), Key("c", "3"), Key("d", "4")}},
        {"k=1\r\nK=2\r\n[G]\r\n[g]", {Key("k", "1"), Key("K", "2"), Group("G"), Group("g")}},
        {"\xEF\xBB", {Key("\xEF\xBB", "")}},
    };
    for (const ParseCase& c : cases) {
        const ParsedSettings parsed = ParseSettings(c.text);
        EXPECT_EQ(parsed.Entries, c.entries) << c.text;
        EXPECT_FALSE(parsed.Utf8) << c.text;
    }
}

TEST(SettingsSyntax, ByteOrderMarkSetsUtf8AndIsSkipped) {
    const ParsedSettings parsed = ParseSettings("\xEF\xBB\xBF[Font]\r\nName=x");
    EXPECT_TRUE(parsed.Utf8);
    EXPECT_EQ(parsed.Entries, (std::vector{Group("Font"), Key("Name", "x")}));
}

TEST(SettingsSyntax, WrittenFormAndRoundTrip) {
    const std::vector<SettingsEntry> entries = {Key("Port", ""), Comment(""), Comment(" x"),
                                                Group("Font"), Key("Name", "\xCA\xF3\xF0")};
    const std::string text = FormatSettings(entries);
    EXPECT_EQ(text, "Port = \r\n; \r\n;  x\r\n[Font]\r\nName = \xCA\xF3\xF0\r\n");
    EXPECT_EQ(ParseSettings(text).Entries, entries);

    // Whatever a messy file holds, writing what was read and reading it again changes nothing.
    for (const char* messy : {" a =  b \r\n;c\n[ G ]x\rk\r\n=v\n;", "\t[\r\n[]\r\n;;\r\n==\r\n"}) {
        const std::vector<SettingsEntry> once = ParseSettings(messy).Entries;
        EXPECT_EQ(ParseSettings(FormatSettings(once)).Entries, once) << messy;
    }
}

TEST(SettingsValues, NumbersReadAsTheirLeadingDigits) {
    const std::pair<const char*, int32_t> cases[] = {
        {"42", 42},
        {"-12", -12},
        {"+3", 3},
        {" \t 7", 7},
        {"12 px", 12},
        {"9;note", 9},
        {"abc", 0},
        {"0x1F", 0},
        {"", 0},
        {"-", 0},
        {"2147483647", 2147483647},
        {"2147483648", INT32_MIN},
        {"4294967297", 1},
        {"-2147483649", INT32_MAX},
    };
    for (const auto& [value, number] : cases) {
        EXPECT_EQ(ValueToNumber(value), number) << value;
    }
}

TEST(SettingsValues, WrittenNumbersKeepTheirLow32Bits) {
    const std::pair<int64_t, const char*> cases[] = {
        {0, "0"},
        {-1, "-1"},
        {2147483648LL, "-2147483648"},
        {1LL << 32, "0"},
        {(1LL << 32) + 5, "5"},
        {-4294967297LL, "-1"},
    };
    for (const auto& [number, value] : cases) {
        EXPECT_EQ(NumberToValue(number), value) << number;
        EXPECT_EQ(ValueToNumber(NumberToValue(number)), static_cast<int32_t>(number)) << number;
    }
}

TEST(SettingsValues, Utf8Conversions) {
    EXPECT_EQ(SingleByteToUtf8("a\xE9\x80"), "a\xC3\xA9\xC2\x80");
    const std::pair<const char*, const char*> cases[] = {
        {"plain", "plain"},
        {"\xC3\xA9", "\xE9"},
        {"\xD0\x96", "?"},
        {"\xE2\x82\xAC!", "?!"},
        {"\xF0\x9F\x98\x80", "?"},
        {"a\x80"
         "b",
         "ab"},
        {"\xC3"
         "A",
         "A"},
        {"x\xE2\x82", "x"},
        {"\xFF\xF8", ""},
    };
    for (const auto& [utf8, bytes] : cases) {
        EXPECT_EQ(Utf8ToSingleByte(utf8), bytes) << utf8;
    }
}

} // namespace
