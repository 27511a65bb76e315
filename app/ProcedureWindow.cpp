#include "ProcedureWindow.h"

#include "editor/CodeMemo.h"
#include "opl/ProcScanner.h"
#include "platform/CodePageText.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace quenvel {

TfrmModules::TfrmModules(TCodeMemo &memo, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), memo_(memo)
{
    setWindowTitle(QStringLiteral("Go to Procedures"));
    resize(360, 260);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    ListView1 = new QTreeWidget(this);
    ListView1->setColumnCount(3);
    ListView1->setHeaderLabels({QStringLiteral("Procedure"), QStringLiteral("Comment"), QStringLiteral("Line")});
    ListView1->setRootIsDecorated(false);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->header()->resizeSection(0, 150);
    ListView1->header()->resizeSection(1, 140);
    layout->addWidget(ListView1);
    // A click jumps and a double click (or Enter) jumps and closes. itemActivated is not
    // used: on desktops that open items with a single click it would close on a click.
    connect(ListView1, &QTreeWidget::itemClicked, this, [this] { ListView1Click(); });
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, [this] { ListView1DblClick(); });
    ListView1->installEventFilter(this);
    rescan_.setSingleShot(true);
    rescan_.setInterval(400);
    connect(&rescan_, &QTimer::timeout, this, [this] {
        if (isVisible())
            ScanProcedures();
    });
}

void TfrmModules::TextChanged()
{
    if (isVisible())
        rescan_.start();
}

bool TfrmModules::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == ListView1 && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            ListView1DblClick();
            return true;
        }
        if (key == Qt::Key_Escape) {
            hide();
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

bool TfrmModules::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate)
        ScanProcedures();
    return QWidget::event(e);
}

void TfrmModules::ScanProcedures()
{
    rescan_.stop();
    // the row chosen stays chosen when the list is scanned again
    const int current = ListView1->currentItem() ? ListView1->indexOfTopLevelItem(ListView1->currentItem()) : -1;
    ListView1->clear();
    const TCodePage cp = memo_.CodePage;
    auto text = [cp](const std::string &bytes) { return BytesToQString(bytes, cp); };
    QList<QTreeWidgetItem *> rows;
    for (const TProcEntry &e : quenvel::ScanProcedures(memo_))
        rows.append(new QTreeWidgetItem({text(e.Text), text(e.Comment), QString::number(e.Line)}));
    ListView1->addTopLevelItems(rows);
    if (current >= 0 && current < rows.size()) {
        const QSignalBlocker quiet(ListView1);
        ListView1->setCurrentItem(rows[current]);
    }
}

void TfrmModules::GoToSelectedRow()
{
    QTreeWidgetItem *row = ListView1->currentItem();
    if (!row)
        return;
    if (OnJump)
        OnJump(LineIndexForNumber(row->text(2).toLongLong(), memo_.LineCount()));
}

void TfrmModules::ListView1Click()
{
    GoToSelectedRow();
}

void TfrmModules::ListView1DblClick()
{
    GoToSelectedRow();
    if (OnChosen)
        OnChosen();
    hide();
}

} // namespace quenvel
