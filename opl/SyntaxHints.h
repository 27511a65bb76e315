// The hint line under the editor: the parameter syntax of the command at the caret, and the
// indentation that Enter carries over to the new line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quenvel {

class TCodeMemo;

// The hint line's text when no hint applies.
inline constexpr std::string_view kNoSyntaxHint = "(none)";

struct TSyntaxHint {
    std::string_view Key;  // upper case
    std::string_view Text; // shown as it stands
};

// The commands that have a hint, in table order.
const std::vector<TSyntaxHint> &SyntaxHintTable();

// The hint for a word, compared upper-cased (a to z only); nullptr when it has none.
const TSyntaxHint *FindSyntaxHint(std::string_view word);

// What the hint line shows after the caret moved to column `col` (0-based: the number of
// characters before the caret) of `line`, given what it showed before. A word runs between
// blanks (space or TAB) and always includes the second character before the caret; a space
// just before the caret resets the line to "(none)" first. Columns 0 and 1 change nothing,
// and a word without a hint leaves the line as it was.
std::string NextSyntaxHint(std::string_view line, int32_t col, std::string_view current);

// The blanks (spaces and TABs, in any mix) that begin the line, as written.
std::string LeadingBlanks(std::string_view line);

// The second half of Enter: puts `indent` in front of the caret's line and the caret just
// after it. Nothing happens for an empty indent.
void CarryIndentation(TCodeMemo &memo, std::string_view indent);

} // namespace quenvel
