#include "opl/SyntaxHints.h"

#include "editor/CodeMemo.h"

#include <algorithm>

namespace quenvel {

namespace {

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

const std::vector<TSyntaxHint> &SyntaxHintTable()
{
    static const std::vector<TSyntaxHint> table = {
        {"DTEXT", "dTEXT prompt$, body$[, type%]"},
        {"DLONG", "dLONG var long&, prompt$, min&, max&"},
        {"DFLOAT", "dFLOAT var fp, prompt$, min, max"},
        {"DDATE", "dDATE var long&, prompt$, min&, max&"},
        {"DTIME", "dTIME var long&, prompt$, type%, min&, max&"},
        {"DCHOICE", "dCHOICE var choice%, prompt$, list$"},
        {"DFILE", "dFILE var str$, prompt$, f%[, uid1&, uid2&, uid3&]"},
        {"DXINPUT", "dXINPUT var str$, prompt$"},
        {"DEDIT", "dEDIT var str$, prompt$[, len%]"},
        {"DINIT", "dINIT [title$[, flags%]]"},
        {"DPOSITION", "dPOSITION x%, y%"},
        {"MCARD", "mCARD title$, item1$, key1%, item2$, key2%, ..."},
        {"MCASC", "mCASC title$, item1$, key1%, item2$, key2%, ..."},
        {"PRINT", "PRINT expression[, or ; expression ...]"},
        {"PROC", "PROC name:(parameters)"},
        {"REM", "REM comment"},
        {"DO", "DO ... UNTIL"},
        {"WHILE", "WHILE ... ENDWH"},
        {"IF", "IF ... ELSE / ELSEIF ... ENDIF"},
    };
    return table;
}

const TSyntaxHint *FindSyntaxHint(std::string_view word)
{
    for (const TSyntaxHint &h : SyntaxHintTable()) {
        if (h.Key.size() != word.size())
            continue;
        size_t i = 0;
        while (i < word.size() && UpperAscii(word[i]) == h.Key[i])
            ++i;
        if (i == word.size())
            return &h;
    }
    return nullptr;
}

std::string NextSyntaxHint(std::string_view line, int32_t col, std::string_view current)
{
    // Positions below are 1-based as in the line's characters S[1..n]; S[k] is just before
    // the caret.
    const int64_t k = col;
    const int64_t n = static_cast<int64_t>(line.size());
    if (k < 2 || k > n)
        return std::string(current);
    auto S = [line](int64_t i) { return line[static_cast<size_t>(i - 1)]; };
    std::string result(current);
    if (S(k) == ' ')
        result = kNoSyntaxHint;
    int64_t p = k - 1;
    while (p > 1 && !IsBlank(S(p - 1)))
        --p;
    int64_t e = k;
    while (e <= n && !IsBlank(S(e)))
        ++e;
    if (const TSyntaxHint *h = FindSyntaxHint(line.substr(static_cast<size_t>(p - 1), static_cast<size_t>(e - p))))
        result = h->Text;
    return result;
}

std::string LeadingBlanks(std::string_view line)
{
    return std::string(line.substr(0, std::min(line.find_first_not_of(" \t"), line.size())));
}

void CarryIndentation(TCodeMemo &memo, std::string_view indent)
{
    if (indent.empty())
        return;
    const int32_t line = memo.CaretPar();
    memo.SetParagraphText(line, std::string(indent) + memo.ParagraphText(line));
    memo.SetSelCol(static_cast<int32_t>(indent.size()));
}

} // namespace quenvel
