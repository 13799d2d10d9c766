#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "Dialogs.h"
#include "MemoryPool.h"

using namespace spx;

namespace {

int recordAt(const RecordArray& array, int position)
{
    int value = -1;
    array.Get(position, &value);
    return value;
}

} // namespace

TEST(MemoryPool, AccountsHandlesAndPointersAgainstTheBudget)
{
    MemoryPool pool(4096);
    Handle h = pool.NewHandle(100);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(pool.used(), 100u + MemoryPool::kHandleRecordSize);
    ASSERT_TRUE(pool.SetHandleSize(h, 300));
    EXPECT_EQ(pool.used(), 300u + MemoryPool::kHandleRecordSize);
    EXPECT_EQ(pool.Data(h)[299], 0) << "grown bytes start zeroed";

    void* p = pool.NewPtr(50);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(MemoryPool::GetPtrSize(p), 50u);
    EXPECT_EQ(pool.used(), 300u + MemoryPool::kHandleRecordSize + 54u);
    std::memcpy(p, "abcdef", 6);
    ASSERT_TRUE(pool.SetPtrSize(p, 3));
    EXPECT_EQ(std::memcmp(p, "abc", 3), 0);
    EXPECT_FALSE(pool.SetPtrSize(p, 10, false));
    EXPECT_EQ(pool.lastError(), PoolRefused);

    pool.DisposePtr(p);
    pool.DisposeHandle(h);
    EXPECT_EQ(pool.used(), 0u);
    EXPECT_EQ(pool.handleCount(), 0u);

    EXPECT_EQ(pool.NewHandle(5000), nullptr);
    EXPECT_EQ(pool.lastError(), PoolOutOfMemory);
    EXPECT_EQ(pool.NewPtr(5000), nullptr);
}

TEST(MemoryPool, EveryHandleRecordCountsAgainstTheBudget)
{
    MemoryPool pool(1000);
    Handle whole = pool.NewHandle(1000 - MemoryPool::kHandleRecordSize);
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(pool.used(), 1000u);
    pool.DisposeHandle(whole);
    EXPECT_EQ(pool.NewHandle(1000 - MemoryPool::kHandleRecordSize + 1), nullptr) << "the record's bytes are counted";

    // Each handle brings a record of its own: two halves leave no room for an empty third.
    Handle a = pool.NewHandle(500 - MemoryPool::kHandleRecordSize);
    Handle b = pool.NewHandle(500 - MemoryPool::kHandleRecordSize);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(pool.NewHandle(0), nullptr);

    // A raised budget makes the room; it is never lowered again.
    pool.EnsureBudget(1000 + MemoryPool::kHandleRecordSize);
    pool.EnsureBudget(10);
    EXPECT_EQ(pool.budget(), 1000u + MemoryPool::kHandleRecordSize);
    Handle c = pool.NewHandle(0);
    EXPECT_NE(c, nullptr);
    for (Handle h : {a, b, c})
        pool.DisposeHandle(h);
}

TEST(MemoryPool, PassesTheBudgetOnlyAfterPurgingEnoughBlocks)
{
    MemoryPool pool(MemoryPool::kDefaultBudget);
    Handle keep = pool.NewHandle(300000);
    Handle a = pool.NewHandle(400000);
    Handle b = pool.NewHandle(400000);
    Handle pinned = pool.NewHandle(300000);
    ASSERT_TRUE(keep && a && b && pinned);

    // Nothing purgeable yet: the request over the budget is refused.
    EXPECT_EQ(pool.NewHandle(500000), nullptr);
    EXPECT_EQ(pool.lastError(), PoolOutOfMemory);

    pool.SetFlags(a, HandlePurgeable);
    EXPECT_EQ(pool.NewHandle(500000), nullptr) << "one 400000-byte block is not enough";
    EXPECT_FALSE(pool.GetFlags(a) & HandlePurged);

    pool.SetFlags(b, HandlePurgeable);
    pool.SetFlags(pinned, HandlePurgeable | HandleLocked);   // locked blocks stay
    Handle big = pool.NewHandle(500000);
    ASSERT_NE(big, nullptr);
    EXPECT_TRUE(pool.GetFlags(a) & HandlePurged);
    EXPECT_TRUE(pool.GetFlags(b) & HandlePurged);
    EXPECT_EQ(pool.GetHandleSize(a), 0u);
    EXPECT_EQ(pool.Data(a), nullptr);
    EXPECT_FALSE(pool.GetFlags(pinned) & HandlePurged);
    EXPECT_LE(pool.used(), pool.budget());

    // A purged block can be neither resized, locked nor duplicated; it can still be disposed.
    EXPECT_FALSE(pool.SetHandleSize(a, 10));
    EXPECT_EQ(pool.lastError(), PoolBlockBusy);
    EXPECT_FALSE(pool.Lock(a));
    EXPECT_EQ(pool.DuplicateHandle(a), nullptr);
    EXPECT_EQ(pool.lastError(), PoolBlockBusy);
    for (Handle h : {a, b, pinned, big, keep})
        pool.DisposeHandle(h);
    EXPECT_EQ(pool.used(), 0u);
}

TEST(MemoryPool, PurgeChoosesTheBestFittingBlockThenPurgesInOrder)
{
    MemoryPool pool(1 << 20);
    Handle small = pool.NewHandle(100);
    Handle fit = pool.NewHandle(300);
    Handle large = pool.NewHandle(1000);
    for (Handle h : {small, fit, large})
        pool.SetFlags(h, HandlePurgeable);

    EXPECT_TRUE(pool.Purge(250));
    EXPECT_TRUE(pool.GetFlags(fit) & HandlePurged);
    EXPECT_FALSE(pool.GetFlags(small) & HandlePurged);
    EXPECT_FALSE(pool.GetFlags(large) & HandlePurged);

    EXPECT_TRUE(pool.Purge(-1));   // the largest
    EXPECT_TRUE(pool.GetFlags(large) & HandlePurged);
    EXPECT_FALSE(pool.Purge(500));   // only 100 bytes left to give
    EXPECT_FALSE(pool.GetFlags(small) & HandlePurged);

    Handle x = pool.NewHandle(200);
    Handle y = pool.NewHandle(200);
    pool.SetFlags(x, HandlePurgeable);
    pool.SetFlags(y, HandlePurgeable);
    EXPECT_TRUE(pool.Purge(250));   // no single block fits: small and x go, in list order
    EXPECT_TRUE(pool.GetFlags(small) & HandlePurged);
    EXPECT_TRUE(pool.GetFlags(x) & HandlePurged);
    EXPECT_FALSE(pool.GetFlags(y) & HandlePurged);
}

TEST(MemoryPool, GrowingAPurgeableBlockNeverPurgesThatBlock)
{
    MemoryPool pool(1000);
    Handle h = pool.NewHandle(400);
    pool.SetFlags(h, HandlePurgeable);
    std::memset(pool.Data(h), 'x', 400);
    EXPECT_FALSE(pool.SetHandleSize(h, 990));
    EXPECT_EQ(pool.lastError(), PoolOutOfMemory);
    EXPECT_EQ(pool.GetFlags(h), HandlePurgeable);
    ASSERT_NE(pool.Data(h), nullptr);
    EXPECT_EQ(pool.Data(h)[399], 'x');
    EXPECT_EQ(pool.GetHandleSize(h), 400u);
}

TEST(MemoryPool, LockRefusesFlaggedBlocksAndDuplicateRestoresFlags)
{
    MemoryPool pool;
    Handle h = pool.NewHandle(8);
    std::memcpy(pool.Data(h), "ABCDEFGH", 8);
    ASSERT_TRUE(pool.Lock(h));
    EXPECT_FALSE(pool.Lock(h));
    EXPECT_EQ(pool.lastError(), PoolBlockBusy);
    pool.Unlock(h);

    pool.SetFlags(h, HandlePurgeable);
    EXPECT_FALSE(pool.Lock(h));
    EXPECT_EQ(pool.lastError(), PoolBlockBusy);

    Handle copy = pool.DuplicateHandle(h);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(pool.GetFlags(h), HandlePurgeable);
    EXPECT_EQ(pool.GetFlags(copy), 0);
    EXPECT_EQ(std::memcmp(pool.Data(copy), "ABCDEFGH", 8), 0);
    EXPECT_NE(pool.Data(copy), pool.Data(h));
    EXPECT_EQ(pool.handleCount(), 2u);

    EXPECT_FALSE(pool.CopyBytes(nullptr, pool.Data(copy), 1));
    EXPECT_EQ(pool.lastError(), PoolNullAddress);
    EXPECT_EQ(pool.DuplicateHandle(nullptr), nullptr);
    EXPECT_EQ(pool.lastError(), PoolNullHandle);
}

TEST(RecordArray, KeepsOrderThroughInsertAndRemove)
{
    MemoryPool pool;
    RecordArray array(sizeof(int), &pool);
    int value = 0;
    EXPECT_FALSE(array.Get(1, &value));
    for (int v : {10, 20, 30})
        ASSERT_TRUE(array.Append(&v));
    int five = 5, fifteen = 15, forty = 40;
    ASSERT_TRUE(array.InsertAt(1, &five));
    ASSERT_TRUE(array.InsertAt(3, &fifteen));
    ASSERT_TRUE(array.InsertAt(99, &forty));   // past the end appends
    EXPECT_FALSE(array.InsertAt(0, &forty));
    ASSERT_EQ(array.Count(), 6);
    const int expected[] = {5, 10, 15, 20, 30, 40};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(recordAt(array, i + 1), expected[i]);

    EXPECT_FALSE(array.Get(0, &value));
    EXPECT_FALSE(array.Get(7, &value));
    EXPECT_FALSE(array.RemoveAt(0));
    EXPECT_FALSE(array.RemoveAt(7));
    ASSERT_TRUE(array.RemoveAt(1));
    ASSERT_TRUE(array.RemoveAt(5));
    ASSERT_TRUE(array.RemoveAt(2));
    EXPECT_EQ(array.Count(), 3);
    EXPECT_EQ(recordAt(array, 1), 10);
    EXPECT_EQ(recordAt(array, 2), 20);
    EXPECT_EQ(recordAt(array, 3), 30);
    EXPECT_EQ(pool.GetHandleSize(nullptr), 0u);

    array.Clear();
    EXPECT_EQ(array.Count(), 0);
    EXPECT_EQ(pool.used(), 0u);
}

TEST(RecordArray, AppendsAndInsertsCopiesOfItsOwnRecords)
{
    MemoryPool pool;
    RecordArray array(64, &pool);
    char record[64] = "first";
    ASSERT_TRUE(array.Append(record));
    // Each append moves the block; the source record lives in the old one.
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(array.Append(array.At(1)));
    ASSERT_TRUE(array.InsertAt(2, array.At(array.Count())));
    EXPECT_EQ(array.Count(), 52);
    for (int i = 1; i <= array.Count(); ++i)
        ASSERT_STREQ(reinterpret_cast<const char*>(array.At(i)), "first") << i;
}

TEST(RecordArray, CloneAndSetCount)
{
    MemoryPool pool;
    RecordArray array(3, &pool);
    ASSERT_TRUE(array.Append("ab"));
    ASSERT_TRUE(array.Append("cd"));
    std::unique_ptr<RecordArray> clone(array.Clone());
    ASSERT_TRUE(clone);
    ASSERT_TRUE(array.Set(1, "xy"));
    EXPECT_EQ(clone->Count(), 2);
    EXPECT_STREQ(reinterpret_cast<const char*>(clone->At(1)), "ab");
    EXPECT_STREQ(reinterpret_cast<const char*>(clone->At(2)), "cd");

    ASSERT_TRUE(array.SetCount(4));
    EXPECT_EQ(array.Count(), 4);
    EXPECT_EQ(array.At(4)[0], 0);
    ASSERT_TRUE(array.SetCount(1));
    EXPECT_EQ(array.At(2), nullptr);
    EXPECT_FALSE(array.SetCount(-1));

    // A count whose size does not fit must be refused, not wrapped to a small block.
    RecordArray wide(0x10000, &pool);
    EXPECT_FALSE(wide.SetCount(0x10000));
    EXPECT_EQ(wide.Count(), 0);
}

TEST(MemoryPool, ReportsAFailedAllocationAndADamagedHandleList)
{
    MemoryPool pool(4096);
    ScriptedDialogs dialogs;
    bool closed = false;
    pool.ReportMemoryError(dialogs, [&] { closed = true; });
    EXPECT_TRUE(dialogs.shown.empty());   // nothing failed yet

    Handle kept = pool.NewHandle(100);
    EXPECT_EQ(pool.NewHandle(8000), nullptr);
    pool.ReportMemoryError(dialogs, [&] { closed = true; });
    EXPECT_TRUE(closed);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Memory Error Occured");

    EXPECT_TRUE(pool.CheckHeap(dialogs));
    // A record whose alive tag was overwritten, as a stray write through a stale handle would.
    uint32_t* tag = reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(kept) + sizeof(void*));
    const uint32_t saved = *tag;
    *tag = 0xDEADBEEF;
    EXPECT_FALSE(pool.CheckHeap(dialogs));
    EXPECT_EQ(pool.lastError(), PoolNullHandle);
    EXPECT_EQ(dialogs.shown.back().text, "Heap integrity check failed\n");
    *tag = saved;
    pool.DisposeHandle(kept);
}
