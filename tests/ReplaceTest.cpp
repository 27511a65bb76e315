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

// The text with line feeds inside paragraphs made another byte, which a fresh load would read as breaks.
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
    for (int i = 0, n = static_cast<int>(rng() % 5); i < n; ++i)
        s += pieces[rng() % std::size(pieces)];
    return s;
}

} // namespace

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
    EXPECT_EQ(State(m) + m.SelText(), "abc|3,-3abc");
    Select(m, 2, 2);
    m.SetSelLength(10);
    EXPECT_EQ(m.SelLength(), 1);
    m.SetSelTextBuf("");
    EXPECT_EQ(m.Text() + std::to_string(m.Modified()) + std::to_string(changes), "ab12");
    m.SetSelTextBuf("");
    EXPECT_EQ(changes, 2) << "nothing happens for an empty text over an empty selection";
}

// Random replacements, undos, redos and saves against a byte-string model: text, caret, navigators,
// highlighting as a fresh load gives it; the history as model texts: Undo, Redo, their selections, Modified.
TEST(Replace, DifferentialAgainstAByteModel)
{
    std::mt19937 rng(31337);
    int edits = 0;
    for (int doc = 0; doc < 200; ++doc) {
        TOpl3 c;
        TCodeMemo &m = c.memo;
        m.SetUndoMode(TUndoMode::Multi);
        const size_t limit = doc % 4 == 0 ? 1 + rng() % 6 : TUndoHistory::kDefaultLimit;
        m.SetUndoLimit(limit);
        std::string init;
        for (int i = 0; i < 6; ++i)
            init += RandomPiece(rng);
        LoadString(m, init);
        m.SetModified(false);
        m.ParseAllKeywords();
        // the texts the history can reach with the selection each step began with (caret,
        // length) and left (its caret); the one shown, the saved one (-1: none)
        struct TState {
            std::string text;
            std::pair<int32_t, int32_t> before;
            int32_t after;
        };
        std::vector<TState> states{{m.Text(), {0, 0}, 0}};
        size_t cur = 0;
        long saved = 0;
        for (int step = 0; step < 100; ++step, ++edits) {
            const std::string &model = states[cur].text;
            const int32_t T = static_cast<int32_t>(model.size());
            const unsigned op = rng() % 10;
            if (op < 2 && cur > 0) {
                m.Undo();
                ASSERT_EQ(std::pair(m.SelStart(), m.SelLength()), states[cur].before) << "edit " << edits;
                --cur;
            } else if (op < 3 && cur + 1 < states.size()) {
                m.Redo();
                ++cur;
                ASSERT_EQ(std::pair(m.SelStart(), m.SelLength()), std::pair(states[cur].after, 0)) << "edit " << edits;
            } else if (op < 4) {
                m.SetModified(false);
                saved = static_cast<long>(cur);
            } else {
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
                // navigators outside the range keep answering the same character; one on
                // its end, inside it, collapses to its start
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
                const bool reversed = rng() % 2 == 0;
                Select(m, reversed ? e : s, reversed ? e : s);
                m.SetSelLength(reversed ? s - e : e - s);
                m.SetSelTextBuf(text.c_str());
                std::string next = ModelReplace(model, s, e, text, true);
                const int32_t end = e + static_cast<int32_t>(next.size()) - T;
                if (next == model && s == e)
                    continue; // nothing was done, nothing recorded
                ASSERT_EQ(m.Text(), next) << "edit " << edits;
                ASSERT_EQ(m.SelStart(), end) << "the caret after what was inserted, edit " << edits;
                ASSERT_EQ(watch[0].first->Pos(), s) << "edit " << edits;
                for (size_t k = 1; k < watch.size(); ++k)
                    if (watch[k].first->Pos() < m.TextLength()) {
                        ASSERT_EQ(watch[k].first->CharAt(), watch[k].second) << "edit " << edits;
                    }
                // a new change drops what could be redone; the oldest beyond the limit go
                states.resize(cur + 1);
                states.push_back({std::move(next), {reversed ? e : s, reversed ? s - e : e - s}, end});
                ++cur;
                if (saved >= static_cast<long>(cur))
                    saved = -1;
                if (states.size() > limit + 1) {
                    states.erase(states.begin());
                    --cur;
                    --saved;
                }
            }
            ASSERT_EQ(m.Text(), states[cur].text) << "edit " << edits;
            ASSERT_EQ(m.CheckInvariants(), "") << "edit " << edits;
            ASSERT_EQ(std::make_tuple(m.CanUndo(), m.CanRedo(), m.UndoHistory().Count(), m.Modified()),
                      std::make_tuple(cur > 0, cur + 1 < states.size(), states.size() - 1, saved != long(cur)))
                << "edit " << edits << " (can undo, can redo, steps, modified)";
            TOpl3 fresh;
            LoadString(fresh.memo, ForFreshLoad(states[cur].text));
            ASSERT_EQ(Highlighting(m), Highlighting(fresh.memo))
                << "edit " << edits << " text " << testing::PrintToString(states[cur].text);
        }
    }
    EXPECT_GE(edits, 20000);
}

// Multi undo groups typing by words, breaks, pauses, caret moves, Backspace and Delete runs; Redo by Ctrl+Y.
TEST(Undo, MultiGroupsTypingAsEditorsDo)
{
    TCodeMemo m;
    m.SetUndoMode(TUndoMode::Multi);
    uint32_t now = 0;
    m.UndoHistory().Clock = [&] { return now; };
    LoadString(m, "x");
    auto type = [&](const char *s) {
        for (char ch; (ch = *s) != 0; ++s, now += 100)
            m.KeyPress(ch);
    };
    auto undoAll = [&] {
        std::vector<std::string> seen;
        while (m.CanUndo())
            m.Undo(), seen.push_back(m.Text());
        return seen;
    };
    type("ab cd,e\rfg");
    now += 5000;
    type("h");
    Select(m, 1, 1);
    type("i");
    EXPECT_EQ(undoAll(), (std::vector<std::string>{"ab cd,e\r\nfghx", "ab cd,e\r\nfgx", "ab cd,e\r\nx", "ab cd,ex",
                                                   "ab cdx", "abx", "x"}));
    // a typed character over a selection begins the step and undoing it selects again
    LoadString(m, "one two");
    Select(m, 7, 4);
    type("2");
    type("3");
    m.Undo();
    EXPECT_EQ(State(m), "one two|7,-3");
    uint16_t z = 'Z';
    m.KeyDown(z, ssCtrl | ssShift);
    EXPECT_EQ(m.Text(), "one 23");
    for (char ch : {26, 25}) // Ctrl+Z then Ctrl+Y as characters: undone and made again
        m.KeyPress(ch);
    EXPECT_EQ(m.Text(), "one 23");
    // a group is one step however many changes it holds
    m.BeginUndoGroup();
    Select(m, 0, 3);
    m.SetSelTextBuf("1");
    {
        TUndoGroup inner(m.UndoHistory());
        m.SetSelTextBuf("\r\n");
    }
    m.EndUndoGroup();
    EXPECT_EQ(m.Text(), "1\r\n 23");
    m.Undo();
    EXPECT_EQ(State(m), "one 23|0,3") << "as the group's first change found it";
    // runs of Backspace and of Delete are a step each; a caret move or a pause ends a run
    LoadString(m, "abcdefghij");
    auto key = [&](TKey k, int times) {
        for (uint16_t code; times-- > 0; now += 100)
            m.KeyDown(code = static_cast<uint16_t>(k), 0);
    };
    Select(m, 5, 5);
    key(TKey::Backspace, 3);
    key(TKey::Delete, 2);
    now += 5000;
    key(TKey::Delete, 1);
    key(TKey::Left, 1);
    key(TKey::Backspace, 1);
    EXPECT_EQ(m.Text(), "bij");
    EXPECT_EQ(undoAll(), (std::vector<std::string>{"abij", "abhij", "abfghij", "abcdefghij"}));
    EXPECT_EQ(m.SelStart(), 5) << "the caret where the first Backspace was pressed";
}

// Replace All (case, whole words, breaks, style codes) is one undo step, and redo gives the replaced text.
TEST(Undo, ReplaceAllIsOneStep)
{
    const struct {
        const char *find, *with;
        bool matchCase, whole;
        int32_t count;
        const char *result;
    } cases[] = {
        {"cat", "dog", false, false, 6, "dog condog dog\r\ndog_x \x02" "dog\x02\r\ndog"},
        {"cat", "dog", false, true, 4, "dog concat dog\r\ncat_x \x02" "dog\x02\r\ndog"},
        {"cat", "", true, true, 2, " concat Cat\r\ncat_x \x02\x02\r\nCAT"},
        {"at", "\r\n", true, false, 5, "c\r\n conc\r\n C\r\n\r\nc\r\n_x \x02" "c\r\n\x02\r\nCAT"},
        {"t\r\nc", "x", true, false, 0, nullptr},
        {"\x02", "", true, false, 2, nullptr},
    };
    const std::string text = "cat concat Cat\r\ncat_x \x02" "cat\x02\r\nCAT";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.find);
        TCodeMemo m;
        m.SetUndoMode(TUndoMode::Multi);
        LoadString(m, text);
        m.SetModified(false);
        Select(m, 14, 14);
        ASSERT_EQ(m.ReplaceAll(c.find, c.with, c.matchCase, c.whole), c.count);
        const std::string result = m.Text();
        if (c.result)
            EXPECT_EQ(result, c.result);
        EXPECT_EQ(m.CheckInvariants(), "");
        EXPECT_EQ(std::pair(m.CanUndo(), m.Modified()), std::pair(c.count > 0, c.count > 0));
        m.Undo();
        EXPECT_EQ(m.Text() + std::to_string(m.CanUndo()) + std::to_string(m.Modified()), text + "00");
        m.Redo();
        EXPECT_EQ(m.Text(), result);
    }
    // the caret keeps to the text after it; the toggle mode's one change is all of it;
    // whole-word search both ways
    TCodeMemo m;
    LoadString(m, "cat concat\r\ncat");
    Select(m, 10, 10);
    m.ReplaceAll("cat", "mouse", false, false);
    EXPECT_EQ(State(m), "mouse conmouse\r\nmouse|14,0");
    m.Undo();
    EXPECT_EQ(m.Text(), "cat concat\r\ncat");
    LoadString(m, "cats concat cat, cat");
    EXPECT_TRUE(m.FindText("CAT", true, false, true));
    EXPECT_EQ(std::pair(m.SelStart(), m.SelLength()), std::pair(15, -3));
    EXPECT_TRUE(m.FindText("cat", true, false, true));
    EXPECT_EQ(m.SelStart(), 20);
    Select(m, 12, 12);
    EXPECT_FALSE(m.FindText("cat", false, false, true));
    EXPECT_FALSE(m.FindText("cats", true, true, true));
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
