// The OPL dialect keyword tables: word list, counts, delimiters, per-dialect styles and the
// global table's lifecycle.
#include "opl/OplKeywords.h"
#include "editor/Highlighting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

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
    if (rec.Backgnd == 0 && rec.Foregnd == 0x808000)
        return Look::Teal;
    if (rec.Backgnd == 0 && rec.Foregnd == 0)
        return Look::Plain;
    if (rec.Backgnd == 0 && rec.Foregnd == 0x800000)
        return Look::Navy;
    if (rec.Backgnd == 0x00FFFF && rec.Foregnd == 0x0000FF)
        return Look::Warning;
    return Look::Other;
}

const char *LookName(Look look)
{
    switch (look) {
    case Look::Teal:
        return "teal";
    case Look::Plain:
        return "plain";
    case Look::Navy:
        return "navy";
    case Look::Warning:
        return "warning";
    case Look::Other:
        break;
    }
    return "other";
}

// Index of the n-th entry (0-based) spelled like word, ignoring case; -1 when there is none.
int FindEntry(const TKeywordList &list, const std::string &word, int occurrence = 0)
{
    const std::string want = Lower(word);
    for (int i = 0; i < list.Count(); ++i)
        if (Lower(list.Strings(i)) == want && occurrence-- == 0)
            return i;
    return -1;
}

int IndexInWordTable(const std::string &word)
{
    const auto &table = OplWordTable();
    for (size_t i = 0; i < table.size(); ++i)
        if (Lower(table[i].Word) == Lower(word))
            return static_cast<int>(i);
    return -1;
}

// A plain model of the keyword pass over one line of text: entries are tried in table order;
// an occurrence is taken only between delimiters (or the ends of the text), and text once
// taken cannot be matched again by a later entry.
struct Hit {
    size_t Offset;
    std::string Text;
    int Entry;
};

std::vector<Hit> Highlight(const TKeywordList &list, const std::string &text)
{
    std::string match = text;
    std::string upper = text;
    for (char &c : upper)
        c = static_cast<char>(UpperAscii(static_cast<uint8_t>(c)));
    std::vector<Hit> hits;
    for (int i = 0; i < list.Count(); ++i) {
        const TKeywordRec rec = list.KeywordRecord(i);
        const bool matchCase = (rec.Options & koMatchCase) != 0;
        const bool whole = (rec.Options & koWholeWords) != 0;
        const std::string key = matchCase ? list.Strings(i) : std::string(list.KeywordsUpper(i));
        std::string &hay = matchCase ? match : upper;
        for (size_t p = hay.find(key); p != std::string::npos; p = hay.find(key, p + 1)) {
            const size_t end = p + key.size();
            if (whole) {
                const bool before = p == 0 || list.Delimiters[static_cast<uint8_t>(text[p - 1])];
                const bool after = end == text.size() || list.Delimiters[static_cast<uint8_t>(text[end])];
                if (!before || !after)
                    continue;
            }
            hits.push_back({p, text.substr(p, key.size()), i});
            std::fill(match.begin() + static_cast<std::ptrdiff_t>(p),
                      match.begin() + static_cast<std::ptrdiff_t>(end), '\5');
            std::fill(upper.begin() + static_cast<std::ptrdiff_t>(p),
                      upper.begin() + static_cast<std::ptrdiff_t>(end), '\5');
        }
    }
    std::sort(hits.begin(), hits.end(), [](const Hit &a, const Hit &b) { return a.Offset < b.Offset; });
    return hits;
}

std::string Describe(const std::vector<Hit> &hits)
{
    std::string s;
    for (const Hit &h : hits)
        s += "[" + std::to_string(h.Offset) + " " + h.Text + " #" + std::to_string(h.Entry) + "]";
    return s;
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

// ---------------------------------------------------------------------------------------------
// The word list itself

TEST(OplWordTable, CorrectedWordsReplaceTheirMisspellingsInPlace)
{
    // Each corrected word sits between the same neighbours, with the same dialect tag.
    const struct {
        const char *Word, *Before, *After, *Misspelling;
        TOplTag Tag;
    } cases[] = {
        {"findfield", "find", "erase", "findfile", otAll},
        {"datetosecs", "dayname$", "secstodate", "datetosec$", otAll},
        {"gprintclip", "gprintb", "gtwidth", "gprintclib", otAll},
        {"gcreatebit", "goriginy", "gloadbit", "gcreateebit", otAll},
        {"geteventa32", "getevent32", "pointerfilter", "getevent32a", otOpl5},
    };
    const auto &table = OplWordTable();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Word);
        const int i = IndexInWordTable(c.Word);
        ASSERT_GT(i, 0);
        ASSERT_LT(i, 311);
        EXPECT_STREQ(table[static_cast<size_t>(i) - 1].Word, c.Before);
        EXPECT_STREQ(table[static_cast<size_t>(i) + 1].Word, c.After);
        EXPECT_EQ(table[static_cast<size_t>(i)].Tag, c.Tag);
        EXPECT_EQ(table[static_cast<size_t>(i)].Class, ocCommand);
        EXPECT_EQ(IndexInWordTable(c.Misspelling), -1);
        EXPECT_EQ(std::count_if(table.begin(), table.end(),
                                [&](const TOplWord &w) { return Lower(w.Word) == c.Word; }),
                  1);
    }
}

// ---------------------------------------------------------------------------------------------
// Built tables

TEST(OplKeywordTable, EveryEntryLooksAsItsClassAndTagSay)
{
    // The whole table, cross-checked against the class and tag of each word.
    const struct {
        int Dialect;
        std::set<TOplTag> Lacks;
    } dialects[] = {
        {odSiena, {otOpl5, otOpl3And5, otNowhere}},
        {odOpl3, {otOpl5, otNowhere}},
        {odOpl5, {otSienaAnd3, otNowhere}},
    };
    const std::map<TOplClass, Look> classLook = {
        {ocProcedure, Look::Teal}, {ocStructure, Look::Plain}, {ocCommand, Look::Navy}};
    for (const auto &d : dialects) {
        SCOPED_TRACE(OplDialectName(d.Dialect));
        const auto list = MakeOplKeywords(d.Dialect);
        for (int i = 0; i < list->Count(); ++i) {
            const TOplWord &w = OplWordTable()[static_cast<size_t>(i)];
            const Look expected = d.Lacks.count(w.Tag) ? Look::Warning : classLook.at(w.Class);
            EXPECT_EQ(LookOf(list->KeywordRecord(i)), expected) << w.Word;
        }
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

// ---------------------------------------------------------------------------------------------
// What the tables highlight (whole words, case-insensitive, first entry wins)

TEST(OplKeywordHighlighting, WholeWordsBetweenDelimiters)
{
    const auto list = MakeOplKeywords(odOpl3);
    const int at = FindEntry(*list, "at");
    const struct {
        const char *Text;
        std::vector<std::pair<size_t, std::string>> Expected; // offset, matched text
    } cases[] = {
        {"AT 1,2", {{0, "AT"}}},
        {"x=(at 1", {{3, "at"}}},
        {"At", {{0, "At"}}},
        {"at%=1", {}},
        {"cat", {}},
        {"at_x", {}},
        {"at#", {}},
        {"at!", {}},
        {"at&", {}},
        {"at'", {}},
        {"[at]", {}},
        {"\xE9"
         "at",
         {}},
        {"\tat^2", {{1, "at"}}},
        {"{at}", {{1, "at"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Text);
        const auto hits = Highlight(*list, c.Text);
        ASSERT_EQ(hits.size(), c.Expected.size()) << Describe(hits);
        for (size_t k = 0; k < hits.size(); ++k) {
            EXPECT_EQ(hits[k].Offset, c.Expected[k].first);
            EXPECT_EQ(hits[k].Text, c.Expected[k].second);
            EXPECT_EQ(hits[k].Entry, at);
        }
    }
}

TEST(OplKeywordHighlighting, LinesOfOpl)
{
    const auto list = MakeOplKeywords(odOpl5);
    const struct {
        const char *Text;
        std::vector<std::string> Expected; // matched words in order, as entered in the table
    } cases[] = {
        {"PROC main:", {"proc"}},
        {"EndP", {"endp"}},
        {"IF x% : Do : while 1", {"if", "do", "while"}},
        {"a$=GET$", {"get$"}},
        {"k%=GET", {"get"}},
        {"PRINT\"hello\"", {}},
        {"PRINT \"hello\"", {"print"}},
        {"REM nothing here", {}},
        {"DELETE f$", {"delete"}},
        {"gPrintClip \"x\",1", {"gprintclip"}},
        {"s&=Datetosecs(y%,m%,d%,0,0,0)", {"datetosecs"}},
        {"FindField(a$,1,3,16)", {"findfield"}},
        {"id%=gCreateBit(10,10)", {"gcreatebit"}},
        {"GetEventA32 stat%,ev&()", {"geteventa32"}},
        {"gprintclib datetosec$ findfile gcreateebit getevent32a", {}},
        {"GLOBAL x%,y%", {"global"}},
        {"IF A%=1 OR B%=2", {"if"}},
        {"x=VAL(a$)+IOSIGNAL", {"val", "iosignal"}},
        {"LOADM \"lib\" : dinit \"x\" : h%=GHEIGHT", {"LoadM", "dInit", "gHeight"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Text);
        const auto hits = Highlight(*list, c.Text);
        std::vector<std::string> words;
        for (const Hit &h : hits)
            words.push_back(list->Strings(h.Entry));
        EXPECT_EQ(words, c.Expected) << Describe(hits);
    }
}

TEST(OplKeywordHighlighting, DuplicatesShowTheirFirstEntry)
{
    for (int dialect : kAllDialects) {
        SCOPED_TRACE(OplDialectName(dialect));
        const auto list = MakeOplKeywords(dialect);
        for (const char *word : {"delete", "val", "iosignal"}) {
            SCOPED_TRACE(word);
            const auto hits = Highlight(*list, std::string("x ") + word + " y");
            ASSERT_EQ(hits.size(), 1u) << Describe(hits);
            EXPECT_EQ(hits[0].Entry, FindEntry(*list, word, 0));
            EXPECT_NE(hits[0].Entry, FindEntry(*list, word, 1));
        }
        // The first "delete" is an every-dialect command word.
        EXPECT_EQ(LookOf(list->KeywordRecord(FindEntry(*list, "delete"))), Look::Navy);
    }
}

// ---------------------------------------------------------------------------------------------
// The application's table

TEST(OplKeywordsGlobal, BuildMatchesMakeAndReplacesTheTable)
{
    FreeOplKeywords();
    EXPECT_EQ(OplKeywords, nullptr);

    for (int dialect : kAllDialects) {
        SCOPED_TRACE(OplDialectName(dialect));
        BuildOplKeywords(dialect);
        ASSERT_NE(OplKeywords, nullptr);
        ExpectSameTable(*OplKeywords, *MakeOplKeywords(dialect));
    }

    // A rebuild installs a different table for a different dialect...
    BuildOplKeywords(odSiena);
    ASSERT_NE(OplKeywords, nullptr);
    EXPECT_EQ(LookOf(OplKeywords->KeywordRecord(FindEntry(*OplKeywords, "const"))), Look::Warning);
    BuildOplKeywords(odOpl5);
    ASSERT_NE(OplKeywords, nullptr);
    EXPECT_EQ(OplKeywords->Count(), 312);
    EXPECT_EQ(LookOf(OplKeywords->KeywordRecord(FindEntry(*OplKeywords, "const"))), Look::Plain);

    // ...and an equal one for the same dialect. The old table must be freed each time; the
    // leak checker reports it otherwise (the freed address may be reused, so it is not compared).
    BuildOplKeywords(odOpl5);
    ASSERT_NE(OplKeywords, nullptr);
    EXPECT_EQ(OplKeywords->Count(), 312);
    ExpectSameTable(*OplKeywords, *MakeOplKeywords(odOpl5));

    FreeOplKeywords();
    EXPECT_EQ(OplKeywords, nullptr);
    FreeOplKeywords(); // freeing nothing is harmless
    EXPECT_EQ(OplKeywords, nullptr);
}

TEST(OplKeywordsGlobal, MadeTablesAreIndependentOfTheGlobal)
{
    FreeOplKeywords();
    auto own = MakeOplKeywords(odSiena);
    EXPECT_EQ(OplKeywords, nullptr);
    BuildOplKeywords(odOpl5);
    EXPECT_NE(OplKeywords, own.get());
    FreeOplKeywords();
    // The caller's table survives the global's release.
    EXPECT_EQ(own->Count(), 312);
    EXPECT_EQ(LookOf(own->KeywordRecord(FindEntry(*own, "const"))), Look::Warning);
}
