// The main window: menus, toolbars, status bar, the editor pane and the two help panes,
// around one document.
#pragma once

#include "app/Actions.h"
#include "app/document/Document.h"
#include "app/document/Settings.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QPaintDevice;
class QSplitter;
class QToolBar;
class QTreeWidget;
class QWidget;

namespace quenvel {

class TCodeMemoView;
class TFindDialog;
class TProgramCheck;
class THelpWindow;
class TQtDocumentUi;
class TStatusPanels;
class TfrmModules;

class TFrmMain : public QMainWindow
{
public:
    // Creates the window, configured from the settings file; opens `file` when given
    // (with the caret on `line`, 1-based, when that is above 0).
    explicit TFrmMain(const std::string &settingsPath, const std::string &file = std::string(), int line = 0);
    ~TFrmMain() override;

    TDocument &Document() { return doc_; }
    TCodeMemoView &Editor() { return *CodeMemo1; }
    // Replaces the dialogs the document commands use (tests answer them from a script).
    void SetDocumentUi(TDocumentUi *ui);
    TDocumentUi &DocumentUi() { return *ui_; }

    // ---- the window's own state ----
    void SetFileName(const std::string &name);
    void SetActivePane(int pane);
    void CodeMemo1SelMove();
    // "Mod" in the status bar, and the commands whose state follows the text's.
    void ShowEditState();
    // The general error box: shows the message, and the program goes on.
    void ShowError(const std::string &message);

    // ---- commands ----
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void Exit1Click();
    void Undo1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void SelectAll1Click();
    void Gotoline1Click();
    void Gotomodule1Click();
    void Find1Click();
    void FindDialog1Find();
    void FindDialog1Replace();
    void FindDialog1ReplaceAll();
    void Replace1Click();
    void Redo1Click();
    void ZoomInClick();
    void ZoomOutClick();
    void ZoomResetClick();
    void LineNumbersClick();
    void KeyboardClassicClick();
    void KeyboardDesktopClick();
    void OpenRecentFile(const std::string &path);
    void FindNext1Click();
    void SpeedBtnPrintClick();
    void PrintToPdf1Click();
    void hELP2Click();
    void HelpOnWord1Click();
    // A double click on the help tree: the leaf's caption goes into the text, or, with
    // `showEntry`, its help entry opens.
    void TreeViewHelpKeysDblClick(bool showEntry);
    void ShowSyntaxHint();
    void Font1Click();
    void FontColor1Click();
    void TabSize1Click();
    void BackgroundColor1Click();
    void About1Click();
    void MnuKeywordsNoneClick();
    void MnuKeywordsSienaClick();
    void MnuKeywordsOPL3Click();
    void MnuKeywordsOPL5Click();
    void CommandHelp1Click();
    void WriteHelp1Click();
    void CheckProgramClick();
    void GoToDefinitionClick();
    void GoBackClick();

    // A command's action, shown alike in the menus, the toolbars and the context menu; or
    // an action by its menu caption without accelerators ("Save", "OPL 3", ...).
    QAction *Action(TCommand id) const { return (*actions_)[id]; }
    QAction *Action(const QString &caption) const;
    QLabel *Panel(int index) const;
    QWidget *HintPane() const { return PanelWriteHelp; }
    QWidget *HelpPane() const { return PanelTreeViewHelpKeys; }
    QLabel *EditTitle() const { return PanelTitleEdit; }
    QLabel *HelpTitle() const { return PanelTitleMiniHelp; }
    const std::string &SettingsFile() const { return settingsPath_; }
    TfrmModules *ProcedureWindow() const { return frmModules_; }
    TFindDialog *FindDialog() const { return FindDialog1; }
    THelpWindow *HelpWindow() const { return help_; }
    QTreeWidget *HelpTree() const { return TreeViewHelpKeys; }
    QLabel *HintLine() const { return LblHelpCommand; }
    TProgramCheck *ProgramCheck() const { return programCheck_; }

protected:
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void FormCreate(const std::string &file, int line);
    void FormActivate();
    void FormClose();
    void CreatePanes();
    void CreateActions();
    // Enables each command from where its state comes from (the undo record, a search made).
    void UpdateActions();
    void CreateAids();
    void CodeMemo1KeyPress(char ch);
    void CodeMemo1KeyUp();
    void PrintTo(QPaintDevice &device, const std::function<bool()> &newPage, const std::string &failure);
    void ApplySettings(const TSettings &s);
    TSettings GatherSettings() const;
    // The check mark of the dialect in force (none when none was chosen).
    void ShowDialect();
    void ChooseDialect(TDialect dialect);
    // A search from the Find or Replace dialog: `step` gets the dialog's texts in the
    // editor's character set and tells whether it found anything.
    void Search(const std::function<bool(const std::string &find, const std::string &with)> &step);
    // The font size by `steps` points (0: the size of a first start).
    void Zoom(int steps);
    void ShowRecentFiles();
    // Runs a command; an error it throws goes to the general error box. The caret is
    // brought into view after it.
    void Guard(const std::function<void()> &f);

    TDocument doc_;
    std::string settingsPath_;
    TProfile profile_;
    std::unique_ptr<TQtDocumentUi> qtUi_;
    TDocumentUi *ui_ = nullptr;
    bool FirstActivation = true;
    bool openedFromCommandLine_ = false;
    int startLine_ = 0; // the line given with the file at start (1-based; 0: none)
    char LastKeyChar = 0;
    std::string IndentBlanks; // the leading blanks Enter carries to the new line

    TCodeMemoView *CodeMemo1 = nullptr;
    QLabel *PanelTitleEdit = nullptr;
    QLabel *PanelTitleMiniHelp = nullptr;
    QWidget *PanelWriteHelp = nullptr;
    QLabel *LblHelpCommand = nullptr;
    QWidget *PanelTreeViewHelpKeys = nullptr;
    QTreeWidget *TreeViewHelpKeys = nullptr;
    QSplitter *splitMain_ = nullptr;
    QSplitter *splitPanes_ = nullptr;
    TStatusPanels *StatusBar = nullptr;
    QMenu *PopupMenu1 = nullptr;
    std::unique_ptr<TActions> actions_;
    bool searched_ = false; // a search was made: Find Next repeats it
    std::vector<std::string> recentFiles_;
    int wheelZoom_ = 0; // a part of a wheel notch turned with Ctrl, not yet a zoom step
    TfrmModules *frmModules_ = nullptr;
    TFindDialog *FindDialog1 = nullptr;
    THelpWindow *help_ = nullptr;
    TProgramCheck *programCheck_ = nullptr;
};

} // namespace quenvel
