// The undo history: recording, grouping, the limit and the saved point.
#include "UndoHistory.h"

#include <algorithm>

namespace quenvel {

TUndoHistory::TUndoHistory() = default;

void TUndoHistory::Clear()
{
    steps_.clear();
    done_ = 0;
    saved_ = -1;
    groupStarted_ = false;
    open_ = false;
    lastWasWord_ = false;
    lastKind_ = ukOther;
}

void TUndoHistory::SetLimit(size_t steps)
{
    limit_ = std::max<size_t>(steps, 1);
    Trim();
}

void TUndoHistory::Trim()
{
    // the oldest steps go first; steps still to be redone only when nothing done is left
    while (steps_.size() > limit_ && done_ > 0) {
        steps_.pop_front();
        --done_;
        saved_ = saved_ > 0 ? saved_ - 1 : -1;
    }
    while (steps_.size() > limit_)
        steps_.pop_back();
    if (saved_ > static_cast<int64_t>(steps_.size()))
        saved_ = -1;
}

bool TUndoHistory::Merges(const TUndoChange &c, TKind kind, uint32_t now) const
{
    if (!open_ || kind == ukOther || kind != lastKind_ || done_ == 0 || done_ != steps_.size() ||
        now - lastTyped_ > kTypingPauseMs)
        return false;
    const TUndoChange &last = steps_.back().changes.back();
    // Backspace takes what is just before the run, Delete what follows its place
    if (kind == ukBackspace || kind == ukDelete)
        return c.inserted.empty() && !c.removed.empty() && last.inserted.empty() &&
               (kind == ukBackspace ? c.pos + static_cast<int32_t>(c.removed.size()) == last.pos : c.pos == last.pos);
    if (!c.removed.empty() || c.inserted.empty())
        return false;
    if (c.pos != last.pos + static_cast<int32_t>(last.inserted.size()))
        return false;
    const uint8_t ch = static_cast<uint8_t>(c.inserted[0]);
    // a break, or a blank or punctuation after a word, starts a new step
    return ch != '\r' && !(lastWasWord_ && !IsWordByte(ch));
}

void TUndoHistory::Record(TUndoChange change, TKind kind, const TUndoSelection &before, const TUndoSelection &after)
{
    const uint32_t now = Clock ? Clock() : 0;
    if (done_ < steps_.size()) {
        // a new edit after undoing: the steps that could be redone go
        steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(done_), steps_.end());
        if (saved_ > static_cast<int64_t>(done_))
            saved_ = -1;
        open_ = false;
        groupStarted_ = false;
    }
    const bool typedChar = kind == ukTyped && !change.inserted.empty() && change.inserted[0] != '\r';
    const bool deletedChar = (kind == ukBackspace || kind == ukDelete) && change.inserted.empty();
    const bool joinGroup = groupDepth_ > 0 && groupStarted_ && done_ > 0;
    if (joinGroup || Merges(change, kind, now)) {
        TUndoStep &step = steps_.back();
        // the saved text lies inside the step now: no undo or redo comes back to it
        if (saved_ == static_cast<int64_t>(done_))
            saved_ = -1;
        TUndoChange &last = step.changes.back();
        if (joinGroup) {
            step.changes.push_back(std::move(change));
        } else if (kind == ukTyped) {
            last.inserted += change.inserted;
        } else if (kind == ukDelete) {
            last.removed += change.removed;
        } else {
            last.removed = change.removed + last.removed;
            last.pos = change.pos;
        }
        step.after = after;
    } else {
        TUndoStep step;
        step.before = before;
        step.after = after;
        step.changes.push_back(std::move(change));
        steps_.push_back(std::move(step));
        ++done_;
        groupStarted_ = groupDepth_ > 0;
        Trim();
    }
    open_ = (typedChar || deletedChar) && groupDepth_ == 0;
    lastKind_ = typedChar || deletedChar ? kind : ukOther;
    if (deletedChar)
        lastTyped_ = now;
    if (typedChar) {
        // the compensation codes after a typed character are not what was typed
        const std::string &ins = steps_.back().changes.back().inserted;
        for (size_t i = ins.size(); i-- > 0;) {
            const uint8_t b = static_cast<uint8_t>(ins[i]);
            if (b == 1 || b == 2 || b == 3 || b == 4 || b == 21)
                continue;
            lastWasWord_ = IsWordByte(b);
            break;
        }
        lastTyped_ = now;
    }
}

void TUndoHistory::BeginGroup()
{
    if (groupDepth_++ == 0) {
        groupStarted_ = false;
        open_ = false;
    }
}

void TUndoHistory::EndGroup()
{
    if (groupDepth_ > 0 && --groupDepth_ == 0) {
        groupStarted_ = false;
        open_ = false;
    }
}

void TUndoHistory::Undone()
{
    if (done_ > 0)
        --done_;
    open_ = false;
}

void TUndoHistory::Redone()
{
    if (done_ < steps_.size())
        ++done_;
    open_ = false;
}

void TUndoHistory::MarkSaved()
{
    saved_ = static_cast<int64_t>(done_);
    // typing after a save is a step of its own, so that undo comes back to the saved text
    open_ = false;
}

} // namespace quenvel
