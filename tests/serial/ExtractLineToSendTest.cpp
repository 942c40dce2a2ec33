#include <gtest/gtest.h>

#include "serial/ExtractLineToSend.h"

namespace {

TEST(ExtractLineToSendTest, LineThatTheLastLineBreakEnds) {
    const std::pair<const char*, const char*> cases[] = {
        {"ATZ\r\n", "ATZ"},    {"ATZ\r\nATI\r\n", "ATI"}, {"ATZ\r\n\r\n", ""},
        {"abc\r\ndef", "abc"}, {"l1\r\n\r\nl2", ""},      {"one\r\ntwo\r\nthree\r\nfour", "three"},
    };
    for (const auto& [text, line] : cases)
        EXPECT_EQ(ExtractLineToSend(text), line) << '"' << text << '"';
}

TEST(ExtractLineToSendTest, NoLineBreakGivesNothing) {
    EXPECT_EQ(ExtractLineToSend(""), "");
    EXPECT_EQ(ExtractLineToSend("ATZ"), "");
    EXPECT_EQ(ExtractLineToSend("ATZ\r"), "");
}

TEST(ExtractLineToSendTest, EveryCarriageReturnIsRemoved) {
    EXPECT_EQ(ExtractLineToSend("a\rb\r\r\n"), "ab");
    EXPECT_EQ(ExtractLineToSend("\r\n"), "");
    EXPECT_EQ(ExtractLineToSend("x\ny\n"), "y");
    EXPECT_EQ(ExtractLineToSend("\n"), "");
}

TEST(ExtractLineToSendTest, BytesOfTheLineAreKept) {
    EXPECT_EQ(ExtractLineToSend("  AT\tZ \t\r\n"), "  AT\tZ \t");
    // "Привет" in Windows-1251
    EXPECT_EQ(ExtractLineToSend("\xCF\xF0\xE8\xE2\xE5\xF2\r\n"), "\xCF\xF0\xE8\xE2\xE5\xF2");
}

} // namespace
