// The highlighted runs of a control's text, paragraph by paragraph.
#pragma once

#include "CodeMemo.h"

#include <functional>
#include <vector>

namespace quenvel {

struct THighlightRun {
    int32_t Par;    // paragraph index
    int32_t Col;    // position of the run's start in its paragraph
    int32_t Len;    // positions
    TDynStyle Style;
    bool operator==(const THighlightRun &o) const
    {
        return Par == o.Par && Col == o.Col && Len == o.Len && Style == o.Style;
    }
};

// Runs under a dynamic style in document order; a run crossing a paragraph break
// gives one piece per paragraph; empty pieces are left out.
std::vector<THighlightRun> HighlightRuns(const TCodeMemo &memo);
// The same runs handed over one at a time, for texts whose runs need not all be kept.
void ForEachHighlightRun(const TCodeMemo &memo, const std::function<void(const THighlightRun &)> &visit);

} // namespace quenvel
