#pragma once
// Deleting one domain's web pages with their detail records.
#include <functional>
#include <memory>

#include "runtime/ui/procedure.h"
#include "runtime/ui/rundisplay.h"

namespace qm::reader {

// Deletes every WebPages record of domainname with its link, script, form,
// image and meta tag records (deleteDomainPages), counting the pages in
// FileCount. redisplay, when given, shows the progress and may stop the
// run after a page.
void DeleteDomainPages(const RunShow& redisplay = {});

// "Delete Web Pages By Domain Name".
std::unique_ptr<WindowProcedure> makeDelPages();

}  // namespace qm::reader
