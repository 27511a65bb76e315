// Load, save and highlighting throughput on a large OPL file.
//   bench_store FILE [RUNS]
// Prints the minimum over RUNS of each figure, and ratios measured in the same run.
#include "editor/CodeMemo.h"
#include "editor/HighlightRuns.h"
#include "opl/OplKeywords.h"
#include "opl/OplSetup.h"

#include <algorithm>
#include "BenchUtil.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace quenvel;
using namespace quenvel::bench;

namespace {

// Takes what is written and keeps nothing: the cost of the writer alone.
struct TNullStream : TStream {
    int64_t size = 0;
    int64_t Read(void *, int64_t) override { return 0; }
    void Write(const void *, int64_t count) override { size += count; }
    int64_t Seek(int64_t, Origin) override { return size; }
    int64_t Size() override { return size; }
};

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_store FILE [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string data = ss.str();
    const double mb = data.size() / (1024.0 * 1024.0);

    double tRead = 1e30, tLoad = 1e30, tLoadSpans = 1e30, tSave = 1e30, tSaveAlone = 1e30, tRtf = 1e30;
    double tHl[4] = {1e30, 1e30, 1e30, 1e30};
    size_t lines = 0;
    for (int r = 0; r < runs; ++r) {
        // baseline: read the bytes from the file and split them at line ends with memchr
        tRead = std::min(tRead, Ms([&] {
                             std::ifstream f(argv[1], std::ios::binary);
                             std::vector<char> buf(data.size());
                             f.read(buf.data(), static_cast<std::streamsize>(buf.size()));
                             std::vector<std::pair<size_t, size_t>> v;
                             const char *p = buf.data(), *end = p + buf.size();
                             while (p < end) {
                                 const char *q = static_cast<const char *>(std::memchr(p, '\n', end - p));
                                 if (!q)
                                     q = end;
                                 v.emplace_back(p - buf.data(), q - p);
                                 p = q + 1;
                             }
                             lines = v.size();
                         }));
        {
            TCodeMemo memo;
            tLoad = std::min(tLoad, Ms([&] {
                                 TProtMemStream s;
                                 s.Attach(data.data(), static_cast<int64_t>(data.size()));
                                 memo.LoadFromStream(s);
                             }));
            tSave = std::min(tSave, Ms([&] {
                                 TMemoryStream out;
                                 memo.SaveToStream(out);
                             }));
            tSaveAlone = std::min(tSaveAlone, Ms([&] {
                                      TNullStream out;
                                      memo.SaveToStream(out);
                                  }));
            tRtf = std::min(tRtf, Ms([&] {
                                TMemoryStream out;
                                memo.SaveToRTFStream(out);
                            }));
        }
        {
            TCodeMemo memo;
            RegisterOplSpans(memo);
            memo.StartStopActive = true;
            tLoadSpans = std::min(tLoadSpans, Ms([&] {
                                      TProtMemStream s;
                                      s.Attach(data.data(), static_cast<int64_t>(data.size()));
                                      memo.LoadFromStream(s);
                                  }));
        }
        for (int d = 1; d <= 3; ++d) {
            TCodeMemo memo;
            std::unique_ptr<TKeywordList> table;
            RegisterOplSpans(memo);
            ApplyOplDialect(memo, static_cast<TDialect>(d), table);
            tHl[d] = std::min(tHl[d], Ms([&] {
                                  TProtMemStream s;
                                  s.Attach(data.data(), static_cast<int64_t>(data.size()));
                                  memo.LoadFromStream(s);
                                  memo.ParseAllKeywords();
                              }));
        }
    }
    std::printf("file: %.1f MiB, %zu lines, minimum of %d runs\n", mb, lines, runs);
    std::printf("%-44s %9.1f ms %8.0f MiB/s\n", "read + split at line ends (memchr)", tRead, mb / tRead * 1000);
    std::printf("%-44s %9.1f ms %8.0f MiB/s  ratio to read %.2f\n", "load (no highlighting)", tLoad,
                mb / tLoad * 1000, tLoad / tRead);
    std::printf("%-44s %9.1f ms %8.0f MiB/s\n", "save plain text (PackCodes)", tSave, mb / tSave * 1000);
    std::printf("%-44s %9.1f ms %8.0f MiB/s\n", "  the writer alone (output discarded)", tSaveAlone,
                mb / tSaveAlone * 1000);
    std::printf("%-44s %9.1f ms %8.0f MiB/s\n", "save RTF", tRtf, mb / tRtf * 1000);
    std::printf("%-44s %9.1f ms  ratio to load %.2f\n", "load with string/REM spans", tLoadSpans,
                tLoadSpans / tLoad);
    const char *names[] = {"", "Siena", "OPL 3", "OPL 5"};
    for (int d = 1; d <= 3; ++d)
        std::printf("load + full highlight, %-21s %9.1f ms  highlighting alone / load %.2f\n", names[d], tHl[d],
                    (tHl[d] - tLoad) / tLoad);
    // typing in the middle of the document, highlighted with the OPL 3 table
    {
        TCodeMemo memo;
        std::unique_ptr<TKeywordList> table;
        RegisterOplSpans(memo);
        ApplyOplDialect(memo, TDialect::Opl3, table);
        memo.SetUpdateMode(umBackground);
        TProtMemStream s;
        s.Attach(data.data(), static_cast<int64_t>(data.size()));
        memo.LoadFromStream(s);
        memo.ParseAllKeywords();
        auto stats = [](std::vector<double> v) {
            std::sort(v.begin(), v.end());
            double sum = 0;
            for (double x : v)
                sum += x;
            return std::make_pair(sum / v.size(), v[v.size() * 99 / 100]);
        };
        std::vector<double> typed, enters;
        const int32_t mid = memo.ParagraphCount() / 2;
        for (int run = 0; run < 10; ++run) {
            memo.SetSelLength(0);
            memo.SetSelStart(memo.ParagraphStart(mid + run));
            for (int k = 0; k < 50; ++k)
                typed.push_back(Ms([&] { memo.SetSelTextBuf("x"); }) * 1000);
        }
        for (int k = 0; k < 200; ++k)
            enters.push_back(Ms([&] { memo.SetSelTextBuf("\r\n"); }) * 1000);
        auto [tm, tp] = stats(typed);
        auto [em, ep] = stats(enters);
        std::printf("%-44s mean %7.1f us  p99 %7.1f us\n", "typed character, middle of the text", tm, tp);
        std::printf("%-44s mean %7.1f us  p99 %7.1f us\n", "Enter, middle of the text", em, ep);
    }
    std::printf("peak resident memory: %.0f MiB\n", PeakRssKb() / 1024.0);
    return 0;
}
