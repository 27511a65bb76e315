// The command tree of the help pane: fixed content, one root, groups and leaves, some
// marked with the machine they belong to. A double click on a leaf inserts its caption.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quenvel {

// The badge drawn before a caption: a blue disc with a yellow 3 or 5.
enum class THelpBadge : uint8_t { None, Opl3, Opl5 };

struct THelpNode {
    std::string_view Caption;
    int Level = 0;      // 0 for the root, 1 for the groups, ...
    int Parent = -1;    // index of the parent node; -1 for the root
    int ChildCount = 0; // direct children
    THelpBadge Badge = THelpBadge::None;

    bool IsLeaf() const { return ChildCount == 0; }
};

// Every node in display order (a parent before its children, children in order); the
// root "OPL Help" is node 0.
const std::vector<THelpNode> &HelpTreeNodes();

// What a double click on the node inserts at the caret: a leaf's caption and one space,
// cut to 255 characters; nothing for the root and the groups (or an index out of range).
std::optional<std::string> HelpTreeInsertText(int node);

// The top-level group a node lies in (index of a level-1 node); -1 for the root.
int HelpTreeTopGroup(int node);

} // namespace quenvel
