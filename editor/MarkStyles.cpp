// The table of the styles style marks carry, and each thread's numbers for the styles it writes.
#include "TextStore.h"

#include <cstdlib>
#include <mutex>
#include <string>
#include <unordered_map>

namespace quenvel {

namespace markstyles {
std::atomic<const TDynStyle *> chunks[kChunks];
} // namespace markstyles

namespace {

struct TMarkStyleTable {
    std::mutex lock;
    std::unordered_map<std::string, uint32_t> numbers; // a style's 15 bytes, its number
    uint32_t count = 0;
};

TMarkStyleTable &MarkStyles()
{
    static TMarkStyleTable *table = new TMarkStyleTable; // lives as long as the marks
    return *table;
}

uint32_t NewMarkStyleNumber(const TDynStyle &s)
{
    TMarkStyleTable &t = MarkStyles();
    const std::lock_guard<std::mutex> hold(t.lock);
    std::string key(reinterpret_cast<const char *>(&s), sizeof s);
    if (const auto it = t.numbers.find(key); it != t.numbers.end())
        return it->second;
    constexpr uint32_t perChunk = 1u << markstyles::kChunkBits;
    const uint32_t n = t.count;
    if (n >= perChunk * markstyles::kChunks)
        throw EOutOfMemory();
    std::atomic<const TDynStyle *> &slot = markstyles::chunks[n / perChunk];
    auto *chunk = const_cast<TDynStyle *>(slot.load(std::memory_order_relaxed));
    if (!chunk) {
        chunk = static_cast<TDynStyle *>(std::calloc(perChunk, sizeof(TDynStyle)));
        if (!chunk)
            throw EOutOfMemory();
    }
    chunk[n % perChunk] = s;
    slot.store(chunk, std::memory_order_release);
    t.numbers.emplace(std::move(key), n);
    t.count = n + 1;
    return n;
}

} // namespace

uint32_t MarkStyleNumber(const TDynStyle &s)
{
    // Highlighting writes the same few styles again and again: each thread keeps the
    // numbers of the styles it has written in a small open hash of its own, and asks the
    // shared table (under its lock) only for a style it has not seen. Full, it starts over.
    struct TKnown {
        TDynStyle style;
        bool used;
        uint32_t number;
    };
    constexpr uint32_t kSlots = 128, kMostUsed = 96;
    thread_local TKnown known[kSlots];
    thread_local uint32_t used = 0;
    uint64_t a, b;
    std::memcpy(&a, &s, 8);
    std::memcpy(&b, reinterpret_cast<const uint8_t *>(&s) + 7, 8);
    const uint32_t home = static_cast<uint32_t>(((a * 0x9E3779B97F4A7C15ull) ^ (b * 0xC2B2AE3D27D4EB4Full)) >> 57);
    uint32_t i = home;
    for (; known[i].used; i = (i + 1) % kSlots)
        if (known[i].style == s)
            return known[i].number;
    const uint32_t n = NewMarkStyleNumber(s);
    if (used == kMostUsed) {
        for (TKnown &k : known)
            k.used = false;
        used = 0;
        i = home;
    }
    known[i] = TKnown{s, true, n};
    ++used;
    return n;
}

} // namespace quenvel
