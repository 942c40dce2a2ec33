#include <bitset>
#include <cstdio>
#include <gtest/gtest.h>

#include "shared/TerminalState.h"
#include "serial/AppendByteText.h"

namespace {

std::string Shown(int32_t mode, std::initializer_list<unsigned char> bytes) {
    std::string chunk;
    for (const unsigned char byte : bytes)
        AppendByteText(chunk, mode, byte);
    return chunk;
}

TEST(AppendByteTextTest, HexGivesTwoUpperCaseDigitsAndASpace) {
    EXPECT_EQ(Shown(Hex, {0x00, 0x0A, 0xFF}), "00 0A FF ");
    for (int b = 0; b < 256; ++b) {
        char expected[4];
        std::snprintf(expected, sizeof expected, "%02X ", b);
        EXPECT_EQ(Shown(Hex, {static_cast<unsigned char>(b)}), expected);
    }
}

TEST(AppendByteTextTest, BinGivesEightDigitsMostSignificantFirstAndASpace) {
    EXPECT_EQ(Shown(Bin, {0x05}), "00000101 ");
    EXPECT_EQ(Shown(Bin, {0x80}), "10000000 ");
    EXPECT_EQ(Shown(Bin, {0x0A}), "00001010 ");
    EXPECT_EQ(Shown(Bin, {0x00}), "00000000 ");
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(Shown(Bin, {static_cast<unsigned char>(b)}), std::bitset<8>(b).to_string() + " ");
}

TEST(AppendByteTextTest, CharGivesTheByteItselfButNeverAZero) {
    EXPECT_EQ(Shown(Char, {0x41, 0x00, 0x42}), "AB");
    EXPECT_EQ(Shown(Char, {0x00, 0x00}), "");
    EXPECT_EQ(Shown(Char, {0x0A}), "\n");
    EXPECT_EQ(Shown(Char, {0x0D, 0x0A, 0x09, 0x07}), "\r\n\t\a");
    EXPECT_EQ(Shown(Char, {0xC0}), "\xC0"); // Cyrillic А
    EXPECT_EQ(Shown(Char, {0xFF}), "\xFF");
}

TEST(AppendByteTextTest, OtherModesConsumeBytesAndShowNothing) {
    for (const int32_t mode : {3, 5, -1, INT32_MAX, INT32_MIN})
        EXPECT_EQ(Shown(mode, {0x00, 0x41, 0x0A, 0xFF}), "") << mode;
}

TEST(AppendByteTextTest, TextIsAddedToTheEndOfTheChunk) {
    std::string chunk = "A";
    AppendByteText(chunk, Hex, 0x42);
    AppendByteText(chunk, Bin, 0x01);
    AppendByteText(chunk, Char, 0x43);
    EXPECT_EQ(chunk, "A42 00000001 C");
}

} // namespace
