#include "ProcedureWindow.h"

#include "editor/CodeMemo.h"
#include "opl/ProcScanner.h"

#include <QEvent>
#include <QHeaderView>
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
    connect(ListView1, &QTreeWidget::itemClicked, this, [this] { ListView1Click(); });
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this, [this] { ListView1DblClick(); });
    connect(ListView1, &QTreeWidget::itemActivated, this, [this] { ListView1DblClick(); });
}

bool TfrmModules::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate)
        ScanProcedures();
    return QWidget::event(e);
}

void TfrmModules::ScanProcedures()
{
    ListView1->clear();
    const TCodePage cp = memo_.CodePage;
    auto text = [cp](const std::string &bytes) {
        QString s;
        s.reserve(static_cast<qsizetype>(bytes.size()));
        for (unsigned char b : bytes)
            s += QChar(static_cast<char16_t>(ByteToUnicode(cp, b)));
        return s;
    };
    QList<QTreeWidgetItem *> rows;
    for (const TProcEntry &e : quenvel::ScanProcedures(memo_))
        rows.append(new QTreeWidgetItem({text(e.Text), text(e.Comment), QString::number(e.Line)}));
    ListView1->addTopLevelItems(rows);
}

void TfrmModules::GoToSelectedRow()
{
    QTreeWidgetItem *row = ListView1->currentItem();
    if (!row)
        return;
    memo_.SetSelLine(LineIndexForNumber(row->text(2).toLongLong(), memo_.LineCount()));
    memo_.ScrollInView();
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
