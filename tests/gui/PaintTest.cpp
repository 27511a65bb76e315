// What the view draws: colours, the selection, the paragraph-end block, page breaks, the printed line.
#include "GuiTestUtil.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace quenvel;
using namespace quenvel::guitest;

namespace {

const QRgb kNavy = qRgb(0, 0, 128), kRed = qRgb(255, 0, 0), kYellow = qRgb(255, 255, 0), kGreen = qRgb(0, 128, 0),
           kWhite = qRgb(255, 255, 255), kSilver = qRgb(192, 192, 192), kBlack = qRgb(0, 0, 0);

// Glyph edges are blended with the paper; the strokes' cores carry the colour itself.
constexpr int kTol = 40;

class Painting : public ::testing::Test
{
protected:
    TViewRig rig{umBackground};
    TCodeMemo &memo = rig.Memo();
};

// Each kind of text in its colours and style on a silver control, a page break as dashes across its row.
TEST_F(Painting, EachKindOfTextTakesItsLook)
{
    memo.SetColor(clSilver);
    rig.Load("  PRINT x\r\nPRINTZ x\r\ngCIRCLE 10\r\nx=1 REM a note\r\nPRINT \"hi there\"\r\nREM IIIIIIII\r\n"
             "XEM IIIIIIII\r\n\x10\r\nab");
    rig.Settle();
    const QImage img = rig.Grab();
    enum TWant { kNone, kSome, kHalf };
    const struct {
        int32_t line, c0, c1;
        QRgb colour;
        int tol;
        TWant want;
    } cases[] = {
        {0, 2, 7, kNavy, kTol, kSome},    {0, 2, 7, kBlack, kTol, kNone},   {0, 8, 9, kBlack, kTol, kSome},
        {0, 8, 9, kNavy, 10, kNone},      {1, 0, 5, kNavy, 10, kNone},      {2, 0, 7, kYellow, 0, kHalf},
        {2, 0, 7, kRed, kTol, kSome},     {2, 7, 10, kYellow, 0, kNone},    {3, 0, 3, kGreen, kTol, kNone},
        {3, 4, 14, kGreen, kTol, kSome},  {4, 0, 5, kGreen, kTol, kNone},   {4, 0, 5, kNavy, kTol, kSome},
        {4, 6, 16, kWhite, 0, kHalf},     {4, 6, 16, kNavy, kTol, kSome},   {4, 5, 6, kWhite, 0, kNone},
        {4, 5, 6, kSilver, 0, kSome},
    };
    for (const auto &c : cases) {
        const QRect r = rig.Cells(c.line, c.c0, c.c1);
        const int n = CountColour(img, r, c.colour, c.tol), area = r.width() * r.height();
        const bool ok = c.want == kNone ? n == 0 : c.want == kSome ? n > 3 : n > area / 2;
        EXPECT_TRUE(ok) << "line " << c.line << " columns " << c.c0 << ".." << c.c1 << ": " << n << " of " << area
                        << " pixels of " << std::hex << c.colour;
    }
    // not a whole word: no keyword, so the same letters come out thinner
    EXPECT_GT(InkIn(img, rig.Cells(0, 2, 7)).Count, InkIn(img, rig.Cells(1, 0, 5)).Count) << "bold";
    const QRect last = rig.Cells(4, 16, 17), rest(last.right() + 4, last.top(), 40, last.height());
    EXPECT_EQ(CountColour(img, rest, kSilver, 0), rest.width() * rest.height());
    const int lh = memo.RowHeight();
    const QRect below(0, 10 * lh, img.width(), lh);
    EXPECT_EQ(CountColour(img, below, kSilver, 0), below.width() * below.height());
    // the same letters in a remark and as plain words: the italic strokes lean (the mean x
    // of the ink in the top half against the bottom half)
    auto lean = [&](int32_t line) {
        const QRect r = rig.Cells(line, 4, 12);
        double sum[2] = {0, 0};
        int n[2] = {0, 0};
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right() + 3; ++x)
                if (qGray(img.pixel(x, y)) < 160) {
                    const int half = y >= r.top() + r.height() / 2;
                    sum[half] += x, ++n[half];
                }
        return n[0] && n[1] ? sum[0] / n[0] - sum[1] / n[1] : 0.0;
    };
    EXPECT_GT(lean(5), lean(6) + 0.5);
    // the page break: ink in every stretch of a few dash widths, in the middle of the row only
    const int left = memo.LeftMargin(), right = rig.Viewport()->width() - memo.RightMargin();
    const int step = 4 * std::max(memo.SpaceWidth(), 4);
    for (int x = left; x + step <= right; x += step)
        EXPECT_GT(InkIn(img, QRect(x, 7 * lh, step, lh)).Count, 0) << "gap at x " << x;
    EXPECT_LT(InkIn(img, QRect(0, 7 * lh, img.width(), lh)).Box.height(), lh / 3);
    EXPECT_EQ(InkIn(img, QRect(rig.Cells(8, 0, 2).right() + 2, 8 * lh, img.width(), lh)).Count, 0);
    // the same word is a plain command where the dialect has it
    std::unique_ptr<TKeywordList> opl5;
    ApplyOplDialect(memo, TDialect::Opl5, opl5);
    memo.ReApplyKeywords();
    rig.Settle();
    const QImage img5 = rig.Grab();
    EXPECT_EQ(CountColour(img5, rig.Cells(2, 0, 7), kYellow, 0), 0);
    EXPECT_GT(CountColour(img5, rig.Cells(2, 0, 7), kNavy, kTol), 10);
    ApplyOplDialect(memo, TDialect::Siena, rig.table);
}

// Within `row`, each pixel of `after` inside `r` is the inverse of the one in `before`; outside it they agree.
void ExpectInvertedIn(const QImage &before, const QImage &after, QRect r, QRect row)
{
    ASSERT_EQ(before.size(), after.size());
    int inverted = 0, wrongInside = 0, wrongOutside = 0;
    for (int y = row.top(); y <= row.bottom(); ++y)
        for (int x = row.left(); x <= std::min(row.right(), before.width() - 1); ++x) {
            const QRgb b = before.pixel(x, y), a = after.pixel(x, y);
            if (!r.contains(x, y))
                wrongOutside += a != b;
            else if (a == qRgb(255 - qRed(b), 255 - qGreen(b), 255 - qBlue(b)))
                ++inverted;
            else
                ++wrongInside;
        }
    EXPECT_EQ(wrongInside, 0);
    EXPECT_EQ(wrongOutside, 0);
    EXPECT_EQ(inverted, r.width() * r.height());
}

// A selection inverts exactly its cells; a selected paragraph break shows as a block after the line's end.
TEST_F(Painting, SelectionInvertsExactlyTheSelectedCells)
{
    memo.SetHideSelection(false);
    rig.Load("gCIRCLE PRINT \"str\" plain\r\ncd\r\nef");
    const QImage before = rig.Grab();
    const int lh = memo.RowHeight();
    const QRect row(0, 0, before.width(), lh);
    auto select = [&](int32_t from, int32_t len) {
        memo.SetSelLength(0), memo.SetSelStart(from), memo.SetSelLength(len);
        rig.Settle();
        return rig.Grab();
    };
    for (auto [from, len] : {std::pair{2, 9}, {11, -9}}) {
        const QImage img = select(from, len);
        ASSERT_EQ(memo.SelText(), "IRCLE PRI");
        ExpectInvertedIn(before, img, rig.Cells(0, 2, 11), row);
    }
    const int blockW = memo.SpaceWidth() / 2 + 1;
    auto inkAfterEnd = [&](const QImage &img, int line, int len) {
        return InkIn(img, QRect(rig.Cells(line, 0, len).right() + 1, line * lh + lh / 3 + 1, blockW, lh / 3 - 2)).Count;
    };
    ASSERT_EQ(inkAfterEnd(before, 0, 25), 0);
    const QImage block = select(22, 6); // from inside the first paragraph into the second
    EXPECT_GT(inkAfterEnd(block, 0, 25), 0);
    EXPECT_EQ(inkAfterEnd(block, 1, 2), 0) << "the selection ends inside the second paragraph";
    EXPECT_EQ(InkIn(block, QRect(rig.Cells(0, 0, 25).right() + 1 + blockW + 2, 0, 60, lh)).Count, 0);
    EXPECT_EQ(inkAfterEnd(select(22, 3), 0, 25), 0) << "a selection up to the paragraph's end";
    EXPECT_EQ(select(0, 0), before) << "dropping the selection restores the picture";
}

TEST_F(Painting, HiddenSelectionShowsOnlyWhileFocused)
{
    EXPECT_FALSE(memo.HideSelection()) << "the main window shows the selection without the focus";
    memo.SetHideSelection(true);
    rig.Load("abcdef");
    const QImage before = rig.Grab();
    memo.SetSelStart(1);
    memo.SetSelLength(3);
    rig.Settle();
    ASSERT_FALSE(rig.view->hasFocus());
    EXPECT_EQ(rig.Grab(), before);

    // focused: the selected cells are inverted (the caret stands at their left edge)
    QApplication::setActiveWindow(rig.view.get());
    rig.view->setFocus();
    rig.Settle();
    ASSERT_TRUE(rig.view->hasFocus());
    const QRect inner = rig.Cells(0, 2, 4);
    ExpectInvertedIn(before, rig.Grab(), inner, inner);

    rig.view->clearFocus();
    rig.Settle();
    EXPECT_EQ(rig.Grab(), before);

    memo.SetHideSelection(false);
    rig.Settle();
    ExpectInvertedIn(before, rig.Grab(), inner, inner);
}

// Every character's ink lies in the cell the layout gives it, whatever the fonts and the sideways scroll.
TEST_F(Painting, GlyphsSitInTheCellsTheLayoutGivesThem)
{
    const std::string line = "PRINT \x02"
                             "bold\x02 x\ty REM \x01it\x01 gCIRCLE \"s\" end";
    rig.Load(line + "\r\n" + std::string(300, '.') + line);
    // the blanks of the first line, as columns (style codes count as columns)
    std::vector<int32_t> blanks;
    for (int32_t c = 0; c < static_cast<int32_t>(line.size()); ++c)
        if (line[static_cast<size_t>(c)] == ' ')
            blanks.push_back(c);
    auto check = [&](int32_t row, int32_t firstCol) {
        const QImage img = rig.Grab();
        int inkBesideBlanks = 0, inkInWords = 0;
        for (int32_t c : blanks) {
            const QRect cell = rig.Cells(row, firstCol + c, firstCol + c + 1).adjusted(2, 0, -2, 0);
            if (cell.left() < 0 || cell.right() >= img.width())
                continue;
            inkBesideBlanks += InkIn(img, cell).Count;
        }
        for (int32_t c = 0; c < 5; ++c)
            inkInWords += InkIn(img, rig.Cells(row, firstCol + c, firstCol + c + 1)).Count;
        EXPECT_EQ(inkBesideBlanks, 0);
        EXPECT_GT(inkInWords, 10);
    };
    check(0, 0);
    // the same text at the end of a long line, scrolled into view sideways
    rig.Key(Qt::Key_Down);
    rig.Key(Qt::Key_End);
    rig.view->clearFocus();
    rig.Settle();
    ASSERT_GT(memo.HOffset(), 0);
    check(1, 300);
}

// ---- the printer's line ----

// A paragraph printed: the screen line's glyphs and colours, one line, clipped; the screen layout back after.
TEST_F(Painting, PrintedLineMatchesTheScreenLineWithinTheTargetWidth)
{
    rig.Load("  PRINT \"hello\" REM tail\r\n" + std::string(200, 'W'));
    const int lh = memo.RowHeight();
    const QImage screen = rig.Grab();
    const TInk onScreen = InkIn(screen, QRect(0, 0, screen.width(), lh));
    ASSERT_GT(onScreen.Count, 50);
    const int ox = 30, oy = 40, width = 300;
    auto print = [&](int32_t par) {
        QImage page(3000, 120, QImage::Format_RGB32);
        page.fill(Qt::white);
        {
            QPainter p(&page);
            TQtSurface surface;
            surface.Begin(&p);
            memo.SetPrintLayout(&surface, par == 0 ? 700 : width);
            EXPECT_EQ(memo.LineCount(), 2) << "without word wrap a paragraph is one line";
            memo.PrintParagraph(par, surface, ox, oy);
            surface.End();
        }
        memo.SetPrintLayout(nullptr, 0);
        return page;
    };
    const QImage page = print(0);
    const TInk printed = InkIn(page, page.rect());
    // same glyphs: about the same amount of ink in a box of the same size, shifted by the origin
    EXPECT_NEAR(printed.Count, onScreen.Count, onScreen.Count / 8);
    EXPECT_NEAR(printed.Box.width(), onScreen.Box.width(), 3);
    EXPECT_NEAR(printed.Box.height(), onScreen.Box.height(), 3);
    EXPECT_NEAR(printed.Box.left() - ox, onScreen.Box.left(), 3);
    EXPECT_GE(printed.Box.top(), oy);
    EXPECT_LE(printed.Box.bottom(), oy + lh + 2) << "one line only";
    EXPECT_GT(CountColour(page, page.rect(), kNavy, kTol), 10);
    EXPECT_GT(CountColour(page, page.rect(), kGreen, kTol), 10);
    const TInk clipped = InkIn(print(1), QRect(0, 0, 3000, 120));
    EXPECT_LT(clipped.Box.right(), ox + memo.LeftMargin() + width);
    EXPECT_GT(clipped.Box.right(), ox + memo.LeftMargin() + width - 40) << "drawn up to the edge";
    rig.Settle();
    EXPECT_EQ(memo.RowHeight(), lh);
    EXPECT_EQ(rig.Grab(), screen);
}

TEST_F(Painting, LongLineScrolledSidewaysShowsWhatFitsTheWindowUnscrolled)
{
    // Digits and blanks in lines many windows wide, a page break, a selection past the right edge: scrolled
    // past n characters, the window shows what the characters after them show unscrolled.
    std::string line;
    for (int i = 0; i < 900; ++i)
        line += i % 9 == 8 ? ' ' : static_cast<char>('0' + i * 7 % 10);
    memo.SetHideSelection(false);
    auto picture = [&](const std::string &l, int32_t selFrom, int hOffset) {
        rig.Load(l + "\r\n" + l + "\r\n\x10\r\n" + l);
        memo.SetSelStart(selFrom);
        memo.SetSelLength(static_cast<int32_t>(l.size()) - selFrom);
        memo.SetHOffset(hOffset);
        rig.Settle();
        return rig.Grab();
    };
    const int n = 400;
    rig.Load(line);
    const int cw = rig.Cells(0, 0, 1).width();
    ASSERT_GT(cw, 0);
    const int fits = rig.Viewport()->width() / cw + 2;
    ASSERT_GT(static_cast<int>(line.size()) - n, 3 * fits);
    const QImage scrolled = picture(line, n + 6, n * cw), fitting = picture(line.substr(n, fits), 6, 0);
    // (the left margin shows the scrolled text's previous character)
    const QRect pastMargin(memo.LeftMargin(), 0, fitting.width() - memo.LeftMargin(), fitting.height());
    EXPECT_EQ(scrolled.copy(pastMargin), fitting.copy(pastMargin));
}

} // namespace
