#include "TestUtil.h"

#include <gtest/gtest.h>

using namespace quenvel;
using namespace quenvel::test;

using V = std::vector<std::string>;

TEST(Load, BreakRules)
{
    const std::pair<std::string, V> cases[] = {
        {"a\r\n\r\nb", {"a", "", "b"}}, {"a\n\rb", {"a", "b"}},        {"a\r\rb", {"a", "", "b"}},
        {"a\n\nb", {"a", "", "b"}},     {"a\n\r\nb", {"a", "", "b"}}, {"a\r\n\rb", {"a", "", "b"}},
        {"a\rb\nc", {"a", "b", "c"}},   {"\r\n", {"", ""}},           {"abc\r\n", {"abc", ""}},
        {"", {""}},                     {"\n", {"", ""}},
    };
    for (const auto &[in, pars] : cases) {
        TCodeMemo memo;
        LoadString(memo, in);
        EXPECT_EQ(Paragraphs(memo), pars) << testing::PrintToString(in);
        EXPECT_EQ(memo.CheckInvariants(), "");
        EXPECT_EQ(Paragraphs(memo), SplitLikeLoader(in)) << "the test's model agrees";
        EXPECT_EQ(SaveString(memo), Join(pars)) << "saved with CR LF breaks";
    }
}

TEST(Load, NulEndsTheTextAndByteFiveBecomes167)
{
    TCodeMemo memo;
    std::string bytes("xya\x05\x02" "b\r\nc\x02\r\nd\0e", 15);
    TProtMemStream s;
    s.Attach(bytes.data(), 15);
    s.SetPosition(2);
    memo.LoadFromStream(s);
    EXPECT_EQ(memo.Text(), "a\xa7\x02" "b\r\nc\x02\r\nd");
    EXPECT_EQ(s.Position(), 13) << "positioned at the NUL byte itself";
    EXPECT_EQ(memo.Par(1).Lines().At(0).Style, fsBold) << "an open code carries over the break";
    EXPECT_EQ(memo.Par(2).Lines().At(0).Style, 0) << "and the closing code ends it";
}

// Bytes in memory and a stream read in 65,500-byte pieces give the same store, whatever lies on the edges.
TEST(Load, InPiecesAsInOnePiece)
{
    const std::string edge(65499, 'q');
    for (const std::string &text : {edge + "\r\nz", edge + "\n\rz", edge + "\x05\x02x\x02", edge + "a\rb",
                                     edge + "ab" + std::string(70000, 'r') + "\r\n\r\n", edge + "\x02\x02" + "\0tail",
                                     std::string(3 * 65500, 'w')}) {
        TCodeMemo whole, pieces;
        LoadString(whole, text);
        TMemoryStream s;
        s.Write(text.data(), static_cast<int64_t>(text.size()));
        s.SetPosition(0);
        pieces.LoadFromStream(s);
        EXPECT_EQ(pieces.CheckInvariants(), "");
        EXPECT_TRUE(Paragraphs(pieces) == Paragraphs(whole));
        EXPECT_EQ(s.Position(), static_cast<int64_t>(std::min(text.find('\0'), text.size())));
    }
}

TEST(Load, EventsAndState)
{
    TCodeMemo memo;
    std::string events;
    memo.OnChange = [&](TCodeMemo *) { events += "change "; };
    memo.OnParse = [&](TCodeMemo *, int32_t a, int32_t b) { events += "parse " + std::to_string(a) + "-" + std::to_string(b) + " "; };
    LoadString(memo, "abc\r\nde");
    EXPECT_EQ(events, "parse 0-7 change ");
    EXPECT_TRUE(memo.Modified() && memo.SelStart() + memo.SelLength() == 0 && memo.ParFirstLine(1) == 1);
    EXPECT_FALSE(memo.Par(1).Parsed || memo.Par(1).Formatted);
    // SetTextBuf reads through the loader; an empty text on an empty control changes nothing
    memo.Clear();
    events.clear();
    memo.SetTextBuf("");
    memo.SetTextBuf("one\ntwo");
    EXPECT_EQ(events, "parse 0-8 change ");
    EXPECT_EQ(memo.ParagraphCount(), 2);
}

TEST(Load, ProgressEveryHalfSecondOfTicks)
{
    TCodeMemo memo;
    uint32_t now = 1000;
    memo.TickCount = [&] { return now += 100; }; // 100 ms between readings of the clock
    std::vector<uint32_t> at;
    memo.OnProgress = [&](TCodeMemo *) { at.push_back(now); };
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "line\r\n";
    LoadString(memo, text);
    ASSERT_GE(at.size(), 10u);
    for (size_t k = 1; k < at.size(); ++k)
        EXPECT_GE(at[k] - at[k - 1], 500u);
}

TEST(Save, PackCodesDropsPairsWithOnlyCodesBetween)
{
    const std::pair<std::string, std::string> cases[] = {
        {"x\x02\x02y", "xy"}, {"x\x02\x01\x02y", "x\x01y"}, {"x\x02y\x02z", "x\x02y\x02z"},
        {"\x01\x02\x01\x02", ""}, {"a\x15\x03\x15\x03" "b", "ab"}, {"\x04\x04\x04", "\x04"}};
    for (const auto &[in, packed] : cases) {
        TCodeMemo memo;
        LoadString(memo, in);
        EXPECT_EQ(SaveString(memo), packed) << testing::PrintToString(in);
        memo.PackCodes = false;
        EXPECT_EQ(SaveString(memo), in);
    }
}

TEST(Rtf, GoldenDocument)
{
    TCodeMemo memo;
    memo.SetFont(TFontDesc{"Courier", 10, 0, clBlack, 0});
    memo.SetAltFont(TFontDesc{"MS Sans Serif", 8, 0, clBlack, 0});
    memo.SetColor(clWhite);
    LoadString(memo, "a\x02" "b\r\n\\{x}\x04\x03y\r\n\x02z");
    TMemoryStream s;
    memo.SaveToRTFStream(s);
    const std::string expected =
        "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fnil Courier;}{\\f1\\fnil MS Sans Serif;}}\r\n"
        "{\\colortbl\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red255\\green255\\blue255;"
        "\\red255\\green255\\blue255;}"
        "\\pard\\ql\\plain\\f0\\fs20\\cf0\\cb2 \r\n"
        "\\par a\\plain\\f0\\fs20\\b\\cf0\\cb2 b"
        "\\par \\\\\\{x\\}\\plain\\f1\\fs16\\b\\cf1\\cb3 y"
        "\\par \\plain\\f1\\fs16\\cf1\\cb3 z"
        "\\par }";
    EXPECT_EQ(s.AsString(), expected);
}

TEST(Rtf, AlignmentAndFontStyle)
{
    TCodeMemo memo;
    memo.SetFont(TFontDesc{"Arial", 12, fsBold | fsUnderline, 0x0000FF, 0});
    memo.SetAlignment(taCenter);
    LoadString(memo, "q");
    TMemoryStream s, justified;
    memo.SaveToRTFStream(s);
    memo.SetJustified(true);
    memo.SaveToRTFStream(justified);
    const std::string r = s.AsString();
    EXPECT_NE(r.find("\\pard\\qc\\plain\\f0\\fs24\\b\\ul\\cf0\\cb2 \r\n\\par q\\par }"), std::string::npos) << r;
    EXPECT_NE(r.find("{\\colortbl\\red255\\green0\\blue0;"), std::string::npos);
    EXPECT_NE(justified.AsString().find("\\pard\\qj"), std::string::npos);
}

// A read that fails halfway keeps what was read, in a consistent store, and reports it.
TEST(Load, AFailedReadKeepsAConsistentStore)
{
    class TBrokenStream : public TMemoryStream
    {
    public:
        int64_t reads = 0;
        int64_t Read(void *buffer, int64_t count) override
        {
            if (++reads > 1)
                throw EStreamError("Read error");
            return TMemoryStream::Read(buffer, count);
        }
    };
    std::string text;
    for (int i = 0; i < 40000; ++i)
        text += "PRINT " + std::to_string(i) + "\r\n";
    TBrokenStream s;
    s.Write(text.data(), static_cast<int64_t>(text.size()));
    s.SetPosition(0);
    TCodeMemo memo;
    EXPECT_THROW(memo.LoadFromStream(s), EStreamError);
    EXPECT_EQ(memo.CheckInvariants(), "");
    EXPECT_GT(memo.ParagraphCount(), 1);
    const std::string kept = memo.Text();
    EXPECT_EQ(text.compare(0, kept.size(), kept), 0) << "a prefix of the file";
}
