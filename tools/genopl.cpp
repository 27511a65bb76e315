// genopl: writes a deterministic, synthetic OPL source file for benchmarks
// and tests.
//
//   genopl LINES [SEED] > file.opl
//   genopl LINES [SEED] -o file.opl
//
// The output has exactly LINES lines, each ending in CR LF, and is
// byte-identical for the same LINES and SEED on every platform and standard
// library: the generator uses its own splitmix64 stream and never a
// std:: distribution.
//
// The text looks like a real program: procedures with parameters and LOCAL /
// GLOBAL declarations, nested IF / WHILE / DO blocks indented with one tab per
// level, PRINT with string literals (some containing "print" or "rem"), REM
// comments on their own lines and after " :" on code lines, identifiers that
// merely contain "rem" (premium%, remain&, theorem$), graphics, dialog and menu
// commands, GET, KEY$, GOTO with labels, and a few Latin-1 bytes above 127
// inside strings and comments. Bytes 0-5 and 21 never appear, nor a lone CR
// or LF.

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <initializer_list>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

// ---------------------------------------------------------------------------
// Random numbers: splitmix64, reduced with a multiply-shift so the result is
// the same everywhere.

class Rng
{
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform-enough integer in [0, n); n must be > 0.
    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(((next() >> 32) * n) >> 32); }

    // Integer in [lo, hi].
    int range(int lo, int hi)
    {
        return lo + static_cast<int>(below(static_cast<std::uint32_t>(hi - lo + 1)));
    }

    bool chance(std::uint32_t percent) { return below(100) < percent; }

    template <class T, std::size_t N> const T &pick(const T (&items)[N])
    {
        return items[below(static_cast<std::uint32_t>(N))];
    }

    template <class T> const T &pick(const std::vector<T> &items)
    {
        return items[below(static_cast<std::uint32_t>(items.size()))];
    }

private:
    std::uint64_t state_;
};

// ---------------------------------------------------------------------------
// Vocabulary.

enum Ty : int { Int = 0, Long = 1, Float = 2, Str = 3 };

constexpr std::string_view kSuffix[4] = {"%", "&", "", "$"};

constexpr std::string_view kIntVars[] = {
    "i%",        "j%",       "itemCount%", "premium%",  "remoteId%", "keyCode%",   "result%",
    "choice%",   "winId%",   "xPos%",      "yPos%",     "boxWidth%", "boxHeight%", "flags%",
    "drawMode%", "firemen%", "rowIndex%",  "column%",   "printer%",  "lineCount%", "selected%",
    "menuKey%",  "itemNo%",  "remCount%",  "maxWidth%", "lastKey%",  "fontId%",    "remainder%"};
constexpr std::string_view kLongVars[] = {"total&",    "remain&",       "fileSize&", "offset&",
                                          "extremes&", "ticks&",        "position&", "remnant&",
                                          "balance&",  "premiumTotal&", "recordNo&", "elapsed&"};
constexpr std::string_view kFloatVars[] = {"angle",  "rate",        "tremor", "scaleFactor", "ratio",
                                           "amount", "premiumRate", "lorem",  "interest",    "distance"};
constexpr std::string_view kStrVars[] = {
    "name$",    "theorem$", "lorem$", "remark$",  "title$",    "buffer$", "lineText$", "path$",
    "keyName$", "reply$",   "rem1$",  "printed$", "fileName$", "status$", "customer$", "message$"};
constexpr std::string_view kArrays[] = {"grid%", "scores%", "cells%", "remap%", "totals&"};

constexpr std::string_view kProcBases[] = {
    "drawBox", "calcTotal", "showMenu", "readPrefs", "premium",   "remainder", "theorem",  "initApp",
    "report",  "remind",    "getKey",   "fillGrid",  "parseLine", "saveFile",  "loadFile", "tremble",
    "lorem",   "setup",     "redraw",   "printAll",  "remEdit",   "askName",   "scroll",   "tick"};

constexpr std::string_view kLabels[] = {"retry", "again", "top",      "remLoop",
                                        "start", "skip",  "nextItem", "premiumLbl"};

constexpr std::string_view kErrLabels[] = {"oops", "errH", "trapped", "remErr"};

// String literal bodies, already in OPL form (a quote is doubled).
// Latin-1: 0xA3 pound, 0xE9 e-acute, 0xA9 copyright, 0xFC u-umlaut, 0xB0 degree.
constexpr std::string_view kStrings[] = {"Hello",
                                         "Press any key",
                                         "print this",
                                         "Don't print",
                                         "rem is not a comment here",
                                         "REM inside a string",
                                         "Total: ",
                                         "Price \xA3",
                                         "Caf\xE9 menu",
                                         "\xA9 1998 Quenvel",
                                         "Name",
                                         "Mode",
                                         "Settings",
                                         "Saved",
                                         "File not found",
                                         "Say \"\"hi\"\"",
                                         "a :REM b",
                                         "PRINT \"\"x\"\"",
                                         "Remainder",
                                         "Premium rate",
                                         "Theorem",
                                         "C:\\Data\\notes.txt",
                                         "M\xFCller",
                                         "20\xB0"
                                         "C",
                                         "R\xE9sum\xE9",
                                         "",
                                         "ENDP",
                                         "IF x THEN",
                                         "Lorem ipsum",
                                         "Reminder: ",
                                         "Print remaining? (Y/N)",
                                         "\xA3"
                                         "5.00",
                                         "Done",
                                         "Error",
                                         "OK",
                                         "Cancel",
                                         "Are you sure you want to print?",
                                         "Remaining balance in \xA3",
                                         "Press Enter to continue",
                                         "Theorem proved, remainder is",
                                         "Cannot open the premium file",
                                         "Remove all reminders?",
                                         "Le caf\xE9 est ferm\xE9",
                                         "Printing page ",
                                         "rem: this is data, not a comment"};

constexpr std::string_view kTitles[] = {"Settings",
                                        "Find",
                                        "Print setup",
                                        "Remote",
                                        "Premium",
                                        "Reminders",
                                        "Pr\xE9"
                                        "f\xE9rences",
                                        "Save as"};

constexpr std::string_view kComments[] = {"initialise the window and fonts",
                                          "print the remainder of the list",
                                          "rem inside rem is still a comment",
                                          "premium users only",
                                          "price in \xA3, rounded down",
                                          "caf\xE9 names need Latin-1",
                                          "\xA9 1999 the author",
                                          "TODO: handle the ESC key",
                                          "keep \"quotes\" here",
                                          "IF this THEN that",
                                          "loop until the user is done",
                                          "ENDP is further below",
                                          "PRINT \"not code\"",
                                          "remember to close the file",
                                          "theorem holds for n% > 0",
                                          "lorem ipsum dolor sit amet",
                                          "x% = x% + 1 :PRINT x%",
                                          "see the GOTO below",
                                          "redraw the whole screen",
                                          "fix for 80 \xB0"
                                          "C",
                                          "clamp to the screen size",
                                          "Series 3 has no colour",
                                          "key codes differ on the Siena"};

constexpr std::string_view kCmp[] = {" = ", " <> ", " < ", " > ", " <= ", " >= "};
constexpr std::string_view kArith[] = {" + ", " + ", " - ", " - ", " * ", " / "};
constexpr std::string_view kChoiceLists[] = {"\"Fast,Slow,Off\"", "\"Yes,No\"", "\"Print,Preview,Cancel\"",
                                             "\"Remind,Remove\"", "\"\xA3,$,\x80\""};
constexpr std::string_view kMenuCards[] = {"\"File\",\"New\",%n,\"Open\",%o,\"Close\",%e",
                                           "\"Edit\",\"Copy\",%c,\"Paste\",%v",
                                           "\"Tools\",\"Print\",%p,\"Remind\",%r", "\"View\",\"Zoom\",%z"};

// Concatenates pieces in order. Elements of a braced list are evaluated left to
// right, unlike the operands of + or the arguments of a call, so random draws
// made while building the pieces happen in the same order on every compiler.
std::string cat(std::initializer_list<std::string_view> parts)
{
    std::size_t n = 0;
    for (std::string_view p : parts)
        n += p.size();
    std::string s;
    s.reserve(n);
    for (std::string_view p : parts)
        s.append(p);
    return s;
}

// ---------------------------------------------------------------------------
// Output: a buffer flushed in large pieces.

class Out
{
public:
    explicit Out(std::FILE *file) : file_(file) { buffer_.reserve(kChunk + 4096); }

    bool line(int depth, std::string_view text)
    {
        buffer_.append(static_cast<std::size_t>(depth), '\t');
        buffer_.append(text);
        buffer_.append("\r\n");
        ++written_;
        if (buffer_.size() >= kChunk)
            return flush();
        return ok_;
    }

    bool flush()
    {
        if (!buffer_.empty() && ok_) {
            if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
                ok_ = false;
        }
        buffer_.clear();
        return ok_;
    }

    std::uint64_t written() const { return written_; }
    bool ok() const { return ok_; }

private:
    static constexpr std::size_t kChunk = 1u << 20;
    std::FILE *file_;
    std::string buffer_;
    std::uint64_t written_ = 0;
    bool ok_ = true;
};

// ---------------------------------------------------------------------------
// The generator.

struct ProcSig {
    std::string name; // with its type suffix, without the colon
    std::vector<Ty> params;
    bool typed = false;
    Ty ret = Float;
};

enum class Kind { Proc, If, While, Do };

struct Block {
    Kind kind;
    int stmts = 0;  // statements in the current branch / body
    int target = 0; // how many statements this branch wants
    bool hasElse = false;
    // Procedure only.
    std::string pendingLabel; // ONERR target still to be placed
    bool handlerDue = false;
    bool returned = false;
};

class Generator
{
public:
    Generator(std::uint64_t lines, std::uint64_t seed, Out &out)
        : total_(lines), rng_(seed ^ 0x51E4A0D5C3B2A190ull), out_(out), seed_(seed)
    {
    }

    void run()
    {
        if (total_ > 0) {
            emit(0, "REM Generated OPL test program, seed " + std::to_string(seed_));
        }
        while (out_.written() < total_ && out_.ok())
            step();
    }

private:
    // ----- bookkeeping -------------------------------------------------

    std::uint64_t remaining() const { return total_ - out_.written(); }

    // Lines still owed to close every open block properly.
    std::uint64_t need() const
    {
        std::uint64_t n = 0;
        for (const Block &b : stack_) {
            n += 1; // the closer
            if (b.stmts == 0)
                n += 1; // a body must not be empty
            if (!b.pendingLabel.empty())
                n += 1;
        }
        return n;
    }

    void emit(int depth, std::string_view text) { out_.line(depth, text); }

    int bodyDepth() const { return static_cast<int>(stack_.size()); }
    int headDepth() const { return static_cast<int>(stack_.size()) - 1; }

    bool inLoop() const
    {
        for (const Block &b : stack_)
            if (b.kind == Kind::While || b.kind == Kind::Do)
                return true;
        return false;
    }

    // ----- the main state machine --------------------------------------

    void step()
    {
        const std::uint64_t rem = remaining();
        if (stack_.empty()) {
            topLevel(rem);
            return;
        }
        const std::uint64_t owed = need();
        const std::uint64_t spare = rem - owed;
        Block &top = stack_.back();

        if (top.kind == Kind::Proc) {
            const bool done = top.stmts >= top.target;
            if (spare == 0 || done) {
                closeProcStep(spare);
                return;
            }
        } else {
            const Block &proc = stack_.front();
            const bool procDone = proc.stmts >= proc.target;
            const bool done = top.stmts >= top.target || (procDone && top.stmts > 0);
            if (spare == 0 && top.stmts > 0) {
                closeBlock();
                return;
            }
            if (done && top.stmts > 0) {
                if (top.kind == Kind::If && !top.hasElse && !procDone && spare >= 2 && rng_.chance(35)) {
                    elseBranch();
                } else {
                    closeBlock();
                }
                return;
            }
        }

        // Grow the current body.
        const std::uint64_t budget = spare + (top.stmts == 0 ? 1 : 0); // lines a statement may take
        const bool canOpen = stack_.size() < 5 && spare + (top.stmts == 0 ? 1 : 0) >= 3;
        if (canOpen && rng_.chance(stack_.size() == 1 ? 18 : 11)) {
            openBlock();
            return;
        }
        if (spare >= 1 && top.stmts > 0 && rng_.chance(2)) {
            emit(0, ""); // a blank line inside a body
            return;
        }
        statement(budget);
    }

    void topLevel(std::uint64_t rem)
    {
        if (!gapDone_) {
            gapDone_ = true;
            if (procCount_ > 0 && rng_.chance(85)) {
                emit(0, "");
                return;
            }
        }
        if (!bannerDone_) {
            bannerDone_ = true;
            if (rng_.chance(25) && rem >= 6) {
                emit(0, "REM ---- " + std::string(rng_.pick(kComments)) + " ----");
                return;
            }
        }
        if (rem >= 4 && openProc(rem)) {
            gapDone_ = false;
            bannerDone_ = false;
            return;
        }
        // Too little room for another procedure: pad with comments / blanks.
        if (rng_.chance(50)) {
            emit(0, "");
        } else {
            emit(0, "REM " + std::string(rng_.pick(kComments)));
        }
    }

    // ----- procedures ----------------------------------------------------

    bool openProc(std::uint64_t rem)
    {
        ProcSig sig;
        if (procCount_ == 0) {
            sig.name = "main";
        } else {
            sig.name = std::string(rng_.pick(kProcBases)) + std::to_string(procCount_);
            const std::uint32_t r = rng_.below(100);
            if (r < 35) {
                sig.typed = true;
                sig.ret = Int;
            } else if (r < 50) {
                sig.typed = true;
                sig.ret = Long;
            } else if (r < 65) {
                sig.typed = true;
                sig.ret = Str;
            }
            if (sig.typed)
                sig.name += kSuffix[sig.ret];
        }

        // Fresh scope.
        for (auto &v : vars_)
            v.clear();
        arrays_.clear();
        labels_.clear();

        // Parameters.
        std::vector<std::string_view> params;
        const int nparams = procCount_ == 0 ? 0 : rng_.range(0, 3);
        for (int p = 0; p < nparams; ++p) {
            const Ty t = static_cast<Ty>(rng_.chance(55)   ? Int
                                         : rng_.chance(50) ? Str
                                         : rng_.chance(50) ? Long
                                                           : Float);
            const std::string_view name = freshVar(t);
            if (name.empty())
                continue;
            params.push_back(name);
            sig.params.push_back(t);
            vars_[t].push_back(name);
        }

        std::string header = "PROC " + sig.name + ":";
        if (!params.empty()) {
            header += "(";
            for (std::size_t p = 0; p < params.size(); ++p) {
                if (p)
                    header += ",";
                header += params[p];
            }
            header += ")";
        }

        // Locals: at least one of each type besides the parameters.
        std::vector<std::string> decls;
        const int counts[4] = {rng_.range(2, 5), rng_.range(1, 3), rng_.range(1, 2), rng_.range(2, 4)};
        for (int t = 0; t < 4; ++t) {
            for (int k = 0; k < counts[t]; ++k) {
                const std::string_view name = freshVar(static_cast<Ty>(t));
                if (name.empty())
                    break;
                vars_[t].push_back(name);
                if (t == Str) {
                    static constexpr int kLens[] = {8, 16, 20, 32, 64, 255};
                    decls.push_back(std::string(name) + "(" + std::to_string(rng_.pick(kLens)) + ")");
                } else {
                    decls.push_back(std::string(name));
                }
            }
        }
        if (rng_.chance(30)) {
            const std::string_view arr = rng_.pick(kArrays);
            const int size = rng_.range(4, 20);
            arrays_.push_back({std::string(arr), size});
            decls.push_back(std::string(arr) + "(" + std::to_string(size) + ")");
        }
        // Shuffle the declarations a little so types mix on a line.
        for (std::size_t i = decls.size(); i > 1; --i) {
            if (rng_.chance(40))
                std::swap(decls[i - 1], decls[rng_.below(static_cast<std::uint32_t>(i))]);
        }

        std::vector<std::string> declLines;
        const bool global = procCount_ == 0 || rng_.chance(10);
        std::size_t i = 0;
        bool first = true;
        while (i < decls.size()) {
            const std::size_t per = static_cast<std::size_t>(rng_.range(2, 4));
            std::string line = (first && global) ? "GLOBAL " : "LOCAL ";
            for (std::size_t k = 0; k < per && i < decls.size(); ++k, ++i) {
                if (k)
                    line += ",";
                line += decls[i];
            }
            declLines.push_back(std::move(line));
            first = false;
        }

        std::string onerr;
        if (procCount_ > 0 && rng_.chance(12))
            onerr = std::string(rng_.pick(kErrLabels));

        // header + declarations (+ ONERR) + one statement + ENDP (+ label)
        std::uint64_t size = 1 + declLines.size() + 2;
        if (!onerr.empty())
            size += 2;
        if (size > rem && !onerr.empty()) {
            onerr.clear();
            size -= 2;
        }
        if (size > rem)
            return false;

        emit(0, header);
        for (const std::string &d : declLines)
            emit(1, d);
        Block b;
        b.kind = Kind::Proc;
        b.target = rng_.chance(15) ? rng_.range(30, 80) : rng_.range(6, 30);
        if (!onerr.empty()) {
            emit(1, "ONERR " + onerr + "::");
            b.pendingLabel = onerr;
            errLabel_ = onerr;
            b.stmts = 1; // the ONERR line is the first statement
        } else {
            errLabel_.clear();
        }
        current_ = sig;
        stack_.push_back(std::move(b));
        ++procCount_;
        return true;
    }

    void closeProcStep(std::uint64_t spare)
    {
        Block &proc = stack_.back();
        if (proc.stmts == 0) {
            // Owed: one statement before ENDP.
            emit(bodyDepth(), simpleStatement());
            proc.stmts++;
            return;
        }
        if (!proc.pendingLabel.empty()) {
            emit(1, proc.pendingLabel + "::");
            labels_.push_back(proc.pendingLabel);
            proc.pendingLabel.clear();
            proc.handlerDue = true;
            return;
        }
        if (proc.handlerDue) {
            proc.handlerDue = false;
            if (spare >= 1) {
                emit(1, rng_.chance(50) ? "PRINT \"Error:\",ERR$(ERR)" : "ONERR OFF :GIPRINT ERR$(ERR)");
                return;
            }
        }
        if (!proc.returned && spare >= 1 && (current_.typed || rng_.chance(40))) {
            proc.returned = true;
            emit(1, returnStatement());
            return;
        }
        emit(0, "ENDP");
        stack_.pop_back();
        recent_.push_back(current_);
        if (recent_.size() > 48)
            recent_.pop_front();
    }

    std::string returnStatement()
    {
        if (!current_.typed)
            return rng_.chance(40) ? "RETURN" : "RETURN " + floatExpr();
        switch (current_.ret) {
        case Int:
            return "RETURN " + intExpr();
        case Long:
            return "RETURN " + longExpr();
        case Str:
            return "RETURN " + strExpr();
        default:
            return "RETURN";
        }
    }

    std::string_view freshVar(Ty t)
    {
        auto taken = [&](std::string_view n) {
            for (const auto &v : vars_)
                for (std::string_view have : v)
                    if (have == n)
                        return true;
            return false;
        };
        for (int tries = 0; tries < 8; ++tries) {
            std::string_view n;
            switch (t) {
            case Int:
                n = rng_.pick(kIntVars);
                break;
            case Long:
                n = rng_.pick(kLongVars);
                break;
            case Float:
                n = rng_.pick(kFloatVars);
                break;
            case Str:
                n = rng_.pick(kStrVars);
                break;
            }
            if (!taken(n))
                return n;
        }
        return {};
    }

    // ----- blocks --------------------------------------------------------

    void openBlock()
    {
        Block &parent = stack_.back();
        parent.stmts++;
        Block b;
        const std::uint32_t r = rng_.below(100);
        if (r < 55) {
            b.kind = Kind::If;
            b.target = rng_.range(2, 7);
            emit(bodyDepth(), "IF " + condition());
        } else if (r < 80) {
            b.kind = Kind::While;
            b.target = rng_.range(3, 10);
            emit(bodyDepth(), "WHILE " + condition());
        } else {
            b.kind = Kind::Do;
            b.target = rng_.range(3, 10);
            emit(bodyDepth(), "DO");
        }
        stack_.push_back(std::move(b));
    }

    void elseBranch()
    {
        Block &top = stack_.back();
        if (rng_.chance(55)) {
            emit(headDepth(), "ELSEIF " + condition());
        } else {
            emit(headDepth(), "ELSE");
            top.hasElse = true;
        }
        top.stmts = 0;
        top.target = rng_.range(1, 3);
    }

    void closeBlock()
    {
        const Block top = stack_.back();
        const int depth = headDepth();
        switch (top.kind) {
        case Kind::If:
            emit(depth, "ENDIF");
            break;
        case Kind::While:
            emit(depth, "ENDWH");
            break;
        case Kind::Do:
            emit(depth, "UNTIL " + condition());
            break;
        case Kind::Proc:
            break;
        }
        stack_.pop_back();
    }

    // ----- statements ----------------------------------------------------

    // Emits one statement of at most `budget` lines (budget >= 1).
    void statement(std::uint64_t budget)
    {
        const int depth = bodyDepth();
        const std::uint32_t r = rng_.below(100);
        std::vector<std::string> group;
        if (r < 3) {
            group = graphicsGroup();
        } else if (r < 7) {
            group = dialogGroup();
        } else if (r < 9) {
            group = menuGroup();
        }
        if (!group.empty() && group.size() <= budget) {
            for (const std::string &g : group)
                emit(depth, g);
            stack_.back().stmts++;
            return;
        }
        // Labels sit at procedure level.
        if (stack_.size() == 1 && rng_.chance(4)) {
            const std::string lbl(rng_.pick(kLabels));
            bool dup = lbl == errLabel_;
            for (const std::string &l : labels_)
                dup = dup || l == lbl;
            if (!dup) {
                emit(depth, cat({lbl, "::"}));
                labels_.push_back(lbl);
                stack_.back().stmts++;
                return;
            }
        }
        jumped_ = false;
        emit(depth, simpleStatement());
        Block &top = stack_.back();
        top.stmts++;
        // Nothing follows a jump inside a block: end the branch here.
        if (jumped_ && top.kind != Kind::Proc)
            top.stmts = std::max(top.stmts, top.target);
    }

    std::string simpleStatement()
    {
        std::string s;
        bool allowTrailingRem = true;
        const std::uint32_t r = rng_.below(100);
        if (r < 14) {
            const std::string_view v = var(Int);
            if (rng_.chance(20)) {
                s = cat({v, " = ", v, rng_.chance(70) ? " + 1" : " - 1"});
            } else if (rng_.chance(40)) {
                s = cat({v, " = ", otherVar(Int, v), rng_.pick(kArith), intAtom()});
            } else {
                s = cat({v, " = ", intExpr()});
            }
        } else if (r < 20) {
            s = cat({var(Long), " = ", longExpr()});
        } else if (r < 24) {
            s = cat({var(Float), " = ", floatExpr()});
        } else if (r < 32) {
            s = cat({var(Str), " = ", strExpr()});
        } else if (r < 45) {
            s = printStatement();
        } else if (r < 51) {
            allowTrailingRem = false;
            if (rng_.chance(10)) {
                s = rng_.chance(50) ? std::string("REM") : cat({"rem ", rng_.pick(kComments)});
            } else {
                s = cat({"REM ", rng_.pick(kComments)});
            }
        } else if (r < 61) {
            s = graphicsStatement();
        } else if (r < 66) {
            s = keyStatement();
        } else if (r < 71 && !recent_.empty()) {
            s = callStatement();
        } else if (r < 74 && !labels_.empty()) {
            s = cat({"GOTO ", rng_.pick(labels_), rng_.chance(20) ? "::" : ""});
            jumped_ = true;
        } else if (r < 75 && !errLabel_.empty()) {
            s = cat({"GOTO ", errLabel_});
            jumped_ = true;
        } else if (r < 78 && inLoop()) {
            s = rng_.chance(60) ? "BREAK" : "CONTINUE";
            jumped_ = true;
        } else if (r < 80 && stack_.size() > 1) {
            s = returnStatement();
            jumped_ = true;
        } else if (r < 84) {
            // Two statements on one line.
            s = cat({var(Int), " = ", intAtom(), " :", printStatement()});
        } else {
            s = miscStatement();
        }
        if (allowTrailingRem && rng_.chance(20)) {
            s += " :REM ";
            s += rng_.pick(kComments);
        }
        return s;
    }

    std::string printStatement()
    {
        const std::uint32_t r = rng_.below(100);
        const std::string_view cmd = rng_.chance(5) ? "LPRINT " : "PRINT ";
        if (r < 25)
            return cat({cmd, literal()});
        if (r < 50)
            return cat({cmd, literal(), ";", var(static_cast<Ty>(rng_.below(4)))});
        if (r < 60)
            return cat({cmd, literal(), ";", var(Int), ",", literal()});
        if (r < 75)
            return cat({cmd, var(Int), ",", var(Str), rng_.chance(50) ? ";" : ","});
        if (r < 85)
            return cat({cmd, literal(), ",", intAtom()});
        if (r < 92)
            return cat({cmd, strExpr()});
        return "PRINT";
    }

    std::string graphicsStatement()
    {
        switch (rng_.below(16)) {
        case 0:
        case 1:
            return cat({"gAT ", coord(240), ",", coord(80)});
        case 2:
        case 3:
            if (rng_.chance(60))
                return cat({"gPRINT ", literal()});
            return cat({"gPRINT ", strExpr()});
        case 4:
            return cat({"gBOX ", coord(120), ",", coord(40)});
        case 5:
            return cat({"gFILL ", coord(120), ",", coord(40), ",", std::to_string(rng_.below(3))});
        case 6:
            return "gCLS";
        case 7:
            return cat({"gLINEBY ", coord(60), ",", coord(30)});
        case 8:
            return cat({"gMOVE ", coord(20), ",", coord(20)});
        case 9:
            return cat({"gFONT ", std::to_string(rng_.range(1, 13))});
        case 10:
            return cat({"gSTYLE ", std::to_string(rng_.below(16))});
        case 11:
            return cat({"gGMODE ", std::to_string(rng_.below(3))});
        case 12:
            return cat({"gUSE ", var(Int)});
        case 13:
            return cat({"gCLOSE ", var(Int)});
        case 14:
            return cat({var(Int), " = gCREATE(0,0,", coord(240), ",", coord(80), ",1)"});
        default:
            return cat({"gPRINTB ", literal(), ",", coord(200)});
        }
    }

    std::string keyStatement()
    {
        switch (rng_.below(6)) {
        case 0:
        case 1:
            return cat({var(Int), " = GET"});
        case 2:
            return "GET";
        case 3:
            return cat({var(Str), " = KEY$"});
        case 4:
            return cat({var(Str), " = GET$"});
        default:
            return cat({var(Int), " = KEY"});
        }
    }

    std::string miscStatement()
    {
        switch (rng_.below(14)) {
        case 0:
            return cat({"PAUSE ", std::to_string(rng_.range(1, 40))});
        case 1:
            return "CLS";
        case 2:
            return cat(
                {"BEEP ", std::to_string(rng_.range(2, 8)), ",", std::to_string(rng_.range(100, 900))});
        case 3:
            return cat({"AT ", std::to_string(rng_.range(1, 40)), ",", std::to_string(rng_.range(1, 9))});
        case 4:
            return cat({"GIPRINT ", literal()});
        case 5:
            return "BUSY \"Working...\"";
        case 6:
            return "BUSY OFF";
        case 7:
            return "ONERR OFF";
        case 8:
            return "TRAP DELETE \"C:\\Tmp\\rem.tmp\"";
        case 9:
            return cat({"RANDOMIZE ", std::to_string(rng_.below(1000))});
        case 10:
            return "ESCAPE OFF";
        case 11:
            if (!arrays_.empty()) {
                const auto &a = rng_.pick(arrays_);
                return cat({a.first, "(", std::to_string(rng_.range(1, a.second)), ") = ", intAtom()});
            }
            return cat({"INPUT ", var(Int)});
        case 12:
            return cat({"INPUT ", var(Str)});
        default:
            return cat({var(Long), " = ", var(Long), " + ", std::to_string(rng_.range(1, 500))});
        }
    }

    std::string callStatement()
    {
        // One of the last few procedures written.
        const std::uint32_t window = static_cast<std::uint32_t>(std::min<std::size_t>(8, recent_.size()));
        const ProcSig &p = recent_[recent_.size() - 1 - rng_.below(window)];
        std::string call = cat({p.name, ":"});
        if (!p.params.empty()) {
            call += "(";
            for (std::size_t i = 0; i < p.params.size(); ++i) {
                if (i)
                    call += ",";
                switch (p.params[i]) {
                case Int:
                    call += intAtom();
                    break;
                case Long:
                    call += longAtom();
                    break;
                case Float:
                    call += floatAtom();
                    break;
                case Str:
                    call += rng_.chance(60) ? literal() : std::string(var(Str));
                    break;
                }
            }
            call += ")";
        }
        if (rng_.chance(50))
            return cat({var(p.typed ? p.ret : Float), " = ", call});
        return call;
    }

    std::vector<std::string> graphicsGroup()
    {
        const std::string id(var(Int));
        std::vector<std::string> g;
        g.push_back(cat({id, " = gCREATE(0,0,", coord(240), ",", coord(80), ",1)"}));
        g.push_back(cat({"gUSE ", id}));
        const int n = rng_.range(1, 4);
        for (int i = 0; i < n; ++i)
            g.push_back(graphicsStatement());
        if (rng_.chance(20)) {
            g.push_back(cat({"gCLOSE ", id, " :REM ", rng_.pick(kComments)}));
        } else {
            g.push_back(cat({"gCLOSE ", id}));
        }
        return g;
    }

    std::vector<std::string> dialogGroup()
    {
        std::vector<std::string> g;
        g.push_back(cat({"dINIT \"", rng_.pick(kTitles), "\""}));
        const int n = rng_.range(1, 4);
        for (int i = 0; i < n; ++i) {
            switch (rng_.below(5)) {
            case 0:
                g.push_back(cat({"dTEXT \"\",", literal()}));
                break;
            case 1:
                g.push_back(
                    cat({"dEDIT ", var(Str), ",", literal(), ",", std::to_string(rng_.range(8, 30))}));
                break;
            case 2:
                g.push_back(cat({"dCHOICE ", var(Int), ",", literal(), ",", rng_.pick(kChoiceLists)}));
                break;
            case 3:
                g.push_back(
                    cat({"dLONG ", var(Long), ",\"Amount\",0,", std::to_string(rng_.range(100, 99999))}));
                break;
            default:
                g.push_back(cat({"dTEXT ", literal(), ",", var(Str)}));
                break;
            }
        }
        if (rng_.chance(30))
            g.push_back("dBUTTONS \"Cancel\",-27,\"OK\",13");
        g.push_back(cat({var(Int), " = DIALOG"}));
        return g;
    }

    std::vector<std::string> menuGroup()
    {
        std::vector<std::string> g;
        g.push_back("mINIT");
        const int n = rng_.range(1, 3);
        for (int i = 0; i < n; ++i)
            g.push_back(cat({"mCARD ", kMenuCards[static_cast<std::size_t>(i)]}));
        g.push_back(cat({var(Int), " = MENU"}));
        return g;
    }

    // ----- expressions ---------------------------------------------------

    std::string_view var(Ty t) { return rng_.pick(vars_[t]); }

    // A variable of type t other than `not`, when the scope has one.
    std::string_view otherVar(Ty t, std::string_view other)
    {
        const std::vector<std::string_view> &v = vars_[t];
        if (v.size() < 2)
            return v.front();
        const std::uint32_t n = static_cast<std::uint32_t>(v.size());
        std::uint32_t k = rng_.below(n - 1);
        if (v[k] == other)
            k = n - 1;
        return v[k];
    }

    std::string coord(int max)
    {
        if (rng_.chance(35))
            return std::string(var(Int));
        return std::to_string(rng_.below(static_cast<std::uint32_t>(max)));
    }

    std::string literal() { return cat({"\"", rng_.pick(kStrings), "\""}); }

    std::string intAtom()
    {
        const std::uint32_t r = rng_.below(100);
        if (r < 45)
            return std::string(var(Int));
        if (r < 65)
            return std::to_string(rng_.below(r < 60 ? 20 : 1000));
        if (r < 72)
            return cat({"LEN(", var(Str), ")"});
        if (r < 76)
            return cat({"ASC(", var(Str), ")"});
        if (r < 80)
            return cat({"INT(", var(Float), ")"});
        if (r < 87 && !arrays_.empty()) {
            const auto &a = rng_.pick(arrays_);
            return cat({a.first, "(", var(Int), ")"});
        }
        if (r < 90) {
            static constexpr std::string_view kHex[] = {"$FF", "$1F", "$7FFF", "$0D"};
            return std::string(rng_.pick(kHex));
        }
        if (r < 95)
            return cat({"ABS(", var(Int), ")"});
        return cat({"-", std::to_string(rng_.range(1, 9))});
    }

    std::string intExpr()
    {
        const std::uint32_t r = rng_.below(100);
        if (r < 25)
            return intAtom();
        if (r < 80)
            return cat({intAtom(), rng_.pick(kArith), intAtom()});
        return cat({"(", intAtom(), rng_.pick(kArith), intAtom(), ")", rng_.pick(kArith),
                    std::to_string(rng_.range(2, 9))});
    }

    std::string longAtom()
    {
        const std::uint32_t r = rng_.below(100);
        if (r < 50)
            return std::string(var(Long));
        if (r < 65)
            return std::string(var(Int));
        if (r < 90)
            return std::to_string(rng_.range(1000, 200000));
        return "&FFFF";
    }

    std::string longExpr()
    {
        if (rng_.chance(35))
            return longAtom();
        return cat({longAtom(), rng_.pick(kArith), longAtom()});
    }

    std::string floatAtom()
    {
        switch (rng_.below(10)) {
        case 0:
        case 1:
        case 2:
            return std::string(var(Float));
        case 3:
            return "PI";
        case 4:
            return cat({"SIN(", var(Float), ")"});
        case 5:
            return cat({"SQR(", var(Float), ")"});
        case 6:
            return cat({"FLT(", var(Int), ")"});
        case 7:
            return "1.5";
        case 8:
            return "0.25";
        default:
            return "1E3";
        }
    }

    std::string floatExpr()
    {
        if (rng_.chance(30))
            return floatAtom();
        return cat({floatAtom(), rng_.pick(kArith), floatAtom()});
    }

    std::string strExpr()
    {
        const std::string_view s = var(Str);
        switch (rng_.below(13)) {
        case 0:
        case 1:
        case 2:
            return literal();
        case 3:
            return std::string(s);
        case 4:
            return cat({"LEFT$(", s, ",", std::to_string(rng_.range(1, 8)), ")"});
        case 5:
            return cat({"MID$(", s, ",", std::to_string(rng_.range(1, 4)), ",",
                        std::to_string(rng_.range(1, 6)), ")"});
        case 6:
            return cat({"UPPER$(", s, ")"});
        case 7:
            return cat({"NUM$(", var(Int), ",6)"});
        case 8:
            return cat({"GEN$(", var(Float), ",8)"});
        case 9:
            return cat({"CHR$(", std::to_string(rng_.range(32, 126)), ")"});
        case 10:
            return cat({literal(), " + NUM$(", var(Int), ",", std::to_string(rng_.range(2, 8)), ")"});
        default:
            return cat({s, " + ", literal()});
        }
    }

    std::string condition()
    {
        if (rng_.chance(25)) {
            const std::string a = simpleCondition();
            return cat({a, rng_.chance(60) ? " AND " : " OR ", simpleCondition()});
        }
        return simpleCondition();
    }

    std::string simpleCondition()
    {
        const std::uint32_t r = rng_.below(100);
        if (r < 25 && vars_[Int].size() > 1) {
            const std::string_view a = var(Int);
            return cat({a, rng_.pick(kCmp), otherVar(Int, a)});
        }
        if (r < 40)
            return cat({var(Int), rng_.pick(kCmp), std::to_string(rng_.range(0, 99))});
        if (r < 52) {
            const std::string_view a = var(Long);
            if (vars_[Long].size() > 1 && rng_.chance(50))
                return cat({a, rng_.pick(kCmp), otherVar(Long, a)});
            return cat({a, rng_.pick(kCmp), std::to_string(rng_.range(0, 99999))});
        }
        if (r < 64)
            return cat({var(Str), rng_.chance(50) ? " = " : " <> ", literal()});
        if (r < 72)
            return cat({"LEN(", var(Str), ") > ", std::to_string(rng_.range(0, 20))});
        if (r < 80)
            return cat({var(Int), " = ", std::to_string(rng_.pick(kKeys))});
        if (r < 86)
            return cat({"NOT ", var(Int)});
        if (r < 92)
            return cat({"(", var(Int), " AND ", std::to_string(1 << rng_.below(8)), ") <> 0"});
        if (r < 96)
            return "ERR <> 0";
        return cat({var(Float), " > ", floatAtom()});
    }

    static constexpr int kKeys[] = {13, 27, 8, 32, 256, 257, 258, 259};

    // ----- state ---------------------------------------------------------

    std::uint64_t total_;
    Rng rng_;
    Out &out_;
    std::uint64_t seed_;

    std::vector<Block> stack_;
    std::vector<std::string_view> vars_[4];
    std::vector<std::pair<std::string, int>> arrays_;
    std::vector<std::string> labels_;
    std::string errLabel_;
    ProcSig current_;
    std::deque<ProcSig> recent_;
    int procCount_ = 0;
    bool jumped_ = false;
    bool gapDone_ = false;
    bool bannerDone_ = false;
};

// ---------------------------------------------------------------------------

void usage(std::FILE *f)
{
    std::fputs("usage: genopl LINES [SEED] [-o FILE]\n"
               "Writes LINES lines of synthetic OPL source (CR LF line ends) to FILE or\n"
               "standard output. The same LINES and SEED always give the same bytes.\n",
               f);
}

bool parseNumber(const char *text, std::uint64_t &value)
{
    const char *end = text + std::strlen(text);
    const auto [ptr, ec] = std::from_chars(text, end, value);
    return ec == std::errc() && ptr == end && ptr != text;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<const char *> positional;
    const char *outPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "-h" || a == "--help") {
            usage(stdout);
            return 0;
        }
        if (a == "-o") {
            if (i + 1 >= argc) {
                usage(stderr);
                return 2;
            }
            outPath = argv[++i];
        } else {
            positional.push_back(argv[i]);
        }
    }
    if (positional.empty() || positional.size() > 2) {
        usage(stderr);
        return 2;
    }
    std::uint64_t lines = 0;
    std::uint64_t seed = 1;
    if (!parseNumber(positional[0], lines)) {
        std::fprintf(stderr, "genopl: bad line count '%s'\n", positional[0]);
        return 2;
    }
    if (positional.size() == 2 && !parseNumber(positional[1], seed)) {
        std::fprintf(stderr, "genopl: bad seed '%s'\n", positional[1]);
        return 2;
    }

    std::FILE *file = stdout;
    if (outPath) {
        file = std::fopen(outPath, "wb");
        if (!file) {
            std::fprintf(stderr, "genopl: cannot open '%s': %s\n", outPath, std::strerror(errno));
            return 1;
        }
    } else {
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY);
#endif
    }

    Out out(file);
    Generator gen(lines, seed, out);
    gen.run();
    out.flush();
    const bool ok = out.ok() && out.written() == lines && std::fflush(file) == 0;
    if (outPath && std::fclose(file) != 0) {
        std::fprintf(stderr, "genopl: error closing '%s'\n", outPath);
        return 1;
    }
    if (!ok) {
        std::fprintf(stderr, "genopl: write error\n");
        return 1;
    }
    return 0;
}
