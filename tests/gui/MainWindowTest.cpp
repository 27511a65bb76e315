// The main window offscreen: first start, the settings written, dialect menu, shortcuts, close query.
#include "app/MainWindow.h"
#include "app/QtDocumentUi.h"
#include "opl/OplKeywords.h"
#include "platform/CodeMemoView.h"
#include "tests/ScriptedUi.h"
#include "tests/TestUtil.h"

#include <QAction>
#include <QApplication>
#include <QFontDialog>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

using namespace quenvel;
using namespace quenvel::test;

namespace {

void Settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

std::unique_ptr<TFrmMain> Start(const std::string &ini, const std::string &file = std::string())
{
    auto w = std::make_unique<TFrmMain>(ini, file);
    w->show();
    QApplication::setActiveWindow(w.get());
    Settle();
    return w;
}

} // namespace

TEST(MainWindow, FirstStartWithoutSettingsAndTheSettingsWrittenAtClose)
{
    TTempDir t;
    auto w = Start(t / "quenvel.ini");
    EXPECT_EQ(w->size(), QSize(608, 459));
    EXPECT_EQ(w->windowTitle().toStdString(), "Quenvel 1.21 (16/03/1998)");
    EXPECT_EQ(w->EditTitle()->text().toStdString(), "Edit: ( Untitled.opl  )");
    EXPECT_EQ(w->Document().Memo().Text(), "PROC :\r\n\r\nENDP");
    EXPECT_EQ((w->Panel(1)->text() + "|" + w->Panel(2)->text() + "|" + w->Panel(3)->text()).toStdString(), "Line: 1|Col: 6| ");
    EXPECT_TRUE(w->Action("OPL Siena")->isChecked());
    EXPECT_TRUE(w->HintPane()->isVisible() && w->HelpPane()->isVisible());
    EXPECT_EQ(w->Document().Memo().TabStops(), 8);

    // a change of dialect and of a pane reaches the file at close
    w->Action("OPL 3")->trigger();
    w->Action("Write Help System")->trigger();
    EXPECT_FALSE(w->HintPane()->isVisible());
    EXPECT_TRUE(w->close());
    const std::string ini = ReadFile(t / "quenvel.ini");
    for (const char *line : {"Width=608", "Height=459", "State=0", "Syntax=OPL 3", "Type=Courier New", "Size=10",
                             "Background=-2147483643", "Tabs=8", "Help Window OPL=1", "Help Window Write OPL=0"})
        EXPECT_NE(ini.find(std::string(line) + "\n"), std::string::npos) << line << "\n" << ini;

    // the next start reads them back
    auto again = Start(t / "quenvel.ini");
    EXPECT_TRUE(again->Action("OPL 3")->isChecked());
    EXPECT_FALSE(again->HintPane()->isVisible());
}

TEST(MainWindow, SyntaxValuesOfTheSettingsFile)
{
    for (const char *syntax : {"None", "OPP"}) {
        TTempDir t;
        WriteFile(t / "q.ini", std::string("[Window]\nSyntax=") + syntax + "\n");
        WriteFile(t / "a.opl", "PROC a:\r\n  PRINT \"x\" REM y\r\nENDP");
        auto w = Start(t / "q.ini", t / "a.opl");
        const bool none = std::string(syntax) == "None";
        EXPECT_EQ(w->Action("None")->isChecked(), none);
        for (const char *b : {"OPL Siena", "OPL 3", "OPL 5"})
            EXPECT_FALSE(w->Action(b)->isChecked()) << b;
        w->Document().Memo().ParseAllKeywords();
        EXPECT_EQ(w->Document().Memo().Par(1).MarkCount, 0) << "nothing highlighted";
        EXPECT_EQ(w->EditTitle()->text().toStdString(), "Edit: ( a.opl )");
        EXPECT_EQ(w->Document().Memo().Text(), "PROC a:\r\n  PRINT \"x\" REM y\r\nENDP") << "no template";
        EXPECT_TRUE(w->close());
        EXPECT_NE(ReadFile(t / "q.ini").find(std::string("Syntax=") + (none ? "None" : "") + "\n"),
                  std::string::npos);
    }
}

// Each command is one action wherever shown; a dialect switch keeps the caret's line and the changes.
TEST(MainWindow, OneActionPerCommandAndTheDialectSwitch)
{
    TTempDir t;
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += "PROC p" + std::to_string(i) + ":\r\n";
    WriteFile(t / "a.opl", text);
    auto w = Start(t / "q.ini", t / "a.opl");
    for (QToolBar *bar : w->findChildren<QToolBar *>())
        for (QAction *a : bar->actions())
            EXPECT_TRUE(a->isSeparator() || a->parent() == w.get()) << a->text().toStdString();
    EXPECT_EQ(w->findChildren<QAction *>(QStringLiteral("Undo")).size(), 1);
    EXPECT_EQ(w->Action(TCommand::DialectSiena)->iconText().toStdString(), "S");

    TCodeMemo &m = w->Document().Memo();
    m.SetSelLine(30);
    m.SetSelCol(4);
    m.SetSelTextBuf("x");
    EXPECT_TRUE(w->Action(TCommand::Undo)->isEnabled());
    w->Action(TCommand::DialectOpp)->trigger();
    EXPECT_TRUE(w->Action("OPL 5")->isChecked());
    EXPECT_FALSE(w->Action("OPL Siena")->isChecked());
    EXPECT_EQ(m.SelLine(), 30);
    EXPECT_EQ(m.SelCol(), 0) << "the caret at the start of its line";
    EXPECT_TRUE(m.Modified() && m.CanUndo());
    EXPECT_EQ(m.CodePage, cpWindows1252);
    // choosing the dialect in force changes nothing and keeps its check mark
    m.SetSelCol(3);
    w->Action("OPL 5")->trigger();
    EXPECT_TRUE(w->Action("OPL 5")->isChecked());
    EXPECT_EQ(m.SelCol(), 3);
    w->Action("None")->trigger();
    EXPECT_EQ(m.SelStart(), 0);
    w->Action("OPL Siena")->trigger();
    EXPECT_TRUE(w->Action("OPL Siena")->isChecked() && !w->Action("None")->isChecked());
    EXPECT_EQ(m.CodePage, cpIbm850) << "the Series 3 character set";
    EXPECT_EQ(m.Text().substr(0, 8), "PROC p0:");
    TScriptedUi no;
    no.answer = TDocumentUi::aNo;
    w->SetDocumentUi(&no);
    EXPECT_TRUE(w->close());
}

// Menu shortcuts come before the focused editor: Ctrl+S saves, Ctrl+Z is the menu's Undo, Ctrl+X asks and closes.
TEST(MainWindow, MenuShortcutsWinOverTheEditor)
{
    TTempDir t;
    WriteFile(t / "a.opl", "PROC a:\r\nENDP");
    auto w = Start(t / "q.ini", t / "a.opl");
    QWidget *editor = &w->Editor();
    editor->setFocus();
    Settle();
    ASSERT_TRUE(editor->hasFocus());
    QTest::keyClicks(editor, "ab");
    EXPECT_EQ(w->Panel(3)->text().toStdString(), "Mod");
    QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadFile(t / "a.opl"), "abPROC a:\r\nENDP");
    EXPECT_EQ(w->Panel(3)->text().toStdString(), " ");
    QTest::keyClicks(editor, "c");
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w->Document().Memo().Text(), "abPROC a:\r\nENDP") << "typing after a save is a step of its own";
    EXPECT_EQ(w->Panel(3)->text().toStdString(), " ");
    // Ctrl+X asks about the changes first; Cancel keeps the window
    QTest::keyClicks(editor, "d");
    TScriptedUi cancel;
    w->SetDocumentUi(&cancel);
    QTest::keyClick(editor, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(cancel.confirmSaves, 1);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(ReadFile(t / "a.opl"), "abPROC a:\r\nENDP");
    cancel.answer = TDocumentUi::aNo;
    QTest::keyClick(editor, Qt::Key_X, Qt::ControlModifier);
    EXPECT_FALSE(w->isVisible());
}


// The font dialog opens on the editor's font and OK keeps it; font and background colours reach the settings.
TEST(MainWindow, FontDialogOpensOnTheEditorsFontAndColoursAreKept)
{
    TTempDir t;
    auto w = Start(t / "q.ini");
    TCodeMemo &m = w->Document().Memo();
    TFontDesc f = m.Font();
    f.Size = 13;
    f.Style = fsBold;
    m.SetFont(f);
    QFont shown;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFontDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shown = dialog->currentFont();
        dialog->accept();
    });
    TQtDocumentUi real(w.get());
    const std::optional<TFontDesc> kept = real.ChooseFont(m.Font());
    EXPECT_EQ(shown.family(), QFontInfo(QFont(QStringLiteral("Courier New"))).family());
    EXPECT_TRUE(shown.pointSize() == 13 && shown.bold());
    ASSERT_TRUE(kept);
    EXPECT_TRUE(kept->Name == "Courier New" && kept->Size == 13 && kept->Style == fsBold);

    TScriptedUi ui;
    w->SetDocumentUi(&ui);
    ui.colors = {0x0000FF, 0x00FFFF};
    w->Action("Font Color")->trigger();
    w->Action("Background Color")->trigger();
    EXPECT_EQ(m.Font().Color, 0x0000FFu);
    EXPECT_EQ(m.Color(), 0x00FFFFu);
    // a character the Series 3 set lacks is not typed, and the status bar says why
    w->Action("OPL Siena")->trigger();
    const std::string before = m.Text();
    QKeyEvent euro(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("\u20ac"));
    QCoreApplication::sendEvent(&w->Editor(), &euro);
    EXPECT_EQ(m.Text(), before);
    EXPECT_EQ(w->Panel(0)->text().toStdString(),
              "The character \u201c\u20ac\u201d does not exist in the Series 3 character set");
    ui.answer = TDocumentUi::aNo;
    EXPECT_TRUE(w->close());
    const std::string ini = ReadFile(t / "q.ini");
    for (const char *line : {"Color=255", "Background=65535", "Size=13"})
        EXPECT_NE(ini.find(std::string(line) + "\n"), std::string::npos) << line << "\n" << ini;
}

// Undo back to the saved text, zoom, line numbers, Desktop keys, recent files kept in the settings.
TEST(MainWindow, EverydayEditingCommands)
{
    TTempDir t;
    const std::string original = "PROC a:\r\n  x%=1\r\nENDP";
    WriteFile(t / "a.opl", original);
    WriteFile(t / "gone.opl", "");
    auto w = Start(t / "q.ini", t / "a.opl");
    TCodeMemo &m = w->Document().Memo();
    QWidget *editor = &w->Editor();
    auto key = [&](Qt::Key k, Qt::KeyboardModifiers mods = Qt::ControlModifier) { QTest::keyClick(editor, k, mods); };
    // three steps: typing runs apart
    QTest::keyClicks(editor, "one");
    key(Qt::Key_End);
    QTest::keyClicks(editor, "two");
    key(Qt::Key_Home);
    QTest::keyClicks(editor, "3");
    ASSERT_EQ(m.Text(), "3onePROC a:\r\n  x%=1\r\nENDPtwo");
    for (int i = 0; i < 3; ++i)
        key(Qt::Key_Z);
    EXPECT_EQ(m.Text(), original);
    EXPECT_FALSE(m.Modified());
    EXPECT_EQ(w->Panel(3)->text().toStdString(), " ") << "back at the saved text";
    EXPECT_FALSE(w->Action(TCommand::Undo)->isEnabled());

    const int32_t size = m.Font().Size;
    key(Qt::Key_Equal);
    EXPECT_EQ(m.Font().Size, size + 1);
    key(Qt::Key_Minus);
    key(Qt::Key_Minus);
    EXPECT_EQ(m.Font().Size, size - 1);
    w->Action(TCommand::LineNumbers)->trigger();
    EXPECT_TRUE(m.LineNumbers());
    w->Action(TCommand::KeyboardDesktop)->trigger();
    TScriptedUi ui;
    w->SetDocumentUi(&ui);
    ui.openName = t / "gone.opl";
    w->Action(TCommand::Open)->trigger();
    EXPECT_TRUE(w->close());

    // the next start: the Desktop keys, the size and both files, the latest first
    std::filesystem::remove(t / "gone.opl");
    auto again = Start(t / "q.ini");
    QStringList shown;
    for (QAction *a : again->findChildren<QAction *>())
        if (a->text().startsWith(QLatin1Char('&')) && a->text().at(1).isDigit())
            shown << a->text();
    EXPECT_EQ(shown.join(QLatin1Char('|')).toStdString(),
              "&1 " + std::string(t / "gone.opl") + "|&2 " + std::string(t / "a.opl"));
    EXPECT_EQ(again->Document().Memo().Font().Size, size - 1);
    EXPECT_TRUE(again->Action(TCommand::KeyboardDesktop)->isChecked());
    EXPECT_TRUE(again->Action(TCommand::LineNumbers)->isChecked() && again->Document().Memo().LineNumbers());
    TScriptedUi ui2;
    again->SetDocumentUi(&ui2);
    for (QAction *a : again->findChildren<QAction *>())
        if (a->text().startsWith(QStringLiteral("&1 ")))
            a->trigger();
    ASSERT_EQ(ui2.asked.size(), 1u);
    EXPECT_NE(ui2.asked[0].find("no longer exists"), std::string::npos) << ui2.asked[0];
}
