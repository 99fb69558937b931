#pragma once
// The control panel: buttons that start the user's own programs and open the
// notes list.
#include <memory>

#include "runtime/ui/procedure.h"

namespace qm::desk {

class Cpanel2 : public WindowProcedure {
  Q_OBJECT
 public:
  Cpanel2();

 protected:
  bool takeWindowEvent(Event e) override;
  bool takeFieldEvent(Control& c, Event e) override;
  bool takeAccepted(Control& c) override;
  void cleanup() override;

 private:
  void enableCells();
  void runProgram(Control& c);
};

std::unique_ptr<WindowProcedure> makeCpanel2();

}  // namespace qm::desk
