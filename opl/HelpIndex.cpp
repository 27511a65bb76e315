#include "opl/HelpIndex.h"

#include "opl/HelpTree.h"

#include <algorithm>
#include <map>

namespace quenvel {

namespace {

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lower(std::string_view s)
{
    std::string r(s);
    for (char &c : r)
        c = LowerAscii(c);
    return r;
}

bool IsWordChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$' ||
           c == '%' || c == '&';
}

// The words a leaf is found by: its whole caption, and the first word of each part of it
// between ".." and ",".
std::vector<std::string> LookupWords(std::string_view caption)
{
    std::vector<std::string> words{Lower(caption)};
    size_t pos = 0;
    while (pos <= caption.size()) {
        size_t comma = caption.find(',', pos), dots = caption.find("..", pos);
        size_t end = std::min(comma, dots);
        std::string_view part = caption.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        size_t b = part.find_first_not_of(' ');
        if (b != std::string_view::npos) {
            part.remove_prefix(b);
            words.push_back(Lower(part.substr(0, part.find(' '))));
        }
        if (end == std::string_view::npos)
            break;
        pos = end + (end == dots ? 2 : 1);
    }
    return words;
}

const std::map<std::string, std::string, std::less<>> &WordIndex()
{
    static const std::map<std::string, std::string, std::less<>> index = [] {
        std::map<std::string, std::string, std::less<>> m;
        const std::vector<THelpNode> &nodes = HelpTreeNodes();
        int whileNode = -1, ifNode = -1;
        for (int i = 0; i < static_cast<int>(nodes.size()); ++i) {
            if (!nodes[static_cast<size_t>(i)].IsLeaf())
                continue;
            const std::string_view caption = nodes[static_cast<size_t>(i)].Caption;
            for (const std::string &w : LookupWords(caption))
                m.emplace(w, HelpTopicForNode(i));
            if (caption.starts_with("while "))
                whileNode = i;
            if (caption.starts_with("if "))
                ifNode = i;
        }
        // Closing and middle words of the constructs that the captions do not spell.
        if (whileNode >= 0)
            m.emplace("endwh", HelpTopicForNode(whileNode));
        for (const char *w : {"else", "elseif"})
            if (ifNode >= 0)
                m.emplace(w, HelpTopicForNode(ifNode));
        return m;
    }();
    return index;
}

// Every entry of the help pages by its anchor: the anchors named in the <h3> headings, each
// with its page ("page.html#anchor"); the first page in name order wins.
const std::map<std::string, std::string, std::less<>> &EntryAnchors()
{
    static const std::map<std::string, std::string, std::less<>> anchors = [] {
        std::map<std::string, std::string, std::less<>> m;
        constexpr std::string_view open = "<h3>", close = "</h3>", name = "<a name=\"";
        for (std::string_view file : HelpFileNames()) {
            const std::string_view page = *HelpFile(file);
            for (size_t at = page.find(open); at != std::string_view::npos; at = page.find(open, at)) {
                const size_t end = std::min(page.find(close, at), page.size());
                for (size_t a = page.find(name, at); a < end; a = page.find(name, a)) {
                    a += name.size();
                    const std::string anchor(page.substr(a, page.find('"', a) - a));
                    m.emplace(anchor, std::string(file) + "#" + anchor);
                }
                at = end;
            }
        }
        return m;
    }();
    return anchors;
}

} // namespace

std::optional<std::string> HelpPageForTopic(std::string_view topic)
{
    if (topic == kHelpContentsTopic)
        return std::string(kHelpContentsPage);
    return std::nullopt;
}

std::string HelpAnchor(std::string_view caption)
{
    std::string a;
    bool gap = false;
    for (char c : caption) {
        if (c == '$') {
            a += a.empty() ? "str" : "-str";
            gap = false;
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            if (gap && !a.empty())
                a += '-';
            a += LowerAscii(c);
            gap = false;
        } else {
            gap = true;
        }
    }
    return a;
}

std::string HelpPageForGroup(int groupNode)
{
    const std::vector<THelpNode> &nodes = HelpTreeNodes();
    if (groupNode <= 0 || groupNode >= static_cast<int>(nodes.size()) || nodes[static_cast<size_t>(groupNode)].Level != 1)
        return std::string();
    return HelpAnchor(nodes[static_cast<size_t>(groupNode)].Caption) + ".html";
}

std::string HelpTopicForNode(int node)
{
    const std::vector<THelpNode> &nodes = HelpTreeNodes();
    const int group = HelpTreeTopGroup(node);
    if (group < 0)
        return std::string(kHelpContentsPage);
    std::string topic = HelpPageForGroup(group);
    if (node != group)
        topic += "#" + HelpAnchor(nodes[static_cast<size_t>(node)].Caption);
    return topic;
}

std::optional<std::string> HelpTopicForWord(std::string_view word)
{
    const auto &index = WordIndex();
    if (auto it = index.find(Lower(word)); it != index.end())
        return it->second;
    // words the tree does not list have an entry of their own under their anchor
    if (word.empty())
        return std::nullopt;
    const auto &anchors = EntryAnchors();
    if (auto it = anchors.find(HelpAnchor(word)); it != anchors.end())
        return it->second;
    return std::nullopt;
}

std::string WordAtCaret(std::string_view line, int32_t col)
{
    size_t c = static_cast<size_t>(std::max<int32_t>(0, col));
    if (c > line.size())
        c = line.size();
    size_t b = c, e = c;
    while (b > 0 && IsWordChar(line[b - 1]))
        --b;
    while (e < line.size() && IsWordChar(line[e]))
        ++e;
    return std::string(line.substr(b, e - b));
}

} // namespace quenvel
