// Set-up tool: creates the control file "Control.qdf" in the current
// directory, as an installation provides it. Neither program creates it, and
// the companion program runs only where it exists.
#include <cstdio>

#include "dictionary/dictionary.h"
#include "runtime/store/store.h"
#include "runtime/values/fsutil.h"

int main() {
  const qm::FileDef& def = qm::fileDef(qm::FileId::Con);
  if (!qm::findNoCase(qm::currentDirectory(), def.diskName).empty()) return 0;  // already there
  qm::RecordFile file(def);
  const int rc = file.open(qm::OpenMode::ReadWriteDenyNone, true, 10, def.ownerPassword);
  if (rc != qm::ErrNone) {
    std::fprintf(stderr, "cannot create %s: %s\n", def.diskName.c_str(), file.errorText().c_str());
    return 1;
  }
  file.close();
  return 0;
}
