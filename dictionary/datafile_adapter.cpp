#include "dictionary/datafile_adapter.h"

#include <array>
#include <memory>

namespace qm {

int ManagedFile::insert() { return error_ = access(id_).tryInsert(); }

// The write-back goes to the store directly: the form asks "Record Update
// Error" itself, so the manager's own message must not come first.
int ManagedFile::update() { return error_ = access(id_).file().put(); }

int ManagedFile::removeCascade() {
  // The relation manager deletes the children in the same transaction.
  int level = relate(id_).deleteRecord(false);
  if (level == 0) return error_ = 0;
  int code = access(id_).file().errorCode();
  return error_ = code ? code : ErrNotAvailable;
}

ManagedFile& managedFile(FileId id) {
  static std::array<std::unique_ptr<ManagedFile>, FileIdCount> files;
  auto& f = files[static_cast<size_t>(id)];
  if (!f) f = std::make_unique<ManagedFile>(id);
  return *f;
}

}  // namespace qm
