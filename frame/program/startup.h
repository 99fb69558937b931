#pragma once
// Start-up and shut-down of the main program.
#include <functional>
#include <string>

namespace qm {

// The help file that every window's help topics come from.
std::string helpFileName();
void setHelpFileName(std::string name);

// cptog from section Preserved of the settings file (absent or not a number: 0).
void LoadPreserved();
// cptog back to section Preserved; a failed write is reported to the user.
void SavePreserved();

// Runs start-up, the frame (which returns when it has closed) and shut-down,
// in that order. The Qt application object must exist before the call. A
// fatal error from the reporter runs shut-down once and ends the program.
// Returns the program's exit code.
int runProgram(std::function<void()> frame, std::function<void()> startDictionary,
               std::function<void()> stopDictionary);

}  // namespace qm
