// The shipped command tables against their roles, the checked formatter, page lists and the
// availability of the option controls.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "GeneratorTestSupport.h"
#include "OptionAvailability.h"

using namespace spx;
using namespace spx::test;
using ::testing::ElementsAre;

namespace {

TEST(CommandTableTest, ShippedTablesFitTheirRoles)
{
    StringTable strings = shippedStrings();
    for (int language : {0, 1}) {
        CommandTable table;
        ASSERT_TRUE(table.LoadCommandTable(strings, language));
        EXPECT_TRUE(table.rejectedSlots().empty());
        for (int slot = 1; slot <= kCommandSlots; ++slot) {
            SCOPED_TRACE("language " + std::to_string(language) + " slot " + std::to_string(slot));
            const std::string& text = table.slot(slot);
            EXPECT_TRUE(strings.has(CommandTable::baseId(language) + slot - 1)) << "every slot is in the bundle";
            SlotRole role = commandSlotRole(slot);
            if (role.kind == SlotKind::Unused) {
                EXPECT_TRUE(text.empty() || slot == 175);
                continue;
            }
            if (role.kind == SlotKind::Word) {
                EXPECT_EQ(text.find_first_of("\n\"%"), std::string::npos);
                continue;
            }
            if (role.kind == SlotKind::Verbatim)
                continue;
            std::string why;
            EXPECT_TRUE(conversionsFit(text, role.arguments, true, &why)) << text << ": " << why;
            if (text.empty())
                continue;
            // Every line entry ends with its own newline, except the prefix and the line starts
            // that the generator completes.
            bool start = slot == 6 || slot == 39 || slot == 131;
            EXPECT_EQ(text.back() == '\n', !start) << text;
            EXPECT_EQ(text.find("\n\n"), std::string::npos) << "no blank line";
            std::string sample = slot == 121 ? formatCommand(text, {"x", "x", "x", "", "x", "x", "x"})
                                             : formatCommand(text, {"x", "x", "x", "x", "x", "x", "x"});
            if (role.arguments[0] == 'd')
                sample = slot == 21 ? formatCommand(text, {1, 2}) : slot == 22 ? formatCommand(text, {1, "x"}) : formatCommand(text, {27});
            for (const std::string& line : linesOf(sample)) {
                if (language == 1 || slot == 5 || slot == 6)
                    EXPECT_TRUE(line.rfind("@PJL", 0) == 0 || line.rfind("\x1b%-12345X@PJL", 0) == 0) << line;
                else
                    EXPECT_TRUE(line.rfind("%", 0) == 0 || line.rfind("<<", 0) == 0) << line;
            }
        }
        EXPECT_EQ(table.slot(54), "@PJL ENTER LANGUAGE = PCL") << "the generator ends it with a newline";
        EXPECT_EQ(table.format(5, {27}), "\x1b%-12345X@PJL\n");
    }
    EXPECT_EQ(strings.ansi(2433), "%!PS-Adobe-3.0\n");
    EXPECT_EQ(strings.ansi(2253), "\x1b%-12345X@PJL\n");
}

TEST(CommandTableTest, FormatterChecksEveryConversion)
{
    std::string why;
    EXPECT_TRUE(conversionsFit("a %s b %ld %% %-5.2s %c", "sdsd", true));
    EXPECT_FALSE(conversionsFit("%s %s", "s", false, &why)) << "more conversions than arguments";
    EXPECT_FALSE(conversionsFit("%d", "s", false));
    EXPECT_FALSE(conversionsFit("%s", "d", false));
    EXPECT_FALSE(conversionsFit("%n", "d", false));
    EXPECT_FALSE(conversionsFit("%*d", "dd", false));
    EXPECT_FALSE(conversionsFit("%f", "d", false));
    EXPECT_FALSE(conversionsFit("%ls", "s", false));
    EXPECT_FALSE(conversionsFit("%1$s", "s", false));
    EXPECT_FALSE(conversionsFit("%99999d", "d", false)) << "no field that makes a header explode";
    EXPECT_FALSE(conversionsFit("trailing %", "", false));
    EXPECT_FALSE(conversionsFit("%s", "ss", true));
    EXPECT_TRUE(conversionsFit("%s", "ss", false));

    EXPECT_EQ(formatCommand("%c%%-1X", {27}), "\x1b%-1X");
    EXPECT_EQ(formatCommand("[%5s|%-4s|%.2s|%.0s]", {"ab", "c", "xyz", "gone"}), "[   ab|c   |xy|]");
    EXPECT_EQ(formatCommand("%ld %d %u %03d", {4294967295LL, -2, 7, 5}), "4294967295 -2 7 005");
    EXPECT_EQ(formatCommand("%s %d", {"x"}), "") << "a format that does not fit gives nothing";
    std::string longText(1000, 'L');
    EXPECT_EQ(formatCommand("<%s>", {longText}).size(), 1002u) << "never cut at the line buffer";
}

TEST(CommandTableTest, LoadingTakesTheLanguageBlock)
{
    StringTable strings;
    strings.set(2430 + 1, "%%%%ps\n");
    strings.set(2250 + 1, "@PJL pcl\n");
    strings.set(2250 + 7, std::string(300, 'x'));   // slot 8
    strings.set(2250 + 25, "%s %s %s %s %s %s\n");  // slot 26 takes five texts
    CommandTable table;
    EXPECT_FALSE(table.LoadCommandTable(strings, 2));
    EXPECT_FALSE(table.loaded());
    ASSERT_TRUE(table.LoadCommandTable(strings, 0));
    EXPECT_EQ(table.slot(2), "%%%%ps\n");
    EXPECT_EQ(table.format(2), "%%ps\n");
    EXPECT_FALSE(table.LoadCommandTable(strings, -1));
    EXPECT_EQ(table.slot(2), "%%%%ps\n") << "a failed load touches no slot";
    ASSERT_TRUE(table.LoadCommandTable(strings, 1));
    EXPECT_EQ(table.slot(2), "@PJL pcl\n");
    EXPECT_EQ(table.slot(8).size(), 255u);
    EXPECT_EQ(table.slot(26), "");
    EXPECT_THAT(table.rejectedSlots(), ElementsAre(26));
    EXPECT_EQ(table.slot(3), "") << "a missing string is an empty slot";
    EXPECT_EQ(table.slot(0), "");
    EXPECT_EQ(table.slot(181), "");
}

TEST(OptionAvailabilityTest, FollowsThePageRules)
{
    JobOptions o;
    o.setNumber(Field::collate, 1);
    auto at = [&](int language, int plex, int exit) {
        o.setNumber(Field::printerLanguage, language);
        o.setNumber(Field::plexMode, plex);
        o.setNumber(Field::outputExit, exit);
        return computeOptionAvailability(o);
    };
    // PostScript model: stacking except at exits 0 and 6, folding at exit 0 only.
    EXPECT_FALSE(at(0, 0, 0).stacking);
    EXPECT_TRUE(at(0, 0, 2).stacking);
    EXPECT_TRUE(at(0, 0, 0).folding);
    EXPECT_FALSE(at(0, 0, 1).folding);
    // PCL model: no stacking at exits 2, 3 and 6, folding at exit 1 only.
    EXPECT_FALSE(at(1, 0, 3).stacking);
    EXPECT_TRUE(at(1, 0, 0).stacking);
    EXPECT_TRUE(at(1, 0, 1).folding);
    // Covers, chapters and the exceptions tab by plex mode.
    EXPECT_FALSE(at(0, 3, 4).frontCover);
    EXPECT_TRUE(at(0, 5, 4).frontCover);
    EXPECT_FALSE(at(0, 5, 4).backCover);
    EXPECT_TRUE(at(0, 5, 4).chapterPages);
    EXPECT_FALSE(at(1, 0, 4).chapterPages);
    EXPECT_TRUE(at(1, 2, 4).chapterPages);
    EXPECT_FALSE(at(0, 5, 4).page5Disabled) << "pamphlets keep the exceptions on the PostScript model";
    EXPECT_TRUE(at(1, 5, 4).page5Disabled);
    EXPECT_TRUE(at(0, 4, 4).page5Disabled);
    o.setNumber(Field::settingsMode, 1);
    EXPECT_TRUE(at(1, 1, 4).page5Disabled);
    o.setNumber(Field::settingsMode, 0);

    // Back cover paper follows the back cover choice; separators follow their box.
    o.setNumber(Field::backCover, 2);
    o.setNumber(Field::separators, 1);
    EXPECT_TRUE(at(0, 1, 4).backCoverPaper);
    EXPECT_TRUE(at(0, 1, 4).separatorPaper);
    o.setNumber(Field::stapleMode, 1);
    EXPECT_FALSE(at(0, 1, 4).separatorPaper) << "stapling disables separators on the PostScript model";
    EXPECT_TRUE(at(1, 1, 4).separatorPaper);

    // The item-disabling permissions switch controls off.
    ItemLockFlags locks;
    locks.foldMode = false;
    locks.backCover = false;
    locks.chapterPages = false;
    o.setNumber(Field::printerLanguage, 0);
    o.setNumber(Field::outputExit, 0);
    OptionAvailability locked = computeOptionAvailability(o, locks);
    EXPECT_FALSE(locked.folding);
    EXPECT_FALSE(locked.backCover);
    EXPECT_FALSE(locked.backCoverPaper);
    EXPECT_FALSE(locked.chapterPages);
}

} // namespace
