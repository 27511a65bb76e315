// Scrolling: the bar's scale on very long documents, the caret kept in view by every move, the bars' look.
#include "GuiTestUtil.h"

#include <gtest/gtest.h>

#include <functional>

using namespace quenvel;
using namespace quenvel::guitest;

namespace {

std::string NumberedLines(int n)
{
    std::string s = "PRINT 0";
    for (int i = 1; i < n; ++i)
        s += "\r\nPRINT " + std::to_string(i);
    return s;
}

// The caret's line is on the page, and the window's picture of it agrees.
void ExpectCaretInView(TViewRig &rig)
{
    TCodeMemo &m = rig.Memo();
    const int32_t row = m.CaretNav().DisplayLine() - m.TopLine();
    EXPECT_TRUE(row >= 0 && row < m.VisibleLines() && m.CaretY() == m.LineToY(row)) << row;
    EXPECT_TRUE(m.CaretX() >= 0 && m.CaretX() < rig.Viewport()->width()) << m.CaretX();
}

void ExpectBarFollowsTopLine(TViewRig &rig)
{
    QScrollBar *bar = rig.view->verticalScrollBar();
    EXPECT_LE(bar->maximum(), 32760);
    EXPECT_EQ(bar->value(), rig.Memo().TopLine() / rig.view->VerticalScale());
}

using LongDocument = ::testing::TestWithParam<int>;

// The bar's scale keeps it within its range and it reaches the end; it never leaks into arrow, page and wheel
// steps, nor moves the text sideways between units.
TEST_P(LongDocument, ScrollBarReachesTheEndAndStepsIgnoreItsScale)
{
    const int n = GetParam();
    TViewRig rig;
    TCodeMemo &memo = rig.Memo();
    rig.Load(std::string(300, 'w') + "\r\n" + NumberedLines(n - 1));
    ASSERT_EQ(memo.LineCount(), n);
    QScrollBar *bar = rig.view->verticalScrollBar();
    const int scale = rig.view->VerticalScale();
    EXPECT_EQ(scale, n / 32760 + 1);
    EXPECT_LE(bar->maximum(), 32760);
    EXPECT_GE(bar->maximum(), n / scale - memo.VisibleLines());

    const int visible = memo.VisibleLines();
    for (int32_t top : {n - visible, n - visible - 1, n / 2, 12345, 1, 0}) {
        memo.SetTopLine(top);
        EXPECT_EQ(memo.TopLine(), top);
        ExpectBarFollowsTopLine(rig);
    }

    // the bar dragged to its end shows the last lines
    int vscrolls = 0;
    memo.OnVScroll = [&](TCodeMemo *) { ++vscrolls; };
    bar->setValue(bar->maximum());
    EXPECT_GT(vscrolls, 0);
    EXPECT_EQ(memo.TopLine(), bar->maximum() * scale);
    EXPECT_GE(memo.TopLine() + visible, n - scale) << "the last line is (about) on the page";
    EXPECT_LT(memo.TopLine(), n);
    bar->setValue(0);
    EXPECT_EQ(memo.TopLine(), 0);
    EXPECT_EQ(memo.CheckInvariants(), "");

    rig.Key(Qt::Key_End); // scrolls sideways in steps of five spaces, not in units of the bar
    const int offset = memo.HOffset();
    ASSERT_GT(offset, 0);
    memo.SetTopLine(n / 2);
    const int lines = QApplication::wheelScrollLines();
    const std::pair<std::function<void()>, int> steps[] = {
        {[&] { bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); }, 1},
        {[&] { bar->triggerAction(QAbstractSlider::SliderSingleStepSub); }, -1},
        {[&] { bar->triggerAction(QAbstractSlider::SliderPageStepAdd); }, visible},
        {[&] { bar->triggerAction(QAbstractSlider::SliderPageStepSub); }, -visible},
        {[&] { rig.Wheel(-1); }, lines},
        {[&] { rig.Wheel(1); }, -lines},
        {[&] { rig.Wheel(2); }, -2 * lines},
    };
    for (const auto &[step, moved] : steps) {
        const int32_t before = memo.TopLine();
        step();
        EXPECT_EQ(memo.TopLine() - before, moved);
        ExpectBarFollowsTopLine(rig);
        EXPECT_EQ(memo.HOffset(), offset) << "the text did not move sideways";
    }
    // at the ends the steps stop
    memo.SetTopLine(0);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    rig.Wheel(1);
    EXPECT_EQ(memo.TopLine(), 0);
    memo.SetTopLine(n - visible);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    rig.Wheel(-1);
    EXPECT_EQ(memo.TopLine(), n - visible);
}

INSTANTIATE_TEST_SUITE_P(Lines, LongDocument, ::testing::Values(40010, 70001));

TEST(BackgroundFormatting, LongDocumentEndsFullyLaidOutWithAScaledBar)
{
    const int n = 45000;
    TViewRig rig{umBackground};
    TCodeMemo &memo = rig.Memo();
    test::LoadString(memo, NumberedLines(n));
    // the window stays usable while the text is laid out behind it
    rig.Key(Qt::Key_Down);
    EXPECT_EQ(memo.CaretNav().DisplayLine(), 1);
    rig.Settle(60000);
    ASSERT_TRUE(AllFormatted(memo));
    EXPECT_EQ(memo.LineCount(), n);
    EXPECT_EQ(rig.view->VerticalScale(), 2);
    memo.SetTopLine(n - memo.VisibleLines());
    ExpectBarFollowsTopLine(rig);
    rig.Key(Qt::Key_End, Qt::ControlModifier);
    ExpectCaretInView(rig);
    EXPECT_EQ(memo.SelStart(), memo.TextLength());
}

TEST(CaretInView, LongLinesScrollSidewaysInStepsOfFiveSpaces)
{
    TViewRig rig;
    TCodeMemo &memo = rig.Memo();
    rig.Load(std::string(400, 'x') + "\r\nshort");
    const int step = 5 * memo.SpaceWidth();
    rig.Key(Qt::Key_End);
    EXPECT_GT(memo.HOffset(), 0);
    EXPECT_EQ(memo.HOffset() % step, 0);
    ExpectCaretInView(rig);
    QScrollBar *h = rig.view->horizontalScrollBar();
    EXPECT_EQ(h->value(), memo.HOffset() / rig.view->HorizontalUnit());
    EXPECT_LE(h->maximum(), 32760);
    // the caret's x on the window is its x in the line less the offset
    EXPECT_EQ(memo.CaretX(), memo.XAtColumn(0, 0, 400));
    rig.Key(Qt::Key_Down);
    EXPECT_EQ(memo.CaretNav().Column(), 5) << "the short line's end";
    EXPECT_EQ(memo.HOffset() % step, 0);
    ExpectCaretInView(rig);
    rig.Key(Qt::Key_Up);
    rig.Key(Qt::Key_Home);
    EXPECT_EQ(memo.HOffset(), 0);
    ExpectCaretInView(rig);
    // the caret follows the text when the bar moves it sideways
    memo.SetSelStart(100);
    const int x = memo.CaretX();
    h->setValue(2);
    ASSERT_GT(memo.HOffset(), 0);
    EXPECT_EQ(memo.CaretX(), x - memo.HOffset());
}

} // namespace

// A bar at rest shows, after every change, exactly what a newly drawn bar of its settings shows.
TEST(ScrollBars, AtRestShowWhatTheStyleDrawsAfterEveryChange)
{
    TViewRig rig{umImmediate, 500, 300};
    TCodeMemo &memo = rig.Memo();
    rig.Load(NumberedLines(300) + "\r\n" + std::string(200, 'x'));
    QScrollBar *bars[] = {rig.view->verticalScrollBar(), rig.view->horizontalScrollBar()};
    auto expectFresh = [&](const char *step) {
        rig.Settle();
        for (QScrollBar *bar : bars) {
            QScrollBar fresh(bar->orientation(), rig.view.get()); // in the same window, never shown
            fresh.setRange(bar->minimum(), bar->maximum());
            fresh.setPageStep(bar->pageStep()), fresh.setSingleStep(bar->singleStep()), fresh.setValue(bar->value());
            fresh.setEnabled(bar->isEnabled()), fresh.setPalette(bar->palette()), fresh.resize(bar->size());
            QImage shown(bar->size(), QImage::Format_RGB32), drawn(bar->size(), QImage::Format_RGB32);
            shown.fill(Qt::magenta), drawn.fill(Qt::magenta);
            bar->render(&shown);
            bar->render(&shown); // the second time from the kept picture
            fresh.render(&drawn);
            EXPECT_EQ(shown, drawn) << step << (bar->orientation() == Qt::Vertical ? ", vertical" : ", horizontal");
        }
    };
    using Step = std::pair<const char *, std::function<void()>>;
    const Step steps[] = {
        {"loaded", [] {}},
        {"scrolled down", [&] { memo.SetTopLine(120); }},
        {"scrolled sideways", [&] { memo.SetHOffset(40); }},
        {"lines added", [&] { rig.Type(std::string(30, '\r')); }},
        {"page clicked", [&] { QTest::mouseClick(bars[0], Qt::LeftButton, {}, bars[0]->rect().bottomLeft() + QPoint(bars[0]->width() / 2, -30)); }},
        {"disabled", [&] { rig.view->setEnabled(false); }},
        {"enabled", [&] { rig.view->setEnabled(true); }},
        {"new palette", [&] {
             QPalette p = rig.view->palette();
             p.setColor(QPalette::Button, Qt::darkCyan), p.setColor(QPalette::Window, Qt::yellow);
             rig.view->setPalette(p);
         }},
        {"resized", [&] { rig.view->resize(420, 260); }},
    };
    for (const Step &s : steps) {
        s.second();
        expectFresh(s.first);
    }
}
