#pragma once
// The reading window and the batch read of a domain's pages.
#include <functional>
#include <memory>

#include "runtime/ui/procedure.h"

namespace qm::reader {

// Reads every "*.htm" page of ReaderLocalDir (plus ReaderSubDir) into the web
// page files, on the calling thread. redisplay, when given, shows the
// globals' progress.
void ReadAllPages(const std::function<void()>& redisplay = {});

// "Read Multiple Web Pages".
std::unique_ptr<WindowProcedure> makeReadPages();

}  // namespace qm::reader
