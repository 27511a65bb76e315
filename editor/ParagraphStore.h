// The paragraphs of one control, their totals, and the navigators that point into them.
#pragma once

#include "TextStore.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quenvel {

class TCodeNavigator;

// Owns the paragraph records and what they point to, and keeps TextLength and LineCount.
// Every navigator of the control registers here; a change of the paragraphs moves them
// along, so that no one else writes a navigator's cached state.
class TParagraphStore
{
public:
    // One empty paragraph with one line.
    TParagraphStore();
    // Frees the paragraphs; navigators still registered are let go (their owners free them).
    ~TParagraphStore();
    TParagraphStore(const TParagraphStore &) = delete;
    TParagraphStore &operator=(const TParagraphStore &) = delete;

    // The records are reached through a shared handle: their text and lines are the
    // store's, however the handle is held.
    TPLL &Paragraphs() const { return pars_; }
    TParagraphRec &Par(int32_t i) const { return pars_[i]; }
    int32_t Count() const { return pars_.Count(); }
    int32_t Start(int32_t i) const { return pars_.Start(i); }
    int32_t FirstLine(int32_t i) const { return pars_.FirstLine(i); }
    int32_t TextLength() const { return textLength_; }
    int32_t LineCount() const { return lineCount_; }

    // ---- the whole text ----
    // Drops every paragraph before a load; the navigators lose their place.
    void Clear();
    // Before a load: about how many bytes the file will give (it sizes the text's blocks),
    // and the block the loader reads, when the store may keep it: paragraphs that stand in
    // it as they are then point into it instead of being copied.
    void BeginLoad(int64_t expected, std::shared_ptr<uint8_t[]> input = {}, size_t inputSize = 0);
    // Appends a paragraph read from a file: its bytes, and the running style at its start.
    void AppendLoaded(const uint8_t *bytes, int32_t length, uint16_t style, bool regionsPending);
    // After the last paragraph was appended: the totals, and the array trimmed.
    void EndLoad();

    // ---- one edit ----
    struct TSplice {
        int32_t lengthDelta; // change of TextLength
        int32_t parDelta;    // change of the paragraph count
    };
    // Puts `made` (records with their text and one or more lines, Start and FirstLine left
    // unset) in place of paragraphs [firstPar, lastPar], which held positions [s, e]. Navigators
    // before s keep their place, those in [s, e] collapse to s, those after e shift.
    TSplice Splice(int32_t firstPar, int32_t lastPar, int32_t s, int32_t e, std::vector<TParagraphRec> &made);
    // Removes the style marks of paragraphs [p0, p1] and leaves each with one line record;
    // the first keeps the dynamic style it started with when that is dynamic.
    void StripMarks(int32_t p0, int32_t p1);
    // Every paragraph loses its marks, its layout and its highlighting: one line each,
    // neither formatted nor parsed.
    void StripAll(bool regionsPending);
    // A mark of `delta` bytes went in (or out, delta < 0) at a byte offset of a paragraph:
    // the other navigators behind it in that paragraph follow.
    void MarkMoved(const TCodeNavigator &by, int32_t par, int32_t byteOffset, int32_t delta);

    // ---- lines, as the layout changes them ----
    void SetFirstLine(int32_t par, int32_t line) { pars_.SetFirstLine(par, line); }
    // Adds delta to FirstLine of every paragraph from `fromPar` on.
    void ShiftFirstLines(int32_t fromPar, int32_t delta) { pars_.Shift(fromPar, 0, delta); }
    void AddLines(int32_t delta) { lineCount_ += delta; }

    // ---- navigators ----
    void Register(TCodeNavigator *n) { navigators_.push_back(n); }
    void Unregister(TCodeNavigator *n);
    const std::vector<TCodeNavigator *> &Navigators() const { return navigators_; }
    // Every navigator drops its place and stands at pos.
    void PlaceAll(int32_t pos);
    // Navigators in paragraphs [first, last] forget their byte offset and line.
    void DropOffsetsIn(int32_t first, int32_t last);
    // Navigators in paragraphs from `first` on forget their byte offset and line.
    void DropOffsetsFrom(int32_t first) { DropOffsetsIn(first, INT32_MAX); }
    // Navigators in paragraphs [first, last] standing after pos forget them.
    void DropOffsetsAfter(int32_t pos, int32_t first = 0, int32_t last = INT32_MAX);
    // Navigators in paragraphs [first, last] forget their display line.
    void DropLinesIn(int32_t first, int32_t last);

    // ---- reading ----
    // Copies n positions from nav's position into buf (n + 1 bytes), NUL-terminated.
    void CopyText(TCodeNavigator &nav, uint8_t *buf, int32_t n) const;
    // The paragraph's characters (marks removed); empty when out of range.
    std::string ParagraphText(int32_t i) const;
    // Checks the store's invariants; returns an empty string when all hold.
    std::string CheckInvariants() const;

    static void FreeParagraph(TParagraphRec &p);

private:
    // A loaded paragraph's bytes, copied into the current load block.
    uint8_t *LoadedCopy(const uint8_t *bytes, int32_t length);
    bool IsLoadedText(const TParagraphRec &par) const;

    mutable TPLL pars_;
    // The loaded file's text, in a few large blocks; paragraphs point into them until they
    // change (they are freed with the store, or at the next load).
    struct TLoadBlock {
        std::shared_ptr<uint8_t[]> bytes;
        size_t size;
    };
    std::vector<TLoadBlock> loadBlocks_;
    uint8_t *loadAt_ = nullptr;
    size_t loadRoom_ = 0;
    uint8_t *input_ = nullptr; // the loader's own block, kept as it is
    size_t inputSize_ = 0;
    int64_t loadExpected_ = 0;
    int32_t textLength_ = 0;
    int32_t lineCount_ = 0;
    int64_t loaded_ = 0; // positions appended by the load under way, breaks included
    std::vector<TCodeNavigator *> navigators_;
};

} // namespace quenvel
