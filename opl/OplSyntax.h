// Reading an OPL program as the translator does: every syntax, structure, declaration,
// type and argument error with its line and column, and the names it defines.
#pragma once

#include "opl/OplDialect.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quenvel {

struct TOplDiagnostic {
    int32_t Line = 0;  // 1-based
    int32_t Col = 0;   // 1-based, in bytes
    bool Warning = false;
    std::string Message;
    std::string File;  // empty: the program itself; else the include file the error is in

    bool operator==(const TOplDiagnostic &) const = default;
};

enum class TOplSymbolKind : uint8_t { Procedure, Global, Local, Parameter, Constant, Label, External };

// A name the program (or an include) defines, for going to its definition.
struct TOplSymbol {
    TOplSymbolKind Kind = TOplSymbolKind::Procedure;
    std::string Name;   // upper case with its type character (procedures: without the colon)
    int32_t Line = 0;   // 1-based
    int32_t Col = 0;    // 1-based
    int32_t Proc = -1;  // the procedure it belongs to (locals, globals, labels); -1 module-wide
    std::string File;   // empty: this file; else the include's path
    std::string Value;  // constants: the value as written
};

struct TOplProcRange {
    std::string Name;
    int32_t First = 0, Last = 0; // 1-based lines of PROC and ENDP (Last: the end of the text without ENDP)
};

struct TOplCheckOptions {
    TDialect Dialect = TDialect::Opl5;
    std::string Path;                       // the program's file, for finding its includes
    std::vector<std::string> IncludeDirs;   // searched after the program's folder
    bool ReadIncludes = true;
};

struct TOplCheckResult {
    std::vector<TOplDiagnostic> Diagnostics; // in order of line and column
    std::vector<TOplSymbol> Symbols;
    std::vector<TOplProcRange> Procs;              // in order of place
    std::unordered_multimap<std::string, int32_t> ByName; // symbol name -> index in Symbols
    int Errors() const;
};

// Checks a program's text (lines end at CR LF, LF or CR).
TOplCheckResult CheckOplProgram(std::string_view text, const TOplCheckOptions &options);

// The text of an OPL source file as the editor shows it: a Series 5 source converted, a
// plain text up to its first NUL. Returns false when the file cannot be read.
bool ReadOplSourceFile(const std::string &path, std::string &text);

// The symbol a name at (line, col) (1-based; col anywhere inside the name) refers to, or
// nullptr. `lineText` is that line's text.
const TOplSymbol *FindOplDefinition(const TOplCheckResult &r, std::string_view lineText, int32_t line, int32_t col);

} // namespace quenvel
