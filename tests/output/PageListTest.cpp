// Page lists as the job header carries them: normalising, expanding, the size budget.

#include <gtest/gtest.h>

#include "PageList.h"

using namespace spx;

namespace {

std::string expand(const std::string& list, bool stepByTwo = false, bool caretsOnly = false)
{
    const PageListExpansion how{"T[%s%s]\n", "N:", stepByTwo, caretsOnly};
    std::string out;
    EXPECT_TRUE(expandPageList(normalisePageList(list), how, out));
    return out;
}

TEST(PageListTest, NormalisingAndExpanding)
{
    EXPECT_EQ(normalisePageList("1,,3"), "1 3");
    EXPECT_EQ(normalisePageList("1,3,,,last"), "1 3 lastpage");
    EXPECT_EQ(expand("2..5"), expand("2.5"));
    EXPECT_EQ(expand("2..5"), "N: 2  3  4  5 \n") << "each page as \"%s %ld \"";
    EXPECT_EQ(expand("1 2 4..6 9 10"), "T[1 2]\nN: 4  5  6 \nT[9 10]\n");
    EXPECT_EQ(expand("0..3"), "N: 1  2  3 \n") << "ranges start at page 1";
    EXPECT_EQ(expand("5..2"), "");
    EXPECT_EQ(expand("1..45", true), "N: 1  3  5  7  9  11  13  15  17  19 \nN: 21  23  25  27  29  31  33  35  37  39 \nN: 41  43  45 \n");
    EXPECT_EQ(expand("1..21"), "N: 1  2  3  4  5  6  7  8  9  10  11  12  13  14  15  16  17  18  19  20 \nN: 21 \n");
    EXPECT_EQ(expand("^3 4^ 7 ^x last"), "T[7 ^x lastpage]\n") << "carets leave the kept text";
    EXPECT_EQ(expand("^3 4^ 7 12^", false, true), "2 4 12 ");
    EXPECT_EQ(expand("5.. ..5 3..last"), "T[5.. ..5 3..lastpage]\n") << "open ranges stay as written";
    EXPECT_EQ(expand("1..99999999999"), "T[1..99999999999]\n") << "not a 32-bit page number";

    PageListExpansion small;
    small.numberLineStart = "N:";
    small.byteBudget = 1000;
    std::string out;
    EXPECT_FALSE(expandPageList("1..4000000000", small, out)) << "a huge range ends as memory exhausted";
}

} // namespace
