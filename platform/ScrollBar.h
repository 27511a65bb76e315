// A scroll bar that keeps its last picture while nothing about it changes.
#pragma once

#include <QImage>
#include <QScrollBar>
#include <QStyleOptionSlider>

namespace quenvel {

// The style draws a bar's groove and slider with gradients, which costs more than the
// whole screen of text beside it; a bar at rest (no mouse on it, no button down) whose
// style option is the one it was last drawn with shows that drawing again. The picture
// is used only where it covers every pixel opaquely, so it is exactly what drawing would
// have put there; otherwise, and whenever the mouse is involved, the bar draws as usual.
class TScrollBar : public QScrollBar
{
public:
    explicit TScrollBar(Qt::Orientation o, QWidget *parent = nullptr) : QScrollBar(o, parent) {}

protected:
    void paintEvent(QPaintEvent *e) override;
    bool event(QEvent *e) override;

private:
    bool SameAsDrawn(const QStyleOptionSlider &o) const;

    QImage picture_;         // the last drawing, in device pixels at this bar's origin
    QStyleOptionSlider drawn_; // what it was drawn with
    const QStyle *drawnStyle_ = nullptr;
    bool usable_ = false; // opaque throughout
};

} // namespace quenvel
