// The control's public editing, search and clipboard operations.
#include "CodeMemo.h"

#include <algorithm>
#include <cstring>

namespace quenvel {

void TCodeMemo::SetFont(const TFontDesc &f)
{
    font_ = f;
    if (widthCache_)
        widthCache_->surface = 0;
    FontChanged();
}

std::vector<int> TCodeMemo::UpperHalfWidths(bool altFontUsed)
{
    std::vector<int> widths;
    if (!host_)
        return widths;
    TSurface &canvas = host_->Canvas();
    widths.reserve(8 * 128);
    for (const int bits : {0, int(fsAltFont)}) {
        if (bits && !altFontUsed)
            break;
        for (const int style : {0, int(fsBold), int(fsItalic), fsBold | fsItalic}) {
            SelectStyleFont(canvas, static_cast<uint8_t>(bits | style));
            for (int c = 128; c < 256; ++c) {
                const uint8_t b = static_cast<uint8_t>(c);
                widths.push_back(canvas.TextWidth(&b, 1));
            }
        }
    }
    SelectStyleFont(canvas, EffectiveBits(0, NoDynStyle())); // the text's own font again
    return widths;
}

void TCodeMemo::SetCodePage(TCodePage cp)
{
    if (cp == CodePage)
        return;
    // the second font counts only where a code switches to it (a byte 4 anywhere, a mark's
    // included, is taken for one)
    bool altFontUsed = false;
    for (int32_t p = 0, n = host_ ? ParagraphCount() : 0; p < n && !altFontUsed; ++p)
        altFontUsed = std::memchr(Par(p).Text, scAltFont, static_cast<size_t>(Par(p).ByteSize())) != nullptr;
    const std::vector<int> before = UpperHalfWidths(altFontUsed);
    CodePage = cp;
    if (host_)
        host_->CodePageChanged();
    if (widthCache_)
        widthCache_->surface = 0;
    // the upper half's glyphs are the new code page's: the text is laid out again only when
    // that changes a width (never in a fixed-pitch font), else it is only painted again
    if (UpperHalfWidths(altFontUsed) != before)
        FontChanged();
    else if (host_)
        host_->InvalidateAll();
}

void TCodeMemo::SetAltFont(const TFontDesc &f)
{
    altFont_ = f;
    if (widthCache_)
        widthCache_->surface = 0;
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
    // lines aligned otherwise than left need their widths, which left-aligned lines may not keep
    const bool relayout = a != taLeftJustify || (!wordWrap_ && alignment_ != taLeftJustify);
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
    UpdateCaret();
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
    TUndoGroup group(history_);
    noScroll_ = true;
    while (ParagraphCount() <= i) {
        SetSelLength(0);
        SetSelStart(TextLength());
        SetSelTextBuf("\r\n");
    }
    const int32_t before = TextLength();
    SetSelLength(0);
    SetSelStart(ParagraphStart(i));
    SetSelLength(Par(i).Length);
    SetSelTextBuf(s.c_str());
    noScroll_ = false;
    if (caretLater)
        caret += TextLength() - before;
    SetSelLength(0);
    SetSelStart(std::clamp(caret, 0, TextLength()));
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
    // The same highlighting and layout as reloading the text would give, done in place:
    // every mark goes, every paragraph is parsed and laid out again, and the text, its
    // positions, the modified state and undo stay as they are.
    const bool regionsLazy = StartStopActive && RegionsStayInParagraph();
    store_.StripAll(regionsLazy);
    selLength_ = 0;
    WholeTextReplaced(regionsLazy);
    const bool mod = modified_;
    LoadFinished();
    Change();
    modified_ = mod;
}

namespace {

// First occurrence of key in text[from, n) (last one starting before `before` when
// searching up); key already upper-cased when case is ignored.
int32_t Search(const uint8_t *text, int32_t n, const std::string &key, bool matchCase, bool down, int32_t from,
               int32_t before)
{
    const int32_t k = static_cast<int32_t>(key.size());
    const uint8_t *kp = reinterpret_cast<const uint8_t *>(key.data());
    auto eq = [&](int32_t at) {
        if (matchCase)
            return std::memcmp(text + at, kp, static_cast<size_t>(k)) == 0;
        for (int32_t j = 0; j < k; ++j)
            if (UpperAscii(text[at + j]) != kp[j])
                return false;
        return true;
    };
    if (down) {
        const uint8_t first = kp[0];
        const uint8_t lower = (first >= 'A' && first <= 'Z' && !matchCase) ? static_cast<uint8_t>(first + 32) : first;
        for (int32_t at = from; at + k <= n; ++at) {
            // skip to the next possible first character
            const uint8_t *a = static_cast<const uint8_t *>(std::memchr(text + at, first, static_cast<size_t>(n - at)));
            const uint8_t *b = lower != first
                                   ? static_cast<const uint8_t *>(std::memchr(text + at, lower, static_cast<size_t>(n - at)))
                                   : nullptr;
            const uint8_t *c = !a ? b : !b ? a : std::min(a, b);
            if (!c)
                return -1;
            at = static_cast<int32_t>(c - text);
            if (at + k > n)
                return -1;
            if (eq(at))
                return at;
        }
        return -1;
    }
    for (int32_t at = std::min(before - 1, n - k); at >= 0; --at)
        if (eq(at))
            return at;
    return -1;
}

} // namespace

namespace {

// The key as the search compares it: upper-cased unless case matters.
std::string SearchKey(const std::string &what, bool matchCase)
{
    std::string key = what;
    if (!matchCase)
        for (auto &c : key)
            c = static_cast<char>(UpperAscii(static_cast<uint8_t>(c)));
    return key;
}

// Like Search, skipping occurrences that touch a word character at either end when only
// whole words count.
int32_t SearchWord(const uint8_t *text, int32_t n, const std::string &key, bool matchCase, bool wholeWord, bool down,
                   int32_t from, int32_t before)
{
    const int32_t k = static_cast<int32_t>(key.size());
    for (;;) {
        const int32_t f = Search(text, n, key, matchCase, down, from, before);
        if (f < 0 || !wholeWord || ((f == 0 || !IsWordByte(text[f - 1])) && (f + k >= n || !IsWordByte(text[f + k]))))
            return f;
        if (down)
            from = f + 1;
        else
            before = f;
    }
}

} // namespace

// A paragraph's characters without marks, for searching; a paragraph whose marks hide no
// possible first character of the key is given as empty, without a copy.
struct TCodeMemo::TSearchText {
    TCodeMemo &m;
    uint8_t k0, k0l;
    std::string scratch;
    TSearchText(TCodeMemo &memo, const std::string &key, bool matchCase) : m(memo)
    {
        k0 = static_cast<uint8_t>(key[0]);
        k0l = (!matchCase && k0 >= 'A' && k0 <= 'Z') ? static_cast<uint8_t>(k0 + 32) : k0;
    }
    const uint8_t *Chars(int32_t p, int32_t &len)
    {
        const TParagraphRec &par = m.Par(p);
        len = par.Length;
        if (par.MarkCount == 0)
            return par.Text;
        const size_t size = static_cast<size_t>(par.ByteSize());
        if (!std::memchr(par.Text, k0, size) && (k0l == k0 || !std::memchr(par.Text, k0l, size))) {
            len = 0;
            return par.Text;
        }
        scratch = m.ParagraphText(p);
        return reinterpret_cast<const uint8_t *>(scratch.data());
    }
};

bool TCodeMemo::FindText(const std::string &what, bool down, bool matchCase, bool wholeWord)
{
    if (what.empty())
        return false;
    const std::string key = SearchKey(what, matchCase);
    const int32_t cp = CaretPar();
    const int32_t coff = std::min(caretNav_->ParOffset(), Par(cp).Length);
    const int32_t n = static_cast<int32_t>(key.size());
    TSearchText chars(*this, key, matchCase);
    if (down) {
        for (int32_t p = cp; p < ParagraphCount(); ++p) {
            int32_t len;
            const uint8_t *t = chars.Chars(p, len);
            const int32_t f = SearchWord(t, len, key, matchCase, wholeWord, true, p == cp ? coff : 0, 0);
            if (f >= 0) {
                SetSelLength(0);
                SetSelStart(ParStart(p) + f + n);
                SetSelLength(-n);
                return true;
            }
        }
    } else {
        for (int32_t p = cp; p >= 0; --p) {
            int32_t len;
            const uint8_t *t = chars.Chars(p, len);
            const int32_t f = SearchWord(t, len, key, matchCase, wholeWord, false, 0, p == cp ? coff : len + 1);
            if (f >= 0) {
                SetSelLength(0);
                SetSelStart(ParStart(p) + f);
                SetSelLength(n);
                return true;
            }
        }
    }
    return false;
}

int32_t TCodeMemo::ReplaceAll(const std::string &find, const std::string &replacement, bool matchCase,
                              bool wholeWord)
{
    // no occurrence runs over a break
    if (find.empty() || find.find('\r') != std::string::npos)
        return 0;
    const std::string key = SearchKey(find, matchCase);
    const int32_t k = static_cast<int32_t>(key.size());
    TSearchText chars(*this, key, matchCase);
    // the caret moves with the text before it (to the end of a replacement it was in)
    int32_t caret = SelStart();
    // One replacement per paragraph, from its first occurrence to its last, last
    // paragraph first so that the numbers of those before stay. Listeners hear once, the
    // window is not scrolled to each, and it is all one undo step.
    struct TRestore {
        TCodeMemo &m;
        bool noScroll;
        ~TRestore()
        {
            m.noScroll_ = noScroll;
            m.EndUndoGroup();
            m.EndBulk();
        }
    } restore{*this, noScroll_};
    ++bulkDepth_;
    BeginUndoGroup();
    noScroll_ = true;
    int32_t count = 0;
    std::vector<int32_t> at;
    std::string span;
    // the toggle mode keeps the whole stretch from the first occurrence to the last as
    // its one change
    const bool toggle = undoMode_ == TUndoMode::Toggle;
    const std::string original = toggle ? Text() : std::string();
    int32_t first = 0, tail = 0;
    for (int32_t p = ParagraphCount() - 1; p >= 0; --p) {
        int32_t len;
        const uint8_t *t = chars.Chars(p, len);
        at.clear();
        for (int32_t from = 0;;) {
            const int32_t f = SearchWord(t, len, key, matchCase, wholeWord, true, from, 0);
            if (f < 0)
                break;
            at.push_back(f);
            from = f + k;
        }
        if (at.empty())
            continue;
        span.clear();
        for (size_t i = 0; i < at.size(); ++i) {
            if (i > 0)
                span.append(reinterpret_cast<const char *>(t) + at[i - 1] + k, static_cast<size_t>(at[i] - at[i - 1] - k));
            span += replacement;
        }
        const int32_t s = ParStart(p) + at.front();
        if (count == 0)
            tail = TextLength() - (ParStart(p) + at.back() + k);
        first = s;
        count += static_cast<int32_t>(at.size());
        const int32_t e = ParStart(p) + at.back() + k, lengthBefore = TextLength();
        SelectRange(s, e - s);
        SetSelTextBuf(span.c_str());
        const int32_t d = TextLength() - lengthBefore;
        if (caret >= e)
            caret += d;
        else if (caret > s)
            caret = e + d;
    }
    if (toggle && count > 0) {
        *undoText_ = original.substr(static_cast<size_t>(first), original.size() - static_cast<size_t>(tail + first));
        undoStart_ = first;
        undoStop_ = TextLength() - tail;
    }
    SelectRange(caret, 0);
    noScroll_ = restore.noScroll;
    if (host_ && count > 0)
        ScrollInView();
    return count;
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
    const std::string got = Clipboard->GetText();
    // Lines break where a loaded file's would: at CR LF, LF CR, CR and LF. A line feed
    // kept inside a paragraph would split it on the next save and load. A NUL would end
    // the text early.
    std::string text;
    text.reserve(got.size() + got.size() / 16);
    char pending = 0; // the break byte just seen, while it may still pair
    for (char ch : got) {
        if (ch == '\r' || ch == '\n') {
            if (pending && pending != ch) {
                pending = 0;
            } else {
                text += "\r\n";
                pending = ch;
            }
            continue;
        }
        pending = 0;
        if (ch != '\0')
            text.push_back(ch);
    }
    SetSelTextBuf(text.c_str());
}

} // namespace quenvel
