#include "Cli.h"

#include "Document.h"

#include <ostream>

namespace quenvel {

const char *UsageText()
{
    return "Usage: quenvel [FILE]\n"
           "       quenvel --convert IN OUT\n"
           "       quenvel --highlight=DIALECT FILE\n"
           "       quenvel --check=DIALECT FILE...\n"
           "\n"
           "Edit OPL source for the Psion Siena, Series 3 and Series 5.\n"
           "\n"
           "  FILE                 open FILE in the editor window\n"
           "  --convert IN OUT     open IN as the editor does (Series 5 binary source is\n"
           "                       converted to text) and write it to OUT as plain text,\n"
           "                       or as RTF when OUT ends in .rtf\n"
           "  --highlight=DIALECT  print the highlighted runs of FILE, one per line:\n"
           "                       LINE COL LEN STYLE FG BG\n"
           "  --check=DIALECT      report the words of each FILE that DIALECT lacks;\n"
           "                       exit status 1 when any were found\n"
           "  --help               show this help and exit\n"
           "  --version            show the version and exit\n"
           "\n"
           "DIALECT is one of none, siena, opl3, opl5.\n"
           "Exit status: 0 success, 1 words reported by --check, 2 error.\n";
}

namespace {

int Convert(const std::string &in, const std::string &outPath, std::ostream &err)
{
    try {
        TCodeMemo memo;
        ConfigureEditorLikeMainWindow(memo);
        LoadDocument(memo, in);
        SaveDocument(memo, outPath, HasRtfExtension(outPath));
        return 0;
    } catch (const std::exception &e) {
        err << "quenvel: " << e.what() << "\n";
        return 2;
    }
}

} // namespace

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
    if (a.size() > 1 && a[0] == '-') {
        err << "quenvel: unknown option '" << a << "'\nTry 'quenvel --help'.\n";
        return 2;
    }
    return std::nullopt;
}

} // namespace quenvel
