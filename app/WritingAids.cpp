// The main window's writing aids: procedures, search, printing, the help tree, the hint
// line, the indentation Enter carries over, and the help window.
#include "MainWindow.h"

#include "app/FindDialog.h"
#include "app/HelpTreePane.h"
#include "app/HelpWindow.h"
#include "app/Printing.h"
#include "app/ProcedureWindow.h"
#include "app/QtDocumentUi.h"
#include "app/StatusPanels.h"
#include "opl/HelpIndex.h"
#include "opl/HelpTree.h"
#include "opl/SyntaxHints.h"
#include "platform/CodeMemoView.h"
#include "platform/CodePageText.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTreeWidget>

namespace quenvel {

void TFrmMain::CreateAids()
{
    frmModules_ = new TfrmModules(doc_.Memo(), this);
    frmModules_->OnJump = [this](int32_t line) { Guard([&] { doc_.GoToLine(line); }); };
    frmModules_->OnChosen = [this] {
        activateWindow();
        CodeMemo1->setFocus();
    };
    FindDialog1 = new TFindDialog(this);
    FindDialog1->OnFind = [this] { FindDialog1Find(); };
    FindDialog1->OnReplace = [this] { FindDialog1Replace(); };
    FindDialog1->OnReplaceAll = [this] { FindDialog1ReplaceAll(); };
    help_ = new THelpWindow(this);

    FillHelpTree(TreeViewHelpKeys);
    connect(TreeViewHelpKeys, &QTreeWidget::itemDoubleClicked, this, [this] {
        TreeViewHelpKeysDblClick(QApplication::keyboardModifiers() & Qt::ShiftModifier);
    });
    TreeViewHelpKeys->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(TreeViewHelpKeys, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        if (!TreeViewHelpKeys->itemAt(at))
            return;
        QMenu menu(this);
        connect(menu.addAction(QStringLiteral("Insert")), &QAction::triggered, this,
                [this] { TreeViewHelpKeysDblClick(false); });
        connect(menu.addAction(QStringLiteral("Show Help")), &QAction::triggered, this,
                [this] { TreeViewHelpKeysDblClick(true); });
        menu.exec(TreeViewHelpKeys->viewport()->mapToGlobal(at));
    });

    TCodeMemo &m = doc_.Memo();
    m.OnChange = [this](TCodeMemo *) {
        frmModules_->TextChanged();
        ShowEditState(); // an undo may have brought back the saved text
    };
    m.OnKeyPress = [this](TCodeMemo *, char &ch) { CodeMemo1KeyPress(ch); };
    m.OnKeyUp = [this](TCodeMemo *, uint16_t &, TShiftState) { CodeMemo1KeyUp(); };
}

// ---- procedures ----

void TFrmMain::Gotomodule1Click()
{
    frmModules_->show();
    frmModules_->raise();
    frmModules_->activateWindow();
    frmModules_->ScanProcedures();
}

// ---- search ----

void TFrmMain::Find1Click()
{
    FindDialog1->ShowAs(false);
}

void TFrmMain::Replace1Click()
{
    FindDialog1->ShowAs(true);
}

void TFrmMain::Search(const std::function<bool(const std::string &find, const std::string &with)> &step)
{
    Guard([&] {
        if (FindDialog1->FindText().isEmpty())
            return;
        TCodeMemo &m = doc_.Memo();
        // the dialog's texts in the editor's character set: a character the set lacks is in
        // no text, so nothing is found, and it cannot go into one
        const std::optional<std::string> find = ExactBytes(FindDialog1->FindText(), m.CodePage);
        std::u32string missing;
        const std::string with = QStringToBytes(FindDialog1->ReplaceText(), m.CodePage, &missing);
        if (FindDialog1->IsReplace() && !missing.empty()) {
            ui_->Tell(MissingCharacterText(missing[0], m.CodePage).toStdString());
            return;
        }
        bool found = false;
        if (find) {
            TBusy busy(*ui_);
            found = step(*find, with);
        }
        if (!found)
            ui_->Tell("Search string not found");
        // the focus stays where the search was started: in the dialog, Enter finds the next
        // match and Escape closes it; from the window (F3), the editor keeps it
        searched_ = true;
        UpdateActions();
    });
}

void TFrmMain::FindDialog1Find()
{
    Search([this](const std::string &find, const std::string &) {
        return doc_.FindNext(find, FindDialog1->Down(), FindDialog1->MatchCase(), FindDialog1->WholeWord());
    });
}

void TFrmMain::FindDialog1Replace()
{
    Search([this](const std::string &find, const std::string &with) {
        return doc_.ReplaceNext(find, with, FindDialog1->Down(), FindDialog1->MatchCase(), FindDialog1->WholeWord());
    });
}

void TFrmMain::FindDialog1ReplaceAll()
{
    Search([this](const std::string &find, const std::string &with) {
        const int32_t n = doc_.ReplaceAll(find, with, FindDialog1->MatchCase(), FindDialog1->WholeWord());
        if (n > 0)
            StatusBar->SetText(0, n == 1 ? QStringLiteral("1 replacement") : QStringLiteral("%1 replacements").arg(n));
        return n > 0;
    });
}

void TFrmMain::FindNext1Click()
{
    if (searched_)
        FindDialog1Find();
}

// ---- printing ----

void TFrmMain::PrintTo(QPaintDevice &device, const std::function<bool()> &newPage, const std::string &failure)
{
    TBusy busy(*ui_);
    PrintDocument(doc_.Memo(), device, newPage, doc_.FileName(), failure);
}

void TFrmMain::SpeedBtnPrintClick()
{
    Guard([&] {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull())
            throw EQuenvelError("There is no default printer currently selected");
        QPrinter printer(info, QPrinter::HighResolution);
        printer.setDocName(QStringLiteral("Quenvel "));
        PrintTo(printer, [&] { return printer.newPage(); },
                "The printer " + ToLocal(info.printerName()) + " refused the listing");
    });
}

void TFrmMain::PrintToPdf1Click()
{
    Guard([&] {
        // the document's name with ".pdf" in place of its extension
        std::string suggested = doc_.FileName().empty() ? "Untitled.opl" : doc_.FileName();
        const auto slash = suggested.find_last_of('/'), dot = suggested.find_last_of('.');
        if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
            suggested.erase(dot);
        suggested += ".pdf";
        const std::optional<std::string> path = ui_->PdfFileName(suggested);
        if (!path)
            return;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        // a PDF page has no unprintable edge: the layout is measured from the paper's edge
        printer.setFullPage(true);
        printer.setOutputFileName(FromLocal(*path));
        printer.setDocName(QStringLiteral("Quenvel "));
        PrintTo(printer, [&] { return printer.newPage(); }, "Cannot create file " + *path);
    });
}

// ---- the help tree, the hint line, Enter, the help window ----

void TFrmMain::TreeViewHelpKeysDblClick(bool showEntry)
{
    const int node = HelpNodeOf(TreeViewHelpKeys->currentItem());
    if (node < 0)
        return;
    if (showEntry) {
        help_->ShowTopic(HelpTopicForNode(node));
        return;
    }
    const std::optional<std::string> text = HelpTreeInsertText(node);
    if (!text)
        return; // a group opens or closes by itself
    doc_.Memo().SetSelTextBuf(text->c_str());
    CodeMemo1->setFocus();
}

void TFrmMain::ShowSyntaxHint()
{
    TCodeMemo &m = doc_.Memo();
    const std::string current = LblHelpCommand->text().toStdString();
    const std::string next = NextSyntaxHint(m.LineText(m.SelLine()), m.SelCol(), current);
    if (next != current)
        LblHelpCommand->setText(QString::fromLatin1(next.c_str()));
}

void TFrmMain::CodeMemo1KeyPress(char ch)
{
    if (ch == 13) {
        LblHelpCommand->setText(QString::fromLatin1(kNoSyntaxHint.data(), kNoSyntaxHint.size()));
        TCodeMemo &m = doc_.Memo();
        IndentBlanks = LeadingBlanks(m.LineText(m.SelLine()));
    }
    LastKeyChar = ch;
}

void TFrmMain::CodeMemo1KeyUp()
{
    if (LastKeyChar == 13 && !IndentBlanks.empty()) {
        CarryIndentation(doc_.Memo(), IndentBlanks);
        LastKeyChar = 0;
    }
}

void TFrmMain::hELP2Click()
{
    help_->ShowTopic(std::string(kHelpContentsTopic));
}

void TFrmMain::HelpOnWord1Click()
{
    TCodeMemo &m = doc_.Memo();
    const std::optional<std::string> topic = HelpTopicForWord(WordAtCaret(m.LineText(m.SelLine()), m.SelCol()));
    help_->ShowTopic(topic ? *topic : std::string(kHelpContentsTopic));
}

} // namespace quenvel
