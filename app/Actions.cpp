#include "Actions.h"

#include "MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace quenvel {

namespace {

using C = TCommand;
using E = TEnabledBy;
using W = TFrmMain;
constexpr auto kNoGlyph = std::nullopt;

// clang-format off
const TCommandRow kCommands[] = {
    // id                 caption                  keys                     desktop keys  glyph           hint               icon text handler                   enabled by      checkable
    {C::New,             "&New",                   "Ctrl+N",                nullptr,  TGlyph::New,    "New...",          nullptr, &W::New1Click,             E::Always,      false},
    {C::Open,            "&Open...",               "Ctrl+O",                nullptr,  TGlyph::Open,   "Open...",         nullptr, &W::Open1Click,            E::Always,      false},
    {C::Save,            "&Save",                  "Ctrl+S",                nullptr,  TGlyph::Save,   "Save",            nullptr, &W::Save1Click,            E::Always,      false},
    {C::SaveAs,          "Save &As...",            "",                      nullptr,  kNoGlyph,       nullptr,           nullptr, &W::SaveAs1Click,          E::Always,      false},
    {C::Print,           "&Print",                 "",                      nullptr,  TGlyph::Print,  "Print",           nullptr, &W::SpeedBtnPrintClick,    E::Always,      false},
    {C::PrintToPdf,      "Print to PDF...",        "",                      nullptr,  kNoGlyph,       nullptr,           nullptr, &W::PrintToPdf1Click,      E::Always,      false},
    {C::Exit,            "E&xit",                  "Ctrl+X",                "Ctrl+Q", kNoGlyph,       nullptr,           nullptr, &W::Exit1Click,            E::Always,      false},
    {C::Undo,            "&Undo",                  "Ctrl+Z",                nullptr,  TGlyph::Undo,   "Undo",            nullptr, &W::Undo1Click,            E::CanUndo,     false},
    {C::Redo,            "&Redo",                  "Ctrl+Y; Ctrl+Shift+Z",  nullptr,  kNoGlyph,       nullptr,           nullptr, &W::Redo1Click,            E::CanRedo,     false},
    {C::Cut,             "Cu&t",                   "",                      "Ctrl+X", TGlyph::Cut,    "Cut",             nullptr, &W::Cut1Click,             E::Always,      false},
    {C::Copy,            "&Copy",                  "",                      "Ctrl+C", TGlyph::Copy,   "Copy",            nullptr, &W::Copy1Click,            E::Always,      false},
    {C::Paste,           "&Paste",                 "",                      "Ctrl+V", TGlyph::Paste,  "Paste",           nullptr, &W::Paste1Click,           E::Always,      false},
    {C::SelectAll,       "Select &All",            "Ctrl+A",                nullptr,  kNoGlyph,       nullptr,           nullptr, &W::SelectAll1Click,       E::Always,      false},
    {C::Find,            "&Find...",               "Ctrl+F",                nullptr,  TGlyph::Search, "Search",          nullptr, &W::Find1Click,            E::Always,      false},
    {C::FindNext,        "Find &Next",             "F3",                    nullptr,  kNoGlyph,       nullptr,           nullptr, &W::FindNext1Click,        E::HasSearched, false},
    {C::Replace,         "&Replace...",            "Ctrl+R",                nullptr,  kNoGlyph,       nullptr,           nullptr, &W::Replace1Click,         E::Always,      false},
    {C::GoToLine,        "Go to line number",      "Ctrl+G",                nullptr,  kNoGlyph,       nullptr,           nullptr, &W::Gotoline1Click,        E::Always,      false},
    {C::GoToModule,      "Go to module",           "F8",                    nullptr,  kNoGlyph,       nullptr,           nullptr, &W::Gotomodule1Click,      E::Always,      false},
    {C::Font,            "&Font...",               "",                      nullptr,  kNoGlyph,       nullptr,           nullptr, &W::Font1Click,            E::Always,      false},
    {C::FontColor,       "Font Co&lor...",         "",                      nullptr,  kNoGlyph,       nullptr,           nullptr, &W::FontColor1Click,       E::Always,      false},
    {C::TabSize,         "Size of Tab Spaces",     "",                      nullptr,  kNoGlyph,       nullptr,           nullptr, &W::TabSize1Click,         E::Always,      false},
    {C::BackgroundColor, "&Background Color...",   "",                      nullptr,  kNoGlyph,       nullptr,           nullptr, &W::BackgroundColor1Click, E::Always,      false},
    {C::ZoomIn,          "Zoom &In",               "Ctrl++; Ctrl+=",        nullptr,  kNoGlyph,       nullptr,           nullptr, &W::ZoomInClick,           E::Always,      false},
    {C::ZoomOut,         "Zoom O&ut",              "Ctrl+-",                nullptr,  kNoGlyph,       nullptr,           nullptr, &W::ZoomOutClick,          E::Always,      false},
    {C::ZoomReset,       "Normal Si&ze",           "Ctrl+0",                nullptr,  kNoGlyph,       nullptr,           nullptr, &W::ZoomResetClick,        E::Always,      false},
    {C::DialectNone,     "&None",                  "",                      nullptr,  kNoGlyph,       "No HighLighting", "N",     &W::MnuKeywordsNoneClick,  E::Always,      true},
    {C::DialectSiena,    "OPL Siena",              "",                      nullptr,  kNoGlyph,       "Psion Siena OPL", "S",     &W::MnuKeywordsSienaClick, E::Always,      true},
    {C::DialectOpl3,     "OPL 3",                  "",                      nullptr,  kNoGlyph,       "Psion 3 OPL",     "3",     &W::MnuKeywordsOPL3Click,  E::Always,      true},
    {C::DialectOpl5,     "OPL 5",                  "",                      nullptr,  kNoGlyph,       "Psion 5 OPL",     "5",     &W::MnuKeywordsOPL5Click,  E::Always,      true},
    {C::DialectOpp,      "OPP",                    "",                      nullptr,  kNoGlyph,       "Psion 5 OPL",     "OPP",   &W::MnuKeywordsOPL5Click,  E::Always,      false},
    {C::HelpPane,        "Command Help",           "",                      nullptr,  kNoGlyph,       nullptr,           nullptr, &W::CommandHelp1Click,     E::Always,      true},
    {C::HintPane,        "Write Help System",      "",                      nullptr,  kNoGlyph,       nullptr,           nullptr, &W::WriteHelp1Click,       E::Always,      true},
    {C::LineNumbers,     "&Line Numbers",          "",                      nullptr,  kNoGlyph,       nullptr,           nullptr, &W::LineNumbersClick,      E::Always,      true},
    {C::KeyboardClassic, "&Classic",               "",                      nullptr,  kNoGlyph,       nullptr,           nullptr, &W::KeyboardClassicClick,  E::Always,      true},
    {C::KeyboardDesktop, "&Desktop",               "",                      nullptr,  kNoGlyph,       nullptr,           nullptr, &W::KeyboardDesktopClick,  E::Always,      true},
    {C::CheckProgram,    "&Check Program",         "Ctrl+T",                nullptr,  kNoGlyph,       nullptr,           nullptr, &W::CheckProgramClick,     E::Always,      false},
    {C::GoToDefinition,  "Go to &Definition",      "F12",                   nullptr,  kNoGlyph,       nullptr,           nullptr, &W::GoToDefinitionClick,   E::Always,      false},
    {C::Back,            "&Back",                  "Alt+Left",              nullptr,  kNoGlyph,       nullptr,           nullptr, &W::GoBackClick,           E::Always,      false},
    {C::Help,            "Help",                   "",                      nullptr,  kNoGlyph,       nullptr,           nullptr, &W::hELP2Click,            E::Always,      false},
    {C::HelpOnWord,      "Help on the Word at the Caret", "F1",             nullptr,  kNoGlyph,       nullptr,           nullptr, &W::HelpOnWord1Click,      E::Always,      false},
    {C::About,           "&About Quenvel",         "",                      nullptr,  kNoGlyph,       nullptr,           nullptr, &W::About1Click,           E::Always,      false},
};
// clang-format on

// The menus: a title opens a menu, kEnd closes it, kSeparator draws a line.
struct TMenuItem {
    enum Kind { Command, Separator, Menu, End, RecentFiles } Kind;
    TCommand Id = C::New;
    const char *Title = nullptr;
};
constexpr TMenuItem Cmd(TCommand id) { return {TMenuItem::Command, id}; }
constexpr TMenuItem Menu(const char *title) { return {TMenuItem::Menu, C::New, title}; }
constexpr TMenuItem kSeparator{TMenuItem::Separator};
constexpr TMenuItem kEnd{TMenuItem::End};
constexpr TMenuItem kRecentFiles{TMenuItem::RecentFiles}; // the list of recent files goes here

const TMenuItem kMenuBar[] = {
    Menu("&File"), Cmd(C::New), Cmd(C::Open), Cmd(C::Save), Cmd(C::SaveAs), kSeparator,
        Cmd(C::Print), Cmd(C::PrintToPdf), kSeparator, kRecentFiles, Cmd(C::Exit), kEnd,
    Menu("&Edit"), Cmd(C::Undo), Cmd(C::Redo), kSeparator, Cmd(C::Cut), Cmd(C::Copy), Cmd(C::Paste), kSeparator,
        Cmd(C::SelectAll), kEnd,
    Menu("&Search"), Cmd(C::Find), Cmd(C::FindNext), Cmd(C::Replace), kSeparator, Cmd(C::GoToLine),
        Cmd(C::GoToModule), kEnd,
    Menu("Se&tup"), Cmd(C::Font), Cmd(C::FontColor), Cmd(C::TabSize), kSeparator, Cmd(C::BackgroundColor),
        kSeparator,
        Menu("&HighLighting"), Cmd(C::DialectNone), kSeparator, Cmd(C::DialectSiena), Cmd(C::DialectOpl3),
            Cmd(C::DialectOpl5), kEnd,
        kSeparator,
        Menu("View"), Cmd(C::HelpPane), Cmd(C::HintPane), Cmd(C::LineNumbers), kSeparator, Cmd(C::ZoomIn),
            Cmd(C::ZoomOut), Cmd(C::ZoomReset), kEnd,
        Menu("&Keyboard"), Cmd(C::KeyboardClassic), Cmd(C::KeyboardDesktop), kEnd,
        kEnd,
    Menu("&Program"), Cmd(C::CheckProgram), Cmd(C::GoToDefinition), Cmd(C::Back), kEnd,
    Menu("&Help"), Cmd(C::Help), Cmd(C::HelpOnWord), kSeparator, Cmd(C::About), kEnd,
};

const TMenuItem kContextMenu[] = {Cmd(C::Cut), Cmd(C::Copy), Cmd(C::Paste), kSeparator, Cmd(C::Undo), Cmd(C::Redo),
                                  kSeparator, Cmd(C::SelectAll)};

const TMenuItem kMainToolBar[] = {Cmd(C::New),  Cmd(C::Open),  Cmd(C::Save),  kSeparator, Cmd(C::Find),
                                  kSeparator,   Cmd(C::Print), kSeparator,    Cmd(C::Cut), Cmd(C::Copy),
                                  Cmd(C::Paste), kSeparator,   Cmd(C::Undo)};

const TMenuItem kDialectToolBar[] = {Cmd(C::DialectNone), Cmd(C::DialectSiena), Cmd(C::DialectOpl3),
                                     Cmd(C::DialectOpl5), kSeparator, Cmd(C::DialectOpp)};

QString Plain(QString caption)
{
    caption.remove(QLatin1Char('&'));
    if (caption.endsWith(QStringLiteral("...")))
        caption.chop(3);
    return caption;
}

// Adds the items from `at` to the end of the menu they are in; returns where that menu ends.
// The place of the recent files is a separator, handed to `recent`.
template <class Add, class Recent>
const TMenuItem *FillMenu(QMenu &menu, const TMenuItem *at, const TMenuItem *end, const Add &add,
                          const Recent &recent)
{
    for (; at != end && at->Kind != TMenuItem::End; ++at) {
        if (at->Kind == TMenuItem::Separator)
            menu.addSeparator();
        else if (at->Kind == TMenuItem::RecentFiles)
            recent(menu, menu.addSeparator());
        else if (at->Kind == TMenuItem::Command)
            menu.addAction(add(at->Id));
        else
            at = FillMenu(*menu.addMenu(QString::fromLatin1(at->Title)), at + 1, end, add, recent);
    }
    return at;
}

QList<QKeySequence> Shortcuts(const char *keys)
{
    return QKeySequence::listFromString(QString::fromLatin1(keys), QKeySequence::PortableText);
}

} // namespace

const TCommandRow &CommandRow(TCommand id)
{
    return kCommands[static_cast<size_t>(id)];
}

TActions::TActions(TFrmMain &window)
{
    static_assert(std::size(kCommands) == kCommandCount);
    dialects_ = new QActionGroup(&window);
    dialects_->setExclusive(true);
    for (const TCommandRow &row : kCommands) {
        Q_ASSERT(&CommandRow(row.Id) == &row);
        auto *a = new QAction(QString::fromLatin1(row.Caption), &window);
        a->setObjectName(Plain(a->text()));
        a->setShortcuts(Shortcuts(row.Keys));
        if (row.Glyph)
            a->setIcon(GlyphIcon(*row.Glyph));
        if (row.IconText)
            a->setIconText(QString::fromLatin1(row.IconText));
        a->setToolTip(QString::fromLatin1(row.Hint ? row.Hint : row.IconText ? row.IconText : row.Caption));
        a->setCheckable(row.Checkable);
        a->setEnabled(row.EnabledBy == TEnabledBy::Always);
        if (row.Handler)
            QObject::connect(a, &QAction::triggered, &window, row.Handler);
        actions_[static_cast<size_t>(row.Id)] = a;
    }
    for (TCommand d : {C::DialectNone, C::DialectSiena, C::DialectOpl3, C::DialectOpl5})
        dialects_->addAction((*this)[d]);
    auto *keyboards = new QActionGroup(&window);
    keyboards->addAction((*this)[C::KeyboardClassic]);
    keyboards->addAction((*this)[C::KeyboardDesktop]);
}

void TActions::FillMenuBar(QMenuBar &bar)
{
    const TMenuItem *end = std::end(kMenuBar);
    for (const TMenuItem *at = std::begin(kMenuBar); at != end; ++at)
        at = FillMenu(
            *bar.addMenu(QString::fromLatin1(at->Title)), at + 1, end, [this](TCommand id) { return (*this)[id]; },
            [this](QMenu &menu, QAction *anchor) {
                recentMenu_ = &menu;
                recentAnchor_ = anchor;
            });
}

void TActions::FillContextMenu(QMenu &menu) const
{
    FillMenu(
        menu, std::begin(kContextMenu), std::end(kContextMenu), [this](TCommand id) { return (*this)[id]; },
        [](QMenu &, QAction *) {});
}

void TActions::FillToolBars(TFrmMain &window) const
{
    auto bar = [&](const char *name, const TMenuItem *from, const TMenuItem *to) {
        QToolBar *tb = window.addToolBar(QString::fromLatin1(name));
        tb->setObjectName(QString::fromLatin1(name));
        tb->setIconSize(QSize(16, 16));
        for (const TMenuItem *at = from; at != to; ++at)
            at->Kind == TMenuItem::Separator ? (void)tb->addSeparator() : tb->addAction((*this)[at->Id]);
        return tb;
    };
    QToolBar *main = bar("ToolBar Quenvel", std::begin(kMainToolBar), std::end(kMainToolBar));
    // the New button's drop-down lists what may be started; neither entry runs a command
    if (auto *tb = qobject_cast<QToolButton *>(main->widgetForAction((*this)[C::New]))) {
        auto *newMenu = new QMenu(tb);
        newMenu->addAction(QStringLiteral("New project"));
        newMenu->addAction(QStringLiteral("New OPL File"));
        tb->setMenu(newMenu);
        tb->setPopupMode(QToolButton::MenuButtonPopup);
    }

    QToolBar *lang = bar("OPL Language", std::begin(kDialectToolBar), std::end(kDialectToolBar));
    lang->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const TMenuItem &item : kDialectToolBar) {
        QWidget *button = item.Kind == TMenuItem::Command ? lang->widgetForAction((*this)[item.Id]) : nullptr;
        if (!button)
            continue;
        QFont f(QStringLiteral("Arial"), item.Id == C::DialectOpp ? 7 : 9);
        f.setBold(true);
        button->setFont(f);
        button->setMinimumWidth(23);
        if (item.Id == C::DialectNone) {
            QPalette pal = button->palette();
            pal.setColor(QPalette::ButtonText, QColor(128, 0, 0));
            button->setPalette(pal);
        }
    }
}

void TActions::UpdateEnabled(bool canUndo, bool canRedo, bool hasSearched) const
{
    for (const TCommandRow &row : kCommands) {
        if (row.EnabledBy == TEnabledBy::CanUndo)
            (*this)[row.Id]->setEnabled(canUndo);
        else if (row.EnabledBy == TEnabledBy::CanRedo)
            (*this)[row.Id]->setEnabled(canRedo);
        else if (row.EnabledBy == TEnabledBy::HasSearched)
            (*this)[row.Id]->setEnabled(hasSearched);
    }
}

void TActions::SetDesktopKeys(bool desktop) const
{
    for (const TCommandRow &row : kCommands)
        (*this)[row.Id]->setShortcuts(Shortcuts(desktop && row.DesktopKeys ? row.DesktopKeys : row.Keys));
    (*this)[desktop ? C::KeyboardDesktop : C::KeyboardClassic]->setChecked(true);
}

void TActions::SetRecentFiles(const std::vector<std::string> &files,
                              const std::function<void(const std::string &)> &open)
{
    for (QAction *a : recent_)
        delete a;
    recent_.clear();
    if (!recentMenu_)
        return;
    for (size_t i = 0; i < files.size(); ++i) {
        // the number is the entry's accelerator; an '&' in a name is shown as itself
        QString name = QString::fromLocal8Bit(files[i].c_str());
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        const QString caption = (i < 9 ? QStringLiteral("&%1 ").arg(i + 1) : QStringLiteral("%1 ").arg(i + 1)) + name;
        auto *a = new QAction(caption, recentMenu_);
        const std::string file = files[i];
        QObject::connect(a, &QAction::triggered, recentMenu_, [open, file] { open(file); });
        recentMenu_->insertAction(recentAnchor_, a);
        recent_.push_back(a);
    }
    recentAnchor_->setVisible(!files.empty());
}

} // namespace quenvel
