#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Archive.h"
#include "MemoryPool.h"
#include "PoolStringList.h"

using namespace spx;

namespace {

std::vector<std::string> entries(CPoolStringList& list)
{
    std::vector<std::string> out;
    for (int i = 1; i <= list.Count(); ++i)
        out.push_back(list.Get(i));
    return out;
}

} // namespace

TEST(PoolStringList, KeepsEntriesPackedInOrder)
{
    MemoryPool pool;
    CPoolStringList list(&pool);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(pool.GetHandleSize(list.handle()), 2u);
    EXPECT_EQ(list.Get(1), nullptr);

    ASSERT_TRUE(list.Append("A4"));
    ASSERT_TRUE(list.Append("Letter"));
    ASSERT_TRUE(list.InsertAt(1, "A3"));
    ASSERT_TRUE(list.InsertAt(4, ""));
    ASSERT_TRUE(list.InsertAt(3, "Legal"));
    EXPECT_FALSE(list.InsertAt(0, "x"));
    EXPECT_FALSE(list.InsertAt(7, "x"));
    EXPECT_EQ(entries(list), (std::vector<std::string> {"A3", "A4", "Legal", "Letter", ""}));

    // count, then 16-bit length + bytes per entry
    const uint8_t* data = pool.Data(list.handle());
    EXPECT_EQ(pool.GetHandleSize(list.handle()), 2u + 5 * 2 + 2 + 2 + 5 + 6);
    EXPECT_EQ(data[0], 5);
    EXPECT_EQ(data[1], 0);
    EXPECT_EQ(data[2], 2);
    EXPECT_EQ(std::memcmp(data + 4, "A3", 2), 0);

    EXPECT_EQ(list.IndexOf("Legal"), 3);
    EXPECT_EQ(list.IndexOf("legal"), 0);
    ASSERT_TRUE(list.Remove("Legal"));
    EXPECT_FALSE(list.Remove("Legal"));
    ASSERT_TRUE(list.RemoveAt(1));
    EXPECT_FALSE(list.RemoveAt(4));
    EXPECT_EQ(entries(list), (std::vector<std::string> {"A4", "Letter", ""}));

    // Reading backwards and forwards again walks from the right place.
    EXPECT_STREQ(list.Get(3), "");
    EXPECT_STREQ(list.Get(1), "A4");
    EXPECT_STREQ(list.Get(2), "Letter");
    EXPECT_EQ(list.Get(4), nullptr);
    EXPECT_STREQ(list.Get(2), "Letter");

    CPoolStringList copy(list);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(entries(copy), (std::vector<std::string> {"A4", "Letter", ""}));
    list = copy;
    EXPECT_EQ(list.Count(), 3);
}

TEST(PoolStringList, GetKeepsTheBlockFlags)
{
    MemoryPool pool;
    CPoolStringList list(&pool);
    list.Append("one");
    pool.SetFlags(list.handle(), HandlePurgeable);
    EXPECT_STREQ(list.Get(1), "one");
    EXPECT_EQ(pool.GetFlags(list.handle()), HandlePurgeable);
    pool.Purge(-1);
    EXPECT_EQ(list.Get(1), nullptr);
    EXPECT_EQ(list.Count(), 0);
}

TEST(PoolStringList, ReturnedTextsShareARingThatWraps)
{
    CPoolStringList list;
    const std::string big(30000, 'b');
    ASSERT_TRUE(list.Append(big));
    ASSERT_TRUE(list.Append("tail"));
    ASSERT_TRUE(list.Append(std::string(CPoolStringList::kMaxEntryLength, 'm')));
    EXPECT_FALSE(list.Append(std::string(CPoolStringList::kMaxEntryLength + 1, 'x')));

    // Start from a known ring offset: a maximal entry always restarts the ring at 0.
    const char* start = list.Get(3);
    EXPECT_EQ(std::strlen(start), CPoolStringList::kMaxReturnedLength) << "long entries are cut";
    EXPECT_EQ(list.GetString(3).size(), CPoolStringList::kMaxEntryLength);

    const char* first = list.Get(1);   // the previous copy filled the ring: back to 0
    EXPECT_EQ(first, start);
    const char* second = list.Get(1);   // 30001..60001 still fits
    EXPECT_EQ(second, first + 30001);
    const char* small = list.Get(2);    // 60002..60006 fits too
    EXPECT_EQ(small, second + 30001);
    const char* third = list.Get(1);    // would pass 65530: restarts at the ring's start
    EXPECT_EQ(third, start);
    EXPECT_EQ(std::string(third), big);
    EXPECT_STREQ(small, "tail");
}

TEST(PoolStringList, ArchiveRefusesDamagedLists)
{
    CPoolStringList list;
    list.Append("alpha");
    list.Append("beta");
    CArchive archive;
    ASSERT_TRUE(list.Store(archive));
    CPoolStringList loaded;
    ASSERT_TRUE(loaded.Load(archive));
    EXPECT_EQ(entries(loaded), (std::vector<std::string> {"alpha", "beta"}));

    std::string bytes = archive.bytes();
    std::string lying = bytes;
    lying[12] = 9;   // the first entry's length now runs past the block
    CArchive bad(lying);
    EXPECT_FALSE(loaded.Load(bad));
    EXPECT_EQ(loaded.Count(), 2);
    CArchive shortArchive(bytes.substr(0, bytes.size() - 1));
    EXPECT_FALSE(loaded.Load(shortArchive));
    EXPECT_FALSE(isValidPackedList(std::string("\x01\x00", 2)));
    EXPECT_TRUE(isValidPackedList(std::string("\x00\x00", 2)));
}
