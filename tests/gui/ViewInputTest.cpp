// What the view adds to the control's input: Qt keys, the system clipboard, pointer shapes, auto-scroll.
#include "GuiTestUtil.h"

#include <QClipboard>
#include <QGuiApplication>
#include <gtest/gtest.h>

using namespace quenvel;
using namespace quenvel::guitest;

TEST(ViewInput, KeysBecomeTheControlsKeysAndCharacters)
{
    TViewRig rig;
    TCodeMemo &memo = rig.Memo();
    rig.Load("ab");
    memo.SetSelStart(1);
    std::u32string missing;
    rig.view->SetOnMissingCharacter([&](char32_t c) { missing += c; });
    rig.Type("xY\r");
    rig.Key(Qt::Key_Tab, Qt::NoModifier, "\t");
    rig.Key(Qt::Key_Backspace, Qt::NoModifier, "\b");
    rig.Key(Qt::Key_A, Qt::AltModifier, "a"); // Alt+letter belongs to the menus
    rig.Key(Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("日"));
    memo.EnableHotKeys = true;
    rig.Key(Qt::Key_B, Qt::ControlModifier);
    QGuiApplication::clipboard()->setText(QString::fromUtf8("p\u00e9"));
    rig.Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(memo.Text(), "axY\r\n\x02p\xe9\x02" "b");
    EXPECT_EQ(missing, U"日");
    rig.Key(Qt::Key_Left, Qt::ShiftModifier);
    rig.Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("\u00e9"));
    // a caret moved by the program is reported once
    memo.SetSelLength(0);
    memo.SetSelStart(memo.ParagraphStart(1) + 4);
    int moves = 0;
    memo.OnSelMove = [&](TCodeMemo *) { ++moves; };
    memo.SetSelCol(2);
    EXPECT_EQ(memo.SelCol() * 10 + moves, 21);
}

TEST(ViewInput, PointerShapeAndAutoScrollTimer)
{
    TViewRig rig;
    TCodeMemo &memo = rig.Memo();
    rig.table->AddKeyword("hotword", koWholeWords, fsBold, 2, -21, 0, clNavy);
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "hotword " + std::to_string(i) + "\r\n";
    rig.Load(text);
    memo.ParseAllKeywords();
    rig.Hover(rig.At(0, 2));
    EXPECT_EQ(rig.Viewport()->cursor().shape(), Qt::PointingHandCursor);
    rig.Hover(rig.At(0, 9));
    EXPECT_EQ(rig.Viewport()->cursor().shape(), Qt::IBeamCursor);
    memo.SetTopLine(100);
    rig.Press(rig.At(105, 2));
    rig.Drag(QPoint(30, -40));
    QTest::qWait(150);
    EXPECT_LT(memo.TopLine(), 100) << "the view scrolled up";
    rig.Release(QPoint(30, -40));
    const int32_t stopped = memo.TopLine();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 60);
    EXPECT_EQ(memo.TopLine(), stopped);
}
