// The editor control: paragraph store, navigators, highlighting, streams and editing.
#pragma once

#include "CodeNavigator.h"
#include "Errors.h"
#include "Highlighting.h"
#include "ParagraphStore.h"
#include "Streams.h"
#include "Surface.h"
#include "CodePage.h"
#include "TextStore.h"
#include "UndoHistory.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quenvel {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TUpdateMode { umImmediate, umOnNeed, umBackground };
enum TBorderStyle { bsNone, bsSingle };
// How Undo works: Toggle keeps one change (consecutive insertions merged) and undoing it is
// itself a change, so a second Undo makes it again; Multi steps back through a history.
enum class TUndoMode { Toggle, Multi };
using TShiftState = uint8_t;
enum : uint8_t { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
enum TMouseButton { mbLeft, mbRight, mbMiddle };

// The key codes of KeyDown, as the window system's virtual keys number them.
enum class TKey : uint16_t {
    Backspace = 8,
    Tab = 9,
    Enter = 13,
    Shift = 16,
    Control = 17,
    Alt = 18,
    Escape = 27,
    Space = 32,
    PageUp = 33,
    PageDown = 34,
    End = 35,
    Home = 36,
    Left = 37,
    Up = 38,
    Right = 39,
    Down = 40,
    Insert = 45,
    Delete = 46,
    FirstCharacter = 48, // digits, letters, function keys: left for KeyPress
    F1 = 112,
    Unknown = 255,
};
constexpr uint16_t KeyCode(TKey k)
{
    return static_cast<uint16_t>(k);
}

// Resolves a system colour (0x80000000 + index) to its RGB value.
TColor ColorToRGB(TColor c);

// Plain-text clipboard, in the control's 8-bit code page.
class TClipboard
{
public:
    virtual ~TClipboard() = default;
    virtual bool HasText() = 0;
    virtual std::string GetText() = 0;
    virtual void SetText(const std::string &bytes) = 0;
};

// What the control asks of the window that shows it. The core runs without one.
class TMemoHost
{
public:
    virtual ~TMemoHost() = default;
    // The surface the control measures on (the window's).
    virtual TSurface &Canvas() = 0;
    virtual int ClientWidth() = 0;
    virtual int ClientHeight() = 0;
    virtual bool Focused() = 0;
    // Rows are counted from the top of the window.
    virtual void InvalidateAll() = 0;
    virtual void InvalidateRows(int firstRow, int lastRow) = 0;
    virtual void ScrollRows(int delta) = 0; // move the window contents down by delta rows
    virtual void ScrollRangesChanged() = 0;
    virtual void CaretChanged() = 0;
    // A deferred call of BackgroundStep on the window's thread, input processed first.
    virtual void PostBackgroundStep() = 0;
    virtual void ProcessMessages() = 0;
    virtual bool Terminating() { return false; }
    // Paints what is invalid now, before the next input.
    virtual void UpdateNow() {}
    // The control's code page changed: text is shown and exchanged in the new one.
    virtual void CodePageChanged() {}
};

class TCodeMemo : public TComponent
{
public:
    using TNotifyEvent = std::function<void(TCodeMemo *)>;
    using TParseEvent = std::function<void(TCodeMemo *, int32_t, int32_t)>;
    using TContextEvent = std::function<void(TCodeMemo *, int16_t, int32_t, int32_t)>;

    TCodeMemo();
    ~TCodeMemo() override;
    TCodeMemo(const TCodeMemo &) = delete;
    TCodeMemo &operator=(const TCodeMemo &) = delete;

    // ---- store ----
    TParagraphStore &Store() { return store_; }
    TPLL &Paragraphs() const { return store_.Paragraphs(); }
    TParagraphRec &Par(int32_t i) const { return store_.Par(i); }
    int32_t TextLength() const { return store_.TextLength(); }
    int32_t LineCount() const { return store_.LineCount(); }
    int32_t ParagraphCount() const { return store_.Count(); }
    int32_t ParagraphStart(int32_t i) const
    {
        (void)store_.Par(i);
        return store_.Start(i);
    }
    // Unchecked: where paragraph i begins, in positions and in display lines.
    int32_t ParStart(int32_t i) const { return store_.Start(i); }
    int32_t ParFirstLine(int32_t i) const { return store_.FirstLine(i); }
    // Copies n positions from nav's position into buf (n + 1 bytes), NUL-terminated.
    void CopyText(TCodeNavigator &nav, uint8_t *buf, int32_t n) { store_.CopyText(nav, buf, n); }
    // The paragraph's characters (marks removed); empty when out of range.
    std::string ParagraphText(int32_t i) const { return store_.ParagraphText(i); }
    std::string LineText(int32_t line);
    uint8_t CharAt(int32_t p);
    // New NUL-terminated text of positions [start, stop); empty when stop < start.
    std::string GetTextPart(int32_t start, int32_t stop);
    std::string Text(); // the whole text as GetTextPart(0, TextLength) gives it

    // ---- navigators ----
    const std::vector<TCodeNavigator *> &Navigators() const { return store_.Navigators(); }
    TCodeNavigator &TopNav() { return *topNav_; }
    TCodeNavigator &SelStartNav() { return *selStartNav_; }
    TCodeNavigator &SelStopNav() { return *selStopNav_; }
    TCodeNavigator &CaretNav() { return *caretNav_; }
    // Where a key or the mouse takes the caret, before the selection follows.
    TCodeNavigator &WorkNav() { return work_->move; }

    // ---- selection ----
    int32_t SelStart() const { return caretNav_->Pos(); }
    int32_t SelLength() const { return selLength_; }
    void SetSelStart(int32_t p);
    void SetSelLength(int32_t n);
    void SelectAll();
    std::string SelText();
    void SetSelText(const std::string &s) { SetSelTextBuf(s.c_str()); }
    // Copies min(|SelLength|, size - 1) positions and a NUL; returns the count.
    int32_t GetSelTextBuf(char *buffer, int32_t size);

    // ---- editing ----
    // Replaces the selection by a NUL-terminated text.
    void SetSelTextBuf(const char *text);
    void ClearSelection();

    // ---- undo ----
    // Toggle (the control's default) or Multi. Switching empties what was recorded.
    TUndoMode UndoMode() const { return undoMode_; }
    void SetUndoMode(TUndoMode mode);
    // Toggle: takes back the last change (a second Undo makes it again). Multi: takes back
    // the last step, restoring the exact bytes (style codes included) and the selection
    // the step began with, and brings the caret into view; nothing when CanUndo is false.
    void Undo();
    // Multi: makes the last step undone again, leaving the selection it left; nothing when
    // CanRedo is false, and always nothing in Toggle.
    void Redo();
    bool CanUndo() const { return undoMode_ == TUndoMode::Toggle ? undoText_ != nullptr : history_.CanUndo(); }
    bool CanRedo() const { return undoMode_ == TUndoMode::Multi && history_.CanRedo(); }
    // Multi: every change between the outermost Begin and End is one step (nests; a
    // TUndoGroup guard on UndoHistory() does the same). The next change after End starts
    // a new step. Harmless in Toggle.
    void BeginUndoGroup() { history_.BeginGroup(); }
    void EndUndoGroup() { history_.EndGroup(); }
    // The most steps Multi keeps (default 10000, at least 1); the oldest go first.
    void SetUndoLimit(size_t steps) { history_.SetLimit(steps); }
    size_t UndoLimit() const { return history_.Limit(); }
    // Forgets every change recorded (loading and Clear do it too); an unmodified text is
    // the saved one.
    void ResetUndo();
    // The history itself: its clock (typing pauses), its counts.
    TUndoHistory &UndoHistory() { return history_; }
    const TUndoHistory &UndoHistory() const { return history_; }
    void SetParagraphText(int32_t i, const std::string &s);
    void SetBold() { WrapSelection(scBold); }
    void SetItalic() { WrapSelection(scItalic); }
    void SetUnderline() { WrapSelection(scUnderline); }
    void SetHighlight() { WrapSelection(scHighlight); }
    void SetAltFont() { WrapSelection(scAltFont); }
    void ReApplyKeywords();
    // After the keyword list was replaced by one that finds the same runs and differs only
    // in colours: gives the runs already written their new colours, in place (no layout,
    // no parsing). False, with nothing promised, when the lists differ in more than that;
    // ReApplyKeywords then highlights everything again.
    bool RecolourKeywords(const TKeywordList &previous);
    // Selects the next occurrence of text after the caret (down) or the previous one before
    // it; wholeWord: only where neither end touches a letter, digit, '_', '$', '%', '&' or
    // a character of the upper half. False, nothing moved, when there is none.
    bool FindText(const std::string &text, bool down, bool matchCase, bool wholeWord = false);
    // Replaces every occurrence of `find` in the whole text by `replacement` (a CR or CR LF
    // in it breaks the line as Enter does); occurrences never run over a line break.
    // Multi: one undo step. Returns how many were replaced; leaves the caret where it was
    // (moved with the text before it), with no selection.
    int32_t ReplaceAll(const std::string &find, const std::string &replacement, bool matchCase, bool wholeWord);

    int32_t SelLine() { return caretNav_->DisplayLine(); }
    void SetSelLine(int32_t line);
    int32_t SelCol() { return caretNav_->Column(); }
    void SetSelCol(int32_t col);
    int32_t CaretPar() { return caretNav_->ParNb(); }
    uint8_t CaretStyle() { return caretNav_->EffectiveStyle(); }

    // ---- clipboard ----
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    TClipboard *Clipboard = nullptr;

    // ---- state ----
    bool Modified() const { return modified_; }
    // False marks the text as the saved one: in Multi, undoing or redoing back to it clears
    // Modified again and leaving it sets it.
    void SetModified(bool m);
    bool PackCodes = true;
    bool KeywordsActive = false;
    bool StartStopActive = false;

    // ---- published properties ----
    // Behaviour only: read by the key and mouse handling.
    bool ReadOnly = false;
    bool DisplayOnly = false;
    bool WantTabs = true;
    bool EnableHotKeys = true;
    bool ShowEndParSelected = true;
    bool PassOverCodes = true;
    bool TabStop = true;
    TScrollStyle ScrollBars = ssNone;
    TBorderStyle BorderStyle = bsSingle;
    int CaretWidth = 1;
    // How bytes show as characters, are typed and reach the clipboard.
    // The code page text is shown and exchanged in; set it with SetCodePage, which tells
    // the host and measures the text again.
    TCodePage CodePage = cpWindows1252;
    void SetCodePage(TCodePage cp);

    // Appearance and layout: assigning them lays out or repaints as needed.
    const TFontDesc &Font() const { return font_; }
    void SetFont(const TFontDesc &f);
    const TFontDesc &AltFont() const { return altFont_; }
    void SetAltFont(const TFontDesc &f);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    TColor HighlightColor() const { return highlightColor_; }
    void SetHighlightColor(TColor c);
    TColor HighlightBackgnd() const { return highlightBackgnd_; }
    void SetHighlightBackgnd(TColor c);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool on);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    bool Justified() const { return justified_; }
    void SetJustified(bool on);
    TUpdateMode UpdateMode() const { return updateMode_; }
    void SetUpdateMode(TUpdateMode m);
    int LeftMargin() const { return leftMargin_; }
    void SetLeftMargin(int v);
    int RightMargin() const { return rightMargin_; }
    void SetRightMargin(int v);
    int TabStops() const { return tabStops_; }
    void SetTabStops(int v);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool on);
    // A gutter left of the text showing each file line's number on its first display line,
    // the caret's in bold; clicking it selects whole lines. Off by default.
    bool LineNumbers() const { return lineNumbers_; }
    void SetLineNumbers(bool on);
    // The gutter's width on the window (0 without it): the text starts right of it, and
    // scrolling sideways moves the text only.
    int GutterWidth() const { return gutterW_; }

    // ---- tables ----
    TKeywordList &Keywords() { return *keywords_; }
    // Points the control at a table owned elsewhere (nullptr: back to its own).
    void SetKeywords(TKeywordList *list);
    TStartStopKeyList &StartStopKeys() { return *startStopKeys_; }

    // ---- streams ----
    // `input`: the block a memory stream reads, when the control may keep it; the text
    // then points into it where it can instead of being copied.
    void LoadFromStream(TStream &stream, std::shared_ptr<uint8_t[]> input = {});
    void SaveToStream(TStream &stream);
    void SaveToRTFStream(TStream &stream);
    void SetTextBuf(const char *text);
    void Clear();

    // ---- highlighting ----
    void ApplyDynStyle(TCodeNavigator &first, TCodeNavigator &last, bool dynamic, TDynStyle style);
    void ParseKeywords(TCodeNavigator &first, TCodeNavigator &last);
    void ParseStartStop(TCodeNavigator &first, TCodeNavigator &last);
    // Runs the keyword pass over every paragraph not yet parsed (what laying out all does).
    void ParseAllKeywords();
    // Writes the highlighting of a paragraph that was never parsed in one pass, with the
    // same result as the passes; off, the passes do all the work.
    bool BulkParse = true;
    // The highlighting of one paragraph brought up to date: its regions, and its keywords
    // when asked and active.
    void EnsureParsed(int32_t par, bool keywords);
    // The keyword pass over positions [lo, hi) of one paragraph; true when it applied a run.
    bool ParseParagraphKeywords(int32_t par, int32_t lo, int32_t hi);

    // ---- events ----
    TNotifyEvent OnChange, OnSelMove, OnStyleChange, OnVScroll, OnProgress;
    TParseEvent OnParse;
    TContextEvent OnContext;

    // Milliseconds tick used for the progress reports; replaceable for tests.
    std::function<uint32_t()> TickCount;

    TMemoHost *Host() const { return host_; }
    // Attaches the window that shows the control (nullptr: none); lays the text out for it.
    void SetHost(TMemoHost *host);

    // ---- layout ----
    int LineHeight() const { return autoLineHeight_ ? 0 : lineHeight_; }
    int RowHeight() const { return lineHeight_; }
    void SetLineHeight(int h);
    int BaselineOffset() const { return baseline_; }
    int VisibleLines() const { return visibleLines_; }
    int SpaceWidth() const { return spaceWidth_; }
    int32_t WidestLine() const { return widest_; }
    int HOffset() const { return hOffset_; }
    void SetHOffset(int x);
    int32_t TopLine() { return topNav_->DisplayLine(); }
    void SetTopLine(int32_t line);
    int Progress() const { return progress_; }
    bool Formatting() const { return formatting_; }
    int AvailableWidth(int width) const;
    // Re-breaks a paragraph from one of its lines; returns the number of its last display line.
    int32_t FormatParagraph(int32_t par, int32_t fromLine, TSurface &canvas, int width, bool selectFont);
    // Whether a paragraph's one laid-out line (the text's `end` bytes) reads the same as the
    // line a paragraph without line records has.
    bool IsPlainLine(const TLineRec &line, int32_t end) const;
    void FormatRange(int32_t first, int32_t last);
    void ReformatAll();
    void BackgroundStep();
    int XAtColumn(int32_t par, int32_t line, int32_t column);
    int32_t ColumnAtX(int32_t par, int32_t line, bool exact, int x);
    // x of a display line's start on a window of that width, before horizontal scrolling.
    int LineOrigin(const TLineRec &rec, int clientW, bool stretched) const;
    int LineToY(int32_t row) const { return row * lineHeight_; }
    int32_t YToLine(int y) const { return lineHeight_ > 0 ? y / lineHeight_ : 0; }
    // Style bits that paint a character, and the font for them.
    uint8_t EffectiveBits(uint16_t running, const TDynStyle &dyn) const;
    void SelectStyleFont(TSurface &canvas, uint8_t effective);
    // The widths of the bytes 128 to 255 in the text's font and styles (and the second
    // font's, when the text uses it).
    std::vector<int> UpperHalfWidths(bool altFontUsed);
    // The widths of the bytes in an effective style's font on the canvas, kept per style
    // while the canvas and the fonts stay the same; null when the canvas does not measure a
    // text as the sum of its bytes. Selects fonts on the canvas when it has to ask it.
    const int *StyleByteWidths(TSurface &canvas, uint8_t effective);
    // Keeps the window's view in step after a resize.
    void Resized(int oldClientWidth);

    // ---- keyboard and mouse ----
    void KeyDown(uint16_t &key, TShiftState shift);
    void KeyPress(char &ch, bool autoRepeat = false);
    void KeyUp(uint16_t &key, TShiftState shift);
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void MouseMove(TShiftState shift, int x, int y);
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    void DblClick();
    void FocusChanged(bool focused);
    // One period of the drag auto-scroll (the window calls it from a timer).
    void AutoScrollTick();
    std::function<void(TCodeMemo *, uint16_t &, TShiftState)> OnKeyDown, OnKeyUp;
    std::function<void(TCodeMemo *, char &)> OnKeyPress;
    std::function<void(TCodeMemo *, TMouseButton, TShiftState, int, int)> OnMouseDown, OnMouseUp;
    std::function<void(TCodeMemo *, TShiftState, int, int)> OnMouseMove;
    TNotifyEvent OnDblClick;
    // The control received or lost the keyboard focus.
    TNotifyEvent OnEnter, OnExit;
    // Starts (period in ms) or stops (0) the auto-scroll timer; shows a cursor (0: the control's own).
    std::function<void(int)> OnAutoScroll;
    std::function<void(int)> OnCursor;
    int32_t HoverPos() const { return hoverNav_ ? hoverNav_->Pos() : 0; }

    // ---- caret ----
    int CaretX() const { return caretX_; }
    int CaretY() const { return caretY_; }
    void UpdateCaret();
    void ScrollInView();

    // ---- painting ----
    // Paints window rows [firstRow, lastRow] (counted from the top of the window), each
    // across the whole client width. Returns the y below the last row painted; rows from
    // there on (past the text's end) are left to the caller, as is everything when it
    // returns -1.
    int PaintRows(TSurface &canvas, int firstRow, int lastRow);
    // Lays the text out for printing `width` pixels wide on a canvas (nullptr: back to the
    // window). With `wrap`, a line wider than that continues on lines of its own, indented
    // by four spaces, whatever the window's word wrap.
    void SetPrintLayout(TSurface *canvas, int width, bool wrap = false);
    void PrintParagraph(int32_t line, TSurface &canvas, int x, int y);
    // The height of a line as PrintParagraph lays it out on a canvas.
    int PrintLineHeight(TSurface &canvas);
    // Lines whose rows must be repainted (display lines).
    void InvalidateLines(int32_t first, int32_t last);

    // Checks the store's invariants; returns an empty string when all hold.
    std::string CheckInvariants() const { return store_.CheckInvariants(); }

protected:
    virtual void Change();
    // After a load: the window lays out and repaints.
    virtual void LoadFinished();
    // Paragraphs whose display must be redrawn.
    virtual void ChangedRange(int32_t firstPar, int32_t lastPar);
    // What assigning layout and appearance properties does.
    virtual void LayoutChanged();
    virtual void FontChanged();
    virtual void AltFontChanged();
    virtual void AppearanceChanged(bool alignmentOnly);
    virtual void UpdateModeChanged();

private:
    void ClearStore();
    // Empties the control for a load from the stream (a memory stream over `input` or not).
    void StartLoading(TStream &stream, const TProtMemStream *inMemory, std::shared_ptr<uint8_t[]> input);
    void ReportProgress();
    // After the whole text was loaded or stripped of its highlighting.
    void WholeTextReplaced(bool regionsLazy);

    // first: the navigators below register with it, and it outlives them
    TParagraphStore store_;
    bool modified_ = false;
    int32_t selLength_ = 0;
    TCodeNavigator *topNav_ = nullptr;
    TCodeNavigator *selStartNav_ = nullptr;
    TCodeNavigator *selStopNav_ = nullptr;
    TCodeNavigator *caretNav_ = nullptr;
    // The control's scratch positions, one for each use, so that no two uses share one.
    struct TWorkNavigators {
        explicit TWorkNavigators(TCodeMemo *memo);
        TCodeNavigator move;                   // where a key or the mouse takes the caret
        TCodeNavigator paint;                  // the display line being painted
        TCodeNavigator editFrom, editTo;       // the paragraphs highlighted anew after an edit
        TCodeNavigator regionsFrom, regionsTo; // a paragraph whose regions are found late
        TCodeNavigator occStart, occStop;      // a keyword occurrence being applied
        TCodeNavigator apply;                  // the walk over the marks a run replaces
        TCodeNavigator scan, temp;             // the start/stop pass: its scan, and a probe
        TCodeNavigator regionStart, regionStop; // the start/stop pass: the region found
    };
    std::unique_ptr<TWorkNavigators> work_;
    std::unique_ptr<TKeywordList> ownKeywords_;
    TKeywordList *keywords_ = nullptr;
    std::unique_ptr<TStartStopKeyList> startStopKeys_;
    TMemoHost *host_ = nullptr;
    uint32_t lastProgress_ = 0;
    uint32_t progressCalls_ = 0;

    bool compensate_ = true;
    bool noScroll_ = false;
    bool MarksIn(int32_t p0, int32_t p1) const;
    bool RegionsStayInParagraph() const;
    void EnsureRegions(int32_t par);
    bool EditTouchesRegionKeys(const TDynStyle &region, int32_t open, int32_t close, int32_t s, int32_t end);
    // The steps of replacing the selection, in the order SetSelTextBuf takes them.
    struct TReplacement;
    void NormaliseSelection();
    void NoteRemoved(TReplacement &r);
    void CutAtParagraphLimit(TReplacement &r);
    void AddCompensation(TReplacement &r);
    void RecordUndo(const TReplacement &r);
    std::vector<TParagraphRec> BuildRecords(const TReplacement &r);
    void KeepFormatterRange(const TReplacement &r, int32_t dk);
    // Returns the paragraphs highlighted anew.
    std::pair<int32_t, int32_t> RehighlightAfterEdit(const TReplacement &r, int32_t d);
    void RunPassesAfterEdit(int32_t p0, int32_t p1, int32_t s, int32_t end);
    void PlaceCaretAfterEdit(int32_t end);
    void RelayoutAfterEdit(int32_t firstPar, int32_t lastPar, int32_t linesBefore, int32_t topLineBefore,
                           bool topCollapses);
    void WrapSelection(uint8_t code);

    TFontDesc font_{"MS Sans Serif", 8, 0, clBlack, 0};
    TFontDesc altFont_{"MS Sans Serif", 8, 0, clBlack, 0};
    struct TWidthCache {
        uint64_t surface = 0; // the identity of the surface measured; 0: nothing kept
        bool additive = true; // the surface gave a table, and it agreed with TextWidth
        bool known[64] = {};
        int widths[64][256];
    };
    std::unique_ptr<TWidthCache> widthCache_;
    TColor color_ = clSystemWindow;
    TColor highlightColor_ = clRed;
    TColor highlightBackgnd_ = clSystemWindow;
    bool hideSelection_ = true;
    TAlignment alignment_ = taLeftJustify;
    bool justified_ = false;
    TUpdateMode updateMode_ = umImmediate;
    int leftMargin_ = 8;
    int rightMargin_ = 8;
    int tabStops_ = 8;
    bool wordWrap_ = true;
    bool lineNumbers_ = false;
    int gutterW_ = 0;
    int gutterDigitW_ = 0;
    int32_t gutterCaretPar_ = -1; // the paragraph whose number was last painted emphasised
    // Measures the gutter for the paragraph count; true when its width changed.
    bool MeasureGutter();
    // After the paragraph count changed: lays out and repaints all when the gutter widened
    // or narrowed.
    void GutterFollowsCount();
    // The width the text is laid out in on the window: the client's less the gutter.
    int TextAreaWidth() { return host_->ClientWidth() - gutterW_; }
    // The gutter of window rows [firstRow, lastRow], painted after their text; the rows
    // that start a paragraph are in gutterRows_.
    void PaintGutter(TSurface &canvas, int firstRow, int lastRow);
    std::vector<std::pair<int, int32_t>> gutterRows_; // (window row, paragraph)
    // Selects whole paragraphs from `anchor` to `to`, the caret at the end toward `to`.
    void SelectParagraphs(int32_t anchor, int32_t to);
    // the numbers being painted, and where they go
    std::vector<uint8_t> gutterDigits_;
    std::vector<TSurface::TTextAt> gutterTexts_;
    bool gutterPress_ = false; // the button went down in the gutter: dragging selects lines
    int32_t gutterAnchor_ = 0;

    // layout state
    int lineHeight_ = 12;
    bool autoLineHeight_ = true;
    int baseline_ = 9;
    int visibleLines_ = 0;
    int spaceWidth_ = 1;
    int32_t widest_ = 0;
    int hOffset_ = 0;
    // the lines a paragraph is broken into, before they are stored (layout never re-enters)
    std::vector<TLineRec> layoutLines_;
    int32_t nextToFormat_ = 0;
    int32_t lastToFormat_ = -1;
    bool backgroundRunning_ = false;
    int32_t progressBase_ = 0;
    int progress_ = -1;
    uint32_t lastFormatProgress_ = 0;
    bool formatting_ = false;
    bool paintRefused_ = false; // a repaint came while laying out: the window is painted again after
    uint32_t linesMoved_ = 0;   // counts layouts that added or removed lines
    void FormattingDone();
    TSurface *printTarget_ = nullptr;
    int printWidth_ = 0;
    int printX_ = 0, printY_ = 0;
    int printIndent_ = -1; // continuation lines' indent when printing wraps; -1: no wrapping
    void FontChangeSteps(bool reformat);
    void FormatOne(int32_t p, TSurface &canvas, int width, int32_t &delta);
    void FinishFormat(int32_t first, int32_t last, int32_t delta, int32_t oldWidest);
    void ClampTopLine();
    void PaintLine(TSurface &canvas, int32_t row, int y, bool print);
    struct TLinePaint;
    void PaintLineText(TLinePaint &lp);
    // Draws the characters from byte o on; returns where they end.
    int32_t PaintRun(TLinePaint &lp, int32_t o, TColor fore, TColor back);
    void PaintPageBreak(TLinePaint &lp, TColor fore, TColor back);
    void PaintSelection(TLinePaint &lp);
    // The colours a run draws in: its own, the highlight's or the font's (back -1: none).
    void RunColours(const TDynStyle &dyn, uint8_t eff, TColor &fore, TColor &back) const;
    // Lays out the paragraphs an edit changed and repaints what moved; linesBefore is the
    // display-line count before the edit.
    void ReformatAfterEdit(int32_t firstPar, int32_t lastPar, int32_t linesBefore);
    void ApplyMove(TCodeNavigator &to, TShiftState shift, int32_t oldPos, int32_t oldLine);
    // The keys of KeyDown, each true when it acted.
    bool ScrollKey(TKey key, bool ctrl);
    bool HotKey(uint16_t letter);
    bool EditingKey(TKey key, TShiftState shift);
    void KeyDownAgain(TKey key, TShiftState shift);
    // The moves that keep x or go by lines: the move navigator set to where the caret goes.
    void GotoPageUp(TCodeNavigator &to, int x);
    void GotoPageDown(TCodeNavigator &to, int x);
    void GotoLineEnd(TCodeNavigator &to, bool ctrl);
    void GotoLineStart(TCodeNavigator &to, bool ctrl);
    bool GotoLineUp(TCodeNavigator &to, int x, TKey key, TShiftState shift);
    bool GotoLineDown(TCodeNavigator &to, int x);
    void DeleteBackward();
    void DeleteForward(TShiftState shift);
    void KeepX(TCodeNavigator &nav, int x);
    std::unique_ptr<TCodeNavigator> hoverNav_;
    bool keyReleased_ = false;
    bool buttonDown_ = false, doubleClick_ = false, autoScrolling_ = false, autoUp_ = false;
    int autoSpeed_ = 0;
    int32_t pressPos_ = 0;
    bool cursorOverridden_ = false;
    int caretX_ = 0;
    int caretY_ = 0;
    int32_t lastReportedPos_ = -1, lastReportedLine_ = -1, lastReportedColumn_ = -1;
    int lastReportedStyle_ = -1;

    // undo record of the toggle mode
    std::unique_ptr<std::string> undoText_;
    int32_t undoStart_ = 0;
    int32_t undoStop_ = 0;
    // the history of the multi mode
    TUndoMode undoMode_ = TUndoMode::Toggle;
    TUndoHistory history_;
    bool replaying_ = false;                             // Undo or Redo is making its changes
    TUndoHistory::TKind editKind_ = TUndoHistory::ukOther; // what the next change is, for grouping
    int bulkDepth_ = 0;          // many changes in a row: listeners hear once at the end
    bool changePending_ = false; // a change was made while bulkDepth_ > 0
    void ApplyStep(const TUndoStep &step, bool undo);
    void SelectRange(int32_t caret, int32_t length);
    struct TSearchText;
    void EndBulk();
    // Selection moves made by the person end a run of typing.
    void BreakTyping()
    {
        if (!replaying_ && !keepRun_)
            history_.Break();
    }
    // Backspace and Delete select what they take away without ending a run of them.
    bool keepRun_ = false;
    // Takes away the selection made by Backspace or Delete, as one of a run of them.
    void DeleteSelectedByKey(int32_t length, TUndoHistory::TKind kind);

    // scratch buffers of the keyword pass
    std::vector<uint8_t> plainBuf_, matchBuf_, upperBuf_;
    struct TKeywordMatcher;
    struct TKeywordOcc {
        int kw;
        int32_t off;
        int32_t len;
    };
    // Accepted keyword occurrences in [lo, hi) of a paragraph (widened by the longest
    // keyword); plain and match are indexed by paragraph offset and hold [cFrom, cTo).
    void KeywordOccurrences(const uint8_t *plain, uint8_t *match, int32_t cFrom, int32_t cTo, int32_t len,
                            int32_t lo, int32_t hi, std::vector<TKeywordOcc> &occ);
    std::unique_ptr<TKeywordMatcher> matcher_;
    // The highlighting of a paragraph never parsed, written in one pass.
    bool ParseFresh(int32_t par, bool keywords);
    struct TFreshRun {
        int32_t a, b;
        TDynStyle open;
    };
    struct TRunMerge;
    void CopyForMatching(const uint8_t *t, int32_t len, bool &copied);
    void FindFreshRegions(const uint8_t *t, int32_t len, bool &copied);
    void WriteFreshRuns(TParagraphRec &par, size_t count, const TKeywordMatcher *matcher);
    // scratch lists of the one-pass highlighting (it never re-enters itself)
    std::vector<TFreshRun> freshRuns_;
    std::vector<TKeywordOcc> freshOcc_;
    TKeywordMatcher &Matcher();
    void ClearLineDynStyles(TCodeNavigator &from, TCodeNavigator &to);
    // Text as the start/stop keys compare it: upper-cased unless they match case.
    std::string FoldedForKeys(std::string s) const;
    // Where a region of pair k ends that opens in paragraph pi, whose folded text is `text`,
    // its stop key looked for from offset `from` on: a position.
    int64_t RegionEnd(int k, const std::string &stop, const std::string &text, int32_t pi, int32_t from);
    // Removes an older region that a new one ending at `end` runs into; lastPos grows to
    // take in what must be scanned again.
    void RemoveRegionRunInto(int32_t pi, int32_t len, int64_t end, int32_t &lastPos);
};

} // namespace quenvel
