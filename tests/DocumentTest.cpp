// The document layer: File commands with scripted answers, safe saving, settings, the dialect switch.
#include "ScriptedUi.h"
#include "TestUtil.h"

#include "app/document/Document.h"
#include "app/document/Settings.h"
#include "editor/HighlightRuns.h"
#include "opl/OplKeywords.h"
#include "opl/ProcScanner.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace quenvel;
using namespace quenvel::test;

namespace {

void Type(TDocument &doc, const char *text)
{
    doc.Memo().SetSelTextBuf(text);
}

// What f throws, or "no error".
template <class F> std::string Error(F f)
{
    try {
        f();
    } catch (const std::exception &e) {
        return e.what();
    }
    return "no error";
}

} // namespace

// Every combination of the close query: what it allows, what it writes, what stays modified.
TEST(Document, CloseQueryMatrix)
{
    // titled, the answer, Save As cancelled; whether closing is allowed, the file written
    const std::tuple<bool, TDocumentUi::TAnswer, bool, bool, bool> cases[] = {
        {true, TDocumentUi::aYes, false, true, true},      {true, TDocumentUi::aNo, false, true, false},
        {true, TDocumentUi::aCancel, false, false, false}, {false, TDocumentUi::aYes, false, true, true},
        {false, TDocumentUi::aYes, true, false, false},    {false, TDocumentUi::aNo, false, true, false},
        {false, TDocumentUi::aCancel, false, false, false},
    };
    for (const auto &[titled, answer, saveAsCancelled, allows, written] : cases) {
        TTempDir t;
        TDocument doc;
        WriteFile(t / "a.opl", "old");
        if (titled)
            doc.LoadFile(t / "a.opl");
        Type(doc, "new ");
        TScriptedUi ui;
        ui.answer = answer;
        if (!saveAsCancelled)
            ui.saveName = t / "b";
        const std::string where = titled ? t / "a.opl" : t / "b.OPL";
        SCOPED_TRACE(std::to_string(titled) + " " + std::to_string(answer) + " " + std::to_string(saveAsCancelled));
        EXPECT_EQ(doc.CloseQuery(ui), allows);
        ASSERT_EQ(ui.asked.size(), 1u);
        EXPECT_EQ(ui.asked[0], titled ? "Save changes to \"a.opl\"?" : "Save changes to \"\"?");
        EXPECT_EQ(ReadFile(where), written ? (titled ? "new old" : "new ") : (titled ? "old" : ""));
        EXPECT_EQ(doc.Memo().Modified(), !written);
        // an unmodified document closes without a question
        ui.asked.clear();
        EXPECT_TRUE(!written || (doc.CloseQuery(ui) && ui.asked.empty()));
    }
}

// Save As: ".OPL" added to a bare name, RTF by the typed extension only, plain text again after Open.
TEST(Document, SaveAsNamesAndWriters)
{
    const std::tuple<const char *, const char *, bool> cases[] = {
        {"prog", "prog.OPL", false}, {"prog.rtf", "prog.rtf", true}, {"prog.txt", "prog.txt", false},
        {"a.b/prog", "a.b/prog.OPL", false}};
    TTempDir t;
    ::mkdir((t / "a.b").c_str(), 0755);
    TDocument doc;
    TScriptedUi ui;
    for (const auto &[typed, file, rtf] : cases) {
        Type(doc, "PROC x:");
        ui.saveName = t / typed;
        ASSERT_TRUE(doc.SaveAs(ui)) << typed;
        EXPECT_EQ(doc.FileName() + std::to_string(doc.SaveAsRTF()) + std::to_string(doc.Memo().Modified()),
                  t / file + std::to_string(rtf) + "0");
        EXPECT_EQ(ReadFile(t / file).rfind("{\\rtf", 0) == 0, rtf) << typed;
    }
    // opening a file clears the RTF choice: the next save writes plain text
    WriteFile(t / "o.opl", "x");
    ui.openName = t / "o.opl";
    ASSERT_TRUE(doc.Open(ui));
    Type(doc, "y");
    ASSERT_TRUE(doc.Save(ui));
    EXPECT_EQ(ReadFile(t / "o.opl"), "yx");
    // Save on an untitled document with the dialog cancelled writes nothing
    TDocument untitled;
    TScriptedUi cancelled;
    Type(untitled, "x");
    EXPECT_FALSE(untitled.Save(cancelled));
    EXPECT_TRUE(untitled.FileName().empty() && untitled.Memo().Modified());
}

TEST(Document, OpenFailureChangesNothingAndNewGivesTheTemplate)
{
    TTempDir t;
    TDocument doc;
    WriteFile(t / "a.opl", "PROC a:\r\nENDP");
    doc.LoadFile(t / "a.opl");
    Type(doc, "x");
    EXPECT_EQ(Error([&] { doc.LoadFile(t / "missing.opl"); }), "Cannot open file " + (t / "missing.opl"));
    EXPECT_EQ(doc.FileName() + "|" + doc.Memo().Text(), t / "a.opl" + "|xPROC a:\r\nENDP");
    EXPECT_TRUE(doc.Memo().Modified());

    TScriptedUi ui;
    ui.answer = TDocumentUi::aNo;
    ASSERT_TRUE(doc.New(ui));
    EXPECT_EQ(doc.Memo().Text() + "|" + std::to_string(doc.Memo().SelLine()) + "," +
                  std::to_string(doc.Memo().SelCol()) + std::to_string(doc.Memo().Modified()) + doc.FileName(),
              "PROC :\r\n\r\nENDP|0,50");
    Type(doc, "main");
    EXPECT_EQ(ScanProcedures(doc.Memo()), (std::vector<TProcEntry>{{"main:", "", 1}})) << "listed once named";
}

// A file cut at a NUL, holding byte 5 or in the Series 5 binary form (converted, OPL 5 from OPL 3, modified): said
// on Open, not overwritten unasked (a refused Open in between keeps the warning), asked once; a final NUL is fine.
TEST(Document, FileNotLoadedAsItIsIsNotOverwrittenUnasked)
{
    const struct {
        std::string Bytes, Says;
        const char *Loaded; // (nullptr: converted)
    } cases[] = {
        {std::string("PROC a:\r\n\0tail after the NUL", 27), "NUL byte at offset 9", "PROC a:\r\n"},
        {"PRINT \"a\x05" "b\x05\"", "byte 5 at offset 8 (2 in all)", "PRINT \"a\xa7" "b\xa7\""},
        {std::string("PROC a:\r\nENDP\0", 14), "", "PROC a:\r\nENDP"},
        {ReadFile(Data("s5/TESTOPX")), "binary format to text; saving writes it as plain text. Highlighting is now OPL 5", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Says);
        TTempDir t;
        WriteFile(t / "n.opl", c.Bytes);
        TDocument doc;
        doc.SetDialect(TDialect::Opl3, false);
        TScriptedUi ui;
        ui.openName = t / "n.opl";
        ASSERT_TRUE(doc.Open(ui));
        ASSERT_EQ(ui.asked.size(), c.Says.empty() ? 0u : 1u);
        EXPECT_TRUE(c.Says.empty() || ui.asked[0].find(c.Says) != std::string::npos) << ui.asked[0];
        const std::string loaded = doc.Memo().Text();
        EXPECT_EQ(loaded, c.Loaded ? c.Loaded : loaded);
        EXPECT_EQ(std::pair(doc.Memo().Modified(), doc.Dialect() == TDialect::Opl5), std::pair(!c.Loaded, !c.Loaded));
        Type(doc, "x");
        if (&c == &cases[0]) { // a file refused on Open (a line too long) leaves the warning in force
            WriteFile(t / "long.opl", std::string(static_cast<size_t>(TDocument::kMaxLineBytes) + 1, 'x'));
            ui.openName = t / "long.opl";
            ui.answer = TDocumentUi::aNo;
            EXPECT_THROW(doc.Open(ui), std::exception);
            EXPECT_EQ(doc.FileName(), t / "n.opl");
        }
        if (!c.Says.empty()) {
            EXPECT_FALSE(doc.Save(ui));
            EXPECT_EQ(ReadFile(t / "n.opl"), c.Bytes);
            EXPECT_TRUE(doc.Memo().Modified());
            EXPECT_TRUE(c.Loaded || ui.asked.back() == "\u201cn.opl\u201d is a Series 5 binary source file. Save it as "
                                                        "plain text?") << ui.asked.back();
            ui.confirm = true;
        }
        EXPECT_TRUE(doc.Save(ui));
        EXPECT_EQ(ReadFile(t / "n.opl"), "x" + loaded);
        const size_t asked = ui.asked.size();
        Type(doc, "y");
        EXPECT_TRUE(doc.Save(ui));
        EXPECT_EQ(ui.asked.size(), asked) << "asked once only";
    }
}

// The dialect switch highlights as a fresh load does, keeping the text, Modified and undo.
TEST(Document, DialectSwitchInPlaceEqualsAFreshLoad)
{
    for (const char *file : {"text/TESTOPX.OPL", "text/frame.tpl", "text/dialog-tests.txt"}) {
        TDocument doc;
        doc.SetDialect(TDialect::Siena, false);
        doc.LoadFile(Data(file));
        TCodeMemo &m = doc.Memo();
        m.SetSelStart(m.ParagraphStart(3));
        Type(doc, "REM \"x");
        m.SetSelStart(m.ParagraphStart(5));
        Type(doc, "gCIRCLE 5:PRINT ");
        const std::string text = m.Text();
        m.ParseAllKeywords();
        for (TDialect d : {TDialect::Opl5, TDialect::None, TDialect::Opl3, TDialect::Siena}) {
            doc.SetDialect(d);
            // between two dialects only the colours change: nothing is parsed again
            const bool recoloured = d == TDialect::Opl5 || d == TDialect::Siena;
            EXPECT_EQ(m.Par(5).Parsed == 1, recoloured) << file << " dialect " << DialectName(d);
            m.ParseAllKeywords();
            EXPECT_EQ(m.Text(), text);
            EXPECT_TRUE(m.Modified() && m.CanUndo() && m.SelLength() == 0);
            EXPECT_EQ(m.CheckInvariants(), "");
            TDocument fresh;
            fresh.SetDialect(d, false);
            fresh.Memo().SetTextBuf(text.c_str());
            fresh.Memo().ParseAllKeywords();
            const auto a = HighlightRuns(m);
            EXPECT_TRUE(a == HighlightRuns(fresh.Memo())) << file << " dialect " << DialectName(d);
            EXPECT_EQ(a.empty(), d == TDialect::None) << "highlighted exactly when a dialect is chosen";
        }
        m.Undo();
        EXPECT_EQ(m.Text().find("gCIRCLE 5:PRINT "), std::string::npos) << "undo still takes the typing back";
    }
}

TEST(Settings, DefaultsRoundTripAndUnknownEntriesKept)
{
    TProfile p;
    TSettings d = TSettings::Read(p, 1024, 768);
    EXPECT_EQ(std::tie(d.Width, d.Height, d.Top, d.Left, d.State, d.Tabs), std::make_tuple(608, 459, 154, 208, 0, 8));
    EXPECT_EQ(std::tie(d.Syntax, d.FontName, d.Background),
              std::make_tuple("OPL Siena", "Courier New", static_cast<TColor>(0x80000005u)));
    EXPECT_TRUE(d.HelpPane && d.HintPane && !d.LineNumbers);
    // a window larger than the screen is centred at a negative place
    EXPECT_EQ(TSettings::Read(p, 500, 400).Left, -54);

    TTempDir t;
    WriteFile(t / "q.ini", "; mine\r\n[Other]\r\nKeep=me\r\n[window]\r\nwidth=700\r\nExtra = 1\r\n");
    p.Load(t / "q.ini");
    TSettings s = TSettings::Read(p, 1024, 768);
    EXPECT_EQ(s.Width, 700) << "sections and keys match in any case";
    s.Syntax = "";
    s.Background = 0x123456;
    std::tie(s.HintPane, s.LineNumbers) = std::pair(false, true);
    s.Write(p);
    p.Save(t / "q.ini");
    TProfile back;
    ASSERT_TRUE(back.Load(t / "q.ini"));
    const TSettings r = TSettings::Read(back, 1024, 768);
    EXPECT_EQ(std::tie(r.Syntax, r.Background, r.HintPane, r.LineNumbers),
              std::make_tuple("", TColor(0x123456), false, true));
    EXPECT_EQ(back.ReadString("Other", "Keep", "") + back.ReadString("Window", "Extra", ""), "me1");
    for (const char *kept : {"; mine", "Background=1193046"})
        EXPECT_NE(ReadFile(t / "q.ini").find(kept), std::string::npos) << kept;

    // the document puts the editor's settings in force and reads back the same
    auto applied = [](TSettings &x) {
        return std::tie(x.Syntax, x.FontName, x.FontSize, x.FontStyle, x.FontColor, x.Background, x.Tabs,
                        x.LineNumbers, x.Undo, x.UndoLimit);
    };
    TSettings e, g;
    applied(e) = std::make_tuple("OPL 3", "Arial", 14, 3, TColor(0xFF), TColor(0xABCDEF), 4, true, "Toggle", 12);
    TDocument doc;
    doc.ApplySettings(e);
    EXPECT_TRUE(doc.Dialect() == TDialect::Opl3 && doc.Memo().TabStops() == 4 && doc.Memo().LineNumbers() &&
                doc.Memo().UndoMode() == TUndoMode::Toggle);
    doc.GatherSettings(g);
    EXPECT_EQ(applied(g), applied(e));
}

TEST(Settings, UnusableValuesGiveDefaults)
{
    using S = TSettings;
    const int32_t sys = static_cast<int32_t>(0x80000005u);
    const std::tuple<const char *, const char *, const char *, int32_t TSettings::*, int32_t> cases[] = {
        {"Window", "State", "3", &S::State, 0},          {"Window", "State", "-1", &S::State, 0},
        {"Window", "State", "2", &S::State, 2},          {"Window", "Width", "0x10", &S::Width, 16},
        {"Window", "Width", "12abc", &S::Width, 608},    {"Window", "Width", "99999999999", &S::Width, 608},
        {"Window", "Width", "0x80000005", &S::Left, 1073742333}, // centred, without overflow
        {"Window", "Height", "", &S::Height, 459},       {"Edition", "Tabs", "0", &S::Tabs, 8},
        {"Edition", "Tabs", "13", &S::Tabs, 13},         {"Edition", "Tabs", "2147483647", &S::Tabs, 8},
        {"Font", "Size", "0", &S::FontSize, 10},         {"Font", "Size", "-12", &S::FontSize, -12},
        {"Font", "Size", "100000", &S::FontSize, 10},    {"Edition", "Tabs", "x", &S::Tabs, 8},
        {"Colors", "Background", "0x80000005", &S::Background, sys},
        {"Colors", "Background", "-2147483643", &S::Background, sys},
        {"Colors", "Background", "0x1FFFFFFFF", &S::Background, sys},
        {"Setup", "UndoLimit", "0", &S::UndoLimit, 10000}, {"Setup", "UndoLimit", "7", &S::UndoLimit, 7},
    };
    for (const auto &[section, key, value, field, expect] : cases) {
        TProfile p;
        p.Parse(std::string("[") + section + "]\n" + key + "=" + value + "\n");
        EXPECT_EQ(TSettings::Read(p, 1024, 768).*field, expect) << key << "=" << value;
    }
    TProfile p;
    p.Parse("[Font]\nStyle=255\n[Help]\nHelp Window OPL=0\nHelp Window Write OPL=yes\n\x01\xff junk\n");
    const TSettings s = TSettings::Read(p, 1024, 768);
    EXPECT_EQ(std::tie(s.FontStyle, s.HelpPane, s.HintPane), std::make_tuple(15, false, true));
    for (auto [value, mode] : {std::pair{"toggle", "Toggle"}, {"Multi", "Multi"}, {"junk", "Multi"}, {"", "Multi"}}) {
        p.Parse(std::string("[Setup]\nUndo=") + value + "\n");
        EXPECT_EQ(TSettings::Read(p, 1024, 768).Undo, mode) << value;
    }
}

// Replace All in the document: any line break breaks the line, one undo step (the multi-step history).
TEST(Document, ReplaceAllBreaksLinesInOneUndoStep)
{
    TDocument doc;
    TCodeMemo &m = doc.Memo();
    EXPECT_EQ(m.UndoMode(), TUndoMode::Multi);
    m.SetTextBuf("a;b;c\r\nd;e");
    m.SetModified(false);
    EXPECT_EQ(doc.ReplaceAll(";", "\n", true, false), 3);
    EXPECT_EQ(m.Text(), "a\r\nb\r\nc\r\nd\r\ne");
    EXPECT_EQ(doc.ReplaceAll("\r\n", "", true, false), 0) << "no occurrence runs over a break";
    EXPECT_EQ(doc.ReplaceAll("b", "x\ry\r\n", true, false), 1);
    EXPECT_EQ(m.Text(), "a\r\nx\r\ny\r\n\r\nc\r\nd\r\ne");
    m.Undo();
    m.Undo();
    EXPECT_EQ(m.Text(), "a;b;c\r\nd;e");
    EXPECT_FALSE(m.Modified()) << "back at the saved text";
}

TEST(Settings, WhereTheFileLivesAndAFileThatCannotBeWritten)
{
    TTempDir t;
    EXPECT_EQ(SettingsPath(t.path, nullptr, "/home/u"), t / "quenvel.ini");
    EXPECT_EQ(SettingsPath("/usr/bin", "/xdg", "/home/u"), "/xdg/quenvel/quenvel.ini");
    EXPECT_EQ(SettingsPath("/usr/bin", "", "/home/u"), "/home/u/.config/quenvel/quenvel.ini");
    EXPECT_EQ(SettingsPath("/no/such/dir", nullptr, "/home/u"), "/home/u/.config/quenvel/quenvel.ini");
    // the configuration folder is made when missing
    TProfile p;
    p.WriteInteger("Edition", "Tabs", 4);
    p.Save(t / "cfg/quenvel/quenvel.ini");
    EXPECT_EQ(ReadFile(t / "cfg/quenvel/quenvel.ini"), "[Edition]\nTabs=4\n");
    WriteFile(t / "plain", "x");
    EXPECT_EQ(Error([&] { p.Save(t / "plain/quenvel.ini"); }), "Unable to write to " + (t / "plain/quenvel.ini"));
}
