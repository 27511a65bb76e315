#include "TestUtil.h"

#include <gtest/gtest.h>

#include <map>

using namespace quenvel;
using namespace quenvel::test;

TEST(Store, EmptyControlAndPositions)
{
    TCodeMemo memo;
    auto state = [&] {
        return std::vector<int>{memo.TextLength(), memo.ParagraphCount(), memo.LineCount(), memo.SelStart(),
                                memo.SelLength(), memo.Modified()};
    };
    EXPECT_EQ(state(), std::vector<int>({0, 1, 1, 0, 0, 0}));
    EXPECT_EQ(memo.CheckInvariants(), "");
    LoadString(memo, ""); // (how texts split into paragraphs: StreamTest)
    EXPECT_EQ(state(), std::vector<int>({0, 1, 1, 0, 0, 1}));
    // a break counts as two positions
    LoadString(memo, "ab\r\nc");
    std::string chars;
    for (int32_t p = 0; p < memo.TextLength(); ++p)
        chars += static_cast<char>(memo.CharAt(p));
    EXPECT_EQ(chars, "ab\r\nc");
    EXPECT_EQ(memo.ParagraphStart(1), 4);
    TCodeNavigator nav(&memo);
    uint8_t buf[8];
    nav.SetPos(3);
    memo.CopyText(nav, buf, 2);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf)), "\nc") << "a start on the line feed writes the rest";
    EXPECT_EQ(memo.GetTextPart(-4, 99) + "|" + memo.GetTextPart(3, 2), "ab\r\nc|");
    EXPECT_EQ(memo.ParagraphText(1) + memo.ParagraphText(2) + memo.ParagraphText(-1), "c");
    EXPECT_EQ(memo.LineText(0) + "|" + memo.LineText(1) + "|" + memo.LineText(2), "ab|c|");
    // loading anew resets the navigators
    nav.SetPos(4);
    LoadString(memo, "x");
    EXPECT_FALSE(nav.ParResolved());
    EXPECT_EQ(std::pair(nav.Pos(), int(nav.CharAt())), std::pair(0, int('x')));
}

// The paragraph array against a plain vector over random insertions, removals and shifts: blocks never show.
TEST(ParagraphArray, BehavesLikeAPlainArray)
{
    struct Model {
        int32_t start, line, tag;
    };
    for (uint32_t seed : {1u, 2u, 3u, 4u}) {
        TPLL pars(seed < 3 ? 8 : TPLL::kBlockRecords); // small blocks split and join often
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
                    ASSERT_TRUE(pars.At(i).MarkCount == m.tag && pars.Start(i) == m.start && pars.FirstLine(i) == m.line)
                        << "seed " << seed << " step " << step << " paragraph " << i;
                }
        }
        pars.SetCapacity(pars.Count());
        EXPECT_EQ(pars.Capacity(), pars.Count());
        for (int32_t i = 0; i < pars.Count(); ++i)
            ASSERT_EQ(pars.Start(i), model[static_cast<size_t>(i)].start);
    }
}

// A mark holds its style's number: equal styles share one, the number reads back as the style however many
// styles a thread has written, and no byte after the lead looks like a code, a line end or a mark.
TEST(MarkStyles, NumbersReadBackAsTheirStyles)
{
    std::mt19937 rng(77);
    std::map<std::string, std::string> seen;
    for (int k = 0; k < 3000; ++k) {
        TDynStyle s = NoDynStyle();
        s.Foregnd = static_cast<TColor>(rng() % 300);
        s.StyleBits = static_cast<uint8_t>(rng() % 2);
        uint8_t mark[kMarkSize];
        WriteMark(mark, s);
        ASSERT_TRUE(ReadMark(mark) == s);
        const std::string bytes(reinterpret_cast<char *>(mark), kMarkSize);
        ASSERT_EQ(seen.emplace(std::string(reinterpret_cast<char *>(&s), sizeof s), bytes).first->second, bytes);
        for (int i = 1; i < kMarkSize; ++i)
            ASSERT_GE(mark[i], 0x80);
    }
    uint8_t unknown[kMarkSize] = {scMark, 0xFF, 0xFF, 0xFF};
    EXPECT_TRUE(ReadMark(unknown) == NoDynStyle());
}
