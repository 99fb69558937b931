#pragma once
// The window patterns' DataFile over a file's managers.
#include "dictionary/dictionary.h"
#include "runtime/ui/datafile.h"

namespace qm {

class ManagedFile : public DataFile {
 public:
  explicit ManagedFile(FileId id) : id_(id) {}

  std::string name() const override { return access(id_).name(); }
  const FileDef& def() const override { return access(id_).def(); }
  int open() override { return relate(id_).open(); }
  int close() override { return relate(id_).close(); }
  bool isOpen() const override { return access(id_).isOpen(); }
  RecordBuffer& buffer() override { return access(id_).buffer(); }
  RecordFile& recordFile() override { return access(id_).file(); }
  int primeRecord(bool keepBuffer = false) override { return access(id_).primeRecord(keepBuffer); }
  int insert() override;
  int update(const RecordBuffer& asRead) override;
  int removeCascade() override;
  int errorCode() const override { return error_; }
  std::string errorText() const override { return errorTextFor(error_); }

 private:
  FileId id_;
  int error_ = 0;
};

// One adapter per file, for the procedures to name.
ManagedFile& managedFile(FileId id);

}  // namespace qm
