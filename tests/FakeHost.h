// A window for the control with fixed metrics: every byte is 8 pixels wide (bold 9),
// so layout can be tested exactly without a display.
#pragma once

#include "editor/CodeMemo.h"

#include <vector>

namespace quenvel::test {

class TFixedSurface : public TSurface
{
public:
    uint8_t style = 0;
    void SelectFont(const TFontDesc &, uint8_t s) override { style = s; }
    int CharWidth(uint8_t b) const { return b < 32 ? 0 : (style & fsBold) ? 9 : 8; }
    int TextWidth(const uint8_t *t, int n) override
    {
        int w = 0;
        for (int i = 0; i < n; ++i)
            w += CharWidth(t[i]);
        return w;
    }
    TTextMetrics Metrics() override { return TTextMetrics{13, 10, 3, 0}; }
    int TextOut(int, int, const uint8_t *t, int n, TColor, TColor) override { return TextWidth(t, n); }
    void FillRect(int, int, int, int, TColor) override {}
    void InvertRect(int, int, int, int) override {}
    void SetClip(int, int, int, int) override {}
};

class TFakeHost : public TMemoHost
{
public:
    TFixedSurface surface;
    int width = 400, height = 140;
    int posted = 0;
    TSurface &Canvas() override { return surface; }
    int ClientWidth() override { return width; }
    int ClientHeight() override { return height; }
    bool Focused() override { return true; }
    void InvalidateAll() override {}
    void InvalidateRows(int, int) override {}
    void ScrollRows(int) override {}
    void ScrollRangesChanged() override {}
    void CaretChanged() override {}
    void PostBackgroundStep() override { ++posted; }
    void ProcessMessages() override {}
};

} // namespace quenvel::test
