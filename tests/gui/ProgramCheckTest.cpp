// The program check in the window: underlines after a pause, the error list, F12 to a definition, Alt+Left.
#include "GuiTestUtil.h"

#include "app/ErrorPane.h"
#include "app/ProgramCheck.h"

#include <QDockWidget>
#include <QLabel>
#include <gtest/gtest.h>

using namespace quenvel;
using namespace quenvel::guitest;

namespace {

// The main window, its program check let run to its end (within a second of the last change).
struct TRig : TWindowRig {
    explicit TRig(const std::string &text) : TWindowRig(text) { Settle(); }
    TProgramCheck &Check() { return *w->ProgramCheck(); }
    void Settle()
    {
        QElapsedTimer t;
        t.start();
        do
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        while (Check().Pending() && t.elapsed() < 1000);
    }
    void Type(const QString &keys) { QTest::keyClicks(&w->Editor(), keys); } // CR is Enter
};

} // namespace

TEST(ProgramCheck, TypedErrorsAreUnderlinedListedAndReachable)
{
    TRig r("PROC main:\r\n  helper:\r\nENDP\r\nPROC helper:\r\nENDP\r\n");
    EXPECT_EQ(r.Check().Result().Errors(), 0);
    EXPECT_EQ(r.w->Panel(4)->text().toStdString(), "0 errors");
    // a new user types an IF that never ends and an ENDWH without its WHILE
    r.Memo().SetSelStart(r.Memo().ParagraphStart(1) + 9);
    QElapsedTimer typed;
    typed.start();
    r.Type("\rIF x%\rENDWH");
    r.Settle();
    EXPECT_LT(typed.elapsed(), 1000 + TProgramCheck::kPauseMs);
    ASSERT_EQ(r.Check().Result().Errors(), 2);
    EXPECT_EQ(r.w->Panel(4)->text().toStdString(), "2 errors");
    const auto &marks = r.w->Editor().WavyMarks();
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].Par, 3); // ENDWH
    EXPECT_EQ(marks[0].Len, 5);
    EXPECT_EQ(marks[1].Par, 4); // ENDP: the IF never closed
    // drawn in red by the view, below the line of ENDWH, and not in the text
    const QImage img = r.w->Editor().viewport()->grab().toImage();
    const int lh = r.Memo().RowHeight();
    int red = 0;
    for (int y = 3 * lh; y < 4 * lh; ++y)
        for (int x = 0; x < img.width(); ++x)
            red += img.pixelColor(x, y) == QColor(Qt::red);
    EXPECT_GT(red, 5);
    EXPECT_EQ(r.Memo().ParagraphText(3).find("ENDWH"), r.Memo().ParagraphText(3).size() - 5);

    // Ctrl+T lists them below the editor; a double click puts a bare caret on the place
    QTest::keyClick(&r.w->Editor(), Qt::Key_T, Qt::ControlModifier);
    ASSERT_TRUE(r.Check().Dock()->isVisible());
    TErrorPane *pane = r.Check().Pane();
    ASSERT_EQ(pane->topLevelItemCount(), 2);
    EXPECT_EQ(pane->topLevelItem(0)->text(2).toStdString(), "Structure fault: ENDWH without WHILE");
    r.Memo().SetSelStart(0);
    r.Memo().SetSelLength(3);
    emit pane->itemDoubleClicked(pane->topLevelItem(0), 0);
    EXPECT_EQ(r.Memo().CaretPar(), 3);
    EXPECT_EQ(r.Memo().SelLength(), 0);
    EXPECT_EQ(r.Memo().SelStart() - r.Memo().ParagraphStart(3) + 1, pane->topLevelItem(0)->text(1).toInt());

    // F12 on the call goes to the procedure, Alt+Left comes back
    const int32_t call = r.Memo().ParagraphStart(1) + 4;
    r.Memo().SetSelStart(call);
    QTest::keyClick(&r.w->Editor(), Qt::Key_F12);
    EXPECT_EQ(r.Memo().CaretPar(), 5); // PROC helper:
    QTest::keyClick(&r.w->Editor(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(r.Memo().SelStart(), call);

    // fixing the program clears the marks and the count
    r.Memo().SetSelStart(r.Memo().ParagraphStart(3));
    r.Memo().SetSelLength(static_cast<int32_t>(r.Memo().ParagraphText(3).size()));
    r.Type("ENDIF");
    r.Settle();
    EXPECT_EQ(r.Check().Result().Errors(), 0);
    EXPECT_TRUE(r.w->Editor().WavyMarks().empty());
    EXPECT_EQ(pane->topLevelItemCount(), 0);
}

TEST(ProgramCheck, TheHintLineShowsAConstantsValue)
{
    TRig r("CONST KWidth%=$20\r\nPROC main:\r\n  x%=KWidth%*2\r\nENDP\r\n");
    r.Memo().SetSelStart(r.Memo().ParagraphStart(2) + 6);
    EXPECT_EQ(r.w->HintLine()->text().toStdString(), "CONST KWIDTH% = 32");
}
