#include "CodePageText.h"

namespace quenvel {

QString BytesToQString(const std::string &bytes, TCodePage cp)
{
    QString s;
    s.reserve(static_cast<qsizetype>(bytes.size()));
    for (unsigned char b : bytes)
        s.append(QChar(static_cast<char16_t>(ByteToUnicode(cp, b))));
    return s;
}

std::string QStringToBytes(const QString &text, TCodePage cp, std::u32string *missing)
{
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (char32_t c : text.toStdU32String()) {
        if (const int b = UnicodeToByte(cp, c); b >= 0) {
            out.push_back(static_cast<char>(b));
            continue;
        }
        // the decomposed form, keeping what the code page can show
        const QString d = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
        std::string part;
        for (char32_t dc : d.toStdU32String()) {
            const int db = UnicodeToByte(cp, dc);
            if (db >= 0 && !(dc >= 0x300 && dc < 0x370))
                part.push_back(static_cast<char>(db));
        }
        if (part.empty() && missing)
            missing->push_back(c);
        out += part;
    }
    return out;
}

std::optional<std::string> ExactBytes(const QString &text, TCodePage cp)
{
    std::string out;
    for (char32_t c : text.toStdU32String()) {
        const int b = UnicodeToByte(cp, c);
        if (b < 0)
            return std::nullopt;
        out.push_back(static_cast<char>(b));
    }
    return out;
}

QString MissingCharacterText(char32_t c, TCodePage cp)
{
    return QStringLiteral("The character \u201c%1\u201d does not exist in the %2 character set")
        .arg(QString::fromUcs4(&c, 1), cp == cpIbm850 ? QStringLiteral("Series 3") : QStringLiteral("Windows"));
}

} // namespace quenvel
