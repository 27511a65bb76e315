#include "TestUtil.h"

#include <gtest/gtest.h>

using namespace quenvel;
using namespace quenvel::test;

namespace {

// A flat model of a store: each paragraph's bytes as stored, marks (kMarkSize bytes from a byte 5) included.
struct TModel {
    std::vector<std::string> pars;

    // Calls f with the byte offset of each character of a paragraph, marks skipped.
    template <class F> static void Chars(const std::string &raw, F f)
    {
        for (size_t o = 0; o < raw.size(); o += raw[o] == 5 ? kMarkSize : 1)
            if (raw[o] != 5)
                f(o);
    }
    static std::string Positions(const std::string &raw)
    {
        std::string s;
        Chars(raw, [&](size_t o) { s += raw[o]; });
        return s;
    }
    std::string Flat() const
    {
        std::string s;
        for (size_t i = 0; i < pars.size(); ++i)
            s += (i ? "\r\n" : "") + Positions(pars[i]);
        return s;
    }
    // paragraph, offset in it
    std::pair<int, int> Locate(int p) const
    {
        int start = 0;
        for (size_t i = 0; i < pars.size(); ++i) {
            int len = static_cast<int>(Positions(pars[i]).size());
            if (p <= start + len + 1 || i + 1 == pars.size())
                return {static_cast<int>(i), p - start};
            start += len + 2;
        }
        return {0, 0};
    }
    // The byte offset just after the off-th character (before any marks that follow it).
    int TextOffset(int par, int off) const
    {
        const std::string &raw = pars[static_cast<size_t>(par)];
        if (off > static_cast<int>(Positions(raw).size()))
            return static_cast<int>(raw.size());
        int to = 0, n = 0;
        Chars(raw, [&](size_t o) {
            if (n++ < off)
                to = static_cast<int>(o) + 1;
        });
        return to;
    }
    uint16_t RunningStyle(int par, int textOffset) const
    {
        uint16_t s = 0;
        for (int i = 0; i <= par; ++i) {
            const std::string &raw = pars[static_cast<size_t>(i)];
            Chars(raw, [&](size_t o) {
                if (i < par || static_cast<int>(o) < textOffset)
                    s ^= StyleCodeBit(static_cast<uint8_t>(raw[o]));
            });
        }
        return s;
    }
};

TModel ModelOf(TCodeMemo &memo)
{
    TModel m;
    for (int i = 0; i < memo.ParagraphCount(); ++i)
        m.pars.emplace_back(reinterpret_cast<const char *>(memo.Par(i).Text), static_cast<size_t>(memo.Par(i).ByteSize()));
    return m;
}

void ExpectAgrees(const TModel &m, TCodeNavigator &nav, const char *how)
{
    const int p = nav.Pos();
    auto [par, off] = m.Locate(p);
    const std::string flat = m.Flat();
    const int to = m.TextOffset(par, off);
    const int ch = p < static_cast<int>(flat.size()) ? static_cast<uint8_t>(flat[static_cast<size_t>(p)]) : nav.CharAt();
    ASSERT_EQ((std::vector<int>{nav.ParNb(), nav.ParOffset(), nav.TextOffset(), nav.CharAt(), nav.LineInPar(),
                                nav.DisplayLine(), nav.RunningStyle()}),
              (std::vector<int>{par, off, to, ch, 0, par, m.RunningStyle(par, to)}))
        << how << " at " << p << " (paragraph, offset, text offset, character, line in paragraph, line, style)";
}

} // namespace

TEST(Navigator, OwnerMustBeAControlAndEitherMayGoFirst)
{
    TComponent other;
    EXPECT_THROW(TCodeNavigator{&other}, EQuenvelError);
    auto memo = std::make_unique<TCodeMemo>();
    const size_t before = memo->Navigators().size();
    {
        TCodeNavigator nav(memo.get());
        EXPECT_EQ(memo->Navigators().size(), before + 1);
    }
    EXPECT_EQ(memo->Navigators().size(), before);
    // a navigator kept by someone else outlives the control without being freed twice
    auto nav = std::make_unique<TCodeNavigator>(memo.get());
    memo.reset();
    nav.reset();
}

// (Where marks lie among the text offsets is checked on random stores below.)
TEST(Navigator, MarkStylesSearchesAndDeletion)
{
    TCodeMemo memo;
    LoadString(memo, "ab\r\ncd");
    TCodeNavigator nav(&memo), fresh(&memo);
    nav.SetPos(6);
    EXPECT_FALSE(nav.FindPrevMark() || nav.FindNextMark());
    EXPECT_EQ(nav.Pos(), 6);
    nav.SetPos(1);
    const TDynStyle before = nav.CurrentDynStyle();
    TDynStyle m = NoDynStyle();
    m.Foregnd = 0x123456;
    nav.InsertMark(m);
    EXPECT_EQ(nav.TextOffset(), 1 + kMarkSize) << "the inserting navigator stands after its mark";
    EXPECT_EQ(TColor{nav.CurrentDynStyle().Foregnd}, 0x123456);
    fresh.SetPos(1);
    EXPECT_TRUE(fresh.CurrentDynStyle() == before) << "the mark lies after the offset";
    // a search right before a mark stays and succeeds
    EXPECT_TRUE(fresh.FindNextMark());
    EXPECT_EQ(fresh.Pos() * 100 + fresh.TextOffset(), 101);
    fresh.SetPos(2);
    EXPECT_TRUE(fresh.FindPrevMark());
    EXPECT_EQ(fresh.TextOffset(), 1);
    // across breaks
    nav.SetPos(6);
    nav.Invalidate();
    nav.InsertMark(NoDynStyle());
    fresh.SetPos(3);
    fresh.Invalidate();
    EXPECT_TRUE(fresh.FindNextMark());
    EXPECT_EQ(fresh.Pos() * 100 + fresh.ParNb(), 601);
    fresh.SetPos(4);
    EXPECT_TRUE(fresh.FindPrevMark());
    EXPECT_EQ(fresh.Pos(), 1);
    fresh.DeleteMark();
    EXPECT_EQ(memo.Par(0).MarkCount * 100 + memo.Par(0).ByteSize(), 2);
    EXPECT_EQ(memo.CheckInvariants(), "");
}

TEST(Navigator, DisplayLinesAndColumns)
{
    TCodeMemo memo;
    LoadString(memo, "first\r\nsecond\r\nthird");
    TCodeNavigator nav(&memo);
    std::vector<int32_t> at; // line, column, position after each move
    auto note = [&] { at.insert(at.end(), {nav.DisplayLine(), nav.Column(), nav.Pos()}); };
    nav.SetDisplayLine(memo.LineCount() + 5), note();
    nav.SetDisplayLine(1), note();
    nav.SetColumn(3), note();
    nav.SetColumn(99), note(); // never past the line's end
    nav.SetDisplayLine(-3), note();
    EXPECT_EQ(at, (std::vector<int32_t>{2, 0, 15, 1, 0, 7, 1, 3, 10, 1, 6, 13, 0, 0, 0}));
}

TEST(Navigator, EffectiveStyleFlipsTheFontStyle)
{
    TCodeMemo memo;
    LoadString(memo, "a\x02" "b\x03" "c");
    TCodeNavigator nav(&memo);
    nav.SetPos(2);
    EXPECT_EQ(nav.EffectiveStyle(), fsBold);
    TFontDesc f = memo.Font();
    f.Style = fsBold;
    memo.SetFont(f);
    nav.Invalidate();
    EXPECT_EQ(nav.EffectiveStyle(), 0) << "a bold code on a bold font draws plain";
    nav.SetPos(4);
    EXPECT_EQ(nav.EffectiveStyle(), fsHighlight);
}

// Random stores: every query agrees with the flat bytes, by fresh resolution, forward moves and jumps.
TEST(Navigator, RandomStoresAgreeWithBruteForce)
{
    std::mt19937 rng(12345);
    static const char alphabet[] = "abcdefgh XYZ\t\"\r\n\x01\x02\x03\x04\x15\x05\xe9";
    for (int round = 0; round < 150; ++round) {
        std::string text(rng() % 120, ' ');
        for (char &c : text)
            c = alphabet[rng() % (sizeof alphabet - 1)];
        TCodeMemo memo;
        LoadString(memo, text);
        ASSERT_EQ(memo.CheckInvariants(), "");
        // sprinkle marks that do not change the dynamic style
        TCodeNavigator ins(&memo);
        int marks = static_cast<int>(rng() % 6);
        for (int k = 0; k < marks && memo.TextLength() > 0; ++k) {
            ins.SetPos(static_cast<int32_t>(rng() % static_cast<unsigned>(memo.TextLength() + 1)));
            TDynStyle s = NoDynStyle();
            s.Backgnd = static_cast<TColor>(rng() & 0xFFFFFF);
            ins.InsertMark(s);
            ins.Invalidate();
        }
        ASSERT_EQ(memo.CheckInvariants(), "");
        TModel m = ModelOf(memo);
        ASSERT_EQ(memo.Text(), m.Flat());
        TCodeNavigator walker(&memo);
        walker.SetPos(0);
        (void)walker.LineInPar(); // keep the line resolved so moves stay incremental
        for (int p = 0; p <= memo.TextLength(); ++p) {
            TCodeNavigator fresh(&memo);
            fresh.SetPos(p);
            ExpectAgrees(m, fresh, "fresh");
            walker.SetPos(p);
            ExpectAgrees(m, walker, "walked");
        }
        // random jumps
        TCodeNavigator jumper(&memo);
        for (int k = 0; k < 50; ++k) {
            jumper.SetPos(static_cast<int32_t>(rng() % static_cast<unsigned>(memo.TextLength() + 1)));
            ExpectAgrees(m, jumper, "jumped");
        }
    }
}

// Paragraph lookup from the proportional estimate stays right on skewed documents.
TEST(Navigator, LookupOnSkewedDocuments)
{
    std::string text(200000, 'x');
    for (int i = 0; i < 70000; ++i)
        text += "\r\n";
    text += std::string(100000, 'y');
    TCodeMemo memo;
    LoadString(memo, text);
    ASSERT_EQ(memo.ParagraphCount(), 70001);
    TCodeNavigator nav(&memo);
    for (int32_t p : {0, 199999, 200000, 200001, 200002, 250000, 339999, 340000, 340001, 340002,
                      memo.TextLength()}) {
        nav.SetPos(p);
        const int32_t i = nav.ParNb();
        EXPECT_TRUE(memo.ParStart(i) <= p && p <= memo.ParStart(i) + memo.Par(i).Length + 1) << p;
    }
    for (int32_t line : {0, 1, 35000, 69999, 70000}) {
        nav.SetDisplayLine(line);
        EXPECT_EQ(nav.ParNb(), line);
    }
}
