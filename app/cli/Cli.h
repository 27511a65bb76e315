// Command-line modes that run without a display.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quenvel {

// Runs a command-line mode when the arguments ask for one and returns its exit
// status; returns nothing when the arguments are for the window.
std::optional<int> RunCommandLine(const std::vector<std::string> &args, std::ostream &out,
                                  std::ostream &err);

const char *UsageText();

// The file and line a window argument names: "FILE:LINE" (the form --check prints, also
// "FILE:LINE:COL") opens FILE on LINE when FILE exists and the argument itself does not;
// any other argument is a file name, with line 0.
std::pair<std::string, int> FileAndLine(const std::string &arg);

} // namespace quenvel
