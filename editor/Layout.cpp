// Breaking paragraphs into display lines, and when that work is done.
#include "CodeMemo.h"
#include "StyleRun.h"

#include <algorithm>
#include <cstring>

namespace quenvel {

uint8_t TCodeMemo::EffectiveBits(uint16_t running, const TDynStyle &dyn) const
{
    if (dyn.StyleBits & fsDynamic)
        return dyn.StyleBits & 63;
    return static_cast<uint8_t>(((running & 15) ^ (font_.Style & 15)) | (running & 48));
}

void TCodeMemo::SelectStyleFont(TSurface &canvas, uint8_t effective)
{
    canvas.SelectFont((effective & fsAltFont) ? altFont_ : font_, effective & 15);
}

int TCodeMemo::AvailableWidth(int width) const
{
    int w;
    if (printTarget_ && printIndent_ >= 0)
        w = width - leftMargin_ - rightMargin_ - printIndent_;
    else if (wordWrap_ || alignment_ != taLeftJustify)
        w = width - leftMargin_ - rightMargin_;
    else
        w = 32767 - width - rightMargin_;
    return std::max(w, lineHeight_);
}

namespace {

int NextTab(int x, int tabStops, int spaceWidth)
{
    const int stop = std::max(1, tabStops * spaceWidth);
    return (x / stop + 1) * stop;
}

} // namespace

const int *TCodeMemo::StyleByteWidths(TSurface &canvas, uint8_t effective)
{
    if (!widthCache_)
        widthCache_ = std::make_unique<TWidthCache>();
    TWidthCache &c = *widthCache_;
    if (c.surface != canvas.Identity()) {
        c.surface = canvas.Identity();
        c.additive = true;
        std::fill(std::begin(c.known), std::end(c.known), false);
    }
    effective &= 63;
    if (!c.additive)
        return nullptr;
    if (!c.known[effective]) {
        SelectStyleFont(canvas, effective);
        const int *w = canvas.ByteWidths();
        // the table must say what measuring each byte on its own says
        for (int b = 0; w && b < 256; ++b) {
            const uint8_t byte = static_cast<uint8_t>(b);
            if (w[b] != canvas.TextWidth(&byte, 1))
                w = nullptr;
        }
        if (!w) {
            c.additive = false;
            return nullptr;
        }
        std::copy(w, w + 256, c.widths[effective]);
        c.known[effective] = true;
    }
    return c.widths[effective];
}

namespace {

// Measuring a line's text through the canvas, the font following the style.
struct TCanvasStyleRun : TStyleRun {
    using TStyleRun::TStyleRun;
    bool failed = false;
    int Width(const uint8_t *t, int n) { return canvas.TextWidth(t, n); }
    // The width of the characters from t[o] up to a code, a tab or a space; o moves past them.
    int Characters(const uint8_t *t, int32_t &o, int32_t end)
    {
        int32_t r = o;
        while (r < end && t[r] > 26 && t[r] != ' ')
            ++r;
        const int w = canvas.TextWidth(t + o, r - o);
        o = r;
        return w;
    }
};

// The same walk over the styles, measuring with the byte widths the memo keeps for each
// style's font: no font is selected on the canvas style by style. `failed` says that some
// style's widths could not be had; what was measured then is of no use.
struct TCachedStyleRun {
    TCodeMemo &memo;
    TSurface &canvas;
    uint16_t style;
    TDynStyle dyn;
    uint8_t eff;
    int spaceW = 1;
    const int *widths = nullptr;
    bool failed = false;

    TCachedStyleRun(TCodeMemo &m, TSurface &c, uint16_t s, const TDynStyle &d)
        : memo(m), canvas(c), style(s), dyn(d), eff(m.EffectiveBits(s, d))
    {
        Use(eff);
    }
    void Use(uint8_t e)
    {
        static const int none[256] = {};
        eff = e;
        widths = memo.StyleByteWidths(canvas, e);
        if (!widths) {
            failed = true;
            widths = none;
        }
        spaceW = widths[' '] > 0 ? widths[' '] : 1;
    }
    void Apply(const uint8_t *t, int32_t &at)
    {
        StepOverStyle(t, at, style, dyn);
        const uint8_t e = memo.EffectiveBits(style, dyn);
        if (e != eff)
            Use(e);
    }
    void Reset(uint16_t s, const TDynStyle &d)
    {
        style = s;
        dyn = d;
        const uint8_t e = memo.EffectiveBits(s, d);
        if (e != eff)
            Use(e);
    }
    int Width(const uint8_t *t, int n) const
    {
        int w = 0;
        for (int i = 0; i < n; ++i)
            w += widths[t[i]];
        return w;
    }
    int Characters(const uint8_t *t, int32_t &o, int32_t end) const
    {
        int w = 0;
        for (; o < end && t[o] > 26 && t[o] != ' '; ++o)
            w += widths[t[o]];
        return w;
    }
};

// Breaks a paragraph's bytes into display lines, from a line's start to the paragraph's end,
// walking the styles with a style run that measures them; the lines go to `made`.
template <class Run>
class TLineBreaker
{
public:
    TLineBreaker(Run &st, const uint8_t *t, int32_t end, int avail, int tabStops, std::vector<TLineRec> &made,
                 int32_t &widest)
        : st_(st), t_(t), end_(end), avail_(avail), tabStops_(tabStops), made_(made), widest_(widest)
    {
    }

    void Break(int32_t from)
    {
        made_.clear();
        cur_ = TLineRec{};
        cur_.StartByte = from;
        cur_.Style = st_.style;
        cur_.DynStyle = st_.dyn;
        justifyFrom_ = from;
        o_ = from;
        for (;;) {
            const int xBeforeWs = x_;
            const int wsSpaces = SkipWhitespace();
            const int32_t wordStart = o_;
            const uint16_t styleAtWord = st_.style;
            const TDynStyle dynAtWord = st_.dyn;
            const int wordW = MeasureWord();
            x_ += wordW;
            if (x_ <= avail_ || wordStart >= end_) {
                if (o_ >= end_)
                    break;
                continue;
            }
            if (wordStart > cur_.StartByte && xBeforeWs > 0) {
                WrapBefore(wordStart, xBeforeWs, wsSpaces, styleAtWord, dynAtWord);
                x_ = wordW;
                if (wordW <= avail_)
                    continue;
                // too wide for a line of its own: broken inside
            }
            BreakInsideWord(wordStart, wordW, styleAtWord, dynAtWord);
            if (o_ >= end_)
                break;
        }
        EndLastLine();
    }

private:
    bool AtBlank() const { return t_[o_] == ' ' || t_[o_] == '\t'; }

    // The whitespace before a word; returns the spaces after its last tab.
    int SkipWhitespace()
    {
        int wsSpaces = 0;
        while (o_ < end_ && AtBlank()) {
            if (t_[o_] == ' ') {
                x_ += st_.spaceW;
                ++spaces_;
                ++wsSpaces;
            } else {
                x_ = NextTab(x_, tabStops_, st_.spaceW);
                spaces_ = 0;
                wsSpaces = 0;
                justifyFrom_ = o_;
            }
            ++o_;
        }
        return wsSpaces;
    }

    int MeasureWord()
    {
        int w = 0;
        while (o_ < end_ && !AtBlank()) {
            if (t_[o_] > 26)
                w += st_.Characters(t_, o_, end_);
            else
                st_.Apply(t_, o_);
        }
        return w;
    }

    // The word goes to the next line; its whitespace stays at the end of this one.
    void WrapBefore(int32_t wordStart, int xBeforeWs, int wsSpaces, uint16_t styleAtWord, const TDynStyle &dynAtWord)
    {
        const uint16_t style = st_.style;
        const TDynStyle dyn = st_.dyn;
        st_.style = styleAtWord;
        st_.dyn = dynAtWord;
        EndLine(wordStart, xBeforeWs, spaces_ - wsSpaces, justifyFrom_);
        st_.style = style;
        st_.dyn = dyn;
        spaces_ = 0;
        justifyFrom_ = wordStart;
    }

    // A word that starts its line and does not fit: at least one character per line.
    void BreakInsideWord(int32_t wordStart, int wordW, uint16_t styleAtWord, const TDynStyle &dynAtWord)
    {
        o_ = wordStart;
        st_.Reset(styleAtWord, dynAtWord);
        int w = x_ - wordW; // what precedes the word on this line
        for (;;) {
            bool any = false;
            while (o_ < end_ && !AtBlank() && w < avail_) {
                if (t_[o_] > 26) {
                    w += st_.Width(t_ + o_, 1);
                    ++o_;
                    any = true;
                } else {
                    st_.Apply(t_, o_);
                }
            }
            if (o_ >= end_ || AtBlank())
                break; // the rest of the word fits
            if (!any) {
                // nothing taken yet: take one character (with the codes before it)
                while (o_ < end_ && t_[o_] <= 26 && t_[o_] != '\t')
                    st_.Apply(t_, o_);
                if (o_ < end_ && !AtBlank()) {
                    w += st_.Width(t_ + o_, 1);
                    ++o_;
                }
                if (o_ >= end_ || AtBlank())
                    break;
            }
            EndLine(o_, w, 0, o_);
            spaces_ = 0;
            justifyFrom_ = o_;
            w = 0;
        }
        x_ = w;
    }

    void EndLine(int32_t at, int w, int spaces, int32_t justifyFrom)
    {
        cur_.EndByte = at;
        cur_.Width = w;
        cur_.SpaceCount = std::max(spaces, 0);
        cur_.JustifyFrom = justifyFrom;
        widest_ = std::max(widest_, w);
        made_.push_back(cur_);
        cur_ = TLineRec{};
        cur_.StartByte = at;
        cur_.Style = st_.style;
        cur_.DynStyle = st_.dyn;
    }

    // The last line, measured without one trailing run of spaces.
    void EndLastLine()
    {
        int lastW = x_;
        if (end_ > cur_.StartByte && t_[end_ - 1] == ' ') {
            int32_t q = end_;
            int n = 0;
            while (q > cur_.StartByte && t_[q - 1] == ' ') {
                --q;
                ++n;
            }
            lastW = std::max(0, x_ - n * st_.spaceW);
        }
        EndLine(end_, lastW, 0, end_);
    }

    Run &st_;
    const uint8_t *t_;
    const int32_t end_;
    const int avail_;
    const int tabStops_;
    std::vector<TLineRec> &made_;
    int32_t &widest_;
    TLineRec cur_{};
    int x_ = 0;
    int spaces_ = 0;
    int32_t justifyFrom_ = 0;
    int32_t o_ = 0;
};

} // namespace

int32_t TCodeMemo::FormatParagraph(int32_t pi, int32_t fromLine, TSurface &canvas, int width, bool selectFont)
{
    EnsureParsed(pi, true);
    TParagraphRec &par = Par(pi);
    par.Formatted = 1;
    TLL &lines = par.Lines();
    fromLine = std::clamp(fromLine, 0, lines.Count() - 1);
    const TLineRec &from = lines.At(fromLine);
    const uint8_t *t = par.Text;
    const int32_t end = par.ByteSize();
    const int avail = AvailableWidth(width);

    const int32_t oldCount = lines.Count();
    std::vector<TLineRec> &made = layoutLines_;

    // With the widths of each style's font at hand, the canvas is left in the font the
    // paragraph ends in, as measuring through it leaves it.
    bool measured = false;
    if (selectFont) {
        const int32_t widestBefore = widest_;
        TCachedStyleRun st(*this, canvas, from.Style, from.DynStyle);
        if (!st.failed) {
            TLineBreaker<TCachedStyleRun>(st, t, end, avail, tabStops_, made, widest_).Break(from.StartByte);
            measured = !st.failed;
            if (measured)
                SelectStyleFont(canvas, st.eff);
            else
                widest_ = widestBefore;
        }
    }
    if (!measured) {
        TCanvasStyleRun st(*this, canvas, from.Style, from.DynStyle, selectFont);
        TLineBreaker<TCanvasStyleRun>(st, t, end, avail, tabStops_, made, widest_).Break(from.StartByte);
    }

    if (fromLine == 0 && made.size() == 1 && IsPlainLine(made[0], end)) {
        // one line as a paragraph without records has it: they are given back
        par.LoadStyle = static_cast<uint8_t>(made[0].Style);
        delete par.LineRecs;
        par.LineRecs = nullptr;
        store_.AddLines(1 - oldCount);
        return ParFirstLine(pi);
    }
    lines.SetCount(fromLine + static_cast<int32_t>(made.size()));
    for (size_t k = 0; k < made.size(); ++k)
        lines.At(fromLine + static_cast<int32_t>(k)) = made[k];
    if (lines.Capacity() > lines.Count() + 8)
        lines.SetCapacity(lines.Count());
    store_.AddLines(lines.Count() - oldCount);
    return ParFirstLine(pi) + lines.Count() - 1;
}

bool TCodeMemo::IsPlainLine(const TLineRec &line, int32_t end) const
{
    // its width is read only to align it right or centred, or to stretch it (a paragraph's
    // last line never stretches)
    return alignment_ == taLeftJustify && line.StartByte == 0 && line.EndByte == end && line.SpaceCount == 0 &&
           line.Style <= UINT8_MAX && line.DynStyle == TDynStyle{};
}

void TCodeMemo::FormatOne(int32_t p, TSurface &canvas, int width, int32_t &delta)
{
    const int32_t before = Par(p).LineCount();
    FormatParagraph(p, 0, canvas, width, true);
    delta += Par(p).LineCount() - before;
}

void TCodeMemo::FinishFormat(int32_t first, int32_t last, int32_t delta, int32_t oldWidest)
{
    store_.DropLinesIn(first, last);
    if (delta != 0) {
        store_.ShiftFirstLines(last + 1, delta);
        ++linesMoved_;
    }
    if (host_ && (delta != 0 || widest_ != oldWidest))
        host_->ScrollRangesChanged();
}

void TCodeMemo::FormatRange(int32_t first, int32_t last)
{
    if (first >= ParagraphCount() || (!host_ && !printTarget_))
        return;
    last = std::min(last, ParagraphCount() - 1);
    first = std::max(first, 0);
    TSurface &canvas = printTarget_ ? *printTarget_ : host_->Canvas();
    const int width = printTarget_ ? printWidth_ : TextAreaWidth();
    const int32_t oldWidest = widest_;
    formatting_ = true;
    int32_t delta = 0;
    int32_t running = ParFirstLine(first);
    bool reported = false;
    for (int32_t p = first; p <= last; ++p) {
        store_.SetFirstLine(p, running);
        if (OnProgress && TickCount() - lastFormatProgress_ > 500) {
            progress_ = static_cast<int>(static_cast<int64_t>(p) * 100 / ParagraphCount());
            OnProgress(this);
            lastFormatProgress_ = TickCount();
            reported = true;
        }
        if (!Par(p).Formatted)
            FormatOne(p, canvas, width, delta);
        running += Par(p).LineCount();
    }
    FormattingDone();
    if (reported && !(lastToFormat_ >= 0 && nextToFormat_ <= lastToFormat_)) {
        // a job that said how far it had come also says that it is done (unless the
        // background layout goes on, which says so when it ends)
        progress_ = 100;
        OnProgress(this);
    }
    SelectStyleFont(canvas, EffectiveBits(0, NoDynStyle()));
    FinishFormat(first, last, delta, oldWidest);
}

void TCodeMemo::FormattingDone()
{
    formatting_ = false;
    if (paintRefused_ && host_) {
        paintRefused_ = false;
        host_->InvalidateAll();
    }
}

void TCodeMemo::ReformatAll()
{
    widest_ = 0;
    for (int32_t p = 0; p < ParagraphCount(); ++p)
        Par(p).Formatted = 0;
    nextToFormat_ = 0;
    lastToFormat_ = ParagraphCount() - 1;
    if (printTarget_) {
        FormatRange(0, ParagraphCount() - 1);
        return;
    }
    if (!host_)
        return;
    switch (updateMode_) {
    case umImmediate:
        FormatRange(0, ParagraphCount() - 1);
        nextToFormat_ = ParagraphCount();
        lastToFormat_ = -1;
        break;
    case umOnNeed:
        break;
    case umBackground:
        if (!backgroundRunning_)
            host_->PostBackgroundStep();
        break;
    }
}

void TCodeMemo::BackgroundStep()
{
    if (updateMode_ != umBackground || !host_)
        return;
    if (nextToFormat_ >= ParagraphCount()) {
        backgroundRunning_ = false;
        return;
    }
    if (!backgroundRunning_) {
        progressBase_ = nextToFormat_;
        backgroundRunning_ = true;
    }
    TSurface &canvas = host_->Canvas();
    const int width = TextAreaWidth();
    const int32_t oldWidest = widest_;
    const int32_t first = nextToFormat_;
    const uint32_t start = TickCount();
    int32_t delta = 0;
    formatting_ = true;
    int32_t running = ParFirstLine(first);
    uint32_t now = start;
    while (nextToFormat_ < ParagraphCount() && nextToFormat_ <= lastToFormat_ && (now = TickCount()) - start < 25) {
        // a small batch between clock readings (the progress report reads the batch's one)
        for (int k = 0; k < 64 && nextToFormat_ < ParagraphCount() && nextToFormat_ <= lastToFormat_; ++k) {
            const int32_t p = nextToFormat_;
            store_.SetFirstLine(p, running);
            if (OnProgress && now - lastFormatProgress_ > 500) {
                const int32_t base = progressBase_ == lastToFormat_ ? progressBase_ - 1 : progressBase_;
                progress_ = static_cast<int>(static_cast<int64_t>(p - base) * 100 / std::max(1, lastToFormat_ - base));
                OnProgress(this);
                lastFormatProgress_ = now = TickCount();
            }
            if (!Par(p).Formatted)
                FormatOne(p, canvas, width, delta);
            running += Par(p).LineCount();
            ++nextToFormat_;
        }
    }
    FormattingDone();
    FinishFormat(first, nextToFormat_ - 1, delta, oldWidest);
    if (delta != 0) {
        // lines came or went: the caret's line may stand on another row now
        host_->InvalidateAll();
        UpdateCaret();
    }
    if (nextToFormat_ > lastToFormat_ || nextToFormat_ >= ParagraphCount()) {
        backgroundRunning_ = false;
        lastToFormat_ = -1;
        nextToFormat_ = ParagraphCount();
        if (OnProgress) {
            progress_ = 100;
            OnProgress(this);
        }
    } else if (!host_->Terminating()) {
        host_->PostBackgroundStep();
    }
}

int TCodeMemo::XAtColumn(int32_t pi, int32_t line, int32_t column)
{
    TParagraphRec &par = Par(pi);
    const TLineRec &rec = par.Lines().At(line);
    TSurface &canvas = printTarget_ ? *printTarget_ : host_->Canvas();
    const int clientW = printTarget_ ? printWidth_ : TextAreaWidth();
    const uint8_t *t = par.Text;
    // the end of the measured text, marks taking no column
    int32_t stop = rec.StartByte;
    for (int32_t c = 0; stop < rec.EndByte && c < column;) {
        if (t[stop] == scMark) {
            stop += kMarkSize;
        } else {
            ++stop;
            ++c;
        }
    }
    TStyleRun st(*this, canvas, rec.Style, rec.DynStyle);
    const int &spaceW = st.spaceW;
    TJustify j(justified_, rec, clientW - leftMargin_ - rightMargin_);
    const bool stretched = j.stretched;
    int x = 0;
    for (int32_t o = rec.StartByte; o < stop;) {
        const uint8_t b = t[o];
        if (b == '\t') {
            x = NextTab(x, tabStops_, spaceW);
            ++o;
        } else if (b == ' ' && stretched && o >= rec.JustifyFrom) {
            x += j.Space(spaceW);
            ++o;
        } else if (b > 26) {
            int32_t r = o;
            while (r < stop && t[r] > 26 && t[r] != '\t' && !(stretched && t[r] == ' ' && r >= rec.JustifyFrom))
                ++r;
            x += canvas.TextWidth(t + o, r - o);
            o = r;
        } else {
            st.Apply(t, o);
        }
    }
    return (printTarget_ ? 0 : gutterW_) + LineOrigin(rec, clientW, stretched) - hOffset_ + x;
}

int TCodeMemo::LineOrigin(const TLineRec &rec, int clientW, bool stretched) const
{
    if (!stretched && alignment_ == taRightJustify)
        return clientW - rightMargin_ - rec.Width;
    if (!stretched && alignment_ == taCenter)
        return (clientW - leftMargin_ - rightMargin_ - rec.Width) / 2 + leftMargin_;
    return leftMargin_;
}

int32_t TCodeMemo::ColumnAtX(int32_t pi, int32_t line, bool exact, int x)
{
    TParagraphRec &par = Par(pi);
    const TLineRec &rec = par.Lines().At(line);
    TSurface &canvas = printTarget_ ? *printTarget_ : host_->Canvas();
    const int clientW = printTarget_ ? printWidth_ : TextAreaWidth();
    const uint8_t *t = par.Text;
    TJustify j(justified_, rec, clientW - leftMargin_ - rightMargin_);
    const bool stretched = j.stretched;
    const int target = x + hOffset_ - LineOrigin(rec, clientW, stretched) - (printTarget_ ? 0 : gutterW_);
    TStyleRun st(*this, canvas, rec.Style, rec.DynStyle);
    const int &spaceW = st.spaceW;
    int cx = 0;
    int32_t col = 0;
    for (int32_t o = rec.StartByte; o < rec.EndByte;) {
        const uint8_t b = t[o];
        if (b == scMark) {
            st.Apply(t, o);
        } else {
            int w = 0;
            if (b == '\t') {
                w = NextTab(cx, tabStops_, spaceW) - cx;
            } else if (b == ' ' && stretched && o >= rec.JustifyFrom) {
                w = j.Space(spaceW);
            } else if (b > 26) {
                w = canvas.TextWidth(t + o, 1);
            }
            if (cx + w / 2 > target) {
                if (exact && target < cx && col > 0)
                    return col - 1;
                return col;
            }
            cx += w;
            ++col;
            if (b <= 26 && b != '\t')
                st.Apply(t, o); // a code: a column of no width
            else
                ++o;
        }
    }
    return col;
}

} // namespace quenvel
