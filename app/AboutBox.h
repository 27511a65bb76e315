// The About box.
#pragma once

#include <QDialog>

class QLabel;

namespace quenvel {

class TAboutBox : public QDialog
{
public:
    explicit TAboutBox(QWidget *parent);
    QLabel *LabelVer = nullptr;
};

} // namespace quenvel
