#include "frame/program/startup.h"

#include <charconv>

#include "frame/program/globals.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/config/settings.h"

namespace qm {

namespace {
std::string g_helpFile;
}

std::string helpFileName() { return g_helpFile; }
void setHelpFileName(std::string name) { g_helpFile = std::move(name); }

void LoadPreserved() {
  std::string text = settings().read("Preserved", "cptog", "");
  int16_t value = 0;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  cptog = (ec == std::errc() && p == text.data() + text.size()) ? value : 0;
}

void SavePreserved() {
  if (!settings().write("Preserved", "cptog", std::to_string(cptog)))
    settings().reportWriteFailure("The setting could not be saved");
}

int runProgram(std::function<void()> frame, std::function<void()> startDictionary,
               std::function<void()> stopDictionary) {
  bool dictionaryStarted = false;
  bool shutDown = false;
  auto shutdown = [&] {
    if (shutDown) return;
    shutDown = true;
    SavePreserved();
    // The settings object holds nothing open between calls; releasing it is a no-op.
    if (dictionaryStarted && stopDictionary) stopDictionary();
  };
  // The reporter is released last; the handler refers to this call's state.
  auto release = [] { errors().setFatalHandler(nullptr); };

  initGlobals();
  // The runtime (the Qt application object) is started by the caller.
  setHelpFileName("QUILLMARK.HLP");
  errors().setFatalHandler(shutdown);
  setSettingsFileName("quillmark.INI");
  LoadPreserved();
  try {
    dictionaryStarted = true;
    if (startDictionary) startDictionary();
    if (frame) frame();
  } catch (...) {
    shutdown();
    release();
    throw;
  }
  shutdown();
  release();
  return 0;
}

}  // namespace qm
