#pragma once
// A detail file listed in the order of a key followed by one more field.
// The store orders rows of equal key by their place in the file, so the list
// reads through a read-only connection of its own whose layout carries the
// longer key; the record buffer, the writes and the current record stay the
// file manager's, as the forms and reports called from the list expect.
#include <memory>
#include <string>

#include "dictionary/datafile_adapter.h"
#include "runtime/ui/datafile.h"

namespace qm::details {

class OrderedDetailFile : public DataFile {
 public:
  // key: the dictionary key; thenBy: the field that orders rows of equal key.
  OrderedDetailFile(FileId id, const std::string& key, const std::string& thenBy);
  ~OrderedDetailFile() override;
  OrderedDetailFile(const OrderedDetailFile&) = delete;
  OrderedDetailFile& operator=(const OrderedDetailFile&) = delete;

  std::string name() const override { return managed_.name(); }
  const FileDef& def() const override { return def_; }
  int open() override;
  int close() override;
  bool isOpen() const override { return managed_.isOpen() && reader_->isOpen(); }
  RecordBuffer& buffer() override { return managed_.buffer(); }
  // The list's reader: the browse's view and its highlighted row.
  RecordFile& recordFile() override { return *reader_; }
  int primeRecord(bool keepBuffer = false) override { return managed_.primeRecord(keepBuffer); }
  int insert() override { return managed_.insert(); }
  int update(const RecordBuffer& asRead) override { return managed_.update(asRead); }
  int removeCascade() override { return managed_.removeCascade(); }
  int errorCode() const override { return managed_.errorCode(); }
  std::string errorText() const override { return managed_.errorText(); }

  // Makes the row last loaded from the list the file manager's current
  // record (buffer and position). The store's code.
  int adoptLoaded();

 private:
  ManagedFile& managed_;
  FileDef def_;
  std::unique_ptr<RecordFile> reader_;  // over def_
};

}  // namespace qm::details
