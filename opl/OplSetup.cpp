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

void ApplyOplDialect(TCodeMemo &memo, TDialect dialect, std::unique_ptr<TKeywordList> &table)
{
    if (dialect == TDialect::None) {
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
