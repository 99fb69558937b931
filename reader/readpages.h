#pragma once
// The reading window and the batch read of a domain's pages.
#include <functional>
#include <memory>

#include "runtime/ui/procedure.h"
#include "runtime/ui/rundisplay.h"

namespace qm::reader {

// Reads every "*.htm" page of ReaderLocalDir (plus ReaderSubDir) into the web
// page files, on the calling thread. redisplay, when given, shows the
// globals' progress and may stop the run after a page.
void ReadAllPages(const RunShow& redisplay = {});

// "Read Multiple Web Pages".
std::unique_ptr<WindowProcedure> makeReadPages();

}  // namespace qm::reader
