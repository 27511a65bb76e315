// The find and replace dialog: modeless, it keeps its texts and options between uses. As
// the Find dialog it hides the replacement and its buttons.
#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quenvel {

class TFindDialog : public QDialog
{
public:
    explicit TFindDialog(QWidget *parent);
    // Shows the dialog as Find or as Replace, in front, the search text selected.
    void ShowAs(bool replace);
    bool IsReplace() const { return replace_; }
    QString FindText() const;
    void SetFindText(const QString &text);
    QString ReplaceText() const;
    void SetReplaceText(const QString &text);
    bool Down() const;
    void SetDown(bool down);
    bool MatchCase() const;
    void SetMatchCase(bool on);
    bool WholeWord() const;
    void SetWholeWord(bool on);
    // The dialog's buttons.
    std::function<void()> OnFind, OnReplace, OnReplaceAll;

private:
    void SetMode(bool replace);
    bool replace_ = false;
    QLineEdit *text_, *replacement_;
    QLabel *replacementLabel_;
    QCheckBox *matchCase_, *wholeWord_;
    QRadioButton *up_, *down_;
    QPushButton *find_, *replaceOne_, *replaceAll_;
};

} // namespace quenvel
