// The writing aids in the main window: procedures, find, printing, the help tree, the hint
// line, Enter's indentation and the help window.
#include "GuiTestUtil.h"

#include "app/FindDialog.h"
#include "app/HelpWindow.h"
#include "app/Printing.h"
#include "app/ProcedureWindow.h"
#include "opl/ProcScanner.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace quenvel;
using namespace quenvel::guitest;
using namespace quenvel::test;

namespace {

int InkRows(const QImage &img, int top, int bottom)
{
    int rows = 0;
    for (int y = std::max(0, top); y < std::min(img.height(), bottom); ++y)
        for (int x = 0; x < img.width(); x += 2)
            if (qGray(img.pixel(x, y)) < 128) {
                ++rows;
                break;
            }
    return rows;
}

} // namespace

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
    // a jump leaves a bare caret, whatever was selected before
    r.Memo().SetSelLength(5);
    list->setCurrentItem(list->topLevelItem(1));
    r.w->ProcedureWindow()->ListView1Click();
    EXPECT_EQ(r.Memo().SelLine() * 100 + r.Memo().SelLength(), 600);
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

// Enter in the Find dialog finds the next match, again and again, and never reaches the
// text; Escape closes the dialog.
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

// The page layout at a known resolution: an image of a letter-size page at 600 ppi.
TEST(WritingAids, PrintLayoutAtSixHundredPpi)
{
    std::string text = "PROC main:\r\n";
    for (int i = 0; i < 120; ++i)
        text += "  PRINT \"line " + std::to_string(i) + "\"\r\n";
    TWindowRig r(text);
    r.Memo().SetSelStart(5);
    r.Memo().SetSelLength(4);
    QImage page(5100, 6600, QImage::Format_RGB32);
    page.fill(Qt::white);
    page.setDotsPerMeterX(static_cast<int>(600 / 0.0254 + 0.5));
    page.setDotsPerMeterY(static_cast<int>(600 / 0.0254 + 0.5));
    ASSERT_EQ(page.logicalDpiX(), 600);
    QImage first;
    int newPages = 0;
    const TPrintReport rep = PrintDocument(r.Memo(), page, [&] {
        if (newPages++ == 0)
            first = page.copy();
        page.fill(Qt::white);
        return true;
    }, "/some/where/p.opl", "failed");
    // margins of 1.25 inch, the header at half an inch, the page's foot at 10.5 inches
    EXPECT_EQ((std::vector<int>{rep.Left, rep.HeaderTop, rep.FirstTop, rep.PageEnd}), (std::vector<int>{750, 300, 750, 6300}));
    EXPECT_GT(rep.Advance, 50);
    ASSERT_EQ(rep.LineTops.size(), 122u);
    EXPECT_EQ(rep.LineTops[0], std::make_pair(1, 750));
    EXPECT_EQ(rep.LineTops[1].second - rep.LineTops[0].second, rep.Advance);
    EXPECT_GT(rep.Pages, 1);
    EXPECT_EQ(newPages, rep.Pages - 1) << "one job, a new page per page";
    for (size_t k = 1; k < rep.LineTops.size(); ++k)
        if (rep.LineTops[k].first != rep.LineTops[k - 1].first)
            EXPECT_EQ(rep.LineTops[k].second, 750);
        else
            EXPECT_LE(rep.LineTops[k].second, 6300);
    // ink where the header and the first line stand, none above the header
    EXPECT_GT(InkRows(first, 300, 420), 20);
    EXPECT_GT(InkRows(first, 750, 750 + rep.Advance), 20);
    EXPECT_EQ(InkRows(first, 0, 290), 0);
    EXPECT_EQ(r.Memo().SelStart() * 100 + r.Memo().SelLength(), 504) << "the selection is kept";
}

// Printing that cannot go ahead (no default printer, a PDF that cannot be written) says
// why and keeps the selection.
TEST(WritingAids, PrintThatFailsSaysSoAndKeepsTheSelection)
{
    TWindowRig r("PROC main:\r\nENDP");
    r.ui.pdf = r.dir / "no/such/folder/out.pdf";
    const std::pair<const char *, std::string> cases[] = {
        {"Print", "error: There is no default printer currently selected"},
        {"Print to PDF", "error: Cannot create file " + *r.ui.pdf},
    };
    for (const auto &[action, says] : cases) {
        if (std::string(action) == "Print" && !QPrinterInfo::defaultPrinter().isNull())
            continue; // this machine has a default printer
        r.Memo().SetSelStart(2);
        r.Memo().SetSelLength(3);
        r.w->Action(action)->trigger();
        EXPECT_EQ(r.ui.asked.empty() ? "" : r.ui.asked.back(), says);
        EXPECT_EQ(r.Memo().SelStart() * 100 + r.Memo().SelLength(), 203);
    }
}

TEST(WritingAids, PrintToPdfWritesTheListing)
{
    TWindowRig r("PROC main:\r\n  PRINT \"hello\"\r\nENDP");
    r.ui.pdf = r.dir / "out.pdf";
    r.w->Action("Print to PDF")->trigger();
    const std::string pdf = ReadFile(r.dir / "out.pdf");
    ASSERT_EQ(pdf.rfind("%PDF", 0), 0u) << (r.ui.asked.empty() ? "" : r.ui.asked.back());
    if (std::system("command -v pdftoppm >/dev/null") != 0)
        GTEST_SKIP() << "pdftoppm is not installed: the page is not rendered";
    ASSERT_EQ(std::system(("pdftoppm -r 100 -f 1 -l 1 -png '" + (r.dir / "out.pdf") + "' '" + (r.dir / "page") + "'").c_str()), 0);
    QImage img(QString::fromStdString(r.dir / "page-1.png"));
    ASSERT_FALSE(img.isNull());
    // at 100 ppi: the header from 50 pixels down, the first line from 125
    EXPECT_GT(InkRows(img, 50, 72), 3);
    EXPECT_GT(InkRows(img, 125, 140), 3);
    EXPECT_EQ(InkRows(img, 0, 45), 0);
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

// The tree's content and its rules are tested without a window; here, that the pane shows
// them and a double click reaches the text or the help.
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

// F1 pressed in the editor opens the entry of the word at the caret, also for the words that
// have no place in the tree; elsewhere it opens the contents.
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
