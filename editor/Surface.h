// Measuring and drawing on one device: the window, an image, or a printer page.
#pragma once

#include "TextStore.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace quenvel {

struct TFontDesc {
    std::string Name = "MS Sans Serif";
    int Size = 8;      // points
    uint8_t Style = 0; // fsBold | fsItalic | fsUnderline | fsStrikeOut
    TColor Color = clBlack;
    int Pitch = 0; // 0 default, 1 fixed, 2 variable
};

struct TTextMetrics {
    int Height = 0; // cell height
    int Ascent = 0;
    int Descent = 0;
    int InternalLeading = 0;
};

class TSurface
{
public:
    TSurface() : identity_(NewIdentity()) {}
    // A copy, or a surface given another's state, measures as a surface of its own.
    TSurface(const TSurface &) : identity_(NewIdentity()) {}
    TSurface &operator=(const TSurface &)
    {
        identity_ = NewIdentity();
        return *this;
    }
    virtual ~TSurface() = default;
    // Tells this surface from any other, and from what stood at its address before.
    uint64_t Identity() const { return identity_; }
    // Selects a font: the face and size of `font` with the style bits given
    // (bold, italic, underline, strike-out).
    virtual void SelectFont(const TFontDesc &font, uint8_t style) = 0;
    // Width in pixels of bytes of 8-bit text in the selected font.
    virtual int TextWidth(const uint8_t *text, int n) = 0;
    // The width of each of the 256 bytes in the selected font, from a surface whose
    // TextWidth is always the sum of its bytes' widths and whose fonts, once selected,
    // keep their widths; null from any other surface.
    virtual const int *ByteWidths() { return nullptr; }
    virtual TTextMetrics Metrics() = 0;
    // Draws text with its baseline at y; back < 0 draws transparently. Returns the advance.
    virtual int TextOut(int x, int baseline, const uint8_t *text, int n, TColor fore, TColor back) = 0;
    // Several texts in one colour, each at its own place, drawn transparently: what TextOut
    // does for each, in one go on a surface that can.
    struct TTextAt {
        int x, baseline;
        const uint8_t *text;
        int n;
    };
    virtual void TextOuts(const TTextAt *texts, int count, TColor fore)
    {
        for (int i = 0; i < count; ++i)
            TextOut(texts[i].x, texts[i].baseline, texts[i].text, texts[i].n, fore, -1);
    }
    virtual void FillRect(int x, int y, int w, int h, TColor color) = 0;
    virtual void InvertRect(int x, int y, int w, int h) = 0;
    // Limits drawing to a rectangle (w < 0: no limit).
    virtual void SetClip(int x, int y, int w, int h) = 0;

private:
    static uint64_t NewIdentity()
    {
        static std::atomic<uint64_t> next{0};
        return ++next;
    }
    uint64_t identity_;
};

} // namespace quenvel
