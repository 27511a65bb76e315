// Random window commands on real programs: only edits change text, jumps leave a bare caret, repaints exact.
#include "GuiTestUtil.h"

#include "app/FindDialog.h"
#include "app/ProcedureWindow.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

using namespace quenvel;
using namespace quenvel::guitest;
using namespace quenvel::test;

namespace {

// The programs the sequences run on: the test data, and the shared corpus where present.
std::vector<std::string> Programs()
{
    std::vector<std::string> files{Data("text/frame.tpl")};
    std::error_code none;
    for (const auto &e : std::filesystem::directory_iterator(
             std::string(QUENVEL_SHARED_CORPUS) + "/plain-text/opl-dev+opl-dev/oplr/samplesu", none))
        files.push_back(e.path().string());
    std::sort(files.begin() + 1, files.end());
    return files;
}

// The window of the sequences, and what is wrong with it now ("" when all is well).
struct TRandomWindow : TWindowRig {
    explicit TRandomWindow(const std::string &program) : TWindowRig(ReadFile(program)) {}

    std::string Check()
    {
        TCodeMemo &m = Memo();
        if (std::string d = ScreenDifferenceOf(View()); !d.empty())
            return d;
        const int32_t line = m.CaretNav().DisplayLine();
        if (line < m.TopLine() || line >= m.TopLine() + std::max(m.VisibleLines(), 1))
            return "the caret's row is out of view";
        if (m.CaretX() < 0 || m.CaretX() >= View().viewport()->width())
            return "the caret's column is out of view";
        const std::string status[] = {"Line: " + std::to_string(m.SelLine() + 1), "Col: " + std::to_string(m.SelCol() + 1)};
        for (int i = 1; i <= 2; ++i) {
            QLabel *panel = w->Panel(i);
            if (panel->text().toStdString() != status[i - 1])
                return "the status bar shows " + panel->text().toStdString() + ", not " + status[i - 1];
            if (panel->fontMetrics().horizontalAdvance(panel->text()) > panel->contentsRect().width())
                return "the status bar cuts " + status[i - 1];
        }
        return "";
    }
};

enum TKind { kEdit, kJump, kOther };

struct TRandomCommand {
    std::string What;
    TKind Kind;
    std::function<int32_t(TWindowRig &)> Run; // a jump returns its target line
};

// Random commands of the window, drawn for the rig as it is.
class TCommands
{
public:
    explicit TCommands(uint32_t seed) : rng_(seed) {}

    TRandomCommand Next(TWindowRig &r)
    {
        TCodeMemo &m = r.Memo();
        auto action = [](const char *caption, TKind kind = kOther) {
            return TRandomCommand{caption, kind, [caption](TWindowRig &x) {
                                x.w->Action(QString::fromLatin1(caption))->trigger();
                                return -1;
                            }};
        };
        auto key = [](const char *name, TKind kind) {
            const QKeyCombination c = QKeySequence(QString::fromLatin1(name), QKeySequence::PortableText)[0];
            return TRandomCommand{name, kind, [c](TWindowRig &x) {
                                QTest::keyClick(&x.View(), c.key(), c.keyboardModifiers());
                                return -1;
                            }};
        };
        switch (Pick(22)) {
        case 0: {
            const int32_t line = Pick(m.LineCount() + 5);
            return {"go to line " + std::to_string(line + 1), kJump, [line](TWindowRig &x) {
                        x.ui.answers = {std::to_string(line + 1)};
                        x.w->Action("Go to line number")->trigger();
                        return std::min(line, x.Memo().LineCount() - 1);
                    }};
        }
        case 1: {
            return {"procedure jump", kJump, [this](TWindowRig &x) {
                        x.w->Action("Go to module")->trigger();
                        QTreeWidget *list = x.w->ProcedureWindow()->List();
                        if (list->topLevelItemCount() == 0)
                            return int32_t(-1);
                        QTreeWidgetItem *row = list->topLevelItem(Pick(list->topLevelItemCount()));
                        list->setCurrentItem(row);
                        if (Pick(2))
                            x.w->ProcedureWindow()->ListView1Click();
                        else
                            x.w->ProcedureWindow()->ListView1DblClick();
                        return static_cast<int32_t>(row->text(2).toInt() - 1);
                    }};
        }
        case 2: {
            const char *dialects[] = {"None", "OPL Siena", "OPL 3", "OPL 5"};
            return action(dialects[Pick(4)]);
        }
        case 3: {
            const int size = 8 + Pick(8);
            return {"font size " + std::to_string(size), kOther, [size](TWindowRig &x) {
                        TFontDesc f = x.Memo().Font();
                        f.Size = size;
                        x.ui.font = f;
                        x.w->Action("Font")->trigger();
                        return -1;
                    }};
        }
        case 4: {
            const int tabs = 1 + Pick(12);
            return {"tab size " + std::to_string(tabs), kOther, [tabs](TWindowRig &x) {
                        x.ui.answers = {std::to_string(tabs)};
                        x.w->Action("Size of Tab Spaces")->trigger();
                        return -1;
                    }};
        }
        case 5: {
            static const char *words[] = {"PROC", "print", "ENDP", "x", "REM", "zzz-none", "("};
            const std::string word = words[Pick(7)];
            const bool down = Pick(3) != 0;
            return {"find \"" + word + "\"" + (down ? "" : " up"), kOther, [word, down](TWindowRig &x) {
                        x.w->FindDialog()->SetFindText(QString::fromLatin1(word.c_str()));
                        x.w->FindDialog()->SetDown(down);
                        x.w->FindDialog1Find();
                        return -1;
                    }};
        }
        case 6: return action("Find Next");
        case 7: return action("Copy");
        case 8: return action("Select All");
        case 9: return action("Cut", kEdit);
        case 10: return action("Paste", kEdit);
        case 11: return action("Undo", kEdit);
        case 12: return {"save and reopen", kOther, [](TWindowRig &x) {
                             x.w->Action("Save")->trigger();
                             x.ui.openName = x.dir / "p.opl";
                             x.w->Action("Open")->trigger();
                             return -1;
                         }};
        case 13:
        case 14:
        case 15: {
            const char c = "abcxyz:% \"P"[Pick(11)];
            return {std::string("type '") + c + "'", kEdit, [c](TWindowRig &x) {
                        QTest::keyClicks(&x.View(), QString(QChar(c)));
                        return -1;
                    }};
        }
        case 16: return key("Return", kEdit);
        case 17: return key("Del", kEdit);
        case 18: return key("Backspace", kEdit);
        default: {
            static const char *moves[] = {"Down", "Up", "Shift+End", "PgDown", "Home", "Shift+Right", "End"};
            return key(moves[Pick(static_cast<int>(std::size(moves)))], kOther);
        }
        }
    }

private:
    int Pick(int n) { return std::uniform_int_distribution<int>(0, std::max(n, 1) - 1)(rng_); }
    std::mt19937 rng_;
};

int Steps()
{
    if (const char *n = std::getenv("QUENVEL_WINDOW_STEPS"))
        return std::max(1, std::atoi(n));
#ifdef QUENVEL_SANITIZED
    return 60;
#else
    return 240;
#endif
}

} // namespace

TEST(WindowRandom, CommandsNeverTouchTextTheUserDidNotEdit)
{
    const char *seedText = std::getenv("QUENVEL_WINDOW_SEED");
    const uint32_t seed0 = seedText ? static_cast<uint32_t>(std::strtoul(seedText, nullptr, 10)) : 19;
    const std::vector<std::string> programs = Programs();
    for (size_t f = 0; f < programs.size(); f += std::max<size_t>(1, programs.size() / 3)) {
        const uint32_t seed = seed0 + static_cast<uint32_t>(f);
        SCOPED_TRACE(programs[f] + " seed " + std::to_string(seed));
        TRandomWindow r(programs[f]);
        TCommands commands(seed);
        std::string model = r.Memo().Text();
        std::vector<std::string> done;
        for (int step = 0, steps = Steps(); step < steps; ++step) {
            const TRandomCommand c = commands.Next(r);
            done.push_back(c.What);
            const int32_t selA = std::min(r.Memo().SelStart(), r.Memo().SelStart() + r.Memo().SelLength());
            const int32_t selB = selA + std::abs(r.Memo().SelLength());
            const int32_t target = c.Run(r);
            r.Settle();
            const std::string text = r.Memo().Text();
            std::string wrong;
            if (c.Kind != kEdit && text != model)
                wrong = "the text changed";
            if (c.Kind == kEdit && c.What != "Undo") {
                // an edit at the selection keeps what lies well before and after it
                const size_t before = static_cast<size_t>(std::max(selA - 2, 0));
                const size_t after = model.size() - std::min(model.size(), static_cast<size_t>(selB) + 2);
                if (text.compare(0, before, model, 0, before) != 0 ||
                    text.size() < after || text.compare(text.size() - after, after, model, model.size() - after, after) != 0)
                    wrong = "the edit changed text away from the selection";
            }
            if (c.Kind == kJump && target >= 0 &&
                (r.Memo().SelLength() != 0 || r.Memo().SelLine() != target || r.Memo().SelCol() != 0))
                wrong = "the jump left the caret at line " + std::to_string(r.Memo().SelLine()) + " col " +
                        std::to_string(r.Memo().SelCol()) + " with " + std::to_string(r.Memo().SelLength()) +
                        " selected, not a bare caret at line " + std::to_string(target);
            if (wrong.empty())
                wrong = r.Check();
            if (!wrong.empty())
                FAIL() << "step " << step << ": " << wrong << "; the last commands:" << LastOf(done, 8);
            model = text;
        }
        r.ui.answer = TDocumentUi::aNo;
    }
}

// A four-digit line number shows whole in the status bar and the column stays inside a narrow window.
TEST(WindowRandom, FourDigitLineNumbersFitTheStatusBar)
{
    std::string text;
    for (int i = 1; i <= 1300; ++i)
        text += "REM " + std::to_string(i) + "\r\n";
    TRandomWindow r(Data("text/frame.tpl"));
    r.Memo().SetTextBuf(text.c_str());
    r.ui.answers = {"1234"};
    r.w->Action("Go to line number")->trigger();
    r.Settle();
    EXPECT_EQ(r.w->Panel(1)->text().toStdString() + "|" + r.Check(), "Line: 1234|");
    r.w->resize(260, 300);
    r.Settle();
    QLabel *col = r.w->Panel(2);
    EXPECT_LE(col->mapTo(r.w.get(), QPoint(col->width(), 0)).x(), r.w->width()) << "Col: stays in a narrow window";
    r.ui.answer = TDocumentUi::aNo;
}
