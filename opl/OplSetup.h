// Setting up an editor control for OPL: the string and REM spans, a dialect's table and
// the character set its machines use.
#pragma once

#include "editor/CodeMemo.h"
#include "opl/OplDialect.h"

#include <memory>
#include <string>

namespace quenvel {

// The string-literal and REM-comment spans, registered once for every dialect. A comment
// starts at REM only where REM is a word of its own, not inside a longer name.
void RegisterOplSpans(TCodeMemo &memo);

// Gives the control a dialect's table (None: no highlighting at all). The table is held by `table`, which must outlive the control's use of it.
void ApplyOplDialect(TCodeMemo &memo, TDialect dialect, std::unique_ptr<TKeywordList> &table);

} // namespace quenvel
