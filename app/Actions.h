// Every command of the main window, declared once: its caption, shortcut, toolbar glyph or
// text, hint, handler and where its enabled state comes from. The menu bar, the toolbars
// and the editor's context menu are lists of commands and show the same QAction, so a
// command's check mark and enabled state are the same wherever it appears.
#pragma once

#include "app/ToolbarGlyphs.h"

#include <QKeySequence>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class QObject;
class QToolBar;

namespace quenvel {

class TFrmMain;

enum class TCommand {
    New, Open, Save, SaveAs, Print, PrintToPdf, Exit,
    Undo, Redo, Cut, Copy, Paste, SelectAll,
    Find, FindNext, Replace, GoToLine, GoToModule,
    Font, FontColor, TabSize, BackgroundColor, ZoomIn, ZoomOut, ZoomReset,
    DialectNone, DialectSiena, DialectOpl3, DialectOpl5, DialectOpp,
    HelpPane, HintPane, LineNumbers, KeyboardClassic, KeyboardDesktop,
    CheckProgram, GoToDefinition, Back,
    Help, HelpOnWord, About,
};
constexpr int kCommandCount = static_cast<int>(TCommand::About) + 1;

// Where a command's enabled state comes from.
enum class TEnabledBy {
    Always,
    CanUndo,     // the editor has a change to undo
    CanRedo,     // the editor has an undone change to make again
    HasSearched, // a search was made (Find Next repeats it)
};

struct TCommandRow {
    TCommand Id;
    const char *Caption;     // the menu caption, with its accelerator
    const char *Keys;        // the shortcuts, "; " between two ("": none)
    const char *DesktopKeys; // the shortcuts with the Desktop keyboard (nullptr: the same)
    std::optional<TGlyph> Glyph;
    const char *Hint;      // the toolbar's tooltip (nullptr: the caption)
    const char *IconText;  // the toolbar's text where there is no glyph
    void (TFrmMain::*Handler)();
    TEnabledBy EnabledBy;
    bool Checkable;
};

// The row of a command.
const TCommandRow &CommandRow(TCommand id);

// The window's actions, one for each command, made from the table.
class TActions
{
public:
    explicit TActions(TFrmMain &window);

    QAction *operator[](TCommand id) const { return actions_[static_cast<size_t>(id)]; }
    // The exclusive group of the four dialect choices.
    QActionGroup *Dialects() const { return dialects_; }

    void FillMenuBar(QMenuBar &bar);
    void FillContextMenu(QMenu &menu) const;
    void FillToolBars(TFrmMain &window) const;
    // Enables each command from its source.
    void UpdateEnabled(bool canUndo, bool canRedo, bool hasSearched) const;
    // The shortcuts of the Classic keyboard (Ctrl+X leaves) or of the Desktop one (Ctrl+X
    // cuts, Ctrl+Q leaves), with the check mark of the choice.
    void SetDesktopKeys(bool desktop) const;
    // The File menu's list of recent files: numbered entries in the order given, each
    // opening its file through `open`.
    void SetRecentFiles(const std::vector<std::string> &files, const std::function<void(const std::string &)> &open);

private:
    std::array<QAction *, kCommandCount> actions_{};
    QActionGroup *dialects_ = nullptr;
    QMenu *recentMenu_ = nullptr;   // the menu holding the recent files
    QAction *recentAnchor_ = nullptr; // the separator after them
    std::vector<QAction *> recent_;
};

} // namespace quenvel
