// The ranges of the job options record and the check of values given to a field by name.

#include <gtest/gtest.h>

#include "FieldCheck.h"

using namespace spx;

namespace {

const RangeContext kPostScript{0, 12};
const RangeContext kPcl{1, 12};

TEST(FieldCheckTest, EveryRangeHoldsTheDefaultAndFitsTheType)
{
    for (size_t i = 0; i < kFieldCount; ++i) {
        const FieldInfo& info = kJobFields[i];
        if (info.type == FieldType::Text)
            continue;
        SCOPED_TRACE(std::string(info.name));
        for (const RangeContext& context : {kPostScript, kPcl}) {
            const ValueRange range = fieldRange(Field(i), context);
            EXPECT_LE(range.minimum, range.maximum);
            EXPECT_GE(range.minimum, info.type == FieldType::Int16 ? INT16_MIN : 0);
            EXPECT_LE(range.maximum, info.type == FieldType::Int16 ? INT16_MAX : int64_t(UINT32_MAX));
            if (info.rule == DefaultRule::Value && info.range != RangeRule::JobPaper) {
                EXPECT_TRUE(checkFieldNumber(Field(i), info.defaultValue, context).empty());
            }
        }
    }
    // The defaults a reset derives: 88 or 60 pamphlet pages, exit 4 or 1.
    EXPECT_TRUE(checkFieldNumber(Field::pamphletPages, 88, kPostScript).empty());
    EXPECT_TRUE(checkFieldNumber(Field::pamphletPages, 60, kPcl).empty());
    EXPECT_TRUE(checkFieldNumber(Field::outputExit, 4, kPostScript).empty());
}

TEST(FieldCheckTest, RangesFollowThePagesAndTheCatalogue)
{
    EXPECT_EQ(fieldRange(Field::copies, kPostScript).maximum, 99999);
    EXPECT_EQ(fieldRange(Field::copies, kPcl).maximum, 65535);
    EXPECT_EQ(fieldRange(Field::copies, kPcl).minimum, 1);
    EXPECT_EQ(fieldRange(Field::plexMode, kPcl).maximum, 5);
    EXPECT_EQ(fieldRange(Field::outputExit, kPcl).maximum, 6);
    EXPECT_EQ(fieldRange(Field::stapleMode, kPcl).maximum, 5);
    EXPECT_EQ(fieldRange(Field::colorMap7, kPcl).maximum, 5);
    EXPECT_EQ(fieldRange(Field::proofSetAction, kPcl).minimum, 1);
    EXPECT_EQ(fieldRange(Field::pamphletPages, kPcl).maximum, 120);
    EXPECT_EQ(fieldRange(Field::paperIndex, kPcl).minimum, 2);
    EXPECT_EQ(fieldRange(Field::paperIndex, kPcl).maximum, 12);
    EXPECT_EQ(fieldRange(Field::frontCoverPaper, kPcl).maximum, 11);
    EXPECT_EQ(fieldRange(Field::fromPage, kPcl).maximum, 99999);
    EXPECT_EQ(fieldRange(Field::legacyCopies, kPcl).maximum, INT16_MAX) << "fields no page edits take their type's range";
}

TEST(FieldCheckTest, GivenValuesAreCheckedAndTheFieldNamed)
{
    FieldValue value;
    EXPECT_EQ(checkFieldValue(Field::copies, "-1", kPostScript, value),
              "copies: -1 is out of range (1 to 99999 for PostScript printers)");
    EXPECT_EQ(checkFieldValue(Field::copies, "4294967297", kPcl, value),
              "copies: 4294967297 is out of range (1 to 65535 for PCL printers)");
    EXPECT_EQ(checkFieldValue(Field::plexMode, "70000", kPcl, value), "plexMode: 70000 is out of range (0 to 5)");
    EXPECT_EQ(checkFieldValue(Field::statusPaper, "12", kPcl, value),
              "statusPaper: 12 is out of range (0 to 11, a position in the paper catalogue - 1)");
    EXPECT_EQ(checkFieldValue(Field::collate, "", kPcl, value), "collate: \"\" is not a whole number (0 to 1)");
    EXPECT_EQ(checkFieldValue(Field::collate, "1 ", kPcl, value), "collate: \"1 \" is not a whole number (0 to 1)");
    EXPECT_EQ(checkFieldValue(Field::copies, "99999999999999999999", kPcl, value).substr(0, 16), "copies: \"9999999");

    ASSERT_EQ(checkFieldValue(Field::copies, "65535", kPcl, value), "");
    EXPECT_EQ(value.number, 65535);
    ASSERT_EQ(checkFieldValue(Field::jobText1040, "Größe €", kPcl, value), "");
    EXPECT_EQ(value.text, "Gr\xf6\xdf" "e \x80") << "texts are stored in Windows-1252";
    EXPECT_EQ(checkFieldValue(Field::emailAddress, std::string(255, 'a'), kPcl, value), "");
    EXPECT_EQ(checkFieldValue(Field::emailAddress, std::string(256, 'a'), kPcl, value),
              "emailAddress: the text is 256 characters long; the field holds 255");
    std::string chapters;
    while (chapters.size() < 1027)
        chapters += chapters.size() % 2 ? "," : "1";
    EXPECT_EQ(checkFieldValue(Field::chapterPages, chapters, kPcl, value), "");
    EXPECT_EQ(checkFieldValue(Field::chapterPages, chapters + "1", kPcl, value).substr(0, 40),
              "chapterPages: the text is 1028 character");
    EXPECT_EQ(checkFieldValue(Field::chapterPages, "1\r\n@PJL X", kPcl, value).substr(0, 14), "chapterPages: ")
        << "page lists pass their own check too";
    EXPECT_EQ(checkFieldValue(Field::customText, "日本", kPcl, value),
              "customText: the text has characters a job file cannot hold (Windows-1252 only)");
}

TEST(FieldCheckTest, StoredNumbersAreReadWithTheirSign)
{
    JobOptions options;
    options.setNumber(Field::plexMode, -1);
    options.setNumber(Field::copies, 70000);
    EXPECT_EQ(checkStoredNumber(Field::plexMode, options, kPcl), "plexMode: -1 is out of range (0 to 5)");
    EXPECT_EQ(checkStoredNumber(Field::copies, options, kPostScript), "");
    EXPECT_EQ(checkStoredNumber(Field::copies, options, kPcl), "copies: 70000 is out of range (1 to 65535 for PCL printers)");
}

} // namespace
