// The OPL dialect keyword tables: the word list's properties, the look of every entry under
// each dialect, and the global table's lifecycle. What the tables highlight in text is tested
// through the real passes in HighlightTest.
#include "TestUtil.h"

#include "opl/OplKeywords.h"
#include "editor/Highlighting.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>

using namespace quenvel;

namespace {

constexpr int kAllDialects[] = {odSiena, odOpl3, odOpl5};

std::string Lower(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// What a user sees for an entry, independent of how the record is assembled.
enum class Look { Teal, Plain, Navy, Warning, Other };

Look LookOf(const TKeywordRec &rec)
{
    const TColor bg = rec.Backgnd, fg = rec.Foregnd;
    if (bg == 0)
        return fg == 0x808000 ? Look::Teal : fg == 0 ? Look::Plain : fg == 0x800000 ? Look::Navy : Look::Other;
    return bg == 0x00FFFF && fg == 0x0000FF ? Look::Warning : Look::Other;
}

int FindEntry(const TKeywordList &list, const std::string &word)
{
    for (int i = 0; i < list.Count(); ++i)
        if (Lower(list.Strings(i)) == Lower(word))
            return i;
    return -1;
}

Look LookOfWord(const TKeywordList &list, const std::string &word)
{
    return LookOf(list.KeywordRecord(FindEntry(list, word)));
}

void ExpectSameTable(const TKeywordList &a, const TKeywordList &b)
{
    ASSERT_EQ(a.Count(), b.Count());
    EXPECT_EQ(a.Delimiters, b.Delimiters);
    for (int i = 0; i < a.Count(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        EXPECT_EQ(a.Strings(i), b.Strings(i));
        const TKeywordRec ra = a.KeywordRecord(i), rb = b.KeywordRecord(i);
        // The record is packed: compare copies, not references to its fields.
        EXPECT_EQ(int{ra.Options}, int{rb.Options});
        EXPECT_EQ(int{ra.Style}, int{rb.Style});
        EXPECT_EQ(int{ra.Context}, int{rb.Context});
        EXPECT_EQ(int{ra.Cursor}, int{rb.Cursor});
        EXPECT_EQ(TColor{ra.Backgnd}, TColor{rb.Backgnd});
        EXPECT_EQ(TColor{ra.Foregnd}, TColor{rb.Foregnd});
    }
}

} // namespace

// Only the three words the list is known to repeat appear twice; old misspellings are gone.
TEST(OplWordTable, NoDuplicatesButTheKnownThreeAndNoMisspellings)
{
    std::map<std::string, int> seen;
    for (const TOplWord &w : OplWordTable())
        ++seen[Lower(w.Word)];
    std::set<std::string> twice;
    for (const auto &[word, n] : seen)
        if (n > 1)
            twice.insert(word + "x" + std::to_string(n));
    EXPECT_EQ(twice, (std::set<std::string>{"deletex2", "iosignalx2", "valx2"}));
    for (const char *wrong : {"findfile", "datetosec$", "gprintclib", "gcreateebit", "getevent32a", "peek", "poke"})
        EXPECT_EQ(seen.count(wrong), 0u) << wrong;
}

// The table holds exactly the words the translators reserve, REM aside (a comment, not a
// keyword). Functions show as commands (SPACE aside, an old structure word) and the reserved
// words as structure words, save those that have always been shown as commands.
TEST(OplWordTable, HoldsEveryTranslatorWordInItsClass)
{
    const std::vector<test::TOplFact> facts = test::ReadOplFacts();
    if (facts.empty())
        GTEST_SKIP() << "no translator facts beside the project";
    std::map<std::string, TOplClass> table;
    for (const TOplWord &w : OplWordTable())
        table.emplace(Lower(w.Word), w.Class);
    const std::set<std::string> reservedCommands = {"app", "enda", "icon", "type", "ext", "path",
                                                    "caption", "flags", "include", "declare", "external"};
    std::set<std::string> known;
    for (const test::TOplFact &f : facts) {
        const std::string w = Lower(f.Word);
        known.insert(w);
        if (w == "rem") {
            EXPECT_EQ(table.count(w), 0u);
            continue;
        }
        ASSERT_EQ(table.count(w), 1u) << w;
        if (f.Class == "function" && w != "space") {
            EXPECT_EQ(table[w], ocCommand) << w;
        }
        if (f.Class == "reserved") {
            EXPECT_EQ(table[w] == ocCommand, reservedCommands.count(w) > 0) << w;
        }
    }
    for (const auto &[w, cls] : table)
        EXPECT_TRUE(known.count(w)) << w << " is no OPL word";
}

// The whole table, cross-checked against the class and tag of each word; a word the list
// repeats shows as present wherever its first entry does (the first entry wins).
TEST(OplKeywordTable, EveryEntryLooksAsItsClassAndTagSay)
{
    const struct {
        int Dialect;
        std::set<TOplTag> Lacks;
    } dialects[] = {
        {odSiena, {otOpl5, otOpl3And5, otNowhere, otOpl3}},
        {odOpl3, {otOpl5, otNowhere}},
        {odOpl5, {otSienaAnd3, otNowhere, otOpl3}},
    };
    const std::map<TOplClass, Look> classLook = {
        {ocProcedure, Look::Teal}, {ocStructure, Look::Plain}, {ocCommand, Look::Navy}};
    for (const auto &d : dialects) {
        SCOPED_TRACE(OplDialectName(d.Dialect));
        const auto list = MakeOplKeywords(d.Dialect);
        ASSERT_EQ(list->Count(), static_cast<int>(OplWordTable().size()));
        for (int i = 0; i < list->Count(); ++i) {
            const TOplWord &w = OplWordTable()[static_cast<size_t>(i)];
            const Look expected = d.Lacks.count(w.Tag) ? Look::Warning : classLook.at(w.Class);
            EXPECT_EQ(LookOf(list->KeywordRecord(i)), expected) << w.Word;
        }
        for (const char *word : {"delete", "val", "iosignal"})
            EXPECT_EQ(LookOfWord(*list, word), Look::Navy) << word;
    }
}

TEST(OplKeywordTable, OnlyTheSienaAndOpl5CodesAreSpecial)
{
    // OPL 3 is whatever is neither the Siena nor OPL 5.
    const auto opl3 = MakeOplKeywords(odOpl3);
    for (int other : {0, 4, -1, 99}) {
        SCOPED_TRACE(other);
        ExpectSameTable(*MakeOplKeywords(other), *opl3);
    }
}

TEST(OplKeywordsGlobal, BuildMatchesMakeAndReplacesTheTable)
{
    FreeOplKeywords();
    EXPECT_EQ(OplKeywords, nullptr);
    auto own = MakeOplKeywords(odSiena);
    EXPECT_EQ(OplKeywords, nullptr) << "a made table is the caller's own";
    // a rebuild installs the dialect's table, for another dialect and for the same one; the
    // old table must be freed each time (the leak checker reports it otherwise)
    for (int dialect : {odSiena, odOpl3, odOpl5, odOpl5}) {
        SCOPED_TRACE(OplDialectName(dialect));
        BuildOplKeywords(dialect);
        ASSERT_NE(OplKeywords, nullptr);
        EXPECT_NE(OplKeywords, own.get());
        ExpectSameTable(*OplKeywords, *MakeOplKeywords(dialect));
        EXPECT_EQ(LookOfWord(*OplKeywords, "const"), dialect == odOpl5 ? Look::Plain : Look::Warning);
    }
    FreeOplKeywords();
    EXPECT_EQ(OplKeywords, nullptr);
    FreeOplKeywords(); // freeing nothing is harmless
    EXPECT_EQ(OplKeywords, nullptr);
    // the caller's table survives the global's release
    EXPECT_EQ(own->Count(), static_cast<int>(OplWordTable().size()));
    EXPECT_EQ(LookOfWord(*own, "const"), Look::Warning);
}
