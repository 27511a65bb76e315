// The editor's 8-bit text and the desktop's Unicode text, through the control's code page:
// the one conversion the clipboard, Find, typing and the procedure list share.
#pragma once

#include "editor/CodePage.h"

#include <QString>

#include <optional>
#include <string>

namespace quenvel {

QString BytesToQString(const std::string &bytes, TCodePage cp);

// Text as the code page holds it. A character the code page lacks becomes its closest
// representable form (an accented letter without its accent, a compatibility character in
// its plain form); one with none is left out and added to `missing`.
std::string QStringToBytes(const QString &text, TCodePage cp, std::u32string *missing = nullptr);

// Text character for character, or nothing when the code page lacks one of them (a search
// must not look for something else).
std::optional<std::string> ExactBytes(const QString &text, TCodePage cp);

// What the status bar says of a character the code page lacks.
QString MissingCharacterText(char32_t c, TCodePage cp);

} // namespace quenvel
