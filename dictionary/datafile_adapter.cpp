#include "dictionary/datafile_adapter.h"

#include <array>
#include <memory>

#include "runtime/config/messages.h"

namespace qm {

int ManagedFile::insert() { return error_ = access(id_).tryInsert(); }

// The write-back goes to the store directly: the form asks "Record Update
// Error" itself, so the manager's own message must not come first.
int ManagedFile::update() { return error_ = access(id_).file().put(); }

namespace {

// Takes the messages of one manager call without showing them: the relation
// manager has no silent delete, and the form asks "Record Delete Error"
// itself.
class Hush : public MessageAnswerer {
 public:
  Hush() : outer_(messageAnswerer()) { setMessageAnswerer(this); }
  ~Hush() override { setMessageAnswerer(outer_); }
  Hush(const Hush&) = delete;
  Hush& operator=(const Hush&) = delete;
  int answer(const MessageRequest& r) override { return r.defaultButton; }

 private:
  MessageAnswerer* outer_;
};

}  // namespace

int ManagedFile::removeCascade() {
  // Not open on this thread: the manager would end the program over it,
  // unseen under the hush.
  if (!access(id_).isOpen()) return error_ = ErrNotOpen;
  // The relation manager deletes the children in the same transaction.
  int level = 0;
  {
    Hush quiet;
    level = relate(id_).deleteRecord(false);
  }
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
