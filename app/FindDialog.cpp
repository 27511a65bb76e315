#include "FindDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace quenvel {

TFindDialog::TFindDialog(QWidget *parent) : QDialog(parent)
{
    setModal(false);
    auto *grid = new QGridLayout(this);
    auto *label = new QLabel(QStringLiteral("Fi&nd what:"), this);
    text_ = new QLineEdit(this);
    label->setBuddy(text_);
    replacementLabel_ = new QLabel(QStringLiteral("Re&place with:"), this);
    replacement_ = new QLineEdit(this);
    replacementLabel_->setBuddy(replacement_);
    matchCase_ = new QCheckBox(QStringLiteral("Match &case"), this);
    wholeWord_ = new QCheckBox(QStringLiteral("&Whole word"), this);
    auto *options = new QVBoxLayout;
    options->addWidget(wholeWord_);
    options->addWidget(matchCase_);
    auto *direction = new QGroupBox(QStringLiteral("Direction"), this);
    auto *dirLayout = new QHBoxLayout(direction);
    up_ = new QRadioButton(QStringLiteral("&Up"), direction);
    down_ = new QRadioButton(QStringLiteral("&Down"), direction);
    down_->setChecked(true);
    dirLayout->addWidget(up_);
    dirLayout->addWidget(down_);
    find_ = new QPushButton(QStringLiteral("&Find Next"), this);
    find_->setDefault(true);
    replaceOne_ = new QPushButton(QStringLiteral("&Replace"), this);
    replaceAll_ = new QPushButton(QStringLiteral("Replace &All"), this);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {find_, replaceOne_, replaceAll_, cancel})
        buttons->addWidget(b);
    buttons->addStretch();
    grid->addWidget(label, 0, 0);
    grid->addWidget(text_, 0, 1);
    grid->addWidget(replacementLabel_, 1, 0);
    grid->addWidget(replacement_, 1, 1);
    grid->addLayout(options, 2, 0);
    grid->addWidget(direction, 2, 1);
    grid->addLayout(buttons, 0, 2, 3, 1);
    auto enable = [this] {
        for (QPushButton *b : {find_, replaceOne_, replaceAll_})
            b->setEnabled(!text_->text().isEmpty());
    };
    enable();
    connect(text_, &QLineEdit::textChanged, this, enable);
    auto call = [](const std::function<void()> &f) {
        if (f)
            f();
    };
    connect(find_, &QPushButton::clicked, this, [this, call] { call(OnFind); });
    connect(replaceOne_, &QPushButton::clicked, this, [this, call] { call(OnReplace); });
    connect(replaceAll_, &QPushButton::clicked, this, [this, call] { call(OnReplaceAll); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
    SetMode(false);
}

void TFindDialog::SetMode(bool replace)
{
    replace_ = replace;
    setWindowTitle(replace ? QStringLiteral("Replace") : QStringLiteral("Find"));
    for (QWidget *w : std::initializer_list<QWidget *>{replacementLabel_, replacement_, replaceOne_, replaceAll_})
        w->setVisible(replace);
    adjustSize();
}

void TFindDialog::ShowAs(bool replace)
{
    SetMode(replace);
    show();
    raise();
    activateWindow();
    text_->setFocus();
    text_->selectAll();
}

QString TFindDialog::FindText() const
{
    return text_->text();
}

void TFindDialog::SetFindText(const QString &text)
{
    text_->setText(text);
}

QString TFindDialog::ReplaceText() const
{
    return replacement_->text();
}

void TFindDialog::SetReplaceText(const QString &text)
{
    replacement_->setText(text);
}

bool TFindDialog::Down() const
{
    return down_->isChecked();
}

void TFindDialog::SetDown(bool down)
{
    (down ? down_ : up_)->setChecked(true);
}

bool TFindDialog::MatchCase() const
{
    return matchCase_->isChecked();
}

void TFindDialog::SetMatchCase(bool on)
{
    matchCase_->setChecked(on);
}

bool TFindDialog::WholeWord() const
{
    return wholeWord_->isChecked();
}

void TFindDialog::SetWholeWord(bool on)
{
    wholeWord_->setChecked(on);
}

} // namespace quenvel
