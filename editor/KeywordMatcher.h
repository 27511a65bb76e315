// Lookup data the keyword pass derives from a keyword list.
#pragma once

#include "CodeMemo.h"

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

    void Build(const TKeywordList &kl)
    {
        list = &kl;
        version = kl.Version();
        upper.clear();
        exact.clear();
        recs.clear();
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
        }
    }
};

} // namespace quenvel
