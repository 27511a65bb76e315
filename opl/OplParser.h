// The OPL front end's parser: one file (the program or an include) read statement by
// statement, line by line. Shared by the statement, expression, command and declaration
// readers, each in a file of its own.
#pragma once

#include "opl/OplLexer.h"
#include "opl/OplSyntax.h"
#include "opl/OplWordFacts.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace quenvel {

// What the program and its includes share: the constants, the procedures, the includes
// already read.
struct TOplModule {
    TOplModule(const TOplCheckOptions &o, TOplCheckResult &r) : Options(o), Result(r) {}
    const TOplCheckOptions &Options;
    TOplCheckResult &Result;
    struct TConst {
        TOplType Type;
        std::string Value;
    };
    std::unordered_map<std::string, TConst> Constants;
    std::unordered_map<std::string, int32_t> Procedures; // name -> symbol index
    std::unordered_set<std::string> IncludesRead;
    int IncludeDepth = 0;
    bool IncludeMissing = false; // names it would have declared are taken on trust
};

// The value an expression gives and where it starts.
struct TOplValue {
    TOplType Type = tyAny;
    int32_t Col = 0;      // 0-based column of its first token
    bool Variable = false; // a variable, an array element, a field, or #address: can be passed by reference
};

class TOplParser
{
public:
    TOplParser(TOplModule &module, std::string file);
    void Run(std::string_view text);

private:
    struct TAbort {};
    enum TBlock : uint8_t { bkIf, bkWhile, bkDo, bkVector };
    struct TOpen {
        TBlock Kind;
        bool SawElse;
    };
    struct TGoto {
        std::string Label;
        int32_t Line, Col;
    };

    // reporting (OplParser.cpp)
    void Report(int32_t col, std::string message, bool warning = false);
    [[noreturn]] void Fail(int32_t col, std::string message);
    [[noreturn]] void Fail(const TOplToken &t, std::string message) { Fail(t.Col, std::move(message)); }
    [[noreturn]] void SyntaxError();
    const TOplToken &Tok() const { return toks_[pos_]; }
    const TOplToken &Peek(size_t ahead = 1) const;
    bool AtEnd() const;
    bool IsOp(std::string_view op) const;
    bool IsWord(std::string_view upper) const;
    void Expect(TOplTok kind, const char *what);
    static std::string Upper(std::string_view s);
    static TOplType TypeOfName(std::string_view name);
    int32_t AddSymbol(TOplSymbolKind kind, const std::string &name, int32_t col, std::string value = {});

    // statements (OplParser.cpp)
    void Line(std::string_view text);
    void Statement();
    void WordStatement(const TOplToken &t, const std::string &upper, const TOplWordFact *fact);
    bool StructureStatement(const TOplToken &t, const std::string &upper);
    void Close(const TOplToken &t, TBlock kind, const char *word);
    void EndProcedure(const TOplToken *endp);
    void CheckWord(const TOplToken &t, const std::string &upper);

    // expressions (OplExpressions.cpp)
    TOplValue Expression();
    TOplValue Comparison();
    TOplValue Sum();
    TOplValue Product();
    TOplValue Unary();
    TOplValue Power();
    TOplValue Primary();
    TOplValue Name(const TOplToken &t);
    TOplValue FunctionCall(const TOplToken &t, const TOplWordFact &fact);
    TOplValue ProcedureCall(const TOplToken &t);
    TOplValue DynamicCall();
    TOplValue Argument();
    void ProcedureArguments();
    TOplType Binary(const TOplValue &a, const TOplValue &b, const std::string &op);
    void NeedNumber(const TOplValue &v);
    void NeedString(const TOplValue &v);
    void NeedType(const TOplValue &v, TOplType wanted);
    void Assignment();

    // commands (OplCommands.cpp)
    void Command(const TOplToken &t, const std::string &upper);
    void PrintItems();
    void FileCommand(const TOplToken &t, const std::string &upper);
    TOplValue CommandArgument(char kind);
    void LogicalName();

    // declarations (OplDeclarations.cpp)
    void Procedure(const TOplToken &t);
    void Declaration(const TOplToken &t, TOplSymbolKind kind);
    int32_t Dimension();
    void DeclareName(const TOplToken &t, TOplSymbolKind kind);
    void Constant();
    void Include();
    void Declare();
    void External();
    void AppLine(const TOplToken &t, const std::string &upper);
    void OpxLine();
    void VectorLine();
    void Goto(bool onerr);

    TOplModule &m_;
    std::string file_;
    std::vector<TOplToken> toks_;
    size_t pos_ = 0;
    int32_t line_ = 0; // 1-based
    std::string_view text_;
    bool failedInLine_ = false;
    int depth_ = 0; // nesting of expressions being read

    // the procedure being read
    bool inProc_ = false;
    int32_t procIndex_ = -1;   // index into Result.Procs
    TOplType procType_ = tyFloat;
    std::unordered_map<std::string, int32_t> names_;  // declared names -> symbol
    std::unordered_map<std::string, bool> labels_;
    std::vector<TGoto> gotos_;
    std::vector<TOpen> blocks_;
    int32_t loops_ = 0;
    bool inVector_ = false;
    bool inApp_ = false;
    bool inOpx_ = false;
};

} // namespace quenvel
