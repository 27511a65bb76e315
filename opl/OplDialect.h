// The OPL dialects the editor knows, one row each: the names they go by in the menu, the
// settings file and on the command line, and the character set of their machines.
#pragma once

#include "editor/CodePage.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace quenvel {

enum class TDialect : uint8_t {
    None,  // plain text: nothing highlighted
    Siena, // the Siena: the Series 3a's words, less a few
    Opl3,  // the Series 3a and 3c
    Opl5,  // the Series 5
};

struct TDialectRow {
    TDialect Dialect;
    const char *Name;    // in the menu, the settings file and messages: "OPL Siena"
    const char *CliName; // on the command line: "siena"
    TCodePage CodePage;  // the Series 3 and the Siena use IBM 850, the Series 5 Windows-1252
};

const std::array<TDialectRow, 4> &DialectRows();
const TDialectRow &DialectRow(TDialect dialect);

// "None", "OPL Siena", "OPL 3" or "OPL 5".
inline const char *DialectName(TDialect dialect) { return DialectRow(dialect).Name; }

// The dialect with this settings value or command-line name; none for anything else.
std::optional<TDialect> DialectFromName(const std::string &name);
std::optional<TDialect> DialectFromCliName(const std::string &name);

} // namespace quenvel
