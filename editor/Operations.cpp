// The control's public editing, search and clipboard operations.
#include "CodeMemo.h"

#include <algorithm>
#include <cstring>

namespace quenvel {

void TCodeMemo::SetFont(const TFontDesc &f)
{
    font_ = f;
    FontChanged();
}

void TCodeMemo::SetAltFont(const TFontDesc &f)
{
    altFont_ = f;
    AltFontChanged();
}

void TCodeMemo::SetColor(TColor c)
{
    if (c != color_) {
        color_ = c;
        AppearanceChanged(false);
    }
}

void TCodeMemo::SetHighlightColor(TColor c)
{
    if (c != highlightColor_) {
        highlightColor_ = c;
        AppearanceChanged(false);
    }
}

void TCodeMemo::SetHighlightBackgnd(TColor c)
{
    if (c != highlightBackgnd_) {
        highlightBackgnd_ = c;
        AppearanceChanged(false);
    }
}

void TCodeMemo::SetHideSelection(bool on)
{
    if (on != hideSelection_) {
        hideSelection_ = on;
        AppearanceChanged(false);
    }
}

void TCodeMemo::SetAlignment(TAlignment a)
{
    if (a == alignment_)
        return;
    const bool relayout = !wordWrap_ && (a != taLeftJustify || alignment_ != taLeftJustify);
    alignment_ = a;
    if (relayout)
        LayoutChanged();
    else
        AppearanceChanged(true);
}

void TCodeMemo::SetJustified(bool on)
{
    if (on != justified_) {
        justified_ = on;
        AppearanceChanged(true);
    }
}

void TCodeMemo::SetUpdateMode(TUpdateMode m)
{
    if (m != updateMode_) {
        updateMode_ = m;
        UpdateModeChanged();
    }
}

void TCodeMemo::SetLeftMargin(int v)
{
    if (v != leftMargin_) {
        leftMargin_ = v;
        LayoutChanged();
    }
}

void TCodeMemo::SetRightMargin(int v)
{
    if (v != rightMargin_) {
        rightMargin_ = v;
        LayoutChanged();
    }
}

void TCodeMemo::SetTabStops(int v)
{
    if (v != tabStops_ && v > 0) {
        tabStops_ = v;
        LayoutChanged();
    }
}

void TCodeMemo::SetWordWrap(bool on)
{
    if (on != wordWrap_) {
        wordWrap_ = on;
        LayoutChanged();
    }
}

void TCodeMemo::SetSelLine(int32_t line)
{
    TCodeNavigator nav(this);
    nav.Assign(*caretNav_);
    nav.SetDisplayLine(line);
    SetSelStart(nav.Pos());
}

void TCodeMemo::SetSelCol(int32_t col)
{
    const int32_t len = selLength_;
    SetSelLength(0);
    selStartNav_->SetColumn(col);
    selStopNav_->Assign(*selStartNav_);
    caretNav_ = selStartNav_;
    SetSelLength(len);
}

void TCodeMemo::SetParagraphText(int32_t i, const std::string &s)
{
    if (i < 0)
        return;
    if (CaretPar() == i) {
        SetSelLength(0);
        SetSelStart(ParagraphStart(i));
    }
    int32_t caret = SelStart();
    const int32_t len = selLength_;
    const bool caretHere = CaretPar() == i;
    const bool caretLater = CaretPar() > i;
    noScroll_ = true;
    while (ParagraphCount() <= i) {
        SetSelLength(0);
        SetSelStart(textLength_);
        SetSelTextBuf("\r\n");
    }
    const int32_t before = textLength_;
    SetSelLength(0);
    SetSelStart(ParagraphStart(i));
    SetSelLength(Par(i).Length);
    SetSelTextBuf(s.c_str());
    noScroll_ = false;
    if (caretLater)
        caret += textLength_ - before;
    SetSelLength(0);
    SetSelStart(std::clamp(caret, 0, textLength_));
    if (!caretHere)
        SetSelLength(len);
}

void TCodeMemo::WrapSelection(uint8_t code)
{
    const int32_t len = selLength_;
    std::string text = SelText();
    if (text.size() >= 2147483545u)
        return;
    const int32_t s = selStartNav_->Pos();
    text = std::string(1, static_cast<char>(code)) + text + std::string(1, static_cast<char>(code));
    compensate_ = false;
    try {
        SetSelTextBuf(text.c_str());
    } catch (...) {
        compensate_ = true;
        throw;
    }
    compensate_ = true;
    const int32_t n = static_cast<int32_t>(text.size());
    if (len == 0) {
        SetSelStart(s + 1);
    } else if (len > 0) {
        SetSelStart(s);
        SetSelLength(n);
    } else {
        SetSelStart(s + n);
        SetSelLength(-n);
    }
}

void TCodeMemo::ReApplyKeywords()
{
    const bool mod = modified_;
    TMemoryStream s;
    SaveToStream(s);
    s.SetPosition(0);
    LoadFromStream(s);
    modified_ = mod;
}

bool TCodeMemo::FindText(const std::string &what, bool down, bool matchCase)
{
    if (what.empty())
        return false;
    auto fold = [&](std::string t) {
        if (!matchCase)
            for (auto &c : t)
                c = static_cast<char>(UpperAscii(static_cast<uint8_t>(c)));
        return t;
    };
    const std::string key = fold(what);
    const int32_t cp = CaretPar();
    const int32_t coff = std::min(caretNav_->ParOffset(), Par(cp).Length);
    const int32_t n = static_cast<int32_t>(key.size());
    if (down) {
        for (int32_t p = cp; p < ParagraphCount(); ++p) {
            const std::string t = fold(ParagraphText(p));
            size_t f = t.find(key, p == cp ? static_cast<size_t>(coff) : 0);
            if (f != std::string::npos) {
                SetSelLength(0);
                SetSelStart(Par(p).Start + static_cast<int32_t>(f) + n);
                SetSelLength(-n);
                return true;
            }
        }
    } else {
        for (int32_t p = cp; p >= 0; --p) {
            const std::string t = fold(ParagraphText(p));
            size_t f;
            if (p == cp) {
                if (coff == 0)
                    continue;
                f = t.rfind(key, static_cast<size_t>(coff - 1));
            } else {
                f = t.rfind(key);
            }
            if (f != std::string::npos) {
                SetSelLength(0);
                SetSelStart(Par(p).Start + static_cast<int32_t>(f));
                SetSelLength(n);
                return true;
            }
        }
    }
    return false;
}

void TCodeMemo::CopyToClipboard()
{
    if (!Clipboard || selLength_ == 0)
        return;
    // the whole selection: a cut must never delete what the clipboard did not get
    Clipboard->SetText(SelText());
}

void TCodeMemo::CutToClipboard()
{
    if (!Clipboard || selLength_ == 0)
        return;
    CopyToClipboard();
    SetSelTextBuf("");
}

void TCodeMemo::PasteFromClipboard()
{
    if (!Clipboard || !Clipboard->HasText())
        return;
    std::string text = Clipboard->GetText();
    // a NUL would end the text early
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    SetSelTextBuf(text.c_str());
}

} // namespace quenvel
