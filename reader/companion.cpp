#include "reader/companion.h"

#include <cstdio>
#include <cstdlib>

#include "reader/globals.h"
#include "runtime/config/messages.h"
#include "runtime/values/fsutil.h"

namespace qm::reader {
namespace {

HaltFunction& halt() {
  static HaltFunction h;
  return h;
}

void defaultHalt(const std::string& text, int level) {
  std::fprintf(stderr, "%s\n", text.c_str());
  std::exit(level);
}

}  // namespace

bool companionFilesPresent() {
  // The control file in the current directory; the main program there or, as
  // the two are installed side by side, beside this one.
  return !resolveExecutable("QUILLMARK.EXE", programDirectory()).empty() &&
         fileExists(findNoCase("", "control.qdf"));
}

void setHaltFunction(HaltFunction f) { halt() = std::move(f); }

bool CompanionCheck() {
  if (companionFilesPresent()) {
    ReadConfirmed = "";
    return true;
  }
  message("Sorry. This program can only be run as part of Quillmark.");
  if (halt())
    halt()("Exiting Program.", 0);
  else
    defaultHalt("Exiting Program.", 0);
  return false;
}

}  // namespace qm::reader
