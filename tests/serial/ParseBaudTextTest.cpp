#include <gtest/gtest.h>

#include "serial/ParseBaudText.h"

namespace {

struct BaudCase {
    const char* text;
    int64_t value;
};

void ExpectAll(std::initializer_list<BaudCase> cases) {
    for (const BaudCase& c : cases)
        EXPECT_EQ(ParseBaudText(c.text), c.value) << '"' << c.text << '"';
}

TEST(ParseBaudTextTest, DecimalStopsAtTheFirstCharacterThatDoesNotFit) {
    ExpectAll({{"9600", 9600},
               {" 9600abc", 9600},
               {"\t \t115200", 115200},
               {"1048576", 1048576},
               {"12 34", 12},
               {"0x10", 0},
               {"007", 7},
               {"96.5", 96}});
}

TEST(ParseBaudTextTest, DollarIsHexadecimalInEitherCase) {
    ExpectAll({{"$2580", 9600}, {"$ff", 255}, {"$FF", 255}, {"$aBc", 0xABC}, {"$12g4", 0x12}});
}

TEST(ParseBaudTextTest, PercentIsBinary) {
    ExpectAll({{"%101", 5}, {"%1102", 6}, {" %10010110000000", 9600}});
}

TEST(ParseBaudTextTest, SignAppliesToEveryBase) {
    ExpectAll({{"+42", 42}, {"-42", -42}, {"-$10", -16}, {"-%11", -3}, {" +9600", 9600}});
}

TEST(ParseBaudTextTest, NoDigitsGiveZero) {
    ExpectAll({{"", 0},
               {"-", 0},
               {"+", 0},
               {"$", 0},
               {"%", 0},
               {"%2", 0},
               {"abc", 0},
               {"   ", 0},
               {"- 5", 0},
               {"\n9600", 0},
               {"+-5", 0}});
}

TEST(ParseBaudTextTest, WrapsAroundIn64Bits) {
    ExpectAll({{"18446744073709551615", -1},
               {"18446744073709551616", 0},
               {"18446744073709551617", 1},
               {"9223372036854775807", INT64_MAX},
               {"9223372036854775808", INT64_MIN},
               {"-9223372036854775808", INT64_MIN},
               {"$FFFFFFFFFFFFFFFF", -1},
               {"$10000000000000000", 0},
               {"$123456789ABCDEF01", 0x23456789ABCDEF01}});
}

TEST(ParseBaudTextTest, LowThirtyTwoBitsGiveTheRate) {
    EXPECT_EQ(static_cast<uint32_t>(ParseBaudText("4294976896")), 9600u);
    EXPECT_EQ(static_cast<uint32_t>(ParseBaudText("$100002580")), 9600u);
}

} // namespace
