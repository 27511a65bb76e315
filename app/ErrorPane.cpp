#include "ErrorPane.h"

#include <QHeaderView>

namespace quenvel {

TErrorPane::TErrorPane(QWidget *parent) : QTreeWidget(parent)
{
    setColumnCount(3);
    setHeaderLabels({QStringLiteral("Line"), QStringLiteral("Col"), QStringLiteral("Message")});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    header()->setStretchLastSection(true);
    setColumnWidth(0, 60);
    setColumnWidth(1, 45);
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item, int) {
        if (OnGo && item->data(0, Qt::UserRole).toInt() > 0)
            OnGo(item->data(0, Qt::UserRole).toInt(), item->data(1, Qt::UserRole).toInt());
    });
}

void TErrorPane::Show(const std::vector<TOplDiagnostic> &diagnostics)
{
    clear();
    QList<QTreeWidgetItem *> rows;
    for (const TOplDiagnostic &d : diagnostics) {
        QString message = QString::fromLatin1((d.Warning ? "warning: " : "") + d.Message);
        if (!d.File.empty()) // an error inside an include file: not a place in this text
            message = QString::fromLocal8Bit(d.File.c_str()) + QStringLiteral(": ") + message;
        auto *row = new QTreeWidgetItem({QString::number(d.Line), QString::number(d.Col), message});
        row->setData(0, Qt::UserRole, d.File.empty() ? d.Line : 0);
        row->setData(1, Qt::UserRole, d.Col);
        rows.push_back(row);
    }
    addTopLevelItems(rows);
}

} // namespace quenvel
