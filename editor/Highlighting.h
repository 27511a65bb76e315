// Keyword and start/stop tables that drive the highlighting passes.
#pragma once

#include "TextStore.h"

#include <bitset>
#include <memory>
#include <string>
#include <vector>

namespace quenvel {

enum : uint8_t {
    koMatchCase = 1,
    koWholeWords = 2,
};

#pragma pack(push, 1)
struct TKeywordRec {
    uint8_t Options;
    uint8_t Style;
    int16_t Context;
    int16_t Cursor;
    TColor Backgnd;
    TColor Foregnd;
};
#pragma pack(pop)

// A list of keywords, each with its own highlighting record. Not sorted, duplicates
// allowed: the first entry in list order wins where two could match.
class TKeywordList
{
public:
    TKeywordList() = default;
    TKeywordList(const TKeywordList &) = delete;
    TKeywordList &operator=(const TKeywordList &) = delete;

    int AddKeyword(const std::string &keyword, uint8_t options, uint8_t style, int16_t context,
                   int16_t cursor, TColor backgnd, TColor foregnd);
    int Add(const std::string &keyword); // an entry without a record
    int Count() const { return static_cast<int>(strings_.size()); }
    const std::string &Strings(int index) const;
    TKeywordRec KeywordRecord(int index) const;
    void SetKeywordRecord(int index, const TKeywordRec &rec);
    void Delete(int index);
    void Clear();

    // Bulk update brackets: the cached lookup data is rebuilt once, when the outermost closes.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

    // Cached copies, rebuilt on every change.
    const char *KeywordsPChar(int index) const { return pchar_[static_cast<size_t>(index)].c_str(); }
    const char *KeywordsUpper(int index) const { return upper_[static_cast<size_t>(index)].c_str(); }
    int32_t MaxKeywordLength() const { return maxKeywordLength_; }
    // Grows with every rebuild of the cached data, so dependants know when to refresh.
    uint32_t Version() const { return version_; }

    std::bitset<256> Delimiters;

private:
    void Changed();
    void RebuildCache();

    std::vector<std::string> strings_;
    std::vector<std::unique_ptr<TKeywordRec>> records_;
    std::vector<std::string> pchar_;
    std::vector<std::string> upper_;
    int32_t maxKeywordLength_ = 0;
    int updateCount_ = 0;
    uint32_t version_ = 0;
};

// Start/stop key pairs: regions such as strings and comments.
class TStartStopKeyList
{
public:
    static constexpr int kMaxPairs = 16;
    struct TAttr1 {
        uint8_t EndAtParEnd;
        uint8_t Style;
        int16_t Context;
    };
    struct TAttr2 {
        uint8_t Options;
        int16_t Cursor;
    };

    int AddStartStop(const std::string &startKey, const std::string &stopKey, uint8_t options,
                     uint8_t style, int16_t context, int16_t cursor, TColor backgnd, TColor foregnd,
                     uint8_t endAtParEnd);
    int Count() const { return static_cast<int>(startKeys_.size()); }
    const std::string &StartKey(int i) const { return startKeys_[static_cast<size_t>(i)]; }
    const std::string &StopKey(int i) const { return stopKeys_[static_cast<size_t>(i)]; }
    TColor Backgnd(int i) const { return backgnd_[static_cast<size_t>(i)]; }
    TColor Foregnd(int i) const { return foregnd_[static_cast<size_t>(i)]; }
    const TAttr1 &Attr1(int i) const { return attr1_[static_cast<size_t>(i)]; }
    const TAttr2 &Attr2(int i) const { return attr2_[static_cast<size_t>(i)]; }
    int16_t MaxStartLength() const { return maxStartLength_; }
    int16_t MaxStopLength() const { return maxStopLength_; }
    bool MatchCase() const { return matchCase_; }
    void SetMatchCase(bool on) { matchCase_ = on; }

    // The characters that continue a word. A pair with the whole-words option opens its
    // region only where its start key is a word of its own: neither the character before
    // it nor the one after it is one of these.
    std::bitset<256> WordChars;
    // Whether pair k's start key, found at `at` in the `len` bytes of `text`, opens a region.
    bool OpensAt(int k, const uint8_t *text, int32_t len, int32_t at) const
    {
        if (!(attr2_[static_cast<size_t>(k)].Options & koWholeWords))
            return true;
        const int32_t end = at + static_cast<int32_t>(startKeys_[static_cast<size_t>(k)].size());
        return !(at > 0 && WordChars[text[at - 1]]) && !(end < len && WordChars[text[end]]);
    }

private:
    std::vector<std::string> startKeys_;
    std::vector<std::string> stopKeys_;
    std::vector<TColor> backgnd_;
    std::vector<TColor> foregnd_;
    std::vector<TAttr1> attr1_;
    std::vector<TAttr2> attr2_;
    int16_t maxStartLength_ = 0;
    int16_t maxStopLength_ = 0;
    bool matchCase_ = false;
};

inline uint8_t UpperAscii(uint8_t c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<uint8_t>(c - 32) : c;
}

} // namespace quenvel
