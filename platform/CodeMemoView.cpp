#include "CodeMemoView.h"

#include "ScrollBar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

namespace quenvel {

int VirtualKeyOf(int k)
{
    switch (k) {
    case Qt::Key_Backspace: return KeyCode(TKey::Backspace);
    case Qt::Key_Tab: case Qt::Key_Backtab: return KeyCode(TKey::Tab);
    case Qt::Key_Return: case Qt::Key_Enter: return KeyCode(TKey::Enter);
    case Qt::Key_Shift: return KeyCode(TKey::Shift);
    case Qt::Key_Control: return KeyCode(TKey::Control);
    case Qt::Key_Alt: return KeyCode(TKey::Alt);
    case Qt::Key_Escape: return KeyCode(TKey::Escape);
    case Qt::Key_Space: return KeyCode(TKey::Space);
    case Qt::Key_PageUp: return KeyCode(TKey::PageUp);
    case Qt::Key_PageDown: return KeyCode(TKey::PageDown);
    case Qt::Key_End: return KeyCode(TKey::End);
    case Qt::Key_Home: return KeyCode(TKey::Home);
    case Qt::Key_Left: return KeyCode(TKey::Left);
    case Qt::Key_Up: return KeyCode(TKey::Up);
    case Qt::Key_Right: return KeyCode(TKey::Right);
    case Qt::Key_Down: return KeyCode(TKey::Down);
    case Qt::Key_Insert: return KeyCode(TKey::Insert);
    case Qt::Key_Delete: return KeyCode(TKey::Delete);
    default:
        if (k >= Qt::Key_0 && k <= Qt::Key_9)
            return k;
        if (k >= Qt::Key_A && k <= Qt::Key_Z)
            return k;
        if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
            return KeyCode(TKey::F1) + (k - Qt::Key_F1);
        return KeyCode(TKey::Unknown);
    }
}

TCodeMemoView::TCodeMemoView(QWidget *parent)
    : QAbstractScrollArea(parent), own_(std::make_unique<TCodeMemo>()), memo_(*own_)
{
    Init();
}

TCodeMemoView::TCodeMemoView(TCodeMemo &memo, QWidget *parent) : QAbstractScrollArea(parent), memo_(memo)
{
    Init();
}

void TCodeMemoView::Init()
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    resize(100, 60);
    setVerticalScrollBar(new TScrollBar(Qt::Vertical));
    setHorizontalScrollBar(new TScrollBar(Qt::Horizontal));
    memo_.Clipboard = &clipboard_;
    CodePageChanged();
    blink_.setInterval(QApplication::cursorFlashTime() > 0 ? QApplication::cursorFlashTime() / 2 : 500);
    connect(&blink_, &QTimer::timeout, this, [this] { BlinkCaret(); });
    autoScroll_.setSingleShot(false);
    connect(&autoScroll_, &QTimer::timeout, this, [this] { memo_.AutoScrollTick(); });
    memo_.OnAutoScroll = [this](int ms) {
        if (ms <= 0)
            autoScroll_.stop();
        else
            autoScroll_.start(ms);
    };
    memo_.OnCursor = [this](int cursor) {
        viewport()->setCursor(cursor == 0 ? Qt::IBeamCursor
                              : cursor == -21 ? Qt::PointingHandCursor
                                              : Qt::ArrowCursor);
    };
    memo_.SetHost(this);
    UpdateScrollBarPolicy();
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this](int action) { VerticalBarAction(action); });
}

TCodeMemoView::~TCodeMemoView()
{
    memo_.SetHost(nullptr);
    memo_.Clipboard = nullptr;
    memo_.OnAutoScroll = nullptr;
    memo_.OnCursor = nullptr;
}

void TCodeMemoView::CodePageChanged()
{
    measure_.SetCodePage(memo_.CodePage);
    paint_.SetCodePage(memo_.CodePage);
    clipboard_.SetCodePage(memo_.CodePage);
}

void TCodeMemoView::UpdateScrollBarPolicy()
{
    const TScrollStyle s = memo_.ScrollBars;
    setVerticalScrollBarPolicy(s == ssVertical || s == ssBoth ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(s == ssHorizontal || s == ssBoth ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setFrameShape(memo_.BorderStyle == bsSingle ? QFrame::StyledPanel : QFrame::NoFrame);
    SyncBars();
}

int TCodeMemoView::ClientWidth()
{
    return viewport()->width();
}

int TCodeMemoView::ClientHeight()
{
    return viewport()->height();
}

void TCodeMemoView::InvalidateAll()
{
    viewport()->update();
}

void TCodeMemoView::InvalidateRows(int firstRow, int lastRow)
{
    const int lh = memo_.RowHeight();
    viewport()->update(QRect(0, firstRow * lh, viewport()->width(), (lastRow - firstRow + 1) * lh));
}

void TCodeMemoView::ScrollRows(int delta)
{
    (void)delta;
    viewport()->update();
}

int TCodeMemoView::VerticalScale() const
{
    return const_cast<TCodeMemo &>(memo_).LineCount() / 32760 + 1;
}

int TCodeMemoView::HorizontalUnit() const
{
    const int w = viewport()->width();
    const int step = w / 20 + 1;
    const int span = memo_.WidestLine() + memo_.LeftMargin() + memo_.RightMargin();
    return (span / (step * 32760) + 1) * step;
}

void TCodeMemoView::SyncBars()
{
    syncing_ = true;
    const int scale = VerticalScale();
    const int visible = memo_.VisibleLines();
    QScrollBar *v = verticalScrollBar();
    const int vmax = std::max(memo_.LineCount() / scale, visible + 1);
    const int vpage = std::max(1, visible / scale);
    // the bar's maximum is the last top position, as the window system's range less its page
    v->setRange(0, std::max(0, vmax - vpage));
    v->setPageStep(vpage);
    v->setSingleStep(1);
    v->setValue(memo_.TopLine() / scale);
    QScrollBar *h = horizontalScrollBar();
    const int unit = HorizontalUnit();
    const int w = viewport()->width();
    const int hpage = std::max(1, (w - memo_.GutterWidth() - memo_.LeftMargin() - memo_.RightMargin()) / unit);
    int hmax;
    if (memo_.Alignment() != taLeftJustify)
        hmax = hpage;
    else
        hmax = std::max((memo_.WidestLine() + memo_.GutterWidth() + memo_.LeftMargin() + memo_.RightMargin() - w) / unit + 1, 1) +
               hpage;
    h->setRange(0, std::max(0, hmax - hpage));
    h->setPageStep(hpage);
    h->setSingleStep(1);
    h->setValue(memo_.HOffset() / unit);
    syncing_ = false;
}

void TCodeMemoView::ScrollRangesChanged()
{
    SyncBars();
}

void TCodeMemoView::CaretChanged()
{
    caretOn_ = true;
    if (!caretRect_.isNull())
        viewport()->update(caretRect_.adjusted(-1, -1, 1, 1));
    const int w = memo_.CaretWidth > 0 ? memo_.CaretWidth : memo_.RowHeight() / 14 + 1;
    caretRect_ = QRect(memo_.CaretX(), memo_.CaretY(), w, memo_.RowHeight() - 1);
    viewport()->update(caretRect_.adjusted(-1, -1, 1, 1));
    if (hasFocus())
        blink_.start();
}

void TCodeMemoView::BlinkCaret()
{
    caretOn_ = !caretOn_;
    viewport()->update(caretRect_.adjusted(-1, -1, 1, 1));
}

void TCodeMemoView::PostBackgroundStep()
{
    if (stepPosted_)
        return;
    stepPosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            stepPosted_ = false;
            QElapsedTimer t;
            t.start();
            memo_.BackgroundStep();
            backgroundMs_ += static_cast<double>(t.nsecsElapsed()) / 1e6;
        },
        Qt::QueuedConnection);
}

void TCodeMemoView::UpdateNow()
{
    viewport()->repaint();
}

void TCodeMemoView::ProcessMessages()
{
    QCoreApplication::processEvents();
}

void TCodeMemoView::paintEvent(QPaintEvent *e)
{
    QPainter p(viewport());
    const QRect r = e->rect();
    const int lh = std::max(1, memo_.RowHeight());
    // The rows of text cover the whole width: only the paper below them is filled here,
    // before them, as any glyph reaching down into it is drawn over it.
    const QColor paper = ToQColor(memo_.Color());
    auto fill = [&](int fromY, int toY) {
        const QRect band = r & QRect(r.left(), fromY, r.width(), toY - fromY);
        if (!band.isEmpty())
            p.fillRect(band, paper);
    };
    const qint64 textRows = std::max<qint64>(0, memo_.LineCount() - memo_.TopLine());
    const int textBottom = static_cast<int>(std::min<qint64>(textRows * lh, r.bottom() + 1));
    fill(textBottom, r.bottom() + 1);
    paint_.Begin(&p);
    const int below = memo_.PaintRows(paint_, r.top() / lh, (r.bottom()) / lh);
    paint_.End();
    // rows the control left unpainted after all (it was busy, or the text became shorter)
    fill(below < 0 ? r.top() : below, textBottom);
    PaintWavyMarks(p, r);
    if (hasFocus() && caretOn_ && !memo_.DisplayOnly && memo_.CaretY() >= 0) {
        p.setCompositionMode(QPainter::RasterOp_NotDestination);
        p.fillRect(caretRect_, Qt::black);
    }
}

void TCodeMemoView::SetWavyMarks(std::vector<TWavyMark> marks)
{
    marks_ = std::move(marks);
    viewport()->update();
}

void TCodeMemoView::PaintWavyMarks(QPainter &p, const QRect &r)
{
    const int lh = std::max(1, memo_.RowHeight());
    const int32_t top = memo_.TopLine(), rows = viewport()->height() / lh + 1;
    p.setPen(QPen(Qt::red, 1));
    for (const TWavyMark &m : marks_) {
        if (m.Par < 0 || m.Par >= memo_.ParagraphCount())
            continue;
        TParagraphRec &par = memo_.Par(m.Par);
        const int32_t first = memo_.ParFirstLine(m.Par);
        if (!par.Formatted || first + par.LineCount() <= top || first > top + rows)
            continue;
        // the display line of the paragraph that holds the column
        int32_t line = 0;
        while (line + 1 < par.LineCount() && par.Lines().At(line + 1).StartByte <= m.Col)
            ++line;
        const int32_t start = par.Lines().At(line).StartByte;
        const int x0 = memo_.XAtColumn(m.Par, line, m.Col - start);
        int x1 = memo_.XAtColumn(m.Par, line, m.Col - start + std::max(1, m.Len));
        if (x1 <= x0)
            x1 = x0 + std::max(4, memo_.SpaceWidth());
        const int y = memo_.LineToY(first + line - top) + lh - 2;
        if (y < r.top() - lh || y > r.bottom() + lh)
            continue;
        QPolygon wave;
        for (int x = x0, k = 0; x <= x1; x += 2, ++k)
            wave << QPoint(x, y + (k % 2 ? -1 : 1));
        p.drawPolyline(wave);
    }
}

void TCodeMemoView::resizeEvent(QResizeEvent *e)
{
    const int oldW = e->oldSize().width() >= 0 ? viewport()->width() - (e->size().width() - e->oldSize().width())
                                                : -1;
    QAbstractScrollArea::resizeEvent(e);
    memo_.Resized(oldW);
}

void TCodeMemoView::scrollContentsBy(int dx, int dy)
{
    if (syncing_)
        return;
    // only the bar that moved: the other may stand between two of its units
    if (dy != 0)
        memo_.SetTopLine(verticalScrollBar()->value() * VerticalScale());
    if (dx != 0)
        memo_.SetHOffset(horizontalScrollBar()->value() * HorizontalUnit());
}

void TCodeMemoView::ScrollLines(int32_t delta)
{
    const int32_t top = memo_.TopLine();
    const int32_t last = std::max(memo_.LineCount() - memo_.VisibleLines(), 0);
    int32_t to = top + delta;
    if (delta > 0)
        to = std::max(top, std::min(to, last));
    else
        to = std::max(to, 0);
    memo_.SetTopLine(to);
    SyncBars();
}

void TCodeMemoView::VerticalBarAction(int action)
{
    // The bar has already moved its slider by its own step; the text moves instead and
    // the bar follows it (the value the bar would have set is replaced).
    const int visible = std::max(memo_.VisibleLines(), 1);
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: ScrollLines(1); break;
    case QAbstractSlider::SliderSingleStepSub: ScrollLines(-1); break;
    case QAbstractSlider::SliderPageStepAdd: ScrollLines(visible); break;
    case QAbstractSlider::SliderPageStepSub: ScrollLines(-visible); break;
    default: break;
    }
}

void TCodeMemoView::wheelEvent(QWheelEvent *e)
{
    const QPoint delta = e->angleDelta();
    if (delta.y() == 0 || (e->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::ShiftModifier))) {
        QAbstractScrollArea::wheelEvent(e);
        return;
    }
    // a notch (15 degrees) moves the desktop's number of lines, whatever the bar's scale
    wheelRest_ += delta.y();
    const int notches = wheelRest_ / 120;
    wheelRest_ -= notches * 120;
    if (notches != 0)
        ScrollLines(-notches * QApplication::wheelScrollLines());
    e->accept();
}

void TCodeMemoView::focusInEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusInEvent(e);
    memo_.FocusChanged(true);
    CaretChanged();
}

void TCodeMemoView::focusOutEvent(QFocusEvent *e)
{
    QAbstractScrollArea::focusOutEvent(e);
    blink_.stop();
    memo_.FocusChanged(false);
    viewport()->update(caretRect_.adjusted(-1, -1, 1, 1));
}

bool TCodeMemoView::focusNextPrevChild(bool next)
{
    if (memo_.WantTabs && !memo_.DisplayOnly)
        return false; // Tab reaches the control
    return QAbstractScrollArea::focusNextPrevChild(next);
}

bool TCodeMemoView::event(QEvent *e)
{
    // No shortcut override: the window's menu shortcuts are looked up before a key
    // reaches the control (Ctrl+X is the window's Exit, Ctrl+Z its Undo); keys no
    // shortcut takes arrive here as key presses.
    return QAbstractScrollArea::event(e);
}

static TShiftState ShiftOf(Qt::KeyboardModifiers m)
{
    TShiftState s = 0;
    if (m & Qt::ShiftModifier)
        s |= ssShift;
    if (m & Qt::ControlModifier)
        s |= ssCtrl;
    if (m & Qt::AltModifier)
        s |= ssAlt;
    return s;
}

void TCodeMemoView::keyPressEvent(QKeyEvent *e)
{
    const TShiftState shift = ShiftOf(e->modifiers());
    uint16_t key = static_cast<uint16_t>(VirtualKeyOf(e->key()));
    memo_.KeyDown(key, shift);
    // the character, as WM_CHAR would bring it
    int ch = -1;
    if (key != 0) {
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
            ch = 13;
        else if (e->key() == Qt::Key_Backspace)
            ch = 8;
        else if (e->key() == Qt::Key_Tab)
            ch = 9;
        else if ((shift & ssCtrl) && e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z)
            ch = e->key() - Qt::Key_A + 1;
        else if (!e->text().isEmpty() && !(shift & (ssCtrl | ssAlt))) {
            // Alt+letter belongs to the menus: a letter without a menu types nothing
            const QList<uint> u = e->text().toUcs4();
            if (!u.isEmpty() && u[0] >= 32) {
                const int b = UnicodeToByte(memo_.CodePage, u[0]);
                if (b >= 0)
                    ch = b;
                else if (OnMissingCharacter)
                    OnMissingCharacter(u[0]); // no such character in the code page
                else
                    QApplication::beep();
            }
        }
    }
    if (ch >= 0) {
        char c = static_cast<char>(ch);
        memo_.KeyPress(c, e->isAutoRepeat());
        if (e->isAutoRepeat())
            viewport()->repaint();
    }
    e->accept();
}

void TCodeMemoView::keyReleaseEvent(QKeyEvent *e)
{
    uint16_t key = static_cast<uint16_t>(VirtualKeyOf(e->key()));
    memo_.KeyUp(key, ShiftOf(e->modifiers()));
    e->accept();
}

void TCodeMemoView::mousePressEvent(QMouseEvent *e)
{
    setFocus(Qt::MouseFocusReason);
    if (e->button() == Qt::LeftButton)
        memo_.MouseDown(mbLeft, ShiftOf(e->modifiers()), e->position().toPoint().x(), e->position().toPoint().y());
    else if (e->button() == Qt::RightButton)
        memo_.MouseDown(mbRight, ShiftOf(e->modifiers()), e->position().toPoint().x(), e->position().toPoint().y());
}

void TCodeMemoView::mouseMoveEvent(QMouseEvent *e)
{
    memo_.MouseMove(ShiftOf(e->modifiers()), e->position().toPoint().x(), e->position().toPoint().y());
}

void TCodeMemoView::mouseReleaseEvent(QMouseEvent *e)
{
    memo_.MouseUp(e->button() == Qt::RightButton ? mbRight : mbLeft, ShiftOf(e->modifiers()),
                  e->position().toPoint().x(), e->position().toPoint().y());
}

void TCodeMemoView::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        memo_.DblClick();
}

} // namespace quenvel
