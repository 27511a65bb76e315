// Every command of the main window, declared once: its caption, shortcut, toolbar glyph or
// text, hint, handler and where its enabled state comes from. The menu bar, the toolbars
// and the editor's context menu are lists of commands and show the same QAction, so a
// command's check mark and enabled state are the same wherever it appears.
#pragma once

#include "app/ToolbarGlyphs.h"

#include <QKeySequence>

#include <array>
#include <optional>

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
    Undo, Cut, Copy, Paste, SelectAll,
    Find, FindNext, Replace, GoToLine, GoToModule,
    Font, FontColor, TabSize, BackgroundColor,
    DialectNone, DialectSiena, DialectOpl3, DialectOpl5, DialectOpp,
    HelpPane, HintPane,
    CheckProgram, GoToDefinition, Back,
    Help, HelpOnWord, About,
};
constexpr int kCommandCount = static_cast<int>(TCommand::About) + 1;

// Where a command's enabled state comes from.
enum class TEnabledBy {
    Always,
    CanUndo,     // the editor has a change to undo
    HasSearched, // a search was made (Find Next repeats it)
    Never,       // not available yet
};

struct TCommandRow {
    TCommand Id;
    const char *Caption;   // the menu caption, with its accelerator
    QKeyCombination Key;   // the shortcut (none: QKeyCombination())
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

    void FillMenuBar(QMenuBar &bar) const;
    void FillContextMenu(QMenu &menu) const;
    void FillToolBars(TFrmMain &window) const;
    // Enables each command from its source.
    void UpdateEnabled(bool canUndo, bool hasSearched) const;

private:
    std::array<QAction *, kCommandCount> actions_{};
    QActionGroup *dialects_ = nullptr;
};

} // namespace quenvel
