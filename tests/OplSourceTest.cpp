// OPL source files: the Series 5 binary form decoded to its text, and the procedure list.
#include "TestUtil.h"

#include "app/document/Document.h"
#include "opl/ProcScanner.h"
#include "opl/Series5Source.h"

#include <gtest/gtest.h>

using namespace quenvel;
using namespace quenvel::test;

namespace {

// A Series 5 source file around the given text, with the text's length in its compact form.
std::string MakeOpl32(const std::string &text, int lengthBytes)
{
    std::string f = std::string("\x37\x00\x00\x10\x6d\x00\x00\x10\x85\x00\x00\x10\xf4\x63\x08\x55", 16);
    f += std::string("\x20\x00\x00\x00\x5c\x00\x00\x10\x63\x00\x00\x10\x00\x00\x00\x00\x64\x00\x00\x10", 20);
    const uint32_t n = static_cast<uint32_t>(text.size());
    const uint32_t v = lengthBytes == 1 ? n << 1 : lengthBytes == 2 ? (n << 2) | 1 : (n << 3) | 3;
    for (int k = 0; k < lengthBytes; ++k)
        f.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
    return f + text + std::string("\x01\x02\x00\x07\x00\x00", 6);
}

bool IsOpl32(const std::string &f)
{
    return IsOpl32File(reinterpret_cast<const uint8_t *>(f.data()), f.size());
}

std::string Convert(const std::string &f, size_t n = std::string::npos)
{
    return ConvertOpl32(reinterpret_cast<const uint8_t *>(f.data()), std::min(n, f.size()));
}

} // namespace

// Series 5 files convert with any length form, special bytes, or a bad length (then to byte 1 or the end).
TEST(Opl32, ConvertsToTheTextOfTheFile)
{
    const std::string z(20000, 'z'), bad = MakeOpl32("", 1).substr(0, 36);
    const std::string lines = "one\x06two\x06three", junk = "\x01junk\x06";
    const std::pair<std::string, std::string> cases[] = {
        {MakeOpl32("PROC a:\x06" "ENDP\x06", 1), "PROC a:\r\nENDP"},
        {MakeOpl32("a\x06\x06" "b\x06\x06\x06", 1), "a\r\n\r\nb\r\n\r\n"}, // empty lines kept, a last one too
        {MakeOpl32("PROC a:\x06\tPRINT \"x\"\x06" "ENDP\x06", 2), "PROC a:\r\n\tPRINT \"x\"\r\nENDP"},
        {MakeOpl32("REM " + z + "\x06" "ENDP\x06", 4), "REM " + z + "\r\nENDP"},
        {MakeOpl32("a\x10" "b\x0f" "c\x0a" "d\x0b" "e\x06" "last", 1), "a b c\td-e\r\nlast"},
        {bad + "\xff\xff" + lines, "one\r\ntwo\r\nthree"},
        {bad + "\xff\xff" + lines + junk, "one\r\ntwo\r\nthree"},
        {bad + "\xfd\x03" + lines, "one\r\ntwo\r\nthree"},
        {bad + "\xfd\x03" + lines + junk, "one\r\ntwo\r\nthree"},
    };
    for (const auto &[file, text] : cases)
        EXPECT_EQ(Convert(file), text) << testing::PrintToString(file.substr(0, 60));
}

// Recognised by bytes 8-11 only beyond 32 bytes; opened converted, modified, without a compensation code.
TEST(Opl32, RecognisedOnlyBeyond32BytesAndOpenedModified)
{
    const std::string f = MakeOpl32("PROC a:\x06\x02" "bold\x06", 1);
    EXPECT_TRUE(IsOpl32(f));
    EXPECT_FALSE(IsOpl32(f.substr(0, 32)));
    TTempDir t;
    for (const auto &[bytes, text, modified] : {std::tuple{f.substr(0, 32), std::string("7"), false},
                                                std::tuple{f, std::string("PROC a:\r\n\x02" "bold"), true}}) {
        WriteFile(t / "s5", bytes);
        TDocument doc;
        doc.LoadFile(t / "s5");
        EXPECT_EQ(doc.Memo().Text(), text);
        EXPECT_EQ(doc.Memo().Modified(), modified);
    }
}

TEST(ProcScanner, WhichLinesAreListedAndWhatTheyShow)
{
    const std::pair<const char *, std::vector<TProcEntry>> cases[] = {
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
        {"", {}}, {"ENDP\r\nREM nothing here\r\n", {}},
    };
    for (const auto &[text, rows] : cases) {
        TCodeMemo memo;
        ConfigureEditorLikeMainWindow(memo);
        LoadString(memo, text);
        EXPECT_EQ(ScanProcedures(memo), rows) << text;
    }
}
