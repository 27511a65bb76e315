// A position in a control's text with what is derived from it, cached.
#pragma once

#include "TextStore.h"

namespace quenvel {

class TComponent
{
public:
    virtual ~TComponent() = default;
};

class TCodeMemo;
class TParagraphStore;

class TCodeNavigator
{
public:
    // Registers with the owning control; raises when owner is not a TCodeMemo.
    explicit TCodeNavigator(TComponent *owner);
    ~TCodeNavigator();
    TCodeNavigator(const TCodeNavigator &) = delete;
    TCodeNavigator &operator=(const TCodeNavigator &) = delete;

    TCodeMemo *Memo() const { return memo_; }

    int32_t Pos() const { return pos_; }
    void SetPos(int32_t p);
    // Forgets what is cached and stands at p (SetPos keeps what it can).
    void MoveTo(int32_t p)
    {
        Invalidate();
        SetPos(p);
    }

    int32_t ParNb();
    TParagraphRec *Par();
    int32_t ParOffset();
    int32_t TextOffset();
    int32_t LineInPar();
    int32_t DisplayLine();
    void SetDisplayLine(int32_t line);
    int32_t Column();
    void SetColumn(int32_t column);
    uint8_t CharAt();
    TDynStyle CurrentDynStyle();
    uint16_t RunningStyle();
    uint8_t EffectiveStyle();

    bool FindPrevMark();
    bool FindNextMark();
    void InsertMark(const TDynStyle &style);
    void DeleteMark();

    void Assign(const TCodeNavigator &other);
    void Invalidate();

    // Cache state, for the control's own bookkeeping.
    bool ParResolved() const { return parNb_ >= 0; }
    bool TextOffsetResolved() const { return parNb_ >= 0 && textOffset_ != kUnresolved; }
    bool LineResolved() const { return parNb_ >= 0 && lineInPar_ != kUnresolved; }
    void DropOffsets()
    {
        textOffset_ = kUnresolved;
        lineInPar_ = kUnresolved;
    }
    void DropLine() { lineInPar_ = kUnresolved; }
    // The paragraph index as cached (negative while unresolved), without resolving it.
    int32_t ResolvedParNb() const { return parNb_; }
    // Moves to an offset of a known paragraph without looking the paragraph up.
    void PlaceInParagraph(int32_t par, int32_t offset);

private:
    // The store moves its navigators when the text changes under them.
    friend class TParagraphStore;
    // Paragraphs [firstPar, lastPar], positions [s, e], were replaced, changing the text's
    // length by d and the paragraph count by dk.
    void FollowSplice(int32_t s, int32_t e, int32_t d, int32_t firstPar, int32_t lastPar, int32_t dk);
    // A mark of delta bytes went in or out at a byte offset of a paragraph.
    void FollowMark(int32_t par, int32_t byteOffset, int32_t delta);
    // The control is gone.
    void Detach()
    {
        memo_ = nullptr;
        store_ = nullptr;
    }
    void ResolvePar();
    void ResolveTextOffset();
    void ResolveLine();
    TParagraphRec *ParRec() const;

    TCodeMemo *memo_;
    TParagraphStore *store_;
    int32_t pos_ = 0;
    int32_t parNb_ = -1; // the paragraph is resolved when this is not negative
    uint16_t runningStyle_ = 0;
    int32_t parOffset_ = 0;
    int32_t textOffset_ = kUnresolved;
    TDynStyle dyn_{};
    int32_t lineInPar_ = kUnresolved;
};

} // namespace quenvel
