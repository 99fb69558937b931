#pragma once
// The reader runs only in the main program's directory.
#include <functional>
#include <string>

namespace qm::reader {

// True when the current directory holds "QUILLMARK.EXE" (or the main
// program's executable) and "control.qdf", in any letter case.
bool companionFilesPresent();

// What halting does: by default writes the exit text and ends the process
// with the level. Tests replace it; an empty function restores the default.
using HaltFunction = std::function<void(const std::string& text, int level)>;
void setHaltFunction(HaltFunction f);

// Checks; when the files are missing, says so and halts ("Exiting Program.",
// level 0). Returns whether the program may go on (false only where the
// halt function returns).
bool CompanionCheck();

}  // namespace qm::reader
