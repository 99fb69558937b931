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
  // Names without a directory: the current directory only.
  return !resolveExecutable("QUILLMARK.EXE", "").empty() && fileExists(findNoCase("", "control.qdf"));
}

void setHaltFunction(HaltFunction f) { halt() = std::move(f); }

bool CompanionCheck() {
  if (companionFilesPresent()) {
    ReadConfirmed = "";
    return true;
  }
  message("Sorry. This program can only be run as part of Quillmark.");
  if (halt()) halt()("Exiting Program.", 0);
  else defaultHalt("Exiting Program.", 0);
  return false;
}

}  // namespace qm::reader
