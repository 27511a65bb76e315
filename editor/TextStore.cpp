#include "TextStore.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace quenvel {

namespace {

// Blocks of paragraph text below this size get room in proportion, larger ones a fixed slack.
constexpr int64_t kSmallBlock = 4096;
constexpr int64_t kBlockSlack = 128;
// The most a replacement asks for: one byte beyond what a paragraph may hold.
constexpr int64_t kMaxReplaceBlock = static_cast<int64_t>(kMaxParagraphBytes) + 1;
// TLL objects come in chunks of this many.
constexpr size_t kLinesPerChunk = 4096;
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

uint8_t *AllocText(int32_t capacity)
{
    void *p = std::malloc(capacity > 0 ? static_cast<size_t>(capacity) : 1);
    if (!p)
        throw EOutOfMemory();
    return static_cast<uint8_t *>(p);
}

uint8_t *ReallocText(uint8_t *p, int32_t capacity)
{
    void *q = std::realloc(p, capacity > 0 ? static_cast<size_t>(capacity) : 1);
    if (!q)
        throw EOutOfMemory();
    return static_cast<uint8_t *>(q);
}

namespace {

// Fixed-size blocks for TLL objects, handed out from large chunks and kept on a free list.
class TLinePool
{
public:
    void *Take()
    {
        if (!free_) {
            auto *chunk = static_cast<Node *>(std::malloc(kLinesPerChunk * sizeof(Node)));
            if (!chunk)
                throw EOutOfMemory();
            chunks_.push_back(chunk);
            for (size_t i = 0; i < kLinesPerChunk; ++i) {
                chunk[i].next = free_;
                free_ = &chunk[i];
            }
        }
        Node *n = free_;
        free_ = n->next;
        return n;
    }
    void Give(void *p)
    {
        auto *n = static_cast<Node *>(p);
        n->next = free_;
        free_ = n;
    }

private:
    union Node {
        Node *next;
        alignas(alignof(TLL)) uint8_t bytes[sizeof(TLL)];
    };
    Node *free_ = nullptr;
    std::vector<Node *> chunks_; // kept for the life of the program
};

TLinePool &LinePool()
{
    static TLinePool *pool = new TLinePool(); // never destroyed: objects may outlive statics
    return *pool;
}

} // namespace

void *TLL::operator new(size_t size)
{
    if (size != sizeof(TLL))
        return ::operator new(size);
    return LinePool().Take();
}

void TLL::operator delete(void *p, size_t size) noexcept
{
    if (!p)
        return;
    if (size != sizeof(TLL))
        ::operator delete(p);
    else
        LinePool().Give(p);
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

void FreeText(uint8_t *p)
{
    std::free(p);
}

} // namespace quenvel

namespace quenvel {

TPLL::~TPLL()
{
    std::free(data_);
}

void TPLL::Reallocate(int32_t capacity)
{
    // the records go to the front, the gap to the end
    MoveGap(count_);
    if (capacity == capacity_)
        return;
    if (capacity > INT32_MAX / static_cast<int32_t>(sizeof(TParagraphRec)))
        throw EOutOfMemory();
    void *p = std::realloc(data_, static_cast<size_t>(std::max(capacity, 1)) * sizeof(TParagraphRec));
    if (!p)
        throw EOutOfMemory();
    data_ = static_cast<TParagraphRec *>(p);
    capacity_ = capacity;
    gapAt_ = count_;
}

void TPLL::SetCapacity(int32_t n)
{
    Reallocate(std::max(n, count_));
}

void TPLL::MoveGap(int32_t at)
{
    const int32_t gap = capacity_ - count_;
    if (gap == 0 || at == gapAt_) {
        gapAt_ = at;
        return;
    }
    if (at < gapAt_)
        std::memmove(data_ + at + gap, data_ + at, static_cast<size_t>(gapAt_ - at) * sizeof(TParagraphRec));
    else
        std::memmove(data_ + gapAt_, data_ + gapAt_ + gap, static_cast<size_t>(at - gapAt_) * sizeof(TParagraphRec));
    gapAt_ = at;
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
        if (capacity_ - count_ < more) {
            // room for this and for more edits nearby
            const int64_t want = static_cast<int64_t>(count_) + more + count_ / 16 + kSpareRecords;
            Reallocate(static_cast<int32_t>(std::min<int64_t>(want, INT32_MAX / sizeof(TParagraphRec))));
            if (capacity_ - count_ < more)
                throw EOutOfMemory();
        }
        MoveGap(from);
        std::memset(data_ + from, 0, static_cast<size_t>(more) * sizeof(TParagraphRec));
        gapAt_ = to;
        count_ += more;
        if (stepFrom_ >= from)
            stepFrom_ += more;
    } else {
        MoveGap(from);
        gapAt_ = to;
        count_ -= from - to;
        if (stepFrom_ >= from)
            stepFrom_ -= from - to;
        else if (stepFrom_ > to)
            stepFrom_ = to;
        // give back a gap that a large deletion left
        if (capacity_ - count_ > count_ / 8 + kKeptGap)
            Reallocate(count_ + count_ / 32 + kSpareRecords);
    }
    if (stepFrom_ >= count_) {
        stepFrom_ = count_;
        stepStart_ = stepLine_ = 0;
    }
}

void TPLL::Clear()
{
    count_ = 0;
    gapAt_ = 0;
    stepFrom_ = 0;
    stepStart_ = stepLine_ = 0;
    Reallocate(kClearedCapacity);
}

} // namespace quenvel
