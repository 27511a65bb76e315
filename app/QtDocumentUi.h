// The dialogs the window's commands use: message boxes, input boxes, the open, save, font
// and colour dialogs.
#pragma once

#include "app/document/Document.h"

#include <QString>

class QFileDialog;
class QWidget;

namespace quenvel {

class TQtDocumentUi : public TDocumentUi
{
public:
    explicit TQtDocumentUi(QWidget *parent) : parent_(parent) {}
    TAnswer ConfirmSave(const std::string &question) override;
    bool Confirm(const std::string &question) override;
    std::optional<std::string> OpenFileName() override;
    std::optional<std::string> SaveFileName() override;
    void Warn(const std::string &message) override;
    void Busy(bool on) override;
    void Tell(const std::string &message) override;
    void ShowError(const std::string &message) override;
    std::optional<std::string> Ask(const std::string &caption, const std::string &prompt,
                                   const std::string &initial) override;
    std::optional<std::string> PdfFileName(const std::string &suggested) override;
    std::optional<TFontDesc> ChooseFont(const TFontDesc &current) override;
    std::optional<TColor> ChooseColor(const std::string &caption, TColor current) override;

private:
    QWidget *parent_;
    QString lastOpen_, lastSave_, lastPdf_; // each dialog offers the name chosen last
};

// Gives an Open (save false) or Save As dialog its file-type filters, "OPL sources" first:
// *.opl *.tpl *.oph *.tph and names without an extension (as Series 5 sources often are).
// Every filter matches names in any letter case; the dialog is Qt's own.
void UseFileFilters(QFileDialog &dlg, bool save);

// File names pass between the document (bytes) and Qt (text) in the local encoding.
QString FromLocal(const std::string &s);
std::string ToLocal(const QString &s);

} // namespace quenvel
