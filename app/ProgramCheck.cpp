#include "ProgramCheck.h"

#include "ErrorPane.h"
#include "MainWindow.h"

#include "app/document/Settings.h"
#include "opl/OplKeywords.h"
#include "opl/OplLexer.h"
#include "platform/CodeMemoView.h"

#include <QDockWidget>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>

namespace quenvel {

namespace {

// The length of the token at a column of a line, for the wavy line under an error.
int32_t TokenLength(const std::string &line, int32_t col)
{
    std::vector<TOplToken> toks;
    LexOplLine(line, toks);
    for (const TOplToken &t : toks)
        if (t.Col == col)
            return std::max<int32_t>(1, static_cast<int32_t>(t.Text.size()) +
                                            (t.Kind == TOplTok::Call ? 1 : t.Kind == TOplTok::Label ? 2 : 0));
    return 1;
}

} // namespace

TProgramCheck::TProgramCheck(TFrmMain &window) : QObject(&window), w_(window)
{
    pane_ = new TErrorPane(&window);
    pane_->OnGo = [this](int line, int col) {
        Jump(line, col);
        w_.Editor().setFocus();
    };
    dock_ = new QDockWidget(QStringLiteral("Errors"), &window);
    dock_->setObjectName(QStringLiteral("Errors"));
    dock_->setWidget(pane_);
    dock_->setFeatures(QDockWidget::DockWidgetClosable);
    window.addDockWidget(Qt::BottomDockWidgetArea, dock_);
    dock_->hide();

    timer_.setSingleShot(true);
    timer_.setInterval(kPauseMs);
    connect(&timer_, &QTimer::timeout, this, &TProgramCheck::Start);

    TCodeMemo &m = window.Document().Memo();
    auto change = m.OnChange;
    m.OnChange = [this, change](TCodeMemo *memo) {
        if (change)
            change(memo);
        Changed();
    };
    auto selMove = m.OnSelMove;
    m.OnSelMove = [this, selMove](TCodeMemo *memo) {
        if (selMove)
            selMove(memo);
        ShowConstant();
    };
    auto mouseDown = m.OnMouseDown;
    m.OnMouseDown = [this, mouseDown](TCodeMemo *memo, TMouseButton b, TShiftState s, int x, int y) {
        if (mouseDown)
            mouseDown(memo, b, s, x, y);
        if (b == mbLeft && (s & ssCtrl)) // Ctrl+click: once the click has put the caret there
            QTimer::singleShot(0, this, [this] { GoToDefinition(); });
    };
    Changed();
}

TProgramCheck::~TProgramCheck()
{
    if (worker_.joinable())
        worker_.join();
}

TOplCheckOptions TProgramCheck::Options() const
{
    TOplCheckOptions o;
    // plain text is checked as the Series 5 would check it
    const TDialect dialect = w_.Document().Dialect().value_or(TDialect::None);
    o.Dialect = dialect == TDialect::None ? TDialect::Opl5 : dialect;
    o.Path = w_.Document().FileName();
    TProfile p;
    p.Load(w_.SettingsFile());
    o.IncludeDirs = SplitIncludePath(p.ReadString("Setup", "IncludePath", ""));
    return o;
}

void TProgramCheck::Changed()
{
    ++generation_;
    timer_.start();
}

// The text is copied here; the check runs on a thread of its own and its result comes
// back through the event loop, so typing never waits for it.
void TProgramCheck::Start()
{
    if (running_) {
        again_ = true;
        return;
    }
    if (worker_.joinable())
        worker_.join();
    running_ = true;
    again_ = false;
    QPointer<TProgramCheck> self(this);
    const uint64_t generation = generation_;
    worker_ = std::thread([self, generation, text = w_.Document().Memo().Text(), o = Options()] {
        TOplCheckResult r = CheckOplProgram(text, o);
        QMetaObject::invokeMethod(
            qApp,
            [self, generation, r = std::move(r)]() mutable {
                if (self)
                    self->Finished(std::move(r), generation);
            },
            Qt::QueuedConnection);
    });
}

void TProgramCheck::Finished(TOplCheckResult r, uint64_t generation)
{
    running_ = false;
    if (worker_.joinable())
        worker_.join();
    result_ = std::move(r);
    Show();
    if (again_ || generation != generation_)
        Start();
}

void TProgramCheck::Show()
{
    TCodeMemo &m = w_.Document().Memo();
    std::vector<TCodeMemoView::TWavyMark> marks;
    for (const TOplDiagnostic &d : result_.Diagnostics)
        if (!d.Warning && d.File.empty() && d.Line - 1 < m.ParagraphCount())
            marks.push_back({d.Line - 1, d.Col - 1, TokenLength(m.ParagraphText(d.Line - 1), d.Col - 1)});
    w_.Editor().SetWavyMarks(std::move(marks));
    const int n = result_.Errors();
    w_.Panel(4)->setText(n == 1 ? QStringLiteral("1 error") : QStringLiteral("%1 errors").arg(n));
    pane_->Show(result_.Diagnostics);
}

void TProgramCheck::CheckProgram()
{
    timer_.stop();
    ++generation_;
    result_ = CheckOplProgram(w_.Document().Memo().Text(), Options());
    Show();
    if (dock_->isHidden()) {
        dock_->show();
        w_.resizeDocks({dock_}, {w_.height() / 5}, Qt::Vertical);
    }
}

void TProgramCheck::Jump(int32_t line, int32_t col)
{
    TCodeMemo &m = w_.Document().Memo();
    if (line < 1 || line > m.ParagraphCount())
        return;
    const int32_t len = static_cast<int32_t>(m.ParagraphText(line - 1).size());
    m.SetSelLength(0);
    m.SetSelStart(m.ParagraphStart(line - 1) + std::clamp(col - 1, 0, len));
    m.ScrollInView();
}

bool TProgramCheck::GoToDefinition()
{
    TCodeMemo &m = w_.Document().Memo();
    const int32_t par = m.CaretPar();
    const std::string line = m.ParagraphText(par);
    const int32_t col = m.SelStart() - m.ParagraphStart(par) + 1;
    const TOplCheckResult r = CheckOplProgram(m.Text(), Options());
    const TOplSymbol *s = FindOplDefinition(r, line, par + 1, col);
    if (!s)
        return false;
    if (!s->File.empty()) { // declared in an include: open it
        const std::string file = s->File;
        const int32_t at = s->Line, atCol = s->Col;
        if (!w_.Document().CloseQuery(w_.DocumentUi()))
            return false;
        w_.Document().LoadFile(file);
        w_.SetFileName(file);
        back_.clear();
        Jump(at, atCol);
        return true;
    }
    back_.push_back(m.SelStart());
    Jump(s->Line, s->Col);
    return true;
}

void TProgramCheck::GoBack()
{
    if (back_.empty())
        return;
    TCodeMemo &m = w_.Document().Memo();
    m.SetSelLength(0);
    m.SetSelStart(std::min(back_.back(), m.TextLength()));
    back_.pop_back();
    m.ScrollInView();
}

// With the caret on a constant, the hint line shows its value.
void TProgramCheck::ShowConstant()
{
    if (result_.Symbols.empty() || w_.HintPane()->isHidden())
        return;
    TCodeMemo &m = w_.Document().Memo();
    const int32_t par = m.CaretPar();
    const int32_t col = m.SelStart() - m.ParagraphStart(par) + 1;
    const TOplSymbol *s = FindOplDefinition(result_, m.ParagraphText(par), par + 1, col);
    if (s && s->Kind == TOplSymbolKind::Constant)
        w_.HintLine()->setText(QString::fromLatin1("CONST " + s->Name + " = " + s->Value));
}

} // namespace quenvel
