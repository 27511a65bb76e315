#include "CodeMemo.h"
#include "KeywordMatcher.h"

#include <algorithm>
#include <cstring>

namespace quenvel {

TColor ColorToRGB(TColor c)
{
    if ((static_cast<uint32_t>(c) & 0xFF000000u) != 0x80000000u)
        return c & 0xFFFFFF;
    switch (c & 0xFF) {
    case 5:  // window
    case 14: // highlight text
        return 0xFFFFFF;
    case 8:  // window text
    case 7:  // menu text
    case 18: // button text
        return 0x000000;
    case 13: // highlight
        return 0xD77800;
    case 15: // button face
    case 4:  // menu
        return 0xF0F0F0;
    case 16: // button shadow
        return 0xA0A0A0;
    case 17: // grey text
        return 0x6D6D6D;
    default:
        return 0xFFFFFF;
    }
}

TCodeMemo::TWorkNavigators::TWorkNavigators(TCodeMemo *memo)
    : move(memo), paint(memo), editFrom(memo), editTo(memo), regionsFrom(memo), regionsTo(memo), occStart(memo),
      occStop(memo), apply(memo), scan(memo), temp(memo), regionStart(memo), regionStop(memo)
{
}

TCodeMemo::TCodeMemo()
{
    topNav_ = new TCodeNavigator(this);
    selStartNav_ = new TCodeNavigator(this);
    selStopNav_ = new TCodeNavigator(this);
    work_ = std::make_unique<TWorkNavigators>(this);
    caretNav_ = selStartNav_;
    ownKeywords_ = std::make_unique<TKeywordList>();
    keywords_ = ownKeywords_.get();
    startStopKeys_ = std::make_unique<TStartStopKeyList>();
    TickCount = [] {
        using namespace std::chrono;
        return static_cast<uint32_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    };
    history_.Clock = [this] { return TickCount ? TickCount() : 0u; };
}

TCodeMemo::~TCodeMemo()
{
    hoverNav_.reset();
    // Only the control's own navigators are freed here; those that belong to others
    // (a pane that keeps positions of its own) are let go, to be freed by their owners.
    delete topNav_;
    delete selStartNav_;
    delete selStopNav_;
    work_.reset();
    // the store lets go of the navigators others own
}

void TCodeMemo::ClearStore()
{
    store_.Clear();
    ResetUndo();
}

void TCodeMemo::ResetUndo()
{
    history_.Clear();
    if (!modified_)
        history_.MarkSaved();
    undoText_.reset();
    undoStart_ = 0;
    undoStop_ = 0;
}

void TCodeMemo::ReportProgress()
{
    // the clock is read every 64 paragraphs: reports stay at least 500 ms apart
    if (!OnProgress || (++progressCalls_ & 63) != 0)
        return;
    uint32_t now = TickCount();
    if (now - lastProgress_ >= 500) {
        lastProgress_ = now;
        if (OnProgress)
            OnProgress(this);
    }
}

void TCodeMemo::Change()
{
    if (OnChange)
        OnChange(this);
}

std::string TCodeMemo::GetTextPart(int32_t start, int32_t stop)
{
    start = std::max(start, 0);
    stop = std::min(stop, TextLength());
    if (stop < start)
        return std::string();
    TCodeNavigator nav(this);
    nav.SetPos(start);
    std::string s;
    s.resize(static_cast<size_t>(stop - start) + 1);
    CopyText(nav, reinterpret_cast<uint8_t *>(s.data()), stop - start);
    s.resize(static_cast<size_t>(stop - start));
    return s;
}

std::string TCodeMemo::Text()
{
    return GetTextPart(0, TextLength());
}

uint8_t TCodeMemo::CharAt(int32_t p)
{
    p = std::clamp(p, 0, TextLength());
    TCodeNavigator nav(this);
    nav.SetPos(p);
    return nav.CharAt();
}

std::string TCodeMemo::LineText(int32_t line)
{
    if (line < 0 || line >= LineCount())
        return std::string();
    TCodeNavigator nav(this);
    nav.SetDisplayLine(line);
    const TParagraphRec &par = *nav.Par();
    const TLineRec &rec = par.Lines().At(nav.LineInPar());
    std::string s;
    for (int32_t o = rec.StartByte; o < rec.EndByte;) {
        if (par.Text[o] == scMark) {
            o += kMarkSize;
        } else {
            s.push_back(static_cast<char>(par.Text[o++]));
        }
    }
    return s;
}

} // namespace quenvel
