#include "FakeHost.h"
#include "TestUtil.h"

#include "editor/HighlightRuns.h"
#include "opl/OplKeywords.h"
#include "opl/OplSetup.h"

#include <gtest/gtest.h>

using namespace quenvel;
using namespace quenvel::test;

namespace {

// A control in a fixed-metrics window, laid out at once.
struct TLaidOut {
    TFakeHost host;
    TCodeMemo memo;
    explicit TLaidOut(bool wrap = true, int width = 400, TUpdateMode mode = umImmediate)
    {
        host.width = width;
        memo.SetWordWrap(wrap);
        memo.SetUpdateMode(mode);
        memo.SetHost(&host);
    }
    // Runs the background formatter's posted steps until it posts no more; the steps run.
    int FinishBackground()
    {
        int steps = 0;
        for (; host.posted > 0 && steps < 10000; ++steps)
            host.posted = 0, memo.BackgroundStep();
        return steps;
    }
    void ExpectAllFormatted()
    {
        for (int32_t p = 0; p < memo.ParagraphCount(); ++p)
            ASSERT_TRUE(memo.Par(p).Formatted) << "paragraph " << p;
    }
    ~TLaidOut() { memo.SetHost(nullptr); }
    void Load(const std::string &text) { LoadString(memo, text); }
    std::vector<std::string> Lines()
    {
        std::vector<std::string> v;
        for (int32_t i = 0; i < memo.LineCount(); ++i)
            v.push_back(memo.LineText(i));
        return v;
    }
};

using V = std::vector<std::string>;

std::string Repeat(const std::string &s, int n)
{
    std::string out;
    while (n-- > 0)
        out += s;
    return out;
}

} // namespace

TEST(Layout, LineHeightAndBaselineFromTheFont)
{
    TLaidOut l;
    auto heights = [&] {
        return std::vector<int>{l.memo.LineHeight(), l.memo.RowHeight(), l.memo.BaselineOffset(), l.memo.VisibleLines()};
    };
    // automatic: the cell height + 1, the baseline above the descent and the gap
    EXPECT_EQ(heights(), (std::vector<int>{0, 14, 14 - 3 - 1, 140 / 14}));
    l.memo.SetLineHeight(20);
    const std::vector<int> twenty = heights();
    EXPECT_EQ(twenty[1] * 100 + twenty[3], 2007);
    // printing measures on the printer, then gives the screen its own height back
    l.Load("PRINT 1\r\nPRINT 2");
    TFixedSurface printer;
    l.memo.SetPrintLayout(&printer, 300);
    l.memo.PrintParagraph(1, printer, 0, 0);
    l.memo.SetPrintLayout(nullptr, 0);
    EXPECT_EQ(heights(), twenty);
}

// Word wrap breaks before words, keeps blanks on the line, splits a too wide word; unwrapped lines end far.
TEST(Layout, WhereLinesBreak)
{
    TLaidOut l; // available width 400 - 8 - 8 = 384 pixels = 48 characters
    l.Load(Repeat("abcdefghi ", 10));
    const std::string four = "abcdefghi abcdefghi abcdefghi abcdefghi ";
    EXPECT_EQ(l.Lines(), (V{four, four, "abcdefghi abcdefghi "}));
    EXPECT_EQ(l.memo.Par(0).Lines().At(0).Width, 39 * 8) << "the trailing space does not count";
    TLaidOut w(true, 100); // 84 pixels: the 11th character reaches the edge and is included
    w.Load(std::string(30, 'x'));
    EXPECT_EQ(w.Lines(), (V{std::string(11, 'x'), std::string(11, 'x'), std::string(8, 'x')}));
    w.host.width = 1; // the available width never goes below the line height (14): two characters
    w.memo.Resized(100);
    EXPECT_EQ(w.Lines(), V(15, "xx"));
    EXPECT_EQ(w.memo.CheckInvariants(), "");
    TLaidOut n(false); // 32767 - 400 - 8 pixels = 4045 characters of 8 pixels fit on a line
    n.Load(std::string(4045, 'y'));
    EXPECT_EQ(n.memo.LineCount(), 1);
    n.Load(std::string(4046, 'y'));
    EXPECT_EQ(n.memo.LineCount(), 2);
}

TEST(Layout, TabOnAStopMovesToTheNext)
{
    // a tab that starts exactly on a stop (8 spaces of 8 pixels) moves to the next
    TLaidOut l;
    l.Load("abcdefgh\tX");
    const int afterEight = l.memo.XAtColumn(0, 0, 9);
    l.Load("\tX");
    const int atStart = l.memo.XAtColumn(0, 0, 1);
    l.memo.SetTabStops(4);
    EXPECT_EQ((std::vector<int>{afterEight, atStart, l.memo.XAtColumn(0, 0, 1)}), (std::vector<int>{8 + 128, 8 + 64, 8 + 32}));
}

TEST(Layout, JustifyAndAlignmentKeepTheLineCount)
{
    TLaidOut l(true, 200);
    std::string text;
    for (int i = 0; i < 12; ++i)
        text += "word" + std::to_string(i) + " ";
    l.Load(text + "\r\nshort last");
    const int32_t lines = l.memo.LineCount();
    l.memo.SetJustified(true);
    EXPECT_EQ(l.memo.LineCount(), lines);
    // a stretched line ends at the right margin; the last line is not stretched
    const int32_t firstLen = static_cast<int32_t>(l.memo.LineText(0).size());
    EXPECT_GE(l.memo.XAtColumn(0, 0, firstLen - 1), 200 - 8 - 16);
    EXPECT_EQ(l.memo.XAtColumn(1, 0, 5), 8 + 40) << "last line stays left";
    l.memo.SetJustified(false);
    for (TAlignment a : {taCenter, taRightJustify}) {
        l.memo.SetAlignment(a);
        EXPECT_EQ(l.memo.LineCount(), lines);
    }
    const int32_t n = static_cast<int32_t>(l.memo.LineText(l.memo.LineCount() - 1).size());
    EXPECT_EQ(l.memo.XAtColumn(1, 0, n), 200 - 8) << "right-aligned lines end at the right margin";
}

TEST(Layout, ColumnAtXInvertsXAtColumn)
{
    std::mt19937 rng(5);
    TLaidOut l(true, 300);
    static const char alphabet[] = "abc  \t\x02xyz\x01W";
    for (int round = 0; round < 100; ++round) {
        l.memo.SetJustified(round % 2 == 1);
        std::string s;
        for (int i = 0, n = static_cast<int>(rng() % 120); i < n; ++i)
            s.push_back(alphabet[rng() % (sizeof alphabet - 1)]);
        l.Load(s);
        for (int32_t li = 0; li < l.memo.Par(0).LineCount(); ++li) {
            const int32_t cols = static_cast<int32_t>(l.memo.LineText(li).size());
            for (int32_t c = 0; c <= cols; ++c) {
                const int x = l.memo.XAtColumn(0, li, c);
                const int32_t back = l.memo.ColumnAtX(0, li, false, x);
                // zero-width codes share their x with the next column
                EXPECT_EQ(l.memo.XAtColumn(0, li, back), x) << "line " << li << " col " << c;
                // a click lands in the column whose nearer half holds it: the same widths
                // for hit testing as for placing, stretched spaces included
                const int next = c < cols ? l.memo.XAtColumn(0, li, c + 1) : x;
                if (next - x >= 2) {
                    EXPECT_EQ(l.memo.ColumnAtX(0, li, false, x + (next - x) / 2 - 1), c) << "col " << c;
                    EXPECT_EQ(l.memo.ColumnAtX(0, li, false, x + (next - x) / 2), c + 1) << "col " << c;
                }
            }
        }
    }
}

TEST(Layout, OnNeedFormatsOnlyWhatIsAskedFor)
{
    TLaidOut l(true, 100, umOnNeed);
    l.Load(Repeat(std::string(30, 'q') + "\r\n", 50));
    EXPECT_EQ(l.memo.LineCount(), 51 + 2) << "only the caret's paragraph is laid out (three lines)";
    l.memo.FormatRange(0, 9);
    EXPECT_EQ(l.memo.LineCount(), 51 + 10 * 2) << "ten paragraphs of three lines";
    EXPECT_EQ(l.memo.CheckInvariants(), "");
}

TEST(Layout, BackgroundStepsReportRisingProgress)
{
    TLaidOut l(true, 400, umBackground);
    uint32_t now = 0;
    l.memo.TickCount = [&] { return now += 3; };
    l.Load(Repeat("PRINT x\r\n", 3000));
    std::vector<int> progress;
    std::vector<uint32_t> when;
    l.memo.OnProgress = [&](TCodeMemo *m) { progress.push_back(m->Progress()), when.push_back(now); };
    EXPECT_GT(l.FinishBackground(), 1) << "the work is cut into slices";
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    for (size_t i = 1; i < progress.size(); ++i) {
        EXPECT_GE(progress[i], progress[i - 1]);
        if (i + 1 < progress.size())
            EXPECT_GE(when[i] - when[i - 1], 500u);
    }
    l.ExpectAllFormatted();
}

// Edits moving paragraphs while the background formatter is halfway: every paragraph is laid out at the end.
TEST(Layout, BackgroundFormattingFinishesAfterEditsThatMoveParagraphs)
{
    for (const bool insert : {true, false}) {
        SCOPED_TRACE(insert ? "insert" : "delete");
        TLaidOut l(true, 60, umBackground); // "PRINT x" takes two lines
        TCodeMemo &memo = l.memo;
        uint32_t now = 0;
        memo.TickCount = [&] { return now += 10; };
        l.Load(Repeat("PRINT x\r\n", 3000));
        l.host.posted = 0;
        memo.BackgroundStep();
        memo.BackgroundStep();
        // an edit in the part already laid out
        memo.SetSelStart(memo.ParagraphStart(5));
        if (insert) {
            memo.SetSelTextBuf(Repeat("PRINT y\r\n", 500).c_str());
        } else {
            memo.SetSelLength(memo.ParagraphStart(1500) - memo.SelStart());
            memo.SetSelTextBuf("");
        }
        l.FinishBackground();
        l.ExpectAllFormatted();
        EXPECT_EQ(memo.LineCount(), 2 * (memo.ParagraphCount() - 1) + 1);
        EXPECT_EQ(memo.CheckInvariants(), "");
    }
}

namespace {

// Bytes of uneven widths per style; the surface may offer its true table of widths, or a wrong one.
class TUnevenSurface : public TFixedSurface
{
public:
    enum TOffer { kNothing, kTrue, kWrong } offer = kNothing;
    int widths[16][256];
    int wrong[256];
    TUnevenSurface()
    {
        for (int s = 0; s < 16; ++s)
            for (int b = 0; b < 256; ++b)
                widths[s][b] = b < 32 ? 0 : 3 + (b * 7 + s * 5) % 9;
        std::copy(std::begin(widths[0]), std::end(widths[0]), wrong);
        wrong['e'] += 1;
    }
    int TextWidth(const uint8_t *t, int n) override
    {
        int w = 0;
        for (int i = 0; i < n; ++i)
            w += widths[style & 15][t[i]];
        return w;
    }
    const int *ByteWidths() override
    {
        return offer == kNothing ? nullptr : offer == kTrue ? widths[style & 15] : wrong;
    }
};

class TUnevenHost : public TFakeHost
{
public:
    TUnevenSurface uneven;
    TSurface &Canvas() override { return uneven; }
};

} // namespace

// Offered byte widths give the line records and final font measuring gives; a wrong table is not used.
TEST(Layout, KeptByteWidthsMeasureAsTheSurfaceDoes)
{
    static const char *pieces[] = {"PRINT ", "x", " ", "\"", "rem ", "\r\n", "gCLS ", "\t", "\x02", "weekend ",
                                   "IF ", "\x01", "ENDWH", "e", "  ", "\"s\""};
    std::mt19937 rng(5);
    for (const auto offer : {TUnevenSurface::kTrue, TUnevenSurface::kWrong}) {
        for (int round = 0; round < 200; ++round) {
            std::string text;
            for (int n = static_cast<int>(rng() % 60); n > 0; --n)
                text += pieces[rng() % std::size(pieces)];
            const int width = 40 + static_cast<int>(rng() % 200);
            const bool wrap = round % 4 != 0;
            TUnevenHost hosts[2];
            TCodeMemo memos[2];
            std::unique_ptr<TKeywordList> tables[2];
            for (int k = 0; k < 2; ++k) {
                hosts[k].width = width;
                hosts[k].uneven.offer = k == 0 ? TUnevenSurface::kNothing : offer;
                RegisterOplSpans(memos[k]);
                ApplyOplDialect(memos[k], TDialect::Opl5, tables[k]);
                memos[k].SetWordWrap(wrap);
                memos[k].SetUpdateMode(umImmediate);
                memos[k].SetHost(&hosts[k]);
                LoadString(memos[k], text);
            }
            ASSERT_EQ(memos[0].LineCount(), memos[1].LineCount()) << testing::PrintToString(text);
            EXPECT_EQ(memos[0].WidestLine(), memos[1].WidestLine());
            EXPECT_EQ(hosts[0].uneven.style, hosts[1].uneven.style) << "the font the surface is left in";
            for (int32_t p = 0; p < memos[0].ParagraphCount(); ++p) {
                const TLL &a = memos[0].Par(p).Lines(), &b = memos[1].Par(p).Lines();
                ASSERT_EQ(a.Count(), b.Count());
                for (int32_t i = 0; i < a.Count(); ++i) {
                    const TLineRec &x = a.At(i), &y = b.At(i);
                    ASSERT_TRUE(x.StartByte == y.StartByte && x.EndByte == y.EndByte && x.Width == y.Width &&
                                x.SpaceCount == y.SpaceCount && x.JustifyFrom == y.JustifyFrom &&
                                x.Style == y.Style && x.DynStyle.StyleBits == y.DynStyle.StyleBits &&
                                x.DynStyle.Foregnd == y.DynStyle.Foregnd && x.DynStyle.StartLen == y.DynStyle.StartLen)
                        << testing::PrintToString(text) << " paragraph " << p << " line " << i;
                }
            }
            for (auto &m : memos)
                m.SetHost(nullptr);
        }
    }
}
