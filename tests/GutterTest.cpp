// The line-number gutter on the fixed-metrics window (text 8 pixels right of its area).
#include "FakeHost.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

using namespace quenvel;
using namespace quenvel::test;

namespace {

// Keeps what is painted, in order: texts with their style and colour, and fills.
struct TDrawn {
    bool fill;
    int x, y, w, h;
    std::string text;
    uint8_t style;
    TColor fore;
};
struct TRecordingSurface : TFixedSurface {
    std::vector<TDrawn> ops;
    int TextOut(int x, int baseline, const uint8_t *t, int n, TColor fore, TColor) override
    {
        ops.push_back({false, x, baseline - 10, TextWidth(t, n), 14, std::string(t, t + n), style, fore});
        return TextWidth(t, n);
    }
    void FillRect(int x, int y, int w, int h, TColor) override { ops.push_back({true, x, y, w, h, {}, 0, 0}); }
};
struct TGutterRig {
    struct THost : TFakeHost {
        TRecordingSurface rec;
        TSurface &Canvas() override { return rec; }
    } host;
    TCodeMemo memo;
    TGutterRig(int width, const std::string &text)
    {
        host.width = width;
        host.height = 400;
        memo.SetLineNumbers(true);
        memo.SetHost(&host);
        LoadString(memo, text);
    }
    ~TGutterRig() { memo.SetHost(nullptr); }
    // What painting the window draws on a row (or over it), in order.
    std::vector<TDrawn> Row(int row)
    {
        host.rec.ops.clear();
        memo.PaintRows(host.rec, 0, 20);
        std::vector<TDrawn> v;
        for (const TDrawn &d : host.rec.ops)
            if (d.y <= row * 14 && row * 14 < d.y + d.h)
                v.push_back(d);
        return v;
    }
    int FirstTextX(int row)
    {
        for (const TDrawn &d : Row(row))
            if (!d.fill)
                return d.x;
        return -1;
    }
    void Click(int x, int row, TShiftState shift = 0)
    {
        memo.MouseDown(mbLeft, shift, x, row * 14 + 3);
        memo.MouseUp(mbLeft, shift, x, row * 14 + 3);
    }
};

} // namespace

TEST(Gutter, NumbersFileLinesRightAlignedTheCaretsInBold)
{
    // one digit: 18 pixels (a bold digit and half of one either side); the text wraps in
    // 110 - 18 - 16 = 76 pixels: "aaaa bbbb" fits
    TGutterRig g(110, "aaaa bbbb cccc\r\nx\r\ny");
    EXPECT_EQ(std::to_string(g.memo.GutterWidth()) + g.memo.LineText(1), "18cccc");
    // row, number ("" on a continuation line), its x, whether bold
    const std::tuple<int, std::string, int, bool> cases[] = {
        {0, "1", 14 - 9, true}, {1, "", 0, false}, {2, "2", 14 - 8, false}, {3, "3", 14 - 8, false}};
    for (const auto &[r, number, x, bold] : cases) {
        const std::vector<TDrawn> row = g.Row(r);
        ASSERT_FALSE(row.empty());
        EXPECT_EQ(g.FirstTextX(r), 26) << "the text starts right of the gutter";
        const TDrawn &last = row.back();
        if (number.empty())
            EXPECT_EQ(last.x, 26) << "no number on row " << r;
        else
            EXPECT_EQ(std::make_tuple(last.text, last.x, (last.style & fsBold) != 0, last.fore),
                      std::make_tuple(number, x, bold, bold ? clBlack : 0x808080));
    }
    // scrolled sideways the text moves and the numbers stay
    g.memo.SetHOffset(16);
    EXPECT_EQ(g.FirstTextX(0), 26 - 16);
    const std::vector<TDrawn> row = g.Row(0);
    EXPECT_EQ(row.back().x, 5);
    EXPECT_TRUE(row[row.size() - 2].fill && row[row.size() - 2].w == 18) << "the gutter painted over the text";
    EXPECT_EQ(g.memo.CaretX(), -3) << "the caret under the gutter is out of sight";
    g.memo.SetHOffset(0);
    // a tenth line widens the gutter to two digits, and the lines are broken anew
    g.memo.SetSelStart(g.memo.TextLength());
    g.memo.SetSelTextBuf("\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
    EXPECT_EQ(std::to_string(g.memo.GutterWidth()) + g.memo.LineText(1), "27bbbb ");
    EXPECT_EQ(g.Row(11).back().text + "@" + std::to_string(g.Row(11).back().x), "10@" + std::to_string(27 - 4 - 18));
    g.memo.SetLineNumbers(false);
    EXPECT_EQ(std::to_string(g.memo.GutterWidth()) + g.memo.LineText(1), "0cccc");
    EXPECT_EQ(g.Row(0).back().text, "aaaa bbbb ") << "no number drawn";
    EXPECT_EQ(g.FirstTextX(0), 8);
}

TEST(Gutter, ClickingAndDraggingSelectWholeLines)
{
    TGutterRig g(400, "ab\r\ncd\r\nef");
    auto sel = [&] { return g.memo.SelText() + "|" + std::to_string(g.memo.SelStart()); };
    g.Click(3, 1);
    EXPECT_EQ(sel(), "cd\r\n|8") << "the caret at the next line's start";
    // dragging up from line 2 to line 1 takes both, the caret at the top
    g.memo.MouseDown(mbLeft, 0, 3, 14 + 3);
    g.memo.MouseMove(0, 3, 3);
    EXPECT_EQ(sel(), "ab\r\ncd\r\n|0");
    g.memo.MouseUp(mbLeft, 0, 3, 3);
    g.Click(3, 2);
    EXPECT_EQ(sel(), "ef|10");
    g.Click(3, 0, ssShift);
    EXPECT_EQ(g.memo.SelText(), g.memo.Text()) << "Shift extends from the far end by lines";
    g.Click(18 + 8 + 8 + 3, 0);
    EXPECT_EQ(std::make_pair(g.memo.SelStart(), g.memo.SelLength()), std::make_pair(1, 0)) << "the text as before";
    EXPECT_EQ(g.memo.CaretX(), 18 + 8 + 8);
}
