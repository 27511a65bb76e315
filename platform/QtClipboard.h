// The system clipboard for the editor control, through the control's code page.
#pragma once

#include "editor/CodeMemo.h"
#include "platform/CodePageText.h"

#include <functional>

namespace quenvel {

class TQtClipboard : public TClipboard
{
public:
    explicit TQtClipboard(TCodePage cp = cpWindows1252) : cp_(cp) {}
    void SetCodePage(TCodePage cp) { cp_ = cp; }
    bool HasText() override;
    std::string GetText() override;
    void SetText(const std::string &bytes) override;
    // Told of each character of a paste that the code page lacks (left out of the text).
    std::function<void(char32_t)> OnMissingCharacter;

private:
    TCodePage cp_;
};

} // namespace quenvel
