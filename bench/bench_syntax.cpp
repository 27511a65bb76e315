// The OPL front end's speed: checking a large program as `quenvel --syntax` does, and the
// re-check the window runs after a pause in typing (the text taken from the control, then
// checked).
//   bench_syntax FILE [RUNS] [RECHECK_LINES]
// Prints the minimum over RUNS of each figure.
#include "BenchUtil.h"

#include "editor/CodeMemo.h"
#include "opl/OplKeywords.h"
#include "opl/OplSyntax.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

using namespace quenvel;
using namespace quenvel::bench;

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_syntax FILE [RUNS] [RECHECK_LINES]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    const int recheckLines = argc > 3 ? std::atoi(argv[3]) : 2000;
    std::string text;
    if (!ReadOplSourceFile(argv[1], text)) {
        std::fprintf(stderr, "bench_syntax: cannot read %s\n", argv[1]);
        return 2;
    }
    TOplCheckOptions o;
    o.Path = argv[1];
    double tAll[4] = {1e30, 1e30, 1e30, 1e30};
    size_t errors = 0, lines = std::count(text.begin(), text.end(), '\n');
    for (int r = 0; r < runs; ++r)
        for (int d = 1; d <= 3; ++d) {
            o.Dialect = static_cast<TDialect>(d);
            tAll[d] = std::min(tAll[d], Ms([&] {
                                   std::string t;
                                   ReadOplSourceFile(argv[1], t);
                                   errors = CheckOplProgram(t, o).Diagnostics.size();
                               }));
        }
    const double mb = text.size() / (1024.0 * 1024.0);
    std::printf("file: %.1f MiB, %zu lines, minimum of %d runs\n", mb, lines, runs);
    const char *names[] = {"", "Siena", "OPL 3", "OPL 5"};
    for (int d = 1; d <= 3; ++d)
        std::printf("read + check, %-30s %9.1f ms %8.1f MiB/s  %zu diagnostics\n", names[d], tAll[d],
                    mb / tAll[d] * 1000, errors);

    // the part of a re-check the window does itself for the whole file: copying the text
    // out of the control (the check runs on a thread of its own)
    {
        TCodeMemo whole;
        whole.SetTextBuf(text.c_str());
        double tCopy = 1e30;
        for (int r = 0; r < runs; ++r)
            tCopy = std::min(tCopy, Ms([&] { (void)whole.Text(); }));
        std::printf("%-45s %9.1f ms\n", "whole text out of the control (window thread)", tCopy);
    }

    // the window's re-check: the first RECHECK_LINES lines in the control
    size_t cut = 0;
    for (int n = 0; n < recheckLines && cut != std::string::npos; ++n)
        cut = text.find('\n', cut + (n ? 1 : 0));
    TCodeMemo memo;
    const std::string part = text.substr(0, cut == std::string::npos ? text.size() : cut + 1);
    memo.SetTextBuf(part.c_str());
    double tRecheck = 1e30;
    o.Dialect = TDialect::Opl5;
    for (int r = 0; r < std::max(runs, 20); ++r)
        tRecheck = std::min(tRecheck, Ms([&] { CheckOplProgram(memo.Text(), o); }));
    std::printf("re-check of %d lines (text from the control + check) %9.2f ms\n", memo.ParagraphCount(), tRecheck);
    std::printf("peak resident memory: %.0f MiB\n", bench::PeakRssKb() / 1024.0);
    return 0;
}
