#include "CodeMemo.h"

namespace quenvel {

void TCodeMemo::ApplyDynStyle(TCodeNavigator &, TCodeNavigator &, bool, TDynStyle) {}
void TCodeMemo::ParseKeywords(TCodeNavigator &, TCodeNavigator &) {}
void TCodeMemo::ParseStartStop(TCodeNavigator &, TCodeNavigator &) {}
void TCodeMemo::ParseAllKeywords() {}

} // namespace quenvel
