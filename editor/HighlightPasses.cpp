// The highlighting passes: keyword runs and start/stop regions written as style marks.
#include "CodeMemo.h"
#include "KeywordMatcher.h"
#include "MarkStyles.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace quenvel {

void TCodeMemo::SetKeywords(TKeywordList *list)
{
    keywords_ = list ? list : ownKeywords_.get();
    // the matcher was built for the table before: a new table may now live at a freed
    // table's address, so the address alone cannot tell that it is out of date
    matcher_.reset();
}

TCodeMemo::TKeywordMatcher &TCodeMemo::Matcher()
{
    if (!matcher_)
        matcher_ = std::make_unique<TKeywordMatcher>();
    if (matcher_->list != keywords_ || matcher_->version != keywords_->Version())
        matcher_->Build(*keywords_);
    return *matcher_;
}

void TCodeMemo::ApplyDynStyle(TCodeNavigator &first, TCodeNavigator &last, bool dynamic, TDynStyle style)
{
    TCodeNavigator *A = &first, *B = &last;
    if (A->Pos() > B->Pos())
        std::swap(A, B);
    const int32_t E = B->Pos();
    const int32_t aPar = A->ParNb(), aLine = A->LineInPar();
    const int32_t bPar = B->ParNb(), bLine = B->LineInPar();
    ChangedRange(aPar, bPar);

    TDynStyle prev = A->CurrentDynStyle();
    if (prev.IsDynamic()) {
        prev.StyleBits = 0;
        A->InsertMark(prev);
    }
    if (dynamic) {
        style.StyleBits |= fsDynamic;
        A->InsertMark(style);
    } else {
        style.StyleBits = 0;
    }

    // Remove every mark inside the range; the last one removed says what resumes after it.
    TCodeNavigator &W = work_->apply;
    W.Assign(*A);
    while (W.Pos() < E) {
        TParagraphRec *par = W.Par();
        const int32_t off = W.ParOffset();
        if (off <= par->Length) {
            const int32_t o = W.TextOffset();
            if (o < par->ByteSize() && par->Text[o] == scMark) {
                prev = ReadMark(par->Text + o);
                W.DeleteMark();
                continue;
            }
        }
        if (off >= par->Length) {
            // over the paragraph break
            W.SetPos(std::min(ParStart(W.ParNb()) + par->Length + 2, E));
            continue;
        }
        W.SetPos(W.Pos() + 1);
    }
    // Lines that start inside the range take the new style.
    for (int32_t p = aPar; p <= bPar; ++p) {
        TLL &lines = Par(p).Lines();
        int32_t from = p == aPar ? aLine + 1 : 0;
        int32_t to = p == bPar ? bLine : lines.Count() - 1;
        for (int32_t k = from; k <= to; ++k)
            lines.At(k).DynStyle = style;
    }

    style.StyleBits &= static_cast<uint8_t>(~fsDynamic);
    W.SetPos(E);
    if (dynamic)
        W.InsertMark(style);
    if (prev.IsDynamic())
        W.InsertMark(prev);
}

void TCodeMemo::KeywordOccurrences(const uint8_t *plain, uint8_t *match, int32_t cFrom, int32_t cTo, int32_t len,
                                   int32_t lo, int32_t hi, std::vector<TKeywordOcc> &occ)
{
    TKeywordList &kl = *keywords_;
    TKeywordMatcher &m = Matcher();
    const int32_t maxLen = kl.MaxKeywordLength();
    const int32_t from = std::max(0, lo - maxLen);
    const int32_t to = std::min(len, hi + maxLen);
    const int32_t n = cTo - cFrom;

    if (m.wordLookup) {
        const uint8_t *delim = m.DelimiterTable(kl.Delimiters);
        const size_t lengths = m.firstByLength.size();
        int32_t a = from;
        while (a < to) {
            if (delim[plain[a]]) {
                ++a;
                continue;
            }
            int32_t b = a;
            while (b < cTo && !delim[plain[b]])
                ++b;
            const int32_t L = b - a;
            // a whole word inside the searched part of the examined text
            if (L <= maxLen && static_cast<size_t>(L) < lengths && m.firstByLength[static_cast<size_t>(L)][plain[a]] &&
                (a == 0 || delim[plain[a - 1]]) && a >= lo - L && b <= std::min(hi + L, to)) {
                bool dynamicInside = false;
                uint32_t h = TKeywordMatcher::HashStart();
                for (int32_t k = a; k < b; ++k) {
                    dynamicInside |= match[k] == scMark;
                    h = TKeywordMatcher::HashStep(h, UpperAscii(plain[k]));
                }
                if (!dynamicInside) {
                    const int best = m.Lookup(h, plain + a, L);
                    if (best >= 0)
                        occ.push_back({best, a, L});
                }
            }
            a = b;
        }
    } else {
        // Each keyword in list order over the whole examined text.
        bool haveUpper = false;
        upperBuf_.resize(static_cast<size_t>(n) + 1);
        uint8_t *upper = upperBuf_.data() - cFrom;
        const int32_t ex = to - from;
        for (int i = 0; i < kl.Count(); ++i) {
            const TKeywordRec &r = m.recs[static_cast<size_t>(i)];
            if (r.Context == 0)
                continue;
            const bool matchCase = r.Options & koMatchCase;
            const bool whole = r.Options & koWholeWords;
            std::string_view key = matchCase ? kl.KeywordsPChar(i) : kl.KeywordsUpper(i);
            const int32_t L = static_cast<int32_t>(key.size());
            if (L == 0 || L > ex)
                continue;
            if (!matchCase && !haveUpper) {
                for (int32_t k = cFrom; k < cTo; ++k)
                    upper[k] = UpperAscii(match[k]);
                haveUpper = true;
            }
            const uint8_t *hay = matchCase ? match : upper;
            int32_t s = lo - from - L > 0 ? lo - from - L : 0;
            int32_t e = hi - from + L < ex ? hi - from + L : ex;
            std::string_view text(reinterpret_cast<const char *>(hay + from), static_cast<size_t>(e));
            for (;;) {
                size_t f = text.find(key, static_cast<size_t>(s));
                if (f == std::string_view::npos)
                    break;
                const int32_t at = from + static_cast<int32_t>(f);
                bool ok = true;
                if (whole) {
                    if (at > 0 && !kl.Delimiters[plain[at - 1]])
                        ok = false;
                    if (at + L < len && !kl.Delimiters[plain[at + L]])
                        ok = false;
                }
                if (ok) {
                    occ.push_back({i, at, L});
                    std::memset(match + at, scMark, static_cast<size_t>(L));
                    if (haveUpper)
                        std::memset(upper + at, scMark, static_cast<size_t>(L));
                }
                s = static_cast<int32_t>(f) + L;
            }
        }
        std::sort(occ.begin(), occ.end(), [](const TKeywordOcc &x, const TKeywordOcc &y) { return x.off < y.off; });
    }
}

bool TCodeMemo::ParseParagraphKeywords(int32_t pi, int32_t lo, int32_t hi)
{
    EnsureRegions(pi);
    TKeywordList &kl = *keywords_;
    if (kl.Count() == 0)
        return false;
    TKeywordMatcher &m = Matcher();
    TParagraphRec *par = &Par(pi);
    const int32_t len = par->Length;
    const int32_t maxLen = kl.MaxKeywordLength();
    lo = std::clamp(lo, 0, len);
    hi = std::clamp(hi, lo, len);
    const int32_t from = std::max(0, lo - maxLen);
    const int32_t to = std::min(len, hi + maxLen);

    // Plain copy of [from - 1, to + 1) (real neighbours included) and the match copy,
    // where text under a dynamic run reads as byte 5.
    const int32_t cFrom = std::max(0, from - 1), cTo = std::min(len, to + 1);
    const int32_t n = cTo - cFrom;
    plainBuf_.resize(static_cast<size_t>(n) + 1);
    matchBuf_.resize(static_cast<size_t>(n) + 1);
    {
        TDynStyle dyn = par->StartDyn();
        const uint8_t *t = par->Text;
        if (par->MarkCount == 0 && !dyn.IsDynamic()) {
            std::memcpy(plainBuf_.data(), t + cFrom, static_cast<size_t>(n));
            std::memcpy(matchBuf_.data(), t + cFrom, static_cast<size_t>(n));
        } else {
            int32_t pos = 0;
            for (int32_t o = 0; o < par->ByteSize() && pos < cTo;) {
                if (t[o] == scMark) {
                    dyn = ReadMark(t + o);
                    o += kMarkSize;
                    continue;
                }
                if (pos >= cFrom) {
                    plainBuf_[static_cast<size_t>(pos - cFrom)] = t[o];
                    matchBuf_[static_cast<size_t>(pos - cFrom)] = dyn.IsDynamic() ? static_cast<uint8_t>(scMark) : t[o];
                }
                ++pos;
                ++o;
            }
        }
    }
    const uint8_t *plain = plainBuf_.data() - cFrom; // index by paragraph offset
    uint8_t *match = matchBuf_.data() - cFrom;

    std::vector<TKeywordOcc> occ;
    KeywordOccurrences(plain, match, cFrom, cTo, len, lo, hi, occ);
    if (occ.empty())
        return false;

    // Room for two marks per occurrence, then the runs.
    const int64_t need = static_cast<int64_t>(par->MarkCount + 2 * static_cast<int64_t>(occ.size())) * kMarkSize + len;
    if (need > par->Capacity)
        GrowText(*par, static_cast<int32_t>(need));
    TCodeNavigator &s = work_->occStart;
    TCodeNavigator &e = work_->occStop;
    for (const TKeywordOcc &o : occ) {
        s.PlaceInParagraph(pi, o.off);
        e.PlaceInParagraph(pi, o.off + o.len);
        ApplyDynStyle(s, e, true, KeywordStyle(m.recs[static_cast<size_t>(o.kw)]));
    }
    s.Invalidate();
    e.Invalidate();
    return true;
}

void TCodeMemo::ParseKeywords(TCodeNavigator &first, TCodeNavigator &last)
{
    if (keywords_->Count() == 0)
        return;
    const int32_t p0 = first.ParNb(), p1 = last.ParNb();
    const int32_t off0 = first.ParOffset(), off1 = last.ParOffset();
    const int32_t firstPos = first.Pos();
    bool applied = false;
    for (int32_t p = p0; p <= p1; ++p) {
        const int32_t len = Par(p).Length;
        const int32_t lo = p == p0 ? std::min(off0, len) : 0;
        const int32_t hi = p == p1 ? std::min(off1, len) : len;
        applied |= ParseParagraphKeywords(p, lo, hi);
    }
    if (applied) {
        store_.DropOffsetsAfter(firstPos, p0, p1);
    }
}

void TCodeMemo::ParseAllKeywords()
{
    for (int32_t p = 0; p < ParagraphCount(); ++p)
        EnsureParsed(p, KeywordsActive);
    store_.DropOffsetsFrom(0);
}

bool TCodeMemo::RegionsStayInParagraph() const
{
    const TStartStopKeyList &ss = *startStopKeys_;
    for (int k = 0; k < ss.Count(); ++k)
        if (!ss.StopKey(k).empty() && !ss.Attr1(k).EndAtParEnd)
            return false;
    return true;
}

void TCodeMemo::EnsureRegions(int32_t p)
{
    if (!Par(p).RegionsPending)
        return;
    Par(p).RegionsPending = 0;
    if (!StartStopActive || startStopKeys_->Count() == 0)
        return;
    TCodeNavigator &a = work_->regionsFrom;
    TCodeNavigator &b = work_->regionsTo;
    a.PlaceInParagraph(p, 0);
    b.PlaceInParagraph(p, Par(p).Length);
    ParseStartStop(a, b);
    a.Invalidate();
    b.Invalidate();
}

void TCodeMemo::EnsureParsed(int32_t p, bool keywords)
{
    keywords = keywords && KeywordsActive && !Par(p).Parsed;
    if (!Par(p).RegionsPending && !keywords)
        return;
    if (BulkParse && ParseFresh(p, keywords))
        return;
    EnsureRegions(p);
    if (keywords) {
        ParseParagraphKeywords(p, 0, Par(p).Length);
        Par(p).Parsed = 1;
    }
}

void TCodeMemo::ClearLineDynStyles(TCodeNavigator &from, TCodeNavigator &to)
{
    // Lines that start after `from` and up to `to` lose their dynamic style.
    const int32_t p0 = from.ParNb(), l0 = from.LineInPar();
    const int32_t p1 = to.ParNb(), l1 = to.LineInPar();
    for (int32_t p = p0; p <= p1; ++p) {
        TLL &lines = Par(p).Lines();
        int32_t a = p == p0 ? l0 + 1 : 0;
        int32_t b = p == p1 ? l1 : lines.Count() - 1;
        for (int32_t k = a; k <= b; ++k)
            lines.At(k).DynStyle.StyleBits = 0;
    }
}

namespace {

// Places nav on the end of a region, without a lookup when the end lies in paragraph pi
// (which starts at S and has len positions).
void PlaceAtEnd(TCodeNavigator &nav, int32_t pi, int32_t S, int32_t len, int64_t end)
{
    if (end <= S + len)
        nav.PlaceInParagraph(pi, static_cast<int32_t>(end - S));
    else
        nav.MoveTo(static_cast<int32_t>(end));
}

} // namespace

std::string TCodeMemo::FoldedForKeys(std::string s) const
{
    if (!startStopKeys_->MatchCase())
        for (auto &c : s)
            c = static_cast<char>(UpperAscii(static_cast<uint8_t>(c)));
    return s;
}

int64_t TCodeMemo::RegionEnd(int k, const std::string &stop, const std::string &text, int32_t pi, int32_t from)
{
    const int32_t S = ParStart(pi);
    const int32_t len = static_cast<int32_t>(text.size());
    if (stop.empty())
        return S + len;
    const size_t f = text.find(stop, static_cast<size_t>(from));
    if (f != std::string::npos)
        return S + static_cast<int64_t>(f + stop.size());
    if (startStopKeys_->Attr1(k).EndAtParEnd)
        return S + len;
    for (int32_t q = pi + 1; q < ParagraphCount(); ++q) {
        const size_t f2 = FoldedForKeys(ParagraphText(q)).find(stop);
        if (f2 != std::string::npos)
            return ParStart(q) + static_cast<int64_t>(f2 + stop.size());
    }
    return TextLength();
}

void TCodeMemo::RemoveRegionRunInto(int32_t pi, int32_t len, int64_t end, int32_t &lastPos)
{
    // An older region that the new one runs into is removed and its text scanned again.
    TCodeNavigator &tmp = work_->temp;
    PlaceAtEnd(tmp, pi, ParStart(pi), len, end);
    if (!tmp.CurrentDynStyle().IsRegion()) {
        if (end > lastPos)
            lastPos = static_cast<int32_t>(end);
        return;
    }
    if (!tmp.FindPrevMark())
        return;
    TCodeNavigator &open = work_->occStart;
    open.Assign(tmp);
    tmp.DeleteMark();
    open.MoveTo(tmp.Pos());
    if (tmp.FindNextMark()) {
        const int32_t oldEnd = tmp.Pos();
        tmp.DeleteMark();
        tmp.MoveTo(oldEnd);
        ClearLineDynStyles(open, tmp);
        if (oldEnd > lastPos)
            lastPos = oldEnd;
    }
    open.Invalidate();
}

void TCodeMemo::ParseStartStop(TCodeNavigator &first, TCodeNavigator &last)
{
    TStartStopKeyList &ss = *startStopKeys_;
    const int count = std::min(ss.Count(), static_cast<int>(TStartStopKeyList::kMaxPairs));
    if (count == 0)
        return;
    std::string starts[TStartStopKeyList::kMaxPairs], stops[TStartStopKeyList::kMaxPairs];
    for (int k = 0; k < count; ++k) {
        starts[k] = FoldedForKeys(ss.StartKey(k));
        stops[k] = FoldedForKeys(ss.StopKey(k));
    }
    const int32_t slack = std::max<int32_t>(ss.MaxStartLength() - 1, 0);

    TCodeNavigator &A = work_->scan;
    int32_t back = std::min(slack, first.ParOffset());
    A.Invalidate();
    A.SetPos(first.Pos() - back);
    bool moved = false;
    while (A.Pos() < TextLength() && A.CurrentDynStyle().IsRegion()) {
        A.SetPos(A.Pos() + 1);
        moved = true;
    }
    if (moved) {
        const int32_t p = A.Pos() - 1;
        A.Invalidate();
        A.SetPos(p);
        back = first.Pos() - A.Pos();
    }
    int32_t lastPos = last.Pos();
    int32_t scan = A.Pos();
    int32_t pi = A.ParNb();

    bool firstChar[256] = {};
    for (int k = 0; k < count; ++k)
        if (!starts[k].empty())
            firstChar[static_cast<uint8_t>(starts[k][0])] = true;
    TCodeNavigator &rs = work_->regionStart;
    TCodeNavigator &re = work_->regionStop;
    TCodeNavigator &tmp = work_->temp;

    while (pi < ParagraphCount()) {
        const int32_t S = ParStart(pi);
        if (S > lastPos && scan <= S)
            break;
        const std::string text = FoldedForKeys(ParagraphText(pi));
        const int32_t len = static_cast<int32_t>(text.size());
        int32_t i = std::max(scan - S, 0);
        int32_t winStart = i;
        int32_t winEnd = std::min<int64_t>(len, static_cast<int64_t>(lastPos) + slack - S) ;
        bool jumped = false;
        while (i < winEnd) {
            if (!firstChar[static_cast<uint8_t>(text[static_cast<size_t>(i)])]) {
                ++i;
                continue;
            }
            int found = -1;
            for (int k = 0; k < count; ++k) {
                const int32_t L = static_cast<int32_t>(starts[k].size());
                if (L == 0 || back >= (i - winStart) + L || i + L > winEnd)
                    continue;
                if (text.compare(static_cast<size_t>(i), static_cast<size_t>(L), starts[k]) == 0 &&
                    ss.OpensAt(k, reinterpret_cast<const uint8_t *>(text.data()), len, i)) {
                    found = k;
                    break;
                }
            }
            if (found < 0) {
                ++i;
                continue;
            }
            const int32_t L = static_cast<int32_t>(starts[found].size());
            const int64_t end = RegionEnd(found, stops[found], text, pi, i + L);
            RemoveRegionRunInto(pi, len, end, lastPos);
            rs.PlaceInParagraph(pi, i);
            PlaceAtEnd(re, pi, S, len, end);
            ApplyDynStyle(rs, re, true, RegionStyle(ss, found));
            rs.Invalidate();
            re.Invalidate();
            back = 0;
            scan = static_cast<int32_t>(end);
            if (end > S + len) {
                // the region ran into a later paragraph: go on from its end there
                tmp.MoveTo(scan);
                pi = tmp.ParNb();
                jumped = true;
                break;
            }
            i = static_cast<int32_t>(end - S);
            winStart = i;
            winEnd = std::min<int64_t>(len, static_cast<int64_t>(lastPos) + slack - S);
        }
        if (jumped)
            continue;
        back = 0;
        ++pi;
        if (pi >= ParagraphCount() || ParStart(pi) > lastPos)
            break;
        scan = ParStart(pi);
    }
    store_.DropOffsetsAfter(first.Pos());
    A.Invalidate();
    A.SetPos(0);
    tmp.Invalidate();
    tmp.SetPos(0);
}

} // namespace quenvel
