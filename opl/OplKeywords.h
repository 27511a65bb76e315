// The OPL vocabulary of the Siena, the Series 3 (OPL 3) and the Series 5 (OPL 5), and the
// keyword tables built from it for the editor's highlighting.
//
// All three dialects share one word list in one order; only the styles differ. A word that
// the chosen dialect lacks stays in the table with a warning style (bold red on yellow), so
// that a command the target machine does not have stands out in the source.
#pragma once

#include "editor/Highlighting.h"
#include "opl/OplDialect.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace quenvel {


// The style class of a word when the dialect has it.
enum TOplClass : uint8_t {
    ocProcedure, // bold teal: proc, endp
    ocStructure, // bold in the editor's own colours: if, do, global, on, and, ...
    ocCommand,   // bold navy: everything else
};

// Which dialects have a word.
enum TOplTag : uint8_t {
    otAll,       // every dialect
    otOpl5,      // OPL 5 only
    otOpl3And5,  // OPL 3 and OPL 5
    otSienaAnd3, // Siena and OPL 3
    otNowhere,   // no dialect (words of later machines): always shown with the warning style
    otOpl3,      // OPL 3 only
};

struct TOplWord {
    const char *Word;
    TOplClass Class;
    TOplTag Tag;
};

// Every entry of the keyword tables, in table order (339 entries; "delete", "val" and
// "iosignal" appear twice).
const std::vector<TOplWord> &OplWordTable();

// Whether a dialect has the words carrying this tag.
bool OplDialectHas(TOplTag tag, TDialect dialect);

// The highlighting record of a word under a dialect.
TKeywordRec OplWordRecord(const TOplWord &word, TDialect dialect);

// Word delimiters of the OPL tables: TAB, space, ( ) * + , - . / : ; < = > ^ { }
std::bitset<256> OplDelimiters();

constexpr uint8_t kOplKeywordOptions = koWholeWords; // case-insensitive whole words
constexpr uint8_t kOplKeywordStyle = fsBold;
constexpr int16_t kOplKeywordContext = 1;
constexpr int16_t kOplKeywordCursor = 0;
constexpr TColor kOplAbsentForegnd = clRed;
constexpr TColor kOplAbsentBackgnd = clYellow;

// Builds a fresh keyword table for a dialect. Reentrant; the caller owns the result.
std::unique_ptr<TKeywordList> MakeOplKeywords(TDialect dialect);

} // namespace quenvel
