#include "OplSetup.h"

#include "OplKeywords.h"

namespace quenvel {

void RegisterOplSpans(TCodeMemo &memo)
{
    TStartStopKeyList &ss = memo.StartStopKeys();
    ss.AddStartStop("\"", "\"", 1, 0, 1, 0, clWhite, clNavy, 1);
    ss.AddStartStop("rem", "", koWholeWords, fsItalic, 1, 0, clWhite, clGreen, 0);
    // REM starts a comment only as a word of its own: not inside a name such as lorem$ or
    // premiumRate, whose characters are letters, digits, '_' and the type marks $ % &
    ss.WordChars.reset();
    for (int c = 0; c < 128; ++c)
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            ss.WordChars.set(static_cast<size_t>(c));
    for (char c : {'_', '$', '%', '&'})
        ss.WordChars.set(static_cast<unsigned char>(c));
}

int OplDialectFromName(const std::string &name)
{
    if (name == "none")
        return 0;
    if (name == "siena")
        return odSiena;
    if (name == "opl3")
        return odOpl3;
    if (name == "opl5")
        return odOpl5;
    return -1;
}

int OplDialectFromSyntax(const std::string &value)
{
    for (int d = 0; d <= odOpl5; ++d)
        if (value == OplDialectName(d))
            return d;
    return -1;
}

std::string OplSyntaxValue(int dialect)
{
    return dialect < 0 ? std::string() : std::string(OplDialectName(dialect));
}

TCodePage OplCodePage(int dialect)
{
    return dialect == odSiena || dialect == odOpl3 ? cpIbm850 : cpWindows1252;
}

void ApplyOplDialect(TCodeMemo &memo, int dialect, std::unique_ptr<TKeywordList> &table)
{
    if (dialect == 0) {
        memo.SetKeywords(nullptr);
        table.reset();
        memo.KeywordsActive = false;
        memo.StartStopActive = false;
        return;
    }
    auto fresh = MakeOplKeywords(dialect);
    memo.SetKeywords(fresh.get());
    table = std::move(fresh);
    memo.KeywordsActive = true;
    memo.StartStopActive = true;
}

} // namespace quenvel
