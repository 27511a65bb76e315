// Commands and their argument forms.
#include "opl/OplParser.h"

#include <unordered_map>

namespace quenvel {

namespace {

// A command's arguments: how many it takes and the kind of each. Kinds: n number, s string,
// e any value, v a variable (or #address), a an array name() or a variable, o the word ON
// or OFF, x ON, OFF or a value. After '|' the kinds repeat for any further arguments.
struct TForm {
    int Min, Max; // Max -1: any number
    const char *Kinds;
};

const std::unordered_map<std::string_view, TForm> &Forms()
{
    static const std::unordered_map<std::string_view, TForm> forms = {
        {"APPEND", {0, 0, ""}}, {"APPENDSPRITE", {2, 4, "nann"}}, {"AT", {2, 2, "nn"}}, {"BACK", {0, 0, ""}},
        {"BEEP", {2, 2, "nn"}}, {"BEGINTRANS", {0, 0, ""}}, {"BUSY", {1, 3, "xnn"}}, {"CACHE", {1, 2, "xn"}},
        {"CACHEHDR", {1, 1, "a"}}, {"CACHEREC", {2, 2, "an"}}, {"CACHETIDY", {0, 0, ""}}, {"CANCEL", {0, 0, ""}},
        {"CHANGESPRITE", {2, 5, "nnann"}}, {"CLEARFLAGS", {1, 1, "n"}}, {"CLOSE", {0, 0, ""}},
        {"CLOSESPRITE", {1, 1, "n"}}, {"CLS", {0, 0, ""}}, {"COMMITTRANS", {0, 0, ""}}, {"COMPACT", {1, 1, "s"}},
        {"COMPRESS", {2, 2, "ss"}}, {"COPY", {2, 2, "ss"}}, {"CURSOR", {1, 5, "xnnnn"}},
        {"DAYSTODATE", {4, 4, "nvvv"}}, {"DBUTTONS", {0, -1, "|sn"}}, {"DCHECKBOX", {2, 2, "vs"}},
        {"DCHOICE", {3, 4, "vssn"}}, {"DDATE", {4, 4, "vsnn"}}, {"DEDIT", {2, 3, "vsn"}},
        {"DEDITMULTI", {5, 6, "esnnnn"}}, {"DEFAULTWIN", {1, 1, "n"}}, {"DELETE", {1, 2, "ss"}},
        {"DFILE", {3, 6, "vsnnnn"}}, {"DFLOAT", {4, 4, "vsnn"}}, {"DIAMINIT", {0, -1, "n|s"}},
        {"DIAMPOS", {1, 1, "n"}}, {"DINIT", {0, 2, "sn"}}, {"DINITS", {0, 1, "s"}}, {"DLONG", {4, 4, "vsnn"}},
        {"DPOSITION", {2, 2, "nn"}}, {"DRAWSPRITE", {2, 2, "nn"}}, {"DTEXT", {2, 3, "ssn"}},
        {"DTIME", {5, 5, "vsnnn"}}, {"DXINPUT", {2, 3, "vsn"}}, {"EDIT", {1, 1, "v"}}, {"ERASE", {0, 0, ""}},
        {"ESCAPE", {1, 1, "o"}}, {"FIRST", {0, 0, ""}}, {"FONT", {2, 2, "nn"}}, {"FREEALLOC", {1, 1, "n"}},
        {"GAT", {2, 2, "nn"}}, {"GBORDER", {1, 3, "nnn"}}, {"GBOX", {2, 2, "nn"}}, {"GBUTTON", {5, 8, "snnnnnnn"}},
        {"GCIRCLE", {1, 2, "nn"}}, {"GCLOCK", {1, 6, "xnnsnn"}}, {"GCLOSE", {1, 1, "n"}}, {"GCLS", {0, 0, ""}},
        {"GCOLOR", {3, 3, "nnn"}}, {"GCOLORBACKGROUND", {3, 3, "nnn"}}, {"GCOLORINFO", {1, 1, "a"}},
        {"GCOPY", {6, 6, "nnnnnn"}}, {"GDRAWOBJECT", {4, 4, "nnnn"}}, {"GELLIPSE", {2, 3, "nnn"}},
        {"GETEVENT", {1, 1, "a"}}, {"GETEVENT32", {1, 1, "a"}}, {"GETEVENTA32", {2, 2, "va"}},
        {"GFILL", {3, 3, "nnn"}}, {"GFONT", {1, 1, "n"}}, {"GGMODE", {1, 1, "n"}}, {"GGREY", {1, 1, "n"}},
        {"GINFO", {1, 1, "a"}}, {"GINFO32", {1, 1, "a"}}, {"GINVERT", {2, 2, "nn"}}, {"GIPRINT", {1, 2, "sn"}},
        {"GLINEBY", {2, 2, "nn"}}, {"GLINETO", {2, 2, "nn"}}, {"GMOVE", {2, 2, "nn"}}, {"GORDER", {2, 2, "nn"}},
        {"GOTOMARK", {1, 1, "n"}}, {"GPATT", {4, 4, "nnnn"}}, {"GPEEKLINE", {5, 6, "nnnann"}},
        {"GPOLY", {1, 1, "a"}}, {"GPRINTB", {2, 6, "snnnnn"}}, {"GSAVEBIT", {1, 3, "snn"}},
        {"GSCROLL", {2, 6, "nnnnnn"}}, {"GSETPENWIDTH", {1, 1, "n"}}, {"GSETWIN", {2, 4, "nnnn"}},
        {"GSTYLE", {1, 1, "n"}}, {"GTMODE", {1, 1, "n"}}, {"GUNLOADFONT", {1, 1, "n"}}, {"GUPDATE", {0, 1, "o"}},
        {"GUSE", {1, 1, "n"}}, {"GVISIBLE", {1, 1, "o"}}, {"GXBORDER", {2, 4, "nnnn"}}, {"GXPRINT", {2, 2, "sn"}},
        {"GXBORDER32", {2, 4, "nnnn"}}, {"INPUT", {1, 1, "v"}}, {"INSERT", {0, 0, ""}}, {"IOSIGNAL", {0, 0, ""}},
        {"IOWAITSTAT", {1, 1, "v"}}, {"IOWAITSTAT32", {1, 1, "v"}}, {"IOYIELD", {0, 0, ""}},
        {"KILLMARK", {1, 1, "n"}}, {"LAST", {0, 0, ""}}, {"LCLOSE", {0, 0, ""}}, {"LINKLIB", {1, 1, "n"}},
        {"LOADM", {1, 1, "s"}}, {"LOCK", {1, 1, "o"}}, {"LOPEN", {1, 1, "s"}}, {"MCARD", {3, -1, "s|sn"}},
        {"MCARDX", {4, -1, "nn|sn"}}, {"MCASC", {3, -1, "s|sn"}}, {"MINIT", {0, 0, ""}}, {"MKDIR", {1, 1, "s"}},
        {"MODIFY", {0, 0, ""}}, {"NEXT", {0, 0, ""}}, {"ODBINFO", {1, 1, "a"}}, {"OFF", {0, 1, "n"}},
        {"PAUSE", {1, 1, "n"}}, {"POKE$", {2, 2, "ns"}}, {"POKEB", {2, 2, "nn"}}, {"POKEF", {2, 2, "nn"}},
        {"POKEL", {2, 2, "nn"}}, {"POKEW", {2, 2, "nn"}}, {"POINTERFILTER", {2, 2, "nn"}}, {"POSITION", {1, 1, "n"}},
        {"POSSPRITE", {2, 2, "nn"}}, {"PUT", {0, 0, ""}}, {"RAISE", {1, 1, "n"}}, {"RANDOMIZE", {1, 1, "n"}},
        {"RENAME", {2, 2, "ss"}}, {"RMDIR", {1, 1, "s"}}, {"ROLLBACK", {0, 0, ""}}, {"SCREEN", {2, 4, "nnnn"}},
        {"SCREENINFO", {1, 1, "a"}}, {"SECSTODATE", {8, 8, "nvvvvvvv"}}, {"SETDOC", {1, 1, "s"}},
        {"SETFLAGS", {1, 1, "n"}}, {"SETHELP", {2, 2, "ns"}}, {"SETHELPUID", {1, 1, "n"}}, {"SHOWHELP", {0, 0, ""}},
        {"SETNAME", {1, 1, "s"}}, {"SETPATH", {1, 1, "s"}}, {"STATUSWIN", {1, 2, "xn"}}, {"STOP", {0, 0, ""}},
        {"STYLE", {1, 1, "n"}}, {"UNLOADM", {1, 1, "s"}}, {"UPDATE", {0, 0, ""}}, {"USESPRITE", {1, 1, "n"}},
    };
    return forms;
}

} // namespace

void TOplParser::LogicalName()
{
    const TOplToken &t = Tok();
    if (t.Kind != TOplTok::Ident || TypeOfName(t.Text) != tyFloat || FindOplWordFact(Upper(t.Text)))
        Fail(t, "Syntax error: a logical file name (A to Z) expected");
    ++pos_;
}

TOplValue TOplParser::CommandArgument(char kind)
{
    TOplValue v;
    v.Col = Tok().Col;
    if ((kind == 'o' || kind == 'x') && (IsWord("ON") || IsWord("OFF"))) {
        ++pos_;
        return v;
    }
    if (kind == 'o')
        Fail(Tok(), "Syntax error: ON or OFF expected");
    v = Argument();
    switch (kind) {
    case 'n': NeedNumber(v); break;
    case 'x': break;
    case 's': NeedString(v); break;
    case 'v':
    case 'a':
        if (!v.Variable)
            Fail(v.Col, "Syntax error: a variable is needed");
        break;
    default:
        if (v.Type == tyArray)
            Fail(v.Col, "Type mismatch: a value is needed");
    }
    return v;
}

void TOplParser::PrintItems()
{
    while (!AtEnd()) {
        const TOplValue v = Expression();
        if (v.Type == tyArray || v.Type == tyVoid)
            Fail(v.Col, "Type mismatch: a value is needed");
        if (Tok().Kind != TOplTok::Comma && Tok().Kind != TOplTok::Semi)
            break;
        ++pos_;
    }
}

void TOplParser::FileCommand(const TOplToken &t, const std::string &upper)
{
    if (upper == "USE") {
        LogicalName();
        return;
    }
    // OPEN, OPENR, CREATE: file (or query), logical name, fields
    NeedString(Expression());
    Expect(TOplTok::Comma, "','");
    LogicalName();
    while (Tok().Kind == TOplTok::Comma) {
        ++pos_;
        if (Tok().Kind != TOplTok::Ident)
            Fail(Tok(), "Syntax error: a field name expected");
        ++pos_;
    }
    (void)t;
}

void TOplParser::Command(const TOplToken &t, const std::string &upper)
{
    if (upper == "PRINT" || upper == "LPRINT" || upper == "GPRINT") {
        PrintItems();
        return;
    }
    if (upper == "OPEN" || upper == "OPENR" || upper == "CREATE" || upper == "USE") {
        FileCommand(t, upper);
        return;
    }
    const auto it = Forms().find(upper);
    int n = 0;
    if (!AtEnd()) {
        const std::string_view kinds = it == Forms().end() ? std::string_view() : std::string_view(it->second.Kinds);
        const size_t bar = kinds.find('|');
        const std::string_view fixed = kinds.substr(0, bar);
        const std::string_view repeat = bar == std::string_view::npos ? std::string_view() : kinds.substr(bar + 1);
        while (true) {
            const size_t i = static_cast<size_t>(n);
            const char kind = i < fixed.size() ? fixed[i] : repeat.empty() ? 'e' : repeat[(i - fixed.size()) % repeat.size()];
            CommandArgument(kind);
            ++n;
            if (Tok().Kind != TOplTok::Comma)
                break;
            ++pos_;
        }
    }
    if (it == Forms().end())
        return;
    const TForm &f = it->second;
    if (n < f.Min || (f.Max >= 0 && n > f.Max)) {
        std::vector<int> counts;
        for (int c = f.Min; c <= (f.Max >= 0 ? f.Max : f.Min); ++c)
            counts.push_back(c);
        std::string note = OplArgCountNote(n, counts);
        if (f.Max < 0)
            note = "(" + std::to_string(n) + "; at least " + std::to_string(f.Min) + ")";
        Fail(t, "Wrong number of arguments to " + std::string(t.Text) + " " + note);
    }
    const std::string_view kinds = f.Kinds;
    const size_t bar = kinds.find('|');
    if (bar != std::string_view::npos && n > static_cast<int>(bar) &&
        (n - static_cast<int>(bar)) % static_cast<int>(kinds.size() - bar - 1) != 0)
        Fail(t, "Wrong number of arguments to " + std::string(t.Text) + " (" + std::to_string(n) + ")");
}

} // namespace quenvel
