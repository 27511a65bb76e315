// The mouse: selecting, dragging with auto-scroll, double-click words, keyword cursors
// and the context event; focus.
#include "CodeMemo.h"

#include <algorithm>
#include <cstdlib>

namespace quenvel {

namespace {

// Milliseconds between auto-scroll steps; speed 0, just past the edge, is the slowest.
int AutoScrollWait(int speed)
{
    static const int waits[] = {500, 360, 216, 130, 78, 48, 30};
    return speed <= 7 ? waits[std::max(speed, 1) - 1] : 0;
}

// The style of the character at a navigator: marks that start there count.
TDynStyle StyleUnder(TCodeNavigator &h)
{
    TDynStyle dyn = h.CurrentDynStyle();
    const TParagraphRec *par = h.Par();
    for (int32_t o = h.TextOffset(); o < par->ByteSize() && par->Text[o] == scMark; o += kMarkSize)
        dyn = ReadMark(par->Text + o);
    return dyn;
}

} // namespace

void TCodeMemo::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == mbLeft && !DisplayOnly && host_) {
        if (!hoverNav_)
            hoverNav_ = std::make_unique<TCodeNavigator>(this);
        pressPos_ = hoverNav_->Pos();
        buttonDown_ = true;
        if (doubleClick_)
            return;
        gutterPress_ = x < gutterW_ && ParagraphCount() > 0;
        if (gutterPress_) {
            // the whole line; with Shift, every line from the selection's far end to it
            const int32_t row = YToLine(std::max(y, 0));
            TCodeNavigator &W = work_->move;
            W.Assign(*caretNav_);
            if (row < LineCount() - TopLine())
                W.SetDisplayLine(row + TopLine());
            else
                W.SetPos(TextLength());
            const int32_t far = selLength_ == 0 ? caretNav_->ParNb()
                                : (caretNav_ == selStartNav_ ? selStopNav_ : selStartNav_)->ParNb();
            gutterAnchor_ = (shift & ssShift) ? far : W.ParNb();
            SelectParagraphs(gutterAnchor_, W.ParNb());
            if (OnMouseDown)
                OnMouseDown(this, button, shift, x, y);
            return;
        }
        if (!(shift & ssShift))
            SetSelLength(0);
        TCodeNavigator &c = *caretNav_;
        const int32_t oldPos = c.Pos();
        const int32_t oldLine = c.DisplayLine();
        TCodeNavigator &W = work_->move;
        W.Assign(c);
        const int32_t row = YToLine(std::max(y, 0));
        if (row < LineCount() - TopLine()) {
            W.SetDisplayLine(row + TopLine());
            KeepX(W, x);
        } else {
            W.Invalidate();
            W.SetPos(TextLength());
        }
        ApplyMove(W, shift, oldPos, oldLine);
        UpdateCaret();
    }
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TCodeMemo::MouseMove(TShiftState shift, int x, int y)
{
    if (host_) {
        if (!hoverNav_)
            hoverNav_ = std::make_unique<TCodeNavigator>(this);
        // what lies under the mouse
        TCodeNavigator &h = *hoverNav_;
        const int32_t line = std::max(YToLine(y) + TopLine(), 0);
        if (y >= LineToY(LineCount() - TopLine())) {
            h.Invalidate();
            h.SetPos(TextLength());
        } else {
            h.SetDisplayLine(std::min(line, LineCount() - 1));
            const int32_t p = h.ParNb();
            if (!Par(p).Formatted) {
                FormatRange(p, p);
                h.SetDisplayLine(std::min(line, LineCount() - 1));
            }
            h.SetColumn(ColumnAtX(h.ParNb(), h.LineInPar(), true, x));
        }
        const TDynStyle dyn = StyleUnder(h);
        if (dyn.IsDynamic() && dyn.Cursor != 0) {
            cursorOverridden_ = true;
            if (OnCursor)
                OnCursor(dyn.Cursor);
        } else if (cursorOverridden_) {
            cursorOverridden_ = false;
            if (OnCursor)
                OnCursor(0);
        }
        // dragging
        if (buttonDown_ && !doubleClick_ && !DisplayOnly) {
            if (YToLine(y) + TopLine() >= LineCount())
                y = LineToY(LineCount() - TopLine()) - 1;
            const int clientH = host_->ClientHeight();
            if (y >= -(lineHeight_ / 2) && y <= clientH) {
                if (autoScrolling_) {
                    autoScrolling_ = false;
                    if (OnAutoScroll)
                        OnAutoScroll(0);
                }
            } else {
                autoUp_ = y < 0;
                // below, counted from the window's edge: just past it is the slowest speed
                // however much of a line the window's height leaves over
                autoSpeed_ = autoUp_ ? std::abs(y) / 4 : (y - clientH) / 4;
                autoScrolling_ = true;
                if (OnAutoScroll)
                    OnAutoScroll(std::max(AutoScrollWait(autoSpeed_), 1));
            }
            if (y < 0) {
                y = 0;
                x = 0;
            } else if (visibleLines_ > 0 && y >= LineToY(visibleLines_)) {
                // below the window the selection ends on the last whole line; the
                // auto-scroll brings the next lines up one at a time
                y = LineToY(visibleLines_) - 1;
            }
            TCodeNavigator &c = *caretNav_;
            const int32_t oldPos = c.Pos();
            const int32_t oldLine = c.DisplayLine();
            TCodeNavigator &W = work_->move;
            int32_t row = YToLine(y) + TopLine();
            W.Assign(c);
            if (row >= LineCount()) {
                row = LineCount() - 1;
                x = host_->ClientWidth();
            }
            W.SetDisplayLine(row);
            if (gutterPress_) {
                // dragging from the gutter selects whole lines
                SelectParagraphs(gutterAnchor_, W.ParNb());
                ScrollInView();
                if (OnMouseMove)
                    OnMouseMove(this, shift, x, y);
                return;
            }
            KeepX(W, x);
            if (W.Pos() != oldPos) {
                ApplyMove(W, ssShift, oldPos, oldLine);
                UpdateCaret();
                InvalidateLines(oldLine, caretNav_->DisplayLine());
            }
            ScrollInView();
        }
    }
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TCodeMemo::AutoScrollTick()
{
    if (!autoScrolling_ || !host_)
        return;
    const int32_t top = TopLine();
    if (autoUp_ && top > 0)
        SetTopLine(top - 1);
    else if (!autoUp_ && top < LineCount() - visibleLines_)
        SetTopLine(top + 1);
    // the pointer stays where it was: the same speed comes out again
    const int clientH = host_->ClientHeight();
    MouseMove(0, 0, autoUp_ ? -std::max(autoSpeed_ * 4, lineHeight_ / 2 + 1) : clientH + std::max(autoSpeed_ * 4, 1));
    // one line per picture: the fastest speed waits for the repaint
    host_->UpdateNow();
}

void TCodeMemo::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    const bool wasDouble = doubleClick_;
    buttonDown_ = false;
    doubleClick_ = false;
    if (autoScrolling_) {
        autoScrolling_ = false;
        if (OnAutoScroll)
            OnAutoScroll(0);
    }
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
    if (button != mbLeft || wasDouble || !hoverNav_ || hoverNav_->Pos() != pressPos_ || !OnContext)
        return;
    TCodeNavigator &h = *hoverNav_;
    const TDynStyle dyn = StyleUnder(h);
    if (!dyn.IsDynamic() || dyn.Context == 0)
        return;
    TCodeNavigator a(this), b(this);
    a.Assign(h);
    b.Assign(h);
    // the run's opening mark at or before the position, its closing mark after
    {
        const TParagraphRec *par = a.Par();
        int32_t o = a.TextOffset();
        bool markHere = o < par->ByteSize() && par->Text[o] == scMark;
        if (markHere) {
            // the opening mark stands right here: skip past it for the closing search
            b.SetPos(b.Pos() + 1 <= TextLength() ? b.Pos() + 1 : b.Pos());
        } else {
            a.FindPrevMark();
        }
    }
    b.FindNextMark();
    OnContext(this, dyn.Context, a.Pos(), b.Pos());
}

void TCodeMemo::DblClick()
{
    if (DisplayOnly || gutterPress_)
        return;
    doubleClick_ = true;
    TCodeNavigator &c = *caretNav_;
    const int32_t p = c.ParNb();
    const std::string text = ParagraphText(p);
    const int32_t start = ParStart(p);
    int32_t i = std::min(c.ParOffset(), static_cast<int32_t>(text.size()));
    auto ch = [&](int32_t k) { return static_cast<uint8_t>(text[static_cast<size_t>(k)]); };
    while (i > 0 && i < static_cast<int32_t>(text.size()) && (ch(i) == ' ' || ch(i) <= 26))
        --i;
    while (i > 0 && ch(i - 1) != '\t' && ch(i - 1) != ' ')
        --i;
    int32_t e = i;
    while (e < static_cast<int32_t>(text.size()) && ch(e) != '\t' && ch(e) != ' ')
        ++e;
    while (e < static_cast<int32_t>(text.size()) && (ch(e) == '\t' || ch(e) == ' '))
        ++e;
    SetSelLength(0);
    SetSelStart(start + e);
    SetSelLength(-(e - i));
    UpdateCaret();
    if (OnDblClick)
        OnDblClick(this);
}

void TCodeMemo::FocusChanged(bool focused)
{
    if (hideSelection_ && selLength_ != 0)
        InvalidateLines(selStartNav_->DisplayLine(), selStopNav_->DisplayLine());
    const TNotifyEvent &e = focused ? OnEnter : OnExit;
    if (e)
        e(this);
}

} // namespace quenvel
