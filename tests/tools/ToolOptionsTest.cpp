// The option parser every spxjob command uses, and the escaping of what the console prints.

#include <gtest/gtest.h>

#include "ToolCommand.h"

using namespace spx::tool;

namespace {

const std::vector<OptionSpec> kOptions = {
    textOption("queue", 0, "QUEUE", "", true),
    textOption("output", 'o', "OUT", ""),
    numberOption("wait", "SECONDS", 0, 86400, ""),
    choiceOption("file-language", {"ps", "pcl", "pdf"}, ""),
    flagOption("help", 'h', ""),
};

struct Result {
    bool ok;
    ParsedOptions options;
    std::string error;
    std::size_t next = 0;
};

Result parse(std::vector<std::string> words, ParseStop stop = ParseStop::AtEnd)
{
    Result r{};
    r.ok = parseOptions(words, 0, kOptions, stop, r.options, r.next, r.error);
    return r;
}

TEST(ToolOptionsTest, EverySpellingOfAValueIsRead)
{
    for (const auto& words : std::vector<std::vector<std::string>>{
             {"--queue=Q", "--output=x.spx", "--wait=7"},
             {"--queue", "Q", "--output", "x.spx", "--wait", "7"},
             {"--queue", "Q", "-o=x.spx", "--wait=7"},
             {"--queue=Q", "-o", "x.spx", "--wait", "7"},
             {"--queue=Q", "-ox.spx", "--wait=7"}}) {
        Result r = parse(words);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.options.text("queue"), "Q");
        EXPECT_EQ(r.options.text("output"), "x.spx");
        EXPECT_EQ(r.options.number("wait", 60), 7);
    }
    Result r = parse({"--queue=Q", "a", "--wait", "-", "b"});
    EXPECT_FALSE(r.ok) << "the word after --wait is its value, even one that looks like an option";
    r = parse({"--queue=Q", "a", "-", "--", "--wait", "-o"});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.options.positional(), (std::vector<std::string>{"a", "-", "--wait", "-o"})) << "-- ends the options";
    EXPECT_EQ(r.options.number("wait", 60), 60) << "the default when not given";
}

TEST(ToolOptionsTest, ErrorsNameTheOptionAsWritten)
{
    EXPECT_EQ(parse({"--queue=Q", "--wait", "5x"}).error, "--wait: not a number");
    EXPECT_EQ(parse({"--queue=Q", "--wait="}).error, "--wait: the value is empty");
    EXPECT_EQ(parse({"--queue=Q", "--wait", ""}).error, "--wait: the value is empty");
    EXPECT_EQ(parse({"--queue=Q", "--wait", " 5"}).error, "--wait: not a number");
    EXPECT_EQ(parse({"--queue=Q", "--wait", "99999999999999999999"}).error, "--wait: not a number");
    EXPECT_EQ(parse({"--queue=Q", "--wait=-1"}).error, "--wait: -1 is out of range (0 to 86400)");
    EXPECT_EQ(parse({"--queue=Q", "--wait=86401"}).error, "--wait: 86401 is out of range (0 to 86400)");
    EXPECT_EQ(parse({"--queue=Q", "--wait"}).error, "--wait: a value is missing");
    EXPECT_EQ(parse({"--queue=Q", "-o"}).error, "-o: a value is missing");
    EXPECT_EQ(parse({"--queue=Q", "--nope=1"}).error, "unknown option --nope");
    EXPECT_EQ(parse({"--queue=Q", "-x"}).error, "unknown option -x");
    EXPECT_EQ(parse({"--queue=Q", "--help=1"}).error, "--help: takes no value");
    EXPECT_EQ(parse({"--queue=Q", "--file-language", "txt"}).error,
              "--file-language: takes one of ps, pcl, pdf, not \"txt\"");
    EXPECT_EQ(parse({"a.ps"}).error, "--queue QUEUE is required");
    EXPECT_TRUE(parse({"--help"}).ok) << "--help needs no required option";
}

TEST(ToolOptionsTest, TheCommandNameEndsTheProgramsOwnOptions)
{
    Result r = parse({"--output", "d", "show", "--wait", "x"}, ParseStop::AtFirstPositional);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.next, 2u);
    EXPECT_EQ(r.options.text("output"), "d");
    EXPECT_TRUE(r.options.positional().empty());
}

TEST(ToolOptionsTest, NumbersAreWholeDecimalTexts)
{
    Result r = parse({"--queue=Q", "--wait=0086"});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.options.number("wait", 60), 86);
    for (const char* junk : {"+1", "1e3", "0x10", "12 ", "--1", "-", "\xd9\xa3", "5\n"})
        EXPECT_EQ(parse({"--queue=Q", std::string("--wait=") + junk}).error, "--wait: not a number") << junk;
}

TEST(ToolOptionsTest, ConsoleTextEscapesControlBytes)
{
    EXPECT_EQ(escapeControlBytes("a\nSent to the printer: b"), "a\\x0aSent to the printer: b");
    EXPECT_EQ(escapeControlBytes("x\x1b[2Jy\r\t\x7f"), "x\\x1b[2Jy\\x0d\\x09\\x7f");
    EXPECT_EQ(escapeControlBytes("line 1\nline 2\r", true), "line 1\nline 2\\x0d");
    EXPECT_EQ(escapeControlBytes("Größe €"), "Größe €") << "UTF-8 text stays";
    EXPECT_EQ(escapeControlBytes("\xc2\x9b" "2J"), "\\xc2\\x9b2J") << "a C1 control sequence introducer";
    EXPECT_EQ(escapeControlBytes("\x9b" "2J \xff \xc3"), "\\x9b2J \\xff \\xc3") << "bytes that are no UTF-8";
}

} // namespace
