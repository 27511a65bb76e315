// "Go to Procedures": a small window, always on top, listing the document's procedures.
#pragma once

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>

class QTreeWidget;

namespace quenvel {

class TCodeMemo;

class TfrmModules : public QWidget
{
public:
    TfrmModules(TCodeMemo &memo, QWidget *parent);
    // Fills the list from the document as it is now.
    void ScanProcedures();
    QTreeWidget *List() const { return ListView1; }
    // Moves the caret to a line (0-based): the window's jump.
    std::function<void(int32_t)> OnJump;
    // Called after a double click or Enter has moved the caret (the editor takes the focus).
    std::function<void()> OnChosen;
    // The text changed: the list is scanned again once typing pauses, while it is shown.
    void TextChanged();

    void ListView1Click();
    void ListView1DblClick();

protected:
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void GoToSelectedRow();
    TCodeMemo &memo_;
    QTreeWidget *ListView1;
    QTimer rescan_;
};

} // namespace quenvel
