// Highlighting written in one pass over a paragraph: a paragraph parsed for the first time,
// and runs given new colours when the keyword list changes only in colours.
#include "CodeMemo.h"
#include "KeywordMatcher.h"
#include "MarkStyles.h"

#include <algorithm>
#include <cstring>

namespace quenvel {

// The regions and the keywords of a paragraph merged in text order, without copying the
// keywords (a long line has millions).
struct TCodeMemo::TRunMerge {
    const std::vector<TFreshRun> &runs;
    const std::vector<TKeywordOcc> &occ;
    size_t ri = 0, oi = 0;
    // The next one's span, and whether it is a region.
    bool Next(int32_t &from, int32_t &to, bool &region)
    {
        if (ri < runs.size() && (oi >= occ.size() || runs[ri].a <= occ[oi].off)) {
            from = runs[ri].a, to = runs[ri].b, region = true;
            ++ri;
            return true;
        }
        if (oi < occ.size()) {
            from = occ[oi].off, to = occ[oi].off + occ[oi].len, region = false;
            ++oi;
            return true;
        }
        return false;
    }
};

bool TCodeMemo::ParseFresh(int32_t p, bool keywords)
{
    TParagraphRec &par = Par(p);
    if (par.MarkCount != 0 || par.LineCount() != 1 || par.StartDyn().IsDynamic())
        return false;
    const bool regions = par.RegionsPending && StartStopActive;
    if (regions && !RegionsStayInParagraph())
        return false;
    const int32_t len = par.Length;
    const uint8_t *t = par.Text;
    freshRuns_.clear();
    freshOcc_.clear();
    // The scratch lists live on for the next paragraph; after a huge one they would hold
    // many times the paragraph's size for the rest of the run.
    struct TReleaseScratch {
        TCodeMemo &memo;
        ~TReleaseScratch()
        {
            constexpr size_t kKeep = 1 << 16;
            if (memo.freshRuns_.capacity() > kKeep)
                std::vector<TFreshRun>().swap(memo.freshRuns_);
            if (memo.freshOcc_.capacity() > kKeep)
                std::vector<TKeywordOcc>().swap(memo.freshOcc_);
            if (memo.matchBuf_.capacity() > kKeep)
                std::vector<uint8_t>().swap(memo.matchBuf_);
        }
    } release{*this};
    // The text as the keyword pass sees it, where a region's bytes read as byte 5: a copy,
    // made when the first region is found or when the search marks what it takes.
    bool copied = false;
    if (regions)
        FindFreshRegions(t, len, copied);
    // keywords outside the regions, in text order
    TKeywordMatcher *matcher = nullptr;
    if (keywords && keywords_->Count() > 0) {
        // the word lookup only reads the match text: without regions it is the text itself
        matcher = &Matcher();
        if (!matcher->wordLookup)
            CopyForMatching(t, len, copied);
        KeywordOccurrences(t, copied ? matchBuf_.data() : par.Text, 0, len, len, 0, len, freshOcc_);
        auto byOffset = [](const TKeywordOcc &x, const TKeywordOcc &y) { return x.off < y.off; };
        if (!std::is_sorted(freshOcc_.begin(), freshOcc_.end(), byOffset))
            std::sort(freshOcc_.begin(), freshOcc_.end(), byOffset);
    }
    // Runs that touch each other are left to the passes, which write extra marks there;
    // but for a region that starts where another ends (a string that goes on with a doubled
    // quote): there the passes end the first one with a mark that has no style bits.
    TRunMerge merge{freshRuns_, freshOcc_};
    int32_t from = 0, to = 0, lastTo = 0;
    bool region = false, lastRegion = false;
    size_t count = 0;
    while (merge.Next(from, to, region)) {
        if (count > 0 && from <= lastTo && !(from == lastTo && region && lastRegion))
            return false;
        lastTo = to;
        lastRegion = region;
        ++count;
    }
    if (static_cast<int64_t>(len) + 2 * int64_t(kMarkSize) * static_cast<int64_t>(count) > kMaxParagraphBytes)
        return false;
    if (count > 0) {
        WriteFreshRuns(par, count, matcher);
        store_.DropOffsetsIn(p, p);
    }
    par.RegionsPending = 0;
    if (keywords)
        par.Parsed = 1;
    return true;
}

void TCodeMemo::CopyForMatching(const uint8_t *t, int32_t len, bool &copied)
{
    if (copied)
        return;
    matchBuf_.assign(t, t + len);
    matchBuf_.push_back(0);
    copied = true;
}

void TCodeMemo::FindFreshRegions(const uint8_t *t, int32_t len, bool &copied)
{
    // regions, left to right, as a scan of the whole paragraph finds them
    TStartStopKeyList &ss = *startStopKeys_;
    const int count = std::min(ss.Count(), static_cast<int>(TStartStopKeyList::kMaxPairs));
    const bool mc = ss.MatchCase();
    auto same = [&](int32_t at, const std::string &key) {
        if (at + static_cast<int32_t>(key.size()) > len)
            return false;
        for (size_t j = 0; j < key.size(); ++j) {
            uint8_t c = t[at + static_cast<int32_t>(j)], k = static_cast<uint8_t>(key[j]);
            if (!mc) {
                c = UpperAscii(c);
                k = UpperAscii(k);
            }
            if (c != k)
                return false;
        }
        return true;
    };
    // the bytes a start key may begin with, as bits (cheaper to clear than a table)
    uint64_t firstChar[4] = {};
    auto note = [&](uint8_t c) { firstChar[c >> 6] |= uint64_t(1) << (c & 63); };
    for (int k = 0; k < count; ++k)
        if (!ss.StartKey(k).empty()) {
            const uint8_t c = static_cast<uint8_t>(ss.StartKey(k)[0]);
            note(c);
            if (!mc) {
                note(UpperAscii(c));
                note(c >= 'A' && c <= 'Z' ? static_cast<uint8_t>(c + 32) : c);
            }
        }
    for (int32_t i = 0; i < len;) {
        if (!((firstChar[t[i] >> 6] >> (t[i] & 63)) & 1)) {
            ++i;
            continue;
        }
        int found = -1;
        for (int k = 0; k < count && found < 0; ++k)
            if (!ss.StartKey(k).empty() && same(i, ss.StartKey(k)) && ss.OpensAt(k, t, len, i))
                found = k;
        if (found < 0) {
            ++i;
            continue;
        }
        const int32_t L = static_cast<int32_t>(ss.StartKey(found).size());
        const std::string &stop = ss.StopKey(found);
        int32_t end = len;
        if (!stop.empty())
            for (int32_t j = i + L; j + static_cast<int32_t>(stop.size()) <= len; ++j)
                if (same(j, stop)) {
                    end = j + static_cast<int32_t>(stop.size());
                    break;
                }
        freshRuns_.push_back({i, end, RegionStyle(ss, found)});
        CopyForMatching(t, len, copied);
        std::memset(matchBuf_.data() + i, scMark, static_cast<size_t>(end - i));
        i = end;
    }
}

void TCodeMemo::WriteFreshRuns(TParagraphRec &par, size_t count, const TKeywordMatcher *matcher)
{
    // the text again, with an opening and a closing mark around each run
    const int32_t len = par.Length;
    const uint8_t *t = par.Text;
    const int32_t size = len + 2 * kMarkSize * static_cast<int32_t>(count);
    uint8_t *buf = AllocText(size);
    uint8_t *w = buf;
    int32_t at = 0;
    uint8_t *lastClose = nullptr;
    TRunMerge merge{freshRuns_, freshOcc_};
    int32_t from = 0, to = 0;
    bool region = false;
    while (merge.Next(from, to, region)) {
        const TDynStyle open = region ? freshRuns_[merge.ri - 1].open
                                      : KeywordStyle(matcher->recs[static_cast<size_t>(freshOcc_[merge.oi - 1].kw)]);
        if (lastClose && from == at) {
            // a region right after a region (the only runs that touch here)
            TDynStyle ended = ReadMark(lastClose);
            ended.StyleBits = 0;
            WriteMark(lastClose, ended);
        }
        std::memcpy(w, t + at, static_cast<size_t>(from - at));
        w += from - at;
        WriteMark(w, open);
        w += kMarkSize;
        std::memcpy(w, t + from, static_cast<size_t>(to - from));
        w += to - from;
        TDynStyle close = open;
        close.StyleBits &= static_cast<uint8_t>(~fsDynamic);
        WriteMark(w, close);
        lastClose = w;
        w += kMarkSize;
        at = to;
    }
    std::memcpy(w, t + at, static_cast<size_t>(len - at));
    ReleaseText(par);
    par.Text = buf;
    par.Capacity = size;
    par.MarkCount = 2 * static_cast<int32_t>(count);
    if (par.LineRecs)
        par.LineRecs->At(0).EndByte = size;
}

// Two keyword lists that find the same runs and differ only in colours.
namespace {

bool SameRunsOtherColours(const TKeywordList &a, const TKeywordList &b)
{
    if (a.Count() != b.Count() || a.Delimiters != b.Delimiters)
        return false;
    for (int i = 0; i < a.Count(); ++i) {
        const TKeywordRec x = a.KeywordRecord(i), y = b.KeywordRecord(i);
        if (a.Strings(i) != b.Strings(i) || x.Options != y.Options || x.Style != y.Style ||
            x.Context != y.Context || x.Cursor != y.Cursor)
            return false;
    }
    return true;
}

} // namespace

bool TCodeMemo::RecolourKeywords(const TKeywordList &previous)
{
    if (!KeywordsActive || !SameRunsOtherColours(previous, *keywords_))
        return false;
    TKeywordMatcher &m = Matcher();
    if (!m.wordLookup)
        return false;
    std::string word;
    const int32_t P = ParagraphCount();
    for (int32_t p = 0; p < P; ++p) {
        TParagraphRec &par = Par(p);
        if (par.LineCount() != 1)
            return false; // a run broken over lines keeps its colours in the line record too
        if (par.MarkCount == 0)
            continue;
        uint8_t *t = par.Text;
        const int32_t size = par.ByteSize();
        for (int32_t o = 0; o < size;) {
            const void *hit = std::memchr(t + o, scMark, static_cast<size_t>(size - o));
            if (!hit)
                break;
            const int32_t at = static_cast<int32_t>(static_cast<const uint8_t *>(hit) - t);
            const TDynStyle open = ReadMark(t + at);
            o = at + kMarkSize;
            if (!open.IsDynamic() || !open.IsParseMade() || open.IsRegion())
                continue;
            // the word up to the run's closing mark
            const void *end = std::memchr(t + o, scMark, static_cast<size_t>(size - o));
            if (!end)
                return false;
            const int32_t close = static_cast<int32_t>(static_cast<const uint8_t *>(end) - t);
            word.clear();
            for (int32_t k = o; k < close; ++k)
                if (!IsStyleCode(t[k]))
                    word.push_back(static_cast<char>(UpperAscii(t[k])));
            const int found = m.LookupUpper(reinterpret_cast<const uint8_t *>(word.data()), static_cast<int32_t>(word.size()));
            if (found < 0)
                return false;
            TDynStyle closing = ReadMark(t + close);
            TDynStyle expected = open;
            expected.StyleBits &= static_cast<uint8_t>(~fsDynamic);
            if (std::memcmp(&closing, &expected, sizeof closing) != 0)
                return false;
            const TDynStyle fresh = KeywordStyle(m.recs[static_cast<size_t>(found)]);
            closing = fresh;
            closing.StyleBits &= static_cast<uint8_t>(~fsDynamic);
            WriteMark(t + at, fresh);
            WriteMark(t + close, closing);
            o = close + kMarkSize;
        }
    }
    store_.DropOffsetsFrom(0);
    if (host_)
        host_->InvalidateAll();
    return true;
}

} // namespace quenvel
