// Waiting for the view's background work, for the benchmarks that drive the view.
#pragma once

#include "editor/CodeMemo.h"

#include <QCoreApplication>

namespace quenvel::bench {

// Runs the event loop until every paragraph is highlighted and laid out (the background
// layout works front to back, so the last paragraphs are looked at first).
inline void WaitForLayout(TCodeMemo &m)
{
    for (;;) {
        bool done = true;
        for (int32_t p = m.ParagraphCount() - 1; p >= 0; --p)
            if (!m.Par(p).Formatted || !m.Par(p).Parsed) {
                done = false;
                break;
            }
        if (done)
            return;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

} // namespace quenvel::bench
