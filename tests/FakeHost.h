// A fixed-metrics window for the control: bytes 8 pixels wide (bold 9), rows 14 high; no display needed.
#pragma once

#include "app/document/Document.h"
#include "editor/CodeMemo.h"
#include "opl/OplKeywords.h"
#include "opl/OplSetup.h"
#include "tests/TestUtil.h"

#include <cctype>
#include <memory>
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
    int width = 400, height = 140; // ten rows
    int posted = 0, updates = 0;
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
    void UpdateNow() override { ++updates; }
};

struct TFakeClipboard : TClipboard {
    std::string text;
    bool HasText() override { return !text.empty(); }
    std::string GetText() override { return text; }
    void SetText(const std::string &b) override { text = b; }
};

// The control on the fake host, set up as the main window's pane, input delivered as the window delivers it.
struct TFakeRig {
    TFakeHost host;
    TFakeClipboard clipboard;
    std::unique_ptr<TKeywordList> table;
    TCodeMemo memo;
    struct TPt { int x, y; };

    TFakeRig()
    {
        ConfigureEditorLikeMainWindow(memo);
        memo.SetUpdateMode(umImmediate);
        RegisterOplSpans(memo);
        ApplyOplDialect(memo, TDialect::Siena, table);
        memo.Clipboard = &clipboard;
        memo.SetHost(&host);
    }
    ~TFakeRig() { memo.SetHost(nullptr); }
    void Load(const std::string &text) { LoadString(memo, text); }
    void Select(int32_t pos, int32_t len = 0) { test::Select(memo, pos, pos + len); }
    std::string State() { return test::State(memo); }
    int32_t CaretLine() { return memo.CaretNav().DisplayLine(); }
    int32_t CaretColumn() { return memo.CaretNav().Column(); }

    // KeyDown, then the character the key types (ch < 0: none) unless the control took it.
    void Key(uint16_t key, TShiftState shift = 0, int ch = -1)
    {
        memo.KeyDown(key, shift);
        if (char c = static_cast<char>(ch); key != 0 && ch >= 0)
            memo.KeyPress(c);
    }
    void Key(TKey k, TShiftState shift = 0) { Key(KeyCode(k), shift, k == TKey::Enter || k == TKey::Backspace || k == TKey::Tab ? KeyCode(k) : -1); }
    void Ctrl(char letter, TShiftState shift = ssCtrl) { Key(static_cast<uint16_t>(letter), shift, letter - 'A' + 1); }
    void Type(const std::string &s)
    {
        for (char c : s) {
            const auto u = static_cast<unsigned char>(c);
            Key(c == '\r' ? 13 : std::isalnum(u) ? std::toupper(u) : c == ' ' ? 32 : 255, 0, u);
        }
    }

    // The middle of display line `line`'s row, at the left edge of a column.
    TPt At(int32_t line, int32_t column)
    {
        TCodeNavigator w(&memo);
        w.SetDisplayLine(line);
        return {memo.XAtColumn(w.ParNb(), w.LineInPar(), column), memo.LineToY(line - memo.TopLine()) + memo.RowHeight() / 2};
    }
    void Hover(TPt p) { memo.MouseMove(0, p.x, p.y); }
    void Press(TPt p, TShiftState s = 0)
    {
        memo.MouseMove(s, p.x, p.y);
        memo.MouseDown(mbLeft, s, p.x, p.y);
    }
    void Drag(TPt p) { memo.MouseMove(0, p.x, p.y); }
    void Release(TPt p, TShiftState s = 0) { memo.MouseUp(mbLeft, s, p.x, p.y); }
    void Click(TPt p, TShiftState s = 0) { Press(p, s), Release(p, s); }
    void DoubleClick(TPt p) // as the window system orders it
    {
        Click(p);
        memo.DblClick();
        Release(p);
    }
};

} // namespace quenvel::test
