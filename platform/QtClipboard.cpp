#include "QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace quenvel {

QString BytesToQString(const std::string &bytes, TCodePage cp)
{
    QString s;
    s.reserve(static_cast<qsizetype>(bytes.size()));
    for (unsigned char b : bytes)
        s.append(QChar(static_cast<char16_t>(ByteToUnicode(cp, b))));
    return s;
}

std::string QStringToBytes(const QString &text, TCodePage cp)
{
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    const QList<uint> ucs = text.toUcs4();
    for (uint c : ucs) {
        int b = UnicodeToByte(cp, c);
        if (b >= 0) {
            out.push_back(static_cast<char>(b));
            continue;
        }
        // the decomposed form, keeping what the code page can show
        QString d = QString::fromUcs4(reinterpret_cast<const char32_t *>(&c), 1)
                        .normalized(QString::NormalizationForm_KD);
        std::string part;
        for (uint dc : d.toUcs4()) {
            int db = UnicodeToByte(cp, dc);
            if (db >= 0 && !(dc >= 0x300 && dc < 0x370))
                part.push_back(static_cast<char>(db));
        }
        out += part.empty() ? std::string("?") : part;
    }
    return out;
}

bool TQtClipboard::HasText()
{
    const QMimeData *m = QGuiApplication::clipboard()->mimeData();
    return m && m->hasText();
}

std::string TQtClipboard::GetText()
{
    return QStringToBytes(QGuiApplication::clipboard()->text(), cp_);
}

void TQtClipboard::SetText(const std::string &bytes)
{
    QGuiApplication::clipboard()->setText(BytesToQString(bytes, cp_));
}

} // namespace quenvel
