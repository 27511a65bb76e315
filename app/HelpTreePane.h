// The help pane's tree of OPL commands, with its "3" and "5" badges.
#pragma once

class QTreeWidget;
class QTreeWidgetItem;

namespace quenvel {

// Fills the tree with every node, collapsed below the root.
void FillHelpTree(QTreeWidget *tree);
// The node an item shows (an index into the help tree's nodes); -1 for none.
int HelpNodeOf(const QTreeWidgetItem *item);

} // namespace quenvel
