// The words the OPL translator reserves: which machines accept them and, for the
// functions, what they return and the arguments they take.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quenvel {

// One row as the word list gives it: word, class, Series 3a, Series 5, returns,
// argument counts, argument types.
struct TOplWordFactRow {
    const char *Word, *Class, *Series3a, *Series5, *Returns, *ArgCounts, *ArgTypes;
};
const std::vector<TOplWordFactRow> &OplWordFactRows();

// The types of OPL values. tyVoid: no value; tyAny: not known (an external, an
// overloaded argument); tyArray: a whole array written name().
enum TOplType : uint8_t { tyVoid, tyInt, tyLong, tyFloat, tyString, tyAny, tyArray };

enum class TOplWordClass : uint8_t { Function, Keyword, Reserved };

// How a function argument is passed.
struct TOplArgFact {
    TOplType Type = tyAny; // tyAny: any type (overloaded, or a reference to any variable)
    bool ByRef = false;    // the argument must be a variable
};

struct TOplWordFact {
    std::string Word; // upper case, with its type character
    TOplWordClass Class = TOplWordClass::Reserved;
    bool Series3a = false, Series5 = false;
    TOplType Returns = tyVoid;       // functions; a native value is an integer on OPL 1993
    bool NativeReturn = false;       // long on the Series 5, integer on the others
    bool ListArgs = false;
    bool OpenTail = false;           // any number of arguments from the least count on           // MAX, MEAN, ...: a list of numbers or (array(), count)
    std::vector<int> ArgCounts;      // the counts accepted, ascending
    std::vector<TOplArgFact> Args;   // the type of each argument in order
};

// The fact for a word in upper case; nullptr when the translator does not reserve it.
const TOplWordFact *FindOplWordFact(std::string_view upper);

// "(7; at most 6)": the count given and the counts a word takes, for an error message.
std::string OplArgCountNote(int given, const std::vector<int> &accepted);

} // namespace quenvel
