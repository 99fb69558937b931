#include "records/rebuild.h"

#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"

namespace qm::records {

namespace {

// The reporter's entry is fatal; a failed rebuild must not end the program.
void tellNotBuilt(FileManager& m, int code) {
  MessageArgs args{.file = m.name(), .errorText = errorTextFor(code)};
  message(errors().text(26, args), errors().title(26, args), MsgIcon::Exclamation);
}

}  // namespace

int rebuildFileKeys(FileId id) {
  FileManager& m = access(id);
  RecordFile& f = m.file();
  // Opened here without the manager: its open failure would end the program.
  const bool opened = !f.isOpen();
  if (opened) {
    int rc = f.open(m.openMode(), m.createFlag(), m.lockRecovery(), m.def().ownerPassword);
    if (rc != 0) {
      tellNotBuilt(m, rc);
      return rc;
    }
  }
  int rc = f.rebuildKeys();
  if (rc != 0) tellNotBuilt(m, rc);
  if (opened) f.close();
  return rc;
}

RebuildKeys::RebuildKeys(std::string name, FileId file)
    : WindowProcedure(std::move(name)), file_(file) {}

void RebuildKeys::setup() {
  rebuildFileKeys(file_);
  close(RequestCompleted);
}

std::unique_ptr<WindowProcedure> makeRebuildDomainsKeys() {
  return std::make_unique<RebuildKeys>("RebuildDomainsKeys", FileId::Domains);
}
std::unique_ptr<WindowProcedure> makeRebuildHostsKeys() {
  return std::make_unique<RebuildKeys>("RebuildHostsKeys", FileId::Hosts);
}
std::unique_ptr<WindowProcedure> makeRebuildRegistrarsKeys() {
  return std::make_unique<RebuildKeys>("RebuildRegistrarsKeys", FileId::Registrars);
}

}  // namespace qm::records
