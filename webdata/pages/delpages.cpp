#include "webdata/pages/delpages.h"

#include "dictionary/dictionary.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "webdata/pages/domaindelete.h"

namespace qm::webpages {

namespace {

// The six files in the order the rebuild closes and rebuilds them.
const FileId kRebuildOrder[] = {FileId::WebPages, FileId::WPIMG,  FileId::WPScripts,
                                FileId::WPMeta,   FileId::WPForm, FileId::WPLinks};

int32_t deleted = 0;

DomainDeleteSpec spec(const WebContext& ctx) {
  return {ctx.domain, ctx.status, ctx.progress, &deleted, "?Count", ""};
}

// Opens a file's store without creating it (a missing file has no keys to
// rebuild) and rebuilds its keys; the outcome is the caller's to ignore.
int rebuildQuietly(FileId id) {
  FileManager& m = access(id);
  RecordFile& f = m.file();
  if (f.isOpen()) return f.rebuildKeys();
  int rc = f.open(m.openMode(), false, m.lockRecovery(), m.def().ownerPassword);
  if (rc == 0) {
    rc = f.rebuildKeys();
    f.close();
  }
  return rc;
}

}  // namespace

int deletedPageCount() { return deleted; }

void DeleteDomainPages(const WebContext& ctx, const RunShow& redisplay) {
  deleteDomainPages(spec(ctx), redisplay);
}

namespace {

class RebuildWebPageIndexes : public WindowProcedure {
 public:
  RebuildWebPageIndexes() : WindowProcedure("RebuildWebPageIndexes") {}

 protected:
  void setup() override {
    message(
        "This will rebuild indexes for the following files: |Web Pages|Meta "
        "Tags|Scripts|Images|Links|Forms|Press "
        "OK To Start");
    for (FileId id : kRebuildOrder)
      if (access(id).isOpen()) access(id).close();
    // A rebuild that fails passes without a message.
    for (FileId id : kRebuildOrder) rebuildQuietly(id);
    message("Thanks for Waiting.|Press OK to Continue", "Finished");
    close(RequestCompleted);
  }
};

}  // namespace

std::unique_ptr<WindowProcedure> makeDelPages(const WebContext& ctx) {
  return makeDomainDeleteWindow(spec(ctx));
}
std::unique_ptr<WindowProcedure> makeRebuildWebPageIndexes() {
  return std::make_unique<RebuildWebPageIndexes>();
}

}  // namespace qm::webpages
