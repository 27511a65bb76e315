// Helpers for driving an editor view with synthetic input and reading back its pixels.
#pragma once

#include "opl/OplKeywords.h"
#include "opl/OplSetup.h"
#include "app/MainWindow.h"
#include "app/document/Document.h"
#include "platform/CodeMemoView.h"
#include "tests/ScriptedUi.h"
#include "tests/TestUtil.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace quenvel::guitest {

inline bool AllFormatted(TCodeMemo &m)
{
    for (int32_t p = 0; p < m.ParagraphCount(); ++p)
        if (!m.Par(p).Formatted)
            return false;
    return true;
}

// Lets posted events, repaints and, in the background mode, the formatting run until all is laid out.
inline void Settle(TCodeMemo &m, int maxMs = 20000)
{
    QElapsedTimer t;
    t.start();
    QCoreApplication::processEvents();
    while (m.UpdateMode() == umBackground && t.elapsed() < maxMs && !AllFormatted(m))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QCoreApplication::processEvents();
}

// "" when the window (its backing store, as repaints left it) shows what a full repaint does; else the first stale row.
// A difference is looked at again after the repaints the window has asked for (they come on a timer).
inline std::string ScreenDifferenceOf(TCodeMemoView &view, bool again = true)
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QWidget *viewport = view.viewport();
    const QRect r(viewport->mapTo(view.window(), QPoint(0, 0)), viewport->size());
    const QImage shown = view.screen()->grabWindow(view.window()->winId()).copy(r).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage fresh = view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (shown.size() != fresh.size())
        return "screen and render differ in size";
    for (int y = 0; y < shown.height(); ++y)
        if (std::memcmp(shown.constScanLine(y), fresh.constScanLine(y), static_cast<size_t>(shown.width()) * 4) != 0) {
            if (again) {
                QTest::qWait(30);
                return ScreenDifferenceOf(view, false);
            }
            const int row = y / std::max(1, view.Memo().RowHeight());
            return "the window shows a stale row " + std::to_string(row) + " (display line " +
                   std::to_string(view.Memo().TopLine() + row) + ")";
        }
    return "";
}

// The last n of the actions done, one a line.
inline std::string LastOf(const std::vector<std::string> &done, size_t n)
{
    std::string trail;
    for (size_t i = done.size() > n ? done.size() - n : 0; i < done.size(); ++i)
        trail += "\n  " + done[i];
    return trail;
}

// An editor view set up as the main window's pane: Courier New 10pt, no wrap, both bars, Siena, OPL spans.
struct TViewRig {
    std::unique_ptr<TCodeMemoView> view;
    std::unique_ptr<TKeywordList> table;

    explicit TViewRig(TUpdateMode mode = umImmediate, int width = 600, int height = 300)
    {
        view = std::make_unique<TCodeMemoView>();
        TCodeMemo &m = view->Memo();
        ConfigureEditorLikeMainWindow(m);
        m.SetUpdateMode(mode);
        view->UpdateScrollBarPolicy();
        RegisterOplSpans(m);
        ApplyOplDialect(m, TDialect::Siena, table);
        view->resize(width, height);
        view->show();
        Settle();
        // no focus unless a test asks for it: no blinking caret in the pictures
        view->clearFocus();
        QCoreApplication::processEvents();
    }

    ~TViewRig() { view.reset(); } // before the table it points at

    TCodeMemo &Memo() { return view->Memo(); }
    QWidget *Viewport() { return view->viewport(); }

    void Load(const std::string &text)
    {
        test::LoadString(Memo(), text);
        Settle();
    }

    void Settle(int maxMs = 20000) { guitest::Settle(Memo(), maxMs); }

    // ---- keys ----
    void Key(int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString &text = QString())
    {
        QKeyEvent press(QEvent::KeyPress, qtKey, mods, text);
        QCoreApplication::sendEvent(view.get(), &press);
        QKeyEvent release(QEvent::KeyRelease, qtKey, mods, text);
        QCoreApplication::sendEvent(view.get(), &release);
    }

    // Types ASCII text as key presses, capitals with Shift; CR is Enter.
    void Type(const std::string &s)
    {
        for (char c : s)
            Key(c == '\r' ? Qt::Key_Return : QTest::asciiToKey(c), c >= 'A' && c <= 'Z' ? Qt::ShiftModifier : Qt::NoModifier,
                QString(QChar(static_cast<unsigned char>(c))));
    }

    // ---- mouse ----
    void Mouse(QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons,
               Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QMouseEvent e(type, QPointF(p), QPointF(p), QPointF(Viewport()->mapToGlobal(p)), button, buttons, mods);
        QCoreApplication::sendEvent(Viewport(), &e);
    }
    // A real pointer passes over the point before it presses there.
    void Press(QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        Mouse(QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton, mods);
        Mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton, mods);
    }
    void Release(QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) { Mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton, mods); }
    void Drag(QPoint p) { Mouse(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton); }
    void Hover(QPoint p) { Mouse(QEvent::MouseMove, p, Qt::NoButton, Qt::NoButton); }
    void Click(QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) { Press(p, mods), Release(p, mods); }
    // The event order a real double click produces.
    void DoubleClick(QPoint p)
    {
        Click(p);
        Mouse(QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
        Release(p);
    }

    // Client point in the middle of the row of display line `line`, at the x of a column.
    QPoint At(int32_t line, int32_t column) { return Cells(line, column, column).topLeft() + QPoint(0, Memo().RowHeight() / 2); }

    // Notches of the mouse wheel over the text (positive: away from the user, up).
    void Wheel(int notches)
    {
        const QPointF local(Viewport()->width() / 2, Viewport()->height() / 2);
        QWheelEvent e(local, Viewport()->mapToGlobal(local), {}, {0, 120 * notches}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(Viewport(), &e);
    }

    // ---- pixels ----
    QImage Grab() { return Viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    std::string ScreenDifference() { return ScreenDifferenceOf(*view); }

    // The pixel rectangle of columns [c0, c1) of a display line on the window.
    QRect Cells(int32_t line, int32_t c0, int32_t c1)
    {
        TCodeMemo &m = Memo();
        TCodeNavigator w(&m);
        w.SetDisplayLine(line);
        const int x0 = m.XAtColumn(w.ParNb(), w.LineInPar(), c0), x1 = m.XAtColumn(w.ParNb(), w.LineInPar(), c1);
        return QRect(x0, m.LineToY(line - m.TopLine()), x1 - x0, m.RowHeight());
    }
};

// The main window on a program and settings file of its own in a scratch folder, its questions scripted.
struct TWindowRig {
    test::TTempDir dir;
    test::TScriptedUi ui;
    std::unique_ptr<TFrmMain> w;

    explicit TWindowRig(const std::string &text)
    {
        test::WriteFile(dir / "p.opl", text);
        w = std::make_unique<TFrmMain>(dir / "q.ini", dir / "p.opl");
        w->SetDocumentUi(&ui);
        w->resize(700, 480);
        w->show();
        QApplication::setActiveWindow(w.get());
        Settle();
        w->Editor().setFocus();
    }
    TCodeMemo &Memo() { return w->Document().Memo(); }
    TCodeMemoView &View() { return w->Editor(); }

    void Settle() { guitest::Settle(Memo()); }
};

inline bool Near(QRgb a, QRgb b, int tol)
{
    return std::abs(qRed(a) - qRed(b)) <= tol && std::abs(qGreen(a) - qGreen(b)) <= tol && std::abs(qBlue(a) - qBlue(b)) <= tol;
}

// Pixels of a colour (within a tolerance per channel) inside a rectangle of the image.
inline int CountColour(const QImage &img, QRect r, QRgb colour, int tol = 0)
{
    r = r.intersected(img.rect());
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (Near(img.pixel(x, y), colour, tol))
                ++n;
    return n;
}

struct TInk {
    int Count = 0;
    QRect Box;
};

inline TInk InkIn(const QImage &img, QRect r)
{
    r = r.intersected(img.rect());
    TInk ink;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (qGray(img.pixel(x, y)) < 160) { // clearly darker than the paper
                ++ink.Count;
                ink.Box = ink.Box.united(QRect(x, y, 1, 1));
            }
    return ink;
}

} // namespace quenvel::guitest
