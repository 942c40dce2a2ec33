#include <gtest/gtest.h>
#include <iconv.h>

#include "shared/Cp1251.h"
#include "ui/qt/QtText.h"

namespace {

// The C library's converter as an independent reference; it knows no character for 0x98.
char16_t ReferenceCodePoint(unsigned char byte) {
    iconv_t cd = iconv_open("UTF-16LE", "CP1251");
    char in[1] = {static_cast<char>(byte)};
    char out[4] = {};
    char* inPtr = in;
    char* outPtr = out;
    std::size_t inLeft = 1, outLeft = sizeof out;
    const std::size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<std::size_t>(-1))
        return 0;
    return static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                 static_cast<unsigned char>(out[1]) << 8);
}

} // namespace

TEST(Cp1251, EveryHighByteMapsAsTheCodePageSaysAndBack) {
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const char16_t expected =
            byte == 0x98 ? u'\u0098' : ReferenceCodePoint(static_cast<unsigned char>(byte));
        ASSERT_NE(expected, 0) << byte;
        EXPECT_EQ(kCp1251ToUnicode[byte], expected) << std::hex << byte;
        EXPECT_EQ(static_cast<unsigned char>(UnicodeToCp1251(expected)), byte) << std::hex << byte;
    }
    for (int byte = 0; byte < 0x80; ++byte)
        EXPECT_EQ(kCp1251ToUnicode[byte], byte);
}

TEST(Cp1251, QtBoundaryRoundTripsAllBytesAndMarksTheRest) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all.push_back(static_cast<char>(byte));
    EXPECT_EQ(FromQString(ToQString(all)), all);
    EXPECT_EQ(ToQString("\xCF\xF0\xE8\xE2\xE5\xF2"), QString::fromUtf16(u"Привет"));
    // No Windows-1251 byte: CJK, a Latin letter with a caron, an emoji (one '?' per character).
    EXPECT_EQ(FromQString(QString::fromUtf16(u"a\u4E2D\u010D\U0001F600b")), "a???b");
}
