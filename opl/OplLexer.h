// The tokens of one line of OPL source.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace quenvel {

enum class TOplTok : uint8_t {
    Eol,    // the end of the line (a REM comment ends it too)
    Sep,    // ':' between statements
    Ident,  // a name with its type character, if any: a%, name$, PRINT
    Call,   // a procedure name written with its colon: name:, name%:
    Label,  // a label: name::
    Int,    // integer literal, also hexadecimal $FF and a character code %A
    Long,   // long literal, also hexadecimal &FFFF
    Float,  // floating-point literal
    Str,    // string literal; Text keeps the quotes
    Op,     // + - * / ** = < > <= >= <> and the percentage %
    LParen, RParen, Comma, Dot, Semi, Hash,
    At,     // @ of a procedure called by name; Text is "@", "@%", "@&" or "@$"
    Bad,    // a byte that starts no token, or a string without its closing quote
};

struct TOplToken {
    TOplTok Kind = TOplTok::Eol;
    int32_t Col = 0;          // 0-based byte column
    std::string_view Text;    // the token's bytes (for Call and Label without the colons)
    double Value = 0;         // numbers
    bool OutOfRange = false;  // a hexadecimal literal too big for its type
};

// Bytes the OPL machines show as spaces inside source text: tab, the EPOC non-breaking
// space 0x10, and 0xA0.
bool IsOplBlank(uint8_t c);
// First byte of a name: a letter, '_' or any byte above 127 that is not blank.
bool IsOplNameStart(uint8_t c);

// Splits a line into tokens, ending with one Eol token. A REM word ends the line.
void LexOplLine(std::string_view line, std::vector<TOplToken> &out);

} // namespace quenvel
