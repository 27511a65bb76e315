#include "TestUtil.h"

#include <gtest/gtest.h>

using namespace quenvel;
using namespace quenvel::test;

TEST(Store, EmptyControl)
{
    TCodeMemo memo;
    EXPECT_EQ(memo.TextLength(), 0);
    EXPECT_EQ(memo.ParagraphCount(), 1);
    EXPECT_EQ(memo.LineCount(), 1);
    EXPECT_EQ(memo.SelStart(), 0);
    EXPECT_EQ(memo.SelLength(), 0);
    EXPECT_EQ(memo.CheckInvariants(), "");
    EXPECT_FALSE(memo.Modified());
    LoadString(memo, ""); // (how texts split into paragraphs: StreamTest)
    EXPECT_EQ(memo.LineCount(), 1);
    EXPECT_TRUE(memo.Modified());
}

TEST(Store, PositionsCountBreaksAsTwo)
{
    TCodeMemo memo;
    LoadString(memo, "ab\r\nc");
    EXPECT_EQ(memo.TextLength(), 5);
    EXPECT_EQ(memo.CharAt(0), 'a');
    EXPECT_EQ(memo.CharAt(1), 'b');
    EXPECT_EQ(memo.CharAt(2), 13);
    EXPECT_EQ(memo.CharAt(3), 10);
    EXPECT_EQ(memo.CharAt(4), 'c');
    EXPECT_EQ(memo.ParagraphStart(1), 4);
    TCodeNavigator nav(&memo);
    nav.SetPos(2);
    uint8_t buf[8];
    memo.CopyText(nav, buf, 3);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf)), "\r\nc");
    nav.SetPos(3);
    memo.CopyText(nav, buf, 2);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf)), "\nc") << "a start on the line feed writes the rest";
    EXPECT_EQ(memo.GetTextPart(-4, 99), "ab\r\nc");
    EXPECT_EQ(memo.GetTextPart(3, 2), "");
    EXPECT_EQ(memo.ParagraphText(1), "c");
    EXPECT_EQ(memo.ParagraphText(2), "");
    EXPECT_EQ(memo.ParagraphText(-1), "");
    EXPECT_EQ(memo.LineText(0), "ab");
    EXPECT_EQ(memo.LineText(1), "c");
    EXPECT_EQ(memo.LineText(2), "");
}

TEST(Store, StyleCodesArePositionsMarksAreNot)
{
    TCodeMemo memo;
    LoadString(memo, "a\x02" "b");
    EXPECT_EQ(memo.TextLength(), 3);
    TCodeNavigator nav(&memo);
    nav.SetPos(1);
    TDynStyle plain = NoDynStyle();
    nav.InsertMark(plain);
    const TParagraphRec &par = memo.Par(0);
    EXPECT_EQ(par.Length, 3);
    EXPECT_EQ(par.MarkCount, 1);
    EXPECT_EQ(par.ByteSize(), 19);
    EXPECT_EQ(memo.TextLength(), 3);
    EXPECT_EQ(memo.Text(), "a\x02" "b");
    EXPECT_EQ(memo.CheckInvariants(), "");
}

TEST(Store, ClearResetsUndoAndNavigators)
{
    TCodeMemo memo;
    LoadString(memo, "one\r\ntwo\r\nthree");
    TCodeNavigator nav(&memo);
    nav.SetPos(9);
    EXPECT_EQ(nav.ParNb(), 1);
    LoadString(memo, "x");
    EXPECT_FALSE(nav.ParResolved());
    EXPECT_EQ(nav.Pos(), 0);
    EXPECT_EQ(nav.CharAt(), 'x');
}

// The paragraph array against a plain vector, over random insertions, removals and shifts
// near and far from each other: the gap and the pending shift must never show.
TEST(ParagraphArray, BehavesLikeAPlainArray)
{
    struct Model {
        int32_t start, line, tag;
    };
    for (uint32_t seed : {1u, 2u, 3u, 4u}) {
        TPLL pars;
        std::vector<Model> model;
        uint32_t r = seed;
        auto rnd = [&](uint32_t n) {
            r = r * 1664525u + 1013904223u;
            return n ? (r >> 8) % n : 0;
        };
        int32_t tag = 0;
        for (int step = 0; step < 4000; ++step) {
            const int32_t n = static_cast<int32_t>(model.size());
            const uint32_t what = rnd(10);
            // edits cluster around a moving point, as typing does, with jumps now and then
            const int32_t at = static_cast<int32_t>(rnd(static_cast<uint32_t>(n + 1)));
            if (what < 4 || n == 0) {
                const int32_t k = static_cast<int32_t>(1 + rnd(what == 0 ? 300 : 3));
                pars.MoveTail(at, at + k);
                model.insert(model.begin() + at, static_cast<size_t>(k), Model{});
                for (int32_t i = at; i < at + k; ++i) {
                    model[static_cast<size_t>(i)] = {static_cast<int32_t>(rnd(1000000)), static_cast<int32_t>(rnd(1000)), ++tag};
                    pars.At(i).MarkCount = tag;
                    pars.SetStart(i, model[static_cast<size_t>(i)].start);
                    pars.SetFirstLine(i, model[static_cast<size_t>(i)].line);
                }
            } else if (what < 7) {
                const int32_t k = std::min<int32_t>(n - std::min(at, n - 1), static_cast<int32_t>(1 + rnd(what == 4 ? 500 : 3)));
                const int32_t from = std::min(at, n - 1);
                pars.MoveTail(from + k, from);
                model.erase(model.begin() + from, model.begin() + from + k);
            } else {
                const int32_t ds = static_cast<int32_t>(rnd(2001)) - 1000, dl = static_cast<int32_t>(rnd(5)) - 2;
                pars.Shift(at, ds, dl);
                for (size_t i = static_cast<size_t>(at); i < model.size(); ++i) {
                    model[i].start += ds;
                    model[i].line += dl;
                }
            }
            ASSERT_EQ(pars.Count(), static_cast<int32_t>(model.size()));
            if (step % 50 == 0 || pars.Count() < 40)
                for (int32_t i = 0; i < pars.Count(); ++i) {
                    const Model &m = model[static_cast<size_t>(i)];
                    ASSERT_EQ(pars.At(i).MarkCount, m.tag) << "seed " << seed << " step " << step;
                    ASSERT_EQ(pars.Start(i), m.start) << "seed " << seed << " step " << step;
                    ASSERT_EQ(pars.FirstLine(i), m.line) << "seed " << seed << " step " << step;
                }
        }
        pars.SetCapacity(pars.Count());
        EXPECT_EQ(pars.Capacity(), pars.Count());
        for (int32_t i = 0; i < pars.Count(); ++i)
            ASSERT_EQ(pars.Start(i), model[static_cast<size_t>(i)].start);
    }
}
