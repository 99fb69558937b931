#pragma once
// Key rebuilds of the domain, host and registrar files: procedures without a
// window that the frame calls on its own thread.
#include <memory>
#include <string>

#include "dictionary/dictionary.h"
#include "runtime/ui/procedure.h"

namespace qm::records {

// Rebuilds every key of the file on the calling thread and checks it. A
// failure shows "Key was not built" naming the file and the error (and ends
// nothing). Returns the store's code.
int rebuildFileKeys(FileId id);

class RebuildKeys : public WindowProcedure {
  Q_OBJECT
 public:
  RebuildKeys(std::string name, FileId file);

 protected:
  void setup() override;

 private:
  FileId file_;
};

std::unique_ptr<WindowProcedure> makeRebuildDomainsKeys();
std::unique_ptr<WindowProcedure> makeRebuildHostsKeys();
std::unique_ptr<WindowProcedure> makeRebuildRegistrarsKeys();

}  // namespace qm::records
