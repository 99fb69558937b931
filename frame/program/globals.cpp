#include "frame/program/globals.h"

#include "runtime/config/filter.h"

namespace qm {

FixedText<kPathWidth> HtmlFileName;
FixedText<20> WorkFileName;
FixedText<128> StartDirectory;
FixedText<1> NoteReminderDue;
FixedText<kPathWidth> ImagePath;
FixedText<1> CpanelOpen;
FixedText<100> StatusText;
FixedText<20> ProgressCount;
FixedText<20> RenewalDueFlag;
FixedText<50> domainname;
FixedText<kPathWidth> NewLocalDir;
std::string QueryFilter;
int16_t cptog = 0;
ControlPanelGlobals controlPanel;

bool setQueryFilter(std::string_view text) {
  if (text.size() > QueryFilterMax) {
    QueryFilter.clear();
    return false;
  }
  QueryFilter.assign(text);
  return true;
}

const WebContext& mainWebContext() {
  static const WebContext c{&HtmlFileName,  &WorkFileName,      &domainname,        &StatusText,
                            &ProgressCount, &ImagePath,         &NewLocalDir,       &QueryFilter,
                            setQueryFilter, &controlPanel.html, &controlPanel.txted};
  return c;
}

const DeskContext& mainDeskContext() {
  static const DeskContext c{&controlPanel,    &CpanelOpen,     &StartDirectory,
                             &NoteReminderDue, &RenewalDueFlag, &cptog};
  return c;
}

void initGlobals() {
  HtmlFileName = "";
  WorkFileName = "";
  StartDirectory = "";
  NoteReminderDue = "";
  ImagePath = "";
  CpanelOpen = "";
  StatusText = "";
  ProgressCount = "";
  RenewalDueFlag = "";
  domainname = "";
  NewLocalDir = "";
  QueryFilter.clear();
  cptog = 0;
  controlPanel = ControlPanelGlobals{};
  RequestCode = 0;
  ResponseCode = 0;
  NavigationRequest = 0;

  boundNames().bind("domainname",
                    [] { return FilterValue::ofText(std::string(domainname.view())); });
  boundNames().bind("ding",
                    [] { return FilterValue::ofText(std::string(NoteReminderDue.view())); });
}

}  // namespace qm
