#include "Highlighting.h"

namespace quenvel {

int TKeywordList::AddKeyword(const std::string &keyword, uint8_t options, uint8_t style,
                             int16_t context, int16_t cursor, TColor backgnd, TColor foregnd)
{
    strings_.push_back(keyword);
    auto rec = std::make_unique<TKeywordRec>();
    rec->Options = options;
    rec->Style = style;
    rec->Context = context;
    rec->Cursor = cursor;
    rec->Backgnd = backgnd;
    rec->Foregnd = foregnd;
    records_.push_back(std::move(rec));
    Changed();
    return Count() - 1;
}

int TKeywordList::Add(const std::string &keyword)
{
    strings_.push_back(keyword);
    records_.push_back(nullptr);
    Changed();
    return Count() - 1;
}

const std::string &TKeywordList::Strings(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError();
    return strings_[static_cast<size_t>(index)];
}

TKeywordRec TKeywordList::KeywordRecord(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError();
    const auto &r = records_[static_cast<size_t>(index)];
    if (!r)
        return TKeywordRec{};
    return *r;
}

void TKeywordList::SetKeywordRecord(int index, const TKeywordRec &rec)
{
    if (index < 0 || index >= Count())
        throw EListError();
    auto &r = records_[static_cast<size_t>(index)];
    if (!r)
        r = std::make_unique<TKeywordRec>();
    *r = rec;
}

void TKeywordList::Delete(int index)
{
    if (index < 0 || index >= Count())
        throw EListError();
    strings_.erase(strings_.begin() + index);
    records_.erase(records_.begin() + index);
    Changed();
}

void TKeywordList::Clear()
{
    strings_.clear();
    records_.clear();
    Changed();
}

void TKeywordList::EndUpdate()
{
    if (updateCount_ > 0 && --updateCount_ == 0)
        RebuildCache();
}

void TKeywordList::Changed()
{
    if (updateCount_ == 0)
        RebuildCache();
}

void TKeywordList::RebuildCache()
{
    pchar_.assign(strings_.begin(), strings_.end());
    upper_.clear();
    upper_.reserve(strings_.size());
    maxKeywordLength_ = 0;
    ++version_;
    for (const auto &s : strings_) {
        std::string u = s;
        for (auto &c : u)
            c = static_cast<char>(UpperAscii(static_cast<uint8_t>(c)));
        upper_.push_back(std::move(u));
        if (static_cast<int32_t>(s.size()) > maxKeywordLength_)
            maxKeywordLength_ = static_cast<int32_t>(s.size());
    }
}

int TStartStopKeyList::AddStartStop(const std::string &startKey, const std::string &stopKey,
                                    uint8_t options, uint8_t style, int16_t context, int16_t cursor,
                                    TColor backgnd, TColor foregnd, uint8_t endAtParEnd)
{
    startKeys_.push_back(startKey);
    stopKeys_.push_back(stopKey);
    backgnd_.push_back(backgnd);
    foregnd_.push_back(foregnd);
    attr1_.push_back(TAttr1{endAtParEnd, style, context});
    attr2_.push_back(TAttr2{options, cursor});
    if (static_cast<int>(startKey.size()) > maxStartLength_)
        maxStartLength_ = static_cast<int16_t>(startKey.size());
    if (static_cast<int>(stopKey.size()) > maxStopLength_)
        maxStopLength_ = static_cast<int16_t>(stopKey.size());
    return Count() - 1;
}

} // namespace quenvel
