// The status bar: five panels addressed by index; the caret's line and column always show
// in full.
#pragma once

#include <QStatusBar>

#include <array>

class QLabel;

namespace quenvel {

class TStatusPanels : public QStatusBar
{
public:
    explicit TStatusPanels(QWidget *parent);
    QLabel *Panel(int index) const { return panels_[static_cast<size_t>(index)]; }
    // Shows a text at once, also in the middle of a long job.
    void SetText(int index, const QString &text);

private:
    std::array<QLabel *, 5> panels_{};
    std::array<int, 5> minimum_{};
};

} // namespace quenvel
