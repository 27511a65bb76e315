// Keys and the mouse on the control on the fake host (Qt's events into the control's: gui/ViewInputTest).
#include "FakeHost.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

using namespace quenvel;
using namespace quenvel::test;

namespace {

class Keys : public ::testing::Test
{
protected:
    TFakeRig rig;
    TCodeMemo &memo = rig.memo;
    using V = std::vector<int32_t>;
};

constexpr uint16_t kBs = 8, kTab = 9, kRet = 13, kDel = 46, kZ = 'Z', kHome = 36, kEnd = 35, kLeft = 37, kUp = 38,
                   kRight = 39, kDown = 40, kPgUp = 33, kPgDn = 34;

// n lines "line i", cut or padded with dots to `width` (0: as they are).
std::string Lines(int n, int width = 0)
{
    std::vector<std::string> v;
    for (int i = 0; i < n; ++i) {
        v.push_back("line " + std::to_string(i));
        if (width)
            v.back().resize(static_cast<size_t>(width), '.');
    }
    return Join(v);
}

} // namespace

TEST_F(Keys, HotKeysInsertStyleCodesOnlyWhenEnabled)
{
    rig.Load("ab");
    rig.Select(1);
    rig.Ctrl('B');
    rig.Ctrl('P');
    EXPECT_EQ(rig.State(), "ab|1,0");
    memo.EnableHotKeys = true;
    rig.Ctrl('B');
    EXPECT_EQ(rig.State(), "a\x02\x02" "b|2,0");
    rig.Type("x");
    EXPECT_EQ(memo.CaretStyle() & fsBold, fsBold) << "typed between the codes: bold";
    rig.Select(0, 1); // around a selection: the codes wrap it and the caret keeps its end
    rig.Ctrl('I');
    EXPECT_EQ(memo.SelText(), "\x01" "a\x01");
    rig.Key(TKey::End, ssCtrl);
    rig.Ctrl('P'); // a page break paragraph
    memo.ReadOnly = true;
    rig.Ctrl('U');
    EXPECT_EQ(memo.Text(), "\x01" "a\x01\x02x\x02" "b\r\n\x10\r\n");
}

// One editing key on a text with the caret (and selection) placed: the text and caret after it.
TEST_F(Keys, EditingKeysDoWhatTheyShould)
{
    const struct {
        const char *Text;
        int32_t Pos, Len;
        uint16_t Key;
        TShiftState Shift;
        const char *Result;
        int32_t Caret;
        bool PassOverCodes = false;
    } cases[] = {
        {"PRINT", 2, 0, kZ, 0, "PRzINT", 3},
        {"one two", 4, 3, kZ, 0, "one z", 5},
        {"ab", 1, 0, kRet, 0, "a\r\nb", 3},
        {"abcd", 3, -2, kRet, 0, "a\r\nd", 3},
        // the last bold character goes; the closing code stays so "d" stays plain
        {"a\x02" "bc\x02" "d", 5, 0, kBs, 0, "a\x02" "b\x02" "d", 4},
        {"a\x02" "b\x02" "d", 4, 0, kBs, 0, "a\x02\x02" "d", 3},
        {"a\x02" "b\x02" "d", 4, 0, kBs, 0, "a\x02\x02" "d", 3, true},
        {"a\x02" "bc\x02" "d", 4, 0, kBs, 0, "a\x02" "b\x02" "d", 3},
        {"ab\r\ncd\r\n\r\nef", 4, 0, kBs, 0, "abcd\r\n\r\nef", 2},
        {"abcd\r\n\r\nef", 8, 0, kBs, 0, "abcd\r\nef", 6},
        {"abcd\r\nef", 0, 0, kBs, 0, "abcd\r\nef", 0},
        {"abcdef", 1, 3, kBs, 0, "aef", 1},
        {"abcdef", 4, -3, kBs, 0, "aef", 1},
        {"abcdef", 1, 3, kDel, 0, "aef", 1},
        {"abcdef", 4, -3, kDel, 0, "aef", 1},
        {"ab\r\ncd", 1, 0, kDel, 0, "a\r\ncd", 1},
        {"a\r\ncd", 1, 0, kDel, 0, "acd", 1},
        {"acd", 3, 0, kDel, 0, "acd", 3},
        // "b" goes with the opening code; compensation puts the code back so "c" stays bold
        {"a\x02" "bc", 1, 0, kDel, 0, "a\x02" "c", 2},
        {"hello world\r\nnext", 6, 0, kDel, ssCtrl, "hello \r\nnext", 6}, // to the line's end
        {"hello \r\nnext", 1, 2, kDel, ssCtrl, "h\r\nnext", 1},
        {"h\r\nnext", 0, 5, kDel, ssCtrl, "xt", 0},
        {"ab", 1, 0, kTab, 0, "a\tb", 2},
        {"ab", 1, 0, kTab, ssAlt, "ab", 1}, // Alt+Tab belongs to the window system
    };
    for (const auto &c : cases) {
        memo.PassOverCodes = c.PassOverCodes;
        rig.Load(c.Text);
        rig.Select(c.Pos, c.Len);
        rig.Key(c.Key, c.Shift, c.Key == kZ ? 'z' : c.Key == kDel ? -1 : c.Key);
        EXPECT_EQ(rig.State(), c.Result + ("|" + std::to_string(c.Caret) + ",0")) << testing::PrintToString(c.Text);
        EXPECT_EQ(memo.CheckInvariants(), "");
    }
    rig.Load("one two three"); // Undo takes back a run of typing as one step, a second Undo makes it again
    EXPECT_FALSE(memo.CanUndo());
    rig.Select(4, 3);
    rig.Type("222");
    rig.Ctrl('Z');
    const std::string undone = memo.Text();
    rig.Ctrl('Z');
    EXPECT_EQ(undone + "|" + memo.Text(), "one two three|one 222 three");
}

// Right stops at each character, break (never inside CR LF) and, unless passed over, code; Left walks back.
TEST_F(Keys, RightThenLeftStopWhereTheyShould)
{
    const V stops{0, 1, 2, 4, 6, 7, 8, 9, 11, 13, 15, 16, 17, 18, 20};
    const std::tuple<const char *, bool, V, V> cases[] = { // text, codes passed over, Right's stops, Left's
        {"ab\r\n\r\nc d\r\n\r\n\r\nxyz\r\n", false, stops, V(stops.rbegin(), stops.rend())},
        {"a\x02" "bc\x02" "d", false, {0, 1, 2, 3, 4, 5, 6}, {6, 5, 4, 3, 2, 1, 0}},
        {"a\x02" "bc\x02" "d", true, {0, 1, 3, 4, 6}, {6, 5, 3, 2, 0}},
    };
    for (const auto &[text, passOver, right, left] : cases) {
        memo.PassOverCodes = passOver;
        rig.Load(text);
        auto walk = [&](uint16_t key) {
            V at{memo.SelStart()};
            for (int i = 0; i < 40; ++i) {
                rig.Key(key);
                if (memo.SelStart() != at.back())
                    at.push_back(memo.SelStart());
            }
            return at;
        };
        EXPECT_EQ(walk(kRight), right) << text;
        EXPECT_EQ(walk(kLeft), left) << text;
    }
    rig.Load(std::get<0>(cases[0])); // after a break the caret stands at the next line's start
    rig.Select(2);
    rig.Key(kRight);
    EXPECT_EQ(V({rig.CaretLine(), rig.CaretColumn()}), V({1, 0}));
}

// A refused Up (on the first line) is offered to the key handler a second time.
TEST_F(Keys, RefusedUpIsOfferedToTheKeyHandlerAgain)
{
    rig.Load("abc\r\ndef\r\nghi");
    int keyDowns = 0;
    memo.OnKeyDown = [&](TCodeMemo *, uint16_t &, TShiftState) { ++keyDowns; };
    for (int32_t from : {1, 5})
        rig.Select(from), rig.Key(kUp);
    EXPECT_EQ(V({keyDowns, rig.CaretLine()}), V({3, 0})) << "twice on the first line, once on the second";
}

// Page Down and Up move a page less a line, keep the column, stop at the ends, and with Shift select.
TEST_F(Keys, PageDownAndPageUp)
{
    rig.Load(Lines(100));
    memo.SetSelStart(3);
    auto press = [&](uint16_t key) {
        V at;
        for (int i = 0; i < 12; ++i) {
            rig.Key(key);
            at.push_back(rig.CaretLine());
            EXPECT_EQ(rig.CaretColumn(), 3);
        }
        return at;
    };
    EXPECT_EQ(press(kPgDn), V({9, 18, 27, 36, 45, 54, 63, 72, 81, 90, 99, 99}));
    EXPECT_EQ(press(kPgUp), V({90, 81, 72, 63, 54, 45, 36, 27, 18, 9, 0, 0}));
    rig.Key(kPgDn, ssShift);
    EXPECT_EQ(memo.SelText(), "e 0\r\nline 1\r\nline 2\r\nline 3\r\nline 4\r\nline 5\r\nline 6\r\nline 7\r\nline 8\r\nlin");
}

// One moving key from a caret or selection: where they end (Up and Down aim at the x they began with).
TEST_F(Keys, HomeEndArrowsAndCtrlArrowsLandWhereTheyShould)
{
    const char *lines = "  hello\r\nworld wide\r\nend", *words = "PRINT a, b\r\n  next", *three = "abc\r\ndef\r\nghi";
    const char *aim = "long line here\r\nab\r\nanother long";
    // text, selection (caret, length), keys, the selection after (the caret at its far end)
    const std::tuple<const char *, int32_t, int32_t, std::vector<std::pair<uint16_t, TShiftState>>, int32_t, int32_t> cases[] = {
        {lines, 12, 0, {{kEnd, 0}}, 19, 0},      {lines, 12, 0, {{kHome, 0}}, 9, 0},
        {lines, 12, 0, {{kEnd, ssCtrl}}, 24, 0}, {lines, 12, 0, {{kHome, ssCtrl}}, 0, 0},
        {lines, 12, 0, {{kEnd, ssShift}}, 19, -7}, {lines, 12, 0, {{kHome, ssShift}}, 9, 3},
        {lines, 12, 0, {{kHome, ssCtrl | ssShift}}, 0, 12},
        {lines, 0, 12, {{kRight, 0}}, 1, 0}, // a move without Shift drops the selection
        {words, 0, 0, {{kRight, ssCtrl}}, 6, 0},  {words, 6, 0, {{kRight, ssCtrl}}, 9, 0},
        {words, 9, 0, {{kRight, ssCtrl}}, 14, 0}, {words, 14, 0, {{kRight, ssCtrl}}, 18, 0},
        {words, 18, 0, {{kRight, ssCtrl}}, 18, 0}, {words, 18, 0, {{kLeft, ssCtrl}}, 14, 0},
        {words, 14, 0, {{kLeft, ssCtrl}}, 9, 0},
        {three, 1, 2, {{kUp, 0}}, 1, 2},     {three, 3, -2, {{kUp, 0}}, 3, -2},
        {three, 11, 2, {{kDown, 0}}, 11, 2}, {three, 13, -2, {{kDown, 0}}, 13, -2},
        {aim, 10, 0, {{kDown, 0}}, 18, 0}, // the end of the short line
        {aim, 10, 0, {{kDown, 0}, {kDown, 0}}, 22, 0}, // the aim is now the short line's end
        {aim, 10, 0, {{kDown, 0}, {kDown, 0}, {kUp, 0}, {kUp, 0}}, 2, 0},
    };
    for (const auto &[text, pos, len, keys, caret, selLength] : cases) {
        rig.Load(text);
        rig.Select(pos, len);
        for (auto [key, shift] : keys)
            rig.Key(key, shift);
        EXPECT_EQ(V({memo.SelStart(), memo.SelLength()}), V({caret, selLength}))
            << text << " from " << pos << " key " << keys[0].first << " shift " << int(keys[0].second);
    }
}

TEST_F(Keys, EditsStartingBetweenCrAndLfStayInsideTheText)
{
    auto expectCut = [&] { // everything after the caret went
        EXPECT_EQ(memo.CheckInvariants(), "");
        EXPECT_EQ(memo.SelStart(), memo.TextLength());
        EXPECT_EQ(memo.Text().substr(0, 2), "ab");
    };
    rig.Load("ab\r\ncd"); // the store itself: a selection whose start is the LF position
    rig.Select(3, 3);
    rig.Key(kDel);
    expectCut();
    // reached from the keyboard: Left passing over codes at a paragraph's start stops on the LF
    memo.PassOverCodes = true;
    rig.Load("ab\r\n\x02\x02" "cd");
    rig.Select(5);
    rig.Key(kLeft);
    rig.Key(kEnd, ssCtrl | ssShift);
    rig.Key(kDel);
    expectCut();
    rig.Type("z");
    EXPECT_TRUE(memo.SelStart() == memo.TextLength() && memo.Text().back() == 'z');
}

TEST_F(Keys, ReadOnlyRefusesEveryEditButMovesAndCopies)
{
    rig.Load("ab\r\ncd");
    memo.SetModified(false);
    memo.ReadOnly = true;
    rig.clipboard.text = "pasted";
    for (int32_t sel : {0, 2}) {
        rig.Select(1, sel);
        rig.Type("x\r");
        for (uint16_t k : {kBs, kDel, kTab})
            rig.Key(k, 0, k == kDel ? -1 : k);
        rig.Key(kDel, ssShift), rig.Key(kDel, ssCtrl);
        rig.Ctrl('V'), rig.Ctrl('X');
        rig.Key(TKey::Insert, ssShift);
        EXPECT_EQ(memo.Text() + std::to_string(memo.Modified()), "ab\r\ncd0");
    }
    rig.Select(0);
    rig.Key(kRight, ssShift);
    rig.Ctrl('C');
    EXPECT_EQ(rig.clipboard.text, "a");
    rig.Key(kRight, ssShift);
    rig.Key(TKey::Insert, ssCtrl);
    EXPECT_EQ(rig.clipboard.text, "ab");
}

TEST_F(Keys, DisplayOnlyScrollsWithoutACaret)
{
    rig.Load(Lines(60, 200));
    memo.DisplayOnly = true;
    const int32_t lastTop = 60 - memo.VisibleLines();
    rig.Type("xyz\r");
    rig.Key(kDel);
    EXPECT_EQ(memo.Text(), Lines(60, 200));
    // Page Down scrolls one line; End scrolls sideways only; no scrolling past the last page
    const std::tuple<uint16_t, TShiftState, int32_t> steps[] = {
        {kPgDn, 0, 1}, {kDown, 0, 2},          {kPgUp, 0, 1},           {kEnd, ssCtrl, 1},
        {kHome, 0, 1}, {kPgDn, ssCtrl, lastTop}, {kDown, 0, lastTop}, {kPgUp, ssCtrl, 0}, {kUp, 0, 0}};
    for (const auto &[key, shift, top] : steps) {
        rig.Key(key, shift);
        EXPECT_EQ(memo.TopLine(), top) << key;
        EXPECT_EQ(memo.HOffset() > 0, key == kEnd) << key;
    }
    EXPECT_EQ(rig.State(), Lines(60, 200) + "|0,0");
}

// ---- the mouse ----

using Mouse = Keys;

TEST_F(Mouse, ClickPutsTheCaretAtTheNearestCharacterBoundary)
{
    const std::vector<std::string> lines{"PRINT hello", "second line here", "", "x"};
    rig.Load(Join(lines));
    for (int32_t line = 0; line < 4; ++line) {
        const int32_t len = static_cast<int32_t>(lines[static_cast<size_t>(line)].size());
        for (int32_t col = 0; col <= len; ++col) {
            const TFakeRig::TPt p = rig.At(line, col);
            // up to just before the middle of the next character the boundary is the nearest
            for (auto [dx, to] : {std::pair{0, col}, {3, col}, {5, std::min(col + 1, len)}}) {
                rig.Click({p.x + dx, p.y});
                EXPECT_EQ(V({rig.CaretLine(), rig.CaretColumn(), memo.SelLength()}), V({line, to, 0})) << col << "+" << dx;
            }
        }
        rig.Click({rig.host.width - 20, rig.At(line, 0).y}); // right of the line's end: its end
        EXPECT_EQ(V({rig.CaretLine(), rig.CaretColumn()}), V({line, len}));
        rig.Click({1, rig.At(line, 0).y}); // in the left margin: its start
        EXPECT_EQ(rig.CaretColumn(), 0);
    }
    rig.Click({30, rig.host.height - 5}); // below the text: the text's end
    EXPECT_EQ(memo.SelStart(), memo.TextLength());
}

// Shift-click and drag select from the anchor to the pointer, either way; a move after release adds nothing.
TEST_F(Mouse, ShiftClickAndDragSelectFromTheAnchor)
{
    rig.Load("abcdef\r\nghijkl\r\nmnop");
    const TFakeRig::TPt below{30, rig.host.height - 5};
    const std::tuple<std::function<void()>, const char *, int32_t> steps[] = {
        {[&] { rig.Click(rig.At(0, 2)); rig.Click(rig.At(1, 4), ssShift); }, "cdef\r\nghij", 12},
        {[&] { rig.Click(rig.At(0, 0), ssShift); }, "ab", 0},
        {[&] { rig.Click(below, ssShift); }, "cdef\r\nghijkl\r\nmnop", 20},
        {[&] { rig.Click(rig.At(2, 1)); }, "", 17},
        {[&] { rig.Press(rig.At(0, 1)); rig.Drag(rig.At(1, 3)); }, "bcdef\r\nghi", 11},
        {[&] { rig.Drag(rig.At(2, 2)); }, "bcdef\r\nghijkl\r\nmn", 18},
        {[&] { rig.Drag(rig.At(0, 0)); }, "a", 0},
        {[&] { rig.Drag(rig.At(1, 1)); rig.Release(rig.At(1, 1)); }, "bcdef\r\ng", 9},
        {[&] { rig.Hover(rig.At(2, 3)); }, "bcdef\r\ng", 9},
    };
    for (const auto &[step, text, caret] : steps) {
        step();
        EXPECT_EQ(memo.SelText() + "|" + std::to_string(memo.SelStart()), text + ("|" + std::to_string(caret)));
    }
    EXPECT_EQ(memo.CheckInvariants(), "");
}

TEST_F(Mouse, DragBelowAShortTextSelectsToItsEndWithoutScrolling)
{
    rig.Load("abc\r\ndefgh\r\nij");
    const int x = rig.At(1, 5).x; // right of the last line's end
    for (int y : {rig.host.height - 3, rig.host.height + 40}) {
        rig.Press(rig.At(0, 1));
        rig.Drag({x, y});
        for (int i = 0; i < 5; ++i) // nothing to scroll to: the view stays put
            memo.AutoScrollTick();
        rig.Release({x, y});
        EXPECT_EQ(memo.SelText() + "|" + std::to_string(memo.TopLine()), "bc\r\ndefgh\r\nij|0") << y;
        EXPECT_EQ(memo.SelStart(), memo.TextLength());
    }
}

TEST_F(Mouse, DoubleClickSelectsAWordWithItsTrailingBlanks)
{
    rig.Load("PRINT hello   world\r\na.b,c d\r\nlast");
    const std::tuple<int32_t, int32_t, std::string> cases[] = {
        {0, 8, "hello   "}, {0, 6, "hello   "}, {0, 2, "PRINT "}, {0, 17, "world"},
        {1, 3, "a.b,c "}, // punctuation is part of a word
        {1, 6, "d"},        {2, 2, "last"}};
    for (const auto &[line, col, word] : cases) {
        rig.DoubleClick({rig.At(line, col).x + 2, rig.At(line, col).y});
        // the caret after the blanks; the release that ends the double click leaves it alone
        EXPECT_EQ(memo.SelText() + "|" + std::to_string(memo.SelLength()), word + "|" + std::to_string(-int(word.size())));
    }
    // a move with the button still held right after the double click changes nothing
    rig.Click(rig.At(0, 8));
    memo.DblClick();
    rig.Drag(rig.At(0, 15));
    EXPECT_EQ(memo.SelText(), "hello   ");
}

// A click on a keyword reports its run once, plain text and drags nothing; hovering asks for its cursor.
TEST_F(Mouse, KeywordRunsAnswerClicksAndHovering)
{
    rig.table->AddKeyword("hotword", koWholeWords, fsBold, 2, -21, 0, clNavy);
    rig.Load("  PRINT x, hotword\r\nPRINT");
    memo.ParseAllKeywords();
    using TEvents = std::vector<std::tuple<int, int32_t, int32_t>>;
    TEvents events;
    int cursor = 0;
    memo.OnContext = [&](TCodeMemo *, int16_t context, int32_t a, int32_t b) { events.emplace_back(context, a, b); };
    memo.OnCursor = [&](int c) { cursor = c; };
    const auto print = std::make_tuple(int(kOplKeywordContext), 2, 7), hot = std::make_tuple(2, 11, 18);
    const std::tuple<int32_t, int32_t, TEvents, int> cases[] = {
        {0, 2, {print}, 0}, {0, 6, {print}, 0}, {0, 8, {}, 0},  {0, 11, {hot}, -21}, {0, 17, {hot}, -21},
        {0, 0, {}, 0},      {1, 0, {std::make_tuple(int(kOplKeywordContext), 20, 25)}, 0},
    };
    for (const auto &[line, col, reported, shape] : cases) {
        const TFakeRig::TPt p{rig.At(line, col).x + 2, rig.At(line, col).y};
        events.clear();
        rig.Hover(p);
        EXPECT_EQ(cursor, shape) << line << ":" << col;
        rig.Click(p);
        EXPECT_EQ(events, reported) << line << ":" << col;
    }
    events.clear();
    rig.Press({rig.At(0, 3).x + 2, rig.At(0, 3).y});
    rig.Drag({rig.At(0, 5).x + 2, rig.At(0, 5).y});
    rig.Release({rig.At(0, 5).x + 2, rig.At(0, 5).y});
    EXPECT_EQ(memo.SelText() + std::to_string(events.size()), "RI0");
}

// Dragged out of the window the text scrolls a line per tick, faster farther out, the selection following.
TEST_F(Mouse, DragOutOfTheWindowScrollsFasterTheFartherOut)
{
    rig.Load(Lines(3000, 8));
    std::vector<int> waits;
    memo.OnAutoScroll = [&](int ms) { waits.push_back(ms); };
    const int half = memo.RowHeight() / 2, h = rig.host.height;
    memo.SetTopLine(100);
    rig.Press(rig.At(105, 2));
    rig.Drag({20, -half}); // up to half a line above the top only the selection moves
    EXPECT_EQ(V({memo.TopLine(), rig.CaretLine(), int(waits.size())}), V({100, 100, 0}));
    for (auto [y, wait] : {std::pair{-half - 1, 360}, {-40, 1}, {h + 1, 500}, {h + 11, 360}, {h + 200, 1}}) {
        rig.Drag({20, y});
        ASSERT_FALSE(waits.empty());
        EXPECT_EQ(waits.back(), wait) << y;
        const int32_t top = memo.TopLine();
        const int updates = rig.host.updates;
        for (int i = 0; i < 3; ++i)
            memo.AutoScrollTick();
        EXPECT_EQ(memo.TopLine() - top, y < 0 ? -3 : 3) << "a line per step, " << y;
        EXPECT_EQ(rig.host.updates - updates, 3) << "a picture per line";
        EXPECT_EQ(rig.CaretLine(), y < 0 ? memo.TopLine() : memo.TopLine() + memo.VisibleLines() - 1);
    }
    rig.Release({20, h + 200});
    const int32_t stopped = memo.TopLine();
    memo.AutoScrollTick();
    EXPECT_EQ(V({waits.back(), memo.TopLine()}), V({0, stopped}));
}

TEST_F(Mouse, LoadingPutsTheCaretOnScreenAtTheTextStart)
{
    rig.Load("abcdef\r\nghijkl\r\nmnopqr\r\nstu");
    rig.Click(rig.At(2, 4));
    ASSERT_EQ(memo.CaretY(), 2 * memo.RowHeight());
    int moves = 0;
    memo.OnSelMove = [&](TCodeMemo *) { ++moves; };
    rig.Load("xyz\r\nuvw");
    EXPECT_EQ(V({memo.SelStart(), memo.CaretX(), memo.CaretY(), moves}), V({0, memo.XAtColumn(0, 0, 0), 0, 1}));
}
