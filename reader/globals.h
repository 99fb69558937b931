#pragma once
// The companion program's global data, shared by every thread without locks.
// Its own namespace: the main program's globals of the same names are others.
#include <cstdint>

#include "runtime/values/fsutil.h"
#include "runtime/values/text.h"
#include "webdata/context.h"

namespace qm::reader {

extern FixedText<kPathWidth> HtmlFileName;  // the HTML file being read
extern FixedText<20> WorkFileName;          // name shown for its work copy
extern FixedText<50> domainname;            // "domainname" in filters
extern FixedText<kPathWidth> ReaderLocalDir;
extern FixedText<kPathWidth> ReaderSubDir;
extern FixedText<kPathWidth> SiteAddress;  // "http://www." + domain + "/" + sub-directory
extern FixedText<kPathWidth> ProbeDir;
extern FixedText<1> ReadConfirmed;  // "Y" once a run was confirmed
extern FixedText<100> StatusText;
extern FixedText<20> ProgressCount;
extern int32_t FileCount;
extern double LineCounter;

// What the web page windows the reader shows use of these globals.
const WebContext& readerContext();

// Blanks the texts, zeroes the numbers and the request and response codes,
// and makes "domainname" known to filter expressions.
void initReaderGlobals();

// The running count shown in ProgressCount.
class Progress {
 public:
  void set(long n);
  void advance(long by = 1) { set(n_ + by); }
  long value() const { return n_; }

 private:
  long n_ = 0;
};

}  // namespace qm::reader
