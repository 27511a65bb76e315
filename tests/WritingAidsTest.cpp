// The help tree, the syntax hint line, the indentation Enter carries over and the help set.
#include "TestUtil.h"

#include "app/document/Document.h"
#include "opl/HelpIndex.h"
#include "opl/HelpTree.h"
#include "opl/OplKeywords.h"
#include "opl/SyntaxHints.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <sstream>

using namespace quenvel;
using namespace quenvel::test;

namespace {

int FindNode(std::string_view caption)
{
    const auto &nodes = HelpTreeNodes();
    for (size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].Caption == caption)
            return static_cast<int>(i);
    return -1;
}

} // namespace

// (The badges: HelpSet.EveryWordHasAnEntryTrueToTheTranslators, every leaf against its entry.)
TEST(HelpTree, CountsAndShape)
{
    const auto &nodes = HelpTreeNodes();
    ASSERT_EQ(nodes.size(), 229u);
    EXPECT_EQ(nodes[0].Caption, "OPL Help");
    int groups = 0, inner = 0, leaves = 0;
    std::vector<int> children(nodes.size());
    for (size_t i = 0; i < nodes.size(); ++i) {
        groups += nodes[i].Level == 1;
        (nodes[i].IsLeaf() ? leaves : inner)++;
        if (i > 0) {
            ASSERT_LT(nodes[i].Parent, static_cast<int>(i));
            EXPECT_EQ(nodes[static_cast<size_t>(nodes[i].Parent)].Level, nodes[i].Level - 1);
            ++children[static_cast<size_t>(nodes[i].Parent)];
        }
        EXPECT_EQ(children[i], 0) << "a parent comes before its children";
    }
    for (size_t i = 0; i < nodes.size(); ++i)
        EXPECT_EQ(nodes[i].ChildCount, children[i]) << nodes[i].Caption;
    EXPECT_EQ((std::vector<int>{groups, inner, leaves}), (std::vector<int>{12, 24, 205}));
}

TEST(HelpTree, DoubleClickInsertsLeafCaptionsOnly)
{
    for (const char *leaf : {"gPrint", "Get, Get$", "do .. until"})
        EXPECT_EQ(HelpTreeInsertText(FindNode(leaf)), std::string(leaf) + " ");
    for (int node : {0, FindNode("Numbers"), FindNode("Strings"), -1, 229})
        EXPECT_EQ(HelpTreeInsertText(node), std::nullopt) << node;
}

TEST(SyntaxHint, TypingAndMovingTheCaret)
{
    // Typing a text one character at a time, the hint after each character.
    auto typed = [](const std::string &text, std::string hint = "(none)") {
        for (size_t n = 1; n <= text.size(); ++n)
            hint = NextSyntaxHint(text.substr(0, n), static_cast<int32_t>(n), hint);
        return hint;
    };
    const std::string dtext = "dTEXT prompt$, body$[, type%]";
    for (auto [text, hint] : {std::pair<const char *, std::string>{"dtext", dtext}, {"dtext ", dtext}, {"  DText", dtext},
                              {"do", "DO ... UNTIL"}, {"dox", "DO ... UNTIL"}, {"dox ", "(none)"},
                              {"\tprint", "PRINT expression[, or ; expression ...]"}, {"dlong x&, 9 remark", "REM comment"}})
        EXPECT_EQ(typed(text), hint) << text;

    // Moving the caret without typing: line, column, the hint before, the hint after.
    const std::tuple<const char *, int32_t, const char *, const char *> cases[] = {
        {"x = 1 dlong a&", 8, "(none)", "dLONG var long&, prompt$, min&, max&"}, // back inside a word
        {"x = 1 dlong a&", 14, "old", "old"},                                    // a word without a hint
        {"dinit", 0, "old", "old"}, {"dinit", 1, "old", "old"},                  // columns 0 and 1 never change it
        {"a dinit", 2, "old", "(none)"},                         // a space before the caret resets it
        {"dposition\tx", 10, "old", "dPOSITION x%, y%"},     // a TAB ends a word too
        {"mcard", 5, "", "mCARD title$, item1$, key1%, item2$, key2%, ..."},
        {"rem", 3, "", "REM comment"},
        {"x", 5, "old", "old"},                                  // a column past the end changes nothing
        {"PRINT\"hi\"", 3, "old", "old"},                         // only blanks end a word
        {"a=PRINT", 5, "old", "old"},
    };
    for (const auto &[line, col, before, after] : cases)
        EXPECT_EQ(NextSyntaxHint(line, col, before), after) << line << " @" << col;
}

// Every hint starts with its command; "var" marks exactly the dialog items writing a variable, first only.
TEST(SyntaxHint, EveryHintSpellsItsOwnCommand)
{
    ASSERT_EQ(SyntaxHintTable().size(), 19u);
    const std::set<std::string_view> byReference = {"DLONG", "DFLOAT", "DDATE", "DTIME",
                                                    "DCHOICE", "DFILE", "DXINPUT", "DEDIT"};
    for (const TSyntaxHint &h : SyntaxHintTable()) {
        EXPECT_EQ(h.Text.find(" var "), byReference.count(h.Key) ? h.Key.size() : std::string_view::npos) << h.Text;
        EXPECT_EQ(h.Text.find(" var ", h.Key.size() + 1), std::string_view::npos) << h.Text;
        std::string head(h.Text.substr(0, h.Key.size()));
        for (char &c : head)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(head, h.Key);
        EXPECT_TRUE(h.Text.size() == h.Key.size() || h.Text[h.Key.size()] == ' ') << h.Text;
        EXPECT_EQ(h.Text.find("Tile"), std::string_view::npos) << h.Text;
        EXPECT_EQ(FindSyntaxHint(std::string(h.Key) + "x"), nullptr);
    }
    EXPECT_EQ(FindSyntaxHint("DFloat")->Key, "DFLOAT");
    EXPECT_EQ(FindSyntaxHint("rem")->Text, "REM comment");
}

TEST(EnterIndentation, LeadingBlanksCarryOverToTheNewLine)
{
    // the text, the column on line 0 where Enter is pressed, the lines after, the caret's column on line 1
    const std::tuple<const char *, int32_t, std::vector<std::string>, int32_t> cases[] = {
        {"\t\tIF x%", 7, {"\t\tIF x%", "\t\t"}, 2},
        {"\tab cd", 3, {"\tab", "\t cd"}, 1},          // Enter inside the line
        {"  spaces", 8, {"  spaces", "  "}, 2},          // spaces as well as TABs
        {"\t \tmixed", 8, {"\t \tmixed", "\t \t"}, 3}, // the mix exactly as written
        {" \t", 2, {" \t", " \t"}, 2},                  // a line of blanks only
        {"", 0, {"", ""}, 0},
    };
    for (const auto &[text, caretCol, after, col] : cases) {
        TCodeMemo memo;
        ConfigureEditorLikeMainWindow(memo);
        LoadString(memo, text);
        memo.SetSelCol(caretCol);
        const std::string indent = LeadingBlanks(memo.ParagraphText(memo.SelLine()));
        memo.SetSelTextBuf("\r\n");
        CarryIndentation(memo, indent);
        EXPECT_EQ(memo.Text() + "|" + std::to_string(memo.SelLine()) + "," + std::to_string(memo.SelCol()),
                  Join(after) + "|1," + std::to_string(col));
    }
}

TEST(HelpSet, EveryNodeHasAnEntryAndEveryLinkResolves)
{
    EXPECT_EQ(HelpPageForTopic(kHelpContentsTopic), std::string(kHelpContentsPage));
    EXPECT_EQ(HelpPageForTopic("Topic2"), std::nullopt);

    // The anchors of every page; none twice on one page.
    std::map<std::string, std::set<std::string>> anchors;
    const std::regex nameRe("<a name=\"([^\"]+)\">"), hrefRe("href=\"([^\"]*)\"");
    ASSERT_EQ(HelpFileNames().size(), 16u);
    for (std::string_view name : HelpFileNames()) {
        const std::string page(*HelpFile(name));
        std::set<std::string> &set = anchors[std::string(name)];
        for (std::sregex_iterator it(page.begin(), page.end(), nameRe), end; it != end; ++it)
            EXPECT_TRUE(set.insert((*it)[1]).second) << name << ": " << (*it)[1] << " twice";
    }
    EXPECT_TRUE(anchors[std::string(kHelpContentsPage)].count(std::string(kHelpContentsTopic)));

    auto resolves = [&anchors](const std::string &from, const std::string &link) {
        const size_t hash = link.find('#');
        const std::string page = hash == 0 ? from : link.substr(0, hash);
        return anchors.count(page) && (hash == std::string::npos || anchors[page].count(link.substr(hash + 1)));
    };
    std::set<std::string> linked;
    for (std::string_view name : HelpFileNames()) {
        const std::string page(*HelpFile(name));
        for (std::sregex_iterator it(page.begin(), page.end(), hrefRe), end; it != end; ++it) {
            EXPECT_TRUE(resolves(std::string(name), (*it)[1])) << name << " -> " << (*it)[1];
            linked.insert((*it)[1].str().substr(0, (*it)[1].str().find('#')));
        }
    }
    EXPECT_EQ(linked.size(), 17u) << "every page is reached (\"\" is a link within a page)";

    // Every node's topic resolves (a leaf's entry is checked below).
    const auto &nodes = HelpTreeNodes();
    for (int i = 0; i < static_cast<int>(nodes.size()); ++i)
        ASSERT_TRUE(resolves("", HelpTopicForNode(i))) << nodes[static_cast<size_t>(i)].Caption;
    // every page but the contents starts with an example
    for (std::string_view name : HelpFileNames())
        EXPECT_TRUE(name == kHelpContentsPage ||
                    HelpFile(name)->find("<a name=\"example\"></a>Example</h2>\n<pre>") != std::string::npos)
            << name;
}

namespace {

// The entry a topic ("page.html#anchor") leads to: from its heading to the next heading.
std::string EntryOf(const std::string &topic)
{
    const size_t hash = topic.find('#');
    const std::string page(HelpFile(topic.substr(0, hash)).value_or(""));
    const size_t at = page.rfind("<h3>", page.find("<a name=\"" + topic.substr(hash + 1) + "\">"));
    if (hash == std::string::npos || at == std::string::npos)
        return "";
    return page.substr(at, std::min(page.find("<h", at + 1), page.find("<p><a href=\"index", at)) - at);
}

// The machines an entry names on its "Machines:" line ("none ..." names none).
std::set<std::string> MachinesOf(const std::string &entry)
{
    const size_t at = entry.find("Machines: ");
    if (at == std::string::npos)
        return {"(no line)"};
    std::set<std::string> m;
    std::istringstream line(entry.substr(at + 10, entry.find('<', at) - at - 10));
    for (std::string name; std::getline(line >> std::ws, name, ',');)
        if (!name.starts_with("none"))
            m.insert(name);
    return m;
}

} // namespace

// Every highlighted word opens an F1 entry naming the machines that accept it; the tree's badges agree.
TEST(HelpSet, EveryWordHasAnEntryTrueToTheTranslators)
{
    const std::vector<TOplFact> facts = ReadOplFacts();
    if (facts.empty())
        GTEST_SKIP() << "no translator facts beside the project";
    std::map<std::string, std::set<std::string>> machines; // by upper-case word
    for (const TOplFact &f : facts) {
        std::set<std::string> &m = machines[f.Word];
        for (const auto &[has, machine] : {std::pair{f.Series3a && !SienaLacks(f.Word), "Siena"},
                                           {f.Series3a, "Series 3"}, {f.Series5, "Series 5"}})
            if (has)
                m.insert(machine);
    }
    auto upper = [](std::string_view w) {
        std::string u(w);
        std::transform(u.begin(), u.end(), u.begin(), [](unsigned char c) { return std::toupper(c); });
        return u;
    };
    for (const TOplWord &w : OplWordTable()) {
        const std::optional<std::string> topic = HelpTopicForWord(w.Word);
        ASSERT_TRUE(topic) << w.Word << " has no entry";
        const std::string entry = EntryOf(*topic);
        EXPECT_NE(entry.find("<pre>"), std::string::npos) << w.Word << " -> " << *topic;
        EXPECT_EQ(MachinesOf(entry), machines.at(upper(w.Word))) << w.Word << " -> " << *topic;
    }
    // a leaf's entry may describe a form of its word that fewer machines have, never more
    const auto &nodes = HelpTreeNodes();
    for (int i = 0; i < static_cast<int>(nodes.size()); ++i) {
        const THelpNode &n = nodes[static_cast<size_t>(i)];
        if (!n.IsLeaf())
            continue;
        const std::set<std::string> m = MachinesOf(EntryOf(HelpTopicForNode(i)));
        const std::string word = upper(n.Caption.substr(0, n.Caption.find_first_of(" ,")));
        for (const std::string &machine : m)
            EXPECT_TRUE(machines.at(word).count(machine)) << n.Caption << " on the " << machine;
        const THelpBadge badge = m == std::set<std::string>{"Series 5"} ? THelpBadge::Opl5
                                 : m.count("Series 5")                  ? THelpBadge::None
                                                                        : THelpBadge::Opl3;
        EXPECT_EQ(n.Badge, badge) << n.Caption;
    }
}

TEST(HelpSet, F1FindsTheEntryOfTheWordAtTheCaret)
{
    const std::pair<const char *, std::optional<std::string>> words[] = {
        {"GPRINT", "graphics.html#gprint"}, {"until", "loops-branches-jumps.html#do-until"},
        {"ENDWH", "loops-branches-jumps.html#while-endw"}, {"elseif", "loops-branches-jumps.html#if-endif"},
        {"get$", "screen-and-keyboard-control.html#get-get-str"}, {"onerr", "error-handling.html#onerr-onerr-off"},
        {"delete", "files.html#delete"}, // the first of the two
        {"declare", "opl-procedures.html#declare-external"}, {"right$", "numbers.html#right-str"},
        {"nosuch", std::nullopt}, {"", std::nullopt},
    };
    for (const auto &[word, topic] : words)
        EXPECT_EQ(HelpTopicForWord(word), topic) << word;

    const std::tuple<const char *, int32_t, const char *> carets[] = {
        {"  gPrint x$", 5, "gPrint"}, {"  gPrint x$", 2, "gPrint"}, {"  gPrint x$", 11, "x$"},
        {"a%=LEFT$(b$,2)", 6, "LEFT$"}, {"a = b", 2, ""}, {"", 0, ""}, {"abc", 99, "abc"},
    };
    for (const auto &[line, col, word] : carets)
        EXPECT_EQ(WordAtCaret(line, col), word) << line << " @" << col;
}
