#include "ToolbarGlyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace quenvel {

namespace {

void Page(QPainter &p, QRectF r)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 3, r.top());
    path.lineTo(r.right(), r.top() + 3);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(path);
}

QPixmap Draw(TGlyph g)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QPen ink(QColor(40, 40, 40), 1);
    p.setPen(ink);
    switch (g) {
    case TGlyph::New:
        Page(p, QRectF(3.5, 1.5, 9, 13));
        p.setPen(QPen(QColor(220, 170, 0), 1.5));
        p.drawLine(QPointF(11, 9), QPointF(15, 13));
        p.drawLine(QPointF(15, 9), QPointF(11, 13));
        break;
    case TGlyph::Open:
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(QRectF(1.5, 4.5, 13, 9));
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
        break;
    case TGlyph::Save:
        p.setBrush(QColor(60, 90, 170));
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
        break;
    case TGlyph::Search:
        p.setPen(QPen(QColor(40, 40, 40), 1.5));
        p.setBrush(QColor(200, 230, 255));
        p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
        p.setPen(QPen(QColor(90, 60, 30), 2.5));
        p.drawLine(QPointF(9.5, 9.5), QPointF(14.5, 14.5));
        break;
    case TGlyph::Print:
        Page(p, QRectF(4.5, 1.5, 7, 6));
        p.setBrush(QColor(170, 170, 170));
        p.drawRect(QRectF(1.5, 6.5, 13, 6));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        break;
    case TGlyph::Cut:
        p.setPen(QPen(QColor(40, 40, 40), 1.2));
        p.drawLine(QPointF(4, 1), QPointF(10.5, 10));
        p.drawLine(QPointF(12, 1), QPointF(5.5, 10));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(1.5, 10, 4.5, 4.5));
        p.drawEllipse(QRectF(10, 10, 4.5, 4.5));
        break;
    case TGlyph::Copy:
        Page(p, QRectF(1.5, 1.5, 8, 10));
        Page(p, QRectF(6.5, 4.5, 8, 10));
        break;
    case TGlyph::Paste:
        p.setBrush(QColor(190, 140, 80));
        p.drawRect(QRectF(1.5, 2.5, 10, 12));
        p.setBrush(QColor(150, 150, 150));
        p.drawRect(QRectF(4.5, 1.5, 4, 2));
        Page(p, QRectF(7.5, 6.5, 7, 8));
        break;
    case TGlyph::Undo: {
        p.setPen(QPen(QColor(30, 100, 40), 2));
        p.setBrush(Qt::NoBrush);
        QPainterPath arc;
        arc.moveTo(4, 7);
        arc.cubicTo(7, 3, 14, 4, 13, 10);
        arc.cubicTo(12.5, 12, 11, 13, 9, 13.5);
        p.drawPath(arc);
        p.setBrush(QColor(30, 100, 40));
        p.setPen(Qt::NoPen);
        QPolygonF head;
        head << QPointF(1, 4) << QPointF(7, 4.5) << QPointF(3, 10);
        p.drawPolygon(head);
        break;
    }
    }
    return pm;
}

const char *ThemeName(TGlyph g)
{
    switch (g) {
    case TGlyph::New: return "document-new";
    case TGlyph::Open: return "document-open";
    case TGlyph::Save: return "document-save";
    case TGlyph::Search: return "edit-find";
    case TGlyph::Print: return "document-print";
    case TGlyph::Cut: return "edit-cut";
    case TGlyph::Copy: return "edit-copy";
    case TGlyph::Paste: return "edit-paste";
    case TGlyph::Undo: return "edit-undo";
    }
    return "";
}

} // namespace

QIcon GlyphIcon(TGlyph glyph)
{
    return QIcon::fromTheme(QString::fromLatin1(ThemeName(glyph)), QIcon(Draw(glyph)));
}

} // namespace quenvel
