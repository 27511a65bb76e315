// Setting up an editor control for OPL: the string and REM spans, a dialect's table and
// the character set its machines use.
#pragma once

#include "editor/CodeMemo.h"

#include <memory>
#include <string>

namespace quenvel {

// The string-literal and REM-comment spans, registered once for every dialect. A comment
// starts at REM only where REM is a word of its own, not inside a longer name.
void RegisterOplSpans(TCodeMemo &memo);

// Dialect from its command-line name: "none" 0, "siena" 1, "opl3" 2, "opl5" 3; -1 when unknown.
int OplDialectFromName(const std::string &name);

// Dialect from its settings value: "None" 0, "OPL Siena" 1, "OPL 3" 2, "OPL 5" 3; -1 for
// anything else (no dialect chosen).
int OplDialectFromSyntax(const std::string &value);

// The settings value of a dialect (0: "None"); empty for -1.
std::string OplSyntaxValue(int dialect);

// The character set of a dialect's machines: the Series 3 and the Siena use IBM 850,
// the Series 5 (and plain text) Windows-1252.
TCodePage OplCodePage(int dialect);

// Gives the control a dialect's table (dialect 0: no highlighting at all). The table
// is held by `table`, which must outlive the control's use of it.
void ApplyOplDialect(TCodeMemo &memo, int dialect, std::unique_ptr<TKeywordList> &table);

} // namespace quenvel
