// The writing aids in the window: procedures, find, help tree, hint line, Enter's indentation, help window.
#include "GuiTestUtil.h"

#include "app/FindDialog.h"
#include "app/HelpWindow.h"
#include "app/ProcedureWindow.h"
#include "opl/ProcScanner.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTextBrowser>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace quenvel;
using namespace quenvel::guitest;
using namespace quenvel::test;

TEST(WritingAids, ProcedureWindowListsAndJumps)
{
    TWindowRig r("REM top\r\nPROC main:\r\nREM Entry point\r\n  x\r\nENDP\r\n\tPROC hidden:\r\nproc Add%:(a%,b%)\r\nENDP");
    r.w->Action("Go to module")->trigger();
    QTreeWidget *list = r.w->ProcedureWindow()->List();
    auto rows = [list] {
        std::string s;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            for (int c = 0; c < 3; ++c)
                s += list->topLevelItem(i)->text(c).toStdString() + (c < 2 ? "," : ";");
        return s;
    };
    EXPECT_EQ(rows(), "main:,Entry point,2;Add%:(a%,b%),,7;");
    list->setCurrentItem(list->topLevelItem(1));
    r.w->ProcedureWindow()->ListView1Click();
    EXPECT_TRUE(r.w->ProcedureWindow()->isVisible()) << "a single click never hides the list";
    // the list follows edits once typing pauses
    r.Memo().SetSelStart(0);
    r.Memo().SetSelTextBuf("PROC first:\r\n");
    QTest::qWait(600);
    EXPECT_EQ(rows(), "first:,top,1;main:,Entry point,3;Add%:(a%,b%),,8;");
    list->setCurrentItem(list->topLevelItem(1));
    r.w->ProcedureWindow()->ListView1DblClick();
    EXPECT_EQ(r.Memo().SelLine(), 2);
    EXPECT_FALSE(r.w->ProcedureWindow()->isVisible());
    r.w->Action("Go to module")->trigger();
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_FALSE(r.w->ProcedureWindow()->isVisible()) << "Escape closes the list";
    // Go to line number: clipped to the document; a word is an error and the caret stays
    const struct {
        const char *answer;
        int32_t line, selLength;
    } gotos[] = {{"99", 8, 0}, {"0", 0, 0}, {"3", 2, 0}, {"-5", 0, 0}, {"abc", 0, 3}};
    for (const auto &g : gotos) {
        r.Memo().SetSelLength(3);
        r.ui.answers = {g.answer};
        r.w->Action("Go to line number")->trigger();
        EXPECT_EQ(r.Memo().SelLine() * 100 + r.Memo().SelLength(), g.line * 100 + g.selLength) << g.answer;
    }
    EXPECT_EQ(r.ui.asked.back(), "error: 'abc' is not a valid integer value");
}

// The numbers Go to line number takes, and the words it refuses with their text.
TEST(WritingAids, LineNumbersAreParsedOrRejectedWithTheirText)
{
    const std::pair<const char *, int32_t> good[] = {
        {"12", 12}, {"  7", 7}, {"-3", -3}, {"+4", 4}, {"$1F", 31}, {"0x10", 16},
        {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
    };
    for (auto [text, n] : good)
        EXPECT_EQ(ParseLineNumber(text), n) << text;
    for (const char *text : {"", " ", "12 ", "1.5", "abc", "2147483648", "$", "0x", "--1", "1e3"})
        EXPECT_THROW(ParseLineNumber(text), std::invalid_argument) << text; // (the message: Go to line number above)
}

TEST(WritingAids, FindAndFindNext)
{
    TWindowRig r("PROC a:\r\nproc b: PROC\r\nPR\r\nOC");
    EXPECT_FALSE(r.w->Action("Find Next")->isEnabled()) << "disabled until the first search";
    TFindDialog *f = r.w->FindDialog();
    f->SetFindText(QStringLiteral("proc"));
    f->SetMatchCase(false);
    r.w->FindDialog1Find();
    EXPECT_EQ(r.Memo().SelText(), "PROC");
    EXPECT_TRUE(r.w->Action("Find Next")->isEnabled());
    for (int32_t end : {13, 21, 21}) {
        r.w->Action("Find Next")->trigger();
        EXPECT_EQ(r.Memo().SelStart(), end);
    }
    EXPECT_EQ(r.ui.asked.back(), "Search string not found") << "no match across a line break, no wrap-around";
    f->SetFindText(QStringLiteral("PROC"));
    f->SetMatchCase(true);
    f->SetDown(false);
    for (int32_t start : {17, 0}) {
        r.w->FindDialog1Find();
        EXPECT_EQ(r.Memo().SelStart(), start) << "up, match case: the PROC before the caret";
        EXPECT_EQ(r.Memo().SelText(), "PROC");
    }
    // a character the editor's character set lacks is in no text: nothing found, nothing
    // else found in its place
    f->SetFindText(QString::fromUtf8("P\u20acROC"));
    r.w->FindDialog1Find();
    EXPECT_EQ(r.ui.asked.back(), "Search string not found");
    EXPECT_EQ(r.Memo().SelStart(), 0);
}

// Enter in the Find dialog finds again and again and never reaches the text; Escape closes it.
TEST(WritingAids, EnterInTheFindDialogFindsAndNeverEdits)
{
    TWindowRig r("PROC a:\r\n  x%=1\r\n  x%=2\r\nENDP");
    r.w->Action("Find")->trigger();
    QCoreApplication::processEvents();
    auto *edit = r.w->FindDialog()->findChild<QLineEdit *>();
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    QTest::keyClicks(edit, "x%");
    for (int32_t caret : {13, 21}) {
        QWidget *focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_TRUE(r.w->FindDialog()->isAncestorOf(focus)) << "the focus stays in the dialog";
        QTest::keyClick(focus, Qt::Key_Return);
        EXPECT_EQ(r.Memo().SelStart(), caret);
        EXPECT_EQ(r.Memo().SelText(), "x%");
    }
    EXPECT_EQ(r.Memo().Text(), "PROC a:\r\n  x%=1\r\n  x%=2\r\nENDP");
    EXPECT_FALSE(r.Memo().Modified());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(r.w->FindDialog()->isVisible());
}

TEST(WritingAids, TabSizeLimitsAndPanes)
{
    TWindowRig r("x");
    r.ui.answers = {"13", "12", "0", "x"};
    for (int expect : {8, 12, 12, 12}) {
        r.w->Action("Size of Tab Spaces")->trigger();
        EXPECT_EQ(r.Memo().TabStops(), expect);
    }
    EXPECT_EQ(r.ui.asked.back(), "error: 'x' is not a valid integer value");
}

// The tree pane shows its content, and a double click reaches the text or the help.
TEST(WritingAids, HelpTreeInsertsLeavesAndShowsEntries)
{
    TWindowRig r("PROC a:\r\n");
    QTreeWidget *tree = r.w->HelpTree();
    const auto gprint = tree->findItems("gPrint", Qt::MatchExactly | Qt::MatchRecursive), cache = tree->findItems("Cache", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(gprint.size() + cache.size(), 2);
    EXPECT_FALSE(cache[0]->icon(0).isNull()) << "the badge";
    EXPECT_TRUE(gprint[0]->icon(0).isNull());
    r.Memo().SetSelStart(0);
    tree->setCurrentItem(gprint[0]);
    r.w->TreeViewHelpKeysDblClick(false);
    EXPECT_EQ(r.Memo().Text(), "gPrint PROC a:\r\n");
    r.w->TreeViewHelpKeysDblClick(true);
    EXPECT_TRUE(r.w->HelpWindow()->isVisible());
    EXPECT_EQ(r.w->HelpWindow()->Browser()->source().fragment().toStdString(), "gprint");
}

TEST(WritingAids, HintLineEnterIndentationAndHelp)
{
    TWindowRig r("\t\tPROC a:\r\n");
    QWidget *ed = &r.w->Editor();
    r.Memo().SetSelStart(r.Memo().TextLength());
    for (auto [keys, hint] : {std::pair{"dtext", "dTEXT prompt$, body$[, type%]"}, {" ", "dTEXT prompt$, body$[, type%]"}, {"xyz ", "(none)"}}) {
        QTest::keyClicks(ed, keys);
        EXPECT_EQ(r.w->HintLine()->text().toStdString(), hint);
    }
    // Enter after a line indented with two TABs starts the next with two TABs
    r.Memo().SetSelStart(r.Memo().ParagraphStart(0) + 9);
    QTest::keyClick(ed, Qt::Key_Return);
    EXPECT_EQ(r.Memo().ParagraphText(1) + std::to_string(r.Memo().SelCol()), "\t\t2");
    // Help opens the contents
    r.w->Action("Help")->trigger();
    EXPECT_EQ(r.w->HelpWindow()->Browser()->source().fileName().toStdString(), "index.html");
}

// F1 in the editor opens the entry of the word at the caret, also words not in the tree; elsewhere contents.
TEST(WritingAids, F1OpensTheEntryOfAnyHighlightedWord)
{
    TWindowRig r("PROC main:\r\n  x = ABS(-1.5)\r\n  GETEVENT32 ev&()\r\n  gPRINT x\r\nENDP\r\n");
    QWidget *ed = &r.w->Editor();
    QTextBrowser *browser = r.w->HelpWindow()->Browser();
    const struct {
        int32_t line, col;
        const char *page, *anchor, *heading;
    } cases[] = {
        {2, 4, "events-and-input-output.html", "getevent32", "GETEVENT32"}, // a word without a place in the tree
        {3, 3, "graphics.html", "gprint", "gPrint"},
        {1, 2, "index.html", "", "OPL Help"}, // on no word
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.heading);
        r.Memo().SetSelStart(r.Memo().ParagraphStart(c.line) + c.col);
        QTest::keyClick(ed, Qt::Key_F1);
        ASSERT_TRUE(r.w->HelpWindow()->isVisible());
        EXPECT_EQ(browser->source().fileName().toStdString() + "#" + browser->source().fragment().toStdString(),
                  c.page + ("#" + std::string(c.anchor)));
        EXPECT_NE(browser->toPlainText().indexOf(QString::fromLatin1(c.heading)), -1);
    }
}
