// The control's undo history: the changes made to the text, grouped into the steps that
// Undo and Redo take back and make again. Plain data: the control applies the steps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace quenvel {

// The characters words are made of, where typing is grouped and whole-word search looks:
// letters, digits, '_', the type marks '$', '%' and '&' of OPL names, and the characters
// of the upper half of the code page.
inline bool IsWordByte(uint8_t b)
{
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '_' || b == '$' ||
           b == '%' || b == '&' || b >= 128;
}

// One replacement: at `pos`, the positions `removed` gave way to `inserted` (style codes,
// the compensation codes included, and breaks as CR LF). Undo replaces `inserted` by
// `removed`, redo the other way round; both restore the exact bytes.
struct TUndoChange {
    int32_t pos = 0;
    std::string removed;
    std::string inserted;
};

// A selection as the control's SelStart and SelLength give it (the caret, and the signed
// length from it).
struct TUndoSelection {
    int32_t caret = 0;
    int32_t length = 0;
};

// What Undo or Redo takes as one: the changes in the order they were made, the selection
// before the first and after the last.
struct TUndoStep {
    std::vector<TUndoChange> changes;
    TUndoSelection before, after;
};

class TUndoHistory
{
public:
    // How a change came about, for grouping: typed characters run together into one step,
    // and so do characters taken away one by one with Backspace or Delete.
    enum TKind { ukOther, ukTyped, ukBackspace, ukDelete };
    static constexpr size_t kDefaultLimit = 10000;
    // A pause in typing longer than this (milliseconds) starts a new step.
    static constexpr uint32_t kTypingPauseMs = 1000;

    TUndoHistory();

    // Empties the history; the saved point is lost until MarkSaved.
    void Clear();
    // The most steps kept (at least 1); the oldest go first.
    void SetLimit(size_t steps);
    size_t Limit() const { return limit_; }
    // The clock that times typing pauses, in milliseconds; replaceable for tests.
    std::function<uint32_t()> Clock;

    // Records a change made at the end of the history (a redo branch is dropped first).
    // `before` is the selection before it, `after` the one it leaves.
    void Record(TUndoChange change, TKind kind, const TUndoSelection &before, const TUndoSelection &after);
    // The next change starts a new step (the caret moved, a command began).
    void Break() { open_ = false; }
    // Between the outermost Begin and End every change recorded joins one step.
    void BeginGroup();
    void EndGroup();
    bool Grouping() const { return groupDepth_ > 0; }

    bool CanUndo() const { return done_ > 0; }
    bool CanRedo() const { return done_ < steps_.size(); }
    // The step Undo takes back / Redo makes again; only when CanUndo / CanRedo.
    const TUndoStep &NextUndo() const { return steps_[done_ - 1]; }
    const TUndoStep &NextRedo() const { return steps_[done_]; }
    // The step was taken back / made again.
    void Undone();
    void Redone();

    // The text as it stands is the one saved; false until marked, and after the saved
    // point left the history (dropped as the oldest, or with a redo branch).
    void MarkSaved();
    void ForgetSaved() { saved_ = -1; }
    bool AtSaved() const { return saved_ >= 0 && static_cast<size_t>(saved_) == done_; }

    // Steps held, and how many of them are done (Undo can take back that many).
    size_t Count() const { return steps_.size(); }
    size_t Done() const { return done_; }

private:
    bool Merges(const TUndoChange &c, TKind kind, uint32_t now) const;
    void Trim();

    std::deque<TUndoStep> steps_;
    size_t done_ = 0;
    size_t limit_ = kDefaultLimit;
    int64_t saved_ = -1; // steps done at the saved point; -1: not in the history
    int groupDepth_ = 0;
    bool groupStarted_ = false; // the group has its step
    bool open_ = false;         // the last step may take more typing or deleting
    TKind lastKind_ = ukOther;  // what the last step's changes were
    bool lastWasWord_ = false;  // the last character typed was a word character
    uint32_t lastTyped_ = 0;
};

// BeginGroup for as long as it lives.
class TUndoGroup
{
public:
    explicit TUndoGroup(TUndoHistory &h) : h_(h) { h_.BeginGroup(); }
    ~TUndoGroup() { h_.EndGroup(); }
    TUndoGroup(const TUndoGroup &) = delete;
    TUndoGroup &operator=(const TUndoGroup &) = delete;

private:
    TUndoHistory &h_;
};

} // namespace quenvel
