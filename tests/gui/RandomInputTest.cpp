// Long random sequences of keys, mouse actions, clipboard use and scrolling on the editor
// view: the store stays consistent, the selection stays inside the text, the window shows
// after every step exactly what a full repaint of the text shows, and the incremental
// highlighting ends up as a fresh load of the same text would make it.
#include "GuiTestUtil.h"

#include <QClipboard>
#include <QGuiApplication>
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <sstream>

using namespace quenvel;
using namespace quenvel::guitest;

namespace {

struct TRandomSetup {
    const char *Name;
    TUpdateMode Mode;
    bool HotKeys;
    bool PassOverCodes;
    uint32_t Seed;
    // The text the rig starts with: the small program below, a file of tests/data/text,
    // or "*big": 200,000 lines made of a real program.
    const char *Source = nullptr;
    int Steps = 600;
    bool Wrap = false;
};

std::ostream &operator<<(std::ostream &os, const TRandomSetup &s)
{
    return os << s.Name;
}

const char *kProgram = "PROC main:\r\n"
                       "  LOCAL a%,b$(20)\r\n"
                       "  PRINT \"Hello, \x02world\x02\" REM greet\r\n"
                       "  gCIRCLE 10 : rem not on this machine\r\n"
                       "  IF a% = 1\r\n"
                       "    b$ = \"x\" + \"y\"\r\n"
                       "  ENDIF\r\n"
                       "\r\n"
                       "ENDP\r\n";

std::string Printable(const std::string &s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c < 32 || c >= 127) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else
            out += static_cast<char>(c);
    }
    return out;
}

struct TAction {
    std::string What;
    std::function<void(TViewRig &)> Run;
};

// Random user actions, drawn for the rig as it is when each is drawn.
class TActionSource
{
public:
    explicit TActionSource(uint32_t seed) : rng_(seed) {}

    TAction Next(TViewRig &rig)
    {
        static const char *words[] = {"PRINT", "REM ", "rem", "gCIRCLE",    "proc", "ENDP", "\"", "\" ",
                                      "x%",    "  ",   "IF",  "print\"a\"", "b$",   "(",    ")",  ":"};
        static const char chars[] = "abcdefghijklmnopqrstuvwxyzPRINTEM \"%$(),.:=+0123456789";
        static const std::pair<int, Qt::KeyboardModifiers> moves[] = {
            {Qt::Key_Left, Qt::NoModifier},      {Qt::Key_Right, Qt::NoModifier},
            {Qt::Key_Up, Qt::NoModifier},        {Qt::Key_Down, Qt::NoModifier},
            {Qt::Key_Left, Qt::ShiftModifier},   {Qt::Key_Right, Qt::ShiftModifier},
            {Qt::Key_Up, Qt::ShiftModifier},     {Qt::Key_Down, Qt::ShiftModifier},
            {Qt::Key_Left, Qt::ControlModifier}, {Qt::Key_Right, Qt::ControlModifier},
            {Qt::Key_Home, Qt::NoModifier},      {Qt::Key_End, Qt::NoModifier},
            {Qt::Key_Home, Qt::ShiftModifier},   {Qt::Key_End, Qt::ShiftModifier},
            {Qt::Key_Home, Qt::ControlModifier}, {Qt::Key_End, Qt::ControlModifier},
            {Qt::Key_PageUp, Qt::NoModifier},    {Qt::Key_PageDown, Qt::ShiftModifier},
        };
        auto key = [](std::string what, int k, Qt::KeyboardModifiers mods = Qt::NoModifier,
                      QString text = QString()) {
            return TAction{std::move(what), [=](TViewRig &r) { r.Key(k, mods, text); }};
        };
        auto paste = [](std::string piece) {
            return TAction{"paste \"" + Printable(piece) + "\"", [piece](TViewRig &r) {
                               QGuiApplication::clipboard()->setText(
                                   QString::fromLatin1(piece.data(), static_cast<int>(piece.size())));
                               r.Key(Qt::Key_V, Qt::ControlModifier);
                           }};
        };
        auto point = [&](QPoint p) { return std::to_string(p.x()) + "," + std::to_string(p.y()); };

        const int kind = Pick(110);
        // selections replaced by typing wear the text down; now and then a whole program comes back
        if (rig.Memo().TextLength() < 150 && kind < 10)
            return paste(kProgram);
        if (kind < 22) {
            const std::string c(1, chars[Pick(static_cast<int>(sizeof chars) - 1)]);
            return {"type '" + c + "'", [c](TViewRig &r) { r.Type(c); }};
        }
        if (kind < 32) {
            const std::string w = words[Pick(static_cast<int>(std::size(words)))];
            return {"type \"" + w + "\"", [w](TViewRig &r) { r.Type(w); }};
        }
        if (kind < 55) {
            const auto &[k, mods] = moves[Pick(static_cast<int>(std::size(moves)))];
            const char *names[] = {"", "Shift+", "Ctrl+"};
            const std::string name = std::string(names[mods == Qt::ShiftModifier     ? 1
                                                       : mods == Qt::ControlModifier ? 2
                                                                                     : 0]) +
                                     QKeySequence(k).toString().toStdString();
            return key(name, k, mods);
        }
        if (kind < 67) {
            const auto no = Qt::NoModifier;
            static const std::tuple<const char *, int, Qt::KeyboardModifiers, const char *> edits[] = {
                {"Enter", Qt::Key_Return, no, "\r"},          {"Enter", Qt::Key_Return, no, "\r"},
                {"Enter", Qt::Key_Return, no, "\r"},          {"Enter", Qt::Key_Return, no, "\r"},
                {"Backspace", Qt::Key_Backspace, no, "\b"},   {"Backspace", Qt::Key_Backspace, no, "\b"},
                {"Delete", Qt::Key_Delete, no, ""},            {"Delete", Qt::Key_Delete, no, ""},
                {"Ctrl+Delete", Qt::Key_Delete, Qt::ControlModifier, ""}, {"Tab", Qt::Key_Tab, no, "\t"},
                {"Ctrl+Z", Qt::Key_Z, Qt::ControlModifier, ""}, {"Shift+Delete", Qt::Key_Delete, Qt::ShiftModifier, ""}};
            const auto &[name, k, mods, text] = edits[Pick(12)];
            return key(name, k, mods, *text ? QString::fromLatin1(text) : QString());
        }
        if (kind < 74) {
            const int which = Pick(8);
            if (which < 6) { // Ctrl+C, V, X, B, I, U
                const char letter = "CVXBIU"[which];
                return key(std::string("Ctrl+") + letter, Qt::Key_A + (letter - 'A'), Qt::ControlModifier);
            }
            // a piece of a program; it may start or end inside a line break: lone CR and LF are pasted too
            const std::string program = kProgram;
            const size_t a = static_cast<size_t>(Pick(static_cast<int>(program.size())));
            return paste(program.substr(a, static_cast<size_t>(1 + Pick(60))));
        }
        if (kind < 84) {
            const QPoint p = RandomPoint(rig, true);
            const bool shift = Pick(4) == 0;
            return {std::string(shift ? "shift-" : "") + "click " + point(p),
                    [p, shift](TViewRig &r) { r.Click(p, shift ? Qt::ShiftModifier : Qt::NoModifier); }};
        }
        if (kind < 92) {
            std::vector<QPoint> path{RandomPoint(rig, true)};
            std::string what = "drag " + point(path[0]);
            for (int i = 1 + Pick(3); i > 0; --i) {
                path.push_back(RandomPoint(rig, false));
                what += " -> " + point(path.back());
            }
            return {what, [path](TViewRig &r) {
                        r.Press(path.front());
                        for (size_t i = 1; i < path.size(); ++i)
                            r.Drag(path[i]);
                        r.Release(path.back());
                    }};
        }
        if (kind < 96) {
            const QPoint p = RandomPoint(rig, true);
            return {"double click " + point(p), [p](TViewRig &r) { r.DoubleClick(p); }};
        }
        if (kind >= 100 && kind < 104) {
            const int notches = Pick(2) ? 1 : -1;
            return {notches > 0 ? "wheel up" : "wheel down", [notches](TViewRig &r) { r.Wheel(notches); }};
        }
        if (kind >= 104) {
            static const std::pair<QAbstractSlider::SliderAction, const char *> bar[] = {
                {QAbstractSlider::SliderSingleStepAdd, "bar arrow down"},
                {QAbstractSlider::SliderSingleStepSub, "bar arrow up"},
                {QAbstractSlider::SliderPageStepAdd, "bar page down"},
                {QAbstractSlider::SliderPageStepSub, "bar page up"},
            };
            const auto &[action, name] = bar[Pick(4)];
            return {name, [action](TViewRig &r) { r.view->verticalScrollBar()->triggerAction(action); }};
        }
        const QPoint p = RandomPoint(rig, false);
        return {"hover " + point(p), [p](TViewRig &r) { r.Hover(p); }};
    }

private:
    std::mt19937 rng_;
    int Pick(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }
    QPoint RandomPoint(TViewRig &rig, bool inside)
    {
        const int w = rig.Viewport()->width(), h = rig.Viewport()->height();
        if (inside)
            return {Pick(w), Pick(h)};
        return {Pick(w + 40) - 20, Pick(h + 80) - 40};
    }
};

// What is wrong with the control now, or "".
std::string Violation(TCodeMemo &memo)
{
    const std::string problem = memo.CheckInvariants();
    if (!problem.empty())
        return "store: " + problem;
    const int32_t len = memo.TextLength(), caret = memo.SelStart(), far = caret + memo.SelLength();
    std::ostringstream os;
    if (caret < 0 || caret > len)
        os << "caret " << caret << " outside 0.." << len;
    else if (far < 0 || far > len)
        os << "selection end " << far << " outside 0.." << len;
    else if (memo.SelText() != memo.GetTextPart(std::min(caret, far), std::max(caret, far)))
        os << "SelText is not the text between the selection's ends";
    return os.str();
}

// The incremental highlighting against a fresh load of the same text, or "".
std::string HighlightingDifference(TViewRig &rig)
{
    TCodeMemo &memo = rig.Memo();
    rig.Settle();
    memo.ParseAllKeywords();
    const std::string text = memo.Text();
    const auto runs = HighlightRuns(memo);
    const auto fresh = FreshRuns(text);
    if (runs == fresh)
        return "";
    std::ostringstream os;
    os << "highlighting differs from a fresh load of\n  " << Printable(text)
       << "\nruns (paragraph column length), ours / fresh:\n";
    for (size_t i = 0; i < std::max(runs.size(), fresh.size()); ++i) {
        os << "  ";
        if (i < runs.size())
            os << runs[i].Par << " " << runs[i].Col << " " << runs[i].Len;
        else
            os << "-";
        os << "  /  ";
        if (i < fresh.size())
            os << fresh[i].Par << " " << fresh[i].Col << " " << fresh[i].Len;
        else
            os << "-";
        os << "\n";
    }
    return os.str();
}

// The starting text of a setup.
std::string SourceText(const char *source)
{
    if (!source)
        return kProgram;
    if (std::string(source) == "*big") {
        // a real program repeated to 200,000 lines
        static std::string big;
        if (big.empty()) {
            const std::vector<std::string> pars =
                test::SplitLikeLoader(test::ReadFile(std::string(QUENVEL_TEST_DATA) + "/text/TESTOPX.OPL"));
            for (size_t i = 0; i < 200000; ++i)
                big += pars[i % pars.size()] + (i + 1 < 200000 ? "\r\n" : "");
        }
        return big;
    }
    return test::ReadFile(std::string(QUENVEL_TEST_DATA) + "/text/" + source);
}

// Steps of a run: QUENVEL_RANDOM_STEPS=n overrides; the sanitizer build runs a quarter.
int StepsOf(const TRandomSetup &setup)
{
    if (const char *n = std::getenv("QUENVEL_RANDOM_STEPS"))
        return std::max(1, std::atoi(n));
#ifdef QUENVEL_SANITIZED
    return std::max(setup.Steps / 4, 20);
#else
    return setup.Steps;
#endif
}

class RandomInput : public ::testing::TestWithParam<TRandomSetup>
{
protected:
    static constexpr int kCompareEvery = 30;

    std::unique_ptr<TViewRig> FreshRig()
    {
        const TRandomSetup &setup = GetParam();
        // a narrow window makes wrapped paragraphs of many lines
        auto rig = std::make_unique<TViewRig>(setup.Mode, setup.Wrap ? 240 : 600);
        rig->Memo().EnableHotKeys = setup.HotKeys;
        rig->Memo().PassOverCodes = setup.PassOverCodes;
        // the selection is drawn whether or not the view has the focus, and the caret is
        // not: the screen is compared without focus
        rig->Memo().SetHideSelection(false);
        rig->Memo().SetWordWrap(setup.Wrap);
        QGuiApplication::clipboard()->setText("PRINT \"clip\"\r\nREM pasted");
        rig->Load(SourceText(setup.Source));
        return rig;
    }

    // The first problem after an action, or "".
    static std::string Check(TViewRig &rig)
    {
        std::string v = Violation(rig.Memo());
        if (!v.empty())
            return v;
        // the caret stands at its text position
        TCodeMemo &m = rig.Memo();
        TCodeNavigator &c = m.CaretNav();
        const int32_t row = c.DisplayLine() - m.TopLine();
        const bool onPage = row >= 0 && row < m.VisibleLines();
        const int y = m.LineToY(row), x = m.XAtColumn(c.ParNb(), c.LineInPar(), c.Column());
        // off the page it may also be parked above the window
        const bool placed = m.CaretY() == y ? m.CaretX() == x : !onPage && m.CaretY() == -m.RowHeight();
        if (!placed)
            return "the caret is drawn at " + std::to_string(m.CaretX()) + "," + std::to_string(m.CaretY()) +
                   ", its position is at " + std::to_string(x) + "," + std::to_string(y);
        rig.view->clearFocus();
        return rig.ScreenDifference();
    }

    // Runs actions on a fresh rig; the first problem seen, or "".
    std::string Replay(const std::vector<TAction> &actions, bool highlighting)
    {
        auto rig = FreshRig();
        for (size_t i = 0; i < actions.size(); ++i) {
            actions[i].Run(*rig);
            if (GetParam().Mode == umBackground && i % 7 == 6)
                QCoreApplication::processEvents();
            std::string v = Check(*rig);
            if (!v.empty())
                return v;
        }
        return highlighting ? HighlightingDifference(*rig) : "";
    }

    // Drops actions while the failure stays, so that the report shows a short way to it.
    std::vector<TAction> Shrink(std::vector<TAction> actions, bool highlighting)
    {
        // a large text makes every replay slow
        int budget = GetParam().Source && std::string(GetParam().Source) == "*big" ? 12 : 400;
        for (size_t chunk = actions.size() / 2; chunk >= 1 && budget > 0; chunk /= 2) {
            for (size_t at = 0; at + chunk <= actions.size() && budget > 0;) {
                std::vector<TAction> fewer(actions.begin(), actions.begin() + static_cast<ptrdiff_t>(at));
                fewer.insert(fewer.end(), actions.begin() + static_cast<ptrdiff_t>(at + chunk),
                             actions.end());
                --budget;
                if (!Replay(fewer, highlighting).empty())
                    actions = std::move(fewer);
                else
                    at += chunk;
            }
        }
        return actions;
    }

    void Report(const std::vector<TAction> &done, const std::string &problem, bool highlighting)
    {
        std::ostringstream os;
        os << problem << "\nafter " << done.size() << " actions; a shorter way to it:\n";
        const std::vector<TAction> shortest = Shrink(done, highlighting);
        for (const TAction &a : shortest)
            os << "  " << a.What << "\n";
        os << "which ends in: " << Replay(shortest, highlighting);
        ADD_FAILURE() << os.str();
    }
};

TEST_P(RandomInput, StoreSelectionAndHighlightingStayConsistent)
{
    auto rig = FreshRig();
    // QUENVEL_RANDOM_SEED=n replays the suite with another sequence
    const char *seed = std::getenv("QUENVEL_RANDOM_SEED");
    TActionSource source(seed ? static_cast<uint32_t>(std::strtoul(seed, nullptr, 10)) : GetParam().Seed);
    std::vector<TAction> done;
    const int steps = StepsOf(GetParam());
    for (int step = 1; step <= steps; ++step) {
        done.push_back(source.Next(*rig));
        done.back().Run(*rig);
        if (GetParam().Mode == umBackground && step % 7 == 0)
            QCoreApplication::processEvents();
        const std::string v = Check(*rig);
        if (!v.empty())
            return Report(done, v, false);
        if ((step % kCompareEvery == 0 && !GetParam().Source) || step == steps) {
            const std::string d = HighlightingDifference(*rig);
            if (!d.empty())
                return Report(done, d, true);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Setups, RandomInput,
    ::testing::Values(TRandomSetup{"MainWindow", umBackground, false, false, 1998},
                      TRandomSetup{"ImmediateWithHotKeys", umImmediate, true, true, 7},
                      TRandomSetup{"ImmediateStopAtCodes", umImmediate, true, false, 316},
                      TRandomSetup{"OnNeed", umOnNeed, false, true, 4242},
                      TRandomSetup{"FrameProgram", umBackground, false, false, 11, "frame.tpl", 1000},
                      TRandomSetup{"ConstantsProgram", umImmediate, true, false, 12, "pConst.tpl", 1000},
                      TRandomSetup{"OpxProgram", umOnNeed, false, true, 13, "TESTOPX.OPL", 1000},
                      TRandomSetup{"WrappedProgram", umBackground, true, false, 15, "frame.tpl", 1000, true},
                      TRandomSetup{"TwoHundredThousandLines", umBackground, false, false, 14, "*big", 300}),
    [](const testing::TestParamInfo<TRandomSetup> &info) { return std::string(info.param.Name); });

} // namespace
