#include "TextStore.h"

#include <cstdlib>
#include <vector>

namespace quenvel {

int32_t LoadBufferSize(int64_t n)
{
    if (n < 4096)
        return static_cast<int32_t>(n + 2 + n / 32);
    if (n < 2147483419)
        return static_cast<int32_t>(n + 128);
    return 2147483547;
}

int32_t ReplaceBufferSize(int64_t n)
{
    int64_t c = n + 2 + n / 32;
    if (c > 2147483548)
        c = 2147483548;
    return static_cast<int32_t>(c);
}

int32_t MarkBufferSize(int64_t n)
{
    if (n < 4096)
        return static_cast<int32_t>(n + 2 + n / 32);
    int64_t c = n + 128;
    if (c > INT32_MAX)
        c = INT32_MAX;
    return static_cast<int32_t>(c);
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
            constexpr size_t kPerChunk = 4096;
            auto *chunk = static_cast<Node *>(std::malloc(kPerChunk * sizeof(Node)));
            if (!chunk)
                throw EOutOfMemory();
            chunks_.push_back(chunk);
            for (size_t i = 0; i < kPerChunk; ++i) {
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
        alignas(16) uint8_t bytes[sizeof(TLL)];
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

void FreeText(uint8_t *p)
{
    std::free(p);
}

} // namespace quenvel
