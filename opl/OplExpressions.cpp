// Expressions with OPL's precedence, from the lowest: AND OR; = < > <= >= <>; + -;
// * /; unary minus and NOT; **. A percentage (a+b%) marks the operand it follows.
#include "opl/OplParser.h"

#include "opl/OplKeywords.h"

#include <algorithm>

namespace quenvel {

namespace {

bool IsNumber(TOplType t)
{
    return t == tyInt || t == tyLong || t == tyFloat;
}

TOplType Wider(TOplType a, TOplType b)
{
    if (!IsNumber(a) || !IsNumber(b))
        return tyAny;
    return a > b ? a : b;
}

} // namespace

void TOplParser::NeedNumber(const TOplValue &v)
{
    if (v.Type == tyString)
        Fail(v.Col, "Type mismatch: string where a number is needed");
    if (v.Type == tyArray || v.Type == tyVoid)
        Fail(v.Col, "Type mismatch: a value is needed");
}

void TOplParser::NeedString(const TOplValue &v)
{
    if (IsNumber(v.Type))
        Fail(v.Col, "Type mismatch: number where a string is needed");
    if (v.Type == tyArray || v.Type == tyVoid)
        Fail(v.Col, "Type mismatch: a value is needed");
}

void TOplParser::NeedType(const TOplValue &v, TOplType wanted)
{
    if (wanted == tyString)
        NeedString(v);
    else if (IsNumber(wanted))
        NeedNumber(v);
}

TOplType TOplParser::Binary(const TOplValue &a, const TOplValue &b, const std::string &op)
{
    const bool compare = op == "=" || op == "<" || op == ">" || op == "<=" || op == ">=" || op == "<>";
    if ((op == "+" || compare) && (a.Type == tyString || b.Type == tyString)) {
        NeedString(a);
        NeedString(b);
        return compare ? tyInt : tyString;
    }
    if ((op == "+" || compare) && a.Type == tyAny && b.Type == tyAny)
        return compare ? tyInt : tyAny;
    NeedNumber(a);
    NeedNumber(b);
    return compare ? tyInt : Wider(a.Type, b.Type);
}

TOplValue TOplParser::Expression()
{
    struct TDepth {
        int &d;
        ~TDepth() { --d; }
    } depth{++depth_};
    if (depth_ > 64)
        Fail(Tok(), "Too complex: expressions nested too deeply");
    TOplValue v = Comparison();
    while (IsWord("AND") || IsWord("OR")) {
        ++pos_;
        const TOplValue r = Comparison();
        NeedNumber(v);
        NeedNumber(r);
        v.Type = Wider(v.Type, r.Type);
        v.Variable = false;
    }
    return v;
}

TOplValue TOplParser::Comparison()
{
    TOplValue v = Sum();
    while (IsOp("=") || IsOp("<") || IsOp(">") || IsOp("<=") || IsOp(">=") || IsOp("<>")) {
        const std::string op(Tok().Text);
        ++pos_;
        const TOplValue r = Sum();
        v.Type = Binary(v, r, op);
        v.Variable = false;
    }
    return v;
}

TOplValue TOplParser::Sum()
{
    TOplValue v = Product();
    while (IsOp("+") || IsOp("-")) {
        const std::string op(Tok().Text);
        ++pos_;
        const TOplValue r = Product();
        v.Type = Binary(v, r, op);
        v.Variable = false;
    }
    return v;
}

TOplValue TOplParser::Product()
{
    TOplValue v = Unary();
    while (IsOp("*") || IsOp("/")) {
        const std::string op(Tok().Text);
        ++pos_;
        const TOplValue r = Unary();
        v.Type = Binary(v, r, op);
        v.Variable = false;
    }
    return v;
}

TOplValue TOplParser::Unary()
{
    const int32_t col = Tok().Col;
    bool prefixed = false;
    while (IsOp("-") || IsOp("+") || IsWord("NOT")) {
        prefixed = true;
        ++pos_;
    }
    TOplValue v = Power();
    if (prefixed) {
        NeedNumber(v);
        v.Col = col;
        v.Variable = false;
    }
    return v;
}

TOplValue TOplParser::Power()
{
    TOplValue v = Primary();
    while (IsOp("%")) { // a percentage: the right operand of a+b%
        NeedNumber(v);
        ++pos_;
        v.Type = tyFloat;
        v.Variable = false;
    }
    while (IsOp("**")) {
        ++pos_;
        const TOplValue r = Unary();
        v.Type = Binary(v, r, "**");
        v.Variable = false;
    }
    return v;
}

TOplValue TOplParser::Primary()
{
    const TOplToken &t = Tok();
    TOplValue v;
    v.Col = t.Col;
    switch (t.Kind) {
    case TOplTok::Int:
    case TOplTok::Long:
    case TOplTok::Float:
        if (t.OutOfRange)
            Fail(t, "Number out of range: " + std::string(t.Text));
        v.Type = t.Kind == TOplTok::Int ? tyInt : t.Kind == TOplTok::Long ? tyLong : tyFloat;
        ++pos_;
        return v;
    case TOplTok::Str:
        v.Type = tyString;
        ++pos_;
        return v;
    case TOplTok::LParen: {
        ++pos_;
        TOplValue inner = Expression();
        Expect(TOplTok::RParen, ")");
        inner.Col = t.Col;
        inner.Variable = false;
        return inner;
    }
    case TOplTok::Ident:
        return Name(t);
    case TOplTok::Call:
        return ProcedureCall(t);
    case TOplTok::At:
        return DynamicCall();
    default:
        SyntaxError();
    }
}

TOplValue TOplParser::Name(const TOplToken &t)
{
    const std::string upper = Upper(t.Text);
    TOplValue v;
    v.Col = t.Col;
    if (const TOplWordFact *fact = FindOplWordFact(upper)) {
        if (fact->Class == TOplWordClass::Function)
            return FunctionCall(t, *fact);
        SyntaxError();
    }
    ++pos_;
    const auto c = m_.Constants.find(upper);
    if (c != m_.Constants.end()) {
        v.Type = c->second.Type;
        return v;
    }
    v.Type = TypeOfName(upper);
    v.Variable = true;
    if (Tok().Kind == TOplTok::Dot && TypeOfName(upper) == tyFloat) { // a field: A.name$
        ++pos_;
        if (Tok().Kind != TOplTok::Ident)
            Fail(Tok(), "Syntax error: a field name expected");
        v.Type = TypeOfName(Tok().Text);
        ++pos_;
        return v;
    }
    if (Tok().Kind != TOplTok::LParen)
        return v;
    ++pos_;
    if (Tok().Kind == TOplTok::RParen) { // the whole array: name()
        ++pos_;
        v.Type = tyArray;
        return v;
    }
    NeedNumber(Expression());
    if (Tok().Kind == TOplTok::Comma) { // OPL arrays have one dimension; name$(i,j) is not OPL
        ++pos_;
        NeedNumber(Expression());
    }
    Expect(TOplTok::RParen, ")");
    return v;
}

TOplValue TOplParser::Argument()
{
    if (Tok().Kind == TOplTok::Hash) { // #address: passed where a variable is asked for
        TOplValue v;
        v.Col = Tok().Col;
        ++pos_;
        NeedNumber(Expression());
        v.Type = tyAny;
        v.Variable = true;
        return v;
    }
    return Expression();
}

TOplValue TOplParser::FunctionCall(const TOplToken &t, const TOplWordFact &fact)
{
    const std::string upper = Upper(t.Text);
    CheckWord(t, upper);
    ++pos_;
    std::vector<TOplValue> args;
    if (Tok().Kind == TOplTok::LParen && (fact.ListArgs || fact.OpenTail || fact.ArgCounts.back() > 0)) {
        ++pos_;
        do {
            if (!args.empty())
                ++pos_;
            args.push_back(Argument());
        } while (Tok().Kind == TOplTok::Comma);
        Expect(TOplTok::RParen, ")");
    }
    const int n = static_cast<int>(args.size());
    if (fact.ListArgs) {
        if (n == 0 || (args[0].Type == tyArray && n != 2))
            Fail(t, "Wrong number of arguments to " + std::string(t.Text) + " " + OplArgCountNote(n, {}));
        if (args[0].Type != tyArray)
            for (const TOplValue &a : args)
                NeedNumber(a);
    } else {
        const std::vector<int> &counts = fact.ArgCounts;
        const bool accepted = fact.OpenTail ? n >= counts.front() : std::find(counts.begin(), counts.end(), n) != counts.end();
        if (!accepted)
            Fail(t, "Wrong number of arguments to " + std::string(t.Text) + " " + OplArgCountNote(n, counts));
        for (size_t i = 0; i < args.size() && i < fact.Args.size(); ++i) {
            const TOplArgFact &f = fact.Args[i];
            if (f.ByRef && args[i].Type == tyArray)
                continue; // an array passed by reference: its first element
            if (f.ByRef && !args[i].Variable)
                Fail(args[i].Col, "Syntax error: a variable is needed as argument " + std::to_string(i + 1) + " of " +
                                      std::string(t.Text));
            if (args[i].Type != tyArray || f.Type != tyAny)
                NeedType(args[i], f.Type);
        }
    }
    TOplValue v;
    v.Col = t.Col;
    v.Type = fact.NativeReturn && m_.Options.Dialect == TDialect::Opl5 ? tyLong : fact.Returns;
    return v;
}

void TOplParser::ProcedureArguments()
{
    if (Tok().Kind != TOplTok::LParen)
        return;
    ++pos_;
    do {
        if (Tok().Kind == TOplTok::Comma)
            ++pos_;
        const TOplValue a = Argument();
        if (a.Type == tyArray)
            Fail(a.Col, "Syntax error: an array cannot be passed to a procedure");
    } while (Tok().Kind == TOplTok::Comma);
    Expect(TOplTok::RParen, ")");
}

TOplValue TOplParser::ProcedureCall(const TOplToken &t)
{
    ++pos_;
    ProcedureArguments();
    TOplValue v;
    v.Col = t.Col;
    v.Type = TypeOfName(t.Text);
    return v;
}

TOplValue TOplParser::DynamicCall()
{
    const TOplToken &at = Tok();
    ++pos_;
    Expect(TOplTok::LParen, "(");
    NeedString(Expression());
    Expect(TOplTok::RParen, ")");
    if (Tok().Kind != TOplTok::Sep)
        Fail(Tok(), "Syntax error: ':' expected");
    ++pos_;
    ProcedureArguments();
    TOplValue v;
    v.Col = at.Col;
    v.Type = TypeOfName(at.Text == "@" ? "" : at.Text);
    return v;
}

void TOplParser::Assignment()
{
    const TOplToken &t = Tok();
    const std::string upper = Upper(t.Text);
    if (m_.Constants.count(upper))
        Fail(t, "Syntax error: the constant " + std::string(t.Text) + " cannot be assigned");
    const TOplValue target = Name(t);
    if (!IsOp("="))
        Fail(Tok(), AtEnd() ? "Syntax error: '=' expected" : "Syntax error");
    if (target.Type == tyArray)
        Fail(target.Col, "Syntax error: an array cannot be assigned");
    ++pos_;
    NeedType(Expression(), target.Type);
}

} // namespace quenvel
