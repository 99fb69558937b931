#pragma once
// Starting outside programs from a command line, without waiting for them.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct CommandParts {
  std::string program;
  std::vector<std::string> arguments;
};

// Splits at blanks; a double-quoted stretch stays one word (quotes removed).
// Trailing blanks give no empty argument.
CommandParts splitCommandLine(std::string_view line);

// The executable to start for program: "X.exe" or X in the current directory or
// beside the running program (resolveExecutable), else a path to an executable
// file, else X on the search path. "" when none.
std::string locateProgram(const std::string& program);

// Starts the command line detached, in the current directory. False when there
// is nothing to start or the start failed; the caller decides whether to say so.
bool startCommandLine(std::string_view line);

// What actually starts a process; tests replace it to record instead.
using ProcessStarter =
    std::function<bool(const std::string& program, const std::vector<std::string>& arguments)>;
// Installs starter (an empty one restores the real start); returns the one before.
ProcessStarter setProcessStarter(ProcessStarter starter);

}  // namespace qm
