#include "reader/globals.h"

#include <string>

#include "runtime/config/filter.h"
#include "runtime/config/requests.h"

namespace qm::reader {

FixedText<kPathWidth> HtmlFileName;
FixedText<20> WorkFileName;
FixedText<50> domainname;
FixedText<kPathWidth> ReaderLocalDir;
FixedText<kPathWidth> ReaderSubDir;
FixedText<kPathWidth> SiteAddress;
FixedText<kPathWidth> ProbeDir;
FixedText<1> ReadConfirmed;
FixedText<100> StatusText;
FixedText<20> ProgressCount;
int32_t FileCount = 0;
double LineCounter = 0;

const WebContext& readerContext() {
  static const WebContext c{&HtmlFileName, &WorkFileName, &domainname, &StatusText, &ProgressCount};
  return c;
}

void initReaderGlobals() {
  HtmlFileName = "";
  ProbeDir = "";
  ReaderLocalDir = "";
  SiteAddress = "";
  WorkFileName = "";
  domainname = "";
  ReaderSubDir = "";
  ReadConfirmed = "";
  StatusText = "";
  ProgressCount = "";
  FileCount = 0;
  LineCounter = 0;
  RequestCode = 0;
  ResponseCode = 0;
  boundNames().bind("domainname", [] { return FilterValue::ofText(domainname.str()); });
}

void Progress::set(long n) {
  n_ = n;
  ProgressCount = std::to_string(n_);
}

}  // namespace qm::reader
