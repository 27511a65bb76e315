// Printing a listing: the whole document, a header with its path and the page number on
// every page.
#pragma once

#include <functional>
#include <string>
#include <vector>

class QPaintDevice;

namespace quenvel {

class TCodeMemo;

// Where the lines went, for those who check the layout.
struct TPrintReport {
    int Pages = 0;
    int HeaderTop = 0, Left = 0, FirstTop = 0, Advance = 0, PageEnd = 0;
    std::vector<std::pair<int, int>> LineTops; // (page, top) of each display line
};

// Lays the document out on the pages of `device` (its own resolution and page size):
// the text one inch narrower on each side than the page, starting 1.25 inch from the left
// and the top, the header (`header`, in Courier New 12 pt) half an inch from the top, a line
// every 1.5 line heights, a new page once the next top passes half an inch above the page's
// end. A line wider than the text continues on lines of its own, indented by four spaces;
// each header ends with "Page N of M" at the text's right edge. `newPage` starts the next
// page of the same job. The selection is kept. A device that
// cannot be painted on, or a page that cannot be started, throws `failure`.
TPrintReport PrintDocument(TCodeMemo &memo, QPaintDevice &device, const std::function<bool()> &newPage,
                           const std::string &header, const std::string &failure);

} // namespace quenvel
