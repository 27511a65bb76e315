#include "StatusPanels.h"

#include <QLabel>

#include <algorithm>

namespace quenvel {

TStatusPanels::TStatusPanels(QWidget *parent) : QStatusBar(parent)
{
    setSizeGripEnabled(true);
    const int widths[5] = {200, 60, 60, 30, 50};
    const char *initial[5] = {"", "Line: 1", "Col: 1", "", ""};
    for (int i = 0; i < 5; ++i) {
        auto *l = new QLabel(QString::fromLatin1(initial[i]), this);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        if (i == 3)
            l->setAlignment(Qt::AlignCenter);
        // The message panel and the spare one give way first in a narrow window; the
        // others keep their width, grown to show their whole text.
        if (i == 0 || i == 4) {
            l->setMinimumWidth(0);
            l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        } else {
            l->setFixedWidth(widths[i]);
        }
        addWidget(l, i == 0 ? 1 : 0);
        panels_[static_cast<size_t>(i)] = l;
        minimum_[static_cast<size_t>(i)] = widths[i];
    }
}

void TStatusPanels::SetText(int index, const QString &text)
{
    QLabel *l = Panel(index);
    if (l->text() == text)
        return;
    l->setText(text);
    if (index != 0 && index != 4) {
        const int need = l->fontMetrics().horizontalAdvance(text) + 2 * l->frameWidth() + 8;
        const int width = std::max(minimum_[static_cast<size_t>(index)], need);
        if (width != l->width())
            l->setFixedWidth(width);
    }
    l->repaint();
}

} // namespace quenvel
