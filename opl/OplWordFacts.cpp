// The word facts parsed once from their rows.
#include "opl/OplWordFacts.h"

#include <sstream>
#include <unordered_map>

namespace quenvel {

namespace {

TOplType TypeOf(const std::string &t, bool &native)
{
    native = t.rfind("native", 0) == 0;
    if (t[0] == '%' || native)
        return tyInt;
    if (t[0] == '&')
        return tyLong;
    if (t[0] == '$')
        return tyString;
    if (t == "float")
        return tyFloat;
    return tyAny;
}

TOplWordFact Parse(const TOplWordFactRow &r)
{
    TOplWordFact f;
    f.Word = r.Word;
    const std::string cls = r.Class;
    f.Class = cls == "function" ? TOplWordClass::Function
              : cls == "keyword" ? TOplWordClass::Keyword
                                 : TOplWordClass::Reserved;
    f.Series3a = std::string(r.Series3a) == "yes";
    f.Series5 = std::string(r.Series5) == "yes";
    if (f.Class != TOplWordClass::Function)
        return f;
    const std::string ret = r.Returns;
    f.Returns = TypeOf(ret, f.NativeReturn);
    const std::string counts = r.ArgCounts;
    f.ListArgs = counts == "list";
    std::istringstream cs(counts);
    for (std::string n; std::getline(cs, n, ',');)
        if (!f.ListArgs && !n.empty())
            f.ArgCounts.push_back(std::stoi(n));
    std::istringstream ts(r.ArgTypes);
    std::string word;
    bool byRef = false;
    while (ts >> word) {
        if (word == "var") {
            byRef = true;
            continue;
        }
        TOplArgFact a;
        bool native = false;
        a.Type = word == "any" || word == "overload" ? tyAny : TypeOf(word, native);
        a.ByRef = byRef;
        byRef = false;
        f.Args.push_back(a);
    }
    // an overloaded argument beyond the counts: the translator reads any number of further
    // arguments (gCREATE's flags, mPOPUP's items, LOC's mode, MENU's initial item)
    const int most = f.ArgCounts.empty() ? 0 : f.ArgCounts.back();
    if (!f.ListArgs && static_cast<int>(f.Args.size()) > most && ts.eof() &&
        std::string(r.ArgTypes).find("overload") != std::string::npos)
        f.OpenTail = true;
    return f;
}

} // namespace

const TOplWordFact *FindOplWordFact(std::string_view upper)
{
    static const auto *facts = [] {
        auto *m = new std::unordered_map<std::string_view, TOplWordFact>;
        for (const TOplWordFactRow &r : OplWordFactRows())
            m->emplace(r.Word, Parse(r));
        return m;
    }();
    const auto it = facts->find(upper);
    return it == facts->end() ? nullptr : &it->second;
}

std::string OplArgCountNote(int given, const std::vector<int> &accepted)
{
    std::string note = "(" + std::to_string(given) + "; ";
    if (accepted.empty())
        return note + "a list)";
    const int lo = accepted.front(), hi = accepted.back();
    const bool contiguous = hi - lo + 1 == static_cast<int>(accepted.size());
    if (lo == hi)
        note += lo == 0 ? std::string("none") : "exactly " + std::to_string(lo);
    else if (contiguous && given > hi)
        note += "at most " + std::to_string(hi);
    else if (contiguous && given < lo)
        note += "at least " + std::to_string(lo);
    else {
        for (size_t i = 0; i < accepted.size(); ++i)
            note += (i == 0 ? "" : i + 1 == accepted.size() ? " or " : ", ") + std::to_string(accepted[i]);
    }
    return note + ")";
}

} // namespace quenvel
