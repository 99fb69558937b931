#pragma once
// What the reminders, notes and control panel use of the program that
// registers them: its globals, handed over with the registration.
#include <cstdint>

#include "runtime/values/text.h"

namespace qm {

// The programs of settings section cpanel, one member per entry key.
struct ControlPanelGlobals {
  FixedText<120> html;
  FixedText<100> grphx;
  FixedText<100> brwsr;
  FixedText<100> txted;
  FixedText<100> usr1;
  FixedText<100> usr2;
  FixedText<100> fftp;
  FixedText<10> ubut1;
  FixedText<10> ubut2;
  FixedText<10> ubut3;
  FixedText<20> ubut4;
  FixedText<100> usr3;
  FixedText<100> usr4;
  FixedText<100> mail;
};

struct DeskContext {
  ControlPanelGlobals* controlPanel = nullptr;
  FixedText<1>* cpanelOpen = nullptr;  // "Y" while the launch window is open
  FixedText<128>* startDirectory = nullptr;
  FixedText<1>* noteReminderDue = nullptr;  // "ding" in filters
  FixedText<20>* renewalDueFlag = nullptr;
  int16_t* cptog = nullptr;  // 1: the control panel opens at start-up
};

namespace desk {
// The context of the last registration; the desk's windows run in one
// program only.
const DeskContext& context();
void setContext(const DeskContext& c);
inline ControlPanelGlobals& panelPrograms() { return *context().controlPanel; }
}  // namespace desk

}  // namespace qm
