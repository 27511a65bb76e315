// Mouse input on the editor view: placing the caret, selecting by Shift-click, drag and
// double click, the context event of keywords and the hover cursor.
#include "GuiTestUtil.h"

#include <gtest/gtest.h>

#include <functional>
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

// Shift-click and drag select from an anchor to the pointer, turning round the anchor, with
// the caret at the pointer; a plain click drops the selection, a move after the release
// selects nothing more.
TEST_F(Mouse, ShiftClickAndDragSelectFromTheAnchor)
{
    rig.Load("abcdef\r\nghijkl\r\nmnop");
    const QPoint below(30, rig.Viewport()->height() - 5);
    const auto shift = Qt::ShiftModifier;
    const std::tuple<std::function<void()>, const char *, int32_t> steps[] = {
        {[&] { rig.Click(rig.At(0, 2)); rig.Click(rig.At(1, 4), shift); }, "cdef\r\nghij", 12},
        {[&] { rig.Click(rig.At(0, 0), shift); }, "ab", 0},
        {[&] { rig.Click(below, shift); }, "cdef\r\nghijkl\r\nmnop", 20},
        {[&] { rig.Click(rig.At(2, 1)); }, "", 17},
        {[&] { rig.Press(rig.At(0, 1)); rig.Drag(rig.At(1, 3)); }, "bcdef\r\nghi", 11},
        {[&] { rig.Drag(rig.At(2, 2)); }, "bcdef\r\nghijkl\r\nmn", 18},
        {[&] { rig.Drag(rig.At(0, 0)); }, "a", 0},
        {[&] { rig.Drag(rig.At(1, 1)); rig.Release(rig.At(1, 1)); }, "bcdef\r\ng", 9},
        {[&] { rig.Hover(rig.At(2, 3)); }, "bcdef\r\ng", 9},
    };
    for (const auto &[step, text, caret] : steps) {
        step();
        EXPECT_EQ(memo.SelText(), text);
        EXPECT_EQ(memo.SelStart(), caret) << text;
    }
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

// A click on a keyword reports its run once, from any of its characters; plain text and a
// drag report nothing. Hovering a run with a cursor shows that cursor.
TEST_F(Mouse, KeywordRunsAnswerClicksAndHovering)
{
    rig.table->AddKeyword("hotword", koWholeWords, fsBold, 2, -21, 0, clNavy);
    rig.Load("  PRINT x, hotword\r\nPRINT");
    memo.ParseAllKeywords();
    std::vector<std::tuple<int, int32_t, int32_t>> events;
    memo.OnContext = [&](TCodeMemo *, int16_t context, int32_t start, int32_t stop) {
        events.emplace_back(context, start, stop);
    };
    const auto print = std::make_tuple(int(kOplKeywordContext), 2, 7), hot = std::make_tuple(2, 11, 18);
    const std::tuple<int32_t, int32_t, std::vector<std::tuple<int, int32_t, int32_t>>, Qt::CursorShape> cases[] = {
        {0, 2, {print}, Qt::IBeamCursor},       {0, 6, {print}, Qt::IBeamCursor},
        {0, 8, {}, Qt::IBeamCursor},            {0, 11, {hot}, Qt::PointingHandCursor},
        {0, 17, {hot}, Qt::PointingHandCursor}, {0, 0, {}, Qt::IBeamCursor},
        {1, 0, {std::make_tuple(int(kOplKeywordContext), 20, 25)}, Qt::IBeamCursor},
    };
    for (const auto &[line, col, reported, cursor] : cases) {
        SCOPED_TRACE(testing::Message() << line << ":" << col);
        events.clear();
        rig.Hover(rig.At(line, col) + QPoint(2, 0));
        EXPECT_EQ(rig.Viewport()->cursor().shape(), cursor);
        rig.Click(rig.At(line, col) + QPoint(2, 0));
        EXPECT_EQ(events, reported);
    }
    events.clear();
    rig.Press(rig.At(0, 3) + QPoint(2, 0));
    rig.Drag(rig.At(0, 5) + QPoint(2, 0));
    rig.Release(rig.At(0, 5) + QPoint(2, 0));
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(memo.SelText(), "RI");
}

TEST_F(Mouse, DragAboveTheWindowScrollsFasterTheFartherOut)
{
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    rig.Load(text);
    memo.SetTopLine(100);
    std::vector<int> periods;
    auto timer = memo.OnAutoScroll;
    memo.OnAutoScroll = [&](int ms) {
        periods.push_back(ms);
        timer(ms);
    };
    const int x = rig.At(105, 2).x(), half = memo.RowHeight() / 2;
    rig.Press(rig.At(105, 2));
    // up to half a line above the top nothing happens but the selection reaching the top line
    rig.Drag(QPoint(x, -half));
    EXPECT_TRUE(periods.empty());
    EXPECT_EQ(memo.TopLine(), 100);
    EXPECT_EQ(rig.CaretLine(), 100);
    // a little further: slow; far out: no waiting
    rig.Drag(QPoint(x, -half - 1));
    ASSERT_FALSE(periods.empty());
    EXPECT_GE(periods.back(), 130);
    rig.Drag(QPoint(x, -40));
    EXPECT_LE(periods.back(), 1);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 150)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_LT(memo.TopLine(), 100) << "the view scrolled up";
    EXPECT_EQ(rig.CaretLine(), memo.TopLine()) << "the selection follows to the top line";
    // releasing stops it
    rig.Release(QPoint(x, -40));
    EXPECT_EQ(periods.back(), 0);
    const int32_t stopped = memo.TopLine();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 60);
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
