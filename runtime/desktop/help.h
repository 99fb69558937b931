#pragma once
// Help requests: a program's help file, looked up beside the program and in
// the current directory, opened with the desktop's handler for it.
#include <string>

namespace qm {

enum class HelpRequest { Contents, Search, HowToUse };

// The existing help file named fileName, found whatever its letter case beside
// the program, then in the current directory; "" when missing.
std::string findHelpFile(const std::string& fileName);

// Shows the help file for request; when it cannot be shown a message says so
// (through the one message interface). Returns whether it was shown.
bool showHelp(const std::string& fileName, HelpRequest request = HelpRequest::Contents);

}  // namespace qm
