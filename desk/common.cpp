#include "desk/common.h"

#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/config/settings.h"
#include "runtime/store/store.h"

namespace qm::desk {

bool writeSetting(std::string_view section, std::string_view entry, std::string_view value) {
  IniFile& ini = settings();
  if (ini.write(section, entry, value)) return true;
  ini.reportWriteFailure("The setting " + std::string(entry) + " could not be saved in " +
                         ini.fileName());
  return false;
}

void reportListRead(const std::string& file, int rc) {
  if (rc == 0 || rc == ErrNotAvailable || rc == ErrNotFound) return;
  errors().raise(1, MessageArgs{file, errorTextFor(rc), {}, {}});
}

void takeAll(Window* window) {
  if (!window) return;
  for (auto& c : window->controls()) {
    std::string err;
    if (c->isData()) c->take(&err);
  }
}

}  // namespace qm::desk
