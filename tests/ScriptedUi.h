// The person at the screen: answers every question from a script, keeps what it was asked or told, in order.
#pragma once

#include "app/document/Document.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace quenvel::test {

struct TScriptedUi : TDocumentUi {
    TAnswer answer = aCancel;                        // the close query's answer
    bool confirm = false;                            // the answer to a Yes/No question
    std::optional<std::string> saveName, openName, pdf;
    std::deque<std::string> answers;                 // the input boxes', in order (none: cancelled)
    std::optional<TFontDesc> font;                   // the font dialog's (none: cancelled)
    std::deque<TColor> colors;                       // the colour dialogs', in order
    std::vector<std::string> asked;
    int confirmSaves = 0;

    TAnswer ConfirmSave(const std::string &q) override { asked.push_back(q), ++confirmSaves; return answer; }
    bool Confirm(const std::string &q) override { asked.push_back(q); return confirm; }
    std::optional<std::string> OpenFileName() override { return openName; }
    std::optional<std::string> SaveFileName() override { return saveName; }
    void Warn(const std::string &m) override { asked.push_back(m); }
    void Tell(const std::string &m) override { asked.push_back(m); }
    void ShowError(const std::string &m) override { asked.push_back("error: " + m); }
    std::optional<std::string> Ask(const std::string &, const std::string &, const std::string &) override { return Next(answers); }
    std::optional<std::string> PdfFileName(const std::string &) override { return pdf; }
    std::optional<TFontDesc> ChooseFont(const TFontDesc &) override { return font; }
    std::optional<TColor> ChooseColor(const std::string &, TColor) override { return Next(colors); }

    template <class T> static std::optional<T> Next(std::deque<T> &q)
    {
        if (q.empty())
            return std::nullopt;
        T v = q.front();
        q.pop_front();
        return v;
    }
};

} // namespace quenvel::test
