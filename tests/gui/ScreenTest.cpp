// What the window shows after edits and programmatic changes is exactly what a full
// repaint of the same text shows, and the caret stands where its text position is.
#include "GuiTestUtil.h"

#include <QClipboard>
#include <QGuiApplication>
#include <gtest/gtest.h>

#include <functional>

using namespace quenvel;
using namespace quenvel::guitest;

namespace {

class Screen : public ::testing::Test
{
protected:
    TViewRig rig;
    TCodeMemo &memo = rig.Memo();

    void SetUp() override
    {
        memo.SetHideSelection(false); // drawn without the focus: no blinking caret in the pictures
        rig.Load(test::ReadFile(std::string(QUENVEL_TEST_DATA) + "/text/frame.tpl"));
        ASSERT_GT(memo.LineCount(), 3 * memo.VisibleLines());
    }

    void Select(int32_t fromPar, int32_t toPar)
    {
        memo.SetSelLength(0);
        memo.SetSelStart(memo.ParagraphStart(fromPar));
        memo.SetSelLength(memo.ParagraphStart(toPar) - memo.SelStart());
    }

    void ExpectCaretAtItsPosition()
    {
        TCodeNavigator &c = memo.CaretNav();
        EXPECT_EQ(memo.CaretX(), memo.XAtColumn(c.ParNb(), c.LineInPar(), c.Column()));
        EXPECT_EQ(memo.CaretY(), memo.LineToY(c.DisplayLine() - memo.TopLine()));
    }
};

// The edits a new user makes in the middle of a file: each shows exactly the text.
TEST_F(Screen, EditsInTheMiddleOfAFileShowExactlyTheText)
{
    QGuiApplication::clipboard()->setText("one\r\ntwo\r\nthree\r\n");
    const std::pair<const char *, std::function<void()>> edits[] = {
        {"underlining lines from above the window", [&] { Select(6, 9); memo.SetTopLine(7); rig.Settle(); memo.SetUnderline(); }},
        {"End, Return", [&] { rig.Key(Qt::Key_End); rig.Key(Qt::Key_Return, Qt::NoModifier, "\r"); }},
        {"typing, Return", [&] { rig.Type("ab"); rig.Key(Qt::Key_Return, Qt::NoModifier, "\r"); }},
        {"Ctrl+X of three lines", [&] { Select(6, 9); rig.Key(Qt::Key_X, Qt::ControlModifier); }},
        {"typing over three lines", [&] { Select(6, 9); rig.Type("x"); }},
        {"Ctrl+V over three lines", [&] { Select(6, 9); rig.Key(Qt::Key_V, Qt::ControlModifier); }},
        {"Ctrl+Z of a three-line paste", [&] { rig.Key(Qt::Key_V, Qt::ControlModifier); rig.Key(Qt::Key_Z, Qt::ControlModifier); }},
        {"Delete of a break", [&] { rig.Key(Qt::Key_End); rig.Key(Qt::Key_Delete); }},
    };
    for (const auto &[name, edit] : edits) {
        SCOPED_TRACE(name);
        memo.SetSelLength(0);
        memo.SetSelStart(memo.ParagraphStart(7) + 2);
        ASSERT_EQ(rig.ScreenDifference(), "");
        edit();
        EXPECT_EQ(rig.ScreenDifference(), "");
        ExpectCaretAtItsPosition();
    }
}

// Moving the selection from the program redraws the rows it leaves.
TEST_F(Screen, MovingASelectionByProgramRedrawsWhereItWas)
{
    const std::pair<const char *, std::function<void()>> moves[] = {
        {"SelStart", [&] { memo.SetSelStart(memo.ParagraphStart(12)); }},
        {"SelLine", [&] { memo.SetSelLine(14); }},
        {"SelCol", [&] { memo.SetSelCol(1); }},
    };
    for (const auto &[name, move] : moves) {
        SCOPED_TRACE(name);
        Select(2, 6);
        ASSERT_EQ(rig.ScreenDifference(), "");
        move();
        EXPECT_EQ(rig.ScreenDifference(), "");
        ExpectCaretAtItsPosition();
    }
}

// Layout and appearance setters put the caret where its text now is, and SelCol reports
// the move as every other caret move does.
TEST_F(Screen, SettersPutTheCaretWhereItsTextNowIs)
{
    memo.SetSelStart(memo.ParagraphStart(3) + 6);
    const std::pair<const char *, std::function<void()>> setters[] = {
        {"TabStops", [&] { memo.SetTabStops(3); }},
        {"LeftMargin", [&] { memo.SetLeftMargin(40); }},
        {"RightMargin", [&] { memo.SetRightMargin(30); }},
        {"Alignment", [&] { memo.SetAlignment(taCenter); }},
        {"Justified", [&] { memo.SetWordWrap(true); memo.SetJustified(true); }},
        {"Font", [&] { TFontDesc f = memo.Font(); f.Size += 6; memo.SetFont(f); }},
        {"resize", [&] { rig.view->resize(420, 260); QCoreApplication::processEvents(); }},
    };
    for (const auto &[name, set] : setters) {
        SCOPED_TRACE(name);
        set();
        ExpectCaretAtItsPosition();
        EXPECT_EQ(rig.ScreenDifference(), "");
    }
    int moves = 0;
    memo.OnSelMove = [&](TCodeMemo *) { ++moves; };
    memo.SetSelCol(2);
    EXPECT_EQ(memo.SelCol(), 2);
    EXPECT_EQ(moves, 1);
    ExpectCaretAtItsPosition();
}

} // namespace
