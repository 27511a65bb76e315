// The editor control on screen: a scroll area that shows and drives a TCodeMemo.
#pragma once

#include "QtClipboard.h"
#include "QtSurface.h"

#include "editor/CodeMemo.h"

#include <QAbstractScrollArea>
#include <QTimer>

#include <memory>
#include <vector>

namespace quenvel {

class TCodeMemoView : public QAbstractScrollArea, public TMemoHost
{
    Q_OBJECT
public:
    // A view with a control of its own.
    explicit TCodeMemoView(QWidget *parent = nullptr);
    // A view that hosts a control owned elsewhere, which must outlive the view.
    explicit TCodeMemoView(TCodeMemo &memo, QWidget *parent = nullptr);
    ~TCodeMemoView() override;

    TCodeMemo &Memo() { return memo_; }
    // Applies ScrollBars to the two bars.
    void UpdateScrollBarPolicy();

    // TMemoHost
    TSurface &Canvas() override { return measure_; }
    int ClientWidth() override;
    int ClientHeight() override;
    bool Focused() override { return hasFocus(); }
    void InvalidateAll() override;
    void InvalidateRows(int firstRow, int lastRow) override;
    void ScrollRows(int delta) override;
    void ScrollRangesChanged() override;
    void CaretChanged() override;
    void PostBackgroundStep() override;
    void ProcessMessages() override;
    void UpdateNow() override;
    void CodePageChanged() override;

    // Told of a typed or pasted character the code page lacks (it is not inserted).
    void SetOnMissingCharacter(std::function<void(char32_t)> f)
    {
        OnMissingCharacter = f;
        clipboard_.OnMissingCharacter = std::move(f);
    }

    // Milliseconds spent so far in the control's background layout steps.
    double BackgroundMs() const { return backgroundMs_; }

    // Red wavy lines under stretches of text, drawn over it and never stored in it: a
    // paragraph, its first byte column and a length in bytes.
    struct TWavyMark {
        int32_t Par, Col, Len;
    };
    void SetWavyMarks(std::vector<TWavyMark> marks);
    const std::vector<TWavyMark> &WavyMarks() const { return marks_; }

    int VerticalScale() const;
    int HorizontalUnit() const;

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    bool focusNextPrevChild(bool next) override;
    bool event(QEvent *e) override;

private:
    void Init();
    void SyncBars();
    // Arrow and page clicks on the vertical bar move by display lines, whatever its scale.
    void VerticalBarAction(int action);
    void ScrollLines(int32_t delta);
    void BlinkCaret();
    void PaintWavyMarks(QPainter &p, const QRect &r);

    std::unique_ptr<TCodeMemo> own_;
    TCodeMemo &memo_;
    TQtSurface measure_;
    TQtSurface paint_;
    TQtClipboard clipboard_;
    std::function<void(char32_t)> OnMissingCharacter;
    QTimer blink_;
    QTimer autoScroll_;
    bool caretOn_ = true;
    bool syncing_ = false;
    bool stepPosted_ = false;
    double backgroundMs_ = 0;
    QRect caretRect_;
    int wheelRest_ = 0; // eighths of a degree not yet scrolled
    std::vector<TWavyMark> marks_;
};

// Qt key codes as the Windows virtual key codes the control's key handling uses.
int VirtualKeyOf(int qtKey);

} // namespace quenvel
