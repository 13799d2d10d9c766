#include <gtest/gtest.h>

#include <cstring>

#include "Archive.h"
#include "MemoryPool.h"
#include "PoolString.h"

using namespace spx;

TEST(CollationTable, MapsBytesToTheirComparisonValues)
{
    for (int b : {1, 9, 10, 31, 45, 127})
        EXPECT_EQ(kCollationTable[b], ' ') << b;
    EXPECT_EQ(kCollationTable[0], 0);
    EXPECT_EQ(kCollationTable['A'], 'a');
    EXPECT_EQ(kCollationTable['Z'], 'z');
    EXPECT_EQ(kCollationTable['z'], 'z');
    EXPECT_EQ(kCollationTable['_'], '_');
    EXPECT_EQ(kCollationTable[0xC9], 'e');   // E acute
    EXPECT_EQ(kCollationTable[0xE9], 'e');   // e acute
    EXPECT_EQ(kCollationTable[0xDF], 's');   // sharp s
    EXPECT_EQ(kCollationTable[0x8A], 's');   // S caron
    EXPECT_EQ(kCollationTable[0x9F], 'y');   // Y diaeresis
    EXPECT_EQ(kCollationTable[0xD7], '?');   // multiplication sign
    EXPECT_EQ(kCollationTable[0x80], '?');   // euro sign
    for (int b = 128; b < 256; ++b) {
        const uint8_t v = kCollationTable[b];
        EXPECT_TRUE(v == '?' || (v >= 'a' && v <= 'z')) << b;
    }
}

TEST(PoolString, CompareIgnoresCaseHyphensAndAccents)
{
    EXPECT_EQ(CPoolString::Compare("Letter-Size Paper", "letter size\tpaper"), 0);
    EXPECT_EQ(CPoolString::Compare("caf\xE9", "CAF\xC9"), 0);
    EXPECT_EQ(CPoolString::Compare("Caf\xE9", "cafe"), 0);
    EXPECT_LT(CPoolString::Compare("abc", "abd"), 0);
    EXPECT_GT(CPoolString::Compare("abcd", "abc"), 0);
    EXPECT_EQ(CPoolString::Compare("b", "a"), 1);
    EXPECT_EQ(CPoolString::Compare(nullptr, ""), 0);
    EXPECT_EQ(CPoolString("A4").Compare(CPoolString("a4")), 0);
}

TEST(PoolString, BuildsAndEditsText)
{
    MemoryPool& pool = MemoryPool::global();
    const uint32_t before = pool.used();
    {
        CPoolString empty, fromNull(static_cast<const char*>(nullptr)), fromZero('\0'), fromChar('x');
        EXPECT_STREQ(empty.c_str(), "");
        EXPECT_STREQ(fromNull.c_str(), "");
        EXPECT_TRUE(fromZero.IsEmpty());
        EXPECT_STREQ(fromChar.c_str(), "x");
        EXPECT_EQ(MemoryPool::GetPtrSize(empty.c_str()), 1u) << "an empty string owns a one-byte block";

        CPoolString s("Hello");
        ASSERT_TRUE(s.Append(", "));
        ASSERT_TRUE(s.Append(CPoolString("world")));
        ASSERT_TRUE(s.Append('!'));
        EXPECT_STREQ(s.c_str(), "Hello, world!");
        EXPECT_EQ(s.Length(), 13u);
        EXPECT_EQ(MemoryPool::GetPtrSize(s.c_str()), 14u);

        // Appending a string to itself, or a piece of itself, must not read a freed block.
        CPoolString twice("ab");
        ASSERT_TRUE(twice.Append(twice));
        ASSERT_TRUE(twice.Append(twice.c_str() + 2));
        EXPECT_STREQ(twice.c_str(), "ababab");
        ASSERT_TRUE(twice.Assign(twice.c_str() + 4));
        EXPECT_STREQ(twice.c_str(), "ab");
        ASSERT_TRUE(twice.Insert(twice.c_str(), 1));
        EXPECT_STREQ(twice.c_str(), "aabb");

        EXPECT_STREQ(CPoolString::Concat(CPoolString("ab"), CPoolString("cd")).c_str(), "abcd");
        CPoolString copy(s);
        copy.Assign("other");
        EXPECT_STREQ(s.c_str(), "Hello, world!");
        copy = s;
        EXPECT_TRUE(copy == s);
    }
    EXPECT_EQ(pool.used(), before) << "every block is given back";
}

TEST(PoolString, FindDeleteInsertMid)
{
    CPoolString s("abcabc");
    EXPECT_EQ(s.Find("bc"), 1);
    EXPECT_EQ(s.Find("bc", 2), 4);
    EXPECT_EQ(s.Find("bc", 5), -1);
    EXPECT_EQ(s.Find("zz"), -1);
    EXPECT_EQ(s.Find("a", -1), -1);
    EXPECT_EQ(s.Find("a", 7), -1);

    CPoolString six("abcdef");
    ASSERT_TRUE(six.Delete(2, 10));
    EXPECT_STREQ(six.c_str(), "ab");
    EXPECT_TRUE(six.Delete(0, 0));
    EXPECT_TRUE(six.Delete(1, -3));
    EXPECT_STREQ(six.c_str(), "ab");
    EXPECT_FALSE(six.Delete(2, 1));
    EXPECT_FALSE(six.Delete(-1, 1));
    ASSERT_TRUE(six.Delete(0, 1));
    EXPECT_STREQ(six.c_str(), "b");
    EXPECT_EQ(six.Length(), 1u);

    CPoolString t("ace");
    ASSERT_TRUE(t.Insert("b", 1));
    ASSERT_TRUE(t.Insert("d", 3));
    ASSERT_TRUE(t.Insert("f", 5));
    ASSERT_TRUE(t.Insert(">", 0));
    EXPECT_STREQ(t.c_str(), ">abcdef");
    EXPECT_FALSE(t.Insert("", 0));
    EXPECT_FALSE(t.Insert("x", 8));
    EXPECT_FALSE(t.Insert("x", -1));

    CPoolString four("abcd");
    EXPECT_TRUE(four.Mid(5, 3).IsEmpty());
    EXPECT_TRUE(four.Mid(4, 1).IsEmpty());
    EXPECT_TRUE(four.Mid(1, 0).IsEmpty());
    EXPECT_STREQ(four.Mid(1, 2).c_str(), "bc");
    EXPECT_STREQ(four.Mid(2, 100).c_str(), "cd");
}

TEST(PoolString, AtOutsideTheTextIsASharedDummy)
{
    CPoolString s("abc");
    EXPECT_EQ(s.At(0), 'a');
    s.At(1) = 'B';
    EXPECT_STREQ(s.c_str(), "aBc");
    // Writes through bad indexes, the terminator's included, land in the dummy byte.
    s.At(3) = 'x';
    s.At(-1) = 'y';
    s.At(100) = 'z';
    EXPECT_STREQ(s.c_str(), "aBc");
    EXPECT_EQ(&s.At(3), &s.At(-5));
    EXPECT_EQ(s.At(7), 0);
    const CPoolString& view = s;
    EXPECT_EQ(view.At(3), 0);
}

TEST(PoolString, OutOfMemoryLeavesTheStringEmpty)
{
    MemoryPool tight(64, true);
    MemoryPool::installGlobal(&tight);
    {
        CPoolString s("short");
        EXPECT_STREQ(s.c_str(), "short");
        EXPECT_FALSE(s.Append(std::string(200, 'x').c_str()));
        EXPECT_EQ(tight.lastError(), PoolOutOfMemory);
        EXPECT_TRUE(s.IsEmpty());
        EXPECT_STREQ(s.c_str(), "");
    }
    MemoryPool::installGlobal(nullptr);
    EXPECT_EQ(tight.used(), 0u);
}

TEST(PoolString, ArchiveRoundTripAndDamagedInput)
{
    CArchive archive;
    CPoolString("job paper").Store(archive);
    CPoolString loaded;
    ASSERT_TRUE(loaded.Load(archive));
    EXPECT_STREQ(loaded.c_str(), "job paper");

    CArchive truncated(archive.bytes().substr(0, archive.bytes().size() - 2));
    EXPECT_FALSE(loaded.Load(truncated));
    EXPECT_STREQ(loaded.c_str(), "job paper");
    CArchive wrongTag(std::string("\x04\x00" "date\x01\x00\x00\x00x", 11));
    EXPECT_FALSE(loaded.Load(wrongTag));
}
