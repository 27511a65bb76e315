#include "AboutBox.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace quenvel {

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Quenvel"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setFixedSize(298, 239);
    auto *grid = new QGridLayout(this);
    auto *name = new QLabel(QStringLiteral("Quenvel"), this);
    QFont big(QStringLiteral("Arial"), 18);
    big.setBold(true);
    big.setItalic(true);
    name->setFont(big);
    name->setStyleSheet(QStringLiteral("color: #008000"));
    LabelVer = new QLabel(QStringLiteral("1.21 (16/03/1998)"), this);
    QFont small(QStringLiteral("Arial"), 8);
    small.setBold(true);
    LabelVer->setFont(small);
    grid->addWidget(name, 0, 0);
    grid->addWidget(LabelVer, 0, 1, Qt::AlignBottom);
    grid->addWidget(new QLabel(QStringLiteral("The Quenvel developers"), this), 1, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Contact: the Quenvel issue tracker"), this), 2, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("New versions on:"), this), 3, 0, 1, 2);
    auto *web = new QLabel(QStringLiteral("the Quenvel project's home page"), this);
    web->setStyleSheet(QStringLiteral("color: #000080; text-decoration: underline"));
    grid->addWidget(web, 4, 0, 1, 2);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    grid->addWidget(ok, 5, 0, 1, 2, Qt::AlignHCenter);
}

} // namespace quenvel
