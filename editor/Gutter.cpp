// The line-number gutter: its width, its painting and selecting whole lines from it.
#include "CodeMemo.h"
#include "StyleRun.h"

#include <algorithm>

namespace quenvel {

namespace {

// Numbers other than the caret's line's are drawn in grey.
constexpr TColor kGutterGrey = 0x808080;

// The decimal digits of n (n >= 0) written into buf from its end; returns where they start.
uint8_t *Digits(int32_t n, uint8_t *end)
{
    do {
        *--end = static_cast<uint8_t>('0' + n % 10);
        n /= 10;
    } while (n > 0);
    return end;
}

} // namespace

void TCodeMemo::SetLineNumbers(bool on)
{
    if (on == lineNumbers_)
        return;
    lineNumbers_ = on;
    gutterCaretPar_ = -1;
    if (!host_) {
        gutterW_ = 0;
        return;
    }
    MeasureGutter();
    hOffset_ = 0;
    LayoutChanged();
}

bool TCodeMemo::MeasureGutter()
{
    int w = 0;
    if (lineNumbers_ && host_) {
        // the widest digit in the bold face, for the largest number, half a digit either side
        TSurface &canvas = host_->Canvas();
        canvas.SelectFont(font_, static_cast<uint8_t>((font_.Style | fsBold) & 15));
        int digitW = 1;
        for (uint8_t d = '0'; d <= '9'; ++d)
            digitW = std::max(digitW, canvas.TextWidth(&d, 1));
        SelectStyleFont(canvas, EffectiveBits(0, NoDynStyle()));
        uint8_t buf[12];
        const int digits = static_cast<int>(buf + sizeof buf - Digits(std::max(ParagraphCount(), 1), buf + sizeof buf));
        w = (digits + 1) * digitW;
        gutterDigitW_ = digitW;
    }
    if (w == gutterW_)
        return false;
    gutterW_ = w;
    return true;
}

void TCodeMemo::GutterFollowsCount()
{
    if (!lineNumbers_ || !host_ || !MeasureGutter())
        return;
    if (wordWrap_ || alignment_ != taLeftJustify || justified_)
        ReformatAll();
    host_->ScrollRangesChanged();
    host_->InvalidateAll();
}

void TCodeMemo::PaintGutter(TSurface &canvas, int firstRow, int lastRow)
{
    // once for all the rows, after their text: the caret's number in bold, the others in
    // one go. The rows' own background covers the gutter unless text was scrolled under it.
    if (hOffset_ > 0) {
        const int y0 = LineToY(firstRow);
        canvas.FillRect(0, y0, gutterW_, LineToY(lastRow + 1) - y0, ColorToRGB(color_));
    }
    const uint8_t plain = static_cast<uint8_t>(font_.Style & 15);
    const int32_t caretPar = caretNav_->ParNb();
    gutterDigits_.resize(gutterRows_.size() * 11);
    gutterTexts_.clear();
    int caretRow = -1;
    uint8_t *end = gutterDigits_.data();
    for (const auto &[row, par] : gutterRows_) {
        if (par == caretPar) {
            caretRow = row;
            continue;
        }
        end += 11;
        const uint8_t *from = Digits(par + 1, end);
        gutterTexts_.push_back({0, LineToY(row) + baseline_, from, static_cast<int>(end - from)});
    }
    // right-aligned, half a digit's room before the text
    canvas.SelectFont(font_, plain);
    for (TSurface::TTextAt &t : gutterTexts_)
        t.x = gutterW_ - gutterDigitW_ / 2 - canvas.TextWidth(t.text, t.n);
    canvas.TextOuts(gutterTexts_.data(), static_cast<int>(gutterTexts_.size()), kGutterGrey);
    if (caretRow >= 0) {
        uint8_t buf[11];
        const uint8_t *from = Digits(caretPar + 1, buf + sizeof buf);
        const int n = static_cast<int>(buf + sizeof buf - from);
        canvas.SelectFont(font_, static_cast<uint8_t>(plain | fsBold));
        canvas.TextOut(gutterW_ - gutterDigitW_ / 2 - canvas.TextWidth(from, n), LineToY(caretRow) + baseline_, from, n,
                       ColorToRGB(font_.Color), -1);
    }
}

void TCodeMemo::SelectParagraphs(int32_t anchor, int32_t to)
{
    const int32_t count = ParagraphCount();
    anchor = std::clamp(anchor, 0, count - 1);
    to = std::clamp(to, 0, count - 1);
    const int32_t lo = std::min(anchor, to), hi = std::max(anchor, to);
    const int32_t s = ParStart(lo), e = hi + 1 < count ? ParStart(hi + 1) : TextLength();
    const int32_t oldLine = caretNav_->DisplayLine();
    SetSelLength(0);
    if (to >= anchor) {
        SetSelStart(e);
        SetSelLength(s - e);
    } else {
        SetSelStart(s);
        SetSelLength(e - s);
    }
    InvalidateLines(oldLine, caretNav_->DisplayLine());
    UpdateCaret();
}

} // namespace quenvel
