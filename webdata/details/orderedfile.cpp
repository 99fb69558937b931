#include "webdata/details/orderedfile.h"

#include <stdexcept>

#include "runtime/config/errors.h"

namespace qm::details {

OrderedDetailFile::OrderedDetailFile(FileId id, const std::string& key, const std::string& thenBy)
    : managed_(managedFile(id)), def_(fileDef(id)) {
  int k = def_.keyIndex(key), f = def_.fieldIndex(thenBy);
  if (k < 0 || f < 0)
    throw std::logic_error("no key " + key + " or field " + thenBy + " in " + def_.label);
  def_.keys[static_cast<size_t>(k)].components.push_back(f);
  reader_ = std::make_unique<RecordFile>(def_);
}

OrderedDetailFile::~OrderedDetailFile() = default;

int OrderedDetailFile::open() {
  if (int level = managed_.open()) return level;
  if (reader_->isOpen()) return 0;
  // The manager has created the file when it was missing; the reader only
  // reads, so the file on disk keeps the dictionary's keys and nothing more.
  reader_->setPath(managed_.recordFile().path());
  if (int rc = reader_->open(OpenMode::ReadOnlyDenyNone, false, 10)) {
    int level = errors().raise(23, MessageArgs{.file = name(), .errorText = errorTextFor(rc)});
    managed_.close();
    return level ? level : 3;
  }
  return 0;
}

int OrderedDetailFile::close() {
  if (reader_->isOpen()) reader_->close();
  return managed_.close();
}

int OrderedDetailFile::adoptLoaded() {
  int64_t at = reader_->position();
  if (at <= 0) return ErrNotAvailable;
  return managed_.recordFile().fetchPosition(at);
}

}  // namespace qm::details
