#include "CodeMemo.h"
#include "KeywordMatcher.h"

#include <algorithm>
#include <cstring>

namespace quenvel {

TColor ColorToRGB(TColor c)
{
    if ((static_cast<uint32_t>(c) & 0xFF000000u) != 0x80000000u)
        return c & 0xFFFFFF;
    switch (c & 0xFF) {
    case 5:  // window
    case 14: // highlight text
        return 0xFFFFFF;
    case 8:  // window text
    case 7:  // menu text
    case 18: // button text
        return 0x000000;
    case 13: // highlight
        return 0xD77800;
    case 15: // button face
    case 4:  // menu
        return 0xF0F0F0;
    case 16: // button shadow
        return 0xA0A0A0;
    case 17: // grey text
        return 0x6D6D6D;
    default:
        return 0xFFFFFF;
    }
}

TCodeMemo::TCodeMemo()
{
    topNav_ = new TCodeNavigator(this);
    selStartNav_ = new TCodeNavigator(this);
    selStopNav_ = new TCodeNavigator(this);
    for (auto &w : work_)
        w = new TCodeNavigator(this);
    caretNav_ = selStartNav_;
    ownKeywords_ = std::make_unique<TKeywordList>();
    keywords_ = ownKeywords_.get();
    startStopKeys_ = std::make_unique<TStartStopKeyList>();
    TickCount = [] {
        using namespace std::chrono;
        return static_cast<uint32_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    };
    CreateStore();
}

TCodeMemo::~TCodeMemo()
{
    hoverNav_.reset();
    ClearStore();
    delete paragraphs_;
    // Only the control's own navigators are freed here; those that belong to others
    // (a pane that keeps positions of its own) are let go, to be freed by their owners.
    delete topNav_;
    delete selStartNav_;
    delete selStopNav_;
    for (auto &w : work_)
        delete w;
    for (TCodeNavigator *n : navigators_)
        n->memo_ = nullptr;
    navigators_.clear();
}

void TCodeMemo::UnregisterNavigator(TCodeNavigator *n)
{
    auto it = std::find(navigators_.begin(), navigators_.end(), n);
    if (it != navigators_.end())
        navigators_.erase(it);
}

void TCodeMemo::CreateStore()
{
    paragraphs_ = new TPLL();
    TParagraphRec par{};
    par.Text = AllocText(16);
    par.Capacity = 16;
    par.Lines = new TLL();
    TLineRec line{};
    par.Lines->Add(&line);
    paragraphs_->Add(par);
    textLength_ = 0;
    lineCount_ = 1;
}

void TCodeMemo::FreeParagraph(TParagraphRec &p)
{
    FreeText(p.Text);
    p.Text = nullptr;
    delete p.Lines;
    p.Lines = nullptr;
}

void TCodeMemo::ClearStore()
{
    if (!paragraphs_)
        return;
    for (int32_t i = 0; i < paragraphs_->Count(); ++i)
        FreeParagraph(paragraphs_->At(i));
    paragraphs_->Clear();
    textLength_ = 0;
    lineCount_ = 0;
    ResetUndo();
    for (TCodeNavigator *n : navigators_)
        n->Invalidate();
}

void TCodeMemo::ResetUndo()
{
    undoText_.reset();
    undoStart_ = 0;
    undoStop_ = 0;
}

void TCodeMemo::InvalidateAllNavigators(int32_t pos)
{
    for (TCodeNavigator *n : navigators_) {
        n->Invalidate();
        n->pos_ = pos;
    }
}

void TCodeMemo::ReportProgress()
{
    // the clock is read every 64 paragraphs: reports stay at least 500 ms apart
    if (!OnProgress || (++progressCalls_ & 63) != 0)
        return;
    uint32_t now = TickCount();
    if (now - lastProgress_ >= 500) {
        lastProgress_ = now;
        if (OnProgress)
            OnProgress(this);
    }
}

void TCodeMemo::Change()
{
    if (OnChange)
        OnChange(this);
}

int32_t TCodeMemo::ParagraphStart(int32_t i) const
{
    (void)(*paragraphs_)[i];
    return paragraphs_->Start(i);
}

void TCodeMemo::CopyText(TCodeNavigator &nav, uint8_t *buf, int32_t n)
{
    if (n > textLength_ - nav.Pos())
        n = std::max(0, textLength_ - nav.Pos());
    int32_t i = nav.ParNb();
    int32_t parOffset = nav.ParOffset();
    int32_t o = nav.TextOffset();
    uint8_t *out = buf;
    while (n > 0) {
        const TParagraphRec &par = paragraphs_->At(i);
        if (parOffset < par.Length) {
            int32_t want = std::min(n, par.Length - parOffset);
            if (par.MarkCount == 0) {
                std::memcpy(out, par.Text + o, static_cast<size_t>(want));
                out += want;
            } else {
                for (int32_t k = 0; k < want;) {
                    uint8_t b = par.Text[o];
                    if (b == scMark) {
                        o += kMarkSize;
                        continue;
                    }
                    *out++ = b;
                    ++o;
                    ++k;
                }
            }
            n -= want;
            parOffset += want;
            continue;
        }
        if (parOffset == par.Length) {
            *out++ = 13;
            --n;
            ++parOffset;
            if (n == 0)
                break;
        }
        *out++ = 10;
        --n;
        ++i;
        parOffset = 0;
        o = 0;
    }
    *out = 0;
}

std::string TCodeMemo::ParagraphText(int32_t i) const
{
    if (i < 0 || i >= paragraphs_->Count())
        return std::string();
    const TParagraphRec &par = paragraphs_->At(i);
    std::string s;
    s.resize(static_cast<size_t>(par.Length));
    if (par.MarkCount == 0) {
        std::memcpy(s.data(), par.Text, static_cast<size_t>(par.Length));
    } else {
        size_t k = 0;
        for (int32_t o = 0; o < par.ByteSize();) {
            if (par.Text[o] == scMark) {
                o += kMarkSize;
            } else {
                s[k++] = static_cast<char>(par.Text[o++]);
            }
        }
    }
    return s;
}

std::string TCodeMemo::GetTextPart(int32_t start, int32_t stop)
{
    start = std::max(start, 0);
    stop = std::min(stop, textLength_);
    if (stop < start)
        return std::string();
    TCodeNavigator nav(this);
    nav.SetPos(start);
    std::string s;
    s.resize(static_cast<size_t>(stop - start) + 1);
    CopyText(nav, reinterpret_cast<uint8_t *>(s.data()), stop - start);
    s.resize(static_cast<size_t>(stop - start));
    return s;
}

std::string TCodeMemo::Text()
{
    return GetTextPart(0, textLength_);
}

uint8_t TCodeMemo::CharAt(int32_t p)
{
    p = std::clamp(p, 0, textLength_);
    TCodeNavigator nav(this);
    nav.SetPos(p);
    return nav.CharAt();
}

std::string TCodeMemo::LineText(int32_t line)
{
    if (line < 0 || line >= lineCount_)
        return std::string();
    TCodeNavigator nav(this);
    nav.SetDisplayLine(line);
    const TParagraphRec &par = *nav.Par();
    const TLineRec &rec = par.Lines->At(nav.LineInPar());
    std::string s;
    for (int32_t o = rec.StartByte; o < rec.EndByte;) {
        if (par.Text[o] == scMark) {
            o += kMarkSize;
        } else {
            s.push_back(static_cast<char>(par.Text[o++]));
        }
    }
    return s;
}

std::string TCodeMemo::CheckInvariants()
{
    const int32_t P = paragraphs_->Count();
    if (P < 1)
        return "no paragraph";
    int64_t start = 0, firstLine = 0;
    uint16_t style = 0;
    TDynStyle dyn = NoDynStyle();
    for (int32_t i = 0; i < P; ++i) {
        const TParagraphRec &par = paragraphs_->At(i);
        std::string where = "paragraph " + std::to_string(i) + ": ";
        if (ParStart(i) != start)
            return where + "Start " + std::to_string(ParStart(i)) + " should be " + std::to_string(start);
        if (ParFirstLine(i) != firstLine)
            return where + "FirstLine " + std::to_string(ParFirstLine(i)) + " should be " +
                   std::to_string(firstLine);
        if (par.ByteSize() > par.Capacity)
            return where + "byte size beyond capacity";
        if (!par.Lines || par.Lines->Count() < 1)
            return where + "no line record";
        // count marks and positions
        int32_t marks = 0, positions = 0;
        for (int32_t o = 0; o < par.ByteSize();) {
            if (par.Text[o] == scMark) {
                ++marks;
                o += kMarkSize;
                if (o > par.ByteSize())
                    return where + "mark runs past the end";
            } else {
                if (par.Text[o] == 0)
                    return where + "NUL byte in text";
                ++positions;
                ++o;
            }
        }
        if (marks != par.MarkCount)
            return where + "MarkCount " + std::to_string(par.MarkCount) + " but " + std::to_string(marks) +
                   " marks";
        if (positions != par.Length)
            return where + "Length mismatch";
        // line tiling, and styles at each line start
        const TLL &lines = *par.Lines;
        int32_t expect = 0;
        int32_t o = 0;
        // running and dynamic style up to a byte offset
        auto walkTo = [&](int32_t limit) {
            while (o < limit) {
                if (par.Text[o] == scMark) {
                    dyn = ReadMark(par.Text + o);
                    o += kMarkSize;
                } else {
                    style ^= StyleCodeBit(par.Text[o]);
                    ++o;
                }
            }
        };
        for (int32_t k = 0; k < lines.Count(); ++k) {
            const TLineRec &l = lines.At(k);
            if (l.StartByte != expect)
                return where + "line " + std::to_string(k) + " starts at " + std::to_string(l.StartByte) +
                       " not " + std::to_string(expect);
            if (l.EndByte < l.StartByte)
                return where + "line " + std::to_string(k) + " ends before it starts";
            walkTo(l.StartByte);
            if (o != l.StartByte)
                return where + "line " + std::to_string(k) + " starts inside a style mark";
            if (l.Style != style)
                return where + "line " + std::to_string(k) + " Style " + std::to_string(l.Style) +
                       " should be " + std::to_string(style);
            // styles without the dynamic bit all draw the same
            if (!(l.DynStyle == dyn) && (l.DynStyle.IsDynamic() || dyn.IsDynamic()))
                return where + "line " + std::to_string(k) + " DynStyle differs from the style in force";
            expect = l.EndByte;
        }
        if (expect != par.ByteSize())
            return where + "last line ends at " + std::to_string(expect) + " not " +
                   std::to_string(par.ByteSize());
        walkTo(par.ByteSize());
        start += par.Length + 2;
        firstLine += lines.Count();
    }
    if (start - 2 != textLength_)
        return "TextLength " + std::to_string(textLength_) + " should be " + std::to_string(start - 2);
    if (firstLine != lineCount_)
        return "LineCount " + std::to_string(lineCount_) + " should be " + std::to_string(firstLine);
    return std::string();
}

} // namespace quenvel
