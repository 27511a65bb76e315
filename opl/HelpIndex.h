// The help set: which page and anchor document each node of the help tree and each OPL
// word, for the help window and for F1 in the editor. The pages themselves are built into
// the program (HelpFile).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quenvel {

// The topic "Help" opens, and the page that holds it (the contents).
inline constexpr std::string_view kHelpContentsTopic = "Topic1";
inline constexpr std::string_view kHelpContentsPage = "index.html";

// The page of a topic name ("Topic1" is the contents); nullopt for an unknown topic.
std::optional<std::string> HelpPageForTopic(std::string_view topic);

// The page documenting a top-level group of the help tree (a level-1 node); empty otherwise.
std::string HelpPageForGroup(int groupNode);

// The anchor name of a caption: lower case, "$" spelt "-str", other non-alphanumerics
// folded into single hyphens ("Get, Get$" -> "get-get-str").
std::string HelpAnchor(std::string_view caption);

// "page.html#anchor" for a node: the contents page for the root, the group's page for a
// top-level group, the group's page and the node's anchor for anything deeper.
std::string HelpTopicForNode(int node);

// The entry of an OPL word, compared case-insensitively: a leaf whose caption is the word,
// or names it first or after ".." or "," ("until" finds "do .. until"), or a few closing
// words ("endwh", "else", "elseif"); the first leaf in tree order wins. A word that no leaf
// names finds the entry whose heading carries its anchor (HelpAnchor of the word) on any
// page.
std::optional<std::string> HelpTopicForWord(std::string_view word);

// The OPL word at or just before the caret (letters, digits, '_' and the type marks
// '$', '%', '&'); empty when the caret is not on one.
std::string WordAtCaret(std::string_view line, int32_t col);

// The built-in help files: their names, and a file's bytes by name.
const std::vector<std::string_view> &HelpFileNames();
std::optional<std::string_view> HelpFile(std::string_view name);

} // namespace quenvel
