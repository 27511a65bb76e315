#include "HighlightRuns.h"

namespace quenvel {

std::vector<THighlightRun> HighlightRuns(const TCodeMemo &memo)
{
    std::vector<THighlightRun> runs;
    ForEachHighlightRun(memo, [&runs](const THighlightRun &r) { runs.push_back(r); });
    return runs;
}

void ForEachHighlightRun(const TCodeMemo &memo, const std::function<void(const THighlightRun &)> &visit)
{
    for (int32_t p = 0; p < memo.ParagraphCount(); ++p) {
        const TParagraphRec &par = memo.Par(p);
        TDynStyle dyn = par.StartDyn();
        int32_t pos = 0, runStart = 0;
        auto close = [&]() {
            if (dyn.IsDynamic() && pos > runStart)
                visit({p, runStart, pos - runStart, dyn});
        };
        for (int32_t o = 0; o < par.ByteSize();) {
            if (par.Text[o] == scMark) {
                close();
                dyn = ReadMark(par.Text + o);
                runStart = pos;
                o += kMarkSize;
            } else {
                ++pos;
                ++o;
            }
        }
        close();
    }
}

} // namespace quenvel
