#include "TestUtil.h"

#include "app/document/Document.h"
#include "opl/Series5Source.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

using namespace quenvel;
using namespace quenvel::test;

namespace {

std::vector<std::string> Lines(const std::string &text)
{
    TCodeMemo memo;
    LoadString(memo, text);
    std::vector<std::string> v;
    for (int i = 0; i < memo.ParagraphCount(); ++i)
        v.push_back(memo.ParagraphText(i));
    if (!v.empty() && v.back().empty())
        v.pop_back();
    return v;
}

// A Series 5 source file around the given text, with the text's length in its compact form.
std::string MakeOpl32(const std::string &text, int lengthBytes)
{
    std::string f = std::string("\x37\x00\x00\x10\x6d\x00\x00\x10\x85\x00\x00\x10\xf4\x63\x08\x55", 16);
    f += std::string("\x20\x00\x00\x00\x5c\x00\x00\x10\x63\x00\x00\x10\x00\x00\x00\x00\x64\x00\x00\x10", 20);
    const uint32_t n = static_cast<uint32_t>(text.size());
    if (lengthBytes == 1) {
        f.push_back(static_cast<char>(n << 1));
    } else if (lengthBytes == 2) {
        uint32_t v = (n << 2) | 1;
        f.push_back(static_cast<char>(v & 0xFF));
        f.push_back(static_cast<char>(v >> 8));
    } else {
        uint32_t v = (n << 3) | 3;
        for (int k = 0; k < 4; ++k)
            f.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
    }
    return f + text + std::string("\x01\x02\x00\x07\x00\x00", 6);
}

} // namespace

TEST(Cli, HelpAndVersion)
{
    TRun r = RunProgram("--help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--convert IN OUT"), std::string::npos);
    r = RunProgram("--version");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("quenvel ", 0), 0u);
    r = RunProgram("--bogus");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--bogus"), std::string::npos);
}

TEST(Cli, ConvertToRtfByExtensionInAnyCase)
{
    TTempDir t;
    WriteFile(t / "in.opl", "a\\b");
    TRun r = RunProgram("--convert " + Q(t / "in.opl") + " " + Q(t / "out.RtF"));
    ASSERT_EQ(r.status, 0) << r.err;
    std::string rtf = ReadFile(t / "out.RtF");
    EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fnil Courier New;}{\\f1\\fnil MS Sans Serif;}}\r\n", 0), 0u);
    EXPECT_NE(rtf.find("\\pard\\ql\\plain\\f0\\fs20\\cf0\\cb2 \r\n\\par a\\\\b\\par }"), std::string::npos);
    EXPECT_NE(rtf.find("\\red255\\green255\\blue255;\\red255\\green255\\blue255;}"), std::string::npos);
    // Quenvel reads back what it wrote: no NUL after the closing brace, no warning
    EXPECT_EQ(rtf.back(), '}');
    r = RunProgram("--convert " + Q(t / "out.RtF") + " " + Q(t / "back.opl"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(t / "back.opl"), rtf);
}

TEST(Opl32, RecognisedByBytesEightToElevenOnlyBeyond32Bytes)
{
    std::string f = MakeOpl32("x", 1);
    EXPECT_TRUE(IsOpl32File(reinterpret_cast<const uint8_t *>(f.data()), f.size()));
    std::string small = f.substr(0, 32);
    EXPECT_FALSE(IsOpl32File(reinterpret_cast<const uint8_t *>(small.data()), small.size()));
    TTempDir t;
    WriteFile(t / "small", small);
    TDocument doc;
    doc.LoadFile(t / "small");
    TCodeMemo &memo = doc.Memo();
    EXPECT_EQ(memo.Text(), "7") << "a short file is read as plain text, up to its first NUL";
    EXPECT_FALSE(memo.Modified());
}

// Series 5 source files convert to their text: with the length in each of its three forms,
// with the Series 5's special bytes, and without a usable length (a bad form: from offset
// 38; a length past the end: from the text's start) up to the byte 1 or the end, the
// unended last line kept as the normal path keeps it.
TEST(Opl32, ConvertsToTheTextOfTheFile)
{
    const std::string z(20000, 'z'), bad = MakeOpl32("", 1).substr(0, 36);
    const std::string lines = "one\x06two\x06three", junk = "\x01junk\x06";
    const struct {
        std::string File, Text;
    } cases[] = {
        {MakeOpl32("PROC a:\x06" "ENDP\x06", 1), "PROC a:\r\nENDP"},
        {MakeOpl32("PROC a:\x06\tPRINT \"x\"\x06" "ENDP\x06", 2), "PROC a:\r\n\tPRINT \"x\"\r\nENDP"},
        {MakeOpl32("REM " + z + "\x06" "ENDP\x06", 4), "REM " + z + "\r\nENDP"},
        {MakeOpl32("a\x10" "b\x0f" "c\x0a" "d\x0b" "e\x06" "last", 1), "a b c\td-e\r\nlast"},
        {bad + "\xff\xff" + lines, "one\r\ntwo\r\nthree"},
        {bad + "\xff\xff" + lines + junk, "one\r\ntwo\r\nthree"},
        {bad + "\xfd\x03" + lines, "one\r\ntwo\r\nthree"},
        {bad + "\xfd\x03" + lines + junk, "one\r\ntwo\r\nthree"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ConvertOpl32(reinterpret_cast<const uint8_t *>(c.File.data()), c.File.size()), c.Text)
            << testing::PrintToString(c.File.substr(0, 60));
}

TEST(Opl32, OpenedDocumentStaysModified)
{
    TTempDir t;
    WriteFile(t / "s5", MakeOpl32("PROC a:\x06\x02" "bold\x06", 1));
    TDocument doc;
    doc.LoadFile(t / "s5");
    TCodeMemo &memo = doc.Memo();
    EXPECT_TRUE(memo.Modified());
    EXPECT_EQ(memo.ParagraphCount(), 2);
    EXPECT_EQ(memo.ParagraphText(1), "\x02" "bold") << "no compensation code is appended";
}

// Real Series 5 files convert to the same lines as their plain-text twins. (The
// plain-text TOPX.OPL is an older version of the program, not a twin of s5/TOPX.)
TEST(Opl32, RealFilesMatchTheirTwins)
{
    const std::pair<const char *, const char *> twins[] = {
        {"s5/TESTOPX", "text/TESTOPX.OPL"},
        {"s5/TOPXCLBK", "text/TOPXCLBK.OPL"},
        {"s5/dialog-tests", "text/dialog-tests.txt"},
    };
    TTempDir t;
    for (auto [bin, txt] : twins) {
        TRun r = RunProgram("--convert " + Q(Data(bin)) + " " + Q(t / "out.opl"));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(Lines(ReadFile(t / "out.opl")), Lines(ReadFile(Data(txt)))) << bin;
    }
}

// Every Series 5 file of the shared corpus converts without losing its first or last line.
TEST(Opl32, SharedCorpusWhenPresent)
{
    std::string dir = std::string(QUENVEL_SHARED_CORPUS) + "/s5-binary";
    FILE *p = popen(("find '" + dir + "' -type f 2>/dev/null").c_str(), "r");
    ASSERT_NE(p, nullptr);
    char line[4096];
    int files = 0;
    while (fgets(line, sizeof line, p)) {
        std::string path(line);
        path.pop_back();
        std::string data = ReadFile(path);
        if (!IsOpl32File(reinterpret_cast<const uint8_t *>(data.data()), data.size()))
            continue;
        ++files;
        TDocument doc;
        doc.LoadFile(path);
        TCodeMemo &memo = doc.Memo();
        std::string first = memo.ParagraphText(0);
        EXPECT_FALSE(first.empty() || static_cast<uint8_t>(first[0]) < 9) << path;
        EXPECT_EQ(memo.CheckInvariants(), "");
        // the text bytes survive: every letter of the file's text area is in the document
        EXPECT_GT(memo.TextLength(), static_cast<int32_t>(data.size()) / 2) << path;
    }
    pclose(p);
    if (files == 0)
        GTEST_SKIP() << "no shared corpus here";
}

TEST(Opl32, TopxConvertsToItsOwnText)
{
    TDocument doc;
    doc.LoadFile(Data("s5/TOPX"));
    TCodeMemo &memo = doc.Memo();
    EXPECT_EQ(memo.ParagraphText(0), "include \"topx.oxh\"");
    EXPECT_EQ(memo.ParagraphText(memo.ParagraphCount() - 2), "endp");
    EXPECT_EQ(memo.ParagraphText(memo.ParagraphCount() - 1), "") << "the text ends with two line ends";
}

TEST(CliHighlight, PrintsRunsExactly)
{
    TTempDir t;
    WriteFile(t / "p.opl", "PROC main:\r\n\tPRINT \"hi\" :REM x\r\n\tgCIRCLE 5\r\nENDP");
    TRun r = RunProgram("--highlight=opl3 " + Q(t / "p.opl"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1 0 4 1 808000 000000\n"
                     "2 1 5 1 800000 000000\n"
                     "2 7 4 0 800000 ffffff\n"
                     "2 13 5 2 008000 ffffff\n"
                     "3 1 7 1 0000ff 00ffff\n"
                     "4 0 4 1 808000 000000\n");
    // REM inside a name is no comment
    WriteFile(t / "r.opl", "GLOBAL lorem$(2)\r\nremind:\r\nx=1:REM y");
    EXPECT_EQ(RunProgram("--highlight=opl5 " + Q(t / "r.opl")).out, "1 0 6 1 000000 000000\n"
                                                                     "3 4 5 2 008000 ffffff\n");
    // style codes count as columns
    WriteFile(t / "c.opl", "\x02 PRINT");
    EXPECT_EQ(RunProgram("--highlight=siena " + Q(t / "c.opl")).out, "1 2 5 1 800000 000000\n");
    r = RunProgram("--highlight=none " + Q(t / "p.opl"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    r = RunProgram("--highlight=opl9 " + Q(t / "p.opl"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("opl9"), std::string::npos);
}

TEST(CliCheck, ReportsWordsTheDialectLacks)
{
    TTempDir t;
    WriteFile(t / "a.opl", "PROC a:\r\n  gCircle 1 :REM gcircle\r\n  x$=\"gcircle\"\r\n  StatusWin ON\r\nENDP");
    WriteFile(t / "b.opl", "PROC b:\r\nENDP");
    TRun r = RunProgram("--check=opl3 " + Q(t / "a.opl") + " " + Q(t / "b.opl"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, (t / "a.opl") + ":2:3: warning: 'gCircle' is not available in OPL 3\n");
    r = RunProgram("--check=opl5 " + Q(t / "a.opl"));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, (t / "a.opl") + ":4:3: warning: 'StatusWin' is not available in OPL 5\n");
    r = RunProgram("--check=siena " + Q(t / "b.opl"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    // an unreadable file is an error; the others are still checked
    r = RunProgram("--check=opl3 " + Q(t / "missing.opl") + " " + Q(t / "a.opl"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("Cannot open file " + (t / "missing.opl")), std::string::npos);
    EXPECT_NE(r.out.find("'gCircle'"), std::string::npos);
}

// Every word the translators reserve, checked as a program would hold it: reported exactly
// where the dialect's machine lacks it. The Siena lacks what the Series 3a lacks and the
// words of its own list besides.
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

TEST(CliCheck, RealProgramsOpenAndCheck)
{
    for (const char *f : {"text/frame.tpl", "text/pConst.tpl", "text/menu.txt", "s5/TESTOPX"}) {
        TRun r = RunProgram(std::string("--check=opl5 '") + Data(f) + "'");
        EXPECT_TRUE(r.status == 0 || r.status == 1) << f << ": " << r.err;
        TRun h = RunProgram(std::string("--highlight=opl5 '") + Data(f) + "'");
        EXPECT_EQ(h.status, 0);
        EXPECT_GT(h.out.size(), 100u) << f;
    }
}
