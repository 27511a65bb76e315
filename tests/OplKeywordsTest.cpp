// The OPL keyword tables: the word list and the look of every entry per dialect (their use: HighlightTest).
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

} // namespace

// Only the three words the list is known to repeat appear twice (misspellings: HoldsEveryTranslatorWordInItsClass).
TEST(OplWordTable, NoDuplicatesButTheKnownThree)
{
    std::map<std::string, int> seen;
    for (const TOplWord &w : OplWordTable())
        ++seen[Lower(w.Word)];
    std::set<std::string> twice;
    for (const auto &[word, n] : seen)
        if (n > 1)
            twice.insert(word + "x" + std::to_string(n));
    EXPECT_EQ(twice, (std::set<std::string>{"deletex2", "iosignalx2", "valx2"}));
}

// The table holds exactly the reserved words but REM; functions look as commands (not SPACE).
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

// Every entry against its word's class and tag, a repeated word as its first entry; None's table is OPL 3's.
TEST(OplKeywordTable, EveryEntryLooksAsItsClassAndTagSay)
{
    const std::pair<TDialect, std::set<TOplTag>> dialects[] = { // the tags each dialect lacks
        {TDialect::Siena, {otOpl5, otOpl3And5, otNowhere, otOpl3}},
        {TDialect::Opl3, {otOpl5, otNowhere}},
        {TDialect::Opl5, {otSienaAnd3, otNowhere, otOpl3}},
        {TDialect::None, {otOpl5, otNowhere}},
    };
    const std::map<TOplClass, Look> classLook = {
        {ocProcedure, Look::Teal}, {ocStructure, Look::Plain}, {ocCommand, Look::Navy}};
    for (const auto &[dialect, lacks] : dialects) {
        SCOPED_TRACE(DialectName(dialect));
        const auto list = MakeOplKeywords(dialect);
        ASSERT_EQ(list->Count(), static_cast<int>(OplWordTable().size()));
        for (int i = 0; i < list->Count(); ++i) {
            const TOplWord &w = OplWordTable()[static_cast<size_t>(i)];
            const Look expected = lacks.count(w.Tag) ? Look::Warning : classLook.at(w.Class);
            EXPECT_EQ(LookOf(list->KeywordRecord(i)), expected) << w.Word;
        }
        std::set<std::string> seen, twice = {"delete", "val", "iosignal"};
        for (int i = 0; i < list->Count(); ++i) // the first entry of each word
            if (seen.insert(Lower(list->Strings(i))).second && twice.count(Lower(list->Strings(i))))
                EXPECT_EQ(LookOf(list->KeywordRecord(i)), Look::Navy) << list->Strings(i);
    }
}
