// Mouse input on the editor view: placing the caret, selecting by Shift-click, drag and
// double click, the context event of keywords and the hover cursor.
#include "GuiTestUtil.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using namespace quenvel;
using namespace quenvel::guitest;

namespace {

class Mouse : public ::testing::Test
{
protected:
    TViewRig rig;
    TCodeMemo &memo = rig.Memo();

    int32_t PosAt(int32_t line, int32_t column)
    {
        TCodeNavigator w(&memo);
        w.SetDisplayLine(line);
        w.SetColumn(column);
        return w.Pos();
    }
};

TEST_F(Mouse, ClickPutsTheCaretAtTheNearestCharacterBoundary)
{
    const std::vector<std::string> lines{"PRINT hello", "second line here", "", "x"};
    rig.Load(test::Join(lines));
    for (int32_t line = 0; line < static_cast<int32_t>(lines.size()); ++line) {
        const int32_t len = static_cast<int32_t>(lines[static_cast<size_t>(line)].size());
        for (int32_t col = 0; col <= len; ++col) {
            SCOPED_TRACE(testing::Message() << "line " << line << " column " << col);
            const QPoint p = rig.At(line, col);
            rig.Click(p);
            EXPECT_EQ(rig.CaretLine(), line);
            EXPECT_EQ(rig.CaretColumn(), col);
            EXPECT_EQ(memo.SelLength(), 0);
            if (col < len) {
                // up to just before the middle of the next character the boundary is the nearest
                const int w = rig.Cells(line, col, col + 1).width();
                rig.Click(p + QPoint(w / 2 - 1, 0));
                EXPECT_EQ(rig.CaretColumn(), col);
                rig.Click(p + QPoint(w / 2 + 1, 0));
                EXPECT_EQ(rig.CaretColumn(), col + 1);
            }
        }
        // right of the line's end: its end
        rig.Click(QPoint(rig.Viewport()->width() - 20, rig.At(line, 0).y()));
        EXPECT_EQ(rig.CaretLine(), line);
        EXPECT_EQ(rig.CaretColumn(), len);
        // in the left margin: its start
        rig.Click(QPoint(1, rig.At(line, 0).y()));
        EXPECT_EQ(rig.CaretColumn(), 0);
    }
    // below the text: the text's end
    rig.Click(QPoint(30, rig.Viewport()->height() - 5));
    EXPECT_EQ(memo.SelStart(), memo.TextLength());
}

TEST_F(Mouse, ShiftClickExtendsFromTheAnchor)
{
    rig.Load("abcdef\r\nghijkl\r\nmnop");
    rig.Click(rig.At(0, 2));
    rig.Click(rig.At(1, 4), Qt::ShiftModifier);
    EXPECT_EQ(memo.SelText(), "cdef\r\nghij");
    EXPECT_EQ(memo.SelStart(), PosAt(1, 4)) << "the caret follows the click";
    EXPECT_LT(memo.SelLength(), 0);
    // a second Shift-click before the anchor turns the selection round the same anchor
    rig.Click(rig.At(0, 0), Qt::ShiftModifier);
    EXPECT_EQ(memo.SelText(), "ab");
    EXPECT_EQ(memo.SelStart(), 0);
    EXPECT_EQ(memo.SelLength(), 2);
    // below the text: to the text's end
    rig.Click(QPoint(30, rig.Viewport()->height() - 5), Qt::ShiftModifier);
    EXPECT_EQ(memo.SelText(), "cdef\r\nghijkl\r\nmnop");
    // a plain click drops it
    rig.Click(rig.At(2, 1));
    EXPECT_EQ(memo.SelLength(), 0);
    EXPECT_EQ(memo.SelStart(), PosAt(2, 1));
}

TEST_F(Mouse, DragSelectsFromThePressToTheMouse)
{
    rig.Load("abcdef\r\nghijkl\r\nmnop");
    rig.Press(rig.At(0, 1));
    rig.Drag(rig.At(1, 3));
    EXPECT_EQ(memo.SelText(), "bcdef\r\nghi");
    rig.Drag(rig.At(2, 2));
    EXPECT_EQ(memo.SelText(), "bcdef\r\nghijkl\r\nmn");
    EXPECT_EQ(memo.SelStart(), PosAt(2, 2));
    // back across the press point: the selection turns round it
    rig.Drag(rig.At(0, 0));
    EXPECT_EQ(memo.SelText(), "a");
    EXPECT_EQ(memo.SelStart(), 0);
    rig.Drag(rig.At(1, 1));
    rig.Release(rig.At(1, 1));
    EXPECT_EQ(memo.SelText(), "bcdef\r\ng");
    // moving after the release selects nothing more
    rig.Hover(rig.At(2, 3));
    EXPECT_EQ(memo.SelText(), "bcdef\r\ng");
    EXPECT_EQ(memo.CheckInvariants(), "");
}

TEST_F(Mouse, DragBelowAShortTextSelectsToItsEndWithoutScrolling)
{
    rig.Load("abc\r\ndefgh\r\nij");
    const int x = rig.At(1, 5).x(); // right of the last line's end
    for (int y : {rig.Viewport()->height() - 3, rig.Viewport()->height() + 40}) {
        SCOPED_TRACE(y);
        rig.Press(rig.At(0, 1));
        rig.Drag(QPoint(x, y));
        EXPECT_EQ(memo.SelText(), "bc\r\ndefgh\r\nij");
        EXPECT_EQ(memo.SelStart(), memo.TextLength());
        // nothing to scroll to: the view stays put while the button is held
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        EXPECT_EQ(memo.TopLine(), 0);
        rig.Release(QPoint(x, y));
        EXPECT_EQ(memo.TopLine(), 0);
        EXPECT_EQ(memo.SelText(), "bc\r\ndefgh\r\nij");
    }
}

TEST_F(Mouse, DoubleClickSelectsAWordWithItsTrailingBlanks)
{
    rig.Load("PRINT hello   world\r\na.b,c d\r\nlast");
    struct TCase {
        int32_t line, col;
        std::string word;
    };
    for (const TCase &c : std::vector<TCase>{{0, 8, "hello   "},
                                             {0, 6, "hello   "},
                                             {0, 2, "PRINT "},
                                             {0, 17, "world"},
                                             {1, 3, "a.b,c "}, // punctuation is part of a word
                                             {1, 6, "d"},
                                             {2, 2, "last"}}) {
        SCOPED_TRACE(c.word);
        rig.DoubleClick(rig.At(c.line, c.col) + QPoint(2, 0));
        EXPECT_EQ(memo.SelText(), c.word);
        EXPECT_EQ(memo.SelLength(), -static_cast<int32_t>(c.word.size())) << "caret after the blanks";
        // the release that ends the double click leaves the selection alone
        EXPECT_EQ(memo.CheckInvariants(), "");
    }
    // a move with the button still held right after the double click changes nothing
    rig.Click(rig.At(0, 8));
    rig.Mouse(QEvent::MouseButtonDblClick, rig.At(0, 8), Qt::LeftButton, Qt::LeftButton);
    rig.Drag(rig.At(0, 15));
    EXPECT_EQ(memo.SelText(), "hello   ");
    rig.Release(rig.At(0, 15));
}

TEST_F(Mouse, ClickOnAKeywordReportsItsRunOnce)
{
    rig.Load("  PRINT x, \"abc\"\r\nPRINT");
    std::vector<std::tuple<int, int32_t, int32_t>> events;
    memo.OnContext = [&](TCodeMemo *, int16_t context, int32_t start, int32_t stop) {
        events.emplace_back(context, start, stop);
    };
    // every character of the word reports the same run
    for (int32_t col = 2; col < 7; ++col) {
        SCOPED_TRACE(col);
        events.clear();
        rig.Click(rig.At(0, col) + QPoint(2, 0));
        ASSERT_EQ(events.size(), 1u);
        EXPECT_EQ(events[0], std::make_tuple(int(kOplKeywordContext), 2, 7));
    }
    // a keyword at a paragraph's start
    events.clear();
    rig.Click(rig.At(1, 0) + QPoint(2, 0));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], std::make_tuple(int(kOplKeywordContext), 18, 23));
    // plain text reports nothing
    events.clear();
    rig.Click(rig.At(0, 8) + QPoint(2, 0));
    EXPECT_TRUE(events.empty());
    // a drag within the word reports nothing
    rig.Press(rig.At(0, 3) + QPoint(2, 0));
    rig.Drag(rig.At(0, 5) + QPoint(2, 0));
    rig.Release(rig.At(0, 5) + QPoint(2, 0));
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(memo.SelText(), "RI");
}

TEST_F(Mouse, HoveringARunWithACursorShowsThatCursor)
{
    rig.table->AddKeyword("hotword", koWholeWords, fsBold, 2, -21, 0, clNavy);
    rig.Load("x hotword PRINT y");
    memo.ParseAllKeywords();
    auto shape = [&] { return rig.Viewport()->cursor().shape(); };
    EXPECT_EQ(shape(), Qt::IBeamCursor);
    rig.Hover(rig.At(0, 4) + QPoint(2, 0));
    EXPECT_EQ(shape(), Qt::PointingHandCursor);
    rig.Hover(rig.At(0, 2) + QPoint(2, 0));
    EXPECT_EQ(shape(), Qt::PointingHandCursor) << "the word's first character";
    rig.Hover(rig.At(0, 12) + QPoint(2, 0));
    EXPECT_EQ(shape(), Qt::IBeamCursor) << "a keyword without a cursor";
    rig.Hover(rig.At(0, 8) + QPoint(2, 0));
    EXPECT_EQ(shape(), Qt::PointingHandCursor);
    rig.Hover(rig.At(0, 0) + QPoint(2, 0));
    EXPECT_EQ(shape(), Qt::IBeamCursor);
    rig.Hover(QPoint(20, rig.Viewport()->height() - 3));
    EXPECT_EQ(shape(), Qt::IBeamCursor);
}

TEST_F(Mouse, DragAboveTheWindowScrollsFasterTheFartherOut)
{
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    rig.Load(text);
    memo.SetTopLine(100);
    const int lh = memo.RowHeight();
    std::vector<int> periods;
    auto timer = memo.OnAutoScroll;
    memo.OnAutoScroll = [&](int ms) {
        periods.push_back(ms);
        timer(ms);
    };
    const QPoint start = rig.At(105, 2);
    rig.Press(start);
    // up to half a line above the top nothing happens
    rig.Drag(QPoint(start.x(), -(lh / 2)));
    EXPECT_TRUE(periods.empty());
    EXPECT_EQ(memo.TopLine(), 100);
    EXPECT_EQ(rig.CaretLine(), 100) << "the selection reaches the top line";
    // a little further: slow
    const int near = -(lh / 2 + 1);
    rig.Drag(QPoint(start.x(), near));
    ASSERT_FALSE(periods.empty());
    const int waits[] = {500, 360, 216, 130, 78, 48, 30};
    const int speed = -near / 4;
    ASSERT_GE(speed, 1);
    ASSERT_LE(speed, 7);
    EXPECT_EQ(periods.back(), waits[speed - 1]);
    // far out: no waiting
    rig.Drag(QPoint(start.x(), -40));
    EXPECT_LE(periods.back(), 1);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 150)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const int32_t top = memo.TopLine();
    EXPECT_LT(top, 100) << "the view scrolled up";
    EXPECT_EQ(rig.CaretLine(), top) << "the selection follows to the top line";
    EXPECT_EQ(memo.SelText(), memo.GetTextPart(memo.SelStart(), memo.ParagraphStart(105) + 2));
    // releasing stops it
    rig.Release(QPoint(start.x(), -40));
    EXPECT_EQ(periods.back(), 0);
    const int32_t stopped = memo.TopLine();
    t.restart();
    while (t.elapsed() < 60)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(memo.TopLine(), stopped);
    memo.OnAutoScroll = timer;
}

// Lines the view scrolls while the pointer is held at a point, and the pictures painted.
struct TAutoScrollRun {
    int Lines = 0;
    int Paints = 0;
};

class PaintCounter : public QObject
{
public:
    int Paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++Paints;
        return false;
    }
};

TEST_F(Mouse, DragBelowTheWindowScrollsSlowlyNearTheEdgeAndOneLinePerPicture)
{
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    rig.Load(text);
    const int h = rig.Viewport()->height();
    PaintCounter counter;
    rig.Viewport()->installEventFilter(&counter);
    auto hold = [&](int below, int ms) {
        const int32_t top = memo.TopLine();
        const int paints = counter.Paints;
        rig.Drag(QPoint(30, h + below));
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return TAutoScrollRun{memo.TopLine() - top, counter.Paints - paints};
    };
    rig.Press(rig.At(2, 1));
    // just past the edge is the slowest speed: a line every half second
    TAutoScrollRun run = hold(1, 450);
    EXPECT_LE(run.Lines, 1);
    // a little further: still slow (360 ms)
    run = hold(11, 500);
    EXPECT_GE(run.Lines, 1);
    EXPECT_LE(run.Lines, 2);
    // far out: as fast as the window repaints, never more than a line per picture
    run = hold(200, 200);
    EXPECT_GE(run.Lines, 2);
    EXPECT_LE(run.Lines, run.Paints);
    rig.Release(QPoint(30, h + 200));
    EXPECT_EQ(rig.CaretLine(), memo.TopLine() + memo.VisibleLines() - 1) << "the selection follows";
    rig.Viewport()->removeEventFilter(&counter);
}

TEST(MouseLifetime, ControlSurvivesDestructionAfterMouseUse)
{
    for (int i = 0; i < 3; ++i) {
        TViewRig rig;
        rig.Load("abc");
        rig.Hover(QPoint(20, 5));
    }
}

TEST_F(Mouse, LoadingPutsTheCaretOnScreenAtTheTextStart)
{
    rig.Load("abcdef\r\nghijkl\r\nmnopqr\r\nstu");
    rig.Click(rig.At(2, 4));
    ASSERT_EQ(memo.CaretY(), 2 * memo.RowHeight());
    int moves = 0;
    memo.OnSelMove = [&](TCodeMemo *) { ++moves; };
    rig.Load("xyz\r\nuvw");
    EXPECT_EQ(memo.SelStart(), 0);
    EXPECT_EQ(memo.CaretX(), memo.XAtColumn(0, 0, 0));
    EXPECT_EQ(memo.CaretY(), 0);
    EXPECT_EQ(moves, 1);
}

} // namespace
