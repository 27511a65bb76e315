// End to end: the editor as the main window configures it, offscreen, on one OPL file.
//   bench_editor FILE [RUNS]    prints one JSON object per run
// For a profile of one phase, BENCH_STOP=first_paint or BENCH_STOP=full_highlight skips the
// baseline read and stops after that phase (one run), printing the figures so far.
#include "app/document/Document.h"
#include "opl/OplKeywords.h"
#include "opl/OplSetup.h"
#include "platform/CodeMemoView.h"

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
#include "BenchLayout.h"
#include "BenchUtil.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace quenvel;
using namespace quenvel::bench;

namespace {

std::pair<double, double> MeanP99(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    double sum = 0;
    for (double x : v)
        sum += x;
    return {sum / static_cast<double>(v.size()), v[v.size() * 99 / 100]};
}

void Key(TCodeMemoView &view, int key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&view, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(&view, &release);
    QCoreApplication::processEvents();
    view.viewport()->repaint();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_editor FILE [RUNS]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 2 ? std::atoi(argv[2]) : 1;
    size_t fileSize = 0;
    {
        std::ifstream in(argv[1], std::ios::binary | std::ios::ate);
        if (!in) {
            std::fprintf(stderr, "bench_editor: cannot open %s\n", argv[1]);
            return 2;
        }
        fileSize = static_cast<size_t>(in.tellg());
    }

    const std::string stopAfter = std::getenv("BENCH_STOP") ? std::getenv("BENCH_STOP") : "";
    // the baseline: read the file and split it at line ends with memchr
    double readMs = 1e30;
    for (int r = 0; stopAfter.empty() && r < std::max(runs, 3); ++r) {
        const auto t = Clock::now();
        std::ifstream f(argv[1], std::ios::binary);
        std::vector<char> buf(fileSize);
        f.read(buf.data(), static_cast<std::streamsize>(buf.size()));
        std::vector<std::pair<size_t, size_t>> lines;
        const char *p = buf.data(), *end = p + buf.size();
        while (p < end) {
            const char *q = static_cast<const char *>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            if (!q)
                q = end;
            lines.emplace_back(static_cast<size_t>(p - buf.data()), static_cast<size_t>(q - p));
            p = q + 1;
        }
        readMs = std::min(readMs, MsSince(t));
    }
    const char *names[] = {"load_ms", "first_paint_ms", "full_highlight_ms", "type_mean_us", "type_p99_us",
                           "enter_mean_us", "enter_p99_us", "rehighlight_all_ms", "find_miss_ms", "save_ms",
                           "rss_mb", "dialect_switch_ms"};
    std::vector<std::vector<double>> figures(sizeof names / sizeof *names);

    for (int run = 0; run < runs; ++run) {
        // the document and its view, as the main window has them
        TDocument doc;
        TCodeMemoView view(doc.Memo());
        TCodeMemo &m = doc.Memo();
        view.UpdateScrollBarPolicy();
        doc.SetDialect(TDialect::Siena, false);
        view.resize(800, 600);
        view.show();
        view.setFocus();
        QCoreApplication::processEvents();

        const auto t0 = Clock::now();
        doc.LoadFile(argv[1]);
        const double loadMs = MsSince(t0);
        const int lines = m.ParagraphCount();
        view.viewport()->repaint();
        const double firstPaintMs = MsSince(t0);
        if (stopAfter == "first_paint") {
            std::printf("{\"load_ms\": %.1f, \"first_paint_ms\": %.1f, \"rss_mb\": %.0f}\n", loadMs,
                        firstPaintMs, PeakRssKb() / 1024.0);
            return 0;
        }
        WaitForLayout(m);
        const double fullMs = MsSince(t0);
        if (stopAfter == "full_highlight") {
            std::printf("{\"load_ms\": %.1f, \"first_paint_ms\": %.1f, \"full_highlight_ms\": %.1f, "
                        "\"rss_mb\": %.0f}\n", loadMs, firstPaintMs, fullMs, PeakRssKb() / 1024.0);
            return 0;
        }

        // typing at the start of lines in the middle, the caret's line centred
        std::vector<double> typed, enters;
        const int32_t mid = m.ParagraphCount() / 2;
        for (int r = 0; r < 10; ++r) {
            m.SetSelLength(0);
            m.SetSelStart(m.ParagraphStart(mid + r));
            m.SetTopLine(std::max(0, m.SelLine() - m.VisibleLines() / 2));
            view.viewport()->repaint();
            for (int k = 0; k < 50; ++k) {
                const auto t = Clock::now();
                Key(view, Qt::Key_X, "x");
                typed.push_back(MsSince(t) * 1000);
            }
        }
        for (int k = 0; k < 200; ++k) {
            const auto t = Clock::now();
            Key(view, Qt::Key_Return, "\r");
            enters.push_back(MsSince(t) * 1000);
        }
        const auto [typeMean, typeP99] = MeanP99(typed);
        const auto [enterMean, enterP99] = MeanP99(enters);

        // one full screen painted at the middle; Page Down and Ctrl+End there
        m.SetSelLength(0);
        m.SetSelStart(m.ParagraphStart(mid));
        m.SetTopLine(std::max(0, m.SelLine() - m.VisibleLines() / 2));
        double paintMs = 1e30;
        for (int k = 0; k < 20; ++k) {
            const auto t = Clock::now();
            view.viewport()->repaint();
            paintMs = std::min(paintMs, MsSince(t));
        }
        std::vector<double> pageDowns, ctrlEnds;
        for (int k = 0; k < 50; ++k) {
            const auto t = Clock::now();
            Key(view, Qt::Key_PageDown, QString());
            pageDowns.push_back(MsSince(t) * 1000);
        }
        for (int k = 0; k < 20; ++k) {
            m.SetSelLength(0);
            m.SetSelStart(m.ParagraphStart(mid));
            QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
            const auto t = Clock::now();
            QCoreApplication::sendEvent(&view, &press);
            QCoreApplication::processEvents();
            view.viewport()->repaint();
            ctrlEnds.push_back(MsSince(t) * 1000);
        }
        const auto [pdMean, pdP99] = MeanP99(pageDowns);
        const auto [ceMean, ceP99] = MeanP99(ctrlEnds);

        // dialect switch, as the menu makes it: until the screen shows it, then until
        // every paragraph is highlighted and laid out again
        const auto tr = Clock::now();
        doc.SetDialect(TDialect::Opl5);
        view.viewport()->repaint();
        const double switchMs = MsSince(tr);
        WaitForLayout(m);
        const double rehighlightMs = MsSince(tr);

        m.SetSelLength(0);
        m.SetSelStart(0);
        const auto tf = Clock::now();
        const bool found = m.FindText("qzxnotthere", true, false);
        const double findMs = MsSince(tf);

        const auto tsv = Clock::now();
        {
            TFileStream f("/tmp/bench_editor_save.opl", TFileStream::fmCreate);
            m.SaveToStream(f);
        }
        const double saveMs = MsSince(tsv);
        std::remove("/tmp/bench_editor_save.opl");

        std::printf("{\"load_ms\": %.1f, \"first_paint_ms\": %.1f, \"full_highlight_ms\": %.1f, "
                    "\"type_mean_us\": %.0f, \"type_p99_us\": %.0f, \"enter_mean_us\": %.0f, \"enter_p99_us\": %.0f, "
                    "\"rehighlight_all_ms\": %.1f, \"find_miss_ms\": %.1f, \"save_ms\": %.1f, \"rss_mb\": %.0f, "
                    "\"file_mb\": %.1f, \"lines\": %d, \"paint_middle_ms\": %.2f, \"pagedown_mean_us\": %.0f, "
                    "\"pagedown_p99_us\": %.0f, \"ctrl_end_mean_us\": %.0f, \"ctrl_end_p99_us\": %.0f, "
                    "\"dialect_switch_ms\": %.1f%s}\n",
                    loadMs, firstPaintMs, fullMs, typeMean, typeP99, enterMean, enterP99, rehighlightMs, findMs,
                    saveMs, PeakRssKb() / 1024.0, fileSize / (1024.0 * 1024.0), lines, paintMs, pdMean, pdP99,
                    ceMean, ceP99, switchMs, found ? ", \"error\": \"found\"" : "");
        std::fflush(stdout);
        const double row[] = {loadMs, firstPaintMs, fullMs, typeMean, typeP99, enterMean, enterP99,
                              rehighlightMs, findMs, saveMs, PeakRssKb() / 1024.0, switchMs};
        for (size_t k = 0; k < figures.size(); ++k)
            figures[k].push_back(row[k]);
    }
    // the table: minimum and median of the runs
    std::fprintf(stderr, "%-20s %10s %10s\n", "figure", "minimum", "median");
    for (size_t k = 0; k < figures.size(); ++k) {
        std::vector<double> v = figures[k];
        std::sort(v.begin(), v.end());
        std::fprintf(stderr, "%-20s %10.1f %10.1f\n", names[k], v.front(), v[v.size() / 2]);
    }
    std::fprintf(stderr, "%-20s %10.1f\n", "read_split_ms", readMs);
    std::fprintf(stderr, "%-20s %10.2f\n", "load / read",
                 *std::min_element(figures[0].begin(), figures[0].end()) / readMs);
    return 0;
}
