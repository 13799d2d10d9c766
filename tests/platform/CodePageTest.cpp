#include <gtest/gtest.h>

#include "CodePage.h"

using namespace spx;

TEST(CodePage, EveryByteSurvivesARoundTrip)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += char(b);
    const std::string utf8 = ansiToUtf8(all);
    EXPECT_EQ(utf8ToAnsi(utf8), all);
}

TEST(CodePage, MapsTheWindowsCharacters)
{
    EXPECT_EQ(ansiToUtf8("\x80 caf\xE9 \x9F"), "\xE2\x82\xAC caf\xC3\xA9 \xC5\xB8");
    EXPECT_EQ(utf8ToAnsi("\xE2\x82\xAC caf\xC3\xA9 \xE2\x80\x93"), "\x80 caf\xE9 \x96");
    EXPECT_EQ(utf8ToAnsi("A\xE2\x86\x92Z"), "A?Z");              // arrow: no such character
    EXPECT_EQ(utf8ToAnsi("\xF0\x9F\x98\x80!"), "?!");            // beyond the basic plane
}

TEST(CodePage, MalformedUtf8NeverBecomesAHiddenByte)
{
    EXPECT_EQ(utf8ToAnsi("a\xC3"), "a?");                 // cut sequence
    EXPECT_EQ(utf8ToAnsi("\xFF\xFE"), "??");
    EXPECT_EQ(utf8ToAnsi(std::string("\xC0\x80x", 3)), "?x");   // overlong zero
    EXPECT_EQ(utf8ToAnsi("\xC0\xA2"), "?");               // overlong quote
    EXPECT_EQ(utf8ToAnsi("\xE0\x81\x81"), "?");
    EXPECT_EQ(utf8ToAnsi("\xED\xA0\x80"), "?");           // surrogate
    EXPECT_EQ(utf8ToAnsi("\xF4\x90\x80\x80"), "?");       // past U+10FFFF
}
