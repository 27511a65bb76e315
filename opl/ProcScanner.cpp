#include "opl/ProcScanner.h"

#include "editor/CodeMemo.h"

#include <limits>
#include <stdexcept>

namespace quenvel {

namespace {

// True when the text starts with the keyword, comparing the text upper-cased in a to z only.
bool StartsWithUpper(const std::string &text, std::string_view keyword)
{
    if (text.size() < keyword.size())
        return false;
    for (size_t i = 0; i < keyword.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != keyword[i])
            return false;
    }
    return true;
}

} // namespace

std::vector<TProcEntry> ScanProcedures(int32_t lineCount, const std::function<std::string(int32_t)> &lineText)
{
    std::vector<TProcEntry> rows;
    std::string next = lineCount > 0 ? lineText(0) : std::string();
    for (int32_t i = 0; i < lineCount; ++i) {
        std::string line = std::move(next);
        next = i + 1 < lineCount ? lineText(i + 1) : std::string();
        if (line.size() <= 5 || !StartsWithUpper(line, "PROC"))
            continue;
        TProcEntry e;
        e.Text = line.substr(5);
        if (next.size() > 4 && StartsWithUpper(next, "REM"))
            e.Comment = next.substr(4);
        e.Line = i + 1;
        rows.push_back(std::move(e));
    }
    return rows;
}

std::vector<TProcEntry> ScanProcedures(TCodeMemo &memo)
{
    return ScanProcedures(memo.LineCount(), [&memo](int32_t i) { return memo.LineText(i); });
}

void NewTemplate(TCodeMemo &memo)
{
    int32_t i = 0;
    for (std::string_view line : kNewTemplateLines)
        memo.SetParagraphText(i++, std::string(line));
    memo.SetSelLine(0);
    memo.SetSelCol(kNewTemplateCaretCol);
    memo.SetModified(false);
}

int32_t ParseLineNumber(const std::string &text)
{
    auto invalid = [&text]() { return std::invalid_argument("'" + text + "' is not a valid integer value"); };
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        throw invalid();
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            throw invalid();
        value = value * base + digit;
        if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            throw invalid();
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int32_t>::max())
        throw invalid();
    return static_cast<int32_t>(value);
}

int32_t LineIndexForNumber(int64_t number, int32_t lineCount)
{
    if (lineCount <= 0 || number < 1)
        return 0;
    return number > lineCount ? lineCount - 1 : static_cast<int32_t>(number - 1);
}

} // namespace quenvel
