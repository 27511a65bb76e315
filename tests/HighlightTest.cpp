#include "TestUtil.h"

#include "editor/HighlightRuns.h"
#include "opl/OplKeywords.h"
#include "opl/OplSetup.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

using namespace quenvel;
using namespace quenvel::test;

namespace {

struct TRunText {
    int par;
    std::string text;
    int style;
    TColor fg, bg;
    bool operator==(const TRunText &) const = default;
};

std::ostream &operator<<(std::ostream &os, const TRunText &r)
{
    return os << "{" << r.par << " '" << r.text << "' " << r.style << " " << std::hex << r.fg << "/" << r.bg
              << std::dec << "}";
}

std::vector<TRunText> Runs(TCodeMemo &memo)
{
    std::vector<TRunText> v;
    for (const auto &r : HighlightRuns(memo))
        v.push_back({r.Par, memo.ParagraphText(r.Par).substr(static_cast<size_t>(r.Col), static_cast<size_t>(r.Len)),
                     r.Style.StyleBits & 63, TColor(r.Style.Foregnd), TColor(r.Style.Backgnd)});
    return v;
}

std::vector<TRunText> LoadAndRun(TCodeMemo &memo, const std::string &text)
{
    LoadString(memo, text);
    memo.ParseAllKeywords();
    EXPECT_EQ(memo.CheckInvariants(), "");
    return Runs(memo);
}

// A control highlighting with a small list of its own.
struct TSmallList {
    TCodeMemo memo;
    TSmallList(std::initializer_list<std::pair<const char *, uint8_t>> words, const char *delims = " ")
    {
        for (auto [w, opt] : words)
            memo.Keywords().AddKeyword(w, opt, fsBold, 1, 0, 0, clNavy);
        for (const char *d = delims; *d; ++d)
            memo.Keywords().Delimiters.set(static_cast<uint8_t>(*d));
        memo.KeywordsActive = true;
    }
    std::vector<TRunText> Load(const std::string &text) { return LoadAndRun(memo, text); }
};

struct TOplControl {
    TCodeMemo memo;
    std::unique_ptr<TKeywordList> table;
    explicit TOplControl(TDialect dialect = TDialect::Opl3)
    {
        RegisterOplSpans(memo);
        ApplyOplDialect(memo, dialect, table);
    }
    std::vector<TRunText> Load(const std::string &text) { return LoadAndRun(memo, text); }
};

} // namespace

// The first entry that matches wins (a repeated word: its first style); match case; context 0 never shows.
TEST(Keywords, FirstEntryWinsMatchCaseAndContextZero)
{
    using R = std::vector<TRunText>;
    TSmallList l({{"end", 0}, {"endif", 0}}), w({{"end", koWholeWords}, {"endif", koWholeWords}});
    EXPECT_EQ(l.Load("endif"), R({{0, "end", fsBold, clNavy, 0}}));
    EXPECT_EQ(w.Load("endif"), R({{0, "endif", fsBold, clNavy, 0}}));
    w.memo.Keywords().AddKeyword("twice", koWholeWords, fsItalic, 1, 0, 0, clRed);
    w.memo.Keywords().AddKeyword("twice", koWholeWords, fsBold, 1, 0, 0, clGreen);
    EXPECT_EQ(w.Load("twice"), R({{0, "twice", fsItalic, clRed, 0}}));
    TSmallList c({{"Exact", koWholeWords | koMatchCase}});
    c.memo.Keywords().AddKeyword("never", koWholeWords, fsBold, 0, 0, clYellow, clRed);
    EXPECT_EQ(c.Load("exact Exact EXACT never"), R({{0, "Exact", fsBold, clNavy, 0}}));
}

TEST(Keywords, InnerEdgesLookAtTheRealNeighbours)
{
    TSmallList l({{"print", koWholeWords}});
    LoadString(l.memo, "xprint y");
    // a pass over a window that starts inside the word must not light up its tail
    l.memo.ParseParagraphKeywords(0, 7, 8);
    EXPECT_TRUE(Runs(l.memo).empty());
    l.memo.ParseParagraphKeywords(0, 0, 1);
    EXPECT_TRUE(Runs(l.memo).empty());
    LoadString(l.memo, "a print y");
    l.memo.ParseParagraphKeywords(0, 7, 8);
    EXPECT_EQ(Runs(l.memo).size(), 1u) << "the word lies within the longest key of the window";
}

TEST(Regions, StopKeyBeyondTheLineWhenNotEndingThere)
{
    TCodeMemo memo;
    memo.StartStopKeys().AddStartStop("{", "}", 0, fsItalic, 1, 0, clWhite, clGreen, 0);
    memo.StartStopActive = true;
    LoadString(memo, "a {b\r\nc\r\nd} e\r\n{f");
    std::vector<TRunText> expect;
    for (auto [par, text] : {std::pair{0, "{b"}, {1, "c"}, {2, "d}"}, {3, "{f"}})
        expect.push_back({par, text, fsItalic, clGreen, clWhite});
    EXPECT_EQ(Runs(memo), expect);
    EXPECT_EQ(memo.CheckInvariants(), "");
}

// The OPL words highlighted: whole words between the table's delimiters, any case, not in strings or remarks.
TEST(OplHighlighting, WordsAndBoundaries)
{
    const std::pair<const char *, std::vector<std::string>> cases[] = {
        {"AT 1,2", {"AT"}}, {"x=(at 1", {"at"}}, {"\tat^2 {at}", {"at", "at"}},
        {"at%=1 cat at_x at# at! at& at' [at] \xe9" "at", {}},
        {"PROC main: EndP", {"PROC", "EndP"}}, {"IF x% : Do : while 1", {"IF", "Do", "while"}},
        {"a$=GET$ k%=GET", {"GET$", "GET"}}, {"PRINT\"hello\" x", {}}, // a double quote is not a delimiter
        {"PRINT \"IF\" :REM PRINT", {"PRINT"}}, {"IF A%=1 OR NOT B%=2", {"IF", "OR", "NOT"}},
        {"x=VAL(a$)+IOSIGNAL :DELETE f$", {"VAL", "IOSIGNAL", "DELETE"}},
        {"LOADM \"lib\" : dinit \"x\" : h%=GHEIGHT", {"LOADM", "dinit", "GHEIGHT"}},
        {"gPrintClip 1:s&=Datetosecs(0):FindField(a$):gCreateBit(1):GetEventA32 s%",
         {"gPrintClip", "Datetosecs", "FindField", "gCreateBit", "GetEventA32"}},
    };
    TOplControl c(TDialect::Opl5);
    for (const auto &[text, expected] : cases) {
        std::vector<std::string> words;
        for (const TRunText &r : c.Load(text))
            if (r.style == fsBold)
                words.push_back(r.text);
        EXPECT_EQ(words, expected) << text;
    }
}

// ---- differential test against a deliberately simple matcher ----

namespace {

std::vector<TRunText> Reference(const std::string &text, const TKeywordList &kl)
{
    // REM opens a comment only where no character of a name stands against it
    auto nameChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("_$%&", c); };
    std::vector<TRunText> out;
    auto pars = SplitLikeLoader(text);
    for (size_t p = 0; p < pars.size(); ++p) {
        const std::string &s = pars[p];
        std::string up = s;
        for (auto &ch : up)
            ch = static_cast<char>(UpperAscii(static_cast<uint8_t>(ch)));
        std::vector<int> owner(s.size(), -1); // -2 region, >= 0 keyword entry
        struct R {
            size_t a, b;
            int kind, kw; // kind: 0 string, 1 rem, 2 keyword
        };
        std::vector<R> rs;
        // regions first, left to right: a string to its closing quote (or the end), a remark to the end
        for (size_t i = 0; i < s.size();) {
            const bool rem = up.compare(i, 3, "REM") == 0 && !(i > 0 && nameChar(s[i - 1])) &&
                             !(i + 3 < s.size() && nameChar(s[i + 3]));
            if (s[i] != '"' && !rem) {
                ++i;
                continue;
            }
            const size_t e = rem ? s.size() : std::min(s.find('"', i + 1), s.size() - 1) + 1;
            rs.push_back({i, e, rem ? 1 : 0, -1});
            std::fill(owner.begin() + long(i), owner.begin() + long(e), -2);
            i = e;
        }
        // keywords in list order, left to right, whole words
        for (int k = 0; k < kl.Count(); ++k) {
            const std::string key = kl.KeywordsUpper(k);
            const size_t L = key.size();
            for (size_t at = 0; (at = up.find(key, at)) != std::string::npos; at += L) {
                const bool free = std::all_of(owner.begin() + long(at), owner.begin() + long(at + L), [](int o) { return o == -1; });
                const bool left = at == 0 || kl.Delimiters[static_cast<uint8_t>(s[at - 1])];
                const bool right = at + L == s.size() || kl.Delimiters[static_cast<uint8_t>(s[at + L])];
                if (free && left && right) {
                    rs.push_back({at, at + L, 2, k});
                    std::fill(owner.begin() + long(at), owner.begin() + long(at + L), k);
                }
            }
        }
        std::sort(rs.begin(), rs.end(), [](const R &x, const R &y) { return x.a < y.a; });
        for (const R &r : rs) {
            if (r.b == r.a)
                continue;
            std::string t = s.substr(r.a, r.b - r.a);
            const TKeywordRec rec = r.kind == 2 ? kl.KeywordRecord(r.kw) : TKeywordRec{};
            if (r.kind == 2)
                out.push_back({static_cast<int>(p), t, rec.Style & 63, rec.Foregnd, rec.Backgnd});
            else // a string, a remark
                out.push_back({static_cast<int>(p), t, r.kind ? fsItalic : 0, r.kind ? clGreen : clNavy, clWhite});
        }
    }
    return out;
}

std::string RandomOplText(std::mt19937 &rng)
{
    static const char *pieces[] = {"PRINT", "print", "IF", "endif", "x%", "at", "cat", "get$", "GET", "rem",
                                   "REM", "premium%", "\"", "\"str\"", "gPRINTCLIP", "delete", "val", "(",
                                   ")", ",", " ", " ", " ", "\t", ":", "=", "+", "proc", "ENDP", "a$", "$",
                                   "gcircle", "const", "errx$", "\xe9", "1", "\r\n", "\r\n", "\n", "\r", "lorem$", "REMark", "_", "&"};
    std::string s;
    for (int i = 0, n = static_cast<int>(rng() % 40); i < n; ++i)
        s += pieces[rng() % std::size(pieces)];
    return s;
}

} // namespace

// Word lookup, general search, one-pass writing and the passes all give the reference's runs and bytes.
TEST(OplHighlighting, AgreesWithASimpleReferenceMatcher)
{
    std::mt19937 rng(2024);
    for (TDialect dialect : {TDialect::Siena, TDialect::Opl3, TDialect::Opl5}) {
        TOplControl c(dialect), general(dialect), passes(dialect);
        general.table->AddKeyword("no such", koWholeWords, fsBold, 1, 0, 0, clRed);
        passes.memo.BulkParse = false;
        for (int round = 0; round < 1500; ++round) {
            std::string text = RandomOplText(rng);
            if (round % 7 == 0)
                text += "\"a\"\"b\" rem\"c\""; // touching runs
            const auto got = c.Load(text);
            ASSERT_EQ(got, Reference(text, *c.table)) << testing::PrintToString(text);
            ASSERT_EQ(general.Load(text), got) << testing::PrintToString(text);
            ASSERT_EQ(passes.Load(text), got) << testing::PrintToString(text);
            for (int32_t p = 0; p < c.memo.ParagraphCount(); ++p) {
                const TParagraphRec &x = c.memo.Par(p), &y = passes.memo.Par(p);
                ASSERT_EQ(std::string(reinterpret_cast<char *>(x.Text), static_cast<size_t>(x.ByteSize())),
                          std::string(reinterpret_cast<char *>(y.Text), static_cast<size_t>(y.ByteSize())))
                    << testing::PrintToString(text);
            }
        }
    }
}

// Word lookup and general search agree on case variants, repeats, any order: the first accepting entry wins.
TEST(Keywords, WordLookupAgreesWithTheGeneralSearchOnCaseVariants)
{
    static const char *spellings[] = {"ab", "AB", "Ab", "aB", "abc", "ABC", "x", "X", "abd", "b"};
    std::mt19937 rng(99);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::pair<const char *, uint8_t>> words;
        for (int n = 1 + static_cast<int>(rng() % 8); n > 0; --n)
            words.push_back({spellings[rng() % std::size(spellings)],
                             static_cast<uint8_t>(koWholeWords | (rng() % 2 ? koMatchCase : 0))});
        TSmallList fast({}), slow({});
        for (size_t i = 0; i < words.size(); ++i)
            for (TSmallList *l : {&fast, &slow}) // each entry its own colour, to tell which one won
                l->memo.Keywords().AddKeyword(words[i].first, words[i].second, fsBold, 1, 0, 0,
                                              static_cast<TColor>(i + 1));
        // a delimiter inside an entry forces the general search
        slow.memo.Keywords().AddKeyword("no such", koWholeWords, fsBold, 1, 0, 0, clRed);
        std::string text;
        for (int n = static_cast<int>(rng() % 12); n > 0; --n)
            text += std::string(spellings[rng() % std::size(spellings)]) + " ";
        ASSERT_EQ(fast.Load(text), slow.Load(text)) << testing::PrintToString(text);
    }
}
