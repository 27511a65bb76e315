// "Go to Procedures": a small window, always on top, listing the document's procedures.
#pragma once

#include <QWidget>

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
    // Called after a double click has moved the caret (the editor takes the focus).
    std::function<void()> OnChosen;

    void ListView1Click();
    void ListView1DblClick();

protected:
    bool event(QEvent *e) override;

private:
    void GoToSelectedRow();
    TCodeMemo &memo_;
    QTreeWidget *ListView1;
};

} // namespace quenvel
