#include "QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace quenvel {

bool TQtClipboard::HasText()
{
    const QMimeData *m = QGuiApplication::clipboard()->mimeData();
    return m && m->hasText();
}

std::string TQtClipboard::GetText()
{
    std::u32string missing;
    std::string bytes = QStringToBytes(QGuiApplication::clipboard()->text(), cp_, &missing);
    if (!missing.empty() && OnMissingCharacter)
        OnMissingCharacter(missing.front());
    return bytes;
}

void TQtClipboard::SetText(const std::string &bytes)
{
    QGuiApplication::clipboard()->setText(BytesToQString(bytes, cp_));
}

} // namespace quenvel
