#include "Cli.h"

#include "app/document/Document.h"

#include "editor/HighlightRuns.h"
#include "opl/OplKeywords.h"
#include "opl/OplSetup.h"
#include "opl/OplSyntax.h"
#include "app/document/Settings.h"
#include "opl/ProcScanner.h"

#include <cstdio>
#include <ostream>
#include <sys/stat.h>

namespace quenvel {

const char *UsageText()
{
    return "Usage: quenvel [FILE | FILE:LINE]\n"
           "       quenvel --convert IN OUT\n"
           "       quenvel --highlight=DIALECT FILE\n"
           "       quenvel --check=DIALECT FILE...\n"
           "       quenvel --procs FILE\n"
           "       quenvel --syntax=DIALECT FILE... [--include DIR]\n"
           "\n"
           "Edit OPL source for the Psion Siena, Series 3 and Series 5.\n"
           "\n"
           "  FILE                 open FILE in the editor window\n"
           "  FILE:LINE            open FILE with the caret at the start of LINE\n"
           "                       (1-based, as --check prints it)\n"
           "  --convert IN OUT     open IN as the editor does (Series 5 binary source is\n"
           "                       converted to text) and write it to OUT as plain text,\n"
           "                       or as RTF when OUT ends in .rtf\n"
           "  --highlight=DIALECT  print the highlighted runs of FILE, one per line:\n"
           "                       LINE COL LEN STYLE FG BG\n"
           "  --check=DIALECT      report the words of each FILE that DIALECT lacks;\n"
           "                       exit status 1 when any were found\n"
           "  --syntax=DIALECT     read each FILE as the DIALECT's translator does and\n"
           "                       report every error: FILE:LINE:COL: error: MESSAGE;\n"
           "                       an include file not found is a warning\n"
           "  --include DIR        with --syntax: look for INCLUDE files in DIR too (after\n"
           "                       the file's own folder and [Setup] IncludePath)\n"
           "  --procs FILE         print the procedures of FILE, one per line:\n"
           "                       LINE, tab, header text, tab, comment\n"
           "  --help               show this help and exit\n"
           "  --version            show the version and exit\n"
           "\n"
           "DIALECT is one of none, siena, opl3, opl5 (--syntax: siena, opl3, opl5).\n"
           "Settings: quenvel.ini beside the program when its folder is writable,\n"
           "otherwise $XDG_CONFIG_HOME/quenvel/quenvel.ini (~/.config/quenvel/).\n"
           "Exit status: 0 success, 1 words reported by --check or errors by --syntax,\n"
           "2 error.\n";
}

namespace {

// True when the path's extension is ".rtf" in any case.
bool HasRtfExtension(const std::string &path)
{
    const std::string base = TDocument::BaseName(path);
    const auto dot = base.find_last_of('.');
    if (dot == std::string::npos)
        return false;
    std::string ext = base.substr(dot);
    for (auto &c : ext)
        c = static_cast<char>(UpperAscii(static_cast<uint8_t>(c)));
    return ext == ".RTF";
}

int Convert(const std::string &in, const std::string &outPath, std::ostream &err)
{
    try {
        TDocument doc;
        doc.LoadFile(in);
        // A file cut at a NUL byte is not converted: the output would silently lack the
        // rest of it (a binary file, or text in UTF-16).
        if (doc.CutAtNul()) {
            err << "quenvel: " << doc.LoadWarning() << "\nquenvel: nothing was written to " << outPath << "\n";
            return 2;
        }
        doc.WriteTo(outPath, HasRtfExtension(outPath));
        if (doc.ReplacedByteFive())
            err << "quenvel: warning: " << doc.LoadWarning() << "\n";
        return 0;
    } catch (const std::exception &e) {
        err << "quenvel: " << e.what() << "\n";
        return 2;
    }
}

std::string Hex6(TColor c)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "%06x", static_cast<unsigned>(c) & 0xFFFFFFu);
    return buf;
}

// Opens a file as the window would show it under a dialect: loaded, then every
// paragraph keyword-parsed as laying it out does.
void OpenHighlighted(TDocument &doc, const std::string &path, TDialect dialect)
{
    doc.SetDialect(dialect, false);
    doc.LoadFile(path);
    doc.Memo().ParseAllKeywords();
}


// The dialect named on the command line; none (reported) when there is no such dialect.
std::optional<TDialect> ParseDialect(const std::string &name, std::ostream &err)
{
    const std::optional<TDialect> dialect = DialectFromCliName(name);
    if (!dialect)
        err << "quenvel: unknown dialect '" << name << "' (use none, siena, opl3 or opl5)\n";
    return dialect;
}

int Highlight(const std::string &dialectName, const std::vector<std::string> &files, std::ostream &out,
              std::ostream &err)
{
    const std::optional<TDialect> dialect = ParseDialect(dialectName, err);
    if (!dialect)
        return 2;
    if (files.size() != 1) {
        err << "quenvel: --highlight needs one file\n";
        return 2;
    }
    try {
        TDocument doc;
        OpenHighlighted(doc, files[0], *dialect);
        TCodeMemo &memo = doc.Memo();
        std::string buf;
        // one run at a time: a large file has millions of them
        ForEachHighlightRun(memo, [&](const THighlightRun &r) {
            buf += std::to_string(r.Par + 1) + " " + std::to_string(r.Col) + " " + std::to_string(r.Len) + " " +
                   std::to_string(r.Style.StyleBits & 63) + " " + Hex6(r.Style.Foregnd) + " " +
                   Hex6(r.Style.Backgnd) + "\n";
            if (buf.size() > 65536) {
                out << buf;
                buf.clear();
            }
        });
        out << buf;
        return 0;
    } catch (const std::exception &e) {
        err << "quenvel: " << e.what() << "\n";
        return 2;
    }
}

int Check(const std::string &dialectName, const std::vector<std::string> &files, std::ostream &out,
          std::ostream &err)
{
    const std::optional<TDialect> dialect = ParseDialect(dialectName, err);
    if (!dialect)
        return 2;
    if (files.empty()) {
        err << "quenvel: --check needs at least one file\n";
        return 2;
    }
    bool reported = false, failed = false;
    for (const std::string &file : files) {
        try {
            TDocument doc;
            OpenHighlighted(doc, file, *dialect);
            TCodeMemo &memo = doc.Memo();
            ForEachHighlightRun(memo, [&](const THighlightRun &r) {
                if (r.Style.StartLen != 0 || r.Style.StopLen != 0 || r.Style.Foregnd != kOplAbsentForegnd ||
                    r.Style.Backgnd != kOplAbsentBackgnd)
                    return;
                std::string word = memo.ParagraphText(r.Par).substr(static_cast<size_t>(r.Col),
                                                                     static_cast<size_t>(r.Len));
                out << file << ":" << r.Par + 1 << ":" << r.Col + 1 << ": warning: '" << word
                    << "' is not available in " << DialectName(*dialect) << "\n";
                reported = true;
            });
        } catch (const std::exception &e) {
            err << "quenvel: " << e.what() << "\n";
            failed = true;
        }
    }
    return failed ? 2 : reported ? 1 : 0;
}

// Every error of each file as its dialect's translator would find it.
int Syntax(const std::string &dialectName, const std::vector<std::string> &args, std::ostream &out,
           std::ostream &err)
{
    const std::optional<TDialect> dialect = DialectFromCliName(dialectName);
    if (!dialect || *dialect == TDialect::None) {
        err << "quenvel: --syntax needs a dialect: siena, opl3 or opl5\n";
        return 2;
    }
    TOplCheckOptions options;
    options.Dialect = *dialect;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--include") {
            if (i + 1 == args.size()) {
                err << "quenvel: --include needs a folder\n";
                return 2;
            }
            options.IncludeDirs.push_back(args[++i]);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.empty()) {
        err << "quenvel: --syntax needs at least one file\n";
        return 2;
    }
    TProfile profile;
    profile.Load(SettingsPathForThisProgram());
    const auto fromSettings = SplitIncludePath(profile.ReadString("Setup", "IncludePath", ""));
    options.IncludeDirs.insert(options.IncludeDirs.begin(), fromSettings.begin(), fromSettings.end());
    bool errors = false, failed = false;
    for (const std::string &file : files) {
        std::string text;
        if (!ReadOplSourceFile(file, text)) {
            err << "quenvel: cannot read " << file << "\n";
            failed = true;
            continue;
        }
        options.Path = file;
        std::string buf;
        for (const TOplDiagnostic &d : CheckOplProgram(text, options).Diagnostics) {
            buf += (d.File.empty() ? file : d.File) + ":" + std::to_string(d.Line) + ":" + std::to_string(d.Col) +
                   (d.Warning ? ": warning: " : ": error: ") + d.Message + "\n";
            errors = errors || !d.Warning;
        }
        out << buf;
    }
    return failed ? 2 : errors ? 1 : 0;
}

// One line per procedure: its 1-based line, the header after "PROC ", and the comment of
// a REM line right below it, separated by TABs; the bytes as they stand in the file.
int Procs(const std::vector<std::string> &files, std::ostream &out, std::ostream &err)
{
    if (files.size() != 1) {
        err << "quenvel: --procs needs one file\n";
        return 2;
    }
    try {
        TDocument doc;
        doc.LoadFile(files[0]);
        std::string buf;
        for (const TProcEntry &e : ScanProcedures(doc.Memo()))
            buf += std::to_string(e.Line) + '\t' + e.Text + '\t' + e.Comment + '\n';
        out << buf;
        return 0;
    } catch (const std::exception &e) {
        err << "quenvel: " << e.what() << "\n";
        return 2;
    }
}

} // namespace

std::pair<std::string, int> FileAndLine(const std::string &arg)
{
    struct stat st{};
    if (::stat(arg.c_str(), &st) == 0)
        return {arg, 0};
    std::string rest = arg;
    // FILE:LINE:COL reads as FILE:LINE
    for (int parts = 0; parts < 2; ++parts) {
        const auto colon = rest.find_last_of(':');
        if (colon == std::string::npos || colon == 0 || colon + 1 == rest.size())
            return {arg, 0};
        const std::string digits = rest.substr(colon + 1);
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
            return {arg, 0};
        const std::string file = rest.substr(0, colon);
        if (::stat(file.c_str(), &st) == 0) {
            if (parts == 0)
                return {file, std::stoi(digits)};
            // FILE:LINE:COL: the line is the part before the column
            const std::string line = arg.substr(colon + 1, arg.find(':', colon + 1) - colon - 1);
            return {file, std::stoi(line)};
        }
        rest = file;
    }
    return {arg, 0};
}

std::optional<int> RunCommandLine(const std::vector<std::string> &args, std::ostream &out,
                                  std::ostream &err)
{
    if (args.empty())
        return std::nullopt;
    const std::string &a = args[0];
    if (a == "--help" || a == "-h") {
        out << UsageText();
        return 0;
    }
    if (a == "--version") {
        out << "quenvel " << QUENVEL_VERSION << "\n";
        return 0;
    }
    if (a == "--convert") {
        if (args.size() != 3) {
            err << "quenvel: --convert needs two file names: IN OUT\n";
            return 2;
        }
        return Convert(args[1], args[2], err);
    }
    if (a.rfind("--highlight=", 0) == 0)
        return Highlight(a.substr(12), {args.begin() + 1, args.end()}, out, err);
    if (a.rfind("--check=", 0) == 0)
        return Check(a.substr(8), {args.begin() + 1, args.end()}, out, err);
    if (a.rfind("--syntax=", 0) == 0)
        return Syntax(a.substr(9), {args.begin() + 1, args.end()}, out, err);
    if (a == "--procs")
        return Procs({args.begin() + 1, args.end()}, out, err);
    if (a.size() > 1 && a[0] == '-') {
        err << "quenvel: unknown option '" << a << "'\nTry 'quenvel --help'.\n";
        return 2;
    }
    return std::nullopt;
}

} // namespace quenvel
