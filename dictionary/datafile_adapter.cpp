#include "dictionary/datafile_adapter.h"

#include <array>
#include <memory>

namespace qm {

int ManagedFile::insert() { return error_ = access(id_).tryInsert(); }

// The write-back goes to the store directly: the form asks "Record Update
// Error" itself, so the manager's own message must not come first.
int ManagedFile::update(const RecordBuffer& asRead) {
  return error_ = access(id_).file().putIfUnchanged(asRead);
}

// The relation manager deletes the children in the same transaction; the
// form asks "Record Delete Error" itself, so no message here.
int ManagedFile::removeCascade() { return error_ = relate(id_).tryDeleteRecord(); }

ManagedFile& managedFile(FileId id) {
  static std::array<std::unique_ptr<ManagedFile>, FileIdCount> files;
  auto& f = files[static_cast<size_t>(id)];
  if (!f) f = std::make_unique<ManagedFile>(id);
  return *f;
}

}  // namespace qm
