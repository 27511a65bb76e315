// Program entry: command-line modes first, then the window.
#include "app/cli/Cli.h"

#include <iostream>
#include <string>
#include <vector>

#ifdef QUENVEL_GUI
int RunWindow(int argc, char **argv, const std::vector<std::string> &args);
#endif

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (auto rc = quenvel::RunCommandLine(args, std::cout, std::cerr))
        return *rc;
#ifdef QUENVEL_GUI
    return RunWindow(argc, argv, args);
#else
    std::cerr << "quenvel: this build has no window; see 'quenvel --help'\n";
    return 2;
#endif
}
