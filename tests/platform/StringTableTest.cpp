#include <gtest/gtest.h>

#include "StringTable.h"

using namespace spx;

TEST(StringTable, ParsesLinesEscapesAndComments)
{
    StringTable table;
    std::string error;
    ASSERT_TRUE(table.parse("# a comment\r\n"
                            "\n"
                            "  206  \"Sent:\\t%s\"   # trailing comment\n"
                            "207 \"line\\r\\nbreak \\\"quoted\\\" back\\\\slash\"\r\n"
                            "2250\t\"\\x1b%-12345X@PJL\"\n"
                            "3 \"caf\xC3\xA9 # not a comment\"\n"
                            "4 \"\"",
                            error))
        << error;
    EXPECT_EQ(table.size(), 5u);
    EXPECT_EQ(table.text(206), "Sent:\t%s");
    EXPECT_EQ(table.text(207), "line\r\nbreak \"quoted\" back\\slash");
    EXPECT_EQ(table.text(2250), "\x1b%-12345X@PJL");
    EXPECT_EQ(table.text(3), "caf\xC3\xA9 # not a comment");
    EXPECT_EQ(table.ansi(3), "caf\xE9 # not a comment");
    EXPECT_TRUE(table.has(4));
    EXPECT_EQ(table.text(4), "");
    EXPECT_FALSE(table.has(5));
    EXPECT_EQ(table.text(5), "") << "a missing id gives an empty text";
    EXPECT_EQ(table.ids(), (std::vector<int> {3, 4, 206, 207, 2250}));
}

TEST(StringTable, RefusesBadLinesNamingTheLine)
{
    const char* const bad[] = {
        "12 text without quotes",
        "12 \"unterminated",
        "12 \"bad escape \\q\"",
        "12 \"short hex \\x4\"",
        "12 \"ends in backslash\\",
        "1234567 \"id too long\"",
        "\"no id\"",
        "12\"no space\"",
        "12 \"text\" junk",
        "-5 \"negative\"",
        "12a \"letters\"",
    };
    for (const char* line : bad) {
        StringTable table;
        std::string error;
        EXPECT_FALSE(table.parse(std::string("1 \"kept\"\n") + line + "\n3 \"after\"\n", error, "core.txt")) << line;
        EXPECT_NE(error.find("core.txt:2"), std::string::npos) << error;
        EXPECT_EQ(table.text(1), "kept");
        EXPECT_FALSE(table.has(3));
    }
}

TEST(StringTable, AnIdDefinedTwiceIsAnError)
{
    StringTable table;
    std::string error;
    EXPECT_FALSE(table.parse("10 \"one\"\n10 \"two\"\n", error, "a.txt"));
    EXPECT_NE(error.find("10"), std::string::npos);
    EXPECT_NE(error.find("twice"), std::string::npos);
    EXPECT_EQ(table.text(10), "one");

    // Across files as well: all the files of the folder form one table.
    StringTable merged;
    ASSERT_TRUE(merged.parse("20 \"first file\"\n", error, "a.txt"));
    EXPECT_FALSE(merged.parse("21 \"fine\"\n20 \"again\"\n", error, "b.txt"));
    EXPECT_NE(error.find("b.txt:2"), std::string::npos) << error;
}

TEST(StringTable, TheShippedStringsLoad)
{
    StringTable table;
    std::string error;
    EXPECT_TRUE(table.loadFromFolder(SPX_RESOURCE_DIR "/strings", error)) << error;
    EXPECT_FALSE(table.loadFromFolder(SPX_RESOURCE_DIR "/no-such-folder", error));
}
