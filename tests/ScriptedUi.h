// A document UI that answers from a script and remembers what it was asked or told.
#pragma once

#include "app/document/Document.h"

#include <optional>
#include <string>
#include <vector>

namespace quenvel::test {

struct TScriptedUi : TDocumentUi {
    TAnswer answer = aCancel;
    std::optional<std::string> saveName, openName;
    bool confirm = false;
    std::vector<std::string> asked;
    TAnswer ConfirmSave(const std::string &q) override
    {
        asked.push_back(q);
        return answer;
    }
    bool Confirm(const std::string &q) override
    {
        asked.push_back(q);
        return confirm;
    }
    std::optional<std::string> OpenFileName() override { return openName; }
    std::optional<std::string> SaveFileName() override { return saveName; }
    void Warn(const std::string &m) override { asked.push_back(m); }
};

} // namespace quenvel::test
