#include "TestUtil.h"

#include "app/cli/Cli.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using namespace quenvel;
using namespace quenvel::test;

namespace {

// "status|standard output" of a run of the program.
std::string Says(const std::string &args, const std::string &prefix = "")
{
    const TRun r = RunProgram(args, prefix);
    return std::to_string(r.status) + "|" + r.out;
}

// Standard error of a run that exits with status 2, else what it exited with.
std::string Refusal(const std::string &args)
{
    const TRun r = RunProgram(args);
    return r.status == 2 ? r.err : "status " + std::to_string(r.status);
}

} // namespace

// The command line's own words; every wrong use exits with status 2 and says why.
TEST(Cli, HelpVersionAndWrongUse)
{
    const std::string help = Says("--help");
    for (const char *option : {"0|", "--convert IN OUT", "--procs FILE", "--syntax=DIALECT"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    EXPECT_EQ(Says("--version").rfind("0|quenvel ", 0), 0u);
    const std::string file = " " + Q(Data("text/frame.tpl"));
    for (const std::string &wrong : {std::string("--bogus"), std::string("--procs"), std::string("--procs a b"),
                                     "--syntax=none" + file, "--highlight=opl9" + file}) {
        const std::string says = Refusal(wrong);
        EXPECT_TRUE(!says.empty() && says.rfind("status ", 0) != 0) << wrong << ": " << says;
    }
    EXPECT_NE(Refusal("--bogus").find("--bogus"), std::string::npos);
}

TEST(Cli, FileAndLineArgument)
{
    TTempDir t;
    WriteFile(t / "a.opl", "x");
    WriteFile(t / "b:7", "x");
    const std::tuple<std::string, std::string, int> cases[] = {
        {"a.opl", "a.opl", 0}, {"a.opl:12", "a.opl", 12}, {"a.opl:12:5", "a.opl", 12},
        {"b:7", "b:7", 0}, // an existing name wins
        {"c.opl:3", "c.opl:3", 0}, {"a.opl:x", "a.opl:x", 0}};
    for (const auto &[arg, file, line] : cases)
        EXPECT_EQ(FileAndLine(t / arg), std::make_pair(t / file, line)) << arg;
}

TEST(Cli, ConvertToRtfByExtensionInAnyCase)
{
    TTempDir t;
    WriteFile(t / "in.opl", "a\\b");
    TRun r = RunProgram("--convert " + Q(t / "in.opl") + " " + Q(t / "out.RtF"));
    ASSERT_EQ(r.status, 0) << r.err;
    std::string rtf = ReadFile(t / "out.RtF");
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fnil Courier New;}", 0), 0u) << "the window's font";
    EXPECT_NE(rtf.find("\\par a\\\\b\\par }"), std::string::npos); // (the whole document: Rtf.GoldenDocument)
    // Quenvel reads back what it wrote: no NUL after the closing brace, no warning
    EXPECT_EQ(rtf.back(), '}');
    r = RunProgram("--convert " + Q(t / "out.RtF") + " " + Q(t / "back.opl"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(t / "back.opl"), rtf);
}

TEST(CliHighlight, PrintsRunsExactly)
{
    TTempDir t;
    WriteFile(t / "p.opl", "PROC main:\r\n\tPRINT \"hi\" :REM x\r\n\tgCIRCLE 5\r\nENDP");
    EXPECT_EQ(Says("--highlight=opl3 " + Q(t / "p.opl")), "0|1 0 4 1 808000 000000\n2 1 5 1 800000 000000\n"
                                                         "2 7 4 0 800000 ffffff\n2 13 5 2 008000 ffffff\n"
                                                         "3 1 7 1 0000ff 00ffff\n4 0 4 1 808000 000000\n");
    // REM inside a name is no comment
    WriteFile(t / "r.opl", "GLOBAL lorem$(2)\r\nremind:\r\nx=1:REM y");
    EXPECT_EQ(RunProgram("--highlight=opl5 " + Q(t / "r.opl")).out, "1 0 6 1 000000 000000\n3 4 5 2 008000 ffffff\n");
    // style codes count as columns
    WriteFile(t / "c.opl", "\x02 PRINT");
    EXPECT_EQ(RunProgram("--highlight=siena " + Q(t / "c.opl")).out, "1 2 5 1 800000 000000\n");
    EXPECT_EQ(Says("--highlight=none " + Q(t / "p.opl")), "0|");
}

TEST(CliCheck, ReportsWordsTheDialectLacks)
{
    TTempDir t;
    WriteFile(t / "a.opl", "PROC a:\r\n  gCircle 1 :REM gcircle\r\n  x$=\"gcircle\"\r\n  StatusWin ON\r\nENDP");
    WriteFile(t / "b.opl", "PROC b:\r\nENDP");
    EXPECT_EQ(Says("--check=opl3 " + Q(t / "a.opl") + " " + Q(t / "b.opl")),
              "1|" + (t / "a.opl") + ":2:3: warning: 'gCircle' is not available in OPL 3\n");
    EXPECT_EQ(Says("--check=opl5 " + Q(t / "a.opl")), "1|" + (t / "a.opl") + ":4:3: warning: 'StatusWin' is not available in OPL 5\n");
    EXPECT_EQ(Says("--check=siena " + Q(t / "b.opl")), "0|");
    // an unreadable file is an error; the others are still checked
    const TRun r = RunProgram("--check=opl3 " + Q(t / "missing.opl") + " " + Q(t / "a.opl"));
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.err.find("Cannot open file " + (t / "missing.opl")) != std::string::npos &&
                r.out.find("'gCircle'") != std::string::npos) << r.err << r.out;
}

// Every reserved word is reported exactly where the dialect's machine lacks it (Siena: 3a's and more).
TEST(CliCheck, AgreesWithTheTranslatorsWordForWord)
{
    const std::vector<TOplFact> facts = ReadOplFacts();
    if (facts.empty())
        GTEST_SKIP() << "no translator facts beside the project";
    TTempDir t;
    std::string text;
    for (const TOplFact &f : facts)
        text += f.Word + "\r\n";
    WriteFile(t / "all.opl", text);
    for (const char *dialect : {"siena", "opl3", "opl5"}) {
        SCOPED_TRACE(dialect);
        std::set<std::string> lacking;
        for (const TOplFact &f : facts) {
            const bool has = dialect[3] == '5' ? f.Series5 : f.Series3a && !(dialect[0] == 's' && SienaLacks(f.Word));
            if (!has)
                lacking.insert(f.Word);
        }
        const TRun r = RunProgram(std::string("--check=") + dialect + " " + Q(t / "all.opl"));
        EXPECT_EQ(r.status, lacking.empty() ? 0 : 1);
        std::set<std::string> reported;
        std::istringstream out(r.out);
        for (std::string line; std::getline(out, line);) {
            const size_t a = line.find('\'') + 1;
            reported.insert(line.substr(a, line.find('\'', a) - a));
        }
        EXPECT_EQ(reported, lacking);
    }
}

TEST(Cli, ProcsListsTheProceduresOfTextAndSeries5FilesOrFails)
{
    // a Series 5 file is converted first (its conversion: OplSourceTest)
    EXPECT_EQ(RunProgram("--procs " + Q(Data("s5/TOPXCLBK"))).out.substr(0, 13), "1\tdonotrun:\t\n");
    // Bytes are written as they stand; a REM line below gives the comment.
    TTempDir t;
    WriteFile(t / "p.opl", "REM top\rPROC \xe6rger:\rREM caf\xe9 \"x\"\tend\r\r\tPROC hidden:\rPROC z%:(a%)");
    EXPECT_EQ(Says("--procs " + Q(t / "p.opl")), "0|2\t\xe6rger:\tcaf\xe9 \"x\"\tend\n6\tz%:(a%)\t\n");
    WriteFile(t / "empty.opl", "");
    EXPECT_EQ(Says("--procs " + Q(t / "empty.opl")), "0|");
    EXPECT_NE(Refusal("--procs " + Q(t / "missing.opl")).find("Cannot open file " + (t / "missing.opl")), std::string::npos);
}

TEST(Cli, SyntaxReportsErrorsAndFindsIncludes)
{
    TTempDir t;
    WriteFile(t / "ok.opl", "PROC a:\n  PRINT 1\nENDP\n");
    WriteFile(t / "bad.opl", "PROC a:\n  ENDWH\n  x%=\"s\"\nENDP\n");
    std::filesystem::create_directory(t / "inc");
    WriteFile(t / "inc/K.OPH", "CONST KLen%=5\n");
    WriteFile(t / "uses.opl", "INCLUDE \"k.oph\"\nPROC a:\n  LOCAL s$(KLen%)\n  KLen%=1\nENDP\n");
    EXPECT_EQ(Says("--syntax=opl5 " + Q(t / "ok.opl")), "0|");
    EXPECT_EQ(Says("--syntax=opl5 " + Q(t / "ok.opl") + " " + Q(t / "bad.opl")),
              "1|" + (t / "bad.opl") + ":2:3: error: Structure fault: ENDWH without WHILE\n" + (t / "bad.opl") +
                  ":3:6: error: Type mismatch: string where a number is needed\n");
    EXPECT_EQ(Says("--syntax=opl5 " + Q(t / "uses.opl")), "0|" + (t / "uses.opl") + ":1:9: warning: Include file not found: k.oph\n");
    // found through --include, and through [Setup] IncludePath: its constant now counts
    const std::string assigned = "1|" + (t / "uses.opl") + ":4:3: error: Syntax error: the constant KLen% cannot be assigned\n";
    EXPECT_EQ(Says("--syntax=opl5 " + Q(t / "uses.opl") + " --include " + Q(t / "inc")), assigned);
    WriteFile(t / "q.ini", "[Setup]\nIncludePath=/nowhere; " + (t / "inc") + "\n");
    EXPECT_EQ(Says("--syntax=opl5 " + Q(t / "uses.opl"), "QUENVEL_SETTINGS=" + Q(t / "q.ini")), assigned);
    EXPECT_EQ(RunProgram("--syntax=opl5 " + Q(t / "none.opl")).status, 2);
}

// Files no editor should choke on: a clear message or a correct open, never a crash, hang or lost text.
TEST(Cli, UnusualInputs)
{
    TTempDir t;
    // binary junk with NUL bytes: not converted (the output would lack the rest)
    WriteFile(t / "junk.bin", RandomBytes(65536, 7));
    EXPECT_NE(Refusal("--convert " + Q(t / "junk.bin") + " " + Q(t / "junk.opl")).find("NUL byte at offset"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(t / "junk.opl"));
    for (const char *mode : {"--procs", "--highlight=opl5", "--check=siena"})
        EXPECT_LE(RunProgram(std::string(mode) + " " + Q(t / "junk.bin")).status, 1) << mode;
    // every byte but NUL: converted, the byte 5 said on standard error and written as 167
    std::string every;
    for (int b = 1; b < 256; ++b)
        every.push_back(static_cast<char>(b));
    WriteFile(t / "every.bin", every);
    TRun r = RunProgram("--convert " + Q(t / "every.bin") + " " + Q(t / "every.opl"));
    EXPECT_TRUE(r.status == 0 && r.err.find("byte 5 at offset 4") != std::string::npos) << r.err;
    std::string expect = every;
    expect[4] = static_cast<char>(167);
    expect.replace(expect.find("\x0a\x0b"), 1, "\r\n");
    expect.replace(expect.find("\x0b\x0c\x0d"), 3, "\x0b\x0c\r\n");
    EXPECT_EQ(ReadFile(t / "every.opl"), expect);
    // a FIFO and a device are not read (a FIFO would hang for ever)
    ASSERT_EQ(::mkfifo((t / "fifo").c_str(), 0644), 0);
    for (const std::string &in : {t / "fifo", std::string("/dev/zero")})
        EXPECT_NE(Refusal("--convert " + Q(in) + " " + Q(t / "x.opl")).find("(it is not a regular file)"), std::string::npos) << in;
    // a Unicode OPL source file: refused with its reason, nothing written
    std::string uni("\x37\x00\x00\x10\x6d\x00\x00\x10\x12\x3a\x00\x10\x00\x00\x00\x00", 16);
    for (char c : std::string("PROC main:"))
        uni += std::string(1, c) + '\0';
    WriteFile(t / "uni.opl", uni);
    EXPECT_NE(Refusal("--convert " + Q(t / "uni.opl") + " " + Q(t / "uni.txt")).find("Unicode OPL source file"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(t / "uni.txt"));
    // 1 GB (sparse): refused up front with the limit in the message
    WriteFile(t / "huge.opl", "");
    ASSERT_EQ(::truncate((t / "huge.opl").c_str(), int64_t(1) << 30), 0);
    EXPECT_NE(Refusal("--procs " + Q(t / "huge.opl")).find("1024 MB; files up to 512 MB can be edited"), std::string::npos);
    ::unlink((t / "huge.opl").c_str());
    // a line over 64 MB is refused with the line limit; one of 32 MB opens, highlighted, and is written back
    WriteFile(t / "line.opl", std::string((65u << 20) + 1, 'x'));
    EXPECT_NE(Refusal("--procs " + Q(t / "line.opl")).find("(a line of it is 65 MB long; lines up to 64 MB can be edited)"),
              std::string::npos);
    std::string line(32u << 20, 'x');
    for (size_t i = 0; i < line.size(); i += 7)
        line.replace(i, 3, "IF ");
    WriteFile(t / "line.opl", line);
    EXPECT_EQ(Says("--check=opl5 " + Q(t / "line.opl")), "0|");
    EXPECT_EQ(Says("--convert " + Q(t / "line.opl") + " " + Q(t / "line2.opl")), "0|");
    EXPECT_EQ(std::system(("cmp -s " + Q(t / "line.opl") + " " + Q(t / "line2.opl")).c_str()), 0);
}
