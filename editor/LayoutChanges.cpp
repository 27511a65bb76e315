// What the layout does when the host, the fonts, the sizes, the update mode, the scroll
// position or the text change: lines laid out again, the window told what to repaint.
#include "CodeMemo.h"
#include "StyleRun.h"

#include <algorithm>

namespace quenvel {

void TCodeMemo::SetHost(TMemoHost *host)
{
    host_ = host;
    if (host_)
        FontChangeSteps(true);
}

void TCodeMemo::FontChangeSteps(bool reformat)
{
    if (autoLineHeight_)
        lineHeight_ = std::abs(font_.Size) * 4 / 3 + 1;
    if (!host_)
        return;
    TSurface &canvas = host_->Canvas();
    SelectStyleFont(canvas, EffectiveBits(0, NoDynStyle()));
    const TTextMetrics m = canvas.Metrics();
    if (autoLineHeight_)
        lineHeight_ = m.Height + 1;
    lineHeight_ = std::max(lineHeight_, 1);
    baseline_ = lineHeight_ - m.Descent - 1;
    if (m.Height - m.InternalLeading - m.Descent > baseline_) {
        baseline_ = lineHeight_ - m.InternalLeading;
        if (m.Height - m.InternalLeading - m.Descent > baseline_)
            baseline_ = lineHeight_;
    }
    visibleLines_ = host_->ClientHeight() / lineHeight_;
    spaceWidth_ = SpaceWidthOf(canvas);
    // a gutter that changed width changes the lines' room: laid out again
    if (MeasureGutter())
        reformat = true;
    if (reformat)
        ReformatAll();
    hOffset_ = 0;
    ClampTopLine();
    host_->ScrollRangesChanged();
    host_->InvalidateAll();
    UpdateCaret();
}

void TCodeMemo::ClampTopLine()
{
    const int32_t limit = std::max(LineCount() - visibleLines_ + 1, 0);
    if (TopLine() > limit)
        SetTopLine(limit);
}

void TCodeMemo::SetLineHeight(int h)
{
    autoLineHeight_ = h < 1;
    if (h >= 1)
        lineHeight_ = h;
    FontChangeSteps(false);
}

void TCodeMemo::FontChanged()
{
    FontChangeSteps(true);
}

void TCodeMemo::AltFontChanged()
{
    if (host_) {
        ReformatAll();
        host_->InvalidateAll();
    }
}

void TCodeMemo::LayoutChanged()
{
    if (!host_)
        return;
    const int32_t before = LineCount();
    ReformatAll();
    if (LineCount() != before)
        ClampTopLine();
    host_->ScrollRangesChanged();
    host_->InvalidateAll();
    UpdateCaret();
}

void TCodeMemo::AppearanceChanged(bool alignmentOnly)
{
    if (alignmentOnly)
        hOffset_ = 0;
    if (host_) {
        host_->InvalidateAll();
        UpdateCaret();
    }
}

void TCodeMemo::UpdateModeChanged()
{
    if (!host_)
        return;
    if (updateMode_ == umImmediate && lastToFormat_ >= 0) {
        FormatRange(nextToFormat_, lastToFormat_);
        nextToFormat_ = ParagraphCount();
        lastToFormat_ = -1;
    } else if (updateMode_ == umBackground) {
        BackgroundStep();
    }
}

void TCodeMemo::Resized(int oldClientWidth)
{
    if (!host_)
        return;
    visibleLines_ = host_->ClientHeight() / lineHeight_;
    const int w = host_->ClientWidth();
    if (w != oldClientWidth && (wordWrap_ || alignment_ != taLeftJustify || justified_))
        ReformatAll();
    ClampTopLine();
    hOffset_ = 0;
    host_->ScrollRangesChanged();
    host_->InvalidateAll();
    UpdateCaret();
}

void TCodeMemo::SetTopLine(int32_t line)
{
    line = std::clamp(line, 0, std::max(LineCount() - 1, 0));
    const int32_t old = topNav_->DisplayLine();
    if (line == old)
        return;
    topNav_->SetDisplayLine(line);
    // lines from the new top to the old are needed now
    const int32_t p = topNav_->ParNb();
    if (!Par(p).Formatted)
        FormatRange(p, p);
    if (host_) {
        const int32_t d = old - topNav_->DisplayLine();
        if (std::abs(d) <= visibleLines_)
            host_->ScrollRows(d);
        else
            host_->InvalidateAll();
        host_->ScrollRangesChanged();
        UpdateCaret();
    }
    if (OnVScroll)
        OnVScroll(this);
}

void TCodeMemo::SetHOffset(int x)
{
    x = std::max(x, 0);
    if (x == hOffset_)
        return;
    hOffset_ = x;
    if (host_) {
        host_->InvalidateAll();
        host_->ScrollRangesChanged();
        UpdateCaret();
    }
}

void TCodeMemo::LoadFinished()
{
    if (!host_)
        return;
    MeasureGutter();
    ReformatAll();
    hOffset_ = 0;
    host_->ScrollRangesChanged();
    host_->InvalidateAll();
    UpdateCaret();
}

void TCodeMemo::InvalidateLines(int32_t first, int32_t last)
{
    if (!host_)
        return;
    const int32_t top = TopLine();
    if (first > last)
        std::swap(first, last);
    host_->InvalidateRows(std::max(first - top, 0), std::min(last - top, visibleLines_ + 1));
}

void TCodeMemo::ChangedRange(int32_t firstPar, int32_t lastPar)
{
    if (!host_)
        return;
    lastPar = std::min(lastPar, ParagraphCount() - 1);
    if (firstPar > lastPar)
        return;
    InvalidateLines(ParFirstLine(firstPar), ParFirstLine(lastPar) + Par(lastPar).LineCount() - 1);
}

void TCodeMemo::ReformatAfterEdit(int32_t firstPar, int32_t lastPar, int32_t before)
{
    if (!host_)
        return;
    TSurface &canvas = host_->Canvas();
    const int width = TextAreaWidth();
    const int32_t oldWidest = widest_;
    const int32_t top = TopLine();
    int32_t delta = 0;
    int32_t running = ParFirstLine(firstPar);
    for (int32_t p = firstPar; p <= lastPar; ++p) {
        store_.SetFirstLine(p, running);
        const bool visible = running >= top && running < top + visibleLines_ + 1;
        if (p == firstPar || updateMode_ == umImmediate || visible) {
            FormatOne(p, canvas, width, delta);
        } else {
            Par(p).Formatted = 0;
        }
        running += Par(p).LineCount();
    }
    FinishFormat(firstPar, lastPar, delta, oldWidest);
    if (updateMode_ == umBackground) {
        for (int32_t p = firstPar; p <= lastPar; ++p)
            if (!Par(p).Formatted) {
                nextToFormat_ = std::min(nextToFormat_, p);
                lastToFormat_ = std::max(lastToFormat_, lastPar);
                if (!backgroundRunning_)
                    host_->PostBackgroundStep();
                break;
            }
    }
    if (LineCount() != before) {
        ClampTopLine();
        host_->ScrollRangesChanged();
        // down to the window's bottom, wherever the top stands now: while the first
        // paragraph was being laid out again the top's line could read short
        InvalidateLines(ParFirstLine(firstPar), LineCount() + visibleLines_);
    } else {
        ChangedRange(firstPar, lastPar);
        if (widest_ != oldWidest)
            host_->ScrollRangesChanged();
    }
}

} // namespace quenvel
