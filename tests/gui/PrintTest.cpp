// Printing: the page layout, failures, and the PDF listing (wrapped lines, "Page N of M").
#include "GuiTestUtil.h"

#include "app/Printing.h"

#include <QAction>
#include <QPrinterInfo>
#include <gtest/gtest.h>

#include <regex>

using namespace quenvel;
using namespace quenvel::guitest;
using namespace quenvel::test;

namespace {

int InkRows(const QImage &img, int top, int bottom)
{
    int rows = 0;
    for (int y = std::max(0, top); y < std::min(img.height(), bottom); ++y)
        for (int x = 0; x < img.width(); x += 2)
            if (qGray(img.pixel(x, y)) < 128) {
                ++rows;
                break;
            }
    return rows;
}

} // namespace

// The page layout at a known resolution: an image of a letter-size page at 600 ppi.
TEST(Printing, PrintLayoutAtSixHundredPpi)
{
    std::string text = "PROC main:\r\n";
    for (int i = 0; i < 120; ++i)
        text += "  PRINT \"line " + std::to_string(i) + "\"\r\n";
    TWindowRig r(text);
    r.Memo().SetSelStart(5);
    r.Memo().SetSelLength(4);
    QImage page(5100, 6600, QImage::Format_RGB32);
    page.fill(Qt::white);
    page.setDotsPerMeterX(static_cast<int>(600 / 0.0254 + 0.5));
    page.setDotsPerMeterY(static_cast<int>(600 / 0.0254 + 0.5));
    ASSERT_EQ(page.logicalDpiX(), 600);
    QImage first;
    int newPages = 0;
    const TPrintReport rep = PrintDocument(r.Memo(), page, [&] {
        if (newPages++ == 0)
            first = page.copy();
        page.fill(Qt::white);
        return true;
    }, "/some/where/p.opl", "failed");
    // margins of 1.25 inch, the header at half an inch, the page's foot at 10.5 inches
    EXPECT_EQ((std::vector<int>{rep.Left, rep.HeaderTop, rep.FirstTop, rep.PageEnd}), (std::vector<int>{750, 300, 750, 6300}));
    EXPECT_GT(rep.Advance, 50);
    ASSERT_EQ(rep.LineTops.size(), 122u);
    EXPECT_EQ(rep.LineTops[0], std::make_pair(1, 750));
    EXPECT_EQ(rep.LineTops[1].second - rep.LineTops[0].second, rep.Advance);
    EXPECT_GT(rep.Pages, 1);
    EXPECT_EQ(newPages, rep.Pages - 1) << "one job, a new page per page";
    for (size_t k = 1; k < rep.LineTops.size(); ++k)
        if (rep.LineTops[k].first != rep.LineTops[k - 1].first)
            EXPECT_EQ(rep.LineTops[k].second, 750);
        else
            EXPECT_LE(rep.LineTops[k].second, 6300);
    // ink where the header and the first line stand, none above the header
    EXPECT_GT(InkRows(first, 300, 420), 20);
    EXPECT_GT(InkRows(first, 750, 750 + rep.Advance), 20);
    EXPECT_EQ(InkRows(first, 0, 290), 0);
    EXPECT_EQ(r.Memo().SelStart() * 100 + r.Memo().SelLength(), 504) << "the selection is kept";
}

// Printing that cannot go ahead (no printer, an unwritable PDF) says why and keeps the selection.
TEST(Printing, PrintThatFailsSaysSoAndKeepsTheSelection)
{
    TWindowRig r("PROC main:\r\nENDP");
    r.ui.pdf = r.dir / "no/such/folder/out.pdf";
    const std::pair<const char *, std::string> cases[] = {
        {"Print", "error: There is no default printer currently selected"},
        {"Print to PDF", "error: Cannot create file " + *r.ui.pdf},
    };
    for (const auto &[action, says] : cases) {
        if (std::string(action) == "Print" && !QPrinterInfo::defaultPrinter().isNull())
            continue; // this machine has a default printer
        r.Memo().SetSelStart(2);
        r.Memo().SetSelLength(3);
        r.w->Action(action)->trigger();
        EXPECT_EQ(r.ui.asked.empty() ? "" : r.ui.asked.back(), says);
        EXPECT_EQ(r.Memo().SelStart() * 100 + r.Memo().SelLength(), 203);
    }
}

// The PDF holds all of a line wider than the page on indented continuation lines; headers count the pages.
TEST(Printing, PrintToPdfWrapsLongLinesAndCountsPages)
{
    std::string words, text = "PROC main:\r\n  PRINT \"";
    for (int i = 10; i < 70; ++i)
        words += "w" + std::to_string(i) + (i < 69 ? " " : "");
    text += words + "\"\r\n";
    for (int i = 0; i < 45; ++i)
        text += "  REM " + std::to_string(i) + "\r\n";
    TWindowRig r(text + "ENDP");
    r.ui.pdf = r.dir / "out.pdf";
    r.w->Action("Print to PDF")->trigger();
    ASSERT_EQ(ReadFile(r.dir / "out.pdf").rfind("%PDF", 0), 0u) << (r.ui.asked.empty() ? "" : r.ui.asked.back());
    if (std::system("command -v pdftotext >/dev/null && command -v pdftoppm >/dev/null") != 0)
        GTEST_SKIP() << "poppler's tools are not installed";
    ASSERT_EQ(std::system(("pdftotext -layout '" + (r.dir / "out.pdf") + "' '" + (r.dir / "out.txt") + "'").c_str()), 0);
    const std::string listing = ReadFile(r.dir / "out.txt");
    for (const char *page : {"Page 1 of 2", "Page 2 of 2"})
        EXPECT_NE(listing.find(page), std::string::npos) << page << " in\n" << listing;
    EXPECT_EQ(listing.find("of 3"), std::string::npos);
    EXPECT_NE(std::regex_replace(listing, std::regex("\\s+"), " ").find("PRINT \"" + words + "\""), std::string::npos)
        << listing;
    // the line's start and its end on lines of their own, the end indented
    std::smatch m;
    ASSERT_TRUE(std::regex_search(listing, m, std::regex("(^|\n)([^\n]*)PRINT[^\n]*\n(?:[^\n]*\n)*?( *)[^ \n][^\n]*w69")))
        << listing;
    EXPECT_GT(m[3].length(), m[2].length()) << "a continuation starts right of the line's own start";
    // at 100 ppi: the header from 50 pixels down, the first line from 125, nothing above
    ASSERT_EQ(std::system(("pdftoppm -r 100 -f 1 -l 1 -png '" + (r.dir / "out.pdf") + "' '" + (r.dir / "page") + "'").c_str()), 0);
    QImage img(QString::fromStdString(r.dir / "page-1.png"));
    ASSERT_FALSE(img.isNull());
    EXPECT_GT(InkRows(img, 50, 72), 3);
    EXPECT_GT(InkRows(img, 125, 140), 3);
    EXPECT_EQ(InkRows(img, 0, 45), 0);
}
