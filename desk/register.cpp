#include "desk/register.h"

#include "desk/cpanel.h"
#include "desk/cpsetup.h"
#include "desk/notes.h"
#include "desk/notesreport.h"
#include "desk/reminders.h"

namespace qm {

void registerDeskProcedures(const ProcedureRegistrar& reg, const DeskContext& ctx) {
  using namespace desk;
  setContext(ctx);
  struct Entry {
    const char* name;
    int stack;
    ProcedureFactory factory;
  };
  const Entry entries[] = {
      {"StartupReminderCheck", 0, makeStartupReminderCheck},
      {"notice", 25000, makeNotice},
      {"BrowseNotes", 25000, makeBrowseNotes},
      {"Updatednotes", 0, makeUpdatednotes},
      {"printnote", 0, makePrintnote},
      {"cpanel2", 25000, makeCpanel2},
      {"ConfigureControlPanel", 25000, makeConfigureControlPanel},
      {"browsecpanel", 0, makeBrowsecpanel},
      {"controlpanel", 0, makeControlpanel},
      {"closit", 0, makeClosit},
      {"cpwarn", 0, makeCpwarn},
  };
  for (const Entry& e : entries) reg(e.name, e.stack, e.factory);
}

}  // namespace qm
