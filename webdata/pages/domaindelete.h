#pragma once
// Deleting one domain's web pages with their detail records: the run and
// its window, shared by both programs. What differs between them (their
// globals, the window's counter and hint) comes in as data.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "runtime/ui/procedure.h"
#include "runtime/ui/rundisplay.h"
#include "runtime/values/text.h"

namespace qm {

struct DomainDeleteSpec {
  FixedText<50>* domain;     // the domain typed in
  FixedText<100>* status;    // the status line
  FixedText<20>* progress;   // the running count of records gone through
  int32_t* count;            // pages deleted by the run
  std::string countId;       // the counter's control
  std::string domainStatus;  // the entry's status-bar message, "" none
};

// Deletes every page of the domain (its key: any letter case, trailing
// blanks ignored) with its link, script, form, image and meta tag records,
// in six passes, a batch of pages per commit; each page goes whole. A blank
// domain deletes nothing. The status line ends with how many pages went.
void deleteDomainPages(const DomainDeleteSpec& spec, const RunShow& redisplay = {});

// "Delete Web Pages By Domain Name".
std::unique_ptr<WindowProcedure> makeDomainDeleteWindow(const DomainDeleteSpec& spec);

}  // namespace qm
