#include "TextStore.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace quenvel {

namespace {

// Blocks of paragraph text below this size get room in proportion, larger ones a fixed slack.
constexpr int64_t kSmallBlock = 4096;
constexpr int64_t kBlockSlack = 128;
// The most a replacement asks for: one byte beyond what a paragraph may hold.
constexpr int64_t kMaxReplaceBlock = static_cast<int64_t>(kMaxParagraphBytes) + 1;
// Paragraph records: spare room when the array grows for an edit, the spare room it may
// keep after a deletion before it gives it back, and its room when emptied.
constexpr int32_t kSpareRecords = 64;
constexpr int32_t kKeptGap = 1024;
constexpr int32_t kClearedCapacity = 4;

// A small block: two bytes and a thirty-second more than asked.
int64_t WithRoom(int64_t n)
{
    return n + 2 + n / 32;
}

} // namespace

int32_t LoadBufferSize(int64_t n)
{
    if (n < kSmallBlock)
        return static_cast<int32_t>(WithRoom(n));
    if (n < kMaxParagraphBytes - kBlockSlack)
        return static_cast<int32_t>(n + kBlockSlack);
    return kMaxParagraphBytes;
}

int32_t ReplaceBufferSize(int64_t n)
{
    return static_cast<int32_t>(std::min(WithRoom(n), kMaxReplaceBlock));
}

int32_t MarkBufferSize(int64_t n)
{
    if (n < kSmallBlock)
        return static_cast<int32_t>(WithRoom(n));
    return static_cast<int32_t>(std::min<int64_t>(n + kBlockSlack, INT32_MAX));
}

uint8_t *AllocLarge(size_t size)
{
    size = std::max<size_t>(size, 1);
#if defined(__linux__)
    void *p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        throw EOutOfMemory();
    madvise(p, size, MADV_HUGEPAGE); // a hint: without huge pages the block works the same
#else
    void *p = std::malloc(size);
    if (!p)
        throw EOutOfMemory();
#endif
    return static_cast<uint8_t *>(p);
}

void FreeLarge(uint8_t *p, size_t size) noexcept
{
    if (!p)
        return;
#if defined(__linux__)
    munmap(p, std::max<size_t>(size, 1));
#else
    (void)size;
    std::free(p);
#endif
}

std::shared_ptr<uint8_t[]> MakeLargeBlock(size_t size)
{
    uint8_t *p = AllocLarge(size);
    try {
        return std::shared_ptr<uint8_t[]>(p, [size](uint8_t *q) { FreeLarge(q, size); });
    } catch (...) {
        FreeLarge(p, size);
        throw;
    }
}

namespace {

#if defined(__SANITIZE_ADDRESS__)
#define QUENVEL_TEXT_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUENVEL_TEXT_FROM_HEAP 1
#endif
#endif

// Small blocks (line records, short paragraph text) in sizes of kGrain bytes, carved in order
// from large chunks (no header per block, huge pages where the system has them: a highlighted
// file is millions of such blocks; a chunk's memory is touched only as it is handed out) and
// kept on a free list per size when given back. The chunks are kept for the life of the program.
class TBlockPool
{
public:
    static constexpr size_t kGrain = 8;
    static constexpr size_t kMostBytes = 512;

    static size_t SizeClass(size_t bytes) { return (std::max<size_t>(bytes, 1) + kGrain - 1) / kGrain - 1; }
    void *Take(size_t c)
    {
        if (Free *f = free_[c]) {
            free_[c] = f->next;
            return f;
        }
        const size_t bytes = (c + 1) * kGrain;
        if (left_ < bytes) {
            // what is left of the chunk (less than the largest block) stays unused
            const size_t size = std::min(kFirstChunk << std::min<size_t>(chunks_, 5), kMostChunk);
            next_ = AllocLarge(size);
            left_ = size;
            ++chunks_;
        }
        void *p = next_;
        next_ += bytes;
        left_ -= bytes;
        return p;
    }
    void Give(void *p, size_t c)
    {
        auto *f = static_cast<Free *>(p);
        f->next = free_[c];
        free_[c] = f;
    }

private:
    static constexpr size_t kFirstChunk = 256 * 1024;
    static constexpr size_t kMostChunk = 8u << 20;
    struct Free {
        Free *next;
    };
    Free *free_[kMostBytes / kGrain] = {};
    uint8_t *next_ = nullptr;
    size_t left_ = 0;
    size_t chunks_ = 0;
};

TBlockPool &BlockPool()
{
    static TBlockPool *pool = new TBlockPool(); // never destroyed: blocks may outlive statics
    return *pool;
}

// Paragraph text up to this many bytes comes from the pool, longer text from the heap, and
// all of it does under the address sanitizer, which then sees the bounds of each block.
constexpr int32_t kPooledText = static_cast<int32_t>(TBlockPool::kMostBytes);

bool Pooled(int32_t capacity)
{
#if defined(QUENVEL_TEXT_FROM_HEAP)
    (void)capacity;
    return false;
#else
    return capacity <= kPooledText;
#endif
}

} // namespace

uint8_t *AllocText(int32_t capacity)
{
    capacity = std::max(capacity, 1);
    void *p = Pooled(capacity) ? BlockPool().Take(TBlockPool::SizeClass(static_cast<size_t>(capacity)))
                               : std::malloc(static_cast<size_t>(capacity));
    if (!p)
        throw EOutOfMemory();
    return static_cast<uint8_t *>(p);
}

uint8_t *ReallocText(uint8_t *p, int32_t oldCapacity, int32_t capacity)
{
    oldCapacity = std::max(oldCapacity, 1);
    capacity = std::max(capacity, 1);
    if (!Pooled(oldCapacity) && !Pooled(capacity)) {
        void *q = std::realloc(p, static_cast<size_t>(capacity));
        if (!q)
            throw EOutOfMemory();
        return static_cast<uint8_t *>(q);
    }
    if (Pooled(oldCapacity) && Pooled(capacity) &&
        TBlockPool::SizeClass(static_cast<size_t>(oldCapacity)) == TBlockPool::SizeClass(static_cast<size_t>(capacity)))
        return p;
    uint8_t *q = AllocText(capacity);
    std::memcpy(q, p, static_cast<size_t>(std::min(oldCapacity, capacity)));
    FreeText(p, oldCapacity);
    return q;
}

void FreeText(uint8_t *p, int32_t capacity)
{
    if (!p)
        return;
    capacity = std::max(capacity, 1);
    if (Pooled(capacity))
        BlockPool().Give(p, TBlockPool::SizeClass(static_cast<size_t>(capacity)));
    else
        std::free(p);
}

static_assert(alignof(TLL) <= TBlockPool::kGrain && sizeof(TLL) <= TBlockPool::kMostBytes,
              "line records come from the block pool");

void *TLL::operator new(size_t size)
{
    if (size != sizeof(TLL))
        return ::operator new(size);
    return BlockPool().Take(TBlockPool::SizeClass(sizeof(TLL)));
}

void TLL::operator delete(void *p, size_t size) noexcept
{
    if (!p)
        return;
    if (size != sizeof(TLL))
        ::operator delete(p);
    else
        BlockPool().Give(p, TBlockPool::SizeClass(sizeof(TLL)));
}

TLL::~TLL()
{
    if (data_ != &one_)
        std::free(data_);
}

void TLL::SetCapacity(int32_t n)
{
    n = std::max(n, 1);
    if (n == capacity_)
        return;
    if (n > INT32_MAX / static_cast<int32_t>(sizeof(TLineRec)))
        throw EOutOfMemory();
    const int32_t keep = std::min(count_, n);
    if (n == 1) {
        if (keep)
            std::memmove(&one_, data_, sizeof(TLineRec));
        std::free(data_);
        data_ = &one_;
    } else {
        void *p = std::malloc(static_cast<size_t>(n) * sizeof(TLineRec));
        if (!p)
            throw EOutOfMemory();
        std::memcpy(p, data_, static_cast<size_t>(keep) * sizeof(TLineRec));
        if (data_ != &one_)
            std::free(data_);
        data_ = static_cast<TLineRec *>(p);
    }
    capacity_ = n;
    count_ = keep;
}

void TLL::SetCount(int32_t n)
{
    n = std::max(n, 0);
    if (n > capacity_)
        SetCapacity(n);
    count_ = n;
}

int32_t TLL::Add(const TLineRec *r)
{
    SetCount(count_ + 1);
    data_[count_ - 1] = *r;
    return count_ - 1;
}

void GrowText(TParagraphRec &par, int32_t capacity)
{
    if (par.OwnsText()) {
        par.Text = ReallocText(par.Text, par.Capacity, capacity);
    } else {
        uint8_t *own = AllocText(capacity);
        std::memcpy(own, par.Text, static_cast<size_t>(par.ByteSize()));
        par.Text = own;
    }
    par.Capacity = capacity;
}

void ReleaseText(TParagraphRec &par)
{
    if (par.OwnsText())
        FreeText(par.Text, par.Capacity);
    par.Text = nullptr;
    par.Capacity = 0;
}

} // namespace quenvel

namespace quenvel {

namespace {

constexpr int32_t kMaxRecords = static_cast<int32_t>(INT32_MAX / sizeof(TParagraphRec));
constexpr size_t kRecordSize = sizeof(TParagraphRec);
// The slabs that hold a loaded file's record blocks.
constexpr size_t kSlabBytes = 32u << 20;

} // namespace

TPLL::TPLL(int32_t blockRecords) : blockRecords_(std::max(blockRecords, 4))
{
    blocks_.push_back(TBlock{nullptr, 0, 0, 0, false});
}

TPLL::~TPLL()
{
    FreeBlocks();
}

void TPLL::FreeBlocks()
{
    for (TBlock &b : blocks_)
        Release(b);
    blocks_.clear();
    for (const TSlab &s : slabs_)
        FreeLarge(s.data, s.size);
    slabs_.clear();
    slabUsed_ = 0;
    hint_ = 0;
}

void TPLL::Release(TBlock &b)
{
    if (!b.inSlab)
        std::free(b.data);
    b.data = nullptr;
}

void TPLL::AddSlabBlock()
{
    const size_t bytes = static_cast<size_t>(blockRecords_) * kRecordSize;
    blocks_.reserve(blocks_.size() + 1);
    if (slabs_.empty() || slabs_.back().size - slabUsed_ < bytes) {
        slabs_.reserve(slabs_.size() + 1);
        const size_t size = std::max(kSlabBytes, bytes);
        slabs_.push_back(TSlab{AllocLarge(size), size});
        slabUsed_ = 0;
    }
    auto *data = reinterpret_cast<TParagraphRec *>(slabs_.back().data + slabUsed_);
    slabUsed_ += bytes;
    blocks_.push_back(TBlock{data, count_, 0, blockRecords_, true});
}

const TPLL::TBlock *TPLL::Locate(int32_t i) const
{
    // loops walk forwards or backwards: the neighbours first
    const size_t n = blocks_.size();
    for (size_t h : {hint_ + 1, hint_ - 1})
        if (h < n && static_cast<uint32_t>(i - blocks_[h].first) < static_cast<uint32_t>(blocks_[h].count)) {
            hint_ = h;
            return &blocks_[h];
        }
    hint_ = BlockOf(i);
    return &blocks_[hint_];
}

size_t TPLL::BlockOf(int32_t i) const
{
    // the last block whose first record is at or before i
    size_t lo = 0, hi = blocks_.size() - 1;
    while (lo < hi) {
        const size_t mid = lo + (hi - lo + 1) / 2;
        if (blocks_[mid].first <= i)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

void TPLL::Renumber(size_t fromBlock)
{
    blocks_[0].first = 0;
    for (size_t k = std::max<size_t>(fromBlock, 1); k < blocks_.size(); ++k)
        blocks_[k].first = blocks_[k - 1].first + blocks_[k - 1].count;
    if (hint_ >= blocks_.size())
        hint_ = 0;
}

void TPLL::Resize(TBlock &b, int32_t capacity)
{
    const size_t bytes = static_cast<size_t>(std::max(capacity, 1)) * kRecordSize;
    void *p;
    if (b.inSlab) {
        // a block of its own from now on
        p = std::malloc(bytes);
        if (p)
            std::memcpy(p, b.data, static_cast<size_t>(std::min(b.count, capacity)) * kRecordSize);
    } else {
        p = std::realloc(b.data, bytes);
    }
    if (!p)
        throw EOutOfMemory();
    b.inSlab = false;
    b.data = static_cast<TParagraphRec *>(p);
    b.capacity = capacity;
}

void TPLL::Insert(int32_t at, int32_t n)
{
    const int32_t B = blockRecords_;
    size_t k = BlockOf(at);
    // at the end of a block rather than at the start of the next, where that block has room
    if (k > 0 && at == blocks_[k].first && blocks_[k - 1].count < B)
        --k;
    TBlock *b = &blocks_[k];
    const int32_t o = at - b->first;
    if (b->count + n <= B) {
        if (b->count + n > b->capacity)
            Resize(*b, std::min(B, std::max({b->count + n, b->capacity * 2, 4})));
        std::memmove(b->data + o + n, b->data + o, static_cast<size_t>(b->count - o) * kRecordSize);
        std::memset(b->data + o, 0, static_cast<size_t>(n) * kRecordSize);
        b->count += n;
        Renumber(k + 1);
        return;
    }
    // The block splits at o: the new records fill it up, then come blocks of new records, then
    // a block with its tail. Everything is allocated before anything moves.
    const int32_t tail = b->count - o;
    const int32_t head = std::min(n, B - o);
    std::vector<TBlock> added;
    try {
        for (int32_t left = n - head; left > 0; left -= B) {
            added.push_back(TBlock{nullptr, 0, 0, 0, false});
            Resize(added.back(), B);
            added.back().count = std::min(left, B);
        }
        if (tail > 0) {
            added.push_back(TBlock{nullptr, 0, 0, 0, false});
            Resize(added.back(), tail);
            added.back().count = tail;
        }
        blocks_.reserve(blocks_.size() + added.size());
        b = &blocks_[k];
        if (o + head > b->capacity)
            Resize(*b, B);
    } catch (...) {
        for (TBlock &a : added)
            Release(a);
        throw;
    }
    for (size_t a = 0; a + (tail > 0 ? 1 : 0) < added.size(); ++a)
        std::memset(added[a].data, 0, static_cast<size_t>(added[a].count) * kRecordSize);
    if (tail > 0)
        std::memcpy(added.back().data, b->data + o, static_cast<size_t>(tail) * kRecordSize);
    std::memset(b->data + o, 0, static_cast<size_t>(head) * kRecordSize);
    b->count = o + head;
    blocks_.insert(blocks_.begin() + static_cast<std::ptrdiff_t>(k) + 1, added.begin(), added.end());
    Renumber(k + 1);
}

void TPLL::Remove(int32_t at, int32_t n)
{
    size_t k = BlockOf(at);
    // the first block loses records from o on, the blocks after it whole ones, then a head
    int32_t o = at - blocks_[k].first;
    int32_t left = n;
    size_t firstGone = k + 1, lastGone = k + 1; // blocks [firstGone, lastGone) are freed
    {
        TBlock &b = blocks_[k];
        const int32_t m = std::min(left, b.count - o);
        std::memmove(b.data + o, b.data + o + m, static_cast<size_t>(b.count - o - m) * kRecordSize);
        b.count -= m;
        left -= m;
        if (b.count == 0)
            firstGone = k;
    }
    while (left > 0 && blocks_[lastGone].count <= left)
        left -= blocks_[lastGone++].count;
    if (left > 0) {
        TBlock &b = blocks_[lastGone];
        std::memmove(b.data, b.data + left, static_cast<size_t>(b.count - left) * kRecordSize);
        b.count -= left;
    }
    for (size_t g = firstGone; g < lastGone; ++g)
        Release(blocks_[g]);
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(firstGone),
                  blocks_.begin() + static_cast<std::ptrdiff_t>(lastGone));
    if (blocks_.empty())
        blocks_.push_back(TBlock{nullptr, 0, 0, 0, false});
    // the blocks on either side of the cut join when both are small; a block that kept
    // little of its room gives the rest back
    size_t cut = std::min(firstGone, blocks_.size() - 1);
    if (cut > 0 && blocks_[cut - 1].count + blocks_[cut].count <= blockRecords_ / 2) {
        TBlock &l = blocks_[cut - 1], &r = blocks_[cut];
        if (l.count + r.count > l.capacity)
            Resize(l, l.count + r.count);
        std::memcpy(l.data + l.count, r.data, static_cast<size_t>(r.count) * kRecordSize);
        l.count += r.count;
        Release(r);
        blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(cut));
        --cut;
    }
    for (size_t g = cut > 0 ? cut - 1 : 0; g <= cut && g < blocks_.size(); ++g) {
        TBlock &b = blocks_[g];
        if (b.capacity > 64 && b.count < b.capacity / 4)
            Resize(b, b.count * 2);
    }
    Renumber(k > 0 ? k - 1 : 0);
}

void TPLL::SetCapacity(int32_t n)
{
    n = std::max(n, count_);
    if (n > kMaxRecords)
        throw EOutOfMemory();
    capacity_ = n;
    TBlock &last = blocks_.back();
    if (n == count_ && last.capacity > last.count)
        Resize(last, last.count);
}

void TPLL::MoveStep(int32_t to)
{
    if (stepStart_ == 0 && stepLine_ == 0) {
        stepFrom_ = to;
        return;
    }
    // Settling the whole step can be cheaper than moving it backwards.
    if (to < stepFrom_ && count_ - stepFrom_ < stepFrom_ - to) {
        for (int32_t i = stepFrom_; i < count_; ++i) {
            TParagraphRec &r = At(i);
            r.RawStart = Sum(r.RawStart, stepStart_);
            r.RawFirstLine = Sum(r.RawFirstLine, stepLine_);
        }
        stepStart_ = stepLine_ = 0;
        stepFrom_ = to;
        return;
    }
    for (int32_t i = to; i < stepFrom_; ++i) { // records joining the step
        TParagraphRec &r = At(i);
        r.RawStart = Difference(r.RawStart, stepStart_);
        r.RawFirstLine = Difference(r.RawFirstLine, stepLine_);
    }
    for (int32_t i = stepFrom_; i < to; ++i) { // records leaving it
        TParagraphRec &r = At(i);
        r.RawStart = Sum(r.RawStart, stepStart_);
        r.RawFirstLine = Sum(r.RawFirstLine, stepLine_);
    }
    stepFrom_ = to;
}

void TPLL::Shift(int32_t from, int32_t dStart, int32_t dLine)
{
    if ((dStart == 0 && dLine == 0) || from >= count_)
        return;
    MoveStep(std::max(from, 0));
    stepStart_ = Sum(stepStart_, dStart);
    stepLine_ = Sum(stepLine_, dLine);
}

void TPLL::AddSlowly(const TParagraphRec &r)
{
    if (count_ < capacity_ && blocks_.back().count == blockRecords_ && stepStart_ == 0 && stepLine_ == 0) {
        // a full last block: a new one at the end, with room for the records that follow
        AddSlabBlock();
        Add(r);
        return;
    }
    MoveTail(count_, count_ + 1);
    At(count_ - 1) = r;
    SetStart(count_ - 1, r.RawStart);
    SetFirstLine(count_ - 1, r.RawFirstLine);
}

void TPLL::MoveTail(int32_t from, int32_t to)
{
    if (from < 0 || from > count_ || to < 0)
        throw EListError();
    if (to == from)
        return;
    if (to > from) {
        const int32_t more = to - from;
        if (more > INT32_MAX - count_)
            throw EOutOfMemory();
        int32_t capacity = capacity_;
        if (capacity - count_ < more) {
            // room for this and for more edits nearby
            const int64_t want = static_cast<int64_t>(count_) + more + count_ / 16 + kSpareRecords;
            capacity = static_cast<int32_t>(std::min<int64_t>(want, kMaxRecords));
            if (capacity - count_ < more)
                throw EOutOfMemory();
        }
        Insert(from, more);
        capacity_ = capacity;
        count_ += more;
        if (stepFrom_ >= from)
            stepFrom_ += more;
    } else {
        Remove(to, from - to);
        count_ -= from - to;
        if (stepFrom_ >= from)
            stepFrom_ -= from - to;
        else if (stepFrom_ > to)
            stepFrom_ = to;
        // give back room that a large deletion left
        if (capacity_ - count_ > count_ / 8 + kKeptGap)
            capacity_ = count_ + count_ / 32 + kSpareRecords;
    }
    if (stepFrom_ >= count_) {
        stepFrom_ = count_;
        stepStart_ = stepLine_ = 0;
    }
}

void TPLL::Clear()
{
    FreeBlocks();
    blocks_.push_back(TBlock{nullptr, 0, 0, 0, false});
    Resize(blocks_.back(), kClearedCapacity);
    count_ = 0;
    capacity_ = kClearedCapacity;
    stepFrom_ = 0;
    stepStart_ = stepLine_ = 0;
}

} // namespace quenvel
