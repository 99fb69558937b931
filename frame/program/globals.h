#pragma once
// The main program's global data, shared by every thread without locks.
#include <cstdint>
#include <string>
#include <string_view>

#include "desk/context.h"
#include "runtime/config/requests.h"
#include "runtime/values/text.h"
#include "webdata/context.h"

namespace qm {

extern FixedText<kPathWidth> HtmlFileName;  // name of line file DOS
extern FixedText<20> WorkFileName;          // name of line file DOS1
extern FixedText<128> StartDirectory;
extern FixedText<1> NoteReminderDue;  // "ding" in filters
extern FixedText<kPathWidth> ImagePath;
extern FixedText<1> CpanelOpen;
extern FixedText<100> StatusText;
extern FixedText<20> ProgressCount;
extern FixedText<20> RenewalDueFlag;
extern FixedText<50> domainname;  // "domainname" in filters
extern FixedText<kPathWidth> NewLocalDir;

constexpr std::size_t QueryFilterMax = 1999;
extern std::string QueryFilter;
// Stores text as QueryFilter. A longer text than QueryFilter can hold is
// refused: QueryFilter becomes empty and the result is false, since a cut
// expression would select other records than the user asked for.
bool setQueryFilter(std::string_view text);

extern int16_t cptog;

extern ControlPanelGlobals controlPanel;

// What the web page windows and the desk's windows use of these globals,
// handed to them when they register.
const WebContext& mainWebContext();
const DeskContext& mainDeskContext();

// Sets every global to its start value and makes "domainname" and "ding"
// known to filter expressions.
void initGlobals();

}  // namespace qm
