// Lookup data the keyword pass derives from a keyword list.
#pragma once

#include "CodeMemo.h"

#include <bitset>
#include <cstring>
#include <string>
#include <vector>

namespace quenvel {

struct TCodeMemo::TKeywordMatcher {
    const TKeywordList *list = nullptr;
    uint32_t version = 0;
    // When every active keyword is whole-word and free of delimiters, an accepted
    // occurrence is always a whole word of the text, so each word needs one lookup.
    bool wordLookup = false;
    std::vector<TKeywordRec> recs;
    // first characters that some keyword of each length may start with
    std::vector<std::bitset<256>> firstByLength;

    // The keywords by their upper-cased bytes, in an open-addressed table, so that a word
    // of the text is looked up where it stands, without making a string of it.
    struct TSlot {
        uint32_t hash = 0;
        int32_t len = 0; // 0: an empty slot
        uint32_t keyAt = 0; // the upper-cased bytes, in pool
        int32_t upper = -1; // first entry without match case that has these upper-cased bytes
        int32_t exact = -1; // first of the entries with match case that fold to them, in exacts
    };
    struct TExact {
        uint32_t keyAt; // the keyword's own bytes, in pool
        int32_t index;  // its first entry
        int32_t next;   // the next match-case keyword of the same slot, or -1
    };
    // The list's delimiters as one byte per character, for the word scan; refreshed
    // whenever the list's set differs from the one it was made from.
    std::bitset<256> delimitersSeen;
    uint8_t isDelimiter[256] = {};

    const uint8_t *DelimiterTable(const std::bitset<256> &d)
    {
        if (d != delimitersSeen) {
            delimitersSeen = d;
            for (int c = 0; c < 256; ++c)
                isDelimiter[c] = d[static_cast<size_t>(c)];
        }
        return isDelimiter;
    }

    std::vector<TSlot> slots;
    std::vector<TExact> exacts;
    std::string pool;
    uint32_t mask = 0;

    static uint32_t HashStart() { return 2166136261u; }
    static uint32_t HashStep(uint32_t h, uint8_t upperByte) { return (h ^ upperByte) * 16777619u; }
    static uint32_t UpperHash(const uint8_t *text, int32_t len)
    {
        uint32_t h = HashStart();
        for (int32_t j = 0; j < len; ++j)
            h = HashStep(h, UpperAscii(text[j]));
        return h;
    }

    // The slot for upper-cased bytes of a hash already computed, or null.
    const TSlot *Find(uint32_t h, const uint8_t *text, int32_t len) const
    {
        if (slots.empty())
            return nullptr;
        for (uint32_t i = h & mask;; i = (i + 1) & mask) {
            const TSlot &s = slots[i];
            if (s.len == 0)
                return nullptr;
            if (s.hash != h || s.len != len)
                continue;
            const uint8_t *k = reinterpret_cast<const uint8_t *>(pool.data()) + s.keyAt;
            int32_t j = 0;
            while (j < len && k[j] == UpperAscii(text[j]))
                ++j;
            if (j == len)
                return &s;
        }
    }

    // The first entry that accepts the word text[0, len): with match case the same bytes,
    // without it the same bytes upper-cased; -1 when none does. `h` is the hash of the
    // word's upper-cased bytes.
    int Lookup(uint32_t h, const uint8_t *text, int32_t len) const
    {
        const TSlot *s = Find(h, text, len);
        if (!s)
            return -1;
        int best = s->upper;
        for (int32_t x = s->exact; x >= 0; x = exacts[static_cast<size_t>(x)].next) {
            const TExact &e = exacts[static_cast<size_t>(x)];
            if (std::memcmp(pool.data() + e.keyAt, text, static_cast<size_t>(len)) == 0) {
                if (best < 0 || e.index < best)
                    best = e.index;
                break;
            }
        }
        return best;
    }

    // The first entry without match case for an upper-cased word; -1 when none.
    int LookupUpper(const uint8_t *text, int32_t len) const
    {
        const uint32_t h = UpperHash(text, len);
        const TSlot *s = Find(h, text, len);
        if (!s)
            return -1;
        // the slot matches the word's upper-cased bytes; the word must be them already
        for (int32_t j = 0; j < len; ++j)
            if (text[j] != UpperAscii(text[j]))
                return -1;
        return s->upper;
    }

    TSlot &SlotFor(const std::string &w)
    {
        const uint8_t *b = reinterpret_cast<const uint8_t *>(w.data());
        const int32_t len = static_cast<int32_t>(w.size());
        const uint32_t h = UpperHash(b, len);
        if (const TSlot *s = Find(h, b, len))
            return const_cast<TSlot &>(*s);
        uint32_t i = h & mask;
        while (slots[i].len != 0)
            i = (i + 1) & mask;
        TSlot &s = slots[i];
        s.hash = h;
        s.len = len;
        s.keyAt = static_cast<uint32_t>(pool.size());
        for (unsigned char c : w)
            pool.push_back(static_cast<char>(UpperAscii(c)));
        return s;
    }

    void Add(const std::string &w, int index, bool matchCase)
    {
        TSlot &s = SlotFor(w);
        if (!matchCase) {
            if (s.upper < 0)
                s.upper = index;
            return;
        }
        int32_t *link = &s.exact;
        while (*link >= 0) {
            const TExact &e = exacts[static_cast<size_t>(*link)];
            if (pool.compare(e.keyAt, w.size(), w) == 0)
                return; // the first entry of these bytes stays
            link = &exacts[static_cast<size_t>(*link)].next;
        }
        *link = static_cast<int32_t>(exacts.size());
        exacts.push_back({static_cast<uint32_t>(pool.size()), index, -1});
        pool += w;
    }

    void NoteFirst(const std::string &w, bool matchCase)
    {
        if (firstByLength.size() <= w.size())
            firstByLength.resize(w.size() + 1);
        const uint8_t c = static_cast<uint8_t>(w[0]);
        firstByLength[w.size()].set(c);
        if (!matchCase) {
            firstByLength[w.size()].set(UpperAscii(c));
            if (c >= 'A' && c <= 'Z')
                firstByLength[w.size()].set(c + 32);
        }
    }

    void Build(const TKeywordList &kl)
    {
        list = &kl;
        version = kl.Version();
        recs.clear();
        firstByLength.clear();
        exacts.clear();
        pool.clear();
        size_t room = 16;
        while (room < 2 * static_cast<size_t>(kl.Count()) + 1)
            room *= 2;
        slots.assign(room, TSlot{});
        mask = static_cast<uint32_t>(room - 1);
        wordLookup = true;
        for (int i = 0; i < kl.Count(); ++i) {
            TKeywordRec r = kl.KeywordRecord(i);
            recs.push_back(r);
            if (r.Context == 0)
                continue;
            const std::string &w = kl.Strings(i);
            if (w.empty() || !(r.Options & koWholeWords)) {
                wordLookup = false;
                continue;
            }
            for (unsigned char c : w)
                if (kl.Delimiters[c] || c == scMark)
                    wordLookup = false;
            Add(w, i, r.Options & koMatchCase);
            NoteFirst(w, r.Options & koMatchCase);
        }
    }
};

} // namespace quenvel
