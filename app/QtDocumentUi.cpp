#include "QtDocumentUi.h"

#include "platform/QtSurface.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QFileSystemModel>
#include <QPushButton>
#include <QSortFilterProxyModel>

#include <vector>

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

namespace {

// A file-type filter: the extensions it takes (none: every name), and whether it takes
// names without one.
struct TFileType {
    const char *Label;
    std::vector<const char *> Extensions;
    bool Bare = false;
};

const TFileType kOplSources{"OPL sources: *.opl *.tpl *.oph *.tph and names without an extension",
                            {"opl", "tpl", "oph", "tph"}, true};
const TFileType kAllFiles{"All files", {}};

// Qt's name filters match in the letter case of the file system, and cannot take names
// without a dot: the dialog's own patterns let every name through ("*", not shown) and
// this proxy shows the names of the chosen type.
class TFileTypeProxy : public QSortFilterProxyModel
{
public:
    TFileTypeProxy(QFileDialog &dlg, std::vector<TFileType> types) : QSortFilterProxyModel(&dlg), types_(std::move(types))
    {
        QStringList labels, filters;
        for (const TFileType &t : types_) {
            labels << QString::fromLatin1(t.Label);
            filters << labels.back() + QStringLiteral(" (*)");
        }
        dlg.setNameFilters(filters);
        // the filter chosen comes without its hidden pattern
        QObject::connect(&dlg, &QFileDialog::filterSelected, this, [this, labels, filters](const QString &f) {
            chosen_ = std::max<qsizetype>(std::max(labels.indexOf(f), filters.indexOf(f)), 0);
            invalidateFilter();
        });
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex &parent) const override
    {
        const auto *fs = qobject_cast<const QFileSystemModel *>(sourceModel());
        const QModelIndex i = sourceModel()->index(row, 0, parent);
        if (!fs || fs->isDir(i))
            return true;
        const TFileType &t = types_[static_cast<size_t>(chosen_)];
        const QString name = fs->fileName(i);
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (t.Extensions.empty() || (t.Bare && dot < 0))
            return true;
        const QStringView ext = dot < 0 ? QStringView() : QStringView(name).mid(dot + 1);
        for (const char *e : t.Extensions)
            if (dot >= 0 && ext.compare(QLatin1String(e), Qt::CaseInsensitive) == 0)
                return true;
        return false;
    }

private:
    std::vector<TFileType> types_;
    qsizetype chosen_ = 0;
};

} // namespace

void UseFileFilters(QFileDialog &dlg, bool save)
{
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setOption(QFileDialog::HideNameFilterDetails);
    std::vector<TFileType> types{kOplSources};
    if (save)
        types.insert(types.end(), {{"OPL source: *.opl", {"opl"}}, {"RTF files: *.rtf", {"rtf"}}});
    else
        types.push_back({"OPL Psion files: *.opl", {"opl"}});
    types.push_back(kAllFiles);
    dlg.setProxyModel(new TFileTypeProxy(dlg, std::move(types)));
}

std::optional<std::string> TQtDocumentUi::OpenFileName()
{
    QFileDialog dlg(parent_, QStringLiteral("Open"));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    UseFileFilters(dlg, false);
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
    UseFileFilters(dlg, true);
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

std::optional<TFontDesc> TQtDocumentUi::ChooseFont(const TFontDesc &current)
{
    QFont initial(FromLocal(current.Name), current.Size);
    initial.setBold(current.Style & fsBold);
    initial.setItalic(current.Style & fsItalic);
    initial.setUnderline(current.Style & fsUnderline);
    initial.setStrikeOut(current.Style & fsStrikeOut);
    // A family the system lacks opens as the family that stands in for it, and keeps its
    // own name when that is what the person keeps.
    const QString shown = QFontInfo(initial).family();
    initial.setFamily(shown);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, parent_, QStringLiteral("Font"));
    if (!ok)
        return std::nullopt;
    TFontDesc d = current;
    if (chosen.family() != shown)
        d.Name = ToLocal(chosen.family());
    d.Size = chosen.pointSize() > 0 ? chosen.pointSize() : current.Size;
    d.Style = static_cast<uint8_t>((chosen.bold() ? fsBold : 0) | (chosen.italic() ? fsItalic : 0) |
                                   (chosen.underline() ? fsUnderline : 0) | (chosen.strikeOut() ? fsStrikeOut : 0));
    return d;
}

std::optional<TColor> TQtDocumentUi::ChooseColor(const std::string &caption, TColor current)
{
    const QColor chosen = QColorDialog::getColor(ToQColor(current), parent_, FromLocal(caption));
    if (!chosen.isValid())
        return std::nullopt;
    return static_cast<TColor>(chosen.red() | (chosen.green() << 8) | (chosen.blue() << 16));
}

} // namespace quenvel
