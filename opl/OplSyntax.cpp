// The front end's entry points: checking a program, reading a source file, finding the
// definition of a name.
#include "opl/OplSyntax.h"

#include "opl/OplParser.h"
#include "opl/Series5Source.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace quenvel {

int TOplCheckResult::Errors() const
{
    return static_cast<int>(std::count_if(Diagnostics.begin(), Diagnostics.end(),
                                          [](const TOplDiagnostic &d) { return !d.Warning; }));
}

TOplCheckResult CheckOplProgram(std::string_view text, const TOplCheckOptions &options)
{
    TOplCheckResult r;
    TOplModule module(options, r);
    TOplParser parser(module, std::string());
    parser.Run(text);
    // the include files' own errors first, then the program's in order of place
    auto &d = r.Diagnostics;
    const auto own = std::stable_partition(d.begin(), d.end(), [](const TOplDiagnostic &x) { return !x.File.empty(); });
    std::stable_sort(own, d.end(), [](const TOplDiagnostic &a, const TOplDiagnostic &b) {
        return a.Line != b.Line ? a.Line < b.Line : a.Col < b.Col;
    });
    r.ByName.reserve(r.Symbols.size());
    for (size_t i = 0; i < r.Symbols.size(); ++i)
        r.ByName.emplace(r.Symbols[i].Name, static_cast<int32_t>(i));
    return r;
}

bool ReadOplSourceFile(const std::string &path, std::string &text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string bytes;
    char buf[1 << 16];
    while (in.read(buf, sizeof buf) || in.gcount() > 0)
        bytes.append(buf, static_cast<size_t>(in.gcount()));
    if (in.bad())
        return false;
    const auto *data = reinterpret_cast<const uint8_t *>(bytes.data());
    if (IsOpl32File(data, bytes.size())) {
        text = ConvertOpl32(data, bytes.size());
        return true;
    }
    const size_t nul = bytes.find('\0');
    text = nul == std::string::npos ? std::move(bytes) : bytes.substr(0, nul);
    return true;
}

namespace {

std::string UpperName(std::string_view s)
{
    std::string u(s);
    for (char &c : u)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return u;
}

} // namespace

const TOplSymbol *FindOplDefinition(const TOplCheckResult &r, std::string_view lineText, int32_t line, int32_t col)
{
    std::vector<TOplToken> toks;
    LexOplLine(lineText, toks);
    const TOplToken *hit = nullptr;
    for (const TOplToken &t : toks)
        if ((t.Kind == TOplTok::Ident || t.Kind == TOplTok::Call || t.Kind == TOplTok::Label) && col - 1 >= t.Col &&
            col - 1 <= t.Col + static_cast<int32_t>(t.Text.size()))
            hit = &t;
    if (!hit)
        return nullptr;
    const std::string name = UpperName(hit->Text);
    // the procedure holding the line: the last one starting on or before it
    int32_t proc = -1;
    const auto after = std::upper_bound(r.Procs.begin(), r.Procs.end(), line,
                                        [](int32_t l, const TOplProcRange &p) { return l < p.First; });
    if (after != r.Procs.begin() && line <= std::prev(after)->Last)
        proc = static_cast<int32_t>(std::prev(after) - r.Procs.begin());
    const TOplSymbol *best = nullptr;
    int bestRank = 99;
    const auto [first, last] = r.ByName.equal_range(name);
    for (auto it = first; it != last; ++it) {
        const TOplSymbol &s = r.Symbols[static_cast<size_t>(it->second)];
        int rank = 99;
        const bool call = s.Kind == TOplSymbolKind::Procedure || s.Kind == TOplSymbolKind::External;
        if (hit->Kind == TOplTok::Call)
            rank = s.Kind == TOplSymbolKind::Procedure ? 0 : s.Kind == TOplSymbolKind::External ? 1 : 99;
        else if (call)
            rank = 99;
        else if (s.Proc == proc && proc >= 0)
            rank = s.Kind == TOplSymbolKind::Label ? 2 : 0;
        else if (s.Kind == TOplSymbolKind::Constant)
            rank = 1;
        else if (s.Kind == TOplSymbolKind::Global)
            rank = 3;
        if (rank < bestRank || (rank == bestRank && rank < 99 && &s < best)) { // the first of equals
            bestRank = rank;
            best = &s;
        }
    }
    return best;
}

} // namespace quenvel
