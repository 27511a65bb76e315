// Procedures, declarations, constants, includes, APP blocks, OPX declarations, labels.
#include "opl/OplParser.h"

#include <filesystem>

namespace quenvel {

void TOplParser::Procedure(const TOplToken &t)
{
    if (inProc_)
        EndProcedure(nullptr);
    ++pos_;
    const TOplToken &name = Tok();
    if (name.Kind != TOplTok::Call)
        Fail(name, "Syntax error: PROC needs a name ending in ':'");
    inProc_ = true;
    const std::string upper = Upper(name.Text);
    procType_ = TypeOfName(upper);
    procIndex_ = -1;
    if (file_.empty()) { // the program's own procedures, in order of place
        TOplProcRange range;
        range.Name = upper;
        range.First = line_;
        m_.Result.Procs.push_back(range);
        procIndex_ = static_cast<int32_t>(m_.Result.Procs.size() - 1);
    }
    const auto known = m_.Procedures.find(upper);
    if (known != m_.Procedures.end() &&
        m_.Result.Symbols[static_cast<size_t>(known->second)].Kind == TOplSymbolKind::Procedure)
        Report(name.Col, "Duplicate name: procedure " + std::string(name.Text) + ":");
    else
        m_.Procedures[upper] = AddSymbol(TOplSymbolKind::Procedure, upper, name.Col);
    ++pos_;
    if (Tok().Kind != TOplTok::LParen)
        return;
    ++pos_;
    while (true) {
        if (Tok().Kind != TOplTok::Ident || FindOplWordFact(Upper(Tok().Text)))
            Fail(Tok(), "Syntax error: a parameter name expected");
        DeclareName(Tok(), TOplSymbolKind::Parameter);
        ++pos_;
        if (Tok().Kind != TOplTok::Comma)
            break;
        ++pos_;
    }
    Expect(TOplTok::RParen, ")");
    (void)t;
}

void TOplParser::DeclareName(const TOplToken &t, TOplSymbolKind kind)
{
    const std::string upper = Upper(t.Text);
    if (names_.count(upper) || m_.Constants.count(upper)) {
        Report(t.Col, "Duplicate name: " + std::string(t.Text));
        failedInLine_ = true;
        throw TAbort{};
    }
    names_[upper] = AddSymbol(kind, upper, t.Col);
}

int32_t TOplParser::Dimension()
{
    const TOplToken &t = Tok();
    if (t.Kind == TOplTok::Int) {
        ++pos_;
        return static_cast<int32_t>(t.Value);
    }
    if (t.Kind == TOplTok::Ident) {
        const auto c = m_.Constants.find(Upper(t.Text));
        if (c != m_.Constants.end() && (c->second.Type == tyInt || c->second.Type == tyLong)) {
            ++pos_;
            return static_cast<int32_t>(std::strtol(c->second.Value.c_str(), nullptr, 0));
        }
        if (c == m_.Constants.end() && m_.IncludeMissing) { // perhaps a constant of the missing include
            ++pos_;
            return 1;
        }
    }
    Fail(t, "Bad declaration: a size must be a whole number");
}

void TOplParser::Declaration(const TOplToken &t, TOplSymbolKind kind)
{
    (void)t;
    while (true) {
        const TOplToken &name = Tok();
        if (name.Kind != TOplTok::Ident || FindOplWordFact(Upper(name.Text)))
            Fail(name, "Syntax error: a name expected");
        DeclareName(name, kind);
        ++pos_;
        std::vector<int32_t> dims;
        if (Tok().Kind == TOplTok::LParen && kind == TOplSymbolKind::External && Peek().Kind == TOplTok::RParen) {
            pos_ += 2; // an array declared elsewhere: name()
        } else if (Tok().Kind == TOplTok::LParen) {
            ++pos_;
            dims.push_back(Dimension());
            if (Tok().Kind == TOplTok::Comma) {
                ++pos_;
                dims.push_back(Dimension());
            }
            Expect(TOplTok::RParen, ")");
        }
        if (kind != TOplSymbolKind::External) {
            const bool text = TypeOfName(name.Text) == tyString;
            if (text && dims.empty())
                Fail(name, "Bad declaration: " + std::string(name.Text) + " needs a length");
            if (dims.size() > (text ? 2u : 1u))
                Fail(name, "Bad declaration: " + std::string(name.Text) + " has too many sizes");
            for (size_t i = 0; i < dims.size(); ++i) {
                const bool length = text && i + 1 == dims.size();
                if (dims[i] < 1 || (length && dims[i] > 255))
                    Fail(name, std::string("Bad declaration: ") + (length ? "string length " : "array size ") +
                                   std::to_string(dims[i]) + (length ? " (1 to 255)" : ""));
            }
        }
        if (Tok().Kind != TOplTok::Comma)
            break;
        ++pos_;
    }
}

void TOplParser::Constant()
{
    const TOplToken &name = Tok();
    if (name.Kind != TOplTok::Ident || FindOplWordFact(Upper(name.Text)))
        Fail(name, "Syntax error: a constant name expected");
    ++pos_;
    if (!IsOp("="))
        Fail(Tok(), "Syntax error: '=' expected");
    ++pos_;
    std::string value;
    if (IsOp("-")) {
        value = "-";
        ++pos_;
    }
    const TOplToken &lit = Tok();
    TOplValue v;
    v.Col = lit.Col;
    switch (lit.Kind) {
    case TOplTok::Int: v.Type = tyInt; break;
    case TOplTok::Long: v.Type = tyLong; break;
    case TOplTok::Float: v.Type = tyFloat; break;
    case TOplTok::Str: v.Type = tyString; break;
    case TOplTok::Ident: { // another constant
        const auto c = m_.Constants.find(Upper(lit.Text));
        if (c == m_.Constants.end() && !m_.IncludeMissing)
            Fail(lit, "Syntax error: " + std::string(lit.Text) + " is not a constant");
        v.Type = c == m_.Constants.end() ? TypeOfName(lit.Text) : c->second.Type;
        if (c != m_.Constants.end())
            value += c->second.Value;
        break;
    }
    default: Fail(lit, "Syntax error: a constant value expected");
    }
    if (lit.OutOfRange)
        Fail(lit, "Number out of range: " + std::string(lit.Text));
    if (value == "-" && v.Type == tyString)
        Fail(lit, "Type mismatch: number where a string is needed");
    ++pos_;
    const std::string upper = Upper(name.Text);
    NeedType(v, TypeOfName(upper));
    const double n = value == "-" ? -lit.Value : lit.Value;
    if (lit.Kind != TOplTok::Ident && lit.Kind != TOplTok::Str &&
        ((TypeOfName(upper) == tyInt && (n < -32768 || n > 65535 || (n > 32767 && lit.Text[0] != '$'))) ||
         (TypeOfName(upper) == tyLong && (n < -2147483648.0 || n > 4294967295.0 || (n > 2147483647.0 && lit.Text[0] != '&')))))
        Fail(lit, "Number out of range: " + value + std::string(lit.Text));
    if (lit.Kind == TOplTok::Ident)
        ;
    else if (lit.Kind == TOplTok::Int && (lit.Text[0] == '$' || lit.Text[0] == '%'))
        value += std::to_string(static_cast<long>(lit.Value));
    else if (lit.Kind == TOplTok::Long && lit.Text[0] == '&')
        value += std::to_string(static_cast<long long>(lit.Value));
    else
        value += std::string(lit.Text);
    if (m_.Constants.count(upper))
        Fail(name, "Constant redefined: " + std::string(name.Text));
    m_.Constants[upper] = {TypeOfName(upper), value};
    AddSymbol(TOplSymbolKind::Constant, upper, name.Col, value);
}

void TOplParser::Goto(bool onerr)
{
    const TOplToken &t = Tok();
    if (onerr && IsWord("OFF")) {
        ++pos_;
        return;
    }
    if (t.Kind != TOplTok::Ident && t.Kind != TOplTok::Label)
        Fail(t, "Syntax error: a label expected");
    gotos_.push_back({Upper(t.Text), line_, t.Col});
    ++pos_;
}

void TOplParser::VectorLine()
{
    while (!AtEnd()) {
        if (Tok().Kind != TOplTok::Ident && Tok().Kind != TOplTok::Label)
            Fail(Tok(), "Syntax error: a label expected");
        gotos_.push_back({Upper(Tok().Text), line_, Tok().Col});
        ++pos_;
        if (Tok().Kind != TOplTok::Comma)
            break;
        ++pos_;
    }
}

void TOplParser::AppLine(const TOplToken &t, const std::string &upper)
{
    ++pos_;
    if (upper == "ENDA") {
        inApp_ = false;
        return;
    }
    static const char *const words[] = {"ICON", "CAPTION", "FLAGS", "TYPE", "PATH", "EXT", "MIME"};
    bool known = false;
    for (const char *w : words)
        known = known || upper == w;
    if (!known)
        Fail(t, "Syntax error: " + std::string(t.Text) + " in an APP block");
    while (!AtEnd()) {
        Expression();
        if (Tok().Kind != TOplTok::Comma)
            break;
        ++pos_;
    }
}

void TOplParser::Declare()
{
    if (IsWord("EXTERNAL")) {
        ++pos_;
        return;
    }
    if (!IsWord("OPX"))
        Fail(Tok(), "Syntax error: EXTERNAL or OPX expected");
    ++pos_;
    if (Tok().Kind != TOplTok::Ident)
        Fail(Tok(), "Syntax error: an OPX name expected");
    ++pos_;
    while (!AtEnd()) // the UID and version
        ++pos_;
    inOpx_ = true;
}

void TOplParser::OpxLine()
{
    if (IsWord("END")) {
        ++pos_;
        if (!IsWord("DECLARE"))
            Fail(Tok(), "Syntax error: END DECLARE expected");
        ++pos_;
        inOpx_ = false;
        return;
    }
    External();
    while (Tok().Kind != TOplTok::Eol) // the parameters and the ordinal
        ++pos_;
}

void TOplParser::External()
{
    const TOplToken &t = Tok();
    if (t.Kind == TOplTok::Ident && !inOpx_) { // variables declared in another module's procedure
        Declaration(t, TOplSymbolKind::External);
        return;
    }
    if (t.Kind != TOplTok::Call)
        Fail(t, "Syntax error: a procedure name ending in ':' expected");
    const std::string upper = Upper(t.Text);
    if (!m_.Procedures.count(upper))
        m_.Procedures[upper] = AddSymbol(TOplSymbolKind::External, upper, t.Col);
    ++pos_;
    if (inOpx_)
        return;
    if (Tok().Kind == TOplTok::LParen) {
        int depth = 0;
        do {
            depth += Tok().Kind == TOplTok::LParen ? 1 : Tok().Kind == TOplTok::RParen ? -1 : 0;
            ++pos_;
        } while (depth > 0 && Tok().Kind != TOplTok::Eol);
        if (depth > 0)
            Fail(Tok(), "Mismatched ( or \": a ) is missing");
    }
}

void TOplParser::Include()
{
    const TOplToken &t = Tok();
    if (t.Kind != TOplTok::Str)
        Fail(t, "Syntax error: INCLUDE needs a file name in quotes");
    ++pos_;
    std::string name(t.Text.substr(1, t.Text.size() - 2));
    namespace fs = std::filesystem;
    std::vector<std::string> dirs;
    const std::string base = file_.empty() ? m_.Options.Path : file_;
    dirs.push_back(base.empty() ? std::string(".") : fs::path(base).parent_path().string());
    dirs.insert(dirs.end(), m_.Options.IncludeDirs.begin(), m_.Options.IncludeDirs.end());
    std::string found;
    for (const std::string &d : dirs) {
        std::error_code ec;
        const fs::path dir = d.empty() ? fs::path(".") : fs::path(d);
        if (fs::is_regular_file(dir / name, ec)) {
            found = (dir / name).string();
            break;
        }
        // the machines' file names ignore case
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
            if (Upper(it->path().filename().string()) == Upper(name) && it->is_regular_file(ec)) {
                found = it->path().string();
                break;
            }
        if (!found.empty())
            break;
    }
    if (!m_.Options.ReadIncludes)
        return;
    if (found.empty()) {
        Report(t.Col, "Include file not found: " + name, true);
        m_.IncludeMissing = true;
        return;
    }
    std::error_code ec;
    const std::string key = fs::weakly_canonical(found, ec).string();
    if (!m_.IncludesRead.insert(key.empty() ? found : key).second || m_.IncludeDepth >= 8)
        return;
    std::string text;
    if (!ReadOplSourceFile(found, text)) {
        Report(t.Col, "Include file not found: " + name, true);
        return;
    }
    ++m_.IncludeDepth;
    TOplParser inner(m_, found);
    inner.Run(text);
    --m_.IncludeDepth;
}

} // namespace quenvel
