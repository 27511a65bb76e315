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

// The number of TAB characters that begin the line (the count stops at any other character).
int32_t LeadingTabCount(std::string_view line);

// The line with `tabs` TAB characters put in front of it, as Enter leaves the new line.
std::string WithLeadingTabs(std::string_view line, int32_t tabs);

// The second half of Enter: puts `tabs` TABs in front of the caret's line and the caret
// just after them. Nothing happens for 0 tabs.
void CarryIndentation(TCodeMemo &memo, int32_t tabs);

} // namespace quenvel
