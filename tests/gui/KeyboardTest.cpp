// Key presses delivered to the editor view: typing, deleting, caret moves, selection,
// read-only and display-only behaviour.
#include "GuiTestUtil.h"
#include "tests/FakeHost.h"

#include <QClipboard>
#include <QGuiApplication>
#include <gtest/gtest.h>

#include <vector>

using namespace quenvel;
using namespace quenvel::guitest;

namespace {

class Keys : public ::testing::Test
{
protected:
    TViewRig rig;
    TCodeMemo &memo = rig.Memo();

    void Put(int32_t pos, int32_t len = 0)
    {
        memo.SetSelLength(0);
        memo.SetSelStart(pos);
        memo.SetSelLength(len);
    }
    void Expect(const std::string &text, int32_t caret, int32_t selLength = 0)
    {
        EXPECT_EQ(memo.Text(), text);
        EXPECT_EQ(memo.SelStart(), caret);
        EXPECT_EQ(memo.SelLength(), selLength);
        EXPECT_EQ(memo.CheckInvariants(), "");
    }
    std::string Lines(int n, int width = 20)
    {
        std::string s;
        for (int i = 0; i < n; ++i) {
            std::string line = "line " + std::to_string(i);
            line.resize(static_cast<size_t>(width), '.');
            s += (i ? "\r\n" : "") + line;
        }
        return s;
    }
};

// ---- typing and deleting ----

TEST_F(Keys, HotKeysInsertStyleCodesOnlyWhenEnabled)
{
    rig.Load("ab");
    Put(1);
    rig.Key(Qt::Key_B, Qt::ControlModifier);
    rig.Key(Qt::Key_P, Qt::ControlModifier);
    Expect("ab", 1);
    memo.EnableHotKeys = true;
    rig.Key(Qt::Key_B, Qt::ControlModifier);
    Expect("a\x02\x02" "b", 2);
    rig.Type("x");
    EXPECT_EQ(memo.Text(), "a\x02x\x02" "b");
    EXPECT_EQ(memo.CaretStyle() & fsBold, fsBold) << "typed between the codes: bold";
    // around a selection: the codes wrap it and the caret keeps its end
    Put(0, 1);
    rig.Key(Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(memo.Text(), "\x01" "a\x01\x02x\x02" "b");
    EXPECT_EQ(memo.SelText(), "\x01" "a\x01");
    // a page break paragraph
    rig.Key(Qt::Key_End, Qt::ControlModifier);
    rig.Key(Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(memo.Text(), "\x01" "a\x01\x02x\x02" "b\r\n\x10\r\n");
    EXPECT_EQ(memo.ParagraphText(1), "\x10");
    // read-only refuses them
    memo.ReadOnly = true;
    rig.Key(Qt::Key_U, Qt::ControlModifier);
    EXPECT_EQ(memo.Text(), "\x01" "a\x01\x02x\x02" "b\r\n\x10\r\n");
}

// One editing key on a text with the caret (and selection) placed: the text and caret after it.
TEST_F(Keys, EditingKeysDoWhatTheyShould)
{
    struct TCase {
        const char *Why;
        const char *Text;
        int32_t Pos, Len;
        int Key;
        Qt::KeyboardModifiers Mods;
        const char *Result;
        int32_t Caret;
        bool PassOverCodes = false;
    };
    const auto bs = Qt::Key_Backspace, del = Qt::Key_Delete, tab = Qt::Key_Tab, ret = Qt::Key_Return;
    const auto none = Qt::NoModifier, ctrl = Qt::ControlModifier, alt = Qt::AltModifier;
    const TCase cases[] = {
        {"a typed character lands at the caret", "PRINT", 2, 0, Qt::Key_Z, none, "PRzINT", 3},
        {"typing replaces the selection", "one two", 4, 3, Qt::Key_Z, none, "one z", 5},
        {"Enter breaks the paragraph", "ab", 1, 0, ret, none, "a\r\nb", 3},
        {"Enter replaces the selection", "abcd", 3, -2, ret, none, "a\r\nd", 3},
        // the last bold character goes; the closing code stays so "d" stays plain
        {"backspace after a closing code", "a\x02" "bc\x02" "d", 5, 0, bs, none, "a\x02" "b\x02" "d", 4},
        {"backspace of the last bold character", "a\x02" "b\x02" "d", 4, 0, bs, none, "a\x02\x02" "d", 3},
        {"backspace of the last bold character, passing over codes", "a\x02" "b\x02" "d", 4, 0, bs, none,
         "a\x02\x02" "d", 3, true},
        {"backspace just before a closing code: only the character", "a\x02" "bc\x02" "d", 4, 0, bs, none,
         "a\x02" "b\x02" "d", 3},
        {"backspace at a paragraph start joins", "ab\r\ncd\r\n\r\nef", 4, 0, bs, none, "abcd\r\n\r\nef", 2},
        {"backspace after an empty paragraph", "abcd\r\n\r\nef", 8, 0, bs, none, "abcd\r\nef", 6},
        {"backspace at the text start", "abcd\r\nef", 0, 0, bs, none, "abcd\r\nef", 0},
        {"backspace over a selection after the caret", "abcdef", 1, 3, bs, none, "aef", 1},
        {"backspace over a selection before the caret", "abcdef", 4, -3, bs, none, "aef", 1},
        {"delete over a selection after the caret", "abcdef", 1, 3, del, none, "aef", 1},
        {"delete over a selection before the caret", "abcdef", 4, -3, del, none, "aef", 1},
        {"delete takes the next character", "ab\r\ncd", 1, 0, del, none, "a\r\ncd", 1},
        {"delete takes a paragraph break", "a\r\ncd", 1, 0, del, none, "acd", 1},
        {"delete at the text end", "acd", 3, 0, del, none, "acd", 3},
        // "b" goes with the opening code; compensation puts the code back so "c" stays bold
        {"delete takes codes with the character after them", "a\x02" "bc", 1, 0, del, none, "a\x02" "c", 2},
        {"Ctrl+Delete to the line's end", "hello world\r\nnext", 6, 0, del, ctrl, "hello \r\nnext", 6},
        {"Ctrl+Delete from a selection's start", "hello \r\nnext", 1, 2, del, ctrl, "h\r\nnext", 1},
        {"Ctrl+Delete of a selection over two lines", "h\r\nnext", 0, 5, del, ctrl, "xt", 0},
        {"Tab inserts a tab character", "ab", 1, 0, tab, none, "a\tb", 2},
        {"Alt+Tab belongs to the window system", "ab", 1, 0, tab, alt, "ab", 1},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Why);
        memo.PassOverCodes = c.PassOverCodes;
        rig.Load(c.Text);
        Put(c.Pos, c.Len);
        rig.Key(c.Key, c.Mods, c.Key == bs ? "\b" : c.Key == tab ? "\t" : c.Key == ret ? "\r" : c.Key == del ? "" : "z");
        Expect(c.Result, c.Caret);
    }
    // Undo takes back a run of typing as one step
    rig.Load("one two three");
    Put(4, 3);
    rig.Type("222");
    rig.Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(memo.Text(), "one two three");
    rig.Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(memo.Text(), "one 222 three");
}

// ---- moving ----

// Right stops once at every character and break (never between CR and LF) and, unless
// passing over them, at every style code, up to the end; Left walks back from there.
TEST_F(Keys, RightThenLeftStopWhereTheyShould)
{
    using V = std::vector<int32_t>;
    const V stops{0, 1, 2, 4, 6, 7, 8, 9, 11, 13, 15, 16, 17, 18, 20};
    const struct {
        const char *Text;
        bool PassOverCodes;
        V Right, Left;
    } cases[] = {
        {"ab\r\n\r\nc d\r\n\r\n\r\nxyz\r\n", false, stops, V(stops.rbegin(), stops.rend())},
        {"a\x02" "bc\x02" "d", false, {0, 1, 2, 3, 4, 5, 6}, {6, 5, 4, 3, 2, 1, 0}},
        {"a\x02" "bc\x02" "d", true, {0, 1, 3, 4, 6}, {6, 5, 3, 2, 0}},
    };
    for (const auto &c : cases) {
        memo.PassOverCodes = c.PassOverCodes;
        rig.Load(c.Text);
        auto walk = [&](int key) {
            V at{memo.SelStart()};
            for (int i = 0; i < 40; ++i) {
                rig.Key(key);
                if (memo.SelStart() != at.back())
                    at.push_back(memo.SelStart());
            }
            return at;
        };
        EXPECT_EQ(walk(Qt::Key_Right), c.Right) << c.Text;
        EXPECT_EQ(walk(Qt::Key_Left), c.Left) << c.Text;
    }
    // after a break the caret stands at the next line's start
    rig.Load(cases[0].Text);
    Put(2);
    rig.Key(Qt::Key_Right);
    EXPECT_EQ(rig.CaretLine(), 1);
    EXPECT_EQ(rig.CaretColumn(), 0);
}

// A refused Up (on the first line) is offered to the key handler a second time.
TEST_F(Keys, RefusedUpIsOfferedToTheKeyHandlerAgain)
{
    rig.Load("abc\r\ndef\r\nghi");
    int keyDowns = 0;
    memo.OnKeyDown = [&](TCodeMemo *, uint16_t &, TShiftState) { ++keyDowns; };
    Put(1);
    rig.Key(Qt::Key_Up);
    EXPECT_EQ(keyDowns, 2);
    keyDowns = 0;
    Put(5);
    rig.Key(Qt::Key_Up);
    EXPECT_EQ(keyDowns, 1);
    EXPECT_EQ(rig.CaretLine(), 0);
}

// Page Down and Page Up move by a page less a line, keep the column, stop at the ends and,
// with Shift, select what they pass. (The fake host's window holds ten rows.)
TEST(KeysWithoutAWindow, PageDownAndPageUp)
{
    test::TFakeHost host;
    TCodeMemo memo;
    memo.SetUpdateMode(umImmediate);
    memo.SetHost(&host);
    std::vector<std::string> lines;
    for (int i = 0; i < 100; ++i)
        lines.push_back("line " + std::to_string(i));
    test::LoadString(memo, test::Join(lines));
    ASSERT_EQ(memo.VisibleLines(), 10);
    memo.SetSelStart(3);
    auto press = [&](uint16_t key, TShiftState shift) {
        std::vector<int32_t> at;
        for (int i = 0; i < 12; ++i) {
            uint16_t k = key; // the control clears a key it has handled
            memo.KeyDown(k, shift);
            at.push_back(memo.CaretNav().DisplayLine());
            EXPECT_EQ(memo.CaretNav().Column(), 3);
        }
        return at;
    };
    EXPECT_EQ(press(34, 0), (std::vector<int32_t>{9, 18, 27, 36, 45, 54, 63, 72, 81, 90, 99, 99}));
    EXPECT_EQ(press(33, 0), (std::vector<int32_t>{90, 81, 72, 63, 54, 45, 36, 27, 18, 9, 0, 0}));
    EXPECT_EQ(memo.SelLength(), 0);
    uint16_t down = 34;
    memo.KeyDown(down, ssShift);
    EXPECT_EQ(memo.SelText(), "e 0\r\nline 1\r\nline 2\r\nline 3\r\nline 4\r\nline 5\r\nline 6\r\nline 7\r\nline 8\r\nlin");
    memo.SetHost(nullptr);
}

// Up and Down aim at the x the caret had when they began.
TEST_F(Keys, UpAndDownAimAtTheCaretsCurrentX)
{
    rig.Load("long line here\r\nab\r\nanother long");
    Put(10);
    rig.Key(Qt::Key_Down);
    rig.Key(Qt::Key_Down);
    EXPECT_EQ(rig.CaretLine(), 2);
    EXPECT_EQ(rig.CaretColumn(), 2) << "the aim is now the short line's end";
    rig.Key(Qt::Key_Up);
    rig.Key(Qt::Key_Up);
    EXPECT_EQ(memo.SelStart(), 2);
}

// One moving key from a caret (and selection): where the caret and selection end. Up on the
// first line and Down on the last change nothing.
TEST_F(Keys, HomeEndAndCtrlArrowsLandWhereTheyShould)
{
    struct TCase {
        const char *Text;
        int32_t Pos, Len;
        int Key;
        Qt::KeyboardModifiers Mods;
        int32_t Caret, SelLength; // the caret is at the selection's far end
    };
    const char *lines = "  hello\r\nworld wide\r\nend", *words = "PRINT a, b\r\n  next", *three = "abc\r\ndef\r\nghi";
    const auto none = Qt::NoModifier, ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
    const auto home = Qt::Key_Home, end = Qt::Key_End, left = Qt::Key_Left, right = Qt::Key_Right;
    const auto up = Qt::Key_Up, down = Qt::Key_Down;
    const TCase cases[] = {
        {lines, 12, 0, end, none, 19, 0},   {lines, 12, 0, home, none, 9, 0},
        {lines, 12, 0, end, ctrl, 24, 0},   {lines, 12, 0, home, ctrl, 0, 0},
        {lines, 12, 0, end, shift, 19, -7}, {lines, 12, 0, home, shift, 9, 3},
        {lines, 12, 0, home, ctrl | shift, 0, 12},
        {words, 0, 0, right, ctrl, 6, 0},   {words, 6, 0, right, ctrl, 9, 0},
        {words, 9, 0, right, ctrl, 14, 0},  {words, 14, 0, right, ctrl, 18, 0},
        {words, 18, 0, right, ctrl, 18, 0}, {words, 18, 0, left, ctrl, 14, 0},
        {words, 14, 0, left, ctrl, 9, 0},
        {three, 1, 2, up, none, 1, 2},      {three, 3, -2, up, none, 3, -2},
        {three, 11, 2, down, none, 11, 2},  {three, 13, -2, down, none, 13, -2},
        {"long line here\r\nab\r\nx", 10, 0, down, none, 18, 0}, // the end of the short line
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.Text << " from " << c.Pos << " key " << c.Key << " " << c.Mods);
        rig.Load(c.Text);
        Put(c.Pos, c.Len);
        rig.Key(c.Key, c.Mods);
        EXPECT_EQ(memo.SelStart(), c.Caret);
        EXPECT_EQ(memo.SelLength(), c.SelLength);
    }
    // a move without Shift drops the selection
    rig.Load(lines);
    Put(0, 12);
    rig.Key(Qt::Key_Right);
    EXPECT_EQ(memo.SelLength(), 0);
}

TEST_F(Keys, EditsStartingBetweenCrAndLfStayInsideTheText)
{
    // the store itself: a selection whose start is the LF position
    rig.Load("ab\r\ncd");
    Put(3, 3);
    rig.Key(Qt::Key_Delete);
    EXPECT_EQ(memo.CheckInvariants(), "");
    EXPECT_LE(memo.SelStart(), memo.TextLength());
    EXPECT_EQ(memo.SelStart(), memo.TextLength()) << "everything after the caret went";
    EXPECT_EQ(memo.Text().substr(0, 2), "ab");

    // reached from the keyboard: Left passing over codes at a paragraph's start stops on the LF
    memo.PassOverCodes = true;
    rig.Load("ab\r\n\x02\x02" "cd");
    Put(5);
    rig.Key(Qt::Key_Left);
    rig.Key(Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    rig.Key(Qt::Key_Delete);
    EXPECT_EQ(memo.CheckInvariants(), "");
    EXPECT_EQ(memo.Text().substr(0, 2), "ab");
    EXPECT_EQ(memo.SelStart(), memo.TextLength());
    rig.Type("z");
    EXPECT_EQ(memo.SelStart(), memo.TextLength());
    EXPECT_EQ(memo.Text().back(), 'z');
}

// ---- read-only and display-only ----

TEST_F(Keys, ReadOnlyRefusesEveryEdit)
{
    const std::string text = "ab\r\ncd";
    rig.Load(text);
    memo.SetModified(false);
    memo.ReadOnly = true;
    QGuiApplication::clipboard()->setText("pasted");
    for (int32_t sel : {0, 2}) {
        Put(1, sel);
        rig.Type("x");
        rig.Key(Qt::Key_Return, Qt::NoModifier, "\r");
        rig.Key(Qt::Key_Backspace, Qt::NoModifier, "\b");
        rig.Key(Qt::Key_Delete);
        rig.Key(Qt::Key_Delete, Qt::ShiftModifier);
        rig.Key(Qt::Key_Delete, Qt::ControlModifier);
        rig.Key(Qt::Key_Tab, Qt::NoModifier, "\t");
        rig.Key(Qt::Key_V, Qt::ControlModifier);
        rig.Key(Qt::Key_X, Qt::ControlModifier);
        rig.Key(Qt::Key_Insert, Qt::ShiftModifier);
        EXPECT_EQ(memo.Text(), text);
        EXPECT_FALSE(memo.Modified());
    }
    // moving and copying still work
    Put(0);
    rig.Key(Qt::Key_Right, Qt::ShiftModifier);
    rig.Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "a");
    rig.Key(Qt::Key_Right, Qt::ShiftModifier);
    rig.Key(Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "ab");
}

TEST_F(Keys, DisplayOnlyScrollsWithoutACaret)
{
    const int n = 60;
    rig.Load(Lines(n, 200));
    memo.DisplayOnly = true;
    const int visible = memo.VisibleLines();
    const int32_t lastTop = n - visible;
    ASSERT_GT(lastTop, 2);
    rig.Type("xyz");
    rig.Key(Qt::Key_Return, Qt::NoModifier, "\r");
    rig.Key(Qt::Key_Delete);
    EXPECT_EQ(memo.Text(), Lines(n, 200));
    EXPECT_EQ(memo.SelStart(), 0);

    rig.Key(Qt::Key_PageDown);
    EXPECT_EQ(memo.TopLine(), 1) << "Page Down scrolls one line";
    rig.Key(Qt::Key_Down);
    EXPECT_EQ(memo.TopLine(), 2);
    rig.Key(Qt::Key_PageUp);
    EXPECT_EQ(memo.TopLine(), 1);
    rig.Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(memo.TopLine(), 1) << "End scrolls sideways only";
    EXPECT_GT(memo.HOffset(), 0);
    rig.Key(Qt::Key_Home);
    EXPECT_EQ(memo.HOffset(), 0);
    rig.Key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(memo.TopLine(), lastTop);
    rig.Key(Qt::Key_Down);
    EXPECT_EQ(memo.TopLine(), lastTop) << "no scrolling past the last page";
    rig.Key(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(memo.TopLine(), 0);
    rig.Key(Qt::Key_Up);
    EXPECT_EQ(memo.TopLine(), 0);
    EXPECT_EQ(memo.SelStart(), 0);
    EXPECT_EQ(memo.SelLength(), 0);
}

} // namespace
