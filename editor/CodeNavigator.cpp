#include "CodeNavigator.h"

#include "CodeMemo.h"

#include <algorithm>

namespace quenvel {

TCodeNavigator::TCodeNavigator(TComponent *owner)
{
    memo_ = dynamic_cast<TCodeMemo *>(owner);
    if (!memo_)
        throw EQuenvelError("Internal error: component is not a TCodeMemo");
    store_ = &memo_->Store();
    store_->Register(this);
}

TCodeNavigator::~TCodeNavigator()
{
    if (store_)
        store_->Unregister(this);
}

TParagraphRec *TCodeNavigator::ParRec() const
{
    return &store_->Paragraphs().At(parNb_);
}

void TCodeNavigator::ResolvePar()
{
    if (parNb_ >= 0)
        return;
    TPLL &pars = store_->Paragraphs();
    const int64_t P = pars.Count();
    const int64_t T = store_->TextLength();
    const int64_t p = pos_;
    if (P <= 0)
        throw EListError();
    // A proportional estimate; the walk from it (or a bisection when it was far off)
    // finds the one paragraph that holds the position.
    int64_t est = T != 0 ? (P - 1) * p / T : 0;
    int32_t i = static_cast<int32_t>(std::clamp<int64_t>(est, 0, P - 1));
    // Walk from the estimate; fall back to bisection when it was far off.
    int steps = 0;
    if (pars.Start(i) <= p) {
        while (i < P - 1 && pars.Start(i) + pars.At(i).Length + 1 < p) {
            if (++steps > 8) {
                int32_t lo = i, hi = static_cast<int32_t>(P - 1);
                while (lo < hi) { // last paragraph whose Start <= p
                    int32_t mid = lo + (hi - lo + 1) / 2;
                    if (pars.Start(mid) <= p)
                        lo = mid;
                    else
                        hi = mid - 1;
                }
                i = lo;
                // the line-feed position belongs to the paragraph it ends
                if (i > 0 && pars.Start(i - 1) + pars.At(i - 1).Length + 1 >= p)
                    --i;
                break;
            }
            ++i;
        }
    } else {
        while (i > 0 && pars.Start(i) > p) {
            if (++steps > 8) {
                int32_t lo = 0, hi = i;
                while (lo < hi) {
                    int32_t mid = lo + (hi - lo + 1) / 2;
                    if (pars.Start(mid) <= p)
                        lo = mid;
                    else
                        hi = mid - 1;
                }
                i = lo;
                break;
            }
            --i;
        }
    }
    parNb_ = i;
    parOffset_ = static_cast<int32_t>(p - pars.Start(i));
    textOffset_ = kUnresolved;
    lineInPar_ = kUnresolved;
}

void TCodeNavigator::PlaceInParagraph(int32_t par, int32_t offset)
{
    parNb_ = par;
    parOffset_ = offset;
    pos_ = store_->Start(parNb_) + offset;
    textOffset_ = kUnresolved;
    lineInPar_ = kUnresolved;
}

void TCodeNavigator::ResolveTextOffset()
{
    ResolvePar();
    if (textOffset_ != kUnresolved)
        return;
    const TParagraphRec *par = ParRec();
    if (par->MarkCount == 0) {
        textOffset_ = std::min(parOffset_, par->Length);
        return;
    }
    if (parOffset_ > par->Length) {
        textOffset_ = par->ByteSize();
        return;
    }
    const uint8_t *t = par->Text;
    int32_t o = 0, count = 0;
    while (count < parOffset_) {
        if (t[o] == scMark) {
            o += kMarkSize;
        } else {
            ++o;
            ++count;
        }
    }
    textOffset_ = o;
}

void TCodeNavigator::ResolveLine()
{
    ResolveTextOffset();
    if (lineInPar_ != kUnresolved)
        return;
    const TParagraphRec *par = ParRec();
    const TLL &lines = par->Lines();
    const int32_t n = lines.Count();
    // first line whose EndByte > TextOffset, else the last
    int32_t lo = 0, hi = n - 1;
    while (lo < hi) {
        int32_t mid = lo + (hi - lo) / 2;
        if (lines.At(mid).EndByte > textOffset_)
            hi = mid;
        else
            lo = mid + 1;
    }
    lineInPar_ = lo;
    const TLineRec &line = lines.At(lo);
    uint16_t style = line.Style;
    TDynStyle dyn = line.DynStyle;
    const uint8_t *t = par->Text;
    for (int32_t o = line.StartByte; o < textOffset_;) {
        uint8_t b = t[o];
        if (b == scMark) {
            dyn = ReadMark(t + o);
            o += kMarkSize;
        } else {
            style ^= StyleCodeBit(b);
            ++o;
        }
    }
    runningStyle_ = style;
    dyn_ = dyn;
}

void TCodeNavigator::SetPos(int32_t p)
{
    if (parNb_ >= 0) {
        const TParagraphRec *par = ParRec();
        const int32_t parStart = store_->Start(parNb_);
        if (p >= pos_ && p <= parStart + par->Length + 1) {
            const int32_t target = p - parStart;
            if (textOffset_ == kUnresolved) {
                parOffset_ = target;
                pos_ = p;
                return;
            }
            const uint8_t *t = par->Text;
            const int32_t size = par->ByteSize();
            if (par->MarkCount == 0 && lineInPar_ == kUnresolved) {
                parOffset_ = target;
                textOffset_ = std::min(target, par->Length);
                pos_ = p;
                return;
            }
            while (parOffset_ < target) {
                if (parOffset_ < par->Length) {
                    while (t[textOffset_] == scMark) {
                        dyn_ = ReadMark(t + textOffset_);
                        textOffset_ += kMarkSize;
                    }
                    runningStyle_ ^= StyleCodeBit(t[textOffset_]);
                    ++textOffset_;
                } else {
                    // over the carriage return: the marks after the last character
                    while (textOffset_ < size && t[textOffset_] == scMark) {
                        dyn_ = ReadMark(t + textOffset_);
                        textOffset_ += kMarkSize;
                    }
                }
                ++parOffset_;
            }
            if (lineInPar_ != kUnresolved) {
                const TLL &lines = par->Lines();
                while (lineInPar_ < lines.Count() - 1 && lines.At(lineInPar_).EndByte <= textOffset_)
                    ++lineInPar_;
            }
            pos_ = p;
            return;
        }
        textOffset_ = kUnresolved;
        lineInPar_ = kUnresolved;
        if (p >= parStart && p <= parStart + par->Length + 1)
            parOffset_ = p - parStart;
        else
            parNb_ = -1;
    }
    pos_ = p;
}

int32_t TCodeNavigator::ParNb()
{
    ResolvePar();
    return parNb_;
}

TParagraphRec *TCodeNavigator::Par()
{
    ResolvePar();
    return ParRec();
}

int32_t TCodeNavigator::ParOffset()
{
    ResolvePar();
    return parOffset_;
}

int32_t TCodeNavigator::TextOffset()
{
    ResolveTextOffset();
    return textOffset_;
}

int32_t TCodeNavigator::LineInPar()
{
    ResolveLine();
    return lineInPar_;
}

int32_t TCodeNavigator::DisplayLine()
{
    ResolveLine();
    return lineInPar_ + store_->FirstLine(parNb_);
}

void TCodeNavigator::SetDisplayLine(int32_t line)
{
    TPLL &pars = store_->Paragraphs();
    const int32_t lineCount = store_->LineCount();
    if (line >= lineCount)
        line = lineCount - 1;
    if (line < 0)
        line = 0;
    const int64_t P = pars.Count();
    int32_t i = lineCount > 0 ? static_cast<int32_t>(static_cast<int64_t>(line) * P / lineCount) : 0;
    i = static_cast<int32_t>(std::clamp<int64_t>(i, 0, P - 1));
    int steps = 0;
    auto bisect = [&]() {
        int32_t lo = 0, hi = static_cast<int32_t>(P - 1);
        while (lo < hi) { // last paragraph whose FirstLine <= line
            int32_t mid = lo + (hi - lo + 1) / 2;
            if (pars.FirstLine(mid) <= line)
                lo = mid;
            else
                hi = mid - 1;
        }
        i = lo;
    };
    while (i > 0 && pars.FirstLine(i) > line) {
        if (++steps > 32) {
            bisect();
            break;
        }
        --i;
    }
    while (i < P - 1 && pars.FirstLine(i) + pars.At(i).LineCount() <= line) {
        if (++steps > 64) {
            bisect();
            break;
        }
        ++i;
    }
    const TParagraphRec &par = pars.At(i);
    int32_t lip = line - pars.FirstLine(i);
    lip = std::clamp(lip, 0, par.LineCount() - 1);
    const TLineRec &rec = par.Lines().At(lip);
    int32_t offset;
    if (par.MarkCount == 0) {
        offset = rec.StartByte;
    } else {
        offset = 0;
        for (int32_t o = 0; o < rec.StartByte;) {
            if (par.Text[o] == scMark) {
                o += kMarkSize;
            } else {
                ++o;
                ++offset;
            }
        }
    }
    parNb_ = i;
    lineInPar_ = lip;
    parOffset_ = offset;
    textOffset_ = rec.StartByte;
    pos_ = pars.Start(i) + offset;
    runningStyle_ = rec.Style;
    dyn_ = rec.DynStyle;
}

int32_t TCodeNavigator::Column()
{
    ResolveLine();
    const TParagraphRec *par = ParRec();
    const TLineRec &rec = par->Lines().At(lineInPar_);
    if (par->MarkCount == 0)
        return textOffset_ - rec.StartByte;
    int32_t col = 0;
    for (int32_t o = rec.StartByte; o < textOffset_;) {
        if (par->Text[o] == scMark) {
            o += kMarkSize;
        } else {
            ++o;
            ++col;
        }
    }
    return col;
}

void TCodeNavigator::SetColumn(int32_t column)
{
    ResolveLine();
    SetDisplayLine(DisplayLine());
    const TParagraphRec *par = ParRec();
    const TLineRec &rec = par->Lines().At(lineInPar_);
    const uint8_t *t = par->Text;
    int32_t o = textOffset_;
    int32_t passed = 0;
    while (passed < column) {
        int32_t q = o;
        TDynStyle dyn = dyn_;
        bool sawMark = false;
        while (q < rec.EndByte && t[q] == scMark) {
            dyn = ReadMark(t + q);
            sawMark = true;
            q += kMarkSize;
        }
        if (q >= rec.EndByte)
            break;
        if (sawMark)
            dyn_ = dyn;
        runningStyle_ ^= StyleCodeBit(t[q]);
        o = q + 1;
        ++passed;
    }
    textOffset_ = o;
    parOffset_ += passed;
    pos_ += passed;
}

uint8_t TCodeNavigator::CharAt()
{
    ResolveTextOffset();
    const TParagraphRec *par = ParRec();
    if (parOffset_ < par->Length) {
        int32_t o = textOffset_;
        while (par->Text[o] == scMark)
            o += kMarkSize;
        return par->Text[o];
    }
    return parOffset_ == par->Length ? 13 : 10;
}

TDynStyle TCodeNavigator::CurrentDynStyle()
{
    ResolveLine();
    return dyn_;
}

uint16_t TCodeNavigator::RunningStyle()
{
    ResolveLine();
    return runningStyle_;
}

uint8_t TCodeNavigator::EffectiveStyle()
{
    ResolveLine();
    return memo_->EffectiveBits(runningStyle_, dyn_);
}

bool TCodeNavigator::FindPrevMark()
{
    ResolveTextOffset();
    TPLL &pars = store_->Paragraphs();
    int32_t i = parNb_;
    int32_t limit = textOffset_;
    for (;;) {
        const TParagraphRec &par = pars.At(i);
        if (par.MarkCount > 0) {
            int32_t found = -1, foundPos = 0, count = 0;
            for (int32_t o = 0; o < limit && o < par.ByteSize();) {
                if (par.Text[o] == scMark) {
                    found = o;
                    foundPos = count;
                    o += kMarkSize;
                } else {
                    ++o;
                    ++count;
                }
            }
            if (found >= 0) {
                parNb_ = i;
                textOffset_ = found;
                parOffset_ = foundPos;
                pos_ = pars.Start(i) + foundPos;
                lineInPar_ = kUnresolved;
                return true;
            }
        }
        if (i == 0)
            return false;
        --i;
        limit = INT32_MAX;
    }
}

bool TCodeNavigator::FindNextMark()
{
    ResolveTextOffset();
    TPLL &pars = store_->Paragraphs();
    const int32_t P = pars.Count();
    int32_t i = parNb_;
    int32_t o = textOffset_;
    int32_t count = std::min(parOffset_, ParRec()->Length);
    for (;;) {
        const TParagraphRec &par = pars.At(i);
        if (par.MarkCount > 0) {
            const int32_t size = par.ByteSize();
            while (o < size) {
                if (par.Text[o] == scMark) {
                    parNb_ = i;
                    textOffset_ = o;
                    parOffset_ = count;
                    pos_ = pars.Start(i) + count;
                    lineInPar_ = kUnresolved;
                    return true;
                }
                ++o;
                ++count;
            }
        }
        if (++i >= P)
            return false;
        o = 0;
        count = 0;
    }
}

void TCodeNavigator::InsertMark(const TDynStyle &style)
{
    ResolveLine();
    TParagraphRec *par = ParRec();
    TLL &lines = par->Lines(); // before the mark goes in, which its records then count
    const int32_t size = par->ByteSize();
    const int64_t need = static_cast<int64_t>(size) + kMarkSize;
    if (need > par->Capacity)
        GrowText(*par, MarkBufferSize(need));
    const int32_t b = textOffset_;
    std::memmove(par->Text + b + kMarkSize, par->Text + b, static_cast<size_t>(size - b));
    WriteMark(par->Text + b, style);
    ++par->MarkCount;
    lines.At(lineInPar_).EndByte += kMarkSize;
    for (int32_t k = lineInPar_ + 1; k < lines.Count(); ++k) {
        lines.At(k).StartByte += kMarkSize;
        lines.At(k).EndByte += kMarkSize;
    }
    store_->MarkMoved(*this, parNb_, b, kMarkSize);
    textOffset_ = b + kMarkSize;
    dyn_ = style;
}

void TCodeNavigator::DeleteMark()
{
    ResolveLine();
    TParagraphRec *par = ParRec();
    const int32_t b = textOffset_;
    const int32_t size = par->ByteSize();
    if (b >= size || par->Text[b] != scMark)
        return;
    TLL &lines = par->Lines();
    std::memmove(par->Text + b, par->Text + b + kMarkSize, static_cast<size_t>(size - b - kMarkSize));
    --par->MarkCount;
    lines.At(lineInPar_).EndByte -= kMarkSize;
    for (int32_t k = lineInPar_ + 1; k < lines.Count(); ++k) {
        lines.At(k).StartByte -= kMarkSize;
        lines.At(k).EndByte -= kMarkSize;
    }
    store_->MarkMoved(*this, parNb_, b, -kMarkSize);
    lineInPar_ = kUnresolved;
}

void TCodeNavigator::Assign(const TCodeNavigator &o)
{
    pos_ = o.pos_;
    parNb_ = o.parNb_;
    runningStyle_ = o.runningStyle_;
    parOffset_ = o.parOffset_;
    textOffset_ = o.textOffset_;
    dyn_ = o.dyn_;
    lineInPar_ = o.lineInPar_;
}

void TCodeNavigator::FollowSplice(int32_t s, int32_t e, int32_t d, int32_t firstPar, int32_t lastPar, int32_t dk)
{
    // before the edit the place stays, inside it the navigator collapses to its start,
    // behind it it shifts
    if (pos_ < s) {
        if (parNb_ >= firstPar)
            DropOffsets();
        if (parNb_ > lastPar)
            parNb_ += dk;
        return;
    }
    pos_ = pos_ <= e ? s : pos_ + d;
    Invalidate();
}

void TCodeNavigator::FollowMark(int32_t par, int32_t byteOffset, int32_t delta)
{
    if (parNb_ == par && textOffset_ != kUnresolved && textOffset_ > byteOffset) {
        textOffset_ += delta;
        lineInPar_ = kUnresolved;
    }
}

void TCodeNavigator::Invalidate()
{
    parNb_ = -1;
    textOffset_ = kUnresolved;
    lineInPar_ = kUnresolved;
}

} // namespace quenvel
