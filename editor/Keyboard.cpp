// Key commands: moving, selecting, deleting and typing.
#include "CodeMemo.h"

#include <algorithm>

namespace quenvel {

namespace {

constexpr int32_t kEndOfLineColumn = 2147483547;

} // namespace

void TCodeMemo::KeepX(TCodeNavigator &nav, int x)
{
    const int32_t p = nav.ParNb();
    if (!host_) {
        nav.SetColumn(0);
        return;
    }
    if (!Par(p).Formatted) {
        const int32_t line = nav.DisplayLine();
        FormatRange(p, p);
        nav.SetDisplayLine(line);
    }
    nav.SetColumn(ColumnAtX(nav.ParNb(), nav.LineInPar(), false, x));
}

void TCodeMemo::ApplyMove(TCodeNavigator &to, TShiftState shift, int32_t oldPos, int32_t oldLine)
{
    if (shift & ssShift) {
        selLength_ += oldPos - to.Pos();
        TCodeNavigator w(this);
        w.Assign(to);
        if (selLength_ < 0) {
            selStartNav_->Invalidate();
            selStartNav_->SetPos(w.Pos() + selLength_);
            selStopNav_->Assign(w);
            caretNav_ = selStopNav_;
        } else {
            selStartNav_->Assign(w);
            selStopNav_->Invalidate();
            selStopNav_->SetPos(w.Pos() + selLength_);
            caretNav_ = selStartNav_;
        }
        InvalidateLines(caretNav_->DisplayLine(), oldLine);
    } else {
        if (selLength_ != 0)
            InvalidateLines(selStartNav_->DisplayLine(), selStopNav_->DisplayLine());
        selLength_ = 0;
        TCodeNavigator w(this);
        w.Assign(to);
        selStartNav_->Assign(w);
        selStopNav_->Assign(w);
        caretNav_ = selStartNav_;
    }
}

void TCodeMemo::KeyDown(uint16_t &key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
    if (key == 0)
        return;
    const bool ctrl = shift & ssCtrl;

    if (DisplayOnly) {
        if (key < 33 || key > 40)
            return;
        const int32_t lastTop = std::max(LineCount() - visibleLines_, 0);
        const int lastOffset = std::max(widest_ - (host_ ? host_->ClientWidth() : 0) + rightMargin_, 0);
        const int unit = std::max(1, spaceWidth_);
        const int32_t top = TopLine();
        switch (key) {
        case 33: SetTopLine(ctrl ? 0 : std::max(top - 1, 0)); break;
        case 34: SetTopLine(ctrl ? lastTop : std::min(top + 1, lastTop)); break;
        case 35: SetHOffset(lastOffset); break;
        case 36: SetHOffset(0); break;
        case 37: SetHOffset(std::max(hOffset_ - unit, 0)); break;
        case 38: SetTopLine(std::max(top - 1, 0)); break;
        case 39: SetHOffset(std::min(hOffset_ + unit, lastOffset)); break;
        case 40: SetTopLine(std::min(top + 1, lastTop)); break;
        }
        key = 0;
        return;
    }

    // hot keys
    if (ctrl) {
        lastReportedPos_ = caretNav_->Pos();
        lastReportedStyle_ = caretNav_->EffectiveStyle();
        if (!ReadOnly && EnableHotKeys) {
            bool hot = true;
            switch (key) {
            case 'B': SetBold(); break;
            case 'I': SetItalic(); break;
            case 'U': SetUnderline(); break;
            case 'H': SetHighlight(); break;
            case 'F': SetAltFont(); break;
            case 'T': SetSelTextBuf("\t"); break;
            case 'P': SetSelTextBuf("\r\n\x10\r\n"); break;
            default: hot = false;
            }
            if (hot) {
                key = 0;
                return;
            }
        }
    }
    // the keys the control handles itself
    if (key >= 48)
        return;
    const uint16_t original = key;
    key = 0;
    TCodeNavigator &c = *caretNav_;
    {
        const int32_t p = c.ParNb();
        FormatRange(p, p);
    }
    const int32_t oldPos = c.Pos();
    const int x = caretX_;
    const int32_t oldLine = c.DisplayLine();
    TCodeNavigator &W = *work_[7];
    W.Assign(c);
    bool move = false;

    auto isCode = [&](int32_t pos) { return pos < TextLength() && IsStyleCode(CharAt(pos)); };
    auto at = [&](int32_t pos) { return CharAt(pos); };

    switch (original) {
    case 8: // Backspace
        if (ReadOnly)
            break;
        if (selLength_ != 0) {
            ClearSelection();
        } else if (c.ParOffset() == 0) {
            if (oldPos > 0) {
                SetSelLength(-2);
                ClearSelection();
            }
        } else {
            SetSelLength(-1);
            // take the style codes between the nearest character and the caret
            while (selStartNav_->Pos() > 0 && isCode(selStartNav_->Pos())) {
                const int32_t s = selStartNav_->Pos();
                const int32_t step = selStartNav_->ParOffset() == 0 ? 2 : 1;
                SetSelLength(selLength_ - std::min(step, s));
            }
            ClearSelection();
        }
        break;
    case 9: // Tab
        if (shift & ssAlt) {
            key = 9;
            return;
        }
        if (!ReadOnly)
            SetSelTextBuf("\t");
        break;
    case 33: { // Page Up
        const int32_t cp = c.ParNb();
        FormatRange(std::max(cp - visibleLines_ + 1, 0), cp);
        W.SetDisplayLine(std::max(c.DisplayLine() - visibleLines_ + 1, 0));
        KeepX(W, x);
        move = true;
        break;
    }
    case 34: { // Page Down
        const int32_t cp = c.ParNb();
        FormatRange(cp, std::min(cp + visibleLines_ - 1, ParagraphCount() - 1));
        W.SetDisplayLine(std::min(c.DisplayLine() + visibleLines_ - 1, LineCount() - 1));
        KeepX(W, x);
        move = true;
        break;
    }
    case 35: // End
        if (ctrl)
            W.SetPos(TextLength());
        else
            W.SetColumn(kEndOfLineColumn);
        move = true;
        break;
    case 36: // Home
        if (ctrl) {
            W.Invalidate();
            W.SetPos(0);
        } else {
            W.SetDisplayLine(c.DisplayLine());
        }
        move = true;
        break;
    case 37: { // Left
        move = true;
        int32_t p = oldPos;
        if (p == 0) {
            if (OnKeyDown) {
                uint16_t again = original;
                OnKeyDown(this, again, shift);
            }
            break;
        }
        if (!ctrl) {
            p -= (p >= 2 && at(p - 2) == 13 && at(p - 1) == 10) ? 2 : 1;
            if (PassOverCodes)
                while (p > 0 && isCode(p))
                    --p;
            // never between the two positions of a break
            if (p > 0 && at(p) == 10 && at(p - 1) == 13)
                --p;
        } else {
            while (p > 0 && at(p - 1) <= 32)
                --p;
            while (p > 0 && at(p - 1) != ' ' && at(p - 1) != 13 && at(p - 1) != 10)
                --p;
            while (p < TextLength() && at(p) <= 26)
                ++p;
        }
        W.Invalidate();
        W.SetPos(p);
        break;
    }
    case 38: // Up
        if (c.DisplayLine() == 0) {
            if (OnKeyDown) {
                uint16_t again = original;
                OnKeyDown(this, again, shift);
            }
            break;
        }
        if (c.LineInPar() == 0 && c.ParNb() > 0)
            FormatRange(c.ParNb() - 1, c.ParNb() - 1);
        W.SetDisplayLine(c.DisplayLine() - 1);
        KeepX(W, x);
        move = true;
        break;
    case 39: { // Right
        move = true;
        int32_t p = oldPos;
        if (!ctrl) {
            if (p < TextLength()) {
                if (PassOverCodes)
                    while (p < TextLength() && isCode(p))
                        ++p;
                if (p < TextLength())
                    p += at(p) == 13 ? 2 : 1;
            }
        } else {
            while (p < TextLength() && at(p) >= 33)
                ++p;
            while (p < TextLength() && at(p) <= 32)
                ++p;
        }
        W.Invalidate();
        W.SetPos(std::min(p, TextLength()));
        break;
    }
    case 40: // Down
        if (c.DisplayLine() >= LineCount() - 1)
            break;
        if (c.LineInPar() == c.Par()->Lines->Count() - 1 && c.ParNb() + 1 < ParagraphCount())
            FormatRange(c.ParNb() + 1, c.ParNb() + 1);
        W.SetDisplayLine(c.DisplayLine() + 1);
        KeepX(W, x);
        move = true;
        break;
    case 45: // Insert
        if ((shift & ssShift) && !ReadOnly)
            PasteFromClipboard();
        else if (ctrl)
            CopyToClipboard();
        break;
    case 46: { // Delete
        if (ReadOnly)
            break;
        if (shift & ssShift) {
            if (selLength_ != 0) {
                CutToClipboard();
            } else {
                SetSelLength(c.ParOffset() == 0 ? -2 : -1);
                ClearSelection();
            }
            break;
        }
        if (ctrl && selStartNav_->DisplayLine() == selStopNav_->DisplayLine()) {
            TCodeNavigator e(this);
            e.Assign(*selStartNav_);
            e.SetColumn(kEndOfLineColumn);
            const int32_t s = selStartNav_->Pos();
            SetSelLength(0);
            SetSelStart(s);
            SetSelLength(e.Pos() - s);
            ClearSelection();
            break;
        }
        if (selLength_ != 0) {
            ClearSelection();
            break;
        }
        const TParagraphRec *par = c.Par();
        if (c.ParOffset() < par->Length) {
            int32_t n = 0;
            while (oldPos + n < TextLength() && isCode(oldPos + n))
                ++n;
            TCodeNavigator e(this);
            e.SetPos(oldPos + n);
            n += e.ParOffset() >= e.Par()->Length ? 2 : 1;
            SetSelLength(std::min(n, TextLength() - oldPos));
        } else {
            SetSelLength(2);
        }
        ClearSelection();
        break;
    }
    default:
        key = original; // for KeyPress (Enter, Escape, Space ...)
        return;
    }
    // the move, with or without Shift
    if (move)
        ApplyMove(W, shift, oldPos, oldLine);
    // the caret on screen and in view
    UpdateCaret();
    ScrollInView();
    if (host_)
        host_->UpdateNow();
}

void TCodeMemo::KeyPress(char &ch, bool autoRepeat)
{
    if (OnKeyPress)
        OnKeyPress(this, ch);
    const uint8_t c = static_cast<uint8_t>(ch);
    if (c == 0)
        return;
    if (ReadOnly && c != 3)
        return;
    if (DisplayOnly)
        return;
    if (c < 27) {
        switch (c) {
        case 3: CopyToClipboard(); break;
        case 5:
            if (host_)
                host_->InvalidateAll();
            break;
        case 13: SetSelTextBuf("\r\n"); break;
        case 22: PasteFromClipboard(); break;
        case 24: CutToClipboard(); break;
        case 26: Undo(); break;
        default: break;
        }
    } else {
        const char text[2] = {static_cast<char>(c), 0};
        SetSelTextBuf(text);
    }
    if (keyReleased_ && !autoRepeat)
        keyReleased_ = false;
    else if (host_)
        host_->UpdateNow();
}

void TCodeMemo::KeyUp(uint16_t &key, TShiftState shift)
{
    keyReleased_ = true;
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

} // namespace quenvel
