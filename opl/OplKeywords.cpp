// The OPL word list and the keyword tables built from it.
#include "opl/OplKeywords.h"

#include <string_view>

namespace quenvel {

namespace {

// Table order matters: where two entries could match the same text the earlier one wins,
// so a duplicate never overrides its first entry.
//
// Which machines have a word follows the word tables of the translators: the Series 3a and
// 3c translator (OPL 3) and the Series 5 one (OPL 5). Words of later Series 5 successors
// that the Series 5 itself rejects are marked as missing everywhere. The Siena runs the OPL
// of the Series 3a, less the words marked here as missing on it (otOpl3, otOpl3And5).
const std::vector<TOplWord> kOplWords = {
    // Procedure words.
    {"proc", ocProcedure, otAll},
    {"endp", ocProcedure, otAll},
    // Structure words.
    {"if", ocStructure, otAll},
    {"endif", ocStructure, otAll},
    {"else", ocStructure, otAll},
    {"elseif", ocStructure, otAll},
    {"do", ocStructure, otAll},
    {"until", ocStructure, otAll},
    {"while", ocStructure, otAll},
    {"endwh", ocStructure, otAll},
    {"goto", ocStructure, otAll},
    {"vector", ocStructure, otAll},
    {"endv", ocStructure, otAll},
    {"break", ocStructure, otAll},
    {"continue", ocStructure, otAll},
    {"return", ocStructure, otAll},
    {"stop", ocStructure, otAll},
    {"global", ocStructure, otAll},
    {"local", ocStructure, otAll},
    {"space", ocStructure, otAll},
    {"const", ocStructure, otOpl5},
    {"byref", ocStructure, otOpl5},
    {"opx", ocStructure, otOpl5},
    {"end", ocStructure, otOpl5},
    {"alias", ocStructure, otNowhere},
    // Errors, console input and output, the keyboard.
    {"raise", ocCommand, otAll},
    {"onerr", ocCommand, otAll},
    {"trap", ocCommand, otAll},
    {"err", ocCommand, otAll},
    {"err$", ocCommand, otAll},
    {"errx$", ocCommand, otOpl5},
    {"edit", ocCommand, otAll},
    {"input", ocCommand, otAll},
    {"print", ocCommand, otAll},
    {"gupdate", ocCommand, otAll},
    {"pause", ocCommand, otAll},
    {"get", ocCommand, otAll},
    {"get$", ocCommand, otAll},
    {"at", ocCommand, otAll},
    {"cursor", ocCommand, otAll},
    {"cls", ocCommand, otAll},
    {"beep", ocCommand, otAll},
    {"screen", ocCommand, otAll},
    {"screeninfo", ocCommand, otAll},
    {"font", ocCommand, otAll},
    {"style", ocCommand, otAll},
    {"key", ocCommand, otAll},
    {"key$", ocCommand, otAll},
    {"kmod", ocCommand, otAll},
    {"escape", ocCommand, otAll},
    // Structure words: ON, OFF and the logical operators.
    {"on", ocStructure, otAll},
    {"off", ocStructure, otAll},
    {"and", ocStructure, otAll},
    {"or", ocStructure, otAll},
    {"not", ocStructure, otAll},
    // Files, directories, modules.
    {"copy", ocCommand, otAll},
    {"delete", ocCommand, otAll},
    {"rename", ocCommand, otAll},
    {"exist", ocCommand, otAll},
    {"dir$", ocCommand, otAll},
    {"mkdir", ocCommand, otAll},
    {"rmdir", ocCommand, otAll},
    {"setpath", ocCommand, otAll},
    {"LoadM", ocCommand, otAll},
    {"unloadm", ocCommand, otAll},
    {"cache", ocCommand, otOpl3},
    {"include", ocCommand, otOpl5},
    {"declare", ocCommand, otOpl5},
    {"external", ocCommand, otOpl5},
    // Data files.
    {"create", ocCommand, otAll},
    {"open", ocCommand, otAll},
    {"openr", ocCommand, otAll},
    {"close", ocCommand, otAll},
    {"use", ocCommand, otAll},
    {"append", ocCommand, otAll},
    {"update", ocCommand, otAll},
    {"find", ocCommand, otAll},
    {"findfield", ocCommand, otAll},
    {"erase", ocCommand, otAll},
    {"first", ocCommand, otAll},
    {"last", ocCommand, otAll},
    {"next", ocCommand, otAll},
    {"back", ocCommand, otAll},
    {"position", ocCommand, otAll},
    {"count", ocCommand, otAll},
    {"eof", ocCommand, otAll},
    {"pos", ocCommand, otAll},
    {"compress", ocCommand, otOpl3},
    {"recsize", ocCommand, otOpl3},
    {"delete", ocCommand, otAll},
    {"begintrans", ocCommand, otOpl5},
    {"committrans", ocCommand, otOpl5},
    {"intrans", ocCommand, otOpl5},
    {"rollback", ocCommand, otOpl5},
    {"bookmark", ocCommand, otOpl5},
    {"gotomark", ocCommand, otOpl5},
    {"killmark", ocCommand, otOpl5},
    {"insert", ocCommand, otOpl5},
    {"modify", ocCommand, otOpl5},
    {"put", ocCommand, otOpl5},
    {"cancel", ocCommand, otOpl5},
    {"compact", ocCommand, otOpl5},
    // Printing.
    {"lopen", ocCommand, otAll},
    {"lclose", ocCommand, otAll},
    {"lprint", ocCommand, otAll},
    // Numbers.
    {"cos", ocCommand, otAll},
    {"sin", ocCommand, otAll},
    {"tan", ocCommand, otAll},
    {"acos", ocCommand, otAll},
    {"asin", ocCommand, otAll},
    {"atan", ocCommand, otAll},
    {"rad", ocCommand, otAll},
    {"deg", ocCommand, otAll},
    {"exp", ocCommand, otAll},
    {"ln", ocCommand, otAll},
    {"log", ocCommand, otAll},
    {"pi", ocCommand, otAll},
    {"sqr", ocCommand, otAll},
    {"rnd", ocCommand, otAll},
    {"randomize", ocCommand, otAll},
    {"uadd", ocCommand, otAll},
    {"usub", ocCommand, otAll},
    {"max", ocCommand, otAll},
    {"min", ocCommand, otAll},
    {"mean", ocCommand, otAll},
    {"sum", ocCommand, otAll},
    {"std", ocCommand, otAll},
    {"var", ocCommand, otAll},
    {"abs", ocCommand, otAll},
    {"iabs", ocCommand, otAll},
    {"int", ocCommand, otAll},
    {"intf", ocCommand, otAll},
    {"flt", ocCommand, otAll},
    {"hex$", ocCommand, otAll},
    {"fix$", ocCommand, otAll},
    {"gen$", ocCommand, otAll},
    {"sci$", ocCommand, otAll},
    {"num$", ocCommand, otAll},
    {"eval", ocCommand, otAll},
    {"val", ocCommand, otAll},
    // Strings.
    {"left$", ocCommand, otAll},
    {"mid$", ocCommand, otAll},
    {"right$", ocCommand, otAll},
    {"rept$", ocCommand, otAll},
    {"upper$", ocCommand, otAll},
    {"lower$", ocCommand, otAll},
    {"len", ocCommand, otAll},
    {"asc", ocCommand, otAll},
    {"loc", ocCommand, otAll},
    {"val", ocCommand, otAll},
    {"chr$", ocCommand, otAll},
    // Date and time.
    {"datim$", ocCommand, otAll},
    {"second", ocCommand, otAll},
    {"minute", ocCommand, otAll},
    {"hour", ocCommand, otAll},
    {"day", ocCommand, otAll},
    {"month", ocCommand, otAll},
    {"year", ocCommand, otAll},
    {"days", ocCommand, otAll},
    {"dow", ocCommand, otAll},
    {"week", ocCommand, otAll},
    {"month$", ocCommand, otAll},
    {"dayname$", ocCommand, otAll},
    {"datetosecs", ocCommand, otAll},
    {"secstodate", ocCommand, otAll},
    {"daystodate", ocCommand, otOpl5},
    // Graphics.
    {"gat", ocCommand, otAll},
    {"gmove", ocCommand, otAll},
    {"glineby", ocCommand, otAll},
    {"glineto", ocCommand, otAll},
    {"gpoly", ocCommand, otAll},
    {"gbox", ocCommand, otAll},
    {"gborder", ocCommand, otAll},
    {"gxborder", ocCommand, otAll},
    {"gfill", ocCommand, otAll},
    {"ginvert", ocCommand, otAll},
    {"gscroll", ocCommand, otAll},
    {"gx", ocCommand, otAll},
    {"gy", ocCommand, otAll},
    {"gclock", ocCommand, otAll},
    {"gbutton", ocCommand, otAll},
    {"gdrawobject", ocCommand, otOpl3},
    {"gcircle", ocCommand, otOpl5},
    {"gellipse", ocCommand, otOpl5},
    {"gsetpenwidth", ocCommand, otOpl5},
    {"gprint", ocCommand, otAll},
    {"gprintb", ocCommand, otAll},
    {"gprintclip", ocCommand, otAll},
    {"gtwidth", ocCommand, otAll},
    {"gxprint", ocCommand, otAll},
    {"ggmode", ocCommand, otAll},
    {"gtmode", ocCommand, otAll},
    {"gfont", ocCommand, otAll},
    {"gloadfont", ocCommand, otAll},
    {"gunloadfont", ocCommand, otAll},
    {"gstyle", ocCommand, otAll},
    {"gcreate", ocCommand, otAll},
    {"gsetwin", ocCommand, otAll},
    {"gorder", ocCommand, otAll},
    {"grank", ocCommand, otAll},
    {"gvisible", ocCommand, otAll},
    {"goriginx", ocCommand, otAll},
    {"goriginy", ocCommand, otAll},
    {"gcreatebit", ocCommand, otAll},
    {"gloadbit", ocCommand, otAll},
    {"gcls", ocCommand, otAll},
    {"gsavebit", ocCommand, otAll},
    {"gclose", ocCommand, otAll},
    {"guse", ocCommand, otAll},
    {"gcopy", ocCommand, otAll},
    {"gpeekline", ocCommand, otAll},
    {"gidentity", ocCommand, otAll},
    {"gwidth", ocCommand, otAll},
    {"gHeight", ocCommand, otAll},
    {"ggrey", ocCommand, otOpl3And5},
    {"defaultwin", ocCommand, otOpl3And5},
    {"gpatt", ocCommand, otOpl3And5},
    {"ginfo", ocCommand, otOpl3},
    {"gcolor", ocCommand, otOpl5},
    {"ginfo32", ocCommand, otOpl5},
    {"gcolorbackground", ocCommand, otOpl5},
    {"gcolorinfo", ocCommand, otOpl5},
    {"gpixel", ocCommand, otNowhere},
    {"gxborder32", ocCommand, otNowhere},
    {"createsprite", ocCommand, otOpl3},
    {"appendsprite", ocCommand, otOpl3},
    {"changesprite", ocCommand, otOpl3},
    {"drawsprite", ocCommand, otOpl3},
    {"possprite", ocCommand, otOpl3},
    {"closesprite", ocCommand, otOpl3},
    {"usesprite", ocCommand, otSienaAnd3},
    // Menus and dialogs.
    {"minit", ocCommand, otAll},
    {"mcard", ocCommand, otAll},
    {"menu", ocCommand, otAll},
    {"mcasc", ocCommand, otOpl5},
    {"mpopup", ocCommand, otOpl5},
    {"mcardx", ocCommand, otNowhere},
    {"dInit", ocCommand, otAll},
    {"dinits", ocCommand, otSienaAnd3},
    {"dposition", ocCommand, otAll},
    {"dtext", ocCommand, otAll},
    {"dedit", ocCommand, otAll},
    {"dxinput", ocCommand, otAll},
    {"dfile", ocCommand, otAll},
    {"dchoice", ocCommand, otAll},
    {"dfloat", ocCommand, otAll},
    {"dlong", ocCommand, otAll},
    {"ddate", ocCommand, otAll},
    {"dtime", ocCommand, otAll},
    {"dbuttons", ocCommand, otAll},
    {"dialog", ocCommand, otAll},
    {"alert", ocCommand, otAll},
    {"deditmulti", ocCommand, otOpl5},
    {"dcheckbox", ocCommand, otOpl5},
    {"statuswin", ocCommand, otSienaAnd3},
    {"statwininfo", ocCommand, otSienaAnd3},
    {"setname", ocCommand, otSienaAnd3},
    {"diaminit", ocCommand, otSienaAnd3},
    {"diampos", ocCommand, otSienaAnd3},
    {"giprint", ocCommand, otAll},
    {"busy", ocCommand, otAll},
    // Applications.
    {"app", ocCommand, otAll},
    {"enda", ocCommand, otAll},
    {"icon", ocCommand, otAll},
    {"lock", ocCommand, otAll},
    {"type", ocCommand, otOpl3},
    {"ext", ocCommand, otOpl3},
    {"path", ocCommand, otOpl3},
    {"caption", ocCommand, otOpl5},
    {"flags", ocCommand, otOpl5},
    {"mime", ocStructure, otNowhere},
    // Memory, input/output and the system.
    {"addr", ocCommand, otAll},
    {"peekb", ocCommand, otAll},
    {"peekw", ocCommand, otAll},
    {"peekl", ocCommand, otAll},
    {"peekf", ocCommand, otAll},
    {"peek$", ocCommand, otAll},
    {"pokeb", ocCommand, otAll},
    {"pokew", ocCommand, otAll},
    {"pokel", ocCommand, otAll},
    {"pokef", ocCommand, otAll},
    {"poke$", ocCommand, otAll},
    {"ioopen", ocCommand, otAll},
    {"ioread", ocCommand, otAll},
    {"iowrite", ocCommand, otAll},
    {"ioclose", ocCommand, otAll},
    {"ioseek", ocCommand, otAll},
    {"ioa", ocCommand, otAll},
    {"ioc", ocCommand, otAll},
    {"iocancel", ocCommand, otAll},
    {"iowait", ocCommand, otAll},
    {"iowaitstat", ocCommand, otAll},
    {"iosignal", ocCommand, otAll},
    {"iosignal", ocCommand, otAll},
    {"ioyield", ocCommand, otAll},
    {"iow", ocCommand, otAll},
    {"keya", ocCommand, otAll},
    {"keyc", ocCommand, otAll},
    {"cmd$", ocCommand, otAll},
    {"getcmd$", ocCommand, otAll},
    {"parse$", ocCommand, otAll},
    {"getevent", ocCommand, otAll},
    {"testevent", ocCommand, otAll},
    {"geteventc", ocCommand, otOpl5},
    {"alloc", ocCommand, otAll},
    {"freealloc", ocCommand, otAll},
    {"realloc", ocCommand, otAll},
    {"adjustalloc", ocCommand, otAll},
    {"lenalloc", ocCommand, otAll},
    {"usr", ocCommand, otOpl3},
    {"usr$", ocCommand, otOpl3},
    {"call", ocCommand, otOpl3},
    {"os", ocCommand, otOpl3},
    {"odbinfo", ocCommand, otOpl3},
    {"loadlib", ocCommand, otOpl3},
    {"linklib", ocCommand, otOpl3},
    {"unloadlib", ocCommand, otOpl3},
    {"findlib", ocCommand, otOpl3},
    {"getlibh", ocCommand, otOpl3},
    {"newobj", ocCommand, otOpl3},
    {"newobjh", ocCommand, otOpl3},
    {"send", ocCommand, otOpl3},
    {"entersend", ocCommand, otOpl3},
    {"entersend0", ocCommand, otOpl3},
    {"cachetidy", ocCommand, otOpl3},
    {"cachehdr", ocCommand, otOpl3},
    {"cacherec", ocCommand, otOpl3},
    {"iowaitstat32", ocCommand, otOpl5},
    {"setdoc", ocCommand, otOpl5},
    {"getdoc$", ocCommand, otOpl5},
    {"getevent32", ocCommand, otOpl5},
    {"geteventa32", ocCommand, otOpl5},
    {"pointerfilter", ocCommand, otOpl5},
    {"setflags", ocCommand, otOpl5},
    {"clearflags", ocCommand, otOpl5},
    {"sethelp", ocCommand, otNowhere},
    {"sethelpuid", ocCommand, otNowhere},
    {"showhelp", ocCommand, otNowhere},
    {"size", ocCommand, otNowhere},
};

} // namespace

const std::vector<TOplWord> &OplWordTable()
{
    return kOplWords;
}

bool OplDialectHas(TOplTag tag, TDialect dialect)
{
    switch (tag) {
    case otAll:
        return true;
    case otOpl5:
        return dialect == TDialect::Opl5;
    case otOpl3And5:
        return dialect != TDialect::Siena;
    case otOpl3:
        return dialect != TDialect::Siena && dialect != TDialect::Opl5;
    case otSienaAnd3:
        return dialect != TDialect::Opl5;
    case otNowhere:
        return false;
    }
    return false;
}

TKeywordRec OplWordRecord(const TOplWord &word, TDialect dialect)
{
    TKeywordRec rec{};
    rec.Options = kOplKeywordOptions;
    rec.Style = kOplKeywordStyle;
    rec.Context = kOplKeywordContext;
    rec.Cursor = kOplKeywordCursor;
    if (!OplDialectHas(word.Tag, dialect)) {
        rec.Backgnd = kOplAbsentBackgnd;
        rec.Foregnd = kOplAbsentForegnd;
        return rec;
    }
    rec.Backgnd = 0;
    switch (word.Class) {
    case ocProcedure:
        rec.Foregnd = clTeal;
        break;
    case ocStructure:
        rec.Foregnd = 0;
        break;
    case ocCommand:
        rec.Foregnd = clNavy;
        break;
    }
    return rec;
}

std::bitset<256> OplDelimiters()
{
    std::bitset<256> set;
    for (char c : std::string_view("\t ()*+,-./:;<=>^{}"))
        set.set(static_cast<unsigned char>(c));
    return set;
}

std::unique_ptr<TKeywordList> MakeOplKeywords(TDialect dialect)
{
    auto list = std::make_unique<TKeywordList>();
    list->Delimiters = OplDelimiters();
    list->BeginUpdate();
    for (const TOplWord &word : kOplWords) {
        const TKeywordRec rec = OplWordRecord(word, dialect);
        list->AddKeyword(word.Word, rec.Options, rec.Style, rec.Context, rec.Cursor, rec.Backgnd,
                         rec.Foregnd);
    }
    list->EndUpdate();
    return list;
}

} // namespace quenvel
