#include "opl/HelpTree.h"

namespace quenvel {

namespace {

// The tree as an outline: two blanks of indentation per level, a trailing " [3]" or " [5]"
// for a badge.
constexpr std::string_view kOutline = R"(OPL Help
  Loops, branches, jumps
    do .. until
    while .. endw
    if .. endif
    goto
    vector .. endv
    break , continue
    return
    stop
  Error handling
    Raise
    Rem
    OnErr .. OnErr OFF
    Trap
    Err
    Err$
    Errx$ [5]
  Screen and keyboard control
    Edit
    Input
    Print
    gUpdate
    Pause
    Get, Get$
  Files
    copy
    delete
    rename
    exist
    dir$
  OPL procedures
    LoadM
    UnLoadM
    Cache [3]
    Include [5]
    Declare external [5]
    External [5]
  Data files and databases
    Create
    Open
    OpenR
    Close
    Delete [5]
    Use
    Compress [3]
    Append
    Update
    Find
    FindField
    Erase
    First
    Last
    Next
    Back
    Position
    Count
    Eof
    Pos
    RecSize [3]
    BeginTrans [5]
    Committrans [5]
    Intrans [5]
    RollBack [5]
    BookMark [5]
    GotoMark [5]
    KillMark [5]
    Insert [5]
    Modify [5]
    Put [5]
    Cancel [5]
    Compact [5]
  Managing directories
    MkDir
    SetPath
    RmDir
  Printing
    LOpen
    LClose
    LPrint
  Numbers
    Trigonometry
      Cos
      Sin
      Tan
      Acos
      ASin
      ATan
      Rad
      Deg
    Other function
      Exp
      LN
      Log
      Pi
      Sqr
      Rnd
      Randomize
      Uadd
      Usub
    List of numbers
      Max
      Min
      Mean
      Sum
      Std
      Var
    Changing the format of numbers
      Strings
        Left$
        Mid$
        Right$
        Rept$
        Upper$
        Lower$
        Len
        Asc
        Loc
        Val
        Fix$
        Gen$
        Sci$
        Num$
        Chr$
      Date and Time
        Datim$
        Second
        Minute
        Hour
        Day
        Month
        Year
        Days
        Dow
        Week
        Month$
        DayName$
        Datetosecs
        Secstodate
        DaysToDate [5]
  Graphics
    Drawing commands
      gAt
      gMove
      gSetPenWidth [5]
      gLineBy
      gLineTo
      gPoly
      gCircle [5]
      gEllipse [5]
      gBox
      gBorder
      gXBorder
      gFill
      gInvert
      gScroll
      gX
      gY
      gClock
      gButton
      gDrawObject [3]
    Displaying graphics text
      gPrint
      gPrintB
      gPrintClip
      gTWidth
      gXPrint
    Setting style
      gGMode
      gTMode
      gFont
      gLoadFont
      gUnLoadFont
      gStyle
    Windows and bitmaps
      gCreate
      gSetWin
      gOrder
      gRank
      gVisible
      gOriginX
      gOriginY
      gCreateBit
      gLoadBit
      gCls
      gSaveBit
      gClose
      gUse
      gColor [5]
      gGrey
      DefaultWin
      gPatt
      gCopy
      gPeekLine
      gIdentity
      gWidth
      gHeight
      gInfo [3]
      gInfo32 [5]
    Sprites
      CreateSprite [3]
      AppendSprite [3]
      ChangeSprite [3]
      DrawSprite [3]
      PosSprite [3]
      CloseSprite [3]
  Menus
    mInit
    mCard
    mCasc [5]
    Menu
    mPopUp [5]
  Dialogs
    dInit
    dPosition
    dText
    dEdit
    dEditMulti [5]
    dXInput
    dFile
    dChoice
    dCheckBox [5]
    dFloat
    dLong
    dDate
    dTime
    dButtons
    Dialog
    Alert
)";

std::vector<THelpNode> BuildTree()
{
    std::vector<THelpNode> nodes;
    std::vector<int> openAt; // the last node seen on each level
    size_t pos = 0;
    while (pos < kOutline.size()) {
        size_t end = kOutline.find('\n', pos);
        std::string_view line = kOutline.substr(pos, end - pos);
        pos = end + 1;
        size_t indent = line.find_first_not_of(' ');
        THelpNode node;
        node.Level = static_cast<int>(indent / 2);
        line.remove_prefix(indent);
        if (line.ends_with(" [3]") || line.ends_with(" [5]")) {
            node.Badge = line[line.size() - 2] == '3' ? THelpBadge::Opl3 : THelpBadge::Opl5;
            line.remove_suffix(4);
        }
        node.Caption = line;
        openAt.resize(static_cast<size_t>(node.Level));
        if (node.Level > 0) {
            node.Parent = openAt.back();
            ++nodes[static_cast<size_t>(node.Parent)].ChildCount;
        }
        openAt.push_back(static_cast<int>(nodes.size()));
        nodes.push_back(node);
    }
    return nodes;
}

} // namespace

const std::vector<THelpNode> &HelpTreeNodes()
{
    static const std::vector<THelpNode> nodes = BuildTree();
    return nodes;
}

std::optional<std::string> HelpTreeInsertText(int node)
{
    const std::vector<THelpNode> &nodes = HelpTreeNodes();
    if (node < 0 || node >= static_cast<int>(nodes.size()) || !nodes[static_cast<size_t>(node)].IsLeaf())
        return std::nullopt;
    std::string text(nodes[static_cast<size_t>(node)].Caption);
    text += ' ';
    if (text.size() > 255)
        text.resize(255);
    return text;
}

int HelpTreeTopGroup(int node)
{
    const std::vector<THelpNode> &nodes = HelpTreeNodes();
    if (node <= 0 || node >= static_cast<int>(nodes.size()))
        return -1;
    while (nodes[static_cast<size_t>(node)].Level > 1)
        node = nodes[static_cast<size_t>(node)].Parent;
    return node;
}

} // namespace quenvel
