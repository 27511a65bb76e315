// Replacing the selection by new text, and the one-level undo.
#include "CodeMemo.h"

#include <algorithm>
#include <cstring>

namespace quenvel {

namespace {

// Style codes in compensation order.
constexpr uint8_t kCodes[5] = {scUnderline, scItalic, scBold, scHighlight, scAltFont};

int CodeIndex(uint8_t b)
{
    switch (b) {
    case scUnderline: return 0;
    case scItalic: return 1;
    case scBold: return 2;
    case scHighlight: return 3;
    case scAltFont: return 4;
    default: return -1;
    }
}

} // namespace

void TCodeMemo::SetSelStart(int32_t p)
{
    p = std::clamp(p, 0, textLength_);
    const int32_t len = selLength_;
    // the old selection is drawn no more
    if (len != 0 && host_)
        InvalidateLines(selStartNav_->DisplayLine(), selStopNav_->DisplayLine());
    selLength_ = 0;
    selStartNav_->SetPos(p);
    selStopNav_->Assign(*selStartNav_);
    caretNav_ = selStartNav_;
    SetSelLength(len);
    if (host_)
        UpdateCaret();
}

void TCodeMemo::SetSelLength(int32_t n)
{
    if (n == selLength_)
        return;
    const int32_t c = caretNav_->Pos();
    const int32_t oldFar = host_ ? (caretNav_ == selStartNav_ ? selStopNav_->DisplayLine() : selStartNav_->DisplayLine()) : 0;
    n = std::clamp<int64_t>(n, -static_cast<int64_t>(c), static_cast<int64_t>(textLength_) - c);
    TCodeNavigator *caret = caretNav_;
    if (n < 1) {
        TCodeNavigator tmp(this);
        tmp.Assign(*caret);
        selStartNav_->Invalidate();
        selStartNav_->SetPos(c + n);
        selStopNav_->Assign(tmp);
        caretNav_ = selStopNav_;
    } else {
        TCodeNavigator tmp(this);
        tmp.Assign(*caret);
        selStartNav_->Assign(tmp);
        selStopNav_->Invalidate();
        selStopNav_->SetPos(c + n);
        caretNav_ = selStartNav_;
    }
    if (host_) {
        const int32_t far = caretNav_ == selStartNav_ ? selStopNav_->DisplayLine() : selStartNav_->DisplayLine();
        InvalidateLines(std::min(oldFar, far), std::max(oldFar, far));
    }
    selLength_ = n;
}

void TCodeMemo::SelectAll()
{
    SetSelLength(0);
    SetSelStart(textLength_);
    SetSelLength(-textLength_);
}

std::string TCodeMemo::SelText()
{
    return GetTextPart(selStartNav_->Pos(), selStopNav_->Pos());
}

int32_t TCodeMemo::GetSelTextBuf(char *buffer, int32_t size)
{
    if (size <= 0)
        return 0;
    const int32_t n = std::min(std::abs(selLength_), size - 1);
    TCodeNavigator nav(this);
    nav.SetPos(selStartNav_->Pos());
    CopyText(nav, reinterpret_cast<uint8_t *>(buffer), n);
    return n;
}

void TCodeMemo::ClearSelection()
{
    if (selLength_ != 0)
        SetSelTextBuf("");
}

void TCodeMemo::Undo()
{
    if (!undoText_)
        return;
    const std::string text = *undoText_;
    const int32_t start = undoStart_, stop = undoStop_;
    SetSelLength(0);
    SetSelStart(start);
    SetSelLength(stop - start);
    SetSelTextBuf(text.c_str());
}

void TCodeMemo::StripHighlighting(int32_t p0, int32_t p1)
{
    for (int32_t p = p0; p <= p1; ++p) {
        TParagraphRec &par = Par(p);
        if (par.MarkCount != 0) {
            int32_t w = 0;
            const int32_t size = par.ByteSize();
            for (int32_t o = 0; o < size;) {
                if (par.Text[o] == scMark) {
                    o += kMarkSize;
                } else {
                    par.Text[w++] = par.Text[o++];
                }
            }
            par.MarkCount = 0;
        }
        TLL &lines = *par.Lines;
        // one line per paragraph until it is laid out again
        if (lines.Count() > 1) {
            const int32_t extra = lines.Count() - 1;
            lineCount_ -= extra;
            ShiftFirstLines(p + 1, -extra);
        }
        uint16_t style = lines.At(0).Style;
        TDynStyle keep = lines.At(0).DynStyle;
        lines.SetCount(1);
        TLineRec &l = lines.At(0);
        l.StartByte = 0;
        l.EndByte = par.Length;
        l.Style = style;
        if (p != p0 || !keep.IsDynamic())
            l.DynStyle = NoDynStyle();
        par.Formatted = 0;
    }
}

void TCodeMemo::SetSelTextBuf(const char *textIn)
{
    const char *text = textIn ? textIn : "";
    const size_t textLen = std::strlen(text);
    // nothing to do for an empty text over an empty selection
    if (selLength_ == 0 && textLen == 0)
        return;
    modified_ = true;

    TCodeNavigator &S = *selStartNav_;
    TCodeNavigator &Eend = *selStopNav_;
    // A break is replaced whole or not at all: an end on the line feed of a break takes
    // the whole break in; an empty selection there stands at the next paragraph's start.
    {
        const bool sOnLf = S.ParOffset() == S.Par()->Length + 1;
        const bool eOnLf = Eend.ParOffset() == Eend.Par()->Length + 1;
        if (selLength_ == 0 && sOnLf) {
            const int32_t p = S.Pos() + 1;
            S.SetPos(p);
            Eend.Invalidate();
            Eend.SetPos(p);
        } else {
            if (sOnLf) {
                const int32_t p = S.Pos() - 1;
                S.Invalidate();
                S.SetPos(p);
            }
            if (eOnLf)
                Eend.SetPos(Eend.Pos() + 1);
        }
    }
    const int32_t s = S.Pos(), e = Eend.Pos(), c = caretNav_->Pos();
    const int32_t topLineBefore = host_ ? topNav_->DisplayLine() : 0;

    // the inserted text: byte 5 cannot forge a mark; cut into pieces at breaks
    std::vector<std::string> pieces(1);
    int insParity[5] = {};
    int64_t L = 0;
    for (size_t i = 0; i < textLen; ++i) {
        uint8_t b = static_cast<uint8_t>(text[i]);
        if (b == 13) {
            if (i + 1 < textLen && text[i + 1] == 10)
                ++i;
            pieces.emplace_back();
            L += 2;
            continue;
        }
        if (b == scMark)
            b = 165;
        int ci = CodeIndex(b);
        if (ci >= 0)
            insParity[ci] ^= 1;
        pieces.back().push_back(static_cast<char>(b));
        ++L;
    }

    // what is removed
    const int32_t sPar = S.ParNb(), ePar = Eend.ParNb();
    const int32_t sOff = S.TextOffset(), eOff = Eend.TextOffset();
    int remParity[5] = {};
    for (int32_t p = sPar; p <= ePar; ++p) {
        const TParagraphRec &par = Par(p);
        const int32_t a = p == sPar ? sOff : 0;
        const int32_t b = p == ePar ? eOff : par.ByteSize();
        for (int32_t o = a; o < b;) {
            if (par.Text[o] == scMark) {
                o += kMarkSize;
                continue;
            }
            int ci = CodeIndex(par.Text[o]);
            if (ci >= 0)
                remParity[ci] ^= 1;
            ++o;
        }
    }

    // Before the change: typing inside a string or comment that does not touch
    // its keys keeps the region as it is and runs no pass.
    bool marksRemoved = false;
    for (int32_t p = sPar; p <= ePar && !marksRemoved; ++p) {
        const TParagraphRec &par = Par(p);
        const int32_t a = p == sPar ? sOff : 0;
        const int32_t b = p == ePar ? eOff : par.ByteSize();
        for (int32_t o = a; o < b && par.MarkCount; ++o)
            if (par.Text[o] == scMark) {
                marksRemoved = true;
                break;
            }
    }
    const TDynStyle D = S.CurrentDynStyle();
    int32_t regionOpen = -1, regionClose = -1;
    if (!marksRemoved && D.IsRegion() && pieces.size() == 1) {
        TCodeNavigator t(this);
        t.Assign(S);
        if (t.FindPrevMark())
            regionOpen = t.Pos();
        t.Assign(Eend);
        if (t.FindNextMark())
            regionClose = t.Pos();
    }

    // A paragraph may not outgrow its limit: the inserted text gives way, never the
    // text around it (room is kept for the compensation codes)
    bool dropAll = false;
    {
        const int64_t head = sOff, tail = Par(ePar).ByteSize() - eOff;
        const size_t n = pieces.size();
        bool cut = false;
        for (size_t i = 0; i < n; ++i) {
            const int64_t around = (i == 0 ? head : 0) + (i + 1 == n ? tail + 5 : 0);
            const int64_t excess = around + static_cast<int64_t>(pieces[i].size()) - kMaxParagraphBytes;
            if (excess > 0) {
                cut = true;
                if (n == 1 && excess >= static_cast<int64_t>(pieces[i].size()))
                    dropAll = true;
                pieces[i].resize(excess >= static_cast<int64_t>(pieces[i].size())
                                     ? 0
                                     : pieces[i].size() - static_cast<size_t>(excess));
            }
        }
        if (cut) {
            L = 2 * static_cast<int64_t>(n - 1);
            std::fill(std::begin(insParity), std::end(insParity), 0);
            for (const std::string &piece : pieces)
                for (char ch : piece) {
                    const int ci = CodeIndex(static_cast<uint8_t>(ch));
                    if (ci >= 0)
                        insParity[ci] ^= 1;
                    ++L;
                }
        }
    }

    // style compensation
    std::string comp;
    if (compensate_ && !dropAll)
        for (int k = 0; k < 5; ++k)
            if (remParity[k] != insParity[k])
                comp.push_back(static_cast<char>(kCodes[k]));
    pieces.back() += comp;
    const int32_t ncomp = static_cast<int32_t>(comp.size());

    // undo record (the compensation codes belong to the change, so that undoing
    // it restores the exact bytes)
    if (!undoText_)
        undoText_ = std::make_unique<std::string>();
    const int32_t insertedEnd = static_cast<int32_t>(s + L + ncomp);
    if (selLength_ != 0) {
        *undoText_ = GetTextPart(s, e);
        undoStart_ = s;
        undoStop_ = insertedEnd;
    } else if (c == undoStop_ && c != undoStart_) {
        undoStop_ = insertedEnd;
    } else {
        undoStart_ = c;
        undoStop_ = insertedEnd;
        undoText_->clear();
    }

    // the new paragraph records
    const TParagraphRec &first = Par(sPar);
    const TParagraphRec &last = Par(ePar);
    const std::string head(reinterpret_cast<const char *>(first.Text), static_cast<size_t>(sOff));
    const std::string tail(reinterpret_cast<const char *>(last.Text) + eOff,
                           static_cast<size_t>(last.ByteSize() - eOff));
    auto countMarks = [](const std::string &b, int32_t &positions) {
        int32_t marks = 0;
        positions = 0;
        for (size_t o = 0; o < b.size();) {
            if (b[o] == scMark) {
                ++marks;
                o += kMarkSize;
            } else {
                ++positions;
                ++o;
            }
        }
        return marks;
    };
    const uint16_t firstStyle = first.Lines->At(0).Style;
    const TDynStyle firstDyn = first.Lines->At(0).DynStyle;
    const uint8_t firstFormatted = first.Formatted, firstParsed = first.Parsed;
    const int32_t oldLines = [&] {
        int32_t n = 0;
        for (int32_t p = sPar; p <= ePar; ++p)
            n += Par(p).Lines->Count();
        return n;
    }();
    const int32_t oldFirstLine = ParFirstLine(sPar);
    const int32_t oldLenSum = [&] {
        int64_t n = 0;
        for (int32_t p = sPar; p <= ePar; ++p)
            n += Par(p).Length + 2;
        return static_cast<int32_t>(n);
    }();

    // the lines below the edit move on the window when their count changes
    const int32_t linesBefore = lineCount_;
    const size_t k = pieces.size();
    std::vector<TParagraphRec> made(k);
    uint16_t running = firstStyle;
    const int32_t firstStart = ParStart(sPar);
    int32_t start = firstStart;
    for (size_t i = 0; i < k; ++i) {
        std::string bytes;
        if (i == 0)
            bytes += head;
        bytes += pieces[i];
        if (i + 1 == k)
            bytes += tail;
        TParagraphRec &r = made[i];
        int32_t positions = 0;
        r.MarkCount = countMarks(bytes, positions);
        r.Length = positions;
        r.Capacity = ReplaceBufferSize(static_cast<int64_t>(bytes.size()));
        r.Text = AllocText(r.Capacity);
        std::memcpy(r.Text, bytes.data(), bytes.size());
        r.RawStart = start; // absolute until stored below
        r.RawFirstLine = oldFirstLine + static_cast<int32_t>(i);
        r.Lines = new TLL();
        TLineRec line{};
        line.EndByte = static_cast<int32_t>(bytes.size());
        line.Style = running;
        line.DynStyle = i == 0 ? firstDyn : NoDynStyle();
        r.Lines->Add(&line);
        r.Formatted = i == 0 ? firstFormatted : 0;
        r.Parsed = i == 0 ? firstParsed : 0;
        r.RegionsPending = 0;
        for (size_t o = 0; o < bytes.size();) {
            uint8_t b = static_cast<uint8_t>(bytes[o]);
            if (b == scMark) {
                o += kMarkSize;
                continue;
            }
            running ^= StyleCodeBit(b);
            ++o;
        }
        start += positions + 2;
    }
    const int32_t newLenSum = start - firstStart;
    const int32_t d = newLenSum - oldLenSum;
    const int32_t newLines = static_cast<int32_t>(k);
    const int32_t dl = newLines - oldLines;
    const int32_t dk = static_cast<int32_t>(k) - (ePar - sPar + 1);

    for (int32_t p = sPar; p <= ePar; ++p)
        FreeParagraph(Par(p));
    TPLL &pars = *paragraphs_;
    pars.MoveTail(ePar + 1, sPar + static_cast<int32_t>(k));
    for (size_t i = 0; i < k; ++i) {
        const int32_t p = sPar + static_cast<int32_t>(i);
        pars.At(p) = made[i];
        pars.SetStart(p, made[i].RawStart);
        pars.SetFirstLine(p, made[i].RawFirstLine);
    }
    pars.Shift(sPar + static_cast<int32_t>(k), d, dl);
    textLength_ += d;
    lineCount_ += dl;

    // The window's first line moves with an edit that starts at or before it: into the
    // edit's start when it began inside the replaced text, or to the end of a paragraph
    // an insertion at its start breaks off.
    const bool topCollapses = topNav_->pos_ > s && topNav_->pos_ <= e;

    // navigators: before the edit they keep their position, inside it they collapse
    // to its start, behind it they shift
    for (TCodeNavigator *n : navigators_) {
        if (n->pos_ < s) {
            if (n->parNb_ >= sPar)
                n->DropOffsets();
        } else if (n->pos_ <= e) {
            n->Invalidate();
            n->pos_ = s;
        } else {
            n->Invalidate();
            n->pos_ += d;
        }
        if (n->parNb_ >= 0 && dk != 0 && n->parNb_ > ePar)
            n->parNb_ += dk;
    }

    // the paragraphs still to be laid out keep their place in the formatter's range
    if (lastToFormat_ >= 0) {
        const int32_t newLast = sPar + static_cast<int32_t>(k) - 1;
        if (nextToFormat_ > ePar)
            nextToFormat_ += dk;
        else if (nextToFormat_ > sPar)
            nextToFormat_ = sPar;
        if (lastToFormat_ > ePar)
            lastToFormat_ += dk;
        else if (lastToFormat_ >= sPar)
            lastToFormat_ = newLast;
    }

    bool keepRegion = false;
    if (regionOpen >= 0 && regionClose >= 0)
        keepRegion = !EditTouchesRegionKeys(D, regionOpen, regionClose + d, s, insertedEnd);

    // highlighting: the touched paragraphs are highlighted anew, widened to
    // whole regions that run into or out of them
    const bool passes = (StartStopActive || KeywordsActive) && !keepRegion;
    int32_t p0 = sPar, p1 = sPar + static_cast<int32_t>(k) - 1;
    while (p0 > 0 && Par(p0).Lines->At(0).DynStyle.IsRegion())
        --p0;
    while (p1 + 1 < ParagraphCount() && Par(p1 + 1).Lines->At(0).DynStyle.IsRegion())
        ++p1;
    if (!keepRegion && (passes || MarksIn(p0, p1))) {
        StripHighlighting(p0, p1);
        // lines further on that a stripped region ran into
        for (TCodeNavigator *n : navigators_)
            if (n->parNb_ >= p0)
                n->DropOffsets();
    }
    if (passes) {
        for (int32_t p = p0; p <= p1; ++p)
            Par(p).RegionsPending = 0;
        if (OnParse)
            OnParse(this, s, insertedEnd);
        TCodeNavigator &a = *work_[7];
        TCodeNavigator &b = *work_[8];
        a.PlaceInParagraph(p0, 0);
        b.PlaceInParagraph(p1, Par(p1).Length);
        if (StartStopActive)
            ParseStartStop(a, b);
        if (KeywordsActive) {
            const int32_t lastPar = b.ParNb();
            for (int32_t p = p0; p <= lastPar; ++p) {
                if (updateMode_ == umImmediate || Par(p).Parsed) {
                    TParagraphRec &par = Par(p);
                    // a paragraph left parsed keeps only the runs the pass writes now
                    ParseParagraphKeywords(p, 0, par.Length);
                    Par(p).Parsed = 1;
                }
            }
        }
        a.Invalidate();
        b.Invalidate();
        for (TCodeNavigator *n : navigators_)
            if (n->parNb_ >= p0)
                n->DropOffsets();
    }
    if (!host_)
        ChangedRange(sPar, sPar + static_cast<int32_t>(k) - 1);

    // the caret after the inserted text
    selLength_ = 0;
    selStartNav_->Invalidate();
    selStartNav_->pos_ = insertedEnd;
    selStopNav_->Assign(*selStartNav_);
    caretNav_ = selStartNav_;

    // lay the changed paragraphs out again
    if (host_) {
        ReformatAfterEdit(std::min(p0, sPar), std::max(p1, sPar + static_cast<int32_t>(k) - 1), linesBefore);
        if (topCollapses || topNav_->DisplayLine() != topLineBefore) {
            // from its new line on, the window shows other lines than before
            topNav_->SetDisplayLine(topNav_->DisplayLine());
            host_->InvalidateAll();
            host_->ScrollRangesChanged();
            if (OnVScroll)
                OnVScroll(this);
        }
        UpdateCaret();
        if (!noScroll_)
            ScrollInView();
    }

    // listeners hear of the change
    Change();
}

bool TCodeMemo::EditTouchesRegionKeys(const TDynStyle &region, int32_t open, int32_t close, int32_t s,
                                      int32_t end)
{
    if (s - open < region.StartLen || close - end < region.StopLen)
        return true;
    // the stop key of the region's own pair near the edit would end the region there;
    // text typed against a start key that must stand as a word of its own may unmake it
    TStartStopKeyList &ss = *startStopKeys_;
    const bool mc = ss.MatchCase();
    auto fold = [&](std::string t) {
        if (!mc)
            for (auto &c : t)
                c = static_cast<char>(UpperAscii(static_cast<uint8_t>(c)));
        return t;
    };
    const std::string opening = fold(GetTextPart(open, open + region.StartLen));
    const int32_t slack = std::max<int32_t>(ss.MaxStopLength() - 1, 0);
    const int32_t from = std::max(s - slack, open + region.StartLen);
    const std::string window = fold(GetTextPart(from, std::min(end + slack, textLength_)));
    for (int k = 0; k < ss.Count(); ++k) {
        if (fold(ss.StartKey(k)) != opening)
            continue;
        if (s - open == region.StartLen && (ss.Attr2(k).Options & koWholeWords))
            return true;
        const std::string stop = ss.StopKey(k).empty() ? std::string("\r\n") : fold(ss.StopKey(k));
        if (window.find(stop) != std::string::npos)
            return true;
    }
    return false;
}

bool TCodeMemo::MarksIn(int32_t p0, int32_t p1) const
{
    for (int32_t p = p0; p <= p1; ++p)
        if (Par(p).MarkCount != 0)
            return true;
    return false;
}

} // namespace quenvel
