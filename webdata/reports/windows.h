#pragma once
// The small windows that take a domain (and a directory) and start a run on
// a thread of its own each time their run button is pressed.
#include <memory>
#include <string>

#include "runtime/ui/procedure.h"
#include "runtime/ui/windowdef.h"
#include "webdata/context.h"

namespace qm::webreports {

struct StarterSpec {
  WindowDef window;
  bool updatesPages = false;  // opens WebPages as the file it updates
  std::string starts;         // the procedure its OK control starts
  std::string mustFill;       // an entry that may not be blank ("" none) ...
  std::string mustFillText;   // ... and the message that says so
  int stackSize = 25000;
};

// "Print Images", "Change Local Path Name in ALL Web Pages By Domain",
// "Change  ALL Web Pages By Domain to Currently Use".
const StarterSpec& starterSpec(const std::string& procedure);

class StarterWindow : public WindowProcedure {
  Q_OBJECT
 public:
  StarterWindow(std::string name, const StarterSpec& spec, const WebContext& ctx);
  // Thread of the last run started (0 before any).
  int lastStarted() const { return lastStarted_; }

 protected:
  bool takeAccepted(Control& c) override;

 private:
  const StarterSpec& spec_;
  int lastStarted_ = 0;
};

}  // namespace qm::webreports
