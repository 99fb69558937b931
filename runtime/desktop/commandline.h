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

// Starts the command line detached, in the current directory, with no shell.
// The line is split once (splitCommandLine); when its first word names no
// program, the longer runs of unquoted words are tried, so an unquoted
// program path with blanks starts. False when there is nothing to start or
// the start failed; a failed start (no such program, or the system refused
// it) is shown as a message naming the program and why.
bool startCommandLine(std::string_view line);
// The same, with path added as exactly one more argument, never split (one
// beginning with "-" goes as "./-..." so that no program takes it for an
// option).
bool startCommandLineWith(std::string_view line, const std::string& path);

// What actually starts a process; tests replace it to record instead.
using ProcessStarter =
    std::function<bool(const std::string& program, const std::vector<std::string>& arguments)>;
// Installs starter (an empty one restores the real start); returns the one before.
ProcessStarter setProcessStarter(ProcessStarter starter);

}  // namespace qm
