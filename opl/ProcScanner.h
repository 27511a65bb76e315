// The procedures of a document, the new-document template and the line-number answer of
// "Go to line number". Shared by the "Go to Procedures" window and `quenvel --procs`.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quenvel {

class TCodeMemo;

// One row of the procedure list.
struct TProcEntry {
    std::string Text;    // the PROC line without its first five characters
    std::string Comment; // the next line without its first four, when it is a REM line
    int32_t Line = 0;    // 1-based line number of the PROC line

    bool operator==(const TProcEntry &) const = default;
};

// Lists every line that is longer than five characters and starts with "PROC" in any
// case, in document order. `lineText(i)` gives display line i (0-based); asked for
// lineCount it must give an empty text.
std::vector<TProcEntry> ScanProcedures(int32_t lineCount, const std::function<std::string(int32_t)> &lineText);

// The same over the control's display lines (one per paragraph with word wrap off).
std::vector<TProcEntry> ScanProcedures(TCodeMemo &memo);

// The template a new document starts with, and the caret column left in its first line
// (between "PROC " and ":").
inline constexpr std::string_view kNewTemplateLines[] = {"PROC :", "", "ENDP"};
inline constexpr int32_t kNewTemplateCaretCol = 5;

// Writes the template into the first three paragraphs, puts the caret on line 0 at
// column 5 and clears the Modified flag. New clears the control first.
void NewTemplate(TCodeMemo &memo);

// The number typed into "Go to line number": optional leading blanks, an optional sign
// and decimal digits, or '$' / "0x" and hex digits. Anything else, or a value outside
// 32 bits, throws std::invalid_argument("'<text>' is not a valid integer value").
int32_t ParseLineNumber(const std::string &text);

// The 0-based line a 1-based line number goes to: clipped to the document's lines.
int32_t LineIndexForNumber(int64_t number, int32_t lineCount);

} // namespace quenvel
