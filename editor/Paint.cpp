// Drawing the display lines: fonts and colours from codes, marks and keywords,
// tabs, page breaks, alignment, justification and the selection.
#include "CodeMemo.h"
#include "StyleRun.h"

#include <algorithm>
#include <climits>

namespace quenvel {

namespace {

// Bytes drawn in one go at most: a run split anywhere draws the same glyphs at the same places.
constexpr int32_t kPaintRunBytes = 256;

} // namespace

int TCodeMemo::PaintRows(TSurface &canvas, int firstRow, int lastRow)
{
    if (!host_)
        return -1;
    if (formatting_) {
        // the lines are being laid out (a progress report repainted the window in the
        // middle): the window is painted again once they are
        paintRefused_ = true;
        return -1;
    }
    const int32_t top = TopLine();
    {
        const int32_t tp = topNav_->ParNb();
        if (!Par(tp).Formatted)
            FormatRange(tp, tp);
    }
    firstRow = std::max(firstRow, 0);
    int below = -1;
    for (int row = firstRow; row <= lastRow; ++row) {
        const int32_t line = top + row;
        if (line >= LineCount())
            break;
        PaintLine(canvas, line, LineToY(row), false);
        below = LineToY(row + 1);
    }
    SelectStyleFont(canvas, EffectiveBits(0, NoDynStyle()));
    return below;
}

void TCodeMemo::PaintLine(TSurface &canvas, int32_t line, int y, bool print)
{
    TCodeNavigator &nav = work_->paint;
    nav.SetDisplayLine(line);
    int32_t pi = nav.ParNb();
    if (!Par(pi).Formatted) {
        FormatRange(pi, pi);
        nav.SetDisplayLine(line);
        pi = nav.ParNb();
    }
    const TParagraphRec &par = Par(pi);
    const int32_t li = nav.LineInPar();
    const TLineRec rec = par.Lines->At(li);
    const uint8_t *t = par.Text;
    const int lh = lineHeight_;
    const int clientW = print ? printWidth_ : host_->ClientWidth();

    // the selection in this paragraph, as byte offsets
    int32_t selS = INT32_MAX, selE = INT32_MAX;
    const bool showSel = !print && selLength_ != 0 && (!hideSelection_ || host_->Focused());
    if (showSel) {
        const int32_t sp = selStartNav_->ParNb(), ep = selStopNav_->ParNb();
        selS = sp < pi ? -1 : sp > pi ? INT32_MAX : selStartNav_->TextOffset();
        selE = ep < pi ? -1 : ep > pi ? INT32_MAX : selStopNav_->TextOffset();
    }

    if (!print)
        canvas.FillRect(0, y, clientW, lh, ColorToRGB(color_));
    const bool stretched = justified_ && rec.JustifyFrom < rec.EndByte && rec.SpaceCount >= 1;
    // x of the line's start
    const int base = print ? printX_ + leftMargin_ : LineOrigin(rec, clientW, stretched) - hOffset_;
    int right = print ? base + printWidth_ : clientW - rightMargin_;
    const int baseline = y + baseline_;
    if (print)
        canvas.SetClip(base - leftMargin_, y, printWidth_ + leftMargin_, lh);

    TStyleRun st(*this, canvas, rec.Style, rec.DynStyle, true, true);
    const TDynStyle &dyn = st.dyn;
    const uint8_t &eff = st.eff;
    const int &spaceW = st.spaceW;
    TColor fore = 0, back = -1;
    auto colours = [&]() {
        if (dyn.IsDynamic() && (dyn.Foregnd != 0 || dyn.Backgnd != 0)) {
            fore = ColorToRGB(dyn.Foregnd);
            back = ColorToRGB(dyn.Backgnd);
        } else if (eff & fsHighlight) {
            fore = ColorToRGB(highlightColor_);
            back = ColorToRGB(highlightBackgnd_);
        } else {
            fore = ColorToRGB(font_.Color);
            back = -1;
        }
        if (back == 0)
            back = -1; // a black background draws transparently
    };
    colours();

    TJustify j(justified_, rec, clientW - leftMargin_ - rightMargin_);

    int rel = 0; // x from the line's start
    int startX = INT_MIN, endX = INT_MIN;
    if (rec.StartByte >= selS && rec.StartByte < selE)
        startX = base;
    int32_t o = rec.StartByte;
    const int32_t end = rec.EndByte;
    bool pageBreak = false;
    // On screen, text further than this past either edge cannot reach into the window,
    // not even a slanted glyph's overhang.
    const int reach = 2 * lh;
    while (o < end) {
        if (!print && base + rel > clientW + reach)
            break; // the rest of the line is out of sight; the selection is cut below
        if (o == selS && startX == INT_MIN)
            startX = base + rel;
        if (o == selE && endX == INT_MIN)
            endX = base + rel;
        const uint8_t b = t[o];
        if (b == scMark || IsStyleCode(b)) {
            st.Apply(t, o);
            colours();
            continue;
        }
        if (b == 16) {
            static const uint8_t dash = '-';
            int x = base + rel;
            const int dw = std::max(canvas.TextWidth(&dash, 1), 1);
            while (x <= right) {
                if (back >= 0)
                    canvas.FillRect(x, y, dw, lh, back);
                canvas.TextOut(x, baseline, &dash, 1, fore, -1);
                x += dw;
            }
            rel = x - base;
            pageBreak = true;
            o = end;
            break;
        }
        if (b == '\t') {
            const int stop = std::max(1, tabStops_ * spaceW);
            rel = (rel / stop + 1) * stop;
            right = print ? printX_ + printWidth_ + leftMargin_ : clientW;
            ++o;
            continue;
        }
        if (b == ' ' && stretched && o >= rec.JustifyFrom) {
            const int w = j.Space(spaceW);
            if (back >= 0)
                canvas.FillRect(base + rel, y, w, lh, back);
            rel += w;
            ++o;
            continue;
        }
        if (b <= 26) {
            ++o; // other control bytes take no room and are not drawn
            continue;
        }
        // a run of characters up to the next code, tab, page break or selection boundary, and
        // short enough that the test above soon stops a line running out of the window
        int32_t r = o;
        const int32_t longest = print ? end : std::min(end, o + kPaintRunBytes);
        while (r < longest && t[r] > 26 && !(stretched && t[r] == ' ' && r >= rec.JustifyFrom)) {
            if (r > o && (r == selS || r == selE))
                break;
            ++r;
        }
        if (!print && base + rel < -reach) {
            // left of the window (scrolled sideways): only its width counts
            const int w = canvas.TextWidth(t + o, r - o);
            if (base + rel + w < -reach) {
                rel += w;
                o = r;
                continue;
            }
        }
        if (back >= 0)
            canvas.FillRect(base + rel, y, canvas.TextWidth(t + o, r - o), lh, back);
        rel += canvas.TextOut(base + rel, baseline, t + o, r - o, fore, -1);
        o = r;
    }
    (void)pageBreak;
    // at the line's end
    const bool lastLine = li == par.Lines->Count() - 1;
    if (showSel) {
        if (startX == INT_MIN && selS <= end && end < selE)
            startX = base + rel;
        if (endX == INT_MIN)
            endX = base + rel;
        if (startX != INT_MIN && endX != INT_MIN) {
            if (endX > startX)
                canvas.InvertRect(startX, y, endX - startX, lh);
            if (ShowEndParSelected && lastLine && selE == INT32_MAX)
                canvas.InvertRect(endX, y + lh / 3, spaceWidth_ / 2 + 1, lh / 3);
        }
    }
    if (print)
        canvas.SetClip(0, 0, -1, -1);
}

void TCodeMemo::SetPrintLayout(TSurface *canvas, int width)
{
    if (canvas) {
        printWidth_ = width;
        printTarget_ = canvas;
        ReformatAll();
        printTarget_ = nullptr;
    } else {
        FontChangeSteps(true);
    }
}

void TCodeMemo::PrintParagraph(int32_t line, TSurface &canvas, int x, int y)
{
    printTarget_ = &canvas;
    printX_ = x;
    printY_ = y;
    SetSelLine(line);
    // the printer's metrics hold for this line only: the screen's come back after it,
    // a fixed line height included
    struct TKeep {
        TCodeMemo &m;
        int lh, base, space;
        ~TKeep()
        {
            m.lineHeight_ = lh;
            m.baseline_ = base;
            m.spaceWidth_ = space;
            m.printTarget_ = nullptr;
        }
    } keep{*this, lineHeight_, baseline_, spaceWidth_};
    lineHeight_ = PrintLineHeight(canvas);
    const TTextMetrics m = canvas.Metrics();
    if (m.Height > 0) {
        baseline_ = lineHeight_ - m.Descent - 1;
        spaceWidth_ = SpaceWidthOf(canvas);
    } else {
        baseline_ = 0;
        spaceWidth_ = 10;
    }
    PaintLine(canvas, caretNav_->DisplayLine(), y, true);
}

int TCodeMemo::PrintLineHeight(TSurface &canvas)
{
    SelectStyleFont(canvas, EffectiveBits(0, NoDynStyle()));
    const TTextMetrics m = canvas.Metrics();
    return m.Height > 0 ? m.Height + 1 : 10;
}

} // namespace quenvel
