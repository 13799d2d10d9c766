// Page lists as the job keeps them: the check every way in applies, and the job-file loader
// refusing a file whose list could carry printer commands.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "JobTestSupport.h"
#include "PageListCheck.h"

using namespace spx;
using namespace spx::test;
using ::testing::HasSubstr;

namespace {

bool passes(std::string_view list, PageListKind kind) { return !checkPageList(list, kind).has_value(); }

TEST(PageListCheckTest, EachKindTakesItsOwnCharacters)
{
    for (const char* list : {"", "1", "1,12,30..33", "1 9", "1,,4 7..9", "99999", "3.5"})
        EXPECT_TRUE(passes(list, PageListKind::Chapters)) << list;
    for (const char* list : {"1-3", "5,^9,last", "5..9 ^2 LAST", "3,,7 11^", "1..999999", "4^"})
        EXPECT_TRUE(passes(list, PageListKind::Exception)) << list;

    EXPECT_FALSE(passes("1-3", PageListKind::Chapters)) << "a chapter list has no dash";
    EXPECT_FALSE(passes("^2", PageListKind::Chapters)) << "nor carets";
    EXPECT_FALSE(passes("last", PageListKind::Chapters)) << "nor words";
    EXPECT_FALSE(passes("123456", PageListKind::Chapters)) << "five digits at most";
    EXPECT_FALSE(passes("1..1800000", PageListKind::Exception)) << "six digits at most";
    EXPECT_FALSE(passes("lastpage", PageListKind::Exception));
    EXPECT_FALSE(passes("1 \"2\"", PageListKind::Exception));
    EXPECT_FALSE(passes(std::string_view("1\0002", 3), PageListKind::Exception));
}

TEST(PageListCheckTest, AnInjectedPrinterLineIsRefusedWithItsFieldAndByte)
{
    const std::string injected = "1\r\n@PJL SET INJECTED=1";
    auto problem = checkPageList(injected, PageListKind::Chapters);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->offset, 1u);
    const auto message = checkPageListField(Field::chapterPages, injected);
    ASSERT_TRUE(message);
    EXPECT_THAT(*message, HasSubstr("chapterPages"));
    EXPECT_THAT(*message, HasSubstr("\\x0d")) << "the byte is shown, not written raw";
    EXPECT_EQ(message->find('\r'), std::string::npos);
    EXPECT_FALSE(checkPageListField(Field::jobText1040, injected)) << "other texts are not page lists";
    EXPECT_TRUE(checkPageList("1 @PJL", PageListKind::Exception));
}

class PageListLoadTest : public JobTest {};

TEST_F(PageListLoadTest, AJobFileWithABadListIsRefusedNamingTheField)
{
    CSpxDoc& job = newDocument();
    ASSERT_TRUE(job.OnOpenDocument(golden("v5.spx"))) << "the kept job files pass the check";
    const std::string saved = path("bad.spx");

    // The document's setter takes any text; only the ways in from outside check it.
    job.setText(Field::chapterPages, "1\r\n@PJL SET INJECTED=1");
    ASSERT_TRUE(job.OnSaveDocument(saved));
    dialogs.shown.clear();
    EXPECT_FALSE(job.OnOpenDocument(saved));
    ASSERT_EQ(dialogs.shown.size(), 1u) << "one message, naming the field";
    EXPECT_THAT(dialogs.shown[0].text, HasSubstr("chapterPages"));

    ASSERT_TRUE(job.OnOpenDocument(golden("v5.spx")));
    ASSERT_TRUE(job.SetExceptionPageList(2, "7\n%!PS"));
    ASSERT_TRUE(job.OnSaveDocument(saved));
    dialogs.shown.clear();
    EXPECT_FALSE(job.OnOpenDocument(saved));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_THAT(dialogs.shown[0].text, HasSubstr("exception 2"));
}

} // namespace
