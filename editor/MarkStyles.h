// The style marks the highlighting writes for a keyword run and for a start/stop region.
#pragma once

#include "Highlighting.h"

namespace quenvel {

inline TDynStyle KeywordStyle(const TKeywordRec &r)
{
    TDynStyle s{};
    s.StyleBits = static_cast<uint8_t>(r.Style | fsParseMark | fsDynamic);
    s.Backgnd = r.Backgnd;
    s.Foregnd = r.Foregnd;
    s.Context = r.Context;
    s.Cursor = r.Cursor;
    return s;
}

inline TDynStyle RegionStyle(const TStartStopKeyList &ss, int k)
{
    TDynStyle s{};
    s.StyleBits = static_cast<uint8_t>(ss.Attr1(k).Style | fsParseMark | fsDynamic);
    s.Backgnd = ss.Backgnd(k);
    s.Foregnd = ss.Foregnd(k);
    s.Context = ss.Attr1(k).Context;
    s.Cursor = ss.Attr2(k).Cursor;
    s.StartLen = static_cast<uint8_t>(ss.StartKey(k).size());
    s.StopLen = static_cast<uint8_t>(ss.StopKey(k).size());
    return s;
}

} // namespace quenvel
