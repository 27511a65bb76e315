// The find dialog: modeless, it keeps its text and options between uses.
#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quenvel {

class TFindDialog : public QDialog
{
public:
    explicit TFindDialog(QWidget *parent);
    QString FindText() const;
    void SetFindText(const QString &text);
    bool Down() const;
    void SetDown(bool down);
    bool MatchCase() const;
    void SetMatchCase(bool on);
    // The dialog's find button.
    std::function<void()> OnFind;

private:
    QLineEdit *text_;
    QCheckBox *matchCase_;
    QRadioButton *up_, *down_;
    QPushButton *find_;
};

} // namespace quenvel
