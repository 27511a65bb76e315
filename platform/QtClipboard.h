// The system clipboard for the editor control, through the control's code page.
#pragma once

#include "editor/CodeMemo.h"
#include "editor/CodePage.h"

#include <QString>

namespace quenvel {

// Bytes to text and back. A character the code page lacks becomes its closest
// representable form (an accented letter without its accent, a compatibility
// character in its plain form) and "?" only when there is none.
QString BytesToQString(const std::string &bytes, TCodePage cp);
std::string QStringToBytes(const QString &text, TCodePage cp);

class TQtClipboard : public TClipboard
{
public:
    explicit TQtClipboard(TCodePage cp = cpWindows1252) : cp_(cp) {}
    void SetCodePage(TCodePage cp) { cp_ = cp; }
    bool HasText() override;
    std::string GetText() override;
    void SetText(const std::string &bytes) override;

private:
    TCodePage cp_;
};

} // namespace quenvel
