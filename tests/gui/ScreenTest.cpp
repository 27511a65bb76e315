// After changes by the program the window shows exactly what a full repaint shows, the caret at its position.
#include "GuiTestUtil.h"

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
        memo.SetSelLength(memo.ParagraphStart(toPar) + 6 - memo.SelStart()); // the caret inside a line
    }

    void ExpectCaretAtItsPosition()
    {
        TCodeNavigator &c = memo.CaretNav();
        EXPECT_EQ(memo.CaretX(), memo.XAtColumn(c.ParNb(), c.LineInPar(), c.Column()));
        EXPECT_EQ(memo.CaretY(), memo.LineToY(c.DisplayLine() - memo.TopLine()));
    }
};

// Changes by the program (keys and mouse: RandomInput) repaint exactly, place the caret, report caret moves.
TEST_F(Screen, ChangesByProgramShowExactlyTheText)
{
    const std::pair<const char *, std::function<void()>> changes[] = {
        {"underlining lines from above the window", [&] { memo.SetTopLine(4); rig.Settle(); memo.SetUnderline(); }},
        {"SelStart", [&] { memo.SetSelStart(memo.ParagraphStart(12)); }},
        {"SelLine", [&] { memo.SetSelLine(14); }},
        {"SelCol", [&] { memo.SetSelCol(1); }},
        {"TabStops", [&] { memo.SetTabStops(3); }},
        {"LeftMargin", [&] { memo.SetLeftMargin(40); }},
        {"RightMargin", [&] { memo.SetRightMargin(30); }},
        {"Alignment", [&] { memo.SetAlignment(taCenter); }},
        {"Justified", [&] { memo.SetWordWrap(true); memo.SetJustified(true); }},
        {"Font", [&] { TFontDesc f = memo.Font(); f.Size += 6; memo.SetFont(f); }},
        {"resize", [&] { rig.view->resize(420, 260); QCoreApplication::processEvents(); }},
    };
    for (const auto &[name, change] : changes) {
        SCOPED_TRACE(name);
        Select(2, 6);
        ASSERT_EQ(rig.ScreenDifference(), "");
        change();
        EXPECT_EQ(rig.ScreenDifference(), "");
        ExpectCaretAtItsPosition();
    }
    memo.SetSelLength(0);
    memo.SetSelStart(memo.ParagraphStart(3) + 6);
    int moves = 0;
    memo.OnSelMove = [&](TCodeMemo *) { ++moves; };
    memo.SetSelCol(2);
    EXPECT_EQ(memo.SelCol(), 2);
    EXPECT_EQ(moves, 1);
}

} // namespace
