#include "FindDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace quenvel {

TFindDialog::TFindDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Find"));
    setModal(false);
    auto *grid = new QGridLayout(this);
    auto *label = new QLabel(QStringLiteral("Fi&nd what:"), this);
    text_ = new QLineEdit(this);
    label->setBuddy(text_);
    matchCase_ = new QCheckBox(QStringLiteral("Match &case"), this);
    auto *direction = new QGroupBox(QStringLiteral("Direction"), this);
    auto *dirLayout = new QHBoxLayout(direction);
    up_ = new QRadioButton(QStringLiteral("&Up"), direction);
    down_ = new QRadioButton(QStringLiteral("&Down"), direction);
    down_->setChecked(true);
    dirLayout->addWidget(up_);
    dirLayout->addWidget(down_);
    find_ = new QPushButton(QStringLiteral("&Find Next"), this);
    find_->setDefault(true);
    find_->setEnabled(false);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(text_, 0, 1);
    grid->addWidget(find_, 0, 2);
    grid->addWidget(matchCase_, 1, 0, 1, 1);
    grid->addWidget(direction, 1, 1);
    grid->addWidget(cancel, 1, 2, Qt::AlignTop);
    connect(text_, &QLineEdit::textChanged, this, [this](const QString &t) { find_->setEnabled(!t.isEmpty()); });
    connect(find_, &QPushButton::clicked, this, [this] {
        if (OnFind)
            OnFind();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
}

QString TFindDialog::FindText() const
{
    return text_->text();
}

void TFindDialog::SetFindText(const QString &text)
{
    text_->setText(text);
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

} // namespace quenvel
