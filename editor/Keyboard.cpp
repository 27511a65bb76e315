// Key commands: moving, selecting, deleting and typing.
#include "CodeMemo.h"

#include <algorithm>

namespace quenvel {

namespace {

// A column beyond any line's end: the move stops at the end of the line.
constexpr int32_t kEndOfLineColumn = 2147483547;

bool IsCodeAt(TCodeMemo &m, int32_t p)
{
    return p < m.TextLength() && IsStyleCode(m.CharAt(p));
}

int32_t PreviousCharPos(TCodeMemo &m, int32_t p)
{
    // over a break in one step
    p -= (p >= 2 && m.CharAt(p - 2) == 13 && m.CharAt(p - 1) == 10) ? 2 : 1;
    if (m.PassOverCodes)
        while (p > 0 && IsCodeAt(m, p))
            --p;
    // never between the two positions of a break
    if (p > 0 && m.CharAt(p) == 10 && m.CharAt(p - 1) == 13)
        --p;
    return p;
}

int32_t NextCharPos(TCodeMemo &m, int32_t p)
{
    const int32_t end = m.TextLength();
    if (p >= end)
        return p;
    if (m.PassOverCodes)
        while (p < end && IsCodeAt(m, p))
            ++p;
    if (p < end)
        p += m.CharAt(p) == 13 ? 2 : 1;
    return std::min(p, end);
}

int32_t PreviousWordPos(TCodeMemo &m, int32_t p)
{
    while (p > 0 && m.CharAt(p - 1) <= 32)
        --p;
    while (p > 0 && m.CharAt(p - 1) != ' ' && m.CharAt(p - 1) != 13 && m.CharAt(p - 1) != 10)
        --p;
    while (p < m.TextLength() && m.CharAt(p) <= 26)
        ++p;
    return p;
}

int32_t NextWordPos(TCodeMemo &m, int32_t p)
{
    const int32_t end = m.TextLength();
    while (p < end && m.CharAt(p) >= 33)
        ++p;
    while (p < end && m.CharAt(p) <= 32)
        ++p;
    return p;
}

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
    BreakTyping();
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
    if (DisplayOnly) {
        if (ScrollKey(static_cast<TKey>(key), shift & ssCtrl))
            key = 0;
        return;
    }
    if (shift & ssCtrl) {
        lastReportedPos_ = caretNav_->Pos();
        lastReportedStyle_ = caretNav_->EffectiveStyle();
        if (!ReadOnly && EnableHotKeys && HotKey(key)) {
            key = 0;
            return;
        }
        // Ctrl+Shift+Z redoes (Ctrl+Z itself arrives as the character 26)
        if (!ReadOnly && undoMode_ == TUndoMode::Multi && key == 'Z' && (shift & ssShift)) {
            key = 0;
            Redo();
            return;
        }
    }
    // digits, letters and function keys are left for KeyPress
    if (key >= KeyCode(TKey::FirstCharacter))
        return;
    const uint16_t original = key;
    key = 0;
    if (!EditingKey(static_cast<TKey>(original), shift)) {
        key = original; // for KeyPress (Enter, Escape, Space ...)
        return;
    }
    // the caret on screen and in view
    UpdateCaret();
    ScrollInView();
    if (host_)
        host_->UpdateNow();
}

bool TCodeMemo::ScrollKey(TKey key, bool ctrl)
{
    // without a caret the keys scroll
    const int32_t lastTop = std::max(LineCount() - visibleLines_, 0);
    const int lastOffset = std::max(widest_ - (host_ ? TextAreaWidth() : 0) + rightMargin_, 0);
    const int unit = std::max(1, spaceWidth_);
    const int32_t top = TopLine();
    switch (key) {
    case TKey::PageUp: SetTopLine(ctrl ? 0 : std::max(top - 1, 0)); return true;
    case TKey::PageDown: SetTopLine(ctrl ? lastTop : std::min(top + 1, lastTop)); return true;
    case TKey::End: SetHOffset(lastOffset); return true;
    case TKey::Home: SetHOffset(0); return true;
    case TKey::Left: SetHOffset(std::max(hOffset_ - unit, 0)); return true;
    case TKey::Up: SetTopLine(std::max(top - 1, 0)); return true;
    case TKey::Right: SetHOffset(std::min(hOffset_ + unit, lastOffset)); return true;
    case TKey::Down: SetTopLine(std::min(top + 1, lastTop)); return true;
    default: return false;
    }
}

bool TCodeMemo::HotKey(uint16_t letter)
{
    switch (letter) {
    case 'B': SetBold(); return true;
    case 'I': SetItalic(); return true;
    case 'U': SetUnderline(); return true;
    case 'H': SetHighlight(); return true;
    case 'F': SetAltFont(); return true;
    case 'T': SetSelTextBuf("\t"); return true;
    case 'P': SetSelTextBuf("\r\n\x10\r\n"); return true; // a paragraph holding a page break
    default: return false;
    }
}

bool TCodeMemo::EditingKey(TKey key, TShiftState shift)
{
    TCodeNavigator &c = *caretNav_;
    FormatRange(c.ParNb(), c.ParNb());
    const int32_t oldPos = c.Pos();
    const int x = caretX_;
    const int32_t oldLine = c.DisplayLine();
    const bool ctrl = shift & ssCtrl;
    TCodeNavigator &W = work_->move;
    W.Assign(c);
    bool move = true;
    switch (key) {
    case TKey::Backspace: move = false; DeleteBackward(); break;
    case TKey::Tab:
        if (shift & ssAlt)
            return false; // for the window system
        move = false;
        if (!ReadOnly)
            SetSelTextBuf("\t");
        break;
    case TKey::PageUp: GotoPageUp(W, x); break;
    case TKey::PageDown: GotoPageDown(W, x); break;
    case TKey::End: GotoLineEnd(W, ctrl); break;
    case TKey::Home: GotoLineStart(W, ctrl); break;
    case TKey::Left:
        if (oldPos == 0)
            KeyDownAgain(key, shift); // nowhere to go
        else
            W.MoveTo(ctrl ? PreviousWordPos(*this, oldPos) : PreviousCharPos(*this, oldPos));
        break;
    case TKey::Up: move = GotoLineUp(W, x, key, shift); break;
    case TKey::Right: W.MoveTo(ctrl ? NextWordPos(*this, oldPos) : NextCharPos(*this, oldPos)); break;
    case TKey::Down: move = GotoLineDown(W, x); break;
    case TKey::Insert:
        move = false;
        if ((shift & ssShift) && !ReadOnly)
            PasteFromClipboard();
        else if (ctrl)
            CopyToClipboard();
        break;
    case TKey::Delete: move = false; DeleteForward(shift); break;
    default: return false;
    }
    // the move, with or without Shift
    if (move)
        ApplyMove(W, shift, oldPos, oldLine);
    return true;
}

void TCodeMemo::KeyDownAgain(TKey key, TShiftState shift)
{
    // a move at the text's bounds goes to the listener once more
    if (OnKeyDown) {
        uint16_t again = KeyCode(key);
        OnKeyDown(this, again, shift);
    }
}

void TCodeMemo::GotoPageUp(TCodeNavigator &W, int x)
{
    const int32_t cp = caretNav_->ParNb();
    FormatRange(std::max(cp - visibleLines_ + 1, 0), cp);
    W.SetDisplayLine(std::max(caretNav_->DisplayLine() - visibleLines_ + 1, 0));
    KeepX(W, x);
}

void TCodeMemo::GotoPageDown(TCodeNavigator &W, int x)
{
    const int32_t cp = caretNav_->ParNb();
    FormatRange(cp, std::min(cp + visibleLines_ - 1, ParagraphCount() - 1));
    W.SetDisplayLine(std::min(caretNav_->DisplayLine() + visibleLines_ - 1, LineCount() - 1));
    KeepX(W, x);
}

void TCodeMemo::GotoLineEnd(TCodeNavigator &W, bool ctrl)
{
    if (ctrl)
        W.SetPos(TextLength());
    else
        W.SetColumn(kEndOfLineColumn);
}

void TCodeMemo::GotoLineStart(TCodeNavigator &W, bool ctrl)
{
    if (ctrl)
        W.MoveTo(0);
    else
        W.SetDisplayLine(caretNav_->DisplayLine());
}

bool TCodeMemo::GotoLineUp(TCodeNavigator &W, int x, TKey key, TShiftState shift)
{
    TCodeNavigator &c = *caretNav_;
    if (c.DisplayLine() == 0) {
        KeyDownAgain(key, shift);
        return false;
    }
    if (c.LineInPar() == 0 && c.ParNb() > 0)
        FormatRange(c.ParNb() - 1, c.ParNb() - 1);
    W.SetDisplayLine(c.DisplayLine() - 1);
    KeepX(W, x);
    return true;
}

bool TCodeMemo::GotoLineDown(TCodeNavigator &W, int x)
{
    TCodeNavigator &c = *caretNav_;
    if (c.DisplayLine() >= LineCount() - 1)
        return false;
    if (c.LineInPar() == c.Par()->LineCount() - 1 && c.ParNb() + 1 < ParagraphCount())
        FormatRange(c.ParNb() + 1, c.ParNb() + 1);
    W.SetDisplayLine(c.DisplayLine() + 1);
    KeepX(W, x);
    return true;
}

void TCodeMemo::DeleteBackward()
{
    if (ReadOnly)
        return;
    if (selLength_ != 0) {
        ClearSelection();
        return;
    }
    if (caretNav_->ParOffset() == 0) {
        // the break before the paragraph
        if (caretNav_->Pos() > 0) {
            SetSelLength(-2);
            ClearSelection();
        }
        return;
    }
    keepRun_ = true;
    SetSelLength(-1);
    // the nearest character with the style codes between it and the caret
    while (selStartNav_->Pos() > 0 && IsCodeAt(*this, selStartNav_->Pos())) {
        const int32_t s = selStartNav_->Pos();
        const int32_t step = selStartNav_->ParOffset() == 0 ? 2 : 1;
        SetSelLength(selLength_ - std::min(step, s));
    }
    DeleteSelectedByKey(selLength_, TUndoHistory::ukBackspace);
}

void TCodeMemo::DeleteSelectedByKey(int32_t length, TUndoHistory::TKind kind)
{
    keepRun_ = true;
    SetSelLength(length);
    keepRun_ = false;
    editKind_ = kind;
    ClearSelection();
}

void TCodeMemo::DeleteForward(TShiftState shift)
{
    if (ReadOnly)
        return;
    TCodeNavigator &c = *caretNav_;
    if (shift & ssShift) {
        if (selLength_ != 0) {
            CutToClipboard();
        } else {
            SetSelLength(c.ParOffset() == 0 ? -2 : -1);
            ClearSelection();
        }
        return;
    }
    if ((shift & ssCtrl) && selStartNav_->DisplayLine() == selStopNav_->DisplayLine()) {
        // to the end of the display line
        TCodeNavigator e(this);
        e.Assign(*selStartNav_);
        e.SetColumn(kEndOfLineColumn);
        const int32_t s = selStartNav_->Pos();
        SetSelLength(0);
        SetSelStart(s);
        SetSelLength(e.Pos() - s);
        ClearSelection();
        return;
    }
    if (selLength_ != 0) {
        ClearSelection();
        return;
    }
    const int32_t pos = c.Pos();
    if (c.ParOffset() < c.Par()->Length) {
        // the next character with the style codes before it, or the break
        int32_t n = 0;
        while (IsCodeAt(*this, pos + n))
            ++n;
        TCodeNavigator e(this);
        e.SetPos(pos + n);
        n += e.ParOffset() >= e.Par()->Length ? 2 : 1;
        DeleteSelectedByKey(std::min(n, TextLength() - pos), TUndoHistory::ukDelete);
    } else {
        DeleteSelectedByKey(2, TUndoHistory::ukDelete);
    }
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
        case 13:
            editKind_ = TUndoHistory::ukTyped;
            SetSelTextBuf("\r\n");
            break;
        case 22: PasteFromClipboard(); break;
        case 24: CutToClipboard(); break;
        case 25: Redo(); break;
        case 26: Undo(); break;
        default: break;
        }
    } else {
        const char text[2] = {static_cast<char>(c), 0};
        editKind_ = TUndoHistory::ukTyped;
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
