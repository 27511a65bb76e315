#include "HelpTreePane.h"

#include "opl/HelpTree.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QTreeWidget>

#include <vector>

namespace quenvel {

namespace {

// A blue disc with a yellow digit.
QIcon Badge(char digit)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 200));
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(255, 255, 0));
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString(QLatin1Char(digit)));
    return QIcon(pm);
}

} // namespace

void FillHelpTree(QTreeWidget *tree)
{
    tree->clear();
    const QIcon three = Badge('3'), five = Badge('5');
    const std::vector<THelpNode> &nodes = HelpTreeNodes();
    std::vector<QTreeWidgetItem *> items(nodes.size(), nullptr);
    for (size_t i = 0; i < nodes.size(); ++i) {
        const THelpNode &n = nodes[i];
        const QString caption = QString::fromLatin1(n.Caption.data(), static_cast<qsizetype>(n.Caption.size()));
        QTreeWidgetItem *item = n.Parent < 0 ? new QTreeWidgetItem(tree, {caption})
                                             : new QTreeWidgetItem(items[static_cast<size_t>(n.Parent)], {caption});
        item->setData(0, Qt::UserRole, static_cast<int>(i));
        if (n.Badge == THelpBadge::Opl3)
            item->setIcon(0, three);
        else if (n.Badge == THelpBadge::Opl5)
            item->setIcon(0, five);
        items[i] = item;
    }
    tree->collapseAll();
}

int HelpNodeOf(const QTreeWidgetItem *item)
{
    return item ? item->data(0, Qt::UserRole).toInt() : -1;
}

} // namespace quenvel
