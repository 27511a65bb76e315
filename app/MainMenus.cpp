// The main window's menus, toolbars and context menu, and the small commands behind them.
#include "MainWindow.h"

#include "app/AboutBox.h"
#include "app/QtDocumentUi.h"
#include "app/StatusPanels.h"
#include "app/ToolbarGlyphs.h"
#include "opl/ProcScanner.h"
#include "platform/CodeMemoView.h"
#include "platform/QtSurface.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace quenvel {

namespace {

QString Plain(QString caption)
{
    caption.remove(QLatin1Char('&'));
    if (caption.endsWith(QStringLiteral("...")))
        caption.chop(3);
    return caption;
}

} // namespace

QAction *TFrmMain::AddAction(QMenu *menu, const QString &text, void (TFrmMain::*handler)(),
                             const QKeySequence &shortcut)
{
    auto *a = menu->addAction(text);
    a->setObjectName(Plain(text));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    if (handler)
        connect(a, &QAction::triggered, this, handler);
    return a;
}

QAction *TFrmMain::Action(const QString &caption) const
{
    for (QAction *a : findChildren<QAction *>())
        if (a->objectName() == caption)
            return a;
    return nullptr;
}

QAction *TFrmMain::DialectButton(const QString &caption) const
{
    for (QAction *a : dialectButtons_->actions())
        if (a->text() == caption)
            return a;
    return nullptr;
}

QLabel *TFrmMain::Panel(int index) const
{
    return StatusBar->Panel(index);
}

void TFrmMain::CreateMenus()
{
    QMenuBar *bar = menuBar();
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    AddAction(file, QStringLiteral("&New"), &TFrmMain::New1Click);
    AddAction(file, QStringLiteral("&Open..."), &TFrmMain::Open1Click);
    AddAction(file, QStringLiteral("&Save"), &TFrmMain::Save1Click, QKeySequence(Qt::CTRL | Qt::Key_S));
    AddAction(file, QStringLiteral("Save &As..."), &TFrmMain::SaveAs1Click);
    file->addSeparator();
    AddAction(file, QStringLiteral("&Print"), &TFrmMain::SpeedBtnPrintClick);
    AddAction(file, QStringLiteral("Print to PDF..."), &TFrmMain::PrintToPdf1Click);
    file->addSeparator();
    AddAction(file, QStringLiteral("E&xit"), &TFrmMain::Exit1Click, QKeySequence(Qt::CTRL | Qt::Key_X));

    QMenu *edit = bar->addMenu(QStringLiteral("&Edit"));
    Undo1 = AddAction(edit, QStringLiteral("&Undo"), &TFrmMain::Undo1Click, QKeySequence(Qt::CTRL | Qt::Key_Z));
    edit->addSeparator();
    AddAction(edit, QStringLiteral("Cu&t"), &TFrmMain::Cut1Click);
    AddAction(edit, QStringLiteral("&Copy"), &TFrmMain::Copy1Click);
    AddAction(edit, QStringLiteral("&Paste"), &TFrmMain::Paste1Click);
    edit->addSeparator();
    AddAction(edit, QStringLiteral("Select &All"), &TFrmMain::SelectAll1Click);
    // Undo is enabled exactly when there is something to undo when the menu opens; its
    // shortcut works whenever there is
    connect(edit, &QMenu::aboutToShow, this, [this] { Undo1->setEnabled(doc_.Memo().CanUndo()); });
    connect(edit, &QMenu::aboutToHide, this, [this] { Undo1->setEnabled(true); });

    QMenu *search = bar->addMenu(QStringLiteral("&Search"));
    AddAction(search, QStringLiteral("&Find..."), &TFrmMain::Find1Click, QKeySequence(Qt::CTRL | Qt::Key_F));
    FindNext1 = AddAction(search, QStringLiteral("Find &Next"), &TFrmMain::FindNext1Click, QKeySequence(Qt::Key_F3));
    FindNext1->setEnabled(false);
    QAction *replace = AddAction(search, QStringLiteral("Replace..."), nullptr, QKeySequence(Qt::CTRL | Qt::Key_R));
    replace->setEnabled(false);
    search->addSeparator();
    AddAction(search, QStringLiteral("Go to line number"), &TFrmMain::Gotoline1Click);
    AddAction(search, QStringLiteral("Go to module"), &TFrmMain::Gotomodule1Click, QKeySequence(Qt::Key_F8));

    QMenu *setup = bar->addMenu(QStringLiteral("Se&tup"));
    AddAction(setup, QStringLiteral("&Font..."), &TFrmMain::Font1Click);
    AddAction(setup, QStringLiteral("Font Co&lor..."), &TFrmMain::FontColor1Click);
    AddAction(setup, QStringLiteral("Size of Tab Spaces"), &TFrmMain::TabSize1Click);
    setup->addSeparator();
    AddAction(setup, QStringLiteral("&Background Color..."), &TFrmMain::BackgroundColor1Click);
    setup->addSeparator();
    QMenu *hl = setup->addMenu(QStringLiteral("&HighLighting"));
    MnuKeywordsNone = AddAction(hl, QStringLiteral("&None"), &TFrmMain::MnuKeywordsNoneClick);
    hl->addSeparator();
    MnuKeywordsSiena = AddAction(hl, QStringLiteral("OPL Siena"), &TFrmMain::MnuKeywordsSienaClick);
    MnuKeywordsOPL3 = AddAction(hl, QStringLiteral("OPL 3"), &TFrmMain::MnuKeywordsOPL3Click);
    MnuKeywordsOPL5 = AddAction(hl, QStringLiteral("OPL 5"), &TFrmMain::MnuKeywordsOPL5Click);
    for (QAction *a : {MnuKeywordsNone, MnuKeywordsSiena, MnuKeywordsOPL3, MnuKeywordsOPL5})
        a->setCheckable(true);
    setup->addSeparator();
    QMenu *view = setup->addMenu(QStringLiteral("View"));
    CommandHelp1 = AddAction(view, QStringLiteral("Command Help"), &TFrmMain::CommandHelp1Click);
    WriteHelp1 = AddAction(view, QStringLiteral("Write Help System"), &TFrmMain::WriteHelp1Click);
    CommandHelp1->setCheckable(true);
    WriteHelp1->setCheckable(true);

    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    AddAction(help, QStringLiteral("Help"), &TFrmMain::hELP2Click);
    AddAction(help, QStringLiteral("Help on the Word at the Caret"), &TFrmMain::HelpOnWord1Click,
              QKeySequence(Qt::Key_F1));
    help->addSeparator();
    AddAction(help, QStringLiteral("&About Quenvel"), &TFrmMain::About1Click);

    // the editor's context menu: the Edit menu's commands
    PopupMenu1 = new QMenu(this);
    for (auto [text, handler] : {std::pair{"Cut", &TFrmMain::Cut1Click}, {"Copy", &TFrmMain::Copy1Click},
                                 {"Paste", &TFrmMain::Paste1Click}}) {
        QAction *a = PopupMenu1->addAction(QString::fromLatin1(text));
        connect(a, &QAction::triggered, this, handler);
    }
    PopupMenu1->addSeparator();
    connect(PopupMenu1->addAction(QStringLiteral("Undo")), &QAction::triggered, this, &TFrmMain::Undo1Click);
    connect(CodeMemo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu1->popup(CodeMemo1->mapToGlobal(at)); });
}

void TFrmMain::CreateToolBars()
{
    QToolBar *main = addToolBar(QStringLiteral("ToolBar Quenvel"));
    main->setObjectName(QStringLiteral("ToolBar Quenvel"));
    main->setIconSize(QSize(16, 16));
    auto button = [&](TGlyph g, const char *hint, void (TFrmMain::*handler)()) {
        QAction *a = main->addAction(GlyphIcon(g), QString::fromLatin1(hint));
        a->setToolTip(QString::fromLatin1(hint));
        if (handler)
            connect(a, &QAction::triggered, this, handler);
        else
            a->setEnabled(false);
        return a;
    };
    QAction *newButton = button(TGlyph::New, "New...", &TFrmMain::New1Click);
    // the New button's drop-down lists what may be started; neither entry runs a command
    auto *newMenu = new QMenu(this);
    newMenu->addAction(QStringLiteral("New project"));
    newMenu->addAction(QStringLiteral("New OPL File"));
    newButton->setMenu(newMenu);
    if (auto *tb = qobject_cast<QToolButton *>(main->widgetForAction(newButton)))
        tb->setPopupMode(QToolButton::MenuButtonPopup);
    button(TGlyph::Open, "Open...", &TFrmMain::Open1Click);
    button(TGlyph::Save, "Save", &TFrmMain::Save1Click);
    main->addSeparator();
    button(TGlyph::Search, "Search", &TFrmMain::Find1Click);
    main->addSeparator();
    button(TGlyph::Print, "Print", &TFrmMain::SpeedBtnPrintClick);
    main->addSeparator();
    button(TGlyph::Cut, "Cut", &TFrmMain::Cut1Click);
    button(TGlyph::Copy, "Copy", &TFrmMain::Copy1Click);
    button(TGlyph::Paste, "Paste", &TFrmMain::Paste1Click);
    main->addSeparator();
    ButUndo = button(TGlyph::Undo, "Undo", &TFrmMain::Undo1Click);

    QToolBar *lang = addToolBar(QStringLiteral("OPL Language"));
    lang->setObjectName(QStringLiteral("OPL Language"));
    dialectButtons_ = new QActionGroup(this);
    dialectButtons_->setExclusive(true);
    auto dialect = [&](const char *caption, const char *hint, void (TFrmMain::*handler)(), bool small) {
        QAction *a = lang->addAction(QString::fromLatin1(caption));
        a->setToolTip(QString::fromLatin1(hint));
        a->setCheckable(true);
        dialectButtons_->addAction(a);
        connect(a, &QAction::triggered, this, handler);
        if (auto *tb = lang->widgetForAction(a)) {
            QFont f(QStringLiteral("Arial"), small ? 7 : 9);
            f.setBold(true);
            tb->setFont(f);
            tb->setMinimumWidth(23);
        }
        return a;
    };
    BtnKeywordsNone = dialect("N", "No HighLighting", &TFrmMain::MnuKeywordsNoneClick, false);
    if (auto *tb = lang->widgetForAction(BtnKeywordsNone)) {
        QPalette pal = tb->palette();
        pal.setColor(QPalette::ButtonText, QColor(128, 0, 0));
        tb->setPalette(pal);
    }
    BtnKeywordsSiena = dialect("S", "Psion Siena OPL", &TFrmMain::MnuKeywordsSienaClick, false);
    BtnKeywordsOPL3 = dialect("3", "Psion 3 OPL", &TFrmMain::MnuKeywordsOPL3Click, false);
    BtnKeywordsOPL5 = dialect("5", "Psion 5 OPL", &TFrmMain::MnuKeywordsOPL5Click, false);
    lang->addSeparator();
    BtnKeywordsOPP = dialect("OPP", "Psion 5 OPL", &TFrmMain::MnuKeywordsOPL5Click, true);
}

// ---- edit commands ----

void TFrmMain::Undo1Click()
{
    Guard([&] { doc_.Memo().Undo(); });
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
