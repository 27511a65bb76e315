#include "MainWindow.h"
#include "ProgramCheck.h"

#include "app/QtDocumentUi.h"
#include "app/StatusPanels.h"
#include "opl/OplKeywords.h"
#include "opl/OplSetup.h"
#include "platform/CodeMemoView.h"
#include "platform/CodePageText.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quenvel {

namespace {

const char *kCaption = "Quenvel 1.21 (16/03/1998)";

QLabel *TitleStrip(const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setFixedHeight(16);
    l->setAutoFillBackground(true);
    l->setContentsMargins(3, 0, 3, 0);
    return l;
}

void ColourStrip(QLabel *strip, bool active)
{
    QPalette pal = strip->palette();
    pal.setColor(QPalette::Window, active ? QColor(0, 0, 128) : QColor(192, 192, 192));
    pal.setColor(QPalette::WindowText, active ? Qt::white : Qt::black);
    strip->setPalette(pal);
    QFont f = strip->font();
    f.setBold(active);
    strip->setFont(f);
}

} // namespace

void TFrmMain::Guard(const std::function<void()> &f)
{
    try {
        f();
    } catch (const std::exception &e) {
        ShowError(e.what());
    }
    // whatever a command did, the caret stays in view
    doc_.Memo().ScrollInView();
}

TFrmMain::TFrmMain(const std::string &settingsPath, const std::string &file, int line)
    : settingsPath_(settingsPath), qtUi_(std::make_unique<TQtDocumentUi>(this))
{
    ui_ = qtUi_.get();
    QApplication::setApplicationDisplayName(QString());
    CreatePanes();
    CreateActions();
    CreateAids();
    FormCreate(file, line);
    programCheck_ = new TProgramCheck(*this);
}

TFrmMain::~TFrmMain()
{
    // the view lets go of the control before the document frees it
    delete CodeMemo1;
    CodeMemo1 = nullptr;
}

void TFrmMain::SetDocumentUi(TDocumentUi *ui)
{
    ui_ = ui ? ui : qtUi_.get();
}

void TFrmMain::ShowError(const std::string &message)
{
    ui_->ShowError(message);
}

void TFrmMain::CreatePanes()
{
    // editor pane: title strip above the editor
    auto *Panel6 = new QWidget(this);
    auto *editLayout = new QVBoxLayout(Panel6);
    editLayout->setContentsMargins(0, 0, 0, 0);
    editLayout->setSpacing(0);
    PanelTitleEdit = TitleStrip(QString(), Panel6);
    CodeMemo1 = new TCodeMemoView(doc_.Memo(), Panel6);
    CodeMemo1->UpdateScrollBarPolicy();
    editLayout->addWidget(PanelTitleEdit);
    editLayout->addWidget(CodeMemo1, 1);

    // help pane: title strip above the help tree
    PanelTreeViewHelpKeys = new QWidget(this);
    auto *helpLayout = new QVBoxLayout(PanelTreeViewHelpKeys);
    helpLayout->setContentsMargins(0, 0, 0, 0);
    helpLayout->setSpacing(0);
    PanelTitleMiniHelp = TitleStrip(QStringLiteral("Mini Tree OPL Help"), PanelTreeViewHelpKeys);
    TreeViewHelpKeys = new QTreeWidget(PanelTreeViewHelpKeys);
    TreeViewHelpKeys->setHeaderHidden(true);
    TreeViewHelpKeys->setFocusPolicy(Qt::ClickFocus);
    helpLayout->addWidget(PanelTitleMiniHelp);
    helpLayout->addWidget(TreeViewHelpKeys, 1);
    connect(TreeViewHelpKeys, &QTreeWidget::itemPressed, this, [this] { SetActivePane(4); });

    splitPanes_ = new QSplitter(Qt::Horizontal, this);
    splitPanes_->setHandleWidth(3);
    splitPanes_->setChildrenCollapsible(false);
    splitPanes_->addWidget(Panel6);
    splitPanes_->addWidget(PanelTreeViewHelpKeys);
    splitPanes_->setStretchFactor(0, 1);
    splitPanes_->setStretchFactor(1, 0);
    splitPanes_->setSizes({473, 127});

    // hint pane: the hint line below both
    PanelWriteHelp = new QWidget(this);
    PanelWriteHelp->setMinimumHeight(20);
    auto *hintLayout = new QHBoxLayout(PanelWriteHelp);
    hintLayout->setContentsMargins(6, 0, 6, 0);
    auto *caption = new QLabel(QStringLiteral("Write help system:"), PanelWriteHelp);
    QFont arial(QStringLiteral("Arial"), 8);
    arial.setBold(true);
    caption->setFont(arial);
    LblHelpCommand = new QLabel(QStringLiteral("(none)"), PanelWriteHelp);
    LblHelpCommand->setFont(arial);
    QPalette navy = LblHelpCommand->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    LblHelpCommand->setPalette(navy);
    LblHelpCommand->setTextInteractionFlags(Qt::TextSelectableByMouse);
    hintLayout->addWidget(caption);
    hintLayout->addWidget(LblHelpCommand, 1);

    splitMain_ = new QSplitter(Qt::Vertical, this);
    splitMain_->setHandleWidth(3);
    splitMain_->setChildrenCollapsible(false);
    splitMain_->addWidget(splitPanes_);
    splitMain_->addWidget(PanelWriteHelp);
    splitMain_->setStretchFactor(0, 1);
    splitMain_->setStretchFactor(1, 0);
    splitMain_->setSizes({380, 33});
    setCentralWidget(splitMain_);

    StatusBar = new TStatusPanels(this);
    setStatusBar(StatusBar);
    ColourStrip(PanelTitleMiniHelp, false);

    // the editor's events
    TCodeMemo &m = doc_.Memo();
    m.OnSelMove = [this](TCodeMemo *) { CodeMemo1SelMove(); };
    m.OnEnter = [this](TCodeMemo *) { SetActivePane(1); };
    doc_.OnNameChanged = [this] { SetFileName(doc_.FileName()); };
    doc_.OnFileUsed = [this](const std::string &path) {
        RememberFile(recentFiles_, path);
        ShowRecentFiles();
    };
    CodeMemo1->viewport()->installEventFilter(this);
    doc_.OnStatus = [this] { CodeMemo1SelMove(); };
    doc_.OnProgressText = [this](const std::string &t) { StatusBar->SetText(0, QString::fromLatin1(t.c_str())); };
    doc_.OnDialectChanged = [this] { ShowDialect(); };
    CodeMemo1->setContextMenuPolicy(Qt::CustomContextMenu);
    CodeMemo1->SetOnMissingCharacter([this](char32_t c) {
        StatusBar->SetText(0, MissingCharacterText(c, doc_.Memo().CodePage));
    });
}

void TFrmMain::FormCreate(const std::string &file, int line)
{
    FirstActivation = true;
    profile_.Load(settingsPath_);
    QSize screen(1024, 768);
    if (QScreen *s = QApplication::primaryScreen())
        screen = s->size();
    ApplySettings(TSettings::Read(profile_, screen.width(), screen.height()));
    if (!file.empty()) {
        Guard([&] {
            {
                TBusy busy(*ui_);
                doc_.LoadFile(file);
            }
            openedFromCommandLine_ = true;
            if (const std::string warning = doc_.LoadWarning(); !warning.empty())
                ui_->Warn(warning);
            if (line > 0) {
                doc_.GoToLine(line - 1);
                startLine_ = line; // again once the window has its size
            }
        });
    }
    if (!openedFromCommandLine_)
        SetFileName(std::string());
}

void TFrmMain::ApplySettings(const TSettings &s)
{
    resize(s.Width, s.Height);
    move(s.Left, s.Top);
    if (s.State == 1)
        setWindowState(Qt::WindowMinimized);
    else if (s.State == 2)
        setWindowState(Qt::WindowMaximized);
    doc_.ApplySettings(s);
    Action(TCommand::HelpPane)->setChecked(s.HelpPane);
    PanelTreeViewHelpKeys->setVisible(s.HelpPane);
    Action(TCommand::HintPane)->setChecked(s.HintPane);
    PanelWriteHelp->setVisible(s.HintPane);
    actions_->SetDesktopKeys(s.Keyboard == "Desktop");
    Action(TCommand::LineNumbers)->setChecked(s.LineNumbers);
    recentFiles_ = s.RecentFiles;
    ShowRecentFiles();
}

TSettings TFrmMain::GatherSettings() const
{
    TSettings s;
    // the size as resize() takes it and the place as move() takes it, so that a window
    // comes back where it was whatever frame the desktop draws around it
    s.Width = width();
    s.Height = height();
    s.Top = y();
    s.Left = x();
    s.State = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    doc_.GatherSettings(s);
    s.HelpPane = Action(TCommand::HelpPane)->isChecked();
    s.HintPane = Action(TCommand::HintPane)->isChecked();
    s.Keyboard = Action(TCommand::KeyboardDesktop)->isChecked() ? "Desktop" : "Classic";
    s.RecentFiles = recentFiles_;
    return s;
}

bool TFrmMain::event(QEvent *e)
{
    const bool r = QMainWindow::event(e);
    if (e->type() == QEvent::WindowActivate && FirstActivation)
        FormActivate();
    else if (e->type() == QEvent::Show && FirstActivation)
        QMetaObject::invokeMethod(this, [this] { FormActivate(); }, Qt::QueuedConnection);
    return r;
}

void TFrmMain::FormActivate()
{
    if (!FirstActivation)
        return;
    FirstActivation = false;
    if (!openedFromCommandLine_) {
        doc_.NewTemplate();
        doc_.Memo().SetModified(false);
    } else if (startLine_ > 0) {
        doc_.GoToLine(startLine_ - 1);
    }
    CodeMemo1SelMove();
    SetActivePane(1);
    CodeMemo1->setFocus();
}

void TFrmMain::closeEvent(QCloseEvent *e)
{
    bool allow = false;
    Guard([&] { allow = doc_.CloseQuery(*ui_); });
    if (!allow) {
        e->ignore();
        return;
    }
    FormClose();
    e->accept();
}

void TFrmMain::FormClose()
{
    GatherSettings().Write(profile_);
    Guard([&] { profile_.Save(settingsPath_); });
}

void TFrmMain::SetFileName(const std::string &name)
{
    setWindowTitle(QString::fromLatin1(kCaption));
    const std::string shown = name.empty() ? std::string("Untitled.opl ") : TDocument::BaseName(name);
    PanelTitleEdit->setText(QStringLiteral("Edit: ( ") + FromLocal(shown) + QStringLiteral(" )"));
    QApplication::setApplicationName(QString::fromLatin1(kCaption));
}

void TFrmMain::SetActivePane(int pane)
{
    ColourStrip(PanelTitleEdit, pane == 1);
    ColourStrip(PanelTitleMiniHelp, pane == 4);
}

void TFrmMain::CodeMemo1SelMove()
{
    TCodeMemo &m = doc_.Memo();
    if (!PanelWriteHelp->isHidden())
        ShowSyntaxHint();
    StatusBar->SetText(1, QStringLiteral("Line: %1").arg(m.SelLine() + 1));
    StatusBar->SetText(2, QStringLiteral("Col: %1").arg(m.SelCol() + 1));
    ShowEditState();
}

void TFrmMain::ShowEditState()
{
    StatusBar->SetText(3, doc_.Memo().Modified() ? QStringLiteral("Mod") : QStringLiteral(" "));
    UpdateActions();
}

// ---- document commands ----

void TFrmMain::New1Click()
{
    Guard([&] { doc_.New(*ui_); });
}

void TFrmMain::Open1Click()
{
    Guard([&] { doc_.Open(*ui_); });
}

void TFrmMain::Save1Click()
{
    Guard([&] { doc_.Save(*ui_); });
}

void TFrmMain::SaveAs1Click()
{
    Guard([&] { doc_.SaveAs(*ui_); });
}

void TFrmMain::Exit1Click()
{
    close();
}

// ---- dialects ----

namespace {

TCommand DialectCommand(TDialect dialect)
{
    return dialect == TDialect::Siena  ? TCommand::DialectSiena
           : dialect == TDialect::Opl3 ? TCommand::DialectOpl3
           : dialect == TDialect::Opl5 ? TCommand::DialectOpl5
                                       : TCommand::DialectNone;
}

} // namespace

void TFrmMain::ShowDialect()
{
    if (const std::optional<TDialect> dialect = doc_.Dialect())
        Action(DialectCommand(*dialect))->setChecked(true);
    else if (QAction *checked = actions_->Dialects()->checkedAction())
        checked->setChecked(false);
}

void TFrmMain::ChooseDialect(TDialect dialect)
{
    if (doc_.Dialect() == dialect)
        return; // already the dialect: nothing is rebuilt
    Guard([&] {
        TCodeMemo &m = doc_.Memo();
        const int32_t line = m.SelLine();
        {
            TBusy busy(*ui_);
            doc_.SetDialect(dialect);
        }
        if (dialect != TDialect::None) {
            // the caret keeps its line (at its start, with nothing selected), the view its place
            m.SetSelLength(0);
            m.SetSelLine(line);
        }
        CodeMemo1SelMove();
    });
    ShowDialect();
}

void TFrmMain::MnuKeywordsNoneClick()
{
    ChooseDialect(TDialect::None);
}

void TFrmMain::MnuKeywordsSienaClick()
{
    ChooseDialect(TDialect::Siena);
}

void TFrmMain::MnuKeywordsOPL3Click()
{
    ChooseDialect(TDialect::Opl3);
}

void TFrmMain::MnuKeywordsOPL5Click()
{
    ChooseDialect(TDialect::Opl5);
}

void TFrmMain::CommandHelp1Click()
{
    PanelTreeViewHelpKeys->setVisible(Action(TCommand::HelpPane)->isChecked());
}

void TFrmMain::WriteHelp1Click()
{
    PanelWriteHelp->setVisible(Action(TCommand::HintPane)->isChecked());
}

} // namespace quenvel
