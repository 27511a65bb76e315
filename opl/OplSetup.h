// Setting up an editor control for OPL: the string and REM spans and a dialect's table.
#pragma once

#include "editor/CodeMemo.h"

#include <memory>
#include <string>

namespace quenvel {

// The string-literal and REM-comment spans, registered once for every dialect.
void RegisterOplSpans(TCodeMemo &memo);

// Dialect from its command-line name: "none" 0, "siena" 1, "opl3" 2, "opl5" 3; -1 when unknown.
int OplDialectFromName(const std::string &name);

// Gives the control a dialect's table (dialect 0: no highlighting at all). The table
// is held by `table`, which must outlive the control's use of it.
void ApplyOplDialect(TCodeMemo &memo, int dialect, std::unique_ptr<TKeywordList> &table);

} // namespace quenvel
