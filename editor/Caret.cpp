// The caret's place on the window, and keeping it in view.
#include "CodeMemo.h"

#include <algorithm>

namespace quenvel {

void TCodeMemo::UpdateCaret()
{
    // where the caret stands in the lines: an edit before it can move it to another line
    // or column at the same position
    int32_t line = -1, column = -1;
    if (host_) {
        TCodeNavigator &c = *caretNav_;
        const int32_t p = c.ParNb();
        if (!Par(p).Formatted)
            FormatRange(p, p);
        line = c.DisplayLine();
        column = c.Column();
        caretX_ = XAtColumn(c.ParNb(), c.LineInPar(), column);
        caretY_ = LineToY(line - TopLine());
        if (caretY_ < 0 || caretY_ >= 32767)
            caretY_ = -lineHeight_;
        if (gutterW_ > 0) {
            // scrolled under the gutter, the caret is out of sight
            if (caretX_ < gutterW_)
                caretX_ = -std::max(CaretWidth, 1) - 2;
            // the number shown emphasised follows the caret's line
            const int32_t p = c.ParNb();
            if (p != gutterCaretPar_) {
                for (const int32_t q : {gutterCaretPar_, p})
                    if (q >= 0 && q < ParagraphCount() && ParFirstLine(q) >= TopLine() &&
                        ParFirstLine(q) <= TopLine() + visibleLines_)
                        InvalidateLines(ParFirstLine(q), ParFirstLine(q));
                gutterCaretPar_ = p;
            }
        }
        host_->CaretChanged();
    }
    const int32_t pos = caretNav_->Pos();
    const int style = caretNav_->EffectiveStyle();
    const bool moved = pos != lastReportedPos_ || line != lastReportedLine_ || column != lastReportedColumn_;
    const bool restyled = style != lastReportedStyle_;
    lastReportedPos_ = pos;
    lastReportedLine_ = line;
    lastReportedColumn_ = column;
    lastReportedStyle_ = style;
    if (moved && OnSelMove)
        OnSelMove(this);
    if (restyled && OnStyleChange)
        OnStyleChange(this);
}

void TCodeMemo::ScrollInView()
{
    if (!host_)
        return;
    TCodeNavigator &c = *caretNav_;
    const int32_t cp = c.ParNb();
    FormatRange(cp, cp);
    caretX_ = XAtColumn(c.ParNb(), c.LineInPar(), c.Column());
    const int clientW = host_->ClientWidth();
    // horizontally, in steps of five spaces
    if ((!wordWrap_ || ScrollBars == ssHorizontal || ScrollBars == ssBoth) &&
        (alignment_ == taLeftJustify || hOffset_ != 0)) {
        const int step = 5 * spaceWidth_;
        int offset = hOffset_;
        // the text's room starts right of the gutter
        const int left = gutterW_;
        if (caretX_ >= clientW)
            offset += ((caretX_ - clientW) / step + 1) * step;
        else if (caretX_ < left)
            offset = std::max(0, offset + ((caretX_ - left) / step - 1) * step);
        if (offset != hOffset_) {
            caretX_ += hOffset_ - offset;
            hOffset_ = offset;
            host_->InvalidateAll();
            host_->ScrollRangesChanged();
        } else {
            caretX_ = std::clamp(caretX_, left, std::max(clientW - 1, left));
        }
    }
    // vertically
    const int32_t line = c.DisplayLine();
    const int32_t top = TopLine();
    const int visible = std::max(visibleLines_, 1);
    if (line > top + visible - 1) {
        const int32_t topPar = topNav_->ParNb();
        if (cp <= topPar + 2 * visible)
            FormatRange(topPar, cp - 1);
        FormatRange(std::max(cp - visible, 0), cp - 1);
        SetTopLine(std::max(c.DisplayLine() - visible + 1, 0));
    } else if (line < top) {
        const int32_t topPar = topNav_->ParNb();
        if (cp + visible >= topPar)
            FormatRange(cp + 1, topPar);
        SetTopLine(c.DisplayLine());
    }
    caretY_ = LineToY(c.DisplayLine() - TopLine());
    host_->CaretChanged();
}

} // namespace quenvel
