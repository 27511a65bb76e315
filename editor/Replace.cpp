// Replacing the selection by new text, undo and redo, and replacing every occurrence.
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
    p = std::clamp(p, 0, TextLength());
    if (p != caretNav_->Pos() || selLength_ != 0)
        BreakTyping();
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
    BreakTyping();
    const int32_t c = caretNav_->Pos();
    const int32_t oldFar = host_ ? (caretNav_ == selStartNav_ ? selStopNav_->DisplayLine() : selStartNav_->DisplayLine()) : 0;
    n = std::clamp<int64_t>(n, -static_cast<int64_t>(c), static_cast<int64_t>(TextLength()) - c);
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
    SetSelStart(TextLength());
    SetSelLength(-TextLength());
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

void TCodeMemo::SetUndoMode(TUndoMode mode)
{
    if (mode == undoMode_)
        return;
    undoMode_ = mode;
    ResetUndo();
    if (!modified_)
        history_.MarkSaved();
}

void TCodeMemo::SetModified(bool m)
{
    modified_ = m;
    if (!m)
        history_.MarkSaved();
    else if (history_.AtSaved())
        history_.ForgetSaved();
}

void TCodeMemo::SelectRange(int32_t caret, int32_t length)
{
    SetSelLength(0);
    SetSelStart(caret);
    SetSelLength(length);
}

void TCodeMemo::EndBulk()
{
    if (--bulkDepth_ == 0 && changePending_) {
        changePending_ = false;
        Change();
    }
}

void TCodeMemo::ApplyStep(const TUndoStep &step, bool undo)
{
    // The changes are made again as they were recorded, without compensation: the bytes
    // put back are exactly those that were there. The window is not scrolled to each.
    struct TRestore {
        TCodeMemo &m;
        bool noScroll;
        ~TRestore()
        {
            m.replaying_ = false;
            m.compensate_ = true;
            m.noScroll_ = noScroll;
            m.EndBulk();
        }
    } restore{*this, noScroll_};
    replaying_ = true;
    compensate_ = false;
    noScroll_ = true;
    ++bulkDepth_;
    const size_t n = step.changes.size();
    for (size_t i = 0; i < n; ++i) {
        const TUndoChange &c = step.changes[undo ? n - 1 - i : i];
        const std::string &out = undo ? c.inserted : c.removed;
        const std::string &in = undo ? c.removed : c.inserted;
        SelectRange(c.pos, static_cast<int32_t>(out.size()));
        SetSelTextBuf(in.c_str());
    }
    const TUndoSelection &sel = undo ? step.before : step.after;
    SelectRange(sel.caret, sel.length);
    // the history moves, and the modified state with it, before the listeners hear of the
    // change at the end of the bulk (`step` is not used after this)
    if (undo)
        history_.Undone();
    else
        history_.Redone();
    modified_ = !history_.AtSaved();
}

void TCodeMemo::Redo()
{
    if (!CanRedo())
        return;
    const TUndoStep &step = history_.NextRedo();
    ApplyStep(step, false);
    if (host_)
        ScrollInView();
}

void TCodeMemo::Undo()
{
    if (undoMode_ == TUndoMode::Multi) {
        if (!history_.CanUndo())
            return;
        const TUndoStep &step = history_.NextUndo();
        ApplyStep(step, true);
        if (host_)
            ScrollInView();
        return;
    }
    if (!undoText_)
        return;
    const std::string text = *undoText_;
    const int32_t start = undoStart_, stop = undoStop_;
    SetSelLength(0);
    SetSelStart(start);
    SetSelLength(stop - start);
    SetSelTextBuf(text.c_str());
}

// One replacement of the selection, from the text asked for to the records stored.
struct TCodeMemo::TReplacement {
    // the selection replaced, in positions (s <= e), and the caret
    int32_t s = 0, e = 0, caret = 0;
    // where its ends lie: paragraphs and byte offsets in them
    int32_t sPar = 0, ePar = 0, sOff = 0, eOff = 0;
    // the inserted text, one piece per paragraph it ends up in (the compensation codes
    // included), and its length in positions without them
    std::vector<std::string> pieces;
    int64_t length = 0;
    int32_t compensation = 0;
    // the parity of each kind of style code in the removed and the inserted text
    int removedParity[5] = {};
    int insertedParity[5] = {};
    // nothing fits into the paragraph: neither the text nor the compensation go in
    bool dropAll = false;
    // the highlighting where the edit starts: marks among the removed bytes, the dynamic
    // style in force, and the region's opening and closing marks when it is one
    bool marksRemoved = false;
    TDynStyle before{};
    int32_t regionOpen = -1, regionClose = -1;

    int32_t InsertedEnd() const { return static_cast<int32_t>(s + length + compensation); }
    int32_t NewLastPar() const { return sPar + static_cast<int32_t>(pieces.size()) - 1; }
};

namespace {

// What a byte 5 in inserted text becomes, so that it cannot forge a style mark.
constexpr uint8_t kForgedMark = 165;
// Room kept at the end of a paragraph for the compensation codes, one of each kind.
constexpr int64_t kCompensationRoom = 5;

// The inserted text cut into pieces at its breaks: a carriage return (with a line feed
// right after it) ends a piece; a lone line feed stays a character.
std::vector<std::string> CutAtBreaks(const char *text, size_t textLen)
{
    std::vector<std::string> pieces(1);
    for (size_t i = 0; i < textLen; ++i) {
        uint8_t b = static_cast<uint8_t>(text[i]);
        if (b == 13) {
            if (i + 1 < textLen && text[i + 1] == 10)
                ++i;
            pieces.emplace_back();
            continue;
        }
        if (b == scMark)
            b = kForgedMark;
        pieces.back().push_back(static_cast<char>(b));
    }
    return pieces;
}

// The marks in a paragraph's bytes; positions gets the number of the other bytes.
int32_t CountMarks(const std::string &bytes, int32_t &positions)
{
    int32_t marks = 0;
    positions = 0;
    for (size_t o = 0; o < bytes.size();) {
        if (bytes[o] == scMark) {
            ++marks;
            o += kMarkSize;
        } else {
            ++positions;
            ++o;
        }
    }
    return marks;
}

// A record for a paragraph made of these bytes, with one line record that starts in the
// given styles. Its Start and FirstLine are left for the store to set.
TParagraphRec MakeParagraph(const std::string &bytes, uint16_t style, const TDynStyle &dyn)
{
    TParagraphRec r{};
    int32_t positions = 0;
    r.MarkCount = CountMarks(bytes, positions);
    r.Length = positions;
    r.Capacity = ReplaceBufferSize(static_cast<int64_t>(bytes.size()));
    r.Text = AllocText(r.Capacity);
    std::memcpy(r.Text, bytes.data(), bytes.size());
    TLineRec line{};
    line.EndByte = static_cast<int32_t>(bytes.size());
    line.Style = style;
    line.DynStyle = dyn;
    r.LineRecs = new TLL(line);
    return r;
}

} // namespace

void TCodeMemo::SetSelTextBuf(const char *textIn)
{
    const char *text = textIn ? textIn : "";
    const size_t textLen = std::strlen(text);
    // nothing to do for an empty text over an empty selection
    if (selLength_ == 0 && textLen == 0) {
        editKind_ = TUndoHistory::ukOther;
        return;
    }
    modified_ = true;
    const TUndoSelection selBefore{caretNav_->Pos(), selLength_};
    const TUndoHistory::TKind kind = editKind_;
    editKind_ = TUndoHistory::ukOther;
    NormaliseSelection();

    TReplacement r;
    r.s = selStartNav_->Pos();
    r.e = selStopNav_->Pos();
    r.caret = caretNav_->Pos();
    r.pieces = CutAtBreaks(text, textLen);
    NoteRemoved(r);
    CutAtParagraphLimit(r);
    AddCompensation(r);
    // what the history needs of the text before it changes
    const bool recording = undoMode_ == TUndoMode::Multi && !replaying_;
    TUndoChange change;
    if (recording) {
        change.pos = r.s;
        if (r.e > r.s)
            change.removed = GetTextPart(r.s, r.e);
        for (size_t i = 0; i < r.pieces.size(); ++i) {
            if (i > 0)
                change.inserted += "\r\n";
            change.inserted += r.pieces[i];
        }
    } else if (undoMode_ == TUndoMode::Toggle) {
        RecordUndo(r);
    }

    // The window's first line moves with an edit that starts at or before it: into the
    // edit's start when it began inside the replaced text, or to the end of a paragraph
    // an insertion at its start breaks off.
    const int32_t topLineBefore = host_ ? topNav_->DisplayLine() : 0;
    const bool topCollapses = topNav_->Pos() > r.s && topNav_->Pos() <= r.e;
    const int32_t linesBefore = LineCount();

    std::vector<TParagraphRec> made = BuildRecords(r);
    const TParagraphStore::TSplice done = store_.Splice(r.sPar, r.ePar, r.s, r.e, made);
    KeepFormatterRange(r, done.parDelta);
    const int32_t d = done.lengthDelta;
    const auto [p0, p1] = RehighlightAfterEdit(r, d);
    if (!host_)
        ChangedRange(r.sPar, r.NewLastPar());
    PlaceCaretAfterEdit(r.InsertedEnd());
    if (recording) {
        history_.Record(std::move(change), kind, selBefore, TUndoSelection{SelStart(), 0});
    }
    if (host_)
        RelayoutAfterEdit(std::min(p0, r.sPar), std::max(p1, r.NewLastPar()), linesBefore, topLineBefore,
                          topCollapses);
    // listeners hear of the change (once, at the end, of many made in a row)
    if (bulkDepth_ > 0)
        changePending_ = true;
    else
        Change();
}

void TCodeMemo::NormaliseSelection()
{
    // A break is replaced whole or not at all: an end on the line feed of a break takes
    // the whole break in; an empty selection there stands at the next paragraph's start.
    TCodeNavigator &S = *selStartNav_;
    TCodeNavigator &E = *selStopNav_;
    const bool sOnLf = S.ParOffset() == S.Par()->Length + 1;
    const bool eOnLf = E.ParOffset() == E.Par()->Length + 1;
    if (selLength_ == 0 && sOnLf) {
        const int32_t p = S.Pos() + 1;
        S.SetPos(p);
        E.Invalidate();
        E.SetPos(p);
        return;
    }
    if (sOnLf) {
        const int32_t p = S.Pos() - 1;
        S.Invalidate();
        S.SetPos(p);
    }
    if (eOnLf)
        E.SetPos(E.Pos() + 1);
}

void TCodeMemo::NoteRemoved(TReplacement &r)
{
    TCodeNavigator &S = *selStartNav_;
    TCodeNavigator &E = *selStopNav_;
    r.sPar = S.ParNb();
    r.ePar = E.ParNb();
    r.sOff = S.TextOffset();
    r.eOff = E.TextOffset();
    for (int32_t p = r.sPar; p <= r.ePar; ++p) {
        const TParagraphRec &par = Par(p);
        const int32_t a = p == r.sPar ? r.sOff : 0;
        const int32_t b = p == r.ePar ? r.eOff : par.ByteSize();
        for (int32_t o = a; o < b;) {
            if (par.Text[o] == scMark) {
                r.marksRemoved = true;
                o += kMarkSize;
                continue;
            }
            const int ci = CodeIndex(par.Text[o]);
            if (ci >= 0)
                r.removedParity[ci] ^= 1;
            ++o;
        }
    }
    // Typing inside a string or comment that does not touch its keys keeps the region
    // as it is and runs no pass: its marks are looked up before the change.
    r.before = S.CurrentDynStyle();
    if (!r.marksRemoved && r.before.IsRegion() && r.pieces.size() == 1) {
        TCodeNavigator t(this);
        t.Assign(S);
        if (t.FindPrevMark())
            r.regionOpen = t.Pos();
        t.Assign(E);
        if (t.FindNextMark())
            r.regionClose = t.Pos();
    }
}

void TCodeMemo::CutAtParagraphLimit(TReplacement &r)
{
    // A paragraph may not outgrow its limit: the inserted text gives way, never the text
    // around it (room is kept for the compensation codes).
    const int64_t head = r.sOff, tail = Par(r.ePar).ByteSize() - r.eOff;
    const size_t n = r.pieces.size();
    for (size_t i = 0; i < n; ++i) {
        std::string &piece = r.pieces[i];
        const int64_t size = static_cast<int64_t>(piece.size());
        const int64_t around = (i == 0 ? head : 0) + (i + 1 == n ? tail + kCompensationRoom : 0);
        const int64_t excess = around + size - kMaxParagraphBytes;
        if (excess <= 0)
            continue;
        if (n == 1 && excess >= size)
            r.dropAll = true;
        piece.resize(excess >= size ? 0 : static_cast<size_t>(size - excess));
    }
    // what is inserted, as it now stands
    r.length = 2 * static_cast<int64_t>(n - 1);
    for (const std::string &piece : r.pieces)
        for (char ch : piece) {
            const int ci = CodeIndex(static_cast<uint8_t>(ch));
            if (ci >= 0)
                r.insertedParity[ci] ^= 1;
            ++r.length;
        }
}

void TCodeMemo::AddCompensation(TReplacement &r)
{
    // The text after the replacement keeps its running style: each kind of code whose
    // parity the replacement changes is put back once after the inserted text.
    if (!compensate_ || r.dropAll)
        return;
    for (int k = 0; k < 5; ++k)
        if (r.removedParity[k] != r.insertedParity[k]) {
            r.pieces.back().push_back(static_cast<char>(kCodes[k]));
            ++r.compensation;
        }
}

void TCodeMemo::RecordUndo(const TReplacement &r)
{
    // the compensation codes belong to the change, so that undoing it restores the
    // exact bytes
    if (!undoText_)
        undoText_ = std::make_unique<std::string>();
    const int32_t end = r.InsertedEnd();
    if (selLength_ != 0) {
        *undoText_ = GetTextPart(r.s, r.e);
        undoStart_ = r.s;
        undoStop_ = end;
    } else if (r.caret == undoStop_ && r.caret != undoStart_) {
        // consecutive insertions are one step
        undoStop_ = end;
    } else {
        undoStart_ = r.caret;
        undoStop_ = end;
        undoText_->clear();
    }
}

std::vector<TParagraphRec> TCodeMemo::BuildRecords(const TReplacement &r)
{
    // the first keeps the first old paragraph's head, the last the last one's tail
    const TParagraphRec &first = Par(r.sPar);
    const TParagraphRec &last = Par(r.ePar);
    const std::string head(reinterpret_cast<const char *>(first.Text), static_cast<size_t>(r.sOff));
    const std::string tail(reinterpret_cast<const char *>(last.Text) + r.eOff,
                           static_cast<size_t>(last.ByteSize() - r.eOff));
    const size_t k = r.pieces.size();
    std::vector<TParagraphRec> made(k);
    uint16_t running = first.StartStyle();
    for (size_t i = 0; i < k; ++i) {
        std::string bytes;
        if (i == 0)
            bytes += head;
        bytes += r.pieces[i];
        if (i + 1 == k)
            bytes += tail;
        made[i] = MakeParagraph(bytes, running, i == 0 ? first.StartDyn() : NoDynStyle());
        if (i == 0) {
            made[i].Formatted = first.Formatted;
            made[i].Parsed = first.Parsed;
        }
        for (size_t o = 0; o < bytes.size();) {
            const uint8_t b = static_cast<uint8_t>(bytes[o]);
            if (b == scMark) {
                o += kMarkSize;
                continue;
            }
            running ^= StyleCodeBit(b);
            ++o;
        }
    }
    return made;
}

void TCodeMemo::KeepFormatterRange(const TReplacement &r, int32_t dk)
{
    // the paragraphs still to be laid out keep their place in the formatter's range
    if (lastToFormat_ < 0)
        return;
    if (nextToFormat_ > r.ePar)
        nextToFormat_ += dk;
    else if (nextToFormat_ > r.sPar)
        nextToFormat_ = r.sPar;
    if (lastToFormat_ > r.ePar)
        lastToFormat_ += dk;
    else if (lastToFormat_ >= r.sPar)
        lastToFormat_ = r.NewLastPar();
}

std::pair<int32_t, int32_t> TCodeMemo::RehighlightAfterEdit(const TReplacement &r, int32_t d)
{
    bool keepRegion = false;
    if (r.regionOpen >= 0 && r.regionClose >= 0)
        keepRegion = !EditTouchesRegionKeys(r.before, r.regionOpen, r.regionClose + d, r.s, r.InsertedEnd());
    // the touched paragraphs are highlighted anew, widened to whole regions that run
    // into or out of them
    const bool passes = (StartStopActive || KeywordsActive) && !keepRegion;
    int32_t p0 = r.sPar, p1 = r.NewLastPar();
    while (p0 > 0 && Par(p0).StartDyn().IsRegion())
        --p0;
    while (p1 + 1 < ParagraphCount() && Par(p1 + 1).StartDyn().IsRegion())
        ++p1;
    if (!keepRegion && (passes || MarksIn(p0, p1))) {
        store_.StripMarks(p0, p1);
        // lines further on that a stripped region ran into
        store_.DropOffsetsFrom(p0);
    }
    if (passes)
        RunPassesAfterEdit(p0, p1, r.s, r.InsertedEnd());
    return {p0, p1};
}

void TCodeMemo::RunPassesAfterEdit(int32_t p0, int32_t p1, int32_t s, int32_t end)
{
    for (int32_t p = p0; p <= p1; ++p)
        Par(p).RegionsPending = 0;
    if (OnParse)
        OnParse(this, s, end);
    TCodeNavigator &a = work_->editFrom;
    TCodeNavigator &b = work_->editTo;
    a.PlaceInParagraph(p0, 0);
    b.PlaceInParagraph(p1, Par(p1).Length);
    if (StartStopActive)
        ParseStartStop(a, b);
    if (KeywordsActive) {
        const int32_t lastPar = b.ParNb();
        for (int32_t p = p0; p <= lastPar; ++p) {
            if (updateMode_ == umImmediate || Par(p).Parsed) {
                // a paragraph left parsed keeps only the runs the pass writes now
                ParseParagraphKeywords(p, 0, Par(p).Length);
                Par(p).Parsed = 1;
            }
        }
    }
    a.Invalidate();
    b.Invalidate();
    store_.DropOffsetsFrom(p0);
}

void TCodeMemo::PlaceCaretAfterEdit(int32_t end)
{
    selLength_ = 0;
    selStartNav_->MoveTo(end);
    selStopNav_->Assign(*selStartNav_);
    caretNav_ = selStartNav_;
}

void TCodeMemo::RelayoutAfterEdit(int32_t firstPar, int32_t lastPar, int32_t linesBefore, int32_t topLineBefore,
                                  bool topCollapses)
{
    ReformatAfterEdit(firstPar, lastPar, linesBefore);
    GutterFollowsCount();
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
    const std::string window = fold(GetTextPart(from, std::min(end + slack, TextLength())));
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
