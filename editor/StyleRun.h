// Walking a display line's bytes with the style in force: codes toggle, marks replace the
// dynamic style, and the font on the canvas follows.
#pragma once

#include "CodeMemo.h"

namespace quenvel {

inline int SpaceWidthOf(TSurface &c)
{
    static const uint8_t sp = ' ';
    const int w = c.TextWidth(&sp, 1);
    return w > 0 ? w : 1;
}

// How a justified line widens its spaces: each by `extra`, and one pixel more whenever the
// accumulator, raised by `remainder` per space, reaches the space count.
// Layout, hit testing and painting all widen spaces through Space().
struct TJustify {
    bool stretched = false;
    int extra = 0, remainder = 0, acc = 0, count = 1;
    TJustify(bool justified, const TLineRec &rec, int room)
    {
        stretched = justified && rec.JustifyFrom < rec.EndByte && rec.SpaceCount >= 1;
        if (stretched) {
            room -= rec.Width;
            count = rec.SpaceCount;
            extra = room / rec.SpaceCount;
            remainder = room % rec.SpaceCount;
            acc = remainder / 2;
        }
    }
    bool Stretches(const TLineRec &rec, int32_t o) const { return stretched && o >= rec.JustifyFrom; }
    // The width of the next stretched space.
    int Space(int spaceW)
    {
        int w = spaceW + extra;
        acc += remainder;
        if (acc >= count) {
            ++w;
            acc -= count;
        }
        return w;
    }
};

// Applies the code or the mark at t[at] to the style in force and steps over it.
inline void StepOverStyle(const uint8_t *t, int32_t &at, uint16_t &style, TDynStyle &dyn)
{
    if (t[at] == scMark) {
        dyn = ReadMark(t + at);
        at += kMarkSize;
    } else {
        style ^= StyleCodeBit(t[at]);
        ++at;
    }
}

struct TStyleRun {
    TCodeMemo &memo;
    TSurface &canvas;
    uint16_t style;
    TDynStyle dyn;
    uint8_t eff;
    int spaceW;
    // Normally a new font is selected whenever the effective bits change; when painting,
    // a change of the highlight bit alone changes only colours and keeps the font.
    bool colourOnlyHighlight;

    TStyleRun(TCodeMemo &m, TSurface &c, uint16_t s, const TDynStyle &d, bool selectFont = true,
              bool highlightKeepsFont = false)
        : memo(m), canvas(c), style(s), dyn(d), eff(m.EffectiveBits(s, d)), spaceW(1),
          colourOnlyHighlight(highlightKeepsFont)
    {
        if (selectFont)
            memo.SelectStyleFont(canvas, eff);
        spaceW = SpaceWidthOf(canvas);
    }

    // Applies the code or the mark at t[at] and steps over it.
    void Apply(const uint8_t *t, int32_t &at)
    {
        StepOverStyle(t, at, style, dyn);
        const uint8_t e = memo.EffectiveBits(style, dyn);
        const uint8_t mask = colourOnlyHighlight ? static_cast<uint8_t>(~fsHighlight) : 0xFF;
        if ((e & mask) != (eff & mask)) {
            memo.SelectStyleFont(canvas, e);
            spaceW = SpaceWidthOf(canvas);
        }
        eff = e;
    }

    // Back to a remembered style (the font follows).
    void Reset(uint16_t s, const TDynStyle &d)
    {
        style = s;
        dyn = d;
        const uint8_t e = memo.EffectiveBits(s, d);
        if (e != eff) {
            eff = e;
            memo.SelectStyleFont(canvas, eff);
            spaceW = SpaceWidthOf(canvas);
        }
    }
};

} // namespace quenvel
