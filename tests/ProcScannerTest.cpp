// The procedure list, the new-document template, "Go to line number" and `--procs`.
#include "TestUtil.h"

#include "app/document/Document.h"
#include "opl/ProcScanner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <sys/wait.h>

using namespace quenvel;
using namespace quenvel::test;

namespace {

std::vector<TProcEntry> ScanText(const std::string &text)
{
    TCodeMemo memo;
    ConfigureEditorLikeMainWindow(memo);
    LoadString(memo, text);
    return ScanProcedures(memo);
}

} // namespace

TEST(ProcScanner, WhichLinesAreListedAndWhatTheyShow)
{
    struct TCase {
        const char *text;
        std::vector<TProcEntry> rows;
    };
    const TCase cases[] = {
        {"PROC main:\r\nREM Entry point\r\nENDP", {{"main:", "Entry point", 1}}},
        {"proc Add%:(a%,b%)\r\nrem sums", {{"Add%:(a%,b%)", "sums", 1}}},
        // six characters are enough, five are not; the fifth character goes whatever it is
        {"PROC a\nPROC:\nPROC:x\nPROC\xa0" "CmdG%:", {{"a", "", 1}, {"x", "", 3}, {"CmdG%:", "", 4}}},
        // indented headers are not procedures; a REM after an empty line is no comment
        {"\tPROC x:\n PROC y:\nPROC z:\n\nREM late", {{"z:", "", 3}}},
        // only the first four and five characters go: blanks beyond stay, inline comments stay
        {"PROC  two:\nREM  c2\nPROC x: REM inline\nREMARK", {{" two:", " c2", 1}, {"x: REM inline", "RK", 3}}},
        // a REM line needs more than four characters; the last line has nothing below it
        {"PROC a:\nREM!\nENDP\nPROC last:", {{"a:", "", 1}, {"last:", "", 4}}},
        // every line end the loader knows; bytes above 127 stay as they are
        {"PROC a:\rREM x\nPROC b\xe6:\n\rREM \xa9y\r\n", {{"a:", "x", 1}, {"b\xe6:", "\xa9y", 3}}},
        {"", {}},
        {"ENDP\r\nREM nothing here\r\n", {}},
    };
    for (const TCase &c : cases)
        EXPECT_EQ(ScanText(c.text), c.rows) << c.text;
}

TEST(ProcScanner, NewTemplateLeavesTheCaretForTheNameAndIsListed)
{
    TCodeMemo memo;
    ConfigureEditorLikeMainWindow(memo);
    LoadString(memo, "old text\r\nthat New clears\r\nin three\r\nor more lines");
    memo.SetModified(true);
    memo.Clear();
    NewTemplate(memo);
    EXPECT_EQ(memo.Text(), "PROC :\r\n\r\nENDP");
    EXPECT_EQ(memo.SelLine(), 0);
    EXPECT_EQ(memo.SelCol(), 5);
    EXPECT_EQ(memo.SelLength(), 0);
    EXPECT_FALSE(memo.Modified());
    memo.SetSelTextBuf("main");
    EXPECT_EQ(ScanProcedures(memo), (std::vector<TProcEntry>{{"main:", "", 1}}));
}

TEST(GotoLine, NumbersAreParsedOrRejectedWithTheirText)
{
    const std::pair<const char *, int32_t> good[] = {
        {"12", 12}, {"  7", 7}, {"-3", -3}, {"+4", 4}, {"$1F", 31}, {"0x10", 16},
        {"2147483647", 2147483647}, {"-2147483648", -2147483647 - 1},
    };
    for (auto [text, n] : good)
        EXPECT_EQ(ParseLineNumber(text), n) << text;
    for (const char *text : {"", " ", "12 ", "1.5", "abc", "2147483648", "$", "0x", "--1", "1e3"}) {
        try {
            ParseLineNumber(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const std::invalid_argument &e) {
            EXPECT_EQ(e.what(), "'" + std::string(text) + "' is not a valid integer value");
        }
    }
}

TEST(GotoLine, LineNumbersAreClippedToTheDocument)
{
    TCodeMemo memo;
    ConfigureEditorLikeMainWindow(memo);
    LoadString(memo, "one\r\ntwo\r\nthree");
    const std::pair<const char *, int32_t> cases[] = {{"2", 1}, {"99", 2}, {"0", 0}, {"-5", 0}, {"3", 2}};
    for (auto [answer, line] : cases) {
        memo.SetSelLine(LineIndexForNumber(ParseLineNumber(answer), memo.LineCount()));
        EXPECT_EQ(memo.SelLine(), line) << answer;
        EXPECT_EQ(memo.SelCol(), 0) << answer;
    }
}

TEST(ProcsCommand, ListsTheProceduresOfTextAndSeries5FilesOrFails)
{
    // The binary source and its text twin list the same procedures, converted first.
    const std::string data = QUENVEL_TEST_DATA;
    for (const char *name : {"TOPXCLBK", "TESTOPX"}) {
        TRun bin = RunProgram("--procs " + Q(data + "/s5/" + name));
        TRun text = RunProgram("--procs " + Q(data + "/text/" + name + ".OPL"));
        ASSERT_EQ(bin.status, 0) << bin.err;
        EXPECT_EQ(text.status, 0) << text.err;
        EXPECT_EQ(bin.out, text.out) << name;
    }
    EXPECT_EQ(RunProgram("--procs " + Q(data + "/s5/TOPXCLBK")).out.substr(0, 13), "1\tdonotrun:\t\n");

    // Bytes are written as they stand; a REM line below gives the comment.
    TTempDir t;
    WriteFile(t / "p.opl", "REM top\rPROC \xe6rger:\rREM caf\xe9 \"x\"\tend\r\r\tPROC hidden:\rPROC z%:(a%)");
    TRun r = RunProgram("--procs " + Q(t / "p.opl"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "2\t\xe6rger:\tcaf\xe9 \"x\"\tend\n6\tz%:(a%)\t\n");
    EXPECT_EQ(r.err, "");

    WriteFile(t / "empty.opl", "");
    r = RunProgram("--procs " + Q(t / "empty.opl"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    // failures exit with status 2
    r = RunProgram("--procs " + Q(t / "missing.opl"));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("Cannot open file " + (t / "missing.opl")), std::string::npos) << r.err;
    EXPECT_EQ(RunProgram("--procs").status, 2);
    EXPECT_EQ(RunProgram("--procs a b").status, 2);
    EXPECT_NE(RunProgram("--help").out.find("--procs FILE"), std::string::npos);
}

