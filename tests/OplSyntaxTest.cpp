// The OPL front end: known errors, errors inserted into clean programs, real programs, the word facts.
#include "TestUtil.h"

#include "opl/OplKeywords.h"
#include "opl/OplSyntax.h"
#include "opl/OplWordFacts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

using namespace quenvel;
using namespace quenvel::test;

namespace {

TOplCheckResult Check(const std::string &text, TDialect dialect = TDialect::Opl5, const std::string &path = "/nonexistent/prog.opl")
{
    TOplCheckOptions o;
    o.Dialect = dialect;
    o.Path = path;
    return CheckOplProgram(text, o);
}

std::string Where(const TOplDiagnostic &d)
{
    return std::to_string(d.Line) + ":" + std::to_string(d.Col) + " " + d.Message;
}

const char *const kClean = R"(CONST KMax%=10
CONST KName$="Quenvel"

PROC main:
  GLOBAL count%,name$(20),total&
  LOCAL i%,x,buf$(255),arr%(KMax%),names$(3,10)
  count%=0 :name$=KName$
  i%=1
  WHILE i%<=KMax%
    arr%(i%)=i%*2
    IF i%=3
      PRINT "three";i%,
    ELSEIF i%>5 AND NOT (i%=7)
      total&=total&+arr%(i%)
    ELSE
      x=SQR(i%)**2+1.5E2-$FF+&10+50%
    ENDIF
    i%=i%+1
  ENDWH
  DO
    count%=count%+1
    IF count%>3 :BREAK :ENDIF
  UNTIL count%>=KMax%
  buf$=LEFT$(name$,3)+CHR$(%A)+""""
  names$(1)=UPPER$(buf$)
  x=helper%:(i%,buf$)
  ONERR failed::
  GOTO done
failed::
  ONERR OFF
done::
  gAT 10,20 :gPRINT "x",1 :OPEN "data",A,f1%,f2$ :A.f2$="y" :USE A
ENDP

PROC helper%:(n%,s$)
  LOCAL r%
  r%=LEN(s$)+n% REM a comment
  RETURN r%
ENDP
)";

std::string JoinLines(const std::vector<std::string> &lines)
{
    std::string t;
    for (const std::string &l : lines)
        t += l + "\n";
    return t;
}

} // namespace

// Each program holds one error; the front end reports it once, at the place worked out by hand.
TEST(OplSyntax, EachCheckReportsItsErrorOnceAtItsPlace)
{
    const std::tuple<TDialect, const char *, const char *> cases[] = {
        {TDialect::Opl5, "PROC a:\n  x%=ABS(1\nENDP", "2:11 Mismatched ( or \": a ) is missing"},
        {TDialect::Opl5, "PROC a:\n  PRINT \"abc\nENDP", "2:9 Mismatched ( or \": the string has no closing \""},
        {TDialect::Opl5, "PROC a:\n  x%=1 y%=2\nENDP", "2:8 Syntax error"},
        {TDialect::Opl5, "PROC a:\n  ENDWH\nENDP", "2:3 Structure fault: ENDWH without WHILE"},
        {TDialect::Opl5, "PROC a:\n  IF 1\n    PRINT\nENDP", "4:1 Structure fault: IF without ENDIF"},
        {TDialect::Opl5, "PROC a:\n  WHILE 1\n    IF 1\n  ENDWH\nENDP", "4:3 Structure fault: IF without ENDIF"},
        {TDialect::Opl5, "PROC a:\n  BREAK\nENDP", "2:3 Structure fault: BREAK outside a loop"},
        {TDialect::Opl5, "PROC a:\n  IF 1\n  ELSE\n  ELSE\n  ENDIF\nENDP", "4:3 Structure fault: ELSE after ELSE"},
        {TDialect::Opl5, "ENDP", "1:1 Structure fault: ENDP without PROC"},
        {TDialect::Opl5, "PROC a:\n  PRINT\n", "2:1 Structure fault: PROC without ENDP"},
        {TDialect::Opl5, "PROC a:\n  top::\n  top::\nENDP", "3:3 Duplicate name: label top::"},
        {TDialect::Opl5, "PROC a:\n  GOTO nowhere\nENDP", "2:8 Missing label: NOWHERE"},
        {TDialect::Opl5, "PROC a:\n  VECTOR 1\n    l1,l2\n  ENDV\nl1::\nENDP", "3:8 Missing label: L2"},
        {TDialect::Opl5, "PROC a:\n  LOCAL a%,b,a%\nENDP", "2:14 Duplicate name: a%"},
        {TDialect::Opl5, "PROC a:\n  GLOBAL n$(5)\n  LOCAL n$(5)\nENDP", "3:9 Duplicate name: n$"},
        {TDialect::Opl5, "PROC a:\nENDP\nPROC a:\nENDP", "3:6 Duplicate name: procedure a:"},
        {TDialect::Opl5, "CONST K%=1\nCONST K%=2\nPROC a:\nENDP", "2:7 Constant redefined: K%"},
        {TDialect::Opl5, "CONST K%=1\nPROC a:\n  K%=2\nENDP", "3:3 Syntax error: the constant K% cannot be assigned"},
        {TDialect::Opl5, "PROC a:\n  LOCAL s$\nENDP", "2:9 Bad declaration: s$ needs a length"},
        {TDialect::Opl5, "PROC a:\n  LOCAL s$(256)\nENDP", "2:9 Bad declaration: string length 256 (1 to 255)"},
        {TDialect::Opl5, "PROC a:\n  LOCAL a%(x)\nENDP", "2:12 Bad declaration: a size must be a whole number"},
        {TDialect::Opl5, "PROC a:\n  x%=\"a\"\nENDP", "2:6 Type mismatch: string where a number is needed"},
        {TDialect::Opl5, "PROC a:\n  s$=1+2\nENDP", "2:6 Type mismatch: number where a string is needed"},
        {TDialect::Opl5, "PROC a$:\n  RETURN 1\nENDP", "2:10 Type mismatch: number where a string is needed"},
        {TDialect::Opl5, "PROC a:\n  x%=$10000\nENDP", "2:6 Number out of range: $10000"},
        {TDialect::Opl5, "CONST K%=40000\nPROC a:\nENDP", "1:10 Number out of range: 40000"},
        {TDialect::Opl5, "PROC a:\n  x=ABS(1,2)\nENDP", "2:5 Wrong number of arguments to ABS (2; exactly 1)"},
        {TDialect::Opl5, "PROC a:\n  gCLOCK ON,1,2,\"f\",4,5,6\nENDP", "2:3 Wrong number of arguments to gCLOCK (7; at most 6)"},
        {TDialect::Opl5, "PROC a:\n  x=LEN(3)\nENDP", "2:9 Type mismatch: number where a string is needed"},
        {TDialect::Opl5, "PROC a:\n  x%=KEYC(1)\nENDP", "2:11 Syntax error: a variable is needed as argument 1 of KEYC"},
        {TDialect::Opl5, "PROC a:\n  TRAP x%=1\nENDP", "2:8 Syntax error: TRAP needs a command after it"},
        {TDialect::Opl3, "PROC a:\n  gCIRCLE 10\nENDP", "2:3 'gCIRCLE' is not available in OPL 3"},
        {TDialect::Opl3, "CONST K%=1\nPROC a:\nENDP", "1:1 'CONST' is not available in OPL 3"},
        {TDialect::Opl5, "INCLUDE \"nothere.oph\"\nPROC a:\n  LOCAL s$(KLen%)\nENDP", "1:9 Include file not found: nothere.oph"},
    };
    for (const auto &[dialect, program, expected] : cases) {
        const TOplCheckResult r = Check(program, dialect);
        ASSERT_EQ(r.Diagnostics.size(), 1u) << program;
        EXPECT_EQ(Where(r.Diagnostics[0]), expected) << program;
    }
}

TEST(OplSyntax, AnErrorInsertedIntoACleanProgramIsFoundWhereItWasMade)
{
    const std::vector<std::string> clean = SplitLikeLoader(kClean);
    ASSERT_EQ(Check(kClean).Diagnostics.size(), 0u) << Where(Check(kClean).Diagnostics[0]);
    const std::regex numberName(R"(^(\s*[A-Za-z]\w*)%([=(]))");
    int mutations = 0;
    for (size_t i = 0; i < clean.size(); ++i) {
        const std::string &line = clean[i];
        std::vector<std::string> changed;
        const std::string word = line.substr(line.find_first_not_of(' ') == std::string::npos ? 0 : line.find_first_not_of(' '));
        const bool closer = word == "ENDIF" || word == "ENDWH" || word.rfind("UNTIL", 0) == 0;
        if (closer)
            changed.push_back("");
        for (const char c : {')', '"'})
            if (line.find(c) != std::string::npos)
                changed.push_back(line.substr(0, line.find(c)) + line.substr(line.find(c) + 1));
        if (std::regex_search(line, numberName))
            changed.push_back(std::regex_replace(line, numberName, "$1$$$2", std::regex_constants::format_first_only));
        // the end of the procedure holding the line
        const size_t endp = static_cast<size_t>(std::find(clean.begin() + long(i), clean.end(), "ENDP") - clean.begin());
        for (const std::string &m : changed) {
            std::vector<std::string> lines = clean;
            lines[i] = m;
            const TOplCheckResult r = Check(JoinLines(lines));
            ASSERT_GE(r.Errors(), 1) << "line " << i + 1 << ": " << m;
            const int32_t at = r.Diagnostics[0].Line;
            EXPECT_TRUE(at == static_cast<int32_t>(i + 1) || (closer && at > static_cast<int32_t>(i) &&
                                                              at <= static_cast<int32_t>(endp + 1)))
                << "line " << i + 1 << " changed to '" << m << "': " << Where(r.Diagnostics[0]);
            lines[i] = line; // and taken out again
            EXPECT_EQ(Check(JoinLines(lines)).Diagnostics.size(), 0u);
            ++mutations;
        }
    }
    EXPECT_GT(mutations, 20);
}

TEST(OplSyntax, GoesToTheDefinitionOfProceduresConstantsLabelsAndGlobals)
{
    const TOplCheckResult r = Check(kClean);
    const std::vector<std::string> lines = SplitLikeLoader(kClean);
    auto def = [&](int line, const std::string &word) -> std::string {
        const std::string &text = lines[static_cast<size_t>(line - 1)];
        const TOplSymbol *s = FindOplDefinition(r, text, line, static_cast<int32_t>(text.find(word) + 2));
        return s ? std::to_string(s->Line) + ":" + std::to_string(s->Col) + " " + s->Value : "none";
    };
    for (const auto &[line, word, at] : {std::tuple{26, "helper%:", "35:6 "}, {9, "KMax%", "1:7 10"}, {28, "done", "31:1 "},
                                         {21, "count%", "5:10 "}, {37, "s$", "35:18 "}, {37, "LEN", "none"}})
        EXPECT_EQ(def(line, word), at) << word;
}

// Every program at hand gets a verdict in every dialect; those that translate on their machines check clean.
TEST(OplSyntax, RealProgramsGetAVerdictAndTheCleanOnesCheckClean)
{
    namespace fs = std::filesystem;
    std::vector<std::string> files;
    for (const std::string &dir : {std::string(QUENVEL_TEST_DATA), std::string(QUENVEL_SHARED_CORPUS)})
        if (fs::is_directory(dir))
            for (const auto &e : fs::recursive_directory_iterator(dir))
                if (e.is_regular_file() && e.path().extension() != ".md")
                    files.push_back(e.path().string());
    ASSERT_GT(files.size(), 10u);
    std::map<std::string, int> errors;
    for (const std::string &f : files) {
        std::string text;
        ASSERT_TRUE(ReadOplSourceFile(f, text));
        for (TDialect dialect : {TDialect::Siena, TDialect::Opl3, TDialect::Opl5}) {
            const TOplCheckResult r = Check(text, dialect, f);
            for (size_t i = 1; i < r.Diagnostics.size(); ++i) // in order, each once
                EXPECT_FALSE(r.Diagnostics[i].File.empty() && r.Diagnostics[i - 1].File.empty() &&
                             Where(r.Diagnostics[i]) == Where(r.Diagnostics[i - 1])) << f;
            errors[fs::path(f).filename().string() + "/" + DialectName(dialect)] += r.Errors();
        }
    }
    if (!fs::is_directory(QUENVEL_SHARED_CORPUS))
        return;
    for (const char *f : {"WARDRND.OPL", "BULLET3A.OPL", "WTCHMK2.OPL", "SUDOKU1.OPL", "SUDOKU2.OPL"})
        EXPECT_EQ(errors[std::string(f) + "/OPL 3"], 0) << f;
    for (const char *f : {"OPLSAMP.TPL", "TOOLBAR.TPL", "TBARAPP.TPL", "struct.tpl", "tLProc.tpl", "tMaths.tpl",
                          "pConst.tpl", "pFont.tpl", "popxprnt.tpl", "tsystem.tpl", "menu.txt", "dialog.txt", "DEMO.TPL",
                          "frame.tpl", "hutils.tpl", "errors.txt"})
        EXPECT_EQ(errors[std::string(f) + "/OPL 5"], 0) << f;
}

TEST(OplSyntax, WordFactsAreTheTranslatorsWordList)
{
    EXPECT_EQ(OplArgCountNote(7, {1, 2, 3, 4, 5, 6}) + OplArgCountNote(0, {2, 3}) + OplArgCountNote(2, {1, 3}) +
                  OplArgCountNote(1, {0}),
              "(7; at most 6)(0; at least 2)(2; 1 or 3)(1; none)");
    ASSERT_TRUE(FindOplWordFact("GCREATE") && FindOplWordFact("PARSE$"));
    EXPECT_TRUE(FindOplWordFact("GCREATE")->OpenTail && FindOplWordFact("PARSE$")->Args[2].ByRef);
    const std::string tsv = std::string(QUENVEL_SHARED_CORPUS) + "/../opl-facts/translator-words.tsv";
    if (!std::filesystem::exists(tsv))
        GTEST_SKIP() << "no word list at " << tsv;
    std::vector<std::string> lines = SplitLikeLoader(ReadFile(tsv));
    lines.erase(lines.begin()); // the heading
    if (lines.back().empty())
        lines.pop_back();
    const auto &rows = OplWordFactRows();
    ASSERT_EQ(rows.size(), lines.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        const TOplWordFactRow &r = rows[i];
        std::string row = std::string(r.Word) + "\t" + r.Class + "\t" + r.Series3a + "\t" + r.Series5 + "\t" +
                          r.Returns + "\t" + r.ArgCounts + "\t" + r.ArgTypes;
        EXPECT_EQ(row, lines[i]);
    }
}
