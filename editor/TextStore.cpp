#include "TextStore.h"

#include <cstdlib>

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

void FreeText(uint8_t *p)
{
    std::free(p);
}

} // namespace quenvel
