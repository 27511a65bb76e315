#include "QtDocumentUi.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace quenvel {

QString FromLocal(const std::string &s)
{
    return QString::fromLocal8Bit(s.data(), static_cast<qsizetype>(s.size()));
}

std::string ToLocal(const QString &s)
{
    return s.toLocal8Bit().toStdString();
}

TDocumentUi::TAnswer TQtDocumentUi::ConfirmSave(const std::string &question)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), FromLocal(question), QMessageBox::NoButton,
                    parent_);
    QPushButton *yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes)
        return aYes;
    if (box.clickedButton() == no)
        return aNo;
    return aCancel;
}

bool TQtDocumentUi::Confirm(const std::string &question)
{
    return QMessageBox::question(parent_, QStringLiteral("Confirm"), FromLocal(question),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::string> TQtDocumentUi::OpenFileName()
{
    QFileDialog dlg(parent_, QStringLiteral("Open"));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    // "All files" shows every file: Series 5 source files often have no extension
    dlg.setNameFilters({QStringLiteral("OPL Psion files (*.OPL)"), QStringLiteral("All files (*)")});
    dlg.setDefaultSuffix(QStringLiteral("OPL"));
    if (!lastOpen_.isEmpty())
        dlg.selectFile(lastOpen_);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    lastOpen_ = dlg.selectedFiles().first();
    return ToLocal(lastOpen_);
}

std::optional<std::string> TQtDocumentUi::SaveFileName()
{
    QFileDialog dlg(parent_, QStringLiteral("Save As"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setNameFilters({QStringLiteral("OPL source (*.OPL)"), QStringLiteral("RTF files (*.RTF)"),
                        QStringLiteral("All files (*)")});
    if (!lastSave_.isEmpty())
        dlg.selectFile(lastSave_);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    lastSave_ = dlg.selectedFiles().first();
    return ToLocal(lastSave_);
}

void TQtDocumentUi::Warn(const std::string &message)
{
    QMessageBox::warning(parent_, QApplication::applicationDisplayName(), FromLocal(message));
}

void TQtDocumentUi::Busy(bool on)
{
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

} // namespace quenvel

namespace quenvel {

void TQtDocumentUi::Tell(const std::string &message)
{
    QMessageBox::information(parent_, QApplication::applicationDisplayName(), FromLocal(message));
}

void TQtDocumentUi::ShowError(const std::string &message)
{
    QMessageBox::critical(parent_, QStringLiteral("Quenvel"), FromLocal(message));
}

std::optional<std::string> TQtDocumentUi::Ask(const std::string &caption, const std::string &prompt,
                                              const std::string &initial)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(parent_, FromLocal(caption), FromLocal(prompt), QLineEdit::Normal,
                                                 FromLocal(initial), &ok);
    if (!ok)
        return std::nullopt;
    return ToLocal(answer);
}

std::optional<std::string> TQtDocumentUi::PdfFileName(const std::string &suggested)
{
    QFileDialog dlg(parent_, QStringLiteral("Print to PDF"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilters({QStringLiteral("PDF files (*.pdf)"), QStringLiteral("All files (*)")});
    dlg.setDefaultSuffix(QStringLiteral("pdf"));
    dlg.selectFile(lastPdf_.isEmpty() ? FromLocal(suggested) : lastPdf_);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    lastPdf_ = dlg.selectedFiles().first();
    return ToLocal(lastPdf_);
}

} // namespace quenvel
