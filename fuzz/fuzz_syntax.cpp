// The OPL front end on any bytes in every dialect: no crash, every diagnostic inside the
// text, and the same verdict twice.
#include "FuzzUtil.h"

#include "opl/OplSyntax.h"

using namespace quenvel;
using namespace quenvel::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    int32_t lines = 1;
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            ++lines;
    for (int dialect = 1; dialect <= 3; ++dialect) {
        TOplCheckOptions o;
        o.Dialect = static_cast<TDialect>(dialect);
        o.ReadIncludes = false;
        const TOplCheckResult r = CheckOplProgram(text, o);
        for (const TOplDiagnostic &d : r.Diagnostics)
            Check(d.Line >= 1 && d.Line <= lines && d.Col >= 1 && !d.Message.empty(), "a diagnostic outside the text");
        for (const TOplSymbol &s : r.Symbols)
            FindOplDefinition(r, s.Name, s.Line, s.Col);
        Check(CheckOplProgram(text, o).Diagnostics == r.Diagnostics, "two checks of one text differ");
    }
    return 0;
}
