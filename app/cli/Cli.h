// Command-line modes that run without a display.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace quenvel {

// Runs a command-line mode when the arguments ask for one and returns its exit
// status; returns nothing when the arguments are for the window.
std::optional<int> RunCommandLine(const std::vector<std::string> &args, std::ostream &out,
                                  std::ostream &err);

const char *UsageText();

} // namespace quenvel
