// Replace All and its undo on a large text, the editor as the main window configures it,
// offscreen: every tenth line of an OPL file gets a word found nowhere else, then all of
// them are replaced, undone and redone.
//   bench_undo FILE [RUNS]    prints one JSON object per run, then minimum and median
#include "app/document/Document.h"
#include "opl/OplKeywords.h"
#include "platform/CodeMemoView.h"

#include "BenchLayout.h"
#include "BenchUtil.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace quenvel;
using namespace quenvel::bench;

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_undo FILE [RUNS]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 2 ? std::atoi(argv[2]) : 1;
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "bench_undo: cannot open %s\n", argv[1]);
        return 2;
    }
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // " qzxw" at the end of every tenth line
    std::string text;
    text.reserve(file.size() + file.size() / 50);
    int lines = 0, planted = 0;
    for (size_t a = 0; a < file.size();) {
        size_t b = file.find('\n', a);
        b = b == std::string::npos ? file.size() : b + 1;
        size_t end = b;
        while (end > a && (file[end - 1] == '\n' || file[end - 1] == '\r'))
            --end;
        text.append(file, a, end - a);
        if (lines++ % 10 == 0) {
            text += " qzxw";
            ++planted;
        }
        text.append(file, end, b - end);
        a = b;
    }
    const char *names[] = {"replace_all_ms", "undo_ms", "redo_ms", "undo_again_ms"};
    std::vector<std::vector<double>> figures(4);
    for (int run = 0; run < runs; ++run) {
        TDocument doc;
        TCodeMemoView view(doc.Memo());
        TCodeMemo &m = doc.Memo();
        view.UpdateScrollBarPolicy();
        doc.SetDialect(TDialect::Siena, false);
        view.resize(800, 600);
        view.show();
        QCoreApplication::processEvents();
        doc.LoadBytes(reinterpret_cast<const uint8_t *>(text.data()), text.size(), "bench.opl");
        WaitForLayout(m);
        m.SetSelStart(m.ParagraphStart(m.ParagraphCount() / 2));
        view.viewport()->repaint();
        const std::string before = run == 0 ? m.Text() : std::string();

        double row[4];
        auto t = Clock::now();
        const int32_t n = doc.ReplaceAll("qzxw", "qzyv", true, true);
        view.viewport()->repaint();
        row[0] = MsSince(t);
        t = Clock::now();
        m.Undo();
        view.viewport()->repaint();
        row[1] = MsSince(t);
        const bool restored = run > 0 || m.Text() == before;
        t = Clock::now();
        m.Redo();
        view.viewport()->repaint();
        row[2] = MsSince(t);
        t = Clock::now();
        m.Undo();
        view.viewport()->repaint();
        row[3] = MsSince(t);
        std::printf("{\"lines\": %d, \"replaced\": %d, \"replace_all_ms\": %.1f, \"undo_ms\": %.1f, \"redo_ms\": %.1f, "
                    "\"undo_again_ms\": %.1f%s}\n",
                    m.ParagraphCount(), n, row[0], row[1], row[2], row[3],
                    n != planted ? ", \"error\": \"count\"" : restored ? "" : ", \"error\": \"not restored\"");
        std::fflush(stdout);
        for (size_t k = 0; k < 4; ++k)
            figures[k].push_back(row[k]);
    }
    std::fprintf(stderr, "%-20s %10s %10s\n", "figure", "minimum", "median");
    for (size_t k = 0; k < figures.size(); ++k) {
        std::vector<double> v = figures[k];
        std::sort(v.begin(), v.end());
        std::fprintf(stderr, "%-20s %10.1f %10.1f\n", names[k], v.front(), v[v.size() / 2]);
    }
    return 0;
}
