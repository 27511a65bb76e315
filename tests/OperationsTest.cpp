#include "FakeHost.h"

#include <gtest/gtest.h>

using namespace quenvel;
using namespace quenvel::test;

// Find leaves the caret at the far end, a miss keeps the selection, no find crosses a break.
TEST(Find, CaretAtTheFarEndAndNeverAcrossBreaks)
{
    TCodeMemo m;
    LoadString(m, "a word, a Word\r\nword");
    const std::string text = "a word, a Word\r\nword|";
    EXPECT_TRUE(m.FindText("word", true, false));
    EXPECT_EQ(State(m), text + "6,-4");
    Select(m, 20, 20);
    EXPECT_FALSE(m.FindText("word", true, false)) << "no wrap-around";
    EXPECT_EQ(State(m), text + "20,0");
    EXPECT_TRUE(m.FindText("WORD", false, false));
    EXPECT_EQ(State(m), text + "16,4");
    EXPECT_TRUE(m.FindText("Word", false, true));
    EXPECT_EQ(State(m), text + "10,4");
    Select(m, 0, 0);
    EXPECT_FALSE(m.FindText("Word\r\nw", true, false) || m.FindText("dw", true, false));
    EXPECT_EQ(State(m), text + "0,0");
}

TEST(ParagraphTextWrite, AppendsParagraphsAndKeepsTheCaret)
{
    TCodeMemo m;
    LoadString(m, "only");
    Select(m, 2, 2);
    m.SetParagraphText(3, "fourth");
    EXPECT_EQ(State(m), "only\r\n\r\n\r\nfourth|2,0");
    m.SetParagraphText(0, "first line"); // the caret in the rewritten paragraph goes to its start
    EXPECT_EQ(State(m), "first line\r\n\r\n\r\nfourth|0,0");
    Select(m, 16, 16);
    m.SetParagraphText(0, "1"); // a caret in a later paragraph shifts with the change
    EXPECT_EQ(State(m), "1\r\n\r\n\r\nfourth|7,0");
}

// A style command wraps the selection in its codes, the caret keeping its end (at the caret: Keys.HotKeys...).
TEST(StyleCommands, CaretPlacementBySelectionSign)
{
    TCodeMemo m;
    LoadString(m, "abc");
    Select(m, 0, 2);
    m.SetItalic();
    EXPECT_EQ(State(m), "\x01" "ab\x01" "c|0,4");
    LoadString(m, "abc");
    Select(m, 2, 0);
    m.SetHighlight();
    EXPECT_EQ(State(m), "\x03" "ab\x03" "c|4,-4");
}

TEST(Clipboard, CutMovesTheWholeSelection)
{
    TCodeMemo m;
    TFakeClipboard cb;
    m.Clipboard = &cb;
    LoadString(m, "PRINT \"x\"");
    m.SetModified(false);
    m.ReApplyKeywords(); // (a pass over the keywords is no change)
    EXPECT_EQ(State(m) + std::to_string(m.Modified()), "PRINT \"x\"|0,00");
    std::string big;
    for (int i = 0; i < 20000; ++i)
        big += "line " + std::to_string(i % 10) + "\r\n";
    LoadString(m, big);
    Select(m, 0, 100000);
    m.CutToClipboard();
    EXPECT_TRUE(cb.text == big.substr(0, 100000) && m.Text() == big.substr(100000));
    Select(m, 0, 0);
    m.PasteFromClipboard();
    EXPECT_EQ(m.Text(), big);
    m.Undo();
    EXPECT_EQ(m.Text(), big.substr(100000));
}

// Finds down hit exactly what a plain search hits, paragraph by paragraph; up in reverse, overlaps included.
TEST(Find, AgreesWithAPlainSearch)
{
    std::mt19937 rng(8);
    for (int round = 0; round < 200; ++round) {
        std::string text;
        for (int i = 0, n = static_cast<int>(rng() % 200); i < n; ++i)
            text.push_back("abAB \r\n"[rng() % 7]);
        std::string key;
        for (int i = 0, n = 1 + static_cast<int>(rng() % 3); i < n; ++i)
            key.push_back("abAB"[rng() % 4]);
        const bool mc = rng() % 2;
        TCodeMemo m;
        LoadString(m, text);
        std::vector<int32_t> expect, expectUp;
        for (int32_t p = 0; p < m.ParagraphCount(); ++p) {
            std::string t = m.ParagraphText(p), k = key;
            if (!mc)
                for (auto *s : {&t, &k})
                    for (auto &c : *s)
                        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            for (size_t at = 0; (at = t.find(k, at)) != std::string::npos; at += k.size())
                expect.push_back(m.ParagraphStart(p) + static_cast<int32_t>(at));
            // up starts before the found text's start: overlapping occurrences are found too
            for (size_t at = 0; (at = t.find(k, at)) != std::string::npos; ++at)
                expectUp.push_back(m.ParagraphStart(p) + static_cast<int32_t>(at));
        }
        std::vector<int32_t> got;
        Select(m, 0, 0);
        while (m.FindText(key, true, mc))
            got.push_back(m.SelStart() + m.SelLength());
        ASSERT_EQ(got, expect) << testing::PrintToString(text) << " " << key;
        std::vector<int32_t> up;
        Select(m, m.TextLength(), m.TextLength());
        while (m.FindText(key, false, mc))
            up.insert(up.begin(), m.SelStart());
        ASSERT_EQ(up, expectUp) << testing::PrintToString(text) << " " << key << " up";
    }
}
