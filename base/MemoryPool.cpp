#include "MemoryPool.h"

#include "Dialogs.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace spx {

namespace {
constexpr uint32_t kAliveTag = 0xC0EDBABE;
constexpr uint32_t kDeadTag = 0xDEADBEEF;
constexpr uint32_t kPtrPrefix = 4;
MemoryPool* g_pool = nullptr;
} // namespace

struct HandleRecord {
    uint8_t* data;
    uint32_t tag;
    uint32_t size;
    uint8_t flags;
    HandleRecord* previous;
    HandleRecord* next;
};

MemoryPool::MemoryPool(uint32_t budget, bool enforceBudget)
    : enforceBudget_(enforceBudget), budget_(budget)
{
}

MemoryPool::~MemoryPool()
{
    HandleRecord* record = first_;
    while (record) {
        HandleRecord* next = record->next;
        record->tag = kDeadTag;
        std::free(record->data);
        delete record;
        record = next;
    }
    if (g_pool == this)
        g_pool = nullptr;
}

MemoryPool& MemoryPool::global()
{
    if (!g_pool) {
        static MemoryPool fallback;
        g_pool = &fallback;
    }
    return *g_pool;
}

void MemoryPool::installGlobal(MemoryPool* pool) { g_pool = pool; }

void MemoryPool::EnsureBudget(uint32_t bytes)
{
    std::lock_guard guard(mutex_);
    if (bytes > budget_)
        budget_ = bytes;
}

bool MemoryPool::budgetAllows(uint32_t bytes)
{
    if (!enforceBudget_)
        return true;
    const uint64_t needed = uint64_t(used_) + bytes + kHandleRecordSize;
    if (needed <= budget_)
        return true;
    // Purgeable blocks make the room: as many bytes as asked for, and never less than the budget
    // needs to hold (a request of 0 bytes still needs room for its record).
    return purgeLocked(int64_t(std::max<uint64_t>(bytes, needed - budget_)));
}

Handle MemoryPool::NewHandle(uint32_t size)
{
    std::lock_guard guard(mutex_);
    if (!budgetAllows(size)) {
        lastError_ = PoolOutOfMemory;
        return nullptr;
    }
    auto record = std::unique_ptr<HandleRecord>(new (std::nothrow) HandleRecord{});
    uint8_t* data = static_cast<uint8_t*>(std::calloc(size ? size : 1, 1));
    if (!record || !data || uint64_t(used_) + size + kHandleRecordSize > UINT32_MAX) {
        std::free(data);
        lastError_ = PoolOutOfMemory;
        return nullptr;
    }
    record->data = data;
    record->tag = kAliveTag;
    record->size = size;
    record->previous = last_;
    if (last_)
        last_->next = record.get();
    else
        first_ = record.get();
    last_ = record.get();
    used_ += size + kHandleRecordSize;
    lastError_ = PoolOk;
    return record.release();
}

void MemoryPool::DisposeHandle(Handle handle)
{
    std::lock_guard guard(mutex_);
    if (!handle || handle->tag != kAliveTag) {
        lastError_ = PoolNullHandle;
        return;
    }
    handle->tag = kDeadTag;
    std::free(handle->data);
    (handle->previous ? handle->previous->next : first_) = handle->next;
    (handle->next ? handle->next->previous : last_) = handle->previous;
    used_ -= handle->size + kHandleRecordSize;
    delete handle;
    lastError_ = PoolOk;
}

bool MemoryPool::SetHandleSize(Handle handle, uint32_t size)
{
    std::lock_guard guard(mutex_);
    if (!handle) {
        lastError_ = PoolNullHandle;
        return false;
    }
    if (handle->flags & HandlePurged) {
        lastError_ = PoolBlockBusy;
        return false;
    }
    if (size > handle->size && enforceBudget_ && uint64_t(used_) + (size - handle->size) > budget_) {
        // Make room from other blocks only: the block being resized is kept out of the purge.
        const uint8_t savedFlags = handle->flags;
        handle->flags |= HandleLocked;
        const bool room = purgeLocked(int64_t(size - handle->size));
        handle->flags = savedFlags;
        if (!room) {
            lastError_ = PoolOutOfMemory;
            return false;
        }
    }
    auto* data = static_cast<uint8_t*>(std::realloc(handle->data, size ? size : 1));
    if (!data) {
        lastError_ = PoolOutOfMemory;
        return false;
    }
    if (size > handle->size)
        std::memset(data + handle->size, 0, size - handle->size);
    handle->data = data;
    used_ = used_ - handle->size + size;
    handle->size = size;
    lastError_ = PoolOk;
    return true;
}

uint32_t MemoryPool::GetHandleSize(Handle handle) const
{
    std::lock_guard guard(mutex_);
    return handle ? handle->size : 0;
}

uint8_t MemoryPool::GetFlags(Handle handle) const
{
    std::lock_guard guard(mutex_);
    return handle ? handle->flags : 0;
}

bool MemoryPool::SetFlags(Handle handle, uint8_t flags)
{
    std::lock_guard guard(mutex_);
    if (!handle) {
        lastError_ = PoolNullHandle;
        return false;
    }
    handle->flags = flags;
    return true;
}

bool MemoryPool::Lock(Handle handle)
{
    std::lock_guard guard(mutex_);
    if (!handle) {
        lastError_ = PoolNullHandle;
        return false;
    }
    if (handle->flags != 0) {
        lastError_ = PoolBlockBusy;
        return false;
    }
    handle->flags |= HandleLocked;
    return true;
}

void MemoryPool::Unlock(Handle handle)
{
    std::lock_guard guard(mutex_);
    if (handle)
        handle->flags &= uint8_t(~HandleLocked);
}

Handle MemoryPool::DuplicateHandle(Handle source)
{
    std::lock_guard guard(mutex_);
    if (!source) {
        lastError_ = PoolNullHandle;
        return nullptr;
    }
    if (source->flags & HandlePurged) {
        lastError_ = PoolBlockBusy;
        return nullptr;
    }
    uint8_t savedFlags = source->flags;
    source->flags |= HandleLocked;
    Handle copy = NewHandle(source->size);
    if (copy)
        std::memcpy(copy->data, source->data, source->size);
    source->flags = savedFlags;
    if (!copy)
        lastError_ = PoolOutOfMemory;
    return copy;
}

uint8_t* MemoryPool::Data(Handle handle) const
{
    if (!handle || (handle->flags & HandlePurged))
        return nullptr;
    return handle->data;
}

uint32_t MemoryPool::handleCount() const
{
    std::lock_guard guard(mutex_);
    uint32_t n = 0;
    for (HandleRecord* r = first_; r; r = r->next)
        ++n;
    return n;
}

void* MemoryPool::NewPtr(uint32_t size)
{
    {
        std::lock_guard guard(mutex_);
        const uint64_t needed = uint64_t(used_) + size + kPtrPrefix;
        if (enforceBudget_ && needed > budget_ && !purgeLocked(int64_t(std::max<uint64_t>(size, needed - budget_)))) {
            lastError_ = PoolOutOfMemory;
            return nullptr;
        }
    }
    auto* block = static_cast<uint8_t*>(std::calloc(size_t(size) + kPtrPrefix, 1));
    if (!block) {
        lastError_ = PoolOutOfMemory;
        return nullptr;
    }
    std::memcpy(block, &size, kPtrPrefix);
    used_ += size + kPtrPrefix;
    lastError_ = PoolOk;
    return block + kPtrPrefix;
}

uint32_t MemoryPool::GetPtrSize(const void* pointer)
{
    if (!pointer)
        return 0;
    uint32_t size;
    std::memcpy(&size, static_cast<const uint8_t*>(pointer) - kPtrPrefix, kPtrPrefix);
    return size;
}

void MemoryPool::DisposePtr(void* pointer)
{
    if (!pointer)
        return;
    used_ -= GetPtrSize(pointer) + kPtrPrefix;
    std::free(static_cast<uint8_t*>(pointer) - kPtrPrefix);
}

bool MemoryPool::SetPtrSize(void*& pointer, uint32_t size, bool allowed)
{
    if (!allowed) {
        lastError_ = PoolRefused;
        return false;
    }
    void* fresh = NewPtr(size);
    if (!fresh)
        return false;
    if (pointer) {
        uint32_t old = GetPtrSize(pointer);
        std::memcpy(fresh, pointer, old < size ? old : size);
        DisposePtr(pointer);
    }
    pointer = fresh;
    return true;
}

bool MemoryPool::CopyBytes(const void* from, void* to, uint32_t count)
{
    if (!from || !to) {
        lastError_ = PoolNullAddress;
        return false;
    }
    std::memmove(to, from, count);
    return true;
}

void MemoryPool::purgeBlock(HandleRecord* record)
{
    std::free(record->data);
    record->data = nullptr;
    record->flags |= HandlePurged;
    used_ -= record->size;
    record->size = 0;
}

bool MemoryPool::Purge(int64_t bytes)
{
    std::lock_guard guard(mutex_);
    return purgeLocked(bytes);
}

bool MemoryPool::purgeLocked(int64_t bytes)
{
    auto candidate = [](const HandleRecord* r) {
        return (r->flags & HandlePurgeable) && !(r->flags & (HandleLocked | HandlePurged));
    };
    // The single block that fits best (for -1: the largest).
    HandleRecord* best = nullptr;
    uint64_t total = 0;
    for (HandleRecord* r = first_; r; r = r->next) {
        if (!candidate(r))
            continue;
        total += r->size;
        if (bytes < 0) {
            if (!best || r->size > best->size)
                best = r;
        } else if (r->size >= bytes && (!best || r->size < best->size)) {
            best = r;
            if (r->size == bytes)
                break;
        }
    }
    if (best) {
        purgeBlock(best);
        return true;
    }
    if (bytes < 0 || total < uint64_t(bytes))
        return false;
    int64_t freed = 0;
    for (HandleRecord* r = first_; r && freed < bytes; r = r->next) {
        if (candidate(r)) {
            freed += r->size;
            purgeBlock(r);
        }
    }
    return freed >= bytes;
}

void MemoryPool::ReportMemoryError(IDialogs& dialogs, const std::function<void()>& closeMainWindow)
{
    if (lastError_ == PoolOk)
        return;
    if (closeMainWindow)
        closeMainWindow();
    dialogs.messageBox("Memory Error Occured", MessageIcon::Stop, MessageButtons::Ok);
}

bool MemoryPool::CheckHeap(IDialogs& dialogs)
{
    bool intact = true;
    {
        std::lock_guard guard(mutex_);
        uint64_t accounted = 0;
        const HandleRecord* previous = nullptr;
        for (const HandleRecord* r = first_; r && intact; r = r->next) {
            intact = r->tag == kAliveTag && r->previous == previous
                     && (r->data != nullptr || (r->flags & HandlePurged) != 0);
            accounted += uint64_t(r->size) + kHandleRecordSize;
            previous = r;
        }
        intact = intact && previous == last_ && accounted <= used_;
    }
    if (!intact) {
        dialogs.messageBox("Heap integrity check failed\n", MessageIcon::Exclamation, MessageButtons::Ok);
        lastError_ = PoolNullHandle;
    }
    return intact;
}

// ---------------------------------------------------------------------------------------------

RecordArray::RecordArray(uint32_t elementSize, MemoryPool* pool)
    : elementSize_(elementSize), pool_(pool ? pool : &MemoryPool::global())
{
}

RecordArray::~RecordArray() { Clear(); }

// A count whose block size would not fit in 32 bits (or in a position) is refused, so that the
// size given to the pool always covers every record.
bool RecordArray::fitsCount(uint64_t count) const
{
    return count <= uint64_t(INT32_MAX) && count * elementSize_ <= UINT32_MAX;
}

bool RecordArray::ensureHandle()
{
    if (!handle_)
        handle_ = pool_->NewHandle(0);
    return handle_ != nullptr;
}

const uint8_t* RecordArray::At(int position) const
{
    if (position < 1 || uint32_t(position) > count_ || !handle_)
        return nullptr;
    uint8_t* data = pool_->Data(handle_);
    return data ? data + size_t(position - 1) * elementSize_ : nullptr;
}

uint8_t* RecordArray::At(int position)
{
    return const_cast<uint8_t*>(static_cast<const RecordArray*>(this)->At(position));
}

bool RecordArray::Get(int position, void* out) const
{
    const uint8_t* element = At(position);
    if (!element || !out)
        return false;
    std::memcpy(out, element, elementSize_);
    return true;
}

bool RecordArray::Set(int position, const void* record)
{
    uint8_t* element = At(position);
    if (!element || !record)
        return false;
    std::memmove(element, record, elementSize_);
    return true;
}

bool RecordArray::Append(const void* record)
{
    if (!record || !fitsCount(uint64_t(count_) + 1) || !ensureHandle())
        return false;
    // The record may live inside this array, and the block may move when it grows.
    std::unique_ptr<uint8_t[]> copy(new uint8_t[elementSize_ ? elementSize_ : 1]);
    std::memcpy(copy.get(), record, elementSize_);
    if (!pool_->SetHandleSize(handle_, (count_ + 1) * elementSize_))
        return false;
    ++count_;
    return Set(int(count_), copy.get());
}

bool RecordArray::InsertAt(int position, const void* record)
{
    if (position < 1 || !record)
        return false;
    if (uint32_t(position) > count_)
        return Append(record);
    // The record may live inside this array; keep a copy before the block moves.
    std::unique_ptr<uint8_t[]> copy(new uint8_t[elementSize_]);
    std::memcpy(copy.get(), record, elementSize_);
    if (!Append(copy.get()))
        return false;
    uint8_t* data = pool_->Data(handle_);
    uint8_t* at = data + size_t(position - 1) * elementSize_;
    std::memmove(at + elementSize_, at, size_t(count_ - uint32_t(position)) * elementSize_);
    std::memcpy(at, copy.get(), elementSize_);
    return true;
}

bool RecordArray::RemoveAt(int position)
{
    if (position < 1 || uint32_t(position) > count_ || !handle_)
        return false;
    uint8_t* data = pool_->Data(handle_);
    if (!data)
        return false;
    uint8_t* at = data + size_t(position - 1) * elementSize_;
    std::memmove(at, at + elementSize_, size_t(count_ - uint32_t(position)) * elementSize_);
    --count_;
    return pool_->SetHandleSize(handle_, count_ * elementSize_);
}

bool RecordArray::SetCount(int count)
{
    if (count < 0 || !fitsCount(uint64_t(count)) || !ensureHandle())
        return false;
    if (!pool_->SetHandleSize(handle_, uint32_t(count) * elementSize_))
        return false;
    count_ = uint32_t(count);
    return true;
}

void RecordArray::Clear()
{
    if (handle_)
        pool_->DisposeHandle(handle_);
    handle_ = nullptr;
    count_ = 0;
}

RecordArray* RecordArray::Clone() const
{
    auto copy = std::make_unique<RecordArray>(elementSize_, pool_);
    if (!copy->CopyFrom(*this))
        return nullptr;
    return copy.release();
}

bool RecordArray::CopyFrom(const RecordArray& other)
{
    if (&other == this)
        return true;
    Clear();
    elementSize_ = other.elementSize_;
    if (!other.handle_)
        return true;
    handle_ = pool_->DuplicateHandle(other.handle_);
    if (!handle_)
        return false;
    count_ = other.count_;
    return true;
}

} // namespace spx
