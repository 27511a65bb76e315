// Helpers shared by the fuzz targets.
#pragma once

#include "app/document/Document.h"
#include "editor/HighlightRuns.h"
#include "tests/TestUtil.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace quenvel::fuzz {

// Stops the run with a message; libFuzzer keeps the input that led here.
[[noreturn]] inline void Fail(const std::string &what)
{
    std::fprintf(stderr, "FUZZ FAILURE: %s\n", what.c_str());
    std::abort();
}

inline void Check(bool ok, const std::string &what)
{
    if (!ok)
        Fail(what);
}

inline void CheckStore(TCodeMemo &m, const char *when)
{
    const std::string bad = m.CheckInvariants();
    if (!bad.empty())
        Fail(std::string(when) + ": " + bad);
}

using test::LoadString;
using test::SaveString;

// The whole text's highlighting, every paragraph parsed as laying it out does.
inline std::vector<THighlightRun> Highlighting(TCodeMemo &m)
{
    m.ParseAllKeywords();
    return HighlightRuns(m);
}

// The text as a fresh load must see it: a line feed inside a paragraph (the editor keeps
// one that was typed alone) becomes another byte that is no delimiter, since the loader
// would read it as a break.
inline std::string ForFreshLoad(const std::string &flat)
{
    std::string out;
    for (size_t i = 0; i < flat.size(); ++i) {
        if (flat[i] == '\r' && i + 1 < flat.size() && flat[i + 1] == '\n') {
            out += "\r\n";
            ++i;
        } else if (flat[i] == '\n' || flat[i] == '\r') {
            out.push_back('\x7f');
        } else {
            out.push_back(flat[i]);
        }
    }
    return out;
}

} // namespace quenvel::fuzz
