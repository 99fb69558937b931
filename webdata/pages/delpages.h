#pragma once
// Deleting a domain's web pages with their detail records, and rebuilding
// the keys of the six web page files.
#include <functional>
#include <memory>
#include <string>

#include "runtime/ui/procedure.h"
#include "runtime/ui/rundisplay.h"
#include "webdata/context.h"

namespace qm::webpages {

// Pages deleted by the last run of DeleteDomainPages.
int deletedPageCount();

// Deletes every page of the domain ctx's domain names with its detail
// records (deleteDomainPages); ctx's status line and running count and the
// count show the progress. redisplay shows them.
void DeleteDomainPages(const WebContext& ctx, const RunShow& redisplay = {});

// "Delete Web Pages By Domain Name".
std::unique_ptr<WindowProcedure> makeDelPages(const WebContext& ctx);
// Rebuilds the keys of WebPages and its five detail files between two messages.
std::unique_ptr<WindowProcedure> makeRebuildWebPageIndexes();

}  // namespace qm::webpages
