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
// A paragraph holding this byte shows a page break.
constexpr uint8_t kPageBreak = 16;

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
    const uint32_t linesMoved = linesMoved_;
    {
        const int32_t tp = topNav_->ParNb();
        if (!Par(tp).Formatted)
            FormatRange(tp, tp);
    }
    firstRow = std::max(firstRow, 0);
    int below = -1, painted = firstRow - 1;
    gutterRows_.clear();
    for (int row = firstRow; row <= lastRow; ++row) {
        const int32_t line = top + row;
        if (line >= LineCount())
            break;
        PaintLine(canvas, line, LineToY(row), false);
        below = LineToY(row + 1);
        painted = row;
        if (gutterW_ > 0 && work_->paint.LineInPar() == 0)
            gutterRows_.emplace_back(row, work_->paint.ParNb());
    }
    if (gutterW_ > 0 && painted >= firstRow)
        PaintGutter(canvas, firstRow, painted); // over any text scrolled under it
    // Laying out a paragraph on the way moved the lines after it: rows this paint did not
    // cover may show them where they stood before.
    if (linesMoved_ != linesMoved)
        host_->InvalidateAll();
    SelectStyleFont(canvas, EffectiveBits(0, NoDynStyle()));
    return below;
}

// One display line being painted: where it stands, its selection, and how far it got.
struct TCodeMemo::TLinePaint {
    TLinePaint(TSurface &c, const TLineRec &r, const uint8_t *t) : canvas(c), rec(r), text(t) {}
    TSurface &canvas;
    const TLineRec rec;
    const uint8_t *text;
    bool print = false;
    bool stretched = false; // justified: its spaces from JustifyFrom on stretch
    bool lastLine = false;  // the last line of its paragraph
    int y = 0, lh = 0, clientW = 0, baseline = 0;
    int areaW = 0; // the width the text is laid out in: the client's less the gutter
    int base = 0;  // x of the line's start
    int right = 0; // where a page break's dashes end
    // the selection, as byte offsets in the paragraph (-1 before it, INT32_MAX after it)
    bool showSel = false;
    int32_t selS = INT32_MAX, selE = INT32_MAX;
    int rel = 0; // x from the line's start, as far as drawn
    int startX = INT_MIN, endX = INT_MIN;
};

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
    TLinePaint lp(canvas, par.Lines().At(li), par.Text);
    const TLineRec &rec = lp.rec;
    lp.print = print;
    lp.y = y;
    lp.lh = lineHeight_;
    lp.clientW = print ? printWidth_ : host_->ClientWidth();
    lp.areaW = print ? printWidth_ : lp.clientW - gutterW_;
    lp.lastLine = li == par.LineCount() - 1;
    lp.showSel = !print && selLength_ != 0 && (!hideSelection_ || host_->Focused());
    if (lp.showSel) {
        const int32_t sp = selStartNav_->ParNb(), ep = selStopNav_->ParNb();
        lp.selS = sp < pi ? -1 : sp > pi ? INT32_MAX : selStartNav_->TextOffset();
        lp.selE = ep < pi ? -1 : ep > pi ? INT32_MAX : selStopNav_->TextOffset();
    }
    if (!print)
        canvas.FillRect(0, y, lp.clientW, lp.lh, ColorToRGB(color_));
    lp.stretched = justified_ && rec.JustifyFrom < rec.EndByte && rec.SpaceCount >= 1;
    if (print)
        lp.base = printX_ + leftMargin_ + (li > 0 && printIndent_ > 0 ? printIndent_ : 0);
    else
        lp.base = gutterW_ + LineOrigin(rec, lp.areaW, lp.stretched) - hOffset_;
    lp.right = print ? printX_ + leftMargin_ + printWidth_ : lp.clientW - rightMargin_;
    lp.baseline = y + baseline_;
    if (print)
        canvas.SetClip(printX_, y, printWidth_ + leftMargin_, lp.lh);
    if (rec.StartByte >= lp.selS && rec.StartByte < lp.selE)
        lp.startX = lp.base;
    PaintLineText(lp);
    if (lp.showSel)
        PaintSelection(lp);
    if (print)
        canvas.SetClip(0, 0, -1, -1);
}

void TCodeMemo::RunColours(const TDynStyle &dyn, uint8_t eff, TColor &fore, TColor &back) const
{
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
}

void TCodeMemo::PaintLineText(TLinePaint &lp)
{
    TSurface &canvas = lp.canvas;
    const TLineRec &rec = lp.rec;
    const uint8_t *t = lp.text;
    TStyleRun st(*this, canvas, rec.Style, rec.DynStyle, true, true);
    TColor fore = 0, back = -1;
    RunColours(st.dyn, st.eff, fore, back);
    TJustify j(justified_, rec, lp.areaW - leftMargin_ - rightMargin_);
    // On screen, text further than this past either edge cannot reach into the window,
    // not even a slanted glyph's overhang.
    const int reach = 2 * lp.lh;
    for (int32_t o = rec.StartByte; o < rec.EndByte;) {
        if (!lp.print && lp.base + lp.rel > lp.clientW + reach)
            break; // the rest of the line is out of sight; the selection is cut below
        if (o == lp.selS && lp.startX == INT_MIN)
            lp.startX = lp.base + lp.rel;
        if (o == lp.selE && lp.endX == INT_MIN)
            lp.endX = lp.base + lp.rel;
        const uint8_t b = t[o];
        if (b == scMark || IsStyleCode(b)) {
            st.Apply(t, o);
            RunColours(st.dyn, st.eff, fore, back);
        } else if (b == kPageBreak) {
            PaintPageBreak(lp, fore, back);
            break;
        } else if (b == '\t') {
            const int stop = std::max(1, tabStops_ * st.spaceW);
            lp.rel = (lp.rel / stop + 1) * stop;
            lp.right = lp.print ? printX_ + printWidth_ + leftMargin_ : lp.clientW;
            ++o;
        } else if (b == ' ' && lp.stretched && o >= rec.JustifyFrom) {
            const int w = j.Space(st.spaceW);
            if (back >= 0)
                canvas.FillRect(lp.base + lp.rel, lp.y, w, lp.lh, back);
            lp.rel += w;
            ++o;
        } else if (b <= 26) {
            ++o; // other control bytes take no room and are not drawn
        } else {
            o = PaintRun(lp, o, fore, back);
        }
    }
}

int32_t TCodeMemo::PaintRun(TLinePaint &lp, int32_t o, TColor fore, TColor back)
{
    // a run of characters up to the next code, tab, page break or selection boundary, and
    // short enough that the line stops soon after it runs out of the window
    const uint8_t *t = lp.text;
    const TLineRec &rec = lp.rec;
    int32_t r = o;
    const int32_t longest = lp.print ? rec.EndByte : std::min(rec.EndByte, o + kPaintRunBytes);
    while (r < longest && t[r] > 26 && !(lp.stretched && t[r] == ' ' && r >= rec.JustifyFrom)) {
        if (r > o && (r == lp.selS || r == lp.selE))
            break;
        ++r;
    }
    TSurface &canvas = lp.canvas;
    const int reach = 2 * lp.lh;
    if (!lp.print && lp.base + lp.rel < -reach) {
        // left of the window (scrolled sideways): only its width counts
        const int w = canvas.TextWidth(t + o, r - o);
        if (lp.base + lp.rel + w < -reach) {
            lp.rel += w;
            return r;
        }
    }
    if (back >= 0)
        canvas.FillRect(lp.base + lp.rel, lp.y, canvas.TextWidth(t + o, r - o), lp.lh, back);
    lp.rel += canvas.TextOut(lp.base + lp.rel, lp.baseline, t + o, r - o, fore, -1);
    return r;
}

void TCodeMemo::PaintPageBreak(TLinePaint &lp, TColor fore, TColor back)
{
    // dashes to the right margin; nothing after it on the line is drawn
    static const uint8_t dash = '-';
    int x = lp.base + lp.rel;
    const int dw = std::max(lp.canvas.TextWidth(&dash, 1), 1);
    while (x <= lp.right) {
        if (back >= 0)
            lp.canvas.FillRect(x, lp.y, dw, lp.lh, back);
        lp.canvas.TextOut(x, lp.baseline, &dash, 1, fore, -1);
        x += dw;
    }
    lp.rel = x - lp.base;
}

void TCodeMemo::PaintSelection(TLinePaint &lp)
{
    const int32_t end = lp.rec.EndByte;
    if (lp.startX == INT_MIN && lp.selS <= end && end < lp.selE)
        lp.startX = lp.base + lp.rel;
    if (lp.endX == INT_MIN)
        lp.endX = lp.base + lp.rel;
    if (lp.startX == INT_MIN)
        return;
    if (lp.endX > lp.startX)
        lp.canvas.InvertRect(lp.startX, lp.y, lp.endX - lp.startX, lp.lh);
    // the paragraph's break, selected
    if (ShowEndParSelected && lp.lastLine && lp.selE == INT32_MAX)
        lp.canvas.InvertRect(lp.endX, lp.y + lp.lh / 3, spaceWidth_ / 2 + 1, lp.lh / 3);
}

void TCodeMemo::SetPrintLayout(TSurface *canvas, int width, bool wrap)
{
    if (canvas) {
        printWidth_ = width;
        printTarget_ = canvas;
        printIndent_ = -1;
        if (wrap) {
            SelectStyleFont(*canvas, EffectiveBits(0, NoDynStyle()));
            printIndent_ = 4 * SpaceWidthOf(*canvas);
        }
        ReformatAll();
        printTarget_ = nullptr;
    } else {
        printIndent_ = -1;
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
