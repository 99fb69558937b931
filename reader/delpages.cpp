#include "reader/delpages.h"

#include "reader/globals.h"
#include "webdata/pages/domaindelete.h"

namespace qm::reader {
namespace {

// The reader's own globals; its counter is the one the reading window shows.
const DomainDeleteSpec& spec() {
  static const DomainDeleteSpec s{&domainname,
                                  &StatusText,
                                  &ProgressCount,
                                  &FileCount,
                                  "?FileCount",
                                  "Enter the complete domain name exactly as you registered it,\n"
                                  "without \"http://www.\" in front of it.\n"
                                  "For the address http://www.example.com\n"
                                  "enter example.com"};
  return s;
}

}  // namespace

void DeleteDomainPages(const RunShow& redisplay) { deleteDomainPages(spec(), redisplay); }

std::unique_ptr<WindowProcedure> makeDelPages() { return makeDomainDeleteWindow(spec()); }

}  // namespace qm::reader
