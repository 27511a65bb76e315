#include "ScrollBar.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QStyle>

#include <cmath>

namespace quenvel {

bool TScrollBar::SameAsDrawn(const QStyleOptionSlider &o) const
{
    const QStyleOptionSlider &d = drawn_;
    return drawnStyle_ == style() && o.rect == d.rect && o.state == d.state && o.direction == d.direction &&
           o.palette == d.palette && o.subControls == d.subControls && o.activeSubControls == d.activeSubControls &&
           o.orientation == d.orientation && o.minimum == d.minimum && o.maximum == d.maximum &&
           o.upsideDown == d.upsideDown && o.sliderPosition == d.sliderPosition && o.sliderValue == d.sliderValue &&
           o.singleStep == d.singleStep && o.pageStep == d.pageStep && o.tickPosition == d.tickPosition &&
           o.tickInterval == d.tickInterval && o.keyboardModifiers == d.keyboardModifiers;
}

bool TScrollBar::event(QEvent *e)
{
    switch (e->type()) {
    case QEvent::StyleChange:
    case QEvent::PaletteChange:
    case QEvent::EnabledChange:
    case QEvent::HoverEnter:
    case QEvent::HoverLeave:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
        picture_ = QImage();
        break;
    default:
        break;
    }
    return QScrollBar::event(e);
}

void TScrollBar::paintEvent(QPaintEvent *e)
{
    // At rest the bar's own drawing shows no sub-control as hovered or pressed.
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    opt.subControls = QStyle::SC_All;
    opt.activeSubControls = QStyle::SC_None;
    const bool atRest = !underMouse() && !isSliderDown() && QGuiApplication::mouseButtons() == Qt::NoButton &&
                        !(opt.state & (QStyle::State_MouseOver | QStyle::State_Sunken)) &&
                        !style()->styleHint(QStyle::SH_ScrollBar_Transient, &opt, this) &&
                        !style()->inherits("QStyleSheetStyle");
    QPainter p(this);
    // the picture is copied pixel for pixel: only to a device that is not scaled
    const QTransform t = p.deviceTransform();
    const bool oneToOne = t.type() <= QTransform::TxTranslate && t.dx() == std::floor(t.dx()) &&
                          t.dy() == std::floor(t.dy());
    if (!atRest || !oneToOne) {
        picture_ = QImage();
        p.end();
        QScrollBar::paintEvent(e);
        return;
    }
    if (picture_.isNull() || !SameAsDrawn(opt)) {
        picture_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
        picture_.fill(Qt::transparent);
        {
            QPainter ip(&picture_);
            style()->drawComplexControl(QStyle::CC_ScrollBar, &opt, &ip, this);
        }
        drawn_ = opt;
        drawnStyle_ = style();
        usable_ = true;
        for (int y = 0; y < picture_.height() && usable_; ++y) {
            const QRgb *row = reinterpret_cast<const QRgb *>(picture_.constScanLine(y));
            for (int x = 0; x < picture_.width(); ++x)
                if (qAlpha(row[x]) != 255) {
                    usable_ = false;
                    break;
                }
        }
    }
    if (usable_)
        p.drawImage(0, 0, picture_);
    else
        style()->drawComplexControl(QStyle::CC_ScrollBar, &opt, &p, this);
}

} // namespace quenvel
