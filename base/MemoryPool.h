#pragma once
// The process-wide memory pool: relocatable blocks reached through handles (resizable,
// lockable, purgeable) and plain pointer blocks, all counted against a byte budget. When an
// allocation would pass the budget, purgeable blocks are given up first.

#include <cstdint>
#include <functional>
#include <mutex>

namespace spx {

class IDialogs;

enum PoolError : int16_t {
    PoolOk = 0,
    PoolOutOfMemory = 15,
    PoolBlockBusy = 17,      // locked, purged or already flagged
    PoolRefused = 21,
    PoolNullHandle = 22,
    PoolNullAddress = 23,
};

enum HandleFlag : uint8_t {
    HandleLocked = 1,
    HandlePurgeable = 2,
    HandlePurged = 4,
};

struct HandleRecord;
using Handle = HandleRecord*;

class MemoryPool {
public:
    static constexpr uint32_t kDefaultBudget = 0x180000;
    static constexpr uint32_t kHandleRecordSize = 24;   // counted in the budget per handle

    explicit MemoryPool(uint32_t budget = kDefaultBudget, bool enforceBudget = true);
    virtual ~MemoryPool();
    MemoryPool(const MemoryPool&) = delete;
    MemoryPool& operator=(const MemoryPool&) = delete;

    // The pool the program's containers use. If none was installed, a default one is made.
    static MemoryPool& global();
    static void installGlobal(MemoryPool* pool);

    Handle NewHandle(uint32_t size);
    void DisposeHandle(Handle handle);
    bool SetHandleSize(Handle handle, uint32_t size);
    uint32_t GetHandleSize(Handle handle) const;
    uint8_t GetFlags(Handle handle) const;
    bool SetFlags(Handle handle, uint8_t flags);
    bool Lock(Handle handle);
    void Unlock(Handle handle);
    Handle DuplicateHandle(Handle handle);
    uint8_t* Data(Handle handle) const;   // null for a purged or null handle

    void* NewPtr(uint32_t size);
    void DisposePtr(void* pointer);
    bool SetPtrSize(void*& pointer, uint32_t size, bool allowed = true);
    static uint32_t GetPtrSize(const void* pointer);

    bool CopyBytes(const void* from, void* to, uint32_t count);
    // Frees purgeable blocks until `bytes` are free (-1: the largest block). True when reached.
    bool Purge(int64_t bytes);

    // When an operation failed: closes the main window (the callback) and says so.
    void ReportMemoryError(IDialogs& dialogs, const std::function<void()>& closeMainWindow = {});
    // Walks the handle list: every record alive, linked both ways, and the sizes within the
    // bytes accounted. A damaged pool is reported and leaves lastError 22.
    bool CheckHeap(IDialogs& dialogs);

    int16_t lastError() const { return lastError_; }
    uint32_t used() const { return used_; }
    uint32_t budget() const { return budget_; }
    // Raises the budget to at least `bytes` (never lowers it): a part of the program whose data
    // may grow past the default budget makes room for the most it accepts.
    void EnsureBudget(uint32_t bytes);
    uint32_t handleCount() const;

private:
    bool budgetAllows(uint32_t bytes);
    bool purgeLocked(int64_t bytes);
    void purgeBlock(HandleRecord* record);

    int16_t lastError_ = 0;
    bool enforceBudget_;
    uint32_t budget_;
    uint32_t used_ = 0;
    HandleRecord* first_ = nullptr;
    HandleRecord* last_ = nullptr;
    mutable std::recursive_mutex mutex_;
};

// An ordered list of fixed-size records in one pool block, positions 1-based.
class RecordArray {
public:
    explicit RecordArray(uint32_t elementSize, MemoryPool* pool = nullptr);
    virtual ~RecordArray();
    RecordArray(const RecordArray&) = delete;
    RecordArray& operator=(const RecordArray&) = delete;

    uint32_t ElementSize() const { return elementSize_; }
    MemoryPool& pool() const { return *pool_; }
    int Count() const { return static_cast<int>(count_); }
    // Copies the record at `position` into `out` (ElementSize bytes).
    bool Get(int position, void* out) const;
    const uint8_t* At(int position) const;   // direct view, valid until the array changes
    uint8_t* At(int position);
    bool Set(int position, const void* record);
    bool Append(const void* record);
    bool InsertAt(int position, const void* record);
    bool RemoveAt(int position);
    bool SetCount(int count);
    void Clear();
    RecordArray* Clone() const;   // caller owns; null on failure
    bool CopyFrom(const RecordArray& other);

private:
    bool ensureHandle();
    bool fitsCount(uint64_t count) const;
    uint32_t elementSize_;
    uint32_t count_ = 0;
    Handle handle_ = nullptr;
    MemoryPool* pool_;
};

} // namespace spx
