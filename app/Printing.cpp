#include "Printing.h"

#include "app/QtDocumentUi.h"
#include "editor/CodeMemo.h"
#include "editor/Errors.h"
#include "platform/QtSurface.h"

#include <QPainter>
#include <QPaintDevice>

#include <cmath>

namespace quenvel {

namespace {

// A length of `inches` at `ppi`, rounded to the nearest pixel, halves to even.
int Inches(double inches, int ppi)
{
    return static_cast<int>(std::lrint(inches * ppi));
}

// Puts the editor back as it was before printing, however printing ends.
class TPrintRestore
{
public:
    TPrintRestore(TCodeMemo &memo, TQtSurface &canvas, QPainter &painter)
        : memo_(memo), canvas_(canvas), painter_(painter), selStart_(memo.SelStart()), selLength_(memo.SelLength())
    {
    }
    ~TPrintRestore()
    {
        canvas_.End();
        painter_.end();
        memo_.SetPrintLayout(nullptr, 0);
        memo_.SetSelStart(selStart_);
        memo_.SetSelLength(selLength_);
    }
    TPrintRestore(const TPrintRestore &) = delete;
    TPrintRestore &operator=(const TPrintRestore &) = delete;

private:
    TCodeMemo &memo_;
    TQtSurface &canvas_;
    QPainter &painter_;
    int32_t selStart_, selLength_;
};

} // namespace

TPrintReport PrintDocument(TCodeMemo &memo, QPaintDevice &device, const std::function<bool()> &newPage,
                           const std::string &header, const std::string &failure)
{
    TPrintReport r;
    QPainter painter;
    if (!painter.begin(&device))
        throw EQuenvelError(failure);
    TQtSurface canvas(memo.CodePage, device.logicalDpiY());
    TPrintRestore restore(memo, canvas, painter);
    memo.SetSelLength(0); // nothing prints as selected
    const int ppiX = device.logicalDpiX(), ppiY = device.logicalDpiY();
    const int pageW = device.width(), pageH = device.height();
    canvas.Begin(&painter);
    r.Left = Inches(1.25, ppiX);
    r.HeaderTop = Inches(0.5, ppiY);
    r.FirstTop = Inches(1.25, ppiY);
    r.PageEnd = pageH - Inches(0.5, ppiY);
    const TFontDesc headerFont{"COURIER NEW", 12, 0, clBlack, 0};
    const QString headerText = FromLocal(header);
    const int textW = pageW - 2 * ppiX;
    memo.SetPrintLayout(&canvas, textW, true);
    const int32_t lines = memo.LineCount();
    r.Advance = static_cast<int>(std::lrint(1.5 * memo.PrintLineHeight(canvas)));
    // the pages, counted before any is printed: each header says how many there are
    int pageCount = 1;
    for (int32_t i = 0, top = r.FirstTop; i < lines; ++i) {
        top += r.Advance;
        if (top > r.PageEnd && i + 1 < lines) {
            ++pageCount;
            top = r.FirstTop;
        }
    }
    int top = 0;
    r.Pages = 1;
    for (int32_t i = 0; i < lines; ++i) {
        if (top == 0) {
            canvas.SelectFont(headerFont, 0);
            const TTextMetrics m = canvas.Metrics();
            painter.setPen(Qt::black);
            painter.drawText(r.Left, r.HeaderTop + m.Ascent, headerText);
            const QString count = QStringLiteral("Page %1 of %2").arg(r.Pages).arg(pageCount);
            painter.drawText(r.Left + textW - painter.fontMetrics().horizontalAdvance(count), r.HeaderTop + m.Ascent,
                             count);
            top = r.FirstTop;
        }
        memo.PrintParagraph(i, canvas, r.Left, top);
        r.LineTops.emplace_back(r.Pages, top);
        top += r.Advance;
        if (top > r.PageEnd) {
            top = 0;
            if (i + 1 < lines) {
                if (!newPage())
                    throw EQuenvelError(failure);
                ++r.Pages;
            }
        }
    }
    return r;
}

} // namespace quenvel
