// Random keys, mouse, clipboard, scrolling and program changes on the view: store and selection stay sound,
// the window shows what a full repaint shows, the highlighting is what a fresh load makes.
#include "GuiTestUtil.h"
#include "editor/HighlightRuns.h"

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
    // the small program below (null), a file of tests/data/text, or "*big": 200,000 lines of a real program
    const char *Source = nullptr;
    int Steps = 600;
    bool Wrap = false;
};

std::ostream &operator<<(std::ostream &os, const TRandomSetup &s) { return os << s.Name; }

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
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\x%02x", c);
        out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : c < 32 || c >= 127 ? buf : std::string(1, static_cast<char>(c));
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
        static const char *moves[] = {"Left", "Right", "Up", "Down", "Shift+Left", "Shift+Right", "Shift+Up",
                                      "Shift+Down", "Ctrl+Left", "Ctrl+Right", "Home", "End", "Shift+Home",
                                      "Shift+End", "Ctrl+Home", "Ctrl+End", "PgUp", "Shift+PgDown"};
        static const char *edits[] = {"Return", "Return", "Return", "Return", "Backspace", "Backspace",
                                      "Del",    "Del",    "Ctrl+Del", "Tab", "Ctrl+Z", "Shift+Del"};
        // a key by its name, with the character it types
        auto key = [](const char *name) {
            const QKeyCombination c = QKeySequence(QString::fromLatin1(name), QKeySequence::PortableText)[0];
            const Qt::Key k = c.key();
            const QString text = k == Qt::Key_Return ? "\r" : k == Qt::Key_Backspace ? "\b" : k == Qt::Key_Tab ? "\t" : "";
            return TAction{name, [=](TViewRig &r) { r.Key(k, c.keyboardModifiers(), text); }};
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
        if (kind < 55)
            return key(moves[Pick(static_cast<int>(std::size(moves)))]);
        if (kind < 67)
            return key(edits[Pick(12)]);
        if (kind < 74) {
            static const char *hotKeys[] = {"Ctrl+C", "Ctrl+V", "Ctrl+X", "Ctrl+B", "Ctrl+I", "Ctrl+U"};
            if (const int which = Pick(8); which < 6)
                return key(hotKeys[which]);
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
        // a change made by the program; the selection may start above the window
        if (kind >= 98 && kind < 100) {
            static const char *changes[] = {"underline", "SelStart",    "SelLine",   "SelCol",    "TabStops", "LeftMargin",
                                            "RightMargin", "Alignment", "Justified", "font size", "resize"};
            const int which = Pick(11), v = Pick(41);
            return {std::string(changes[which]) + " " + std::to_string(v), [which, v](TViewRig &r) {
                        TCodeMemo &m = r.Memo();
                        TFontDesc f = m.Font();
                        switch (which) {
                        case 0: m.SetUnderline(); break;
                        case 1: m.SetSelStart(std::min(v * 9, m.TextLength())); break;
                        case 2: m.SetSelLine(std::min(v, m.LineCount() - 1)); break;
                        case 3: m.SetSelCol(v % 12); break;
                        case 4: m.SetTabStops(1 + v % 12); break;
                        case 5: m.SetLeftMargin(v); break;
                        case 6: m.SetRightMargin(v); break;
                        case 7: m.SetAlignment(static_cast<TAlignment>(v % 3)); break;
                        case 8: m.SetJustified(v % 2); break;
                        case 9: f.Size = 8 + v % 10, m.SetFont(f); break;
                        default: r.view->resize(r.view->width() + v - 20, r.view->height() + 20 - v), QCoreApplication::processEvents();
                        }
                    }};
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

// The incremental highlighting against a fresh load of the same text, or "".
std::string HighlightingDifference(TViewRig &rig)
{
    TCodeMemo &memo = rig.Memo();
    rig.Settle();
    memo.ParseAllKeywords();
    const std::string text = memo.Text();
    const auto runs = HighlightRuns(memo);
    TCodeMemo model; // the same set-up from scratch
    std::unique_ptr<TKeywordList> table;
    RegisterOplSpans(model);
    ApplyOplDialect(model, TDialect::Siena, table);
    test::LoadString(model, text);
    model.ParseAllKeywords();
    const auto fresh = HighlightRuns(model);
    if (runs == fresh)
        return "";
    std::ostringstream os;
    os << "highlighting differs from a fresh load of\n  " << Printable(text)
       << "\nruns (paragraph column length), ours / fresh:\n";
    auto run = [](const std::vector<THighlightRun> &v, size_t i) {
        return i < v.size() ? std::to_string(v[i].Par) + " " + std::to_string(v[i].Col) + " " + std::to_string(v[i].Len) : "-";
    };
    for (size_t i = 0; i < std::max(runs.size(), fresh.size()); ++i)
        os << "  " << run(runs, i) << "  /  " << run(fresh, i) << "\n";
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

// The first problem with the control and the window after an action, or "".
std::string Check(TViewRig &rig)
{
    TCodeMemo &m = rig.Memo();
    if (const std::string problem = m.CheckInvariants(); !problem.empty())
        return "store: " + problem;
    const int32_t len = m.TextLength(), caret = m.SelStart(), far = caret + m.SelLength();
    if (caret < 0 || caret > len || far < 0 || far > len)
        return "selection " + std::to_string(caret) + ".." + std::to_string(far) + " outside 0.." + std::to_string(len);
    if (m.SelText() != m.GetTextPart(std::min(caret, far), std::max(caret, far)))
        return "SelText is not the text between the selection's ends";
    // the caret stands at its text position; off the page it may also be parked above the window
    TCodeNavigator &c = m.CaretNav();
    const int32_t row = c.DisplayLine() - m.TopLine();
    const int y = m.LineToY(row), x = m.XAtColumn(c.ParNb(), c.LineInPar(), c.Column());
    if (m.CaretY() == y ? m.CaretX() != x : (row >= 0 && row < m.VisibleLines()) || m.CaretY() != -m.RowHeight())
        return "the caret is drawn at " + std::to_string(m.CaretX()) + "," + std::to_string(m.CaretY()) +
               ", its position is at " + std::to_string(x) + "," + std::to_string(y);
    rig.view->clearFocus();
    return rig.ScreenDifference();
}

using RandomInput = ::testing::TestWithParam<TRandomSetup>;

TEST_P(RandomInput, StoreSelectionAndHighlightingStayConsistent)
{
    const TRandomSetup &setup = GetParam();
    TViewRig rig(setup.Mode, setup.Wrap ? 240 : 600); // a narrow window makes wrapped paragraphs of many lines
    rig.Memo().EnableHotKeys = setup.HotKeys;
    rig.Memo().PassOverCodes = setup.PassOverCodes;
    // the selection is drawn without the focus, the caret is not: the screen is compared without focus
    rig.Memo().SetHideSelection(false);
    rig.Memo().SetWordWrap(setup.Wrap);
    QGuiApplication::clipboard()->setText("PRINT \"clip\"\r\nREM pasted");
    rig.Load(SourceText(setup.Source));
    // QUENVEL_RANDOM_SEED=n replays the suite with another sequence
    const char *seed = std::getenv("QUENVEL_RANDOM_SEED");
    TActionSource source(seed ? static_cast<uint32_t>(std::strtoul(seed, nullptr, 10)) : setup.Seed);
    std::vector<std::string> done;
    const int steps = StepsOf(setup);
    for (int step = 1; step <= steps; ++step) {
        const TAction action = source.Next(rig);
        done.push_back(action.What);
        action.Run(rig);
        if (setup.Mode == umBackground && step % 7 == 0)
            QCoreApplication::processEvents();
        std::string problem = Check(rig);
        if (problem.empty() && ((step % 30 == 0 && !setup.Source) || step == steps))
            problem = HighlightingDifference(rig);
        if (!problem.empty())
            FAIL() << problem << "\nafter " << step << " actions; the last ones:" << LastOf(done, 12);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Setups, RandomInput,
    ::testing::Values(TRandomSetup{"MainWindow", umBackground, false, false, 1998},
                      TRandomSetup{"ImmediateWithHotKeys", umImmediate, true, true, 7},
                      TRandomSetup{"ImmediateStopAtCodes", umImmediate, true, false, 316},
                      TRandomSetup{"OnNeed", umOnNeed, false, true, 4242},
                      TRandomSetup{"OnNeedOtherSequence", umOnNeed, false, true, 3},
                      TRandomSetup{"FrameProgram", umBackground, false, false, 11, "frame.tpl", 1000},
                      TRandomSetup{"ConstantsProgram", umImmediate, true, false, 12, "pConst.tpl", 1000},
                      TRandomSetup{"OpxProgram", umOnNeed, false, true, 13, "TESTOPX.OPL", 1000},
                      TRandomSetup{"WrappedProgram", umBackground, true, false, 15, "frame.tpl", 1000, true},
                      TRandomSetup{"TwoHundredThousandLines", umBackground, false, false, 14, "*big", 300}),
    [](const testing::TestParamInfo<TRandomSetup> &info) { return std::string(info.param.Name); });

} // namespace
