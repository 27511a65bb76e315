// What one screen costs to paint: the editor view as the main window configures it, 800 x 600,
// offscreen, scrolled to the middle of a file, with the focus.
//   bench_paint FILE [REPEATS] [--save DIR]
// For each scene, the time of one QWidget::render() of the whole view into an image (frame
// and scroll bars included, as a keystroke's repaint is measured elsewhere) and of the text
// area alone; minimum and median over REPEATS paints, in microseconds. --save writes each
// scene's picture as DIR/<scene>.png. The last column is the two scroll bars alone. The
// gutter scene is the plain one with line numbers; the ratio of their text areas follows it.
#include "app/document/Document.h"
#include "opl/OplKeywords.h"
#include "platform/CodeMemoView.h"

#include "BenchLayout.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using namespace quenvel;

using quenvel::bench::WaitForLayout;

namespace {

using Clock = std::chrono::steady_clock;

struct TFigure {
    double min = 0, median = 0;
};

TFigure Time(int repeats, const std::function<void()> &paint)
{
    std::vector<double> us;
    paint(); // warm: fonts and glyphs cached as they are after the first screen
    for (int k = 0; k < repeats; ++k) {
        const auto t = Clock::now();
        paint();
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t).count());
    }
    std::sort(us.begin(), us.end());
    return {us.front(), us[us.size() / 2]};
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_paint FILE [REPEATS] [--save DIR]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int repeats = 200;
    std::string saveDir;
    for (int a = 2; a < argc; ++a) {
        if (std::strcmp(argv[a], "--save") == 0 && a + 1 < argc)
            saveDir = argv[++a];
        else
            repeats = std::max(1, std::atoi(argv[a]));
    }

    TDocument doc;
    TCodeMemoView view(doc.Memo());
    TCodeMemo &m = doc.Memo();
    doc.SetDialect(TDialect::Opl5, false);
    view.UpdateScrollBarPolicy();
    view.resize(800, 600);
    view.show();
    QApplication::setActiveWindow(&view);
    view.setFocus();
    QCoreApplication::processEvents();
    if (!std::ifstream(argv[1])) {
        std::fprintf(stderr, "bench_paint: cannot open %s\n", argv[1]);
        return 2;
    }
    doc.LoadFile(argv[1]);
    WaitForLayout(m);

    auto middle = [&] {
        m.SetSelLength(0);
        m.SetSelStart(m.ParagraphStart(m.ParagraphCount() / 2));
        m.SetTopLine(std::max(0, m.SelLine() - m.VisibleLines() / 2));
    };
    auto par = [&](int32_t p) { return std::clamp(p, 0, m.ParagraphCount() - 1); };
    // each scene sets the view up from the plain one and leaves it laid out
    struct TScene {
        const char *name;
        std::function<void()> setUp;
    };
    const TScene scenes[] = {
        {"plain", [&] {}},
        {"selection", [&] {
             const int32_t p = m.ParagraphCount() / 2;
             m.SetSelStart(std::min(m.ParagraphStart(par(p - 5)) + 3, m.TextLength()));
             m.SetSelLength(std::min(m.ParagraphStart(par(p + 8)) + 2, m.TextLength()) - m.SelStart());
         }},
        {"styled", [&] {
             // bold, italic, underline and highlight codes over parts of the screen's lines
             const int32_t p = m.ParagraphCount() / 2;
             void (TCodeMemo::*wrap[])() = {&TCodeMemo::SetBold, &TCodeMemo::SetItalic,
                                            &TCodeMemo::SetUnderline, &TCodeMemo::SetHighlight};
             for (int k = 0; k < 12; ++k) {
                 const int32_t q = p - 10 + 2 * k;
                 if (q != par(q))
                     continue;
                 const int32_t s = m.ParagraphStart(q);
                 const int32_t len = static_cast<int32_t>(m.ParagraphText(q).size());
                 if (len < 4)
                     continue;
                 m.SetSelStart(s + 1);
                 m.SetSelLength(len / 2);
                 (m.*wrap[k % 4])();
             }
             m.SetSelLength(0);
             middle();
         }},
        {"scrolled", [&] { m.SetHOffset(3 * m.RowHeight()); }},
        {"far", [&] { m.SetHOffset(60 * m.RowHeight()); }},
        {"wrapped", [&] { m.SetWordWrap(true); }},
        {"justified", [&] {
             m.SetWordWrap(true);
             m.SetJustified(true);
         }},
        {"gutter", [&] { m.SetLineNumbers(true); }}, // the plain scene with line numbers
    };
    double plainArea = 0;

    QImage whole(view.size(), QImage::Format_RGB32);
    QImage area(view.viewport()->size(), QImage::Format_RGB32);
    QImage vbar(view.verticalScrollBar()->size(), QImage::Format_RGB32);
    QImage hbar(view.horizontalScrollBar()->size(), QImage::Format_RGB32);
    std::printf("%-10s %14s %14s %14s %14s %14s\n", "scene", "render_min_us", "render_med_us", "area_min_us",
                "area_med_us", "bars_med_us");
    for (const TScene &sc : scenes) {
        middle();
        sc.setUp();
        WaitForLayout(m);
        QCoreApplication::processEvents();
        view.CaretChanged(); // the caret shown, whatever the blinking did meanwhile
        const TFigure r = Time(repeats, [&] { view.render(&whole); });
        const TFigure a = Time(repeats, [&] { view.viewport()->render(&area); });
        const TFigure b = Time(repeats, [&] {
            view.verticalScrollBar()->render(&vbar);
            view.horizontalScrollBar()->render(&hbar);
        });
        std::printf("%-10s %14.1f %14.1f %14.1f %14.1f %14.1f\n", sc.name, r.min, r.median, a.min, a.median,
                    b.median);
        if (std::strcmp(sc.name, "plain") == 0)
            plainArea = a.median;
        if (std::strcmp(sc.name, "gutter") == 0 && plainArea > 0)
            std::printf("gutter/plain text area, medians: %.3f\n", a.median / plainArea);
        std::fflush(stdout);
        if (!saveDir.empty())
            whole.save(QString::fromStdString(saveDir + "/" + sc.name + ".png"));
        m.SetHOffset(0);
        m.SetWordWrap(false);
        m.SetJustified(false);
        m.SetLineNumbers(false);
    }
    return 0;
}
