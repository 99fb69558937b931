#pragma once
// The start-up reminder check and the reminder list of domains due for
// renewal.
#include <memory>

#include "appkit/recordwindows.h"
#include "runtime/ui/procedure.h"

namespace qm::desk {

// Sets flag (the program's RenewalDueFlag) to "Yes" when the domain's
// renewal date lies between today and today + 30 (both included); never
// blanks it.
void CheckRenewalDue(const RecordBuffer& domain, FixedText<20>& flag);

// Runs once per start on a thread of its own, without a window: the title
// window, the control panel when cptog is 1, the reminder list when a domain
// is due and the notes list when a note is a reminder, one after the other.
class StartupReminderCheck : public WindowProcedure {
  Q_OBJECT
 public:
  StartupReminderCheck();

 protected:
  void setup() override;

 private:
  void afterSplash();
  void scanDomains();
  void scanNotes();
};

// The domains due for renewal in the next 30 days.
class Notice : public RecordBrowse {
  Q_OBJECT
 public:
  Notice();
  // Every number runs the renewal report; the list has no update form.
  void runUpdate(int number, int request, ResponseHandler done) override;
  void navigate(Nav nav) override;

  static constexpr const char* OriginalEntry = "SRCFOriginal?Browse:1";
  static constexpr const char* FormatEntry = "SRCF?Browse:1";
  // The list's format as the window definition builds it.
  static std::string builtFormat();

 protected:
  void afterPlacement() override;
  void beforeClose() override;
};

std::unique_ptr<WindowProcedure> makeStartupReminderCheck();
std::unique_ptr<WindowProcedure> makeNotice();

}  // namespace qm::desk
