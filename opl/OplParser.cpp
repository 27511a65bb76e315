// Reading a file line by line and statement by statement, and the block structure.
#include "opl/OplParser.h"

#include "opl/OplKeywords.h"

#include <algorithm>

namespace quenvel {

TOplParser::TOplParser(TOplModule &module, std::string file) : m_(module), file_(std::move(file)) {}

void TOplParser::Report(int32_t col, std::string message, bool warning)
{
    if (failedInLine_ && !warning)
        return; // one error a statement: what follows the first is not worth reading
    TOplDiagnostic d;
    d.Line = line_;
    d.Col = col + 1;
    d.Warning = warning;
    d.Message = std::move(message);
    d.File = file_;
    m_.Result.Diagnostics.push_back(std::move(d));
}

void TOplParser::Fail(int32_t col, std::string message)
{
    Report(col, std::move(message));
    failedInLine_ = true;
    throw TAbort{};
}

void TOplParser::SyntaxError()
{
    const TOplToken &t = Tok();
    if (t.Kind == TOplTok::Bad && !t.Text.empty() && t.Text[0] == '"')
        Fail(t, "Mismatched ( or \": the string has no closing \"");
    Fail(t, "Syntax error");
}

const TOplToken &TOplParser::Peek(size_t ahead) const
{
    return toks_[std::min(pos_ + ahead, toks_.size() - 1)];
}

bool TOplParser::AtEnd() const
{
    return Tok().Kind == TOplTok::Eol || Tok().Kind == TOplTok::Sep;
}

bool TOplParser::IsOp(std::string_view op) const
{
    return Tok().Kind == TOplTok::Op && Tok().Text == op;
}

bool TOplParser::IsWord(std::string_view upper) const
{
    if (Tok().Kind != TOplTok::Ident || Tok().Text.size() != upper.size())
        return false;
    for (size_t i = 0; i < upper.size(); ++i)
        if ((Tok().Text[i] & ~0x20) != upper[i])
            return false;
    return true;
}

void TOplParser::Expect(TOplTok kind, const char *what)
{
    if (Tok().Kind != kind) {
        if (kind == TOplTok::RParen && Tok().Kind != TOplTok::Bad)
            Fail(Tok(), "Mismatched ( or \": a ) is missing");
        if (Tok().Kind == TOplTok::Bad)
            SyntaxError();
        Fail(Tok(), std::string("Syntax error: ") + what + " expected");
    }
    ++pos_;
}

std::string TOplParser::Upper(std::string_view s)
{
    std::string u(s);
    for (char &c : u)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return u;
}

TOplType TOplParser::TypeOfName(std::string_view name)
{
    switch (name.empty() ? ' ' : name.back()) {
    case '%': return tyInt;
    case '&': return tyLong;
    case '$': return tyString;
    default: return tyFloat;
    }
}

int32_t TOplParser::AddSymbol(TOplSymbolKind kind, const std::string &name, int32_t col, std::string value)
{
    TOplSymbol s;
    s.Kind = kind;
    s.Name = name;
    s.Line = line_;
    s.Col = col + 1;
    s.Proc = kind == TOplSymbolKind::Procedure || kind == TOplSymbolKind::Constant ? -1 : procIndex_;
    s.File = file_;
    s.Value = std::move(value);
    m_.Result.Symbols.push_back(std::move(s));
    return static_cast<int32_t>(m_.Result.Symbols.size() - 1);
}

void TOplParser::Run(std::string_view text)
{
    size_t p = 0;
    while (p < text.size() || (p == text.size() && line_ == 0)) {
        size_t e = p;
        while (e < text.size() && text[e] != '\n' && text[e] != '\r')
            ++e;
        ++line_;
        Line(text.substr(p, e - p));
        if (e < text.size() && text[e] == '\r' && e + 1 < text.size() && text[e + 1] == '\n')
            ++e;
        p = e + 1;
        if (e >= text.size())
            break;
    }
    if (inProc_)
        EndProcedure(nullptr);
    if (inApp_)
        Report(0, "Structure fault: APP without ENDA");
}

void TOplParser::Line(std::string_view text)
{
    text_ = text;
    LexOplLine(text, toks_);
    pos_ = 0;
    failedInLine_ = false;
    while (true) {
        try {
            if (Tok().Kind != TOplTok::Sep && Tok().Kind != TOplTok::Eol)
                Statement();
            if (!AtEnd())
                SyntaxError();
        } catch (const TAbort &) {
            // resynchronise at the next statement of the line
            while (!AtEnd())
                ++pos_;
        }
        if (Tok().Kind == TOplTok::Eol)
            break;
        ++pos_;
        failedInLine_ = false;
    }
}

void TOplParser::CheckWord(const TOplToken &t, const std::string &upper)
{
    // the tags of each word of the keyword tables, looked up by the word in upper case
    static const auto *tags = [] {
        auto *m = new std::unordered_map<std::string, std::vector<TOplTag>>;
        for (const TOplWord &w : OplWordTable())
            (*m)[Upper(w.Word)].push_back(w.Tag);
        return m;
    }();
    const TDialect dialect = m_.Options.Dialect;
    bool has = false;
    const auto it = tags->find(upper);
    if (it != tags->end()) {
        for (const TOplTag tag : it->second)
            has = has || OplDialectHas(tag, dialect);
    } else {
        const TOplWordFact *f = FindOplWordFact(upper);
        has = !f || (dialect == TDialect::Opl5 ? f->Series5 : f->Series3a);
    }
    if (!has)
        Report(t.Col, "'" + std::string(t.Text) + "' is not available in " + DialectName(dialect));
}

void TOplParser::Statement()
{
    const TOplToken &t = Tok();
    if (inVector_ && !IsWord("ENDV")) {
        VectorLine();
        return;
    }
    if (inOpx_) {
        OpxLine();
        return;
    }
    switch (t.Kind) {
    case TOplTok::Label:
        if (!inProc_)
            SyntaxError();
        while (Tok().Kind == TOplTok::Label) { // labels, and perhaps a statement after them
            const std::string name = Upper(Tok().Text);
            if (labels_.count(name))
                Report(Tok().Col, "Duplicate name: label " + std::string(Tok().Text) + "::");
            else {
                labels_[name] = true;
                AddSymbol(TOplSymbolKind::Label, name, Tok().Col);
            }
            ++pos_;
        }
        if (!AtEnd())
            Statement();
        return;
    case TOplTok::Call:
        if (!inProc_)
            SyntaxError();
        ProcedureCall(t);
        return;
    case TOplTok::At:
        if (!inProc_)
            SyntaxError();
        DynamicCall();
        return;
    case TOplTok::Ident:
        break;
    default:
        SyntaxError();
    }
    const std::string upper = Upper(t.Text);
    const TOplWordFact *fact = FindOplWordFact(upper);
    if (inApp_) {
        AppLine(t, upper);
        return;
    }
    if (StructureStatement(t, upper))
        return;
    if (!inProc_)
        SyntaxError();
    WordStatement(t, upper, fact);
}

void TOplParser::WordStatement(const TOplToken &t, const std::string &upper, const TOplWordFact *fact)
{
    if (fact && fact->Class == TOplWordClass::Function) {
        Expression(); // a function called for what it does, its value thrown away
        return;
    }
    if (fact && fact->Class == TOplWordClass::Keyword) {
        CheckWord(t, upper);
        ++pos_;
        Command(t, upper);
        return;
    }
    if (fact)
        SyntaxError();
    Assignment();
}

void TOplParser::Close(const TOplToken &t, TBlock kind, const char *word)
{
    static const char *const opener[] = {"IF", "WHILE", "DO", "VECTOR"};
    static const char *const closer[] = {"ENDIF", "ENDWH", "UNTIL", "ENDV"};
    const auto it = std::find_if(blocks_.rbegin(), blocks_.rend(), [&](const TOpen &o) { return o.Kind == kind; });
    if (it == blocks_.rend())
        Fail(t, std::string("Structure fault: ") + word + " without " + opener[kind]);
    // the blocks opened inside this one and never closed
    const size_t keep = static_cast<size_t>(blocks_.rend() - it) - 1;
    if (keep + 1 < blocks_.size()) {
        const TOpen &inner = blocks_.back();
        Report(t.Col, std::string("Structure fault: ") + opener[inner.Kind] + " without " + closer[inner.Kind]);
        failedInLine_ = true;
    }
    for (size_t i = keep; i < blocks_.size(); ++i)
        if (blocks_[i].Kind == bkWhile || blocks_[i].Kind == bkDo)
            --loops_;
    blocks_.resize(keep);
}

bool TOplParser::StructureStatement(const TOplToken &t, const std::string &upper)
{
    auto open = [&](TBlock kind) {
        ++pos_;
        blocks_.push_back({kind, false});
        if (kind == bkWhile || kind == bkDo)
            ++loops_;
    };
    if (upper == "PROC") {
        Procedure(t);
    } else if (upper == "ENDP") {
        if (!inProc_)
            Fail(t, "Structure fault: ENDP without PROC");
        ++pos_;
        EndProcedure(&t);
    } else if (!inProc_ && (upper == "CONST" || upper == "INCLUDE" || upper == "DECLARE" || upper == "APP" ||
                            upper == "EXTERNAL")) {
        CheckWord(t, upper);
        ++pos_;
        if (upper == "CONST")
            Constant();
        else if (upper == "INCLUDE")
            Include();
        else if (upper == "DECLARE")
            Declare();
        else if (upper == "EXTERNAL")
            External();
        else {
            inApp_ = true;
            Expression();
            if (Tok().Kind == TOplTok::Comma) {
                ++pos_;
                NeedNumber(Expression());
            }
        }
    } else if (!inProc_) {
        return false;
    } else if (upper == "IF" || upper == "WHILE") {
        open(upper == "IF" ? bkIf : bkWhile);
        NeedNumber(Expression());
    } else if (upper == "DO") {
        open(bkDo);
    } else if (upper == "VECTOR") {
        open(bkVector);
        NeedNumber(Expression());
        inVector_ = true;
    } else if (upper == "ELSEIF" || upper == "ELSE") {
        if (blocks_.empty() || blocks_.back().Kind != bkIf)
            Fail(t, "Structure fault: " + upper + " without IF");
        if (blocks_.back().SawElse)
            Fail(t, "Structure fault: " + upper + " after ELSE");
        blocks_.back().SawElse = upper == "ELSE";
        ++pos_;
        if (upper == "ELSEIF")
            NeedNumber(Expression());
        else if (!AtEnd())
            Statement(); // ELSE and a statement on one line
    } else if (upper == "ENDIF" || upper == "ENDWH" || upper == "ENDV") {
        ++pos_;
        inVector_ = false;
        Close(t, upper == "ENDIF" ? bkIf : upper == "ENDWH" ? bkWhile : bkVector, upper.c_str());
    } else if (upper == "UNTIL") {
        ++pos_;
        Close(t, bkDo, "UNTIL");
        NeedNumber(Expression());
    } else if (upper == "BREAK" || upper == "CONTINUE") {
        if (loops_ == 0)
            Fail(t, "Structure fault: " + upper + " outside a loop");
        ++pos_;
    } else if (upper == "GOTO" || upper == "ONERR") {
        ++pos_;
        Goto(upper == "ONERR");
    } else if (upper == "RETURN") {
        ++pos_;
        if (!AtEnd())
            NeedType(Expression(), procType_);
    } else if (upper == "GLOBAL" || upper == "LOCAL") {
        ++pos_;
        Declaration(t, upper == "GLOBAL" ? TOplSymbolKind::Global : TOplSymbolKind::Local);
    } else if (upper == "EXTERNAL") {
        CheckWord(t, upper);
        ++pos_;
        Declaration(t, TOplSymbolKind::External);
    } else if (upper == "TRAP") {
        ++pos_;
        const TOplWordFact *f = Tok().Kind == TOplTok::Ident ? FindOplWordFact(Upper(Tok().Text)) : nullptr;
        if (!f || f->Class != TOplWordClass::Keyword)
            Fail(Tok(), "Syntax error: TRAP needs a command after it");
        Statement();
    } else {
        return false;
    }
    return true;
}

void TOplParser::EndProcedure(const TOplToken *endp)
{
    const int32_t col = endp ? endp->Col : 0;
    static const char *const opener[] = {"IF", "WHILE", "DO", "VECTOR"};
    static const char *const closer[] = {"ENDIF", "ENDWH", "UNTIL", "ENDV"};
    for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it) {
        Report(col, std::string("Structure fault: ") + opener[it->Kind] + " without " + closer[it->Kind]);
        failedInLine_ = true;
    }
    failedInLine_ = false;
    if (!endp)
        Report(col, "Structure fault: PROC without ENDP");
    const int32_t line = line_;
    for (const TGoto &g : gotos_)
        if (!labels_.count(g.Label)) {
            line_ = g.Line;
            Report(g.Col, "Missing label: " + g.Label);
        }
    line_ = line;
    if (procIndex_ >= 0)
        m_.Result.Procs[static_cast<size_t>(procIndex_)].Last = line_;
    procIndex_ = -1;
    inProc_ = false;
    inVector_ = false;
    names_.clear();
    labels_.clear();
    gotos_.clear();
    blocks_.clear();
    loops_ = 0;
}

} // namespace quenvel
