// The start-up check of the resource bundle's texts: the shipped bundle passes, and each kind of
// damage that would make the program write wrong job files or headers is named.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "BundleCheck.h"
#include "CommandTable.h"
#include "ResourceBundle.h"
#include "StringTable.h"

using namespace spx;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

StringTable shipped()
{
    StringTable strings;
    std::string error;
    EXPECT_TRUE(strings.loadFromFolder(SPX_RESOURCE_DIR "/strings", error)) << error;
    return strings;
}

// The shipped table without the ids for which `drop` is true.
template <typename Drop>
StringTable shippedWithout(Drop drop)
{
    const StringTable all = shipped();
    StringTable strings;
    for (int id : all.ids())
        if (!drop(id))
            strings.set(id, all.text(id));
    return strings;
}

std::string joined(const std::vector<std::string>& problems)
{
    std::string all;
    for (const std::string& problem : problems)
        all += problem + "\n";
    return all;
}

TEST(BundleCheckTest, TheShippedBundleIsSound)
{
    EXPECT_THAT(bundleProblems(shipped()), IsEmpty());
    std::string message;
    EXPECT_TRUE(checkBundle(shipped(), "spxlres.rcc", message));
}

TEST(BundleCheckTest, JobFileSignaturesMustBeThereAndAgree)
{
    StringTable strings = shipped();
    strings.set(1087, "SPXL-JOB-FILE-AA");
    EXPECT_THAT(joined(bundleProblems(strings)), HasSubstr("signatures (strings 1087 and 1088) differ in length"));
    strings.set(1087, strings.text(1088));
    EXPECT_THAT(joined(bundleProblems(strings)), HasSubstr("are the same"));
    strings.set(1087, "");
    EXPECT_THAT(bundleProblems(strings), Contains("string 1087 (job-file signature A) is empty"));
    EXPECT_THAT(bundleProblems(shippedWithout([](int id) { return id == 1088; })),
                Contains("string 1088 (job-file signature B) is missing"));
}

TEST(BundleCheckTest, StringsTheProgramNeedsMustBeThere)
{
    for (int id : {94, 114, 389, 447, 514, 216, 1169}) {
        const auto problems = bundleProblems(shippedWithout([id](int each) { return each == id; }));
        ASSERT_EQ(problems.size(), 1u) << id;
        EXPECT_THAT(problems[0], HasSubstr("string " + std::to_string(id) + " ("));
        EXPECT_THAT(problems[0], HasSubstr("is missing"));
    }
    StringTable strings = shipped();
    strings.set(127, "");   // "no colour" may be empty: nothing is written wrongly then
    strings.set(215, "");   // optional marker
    EXPECT_THAT(bundleProblems(strings), IsEmpty());
    strings.set(90, "Sent to the printer");
    strings.set(91, "Not sent: %s %s");
    strings.set(431, "Where is %d?");
    EXPECT_EQ(bundleProblems(strings).size(), 3u) << "every status line names its file once";
}

TEST(BundleCheckTest, BothCommandTablesMustBeCompleteAndFitTheirRoles)
{
    auto commandString = [](int id) { return id >= kCommandBasePcl && id < kCommandBasePostScript + kCommandSlots; };
    const auto none = bundleProblems(shippedWithout(commandString));
    EXPECT_EQ(none.size(), size_t(2 * kCommandSlots)) << "every slot of both tables is reported";
    EXPECT_THAT(none, Contains("PostScript command string 2430 (slot 1) is missing"));
    EXPECT_THAT(none, Contains("PCL command string 2429 (slot 180) is missing"));

    StringTable strings = shipped();
    strings.set(kCommandBasePcl + 5 - 1, "@PJL %s\n");         // slot 5 takes a number
    strings.set(kCommandBasePostScript + 2 - 1, "");           // a line with no text
    strings.set(kCommandBasePostScript + 40 - 1, "A4\n%%X");   // a word that would break a line
    strings.set(kCommandBasePostScript + 1 - 1, "%n");         // unused slots are not read
    EXPECT_THAT(bundleProblems(strings),
                testing::UnorderedElementsAre(
                    "PostScript command string 2431 (slot 2) is empty",
                    "PostScript command string 2469 (slot 40) is a word: no line break, quote or percent sign",
                    "PCL command string 2254 (slot 5) does not fit its place in the job header"));
}

TEST(BundleCheckTest, MessagesTellAMissingBundleFromADamagedOne)
{
    EXPECT_EQ(missingBundleMessage("spxlres.rcc"), "Missing file: spxlres.rcc");
    std::vector<std::string> many(12, "fault");
    const std::string message = damagedBundleMessage("spxlres.rcc", many);
    EXPECT_EQ(message.rfind("Damaged file: spxlres.rcc\nfault\n", 0), 0u);
    EXPECT_THAT(message, HasSubstr("\n... and 4 more"));
    EXPECT_EQ(bundleProblems(StringTable{}), std::vector<std::string>{"the bundle holds no strings"});
}

} // namespace
