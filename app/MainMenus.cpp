// The main window's menus, toolbars and context menu, and the small commands behind them.
#include "MainWindow.h"

#include "app/AboutBox.h"
#include "app/ProgramCheck.h"
#include "app/Actions.h"
#include "app/QtDocumentUi.h"
#include "app/StatusPanels.h"
#include "app/ToolbarGlyphs.h"
#include "opl/ProcScanner.h"
#include "platform/CodeMemoView.h"
#include "platform/QtSurface.h"

#include <QAction>
#include <QWheelEvent>
#include <QActionGroup>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <filesystem>

namespace quenvel {

QAction *TFrmMain::Action(const QString &caption) const
{
    for (QAction *a : findChildren<QAction *>())
        if (a->objectName() == caption)
            return a;
    return nullptr;
}

QLabel *TFrmMain::Panel(int index) const
{
    return StatusBar->Panel(index);
}

void TFrmMain::CreateActions()
{
    actions_ = std::make_unique<TActions>(*this);
    actions_->FillMenuBar(*menuBar());
    actions_->FillToolBars(*this);
    PopupMenu1 = new QMenu(this);
    actions_->FillContextMenu(*PopupMenu1);
    connect(CodeMemo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(CodeMemo1->mapToGlobal(at)); });
}

void TFrmMain::UpdateActions()
{
    actions_->UpdateEnabled(doc_.Memo().CanUndo(), doc_.Memo().CanRedo(), searched_);
}

void TFrmMain::ShowRecentFiles()
{
    actions_->SetRecentFiles(recentFiles_, [this](const std::string &path) { OpenRecentFile(path); });
}

void TFrmMain::OpenRecentFile(const std::string &path)
{
    Guard([&] {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(path, ec)) {
            std::erase(recentFiles_, path);
            ShowRecentFiles();
            throw EQuenvelError("The file " + path + " no longer exists; it is taken off the list of recent files");
        }
        doc_.OpenPath(*ui_, path);
    });
}

void TFrmMain::LineNumbersClick()
{
    Guard([&] { doc_.Memo().SetLineNumbers(Action(TCommand::LineNumbers)->isChecked()); });
}

void TFrmMain::KeyboardClassicClick()
{
    actions_->SetDesktopKeys(false);
}

void TFrmMain::KeyboardDesktopClick()
{
    actions_->SetDesktopKeys(true);
}

bool TFrmMain::eventFilter(QObject *watched, QEvent *e)
{
    // Ctrl+wheel over the text zooms, a notch a point
    if (e->type() == QEvent::Wheel && watched == CodeMemo1->viewport()) {
        auto *w = static_cast<QWheelEvent *>(e);
        if (w->modifiers() & Qt::ControlModifier) {
            wheelZoom_ += w->angleDelta().y();
            const int notches = wheelZoom_ / 120;
            wheelZoom_ -= notches * 120;
            if (notches != 0)
                Zoom(notches);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

void TFrmMain::CheckProgramClick()
{
    programCheck_->CheckProgram();
}

void TFrmMain::GoToDefinitionClick()
{
    programCheck_->GoToDefinition();
}

void TFrmMain::GoBackClick()
{
    programCheck_->GoBack();
}

// ---- edit commands ----

void TFrmMain::Undo1Click()
{
    Guard([&] { doc_.Memo().Undo(); });
    UpdateActions();
}

void TFrmMain::Redo1Click()
{
    Guard([&] { doc_.Memo().Redo(); });
    UpdateActions();
}

void TFrmMain::Cut1Click()
{
    Guard([&] { doc_.Memo().CutToClipboard(); });
}

void TFrmMain::Copy1Click()
{
    Guard([&] { doc_.Memo().CopyToClipboard(); });
}

void TFrmMain::Paste1Click()
{
    Guard([&] { doc_.Memo().PasteFromClipboard(); });
}

void TFrmMain::SelectAll1Click()
{
    Guard([&] { doc_.Memo().SelectAll(); });
}

void TFrmMain::Gotoline1Click()
{
    Guard([&] {
        TCodeMemo &m = doc_.Memo();
        const std::string current = std::to_string(m.SelLine() + 1);
        // a cancelled box gives its default text: the caret goes to the start of its line
        const std::string answer = ui_->Ask("Input Box", "Line Number?", current).value_or(current);
        doc_.GoToLine(LineIndexForNumber(ParseLineNumber(answer), m.LineCount()));
    });
}

// ---- appearance ----

void TFrmMain::Font1Click()
{
    Guard([&] {
        TCodeMemo &m = doc_.Memo();
        if (const std::optional<TFontDesc> chosen = ui_->ChooseFont(m.Font()))
            m.SetFont(*chosen);
    });
}

void TFrmMain::FontColor1Click()
{
    Guard([&] {
        TCodeMemo &m = doc_.Memo();
        if (const std::optional<TColor> chosen = ui_->ChooseColor("Font Color", m.Font().Color)) {
            TFontDesc f = m.Font();
            f.Color = *chosen;
            m.SetFont(f);
        }
    });
}

void TFrmMain::TabSize1Click()
{
    Guard([&] {
        TCodeMemo &m = doc_.Memo();
        const std::string current = std::to_string(m.TabStops());
        const std::string answer =
            ui_->Ask("Input Box", "Introduce the size of the tab spaces ( default: 8)", current).value_or(current);
        const int32_t n = ParseLineNumber(answer);
        if (n >= 1 && n <= 12)
            m.SetTabStops(n);
    });
}

void TFrmMain::Zoom(int steps)
{
    Guard([&] {
        TCodeMemo &m = doc_.Memo();
        TFontDesc f = m.Font();
        // a size in pixels is negative: its magnitude grows
        const int32_t size = std::abs(f.Size);
        const int32_t zoomed = steps == 0 ? TSettings().FontSize : std::clamp(size + steps, 1, kMaxFontSize);
        f.Size = steps != 0 && f.Size < 0 ? -zoomed : zoomed;
        if (f.Size != m.Font().Size)
            m.SetFont(f);
    });
}

void TFrmMain::ZoomInClick()
{
    Zoom(1);
}

void TFrmMain::ZoomOutClick()
{
    Zoom(-1);
}

void TFrmMain::ZoomResetClick()
{
    Zoom(0);
}

void TFrmMain::BackgroundColor1Click()
{
    Guard([&] {
        TCodeMemo &m = doc_.Memo();
        if (const std::optional<TColor> chosen = ui_->ChooseColor("Color", m.Color())) {
            m.SetColor(*chosen);
            CodeMemo1->viewport()->update();
        }
    });
}

void TFrmMain::About1Click()
{
    TAboutBox box(this);
    box.exec();
}

} // namespace quenvel
