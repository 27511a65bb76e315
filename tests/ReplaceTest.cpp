#include "ByteModel.h"
#include "TestUtil.h"

#include "editor/HighlightRuns.h"
#include "opl/OplKeywords.h"
#include "opl/OplSetup.h"

#include <gtest/gtest.h>

using namespace quenvel;
using namespace quenvel::test;

namespace {

struct TOpl3 {
    TCodeMemo memo;
    std::unique_ptr<TKeywordList> table;
    TOpl3()
    {
        RegisterOplSpans(memo);
        ApplyOplDialect(memo, TDialect::Opl3, table);
    }
};

void Select(TCodeMemo &m, int32_t s, int32_t e)
{
    m.SetSelLength(0);
    m.SetSelStart(s);
    m.SetSelLength(e - s);
}


// The same text with line feeds inside paragraphs made into another non-delimiter, as a
// fresh load would otherwise read them as breaks.
std::string ForFreshLoad(const std::string &flat)
{
    std::string out;
    for (size_t i = 0; i < flat.size(); ++i) {
        if (flat[i] == '\r' && i + 1 < flat.size() && flat[i + 1] == '\n') {
            out += "\r\n";
            ++i;
        } else if (flat[i] == '\n') {
            out.push_back('\x7f');
        } else {
            out.push_back(flat[i]);
        }
    }
    return out;
}

std::vector<THighlightRun> Highlighting(TCodeMemo &m)
{
    m.ParseAllKeywords();
    return HighlightRuns(m);
}

std::string RandomPiece(std::mt19937 &rng)
{
    static const char *pieces[] = {"PRINT", "print ", "IF", "endif", "x%", " at ", "cat", "get$", "rem",
                                   "REM ", "premium%", "\"", "\"str\"", "gcircle", "delete", "(", ")",
                                   ",", " ", " ", "\t", ":", "=", "proc ", "ENDP", "\r\n", "\r", "\n",
                                   "\x01", "\x02", "\x03", "\x04", "\x15", "\x05", "\xe9", "a", "b", "7"};
    std::string s;
    int n = static_cast<int>(rng() % 5);
    for (int i = 0; i < n; ++i)
        s += pieces[rng() % (sizeof pieces / sizeof *pieces)];
    return s;
}

} // namespace

TEST(Replace, InsertBreakInTheMiddle)
{
    TCodeMemo m;
    LoadString(m, "xy");
    Select(m, 1, 1);
    m.SetSelTextBuf("a\r\nb");
    EXPECT_EQ(m.ParagraphText(0), "xa");
    EXPECT_EQ(m.ParagraphText(1), "by");
    EXPECT_EQ(m.TextLength(), 6);
    EXPECT_EQ(m.SelStart(), 5);
    EXPECT_EQ(m.CharAt(m.SelStart()), 'y');
    EXPECT_EQ(m.CheckInvariants(), "");
}

TEST(Replace, LoneLineFeedStaysAndByteFiveBecomes165)
{
    TCodeMemo m;
    LoadString(m, "ab");
    Select(m, 1, 1);
    m.SetSelTextBuf("\n\x05");
    EXPECT_EQ(m.ParagraphCount(), 1);
    EXPECT_EQ(m.ParagraphText(0), "a\n\xa5" "b");
}

TEST(Replace, CompensationKeepsTheRunningStyle)
{
    TCodeMemo m;
    LoadString(m, "a\x02" "bc\x02" "d");
    Select(m, 1, 3);
    m.SetSelTextBuf("");
    EXPECT_EQ(m.Text(), "a\x02" "c\x02" "d") << "the removed bold code comes back";
    EXPECT_EQ(m.CheckInvariants(), "");
}

TEST(Undo, TypingIsOneStepAndUndoOfUndoRestores)
{
    TCodeMemo m;
    LoadString(m, "hello");
    EXPECT_FALSE(m.CanUndo());
    Select(m, 5, 5);
    for (const char *c : {"!", "?", "."})
        m.SetSelTextBuf(c);
    EXPECT_EQ(m.Text(), "hello!?.");
    m.Undo();
    EXPECT_EQ(m.Text(), "hello");
    m.Undo();
    EXPECT_EQ(m.Text(), "hello!?.");
    Select(m, 0, 5);
    m.SetSelTextBuf("x");
    m.Undo();
    EXPECT_EQ(m.Text(), "hello!?.");
}

TEST(Undo, MultiParagraphReplacementRestoresExactBytes)
{
    TCodeMemo m;
    const std::string text = "one\x02\r\ntwo\x15\r\nthree\r\nfour";
    LoadString(m, text);
    Select(m, 2, 17);
    m.SetSelTextBuf("X\r\nY\x01Z");
    m.Undo();
    EXPECT_EQ(m.Text(), text);
    EXPECT_EQ(m.CheckInvariants(), "");
}

TEST(Replace, EventsAndSelection)
{
    TCodeMemo m;
    int changes = 0;
    m.OnChange = [&](TCodeMemo *) { ++changes; };
    LoadString(m, "abc");
    m.SetModified(false);
    m.SelectAll();
    EXPECT_EQ(m.SelStart(), 3);
    EXPECT_EQ(m.SelLength(), -3);
    EXPECT_EQ(m.SelText(), "abc");
    Select(m, 2, 2);
    m.SetSelLength(10);
    EXPECT_EQ(m.SelLength(), 1);
    m.SetSelTextBuf("");
    EXPECT_EQ(m.Text(), "ab");
    EXPECT_TRUE(m.Modified());
    EXPECT_EQ(changes, 2);
    m.SetSelTextBuf("");
    EXPECT_EQ(changes, 2) << "nothing happens for an empty text over an empty selection";
}

TEST(Replace, TypingAStringStartHighlightsTheNewRegion)
{
    TOpl3 c;
    LoadString(c.memo, "x abc\" PRINT y");
    c.memo.ParseAllKeywords();
    Select(c.memo, 2, 2);
    c.memo.SetSelTextBuf("\"");
    auto runs = HighlightRuns(c.memo);
    ASSERT_GE(runs.size(), 1u);
    EXPECT_EQ(runs[0].Col, 2);
    EXPECT_EQ(runs[0].Len, 5) << "to and including the next double quote";
}

// Thousands of random replacements against a plain byte-string model.
TEST(Replace, DifferentialAgainstAByteModel)
{
    std::mt19937 rng(31337);
    int edits = 0;
    for (int doc = 0; doc < 200; ++doc) {
        TOpl3 c;
        TCodeMemo &m = c.memo;
        std::string init;
        for (int i = 0; i < 6; ++i)
            init += RandomPiece(rng);
        LoadString(m, init);
        m.ParseAllKeywords();
        std::string model = m.Text();
        for (int step = 0; step < 100; ++step, ++edits) {
            const int32_t T = static_cast<int32_t>(model.size());
            int32_t s = static_cast<int32_t>(rng() % static_cast<unsigned>(T + 1));
            int32_t e = rng() % 3 == 0 ? s : static_cast<int32_t>(rng() % static_cast<unsigned>(T + 1));
            if (e < s)
                std::swap(s, e);
            // never split a break: its two positions go together
            auto fix = [&](int32_t &p) {
                if (p > 0 && p < T && model[static_cast<size_t>(p)] == '\n' && model[static_cast<size_t>(p - 1)] == '\r')
                    --p;
            };
            fix(s);
            fix(e);
            std::string text = RandomPiece(rng);
            // navigators outside the range keep answering the same character; one on its
            // end, inside it, collapses to its start
            std::vector<std::pair<std::unique_ptr<TCodeNavigator>, uint8_t>> watch;
            for (int k = 0; k < 4; ++k) {
                const int32_t p = k == 0 ? e : static_cast<int32_t>(rng() % static_cast<unsigned>(T + 1));
                if (k > 0 && p >= s && p <= e)
                    continue;
                auto n = std::make_unique<TCodeNavigator>(&m);
                n->SetPos(p);
                uint8_t ch = p < T ? n->CharAt() : 0;
                watch.emplace_back(std::move(n), ch);
            }
            Select(m, s, e);
            m.SetSelTextBuf(text.c_str());
            model = ModelReplace(model, s, e, text, true);
            ASSERT_EQ(m.Text(), model) << "edit " << edits;
            ASSERT_EQ(m.CheckInvariants(), "") << "edit " << edits;
            ASSERT_EQ(watch[0].first->Pos(), s) << "edit " << edits;
            for (size_t k = 1; k < watch.size(); ++k)
                if (watch[k].first->Pos() < m.TextLength()) {
                    ASSERT_EQ(watch[k].first->CharAt(), watch[k].second) << "edit " << edits;
                }
            TCodeMemo fresh;
            RegisterOplSpans(fresh);
            std::unique_ptr<TKeywordList> t2;
            ApplyOplDialect(fresh, TDialect::Opl3, t2);
            LoadString(fresh, ForFreshLoad(model));
            ASSERT_EQ(Highlighting(m), Highlighting(fresh))
                << "edit " << edits << " text " << testing::PrintToString(model);
        }
    }
    EXPECT_GE(edits, 20000);
}

TEST(Replace, TypingInsideACommentRunsNoPass)
{
    TOpl3 c;
    LoadString(c.memo, "x=1 :REM a comment\r\nPRINT \"str\"");
    c.memo.ParseAllKeywords();
    int parses = 0;
    c.memo.OnParse = [&](TCodeMemo *, int32_t, int32_t) { ++parses; };
    const auto before = HighlightRuns(c.memo);
    Select(c.memo, 12, 12);
    c.memo.SetSelTextBuf("z");
    EXPECT_EQ(parses, 0) << "inside the comment";
    auto after = HighlightRuns(c.memo);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after[0].Len, before[0].Len + 1) << "the comment grew by the typed letter";
    Select(c.memo, 28, 28); // inside "str"
    c.memo.SetSelTextBuf("q");
    EXPECT_EQ(parses, 0) << "inside the string";
    Select(c.memo, 0, 0);
    c.memo.SetSelTextBuf("\"");
    EXPECT_EQ(parses, 1) << "typing a string's start key parses";
    Select(c.memo, 34, 34); // right after the closing quote of "sqtr"
    c.memo.SetSelTextBuf("y");
    EXPECT_EQ(parses, 2) << "at the stop key";
}
