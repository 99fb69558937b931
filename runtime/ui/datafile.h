#pragma once
// What a window procedure needs of a record file and its managers. The
// dictionary adapts its file and relation managers to this; tests may adapt
// a bare RecordFile. Every operation acts on the calling logical thread's
// buffer and open state.
#include <functional>
#include <string>
#include <utility>

#include "runtime/store/store.h"
#include "runtime/view/heldrecord.h"

namespace qm {

class DataFile {
 public:
  virtual ~DataFile() = default;

  // The name shown for the file in messages ("Domains").
  virtual std::string name() const = 0;
  virtual const FileDef& def() const = 0;

  // Open and close for the calling thread; 0 on success, else the level of
  // the message the manager showed.
  virtual int open() = 0;
  virtual int close() = 0;
  virtual bool isOpen() const = 0;

  virtual RecordBuffer& buffer() = 0;
  virtual RecordFile& recordFile() = 0;

  // Clears the buffer (unless keep), sets the file's primed values and
  // numbers auto-numbered keys in memory; adds nothing. 0 or a level.
  virtual int primeRecord(bool keepBuffer = false) = 0;

  // These report nothing: they return the store's error code (0 success) and
  // leave it in errorCode(); the window patterns show the messages.
  virtual int insert() = 0;  // adds the buffer
  // Rewrites the record last read or added while the stored record still
  // equals `asRead`, the copy read earlier (ErrChanged when it does not).
  virtual int update(const RecordBuffer& asRead) = 0;
  virtual int removeCascade() = 0;  // deletes it and its children in one transaction
  virtual int errorCode() const = 0;
  virtual std::string errorText() const = 0;
};

}  // namespace qm
