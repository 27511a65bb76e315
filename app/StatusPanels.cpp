#include "StatusPanels.h"

#include <QLabel>

namespace quenvel {

TStatusPanels::TStatusPanels(QWidget *parent) : QStatusBar(parent)
{
    setSizeGripEnabled(true);
    const int widths[5] = {200, 60, 60, 30, 50};
    const char *initial[5] = {"", "Line: 1", "Col: 1", "", ""};
    for (int i = 0; i < 5; ++i) {
        auto *l = new QLabel(QString::fromLatin1(initial[i]), this);
        l->setFixedWidth(widths[i]);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        if (i == 3)
            l->setAlignment(Qt::AlignCenter);
        addWidget(l);
        panels_[static_cast<size_t>(i)] = l;
    }
}

void TStatusPanels::SetText(int index, const QString &text)
{
    QLabel *l = Panel(index);
    if (l->text() == text)
        return;
    l->setText(text);
    l->repaint();
}

} // namespace quenvel
