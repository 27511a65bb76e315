// Lookup data the keyword pass derives from a keyword list.
#pragma once

#include "CodeMemo.h"

#include <bitset>
#include <string>
#include <unordered_map>

namespace quenvel {

struct TCodeMemo::TKeywordMatcher {
    const TKeywordList *list = nullptr;
    uint32_t version = 0;
    // When every active keyword is whole-word and free of delimiters, an accepted
    // occurrence is always a whole word of the text, so each word needs one lookup.
    bool wordLookup = false;
    std::unordered_map<std::string, int> upper; // upper-cased keyword -> first entry without match case
    std::unordered_map<std::string, int> exact; // keyword -> first entry with match case
    std::vector<TKeywordRec> recs;
    // first characters that some keyword of each length may start with
    std::vector<std::bitset<256>> firstByLength;

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
        upper.clear();
        exact.clear();
        recs.clear();
        firstByLength.clear();
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
            if (r.Options & koMatchCase)
                exact.emplace(w, i);
            else
                upper.emplace(kl.KeywordsUpper(i), i);
            NoteFirst(w, r.Options & koMatchCase);
        }
    }
};

} // namespace quenvel
