// The editor control: paragraph store, navigators, highlighting, streams and editing.
#pragma once

#include "CodeNavigator.h"
#include "DynArray.h"
#include "Highlighting.h"
#include "Streams.h"
#include "TextStore.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quenvel {

struct TFontDesc {
    std::string Name = "MS Sans Serif";
    int Size = 8;      // points
    uint8_t Style = 0; // fsBold | fsItalic | fsUnderline | fsStrikeOut
    TColor Color = clBlack;
    int Pitch = 0; // 0 default, 1 fixed, 2 variable
};

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TUpdateMode { umImmediate, umOnNeed, umBackground };
enum TBorderStyle { bsNone, bsSingle };

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
    TPLL &Paragraphs() const { return *paragraphs_; }
    TParagraphRec &Par(int32_t i) const { return (*paragraphs_)[i]; }
    int32_t TextLength() const { return textLength_; }
    int32_t LineCount() const { return lineCount_; }
    int32_t ParagraphCount() const { return paragraphs_->Count(); }
    int32_t ParagraphStart(int32_t i) const;
    // Copies n positions from nav's position into buf (n + 1 bytes), NUL-terminated.
    void CopyText(TCodeNavigator &nav, uint8_t *buf, int32_t n);
    // The paragraph's characters (marks removed); nullopt-like empty when out of range.
    std::string ParagraphText(int32_t i) const;
    std::string LineText(int32_t line);
    uint8_t CharAt(int32_t p);
    // New NUL-terminated text of positions [start, stop); empty when stop < start.
    std::string GetTextPart(int32_t start, int32_t stop);
    std::string Text(); // the whole text as GetTextPart(0, TextLength) gives it

    // ---- navigators ----
    const std::vector<TCodeNavigator *> &Navigators() const { return navigators_; }
    TCodeNavigator &TopNav() { return *topNav_; }
    TCodeNavigator &SelStartNav() { return *selStartNav_; }
    TCodeNavigator &SelStopNav() { return *selStopNav_; }
    TCodeNavigator &CaretNav() { return *caretNav_; }
    TCodeNavigator &WorkNav(int i) { return *work_[i]; }

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
    void Undo();
    bool CanUndo() const { return undoText_ != nullptr; }
    void SetParagraphText(int32_t i, const std::string &s);
    void SetBold() { WrapSelection(scBold); }
    void SetItalic() { WrapSelection(scItalic); }
    void SetUnderline() { WrapSelection(scUnderline); }
    void SetHighlight() { WrapSelection(scHighlight); }
    void SetAltFont() { WrapSelection(scAltFont); }
    void ReApplyKeywords();
    bool FindText(const std::string &text, bool down, bool matchCase);

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
    void SetModified(bool m) { modified_ = m; }
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

    // ---- tables ----
    TKeywordList &Keywords() { return *keywords_; }
    // Points the control at a table owned elsewhere (nullptr: back to its own).
    void SetKeywords(TKeywordList *list) { keywords_ = list ? list : ownKeywords_.get(); }
    TStartStopKeyList &StartStopKeys() { return *startStopKeys_; }

    // ---- streams ----
    void LoadFromStream(TStream &stream);
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
    // The keyword pass over positions [lo, hi) of one paragraph; true when it applied a run.
    bool ParseParagraphKeywords(int32_t par, int32_t lo, int32_t hi);

    // ---- events ----
    TNotifyEvent OnChange, OnSelMove, OnStyleChange, OnVScroll, OnProgress;
    TParseEvent OnParse;
    TContextEvent OnContext;

    // Milliseconds tick used for the progress reports; replaceable for tests.
    std::function<uint32_t()> TickCount;

    TMemoHost *Host() const { return host_; }

    // Checks the store's invariants; returns an empty string when all hold.
    std::string CheckInvariants();

protected:
    virtual void Change();
    // After a load: the window lays out and repaints.
    virtual void LoadFinished() {}
    // Paragraphs whose display must be redrawn.
    virtual void ChangedRange(int32_t firstPar, int32_t lastPar) { (void)firstPar; (void)lastPar; }
    // What the window does when layout or appearance properties change.
    virtual void LayoutChanged() {}
    virtual void FontChanged() {}
    virtual void AltFontChanged() {}
    virtual void AppearanceChanged(bool alignmentOnly) { (void)alignmentOnly; }
    virtual void UpdateModeChanged() {}

private:
    friend class TCodeNavigator;
    void CreateStore();
    void ClearStore();
    void FreeParagraph(TParagraphRec &p);
    void RegisterNavigator(TCodeNavigator *n) { navigators_.push_back(n); }
    void UnregisterNavigator(TCodeNavigator *n);
    void InvalidateAllNavigators(int32_t pos);
    void Progress();
    void ResetUndo();

    TPLL *paragraphs_ = nullptr;
    int32_t textLength_ = 0;
    int32_t lineCount_ = 0;
    bool modified_ = false;
    int32_t selLength_ = 0;
    std::vector<TCodeNavigator *> navigators_;
    TCodeNavigator *topNav_ = nullptr;
    TCodeNavigator *selStartNav_ = nullptr;
    TCodeNavigator *selStopNav_ = nullptr;
    TCodeNavigator *caretNav_ = nullptr;
    TCodeNavigator *work_[9] = {};
    std::unique_ptr<TKeywordList> ownKeywords_;
    TKeywordList *keywords_ = nullptr;
    std::unique_ptr<TStartStopKeyList> startStopKeys_;
    TMemoHost *host_ = nullptr;
    uint32_t lastProgress_ = 0;

    bool compensate_ = true;
    bool noScroll_ = false;
    // Removes the highlighting of paragraphs [p0, p1] so the passes can write it anew.
    void StripHighlighting(int32_t p0, int32_t p1);
    bool MarksIn(int32_t p0, int32_t p1) const;
    bool EditTouchesRegionKeys(const TDynStyle &region, int32_t open, int32_t close, int32_t s, int32_t end);
    void WrapSelection(uint8_t code);

    TFontDesc font_{"MS Sans Serif", 8, 0, clBlack, 0};
    TFontDesc altFont_{"MS Sans Serif", 8, 0, clBlack, 0};
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

    // undo record
    std::unique_ptr<std::string> undoText_;
    int32_t undoStart_ = 0;
    int32_t undoStop_ = 0;

    // scratch buffers of the keyword pass
    std::vector<uint8_t> plainBuf_, matchBuf_, upperBuf_;
    struct TKeywordMatcher;
    std::unique_ptr<TKeywordMatcher> matcher_;
    TKeywordMatcher &Matcher();
    void ClearLineDynStyles(TCodeNavigator &from, TCodeNavigator &to);
};

} // namespace quenvel
