// File and relation managers, and the dictionary's set-up and teardown.
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <stdexcept>

#include "dictionary/dictionary.h"
#include "runtime/config/errors.h"
#include "runtime/store/thread.h"
#include "runtime/values/clock.h"
#include "runtime/values/text.h"

namespace qm {

namespace {

// A text that sorts after any other of its width: the highest character,
// valid UTF-8 as every text a buffer holds.
std::string highestText(int width) {
  std::string s;
  for (int i = 0; i < width; ++i) s += "\xF4\x8F\xBF\xBF";
  return s;
}

// Reporter ids used here.
constexpr int MsgRetrieveError = 1;
constexpr int MsgAccessDenied = 2;
constexpr int MsgInsertError = 4;
constexpr int MsgConfirmDelete = 9;
constexpr int MsgCreateError = 10;
constexpr int MsgDeleteError = 11;
constexpr int MsgDuplicateKey = 13;
constexpr int MsgOpenError = 23;
constexpr int MsgPutError = 25;
constexpr int MsgAutoIncError = 32;
constexpr int MsgUseError = 39;
constexpr int kNotify = 5;

bool exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

std::string numberText(double v) {
  if (v == std::floor(v) && std::fabs(v) < 1e15) return std::to_string(static_cast<long long>(v));
  return std::to_string(v);
}

}  // namespace

struct FileManager::PerThread {
  explicit PerThread(const FileDef& def) : file(def) {}
  RecordFile file;
  int openCount = 0;
  int err = 0;
  // Auto-numbered components put in the buffer by the last priming.
  std::vector<std::pair<int, std::string>> primed;  // key index, value
};

FileManager::FileManager(FileId id, const FileDef& def) : id_(id), def_(def) {}

FileManager::~FileManager() {
  std::lock_guard lock(mutex_);
  threads_.clear();
}

FileManager::PerThread& FileManager::mine() const {
  std::lock_guard lock(mutex_);
  auto& slot = threads_[currentThread()];
  if (!slot) slot = std::make_unique<PerThread>(def_);
  return *slot;
}

void FileManager::dropThread(int thread) {
  std::unique_ptr<PerThread> gone;
  {
    std::lock_guard lock(mutex_);
    auto it = threads_.find(thread);
    if (it == threads_.end()) return;
    gone = std::move(it->second);
    threads_.erase(it);
  }
  gone.reset();  // closes the file outside the lock
}

void FileManager::setNameSource(std::function<std::string()> source) {
  nameSource_ = std::move(source);
}

std::string FileManager::name() const {
  if (def_.kind == FileKind::Line)
    return nameSource_ ? std::string(clip(nameSource_())) : std::string();
  if (id_ == FileId::Con) return def_.diskName;
  return def_.label;
}

OpenMode FileManager::openMode() const {
  return id_ == FileId::DOS ? OpenMode::ReadWriteDenyWrite : OpenMode::ReadWriteDenyNone;
}

bool FileManager::createFlag() const { return def_.createWhenMissing; }

int FileManager::report(int id, const std::string& message) {
  PerThread& t = mine();
  MessageArgs args;
  args.file = name();
  args.errorText = errorTextFor(t.err);
  args.message = message;
  return errors().raise(id, args);
}

int FileManager::open() {
  bool created = false;
  const int rc = tryOpen(&created);
  if (rc == 0) return 0;
  return report(created ? MsgCreateError : MsgOpenError);
}

int FileManager::tryOpen(bool* creating) {
  PerThread& t = mine();
  if (t.openCount > 0) {
    ++t.openCount;
    t.err = 0;
    return 0;
  }
  if (def_.kind == FileKind::Line) t.file.setPath(name());
  bool existed = !t.file.path().empty() && exists(t.file.path());
  OpenMode mode = openMode();
  int rc = t.file.open(mode, createFlag(), lockRecovery(), def_.ownerPassword);
  if (rc == ErrAccessDenied && existed && mode != OpenMode::ReadOnlyDenyNone) {
    // No write access: say so and go on reading.
    t.err = rc;
    report(MsgAccessDenied);
    mode = mode == OpenMode::ReadWriteDenyWrite ? OpenMode::ReadOnlyDenyWrite
                                                : OpenMode::ReadOnlyDenyNone;
    rc = t.file.open(mode, false, lockRecovery(), def_.ownerPassword);
  }
  t.err = rc;
  if (creating) *creating = !existed && createFlag();
  if (rc == 0) t.openCount = 1;
  return rc;
}

int FileManager::close() {
  PerThread& t = mine();
  t.err = 0;
  if (t.openCount == 0) return 0;
  if (--t.openCount == 0) t.err = t.file.close();
  return 0;
}

bool FileManager::isOpen() const { return mine().file.isOpen(); }
RecordBuffer& FileManager::buffer() { return mine().file.buffer(); }
RecordFile& FileManager::file() { return mine().file; }
int FileManager::errorCode() const { return mine().err; }
std::string FileManager::errorText() const { return errorTextFor(mine().err); }

int FileManager::tryFetch(int key) {
  PerThread& t = mine();
  return t.err = t.file.fetch(key);
}

int FileManager::tryNext() {
  PerThread& t = mine();
  return t.err = t.file.next();
}

int FileManager::tryPrevious() {
  PerThread& t = mine();
  return t.err = t.file.previous();
}

int FileManager::fetch(int key) {
  int rc = tryFetch(key);
  if (rc == 0) return 0;
  if (rc == ErrNotFound) return kNotify;
  return report(MsgRetrieveError);
}

int FileManager::next() {
  int rc = tryNext();
  if (rc == 0) return 0;
  if (rc == ErrNotAvailable) return kNotify;
  return report(MsgRetrieveError);
}

int FileManager::previous() {
  int rc = tryPrevious();
  if (rc == 0) return 0;
  if (rc == ErrNotAvailable) return kNotify;
  return report(MsgRetrieveError);
}

int FileManager::tryInsert() {
  PerThread& t = mine();
  t.err = t.file.add();
  if (t.err == 0) t.primed.clear();
  return t.err;
}

int FileManager::insert() {
  PerThread& t = mine();
  for (int failures = 0;;) {
    int rc = tryInsert();
    if (rc == 0) return 0;
    if (rc != ErrDuplicateKey) return report(MsgInsertError);
    int key = t.file.duplicateKey();
    auto primed = std::find_if(t.primed.begin(), t.primed.end(),
                               [&](const auto& p) { return p.first == key; });
    bool stillPrimed = false;
    if (primed != t.primed.end()) {
      const KeyDef& k = def_.keys[static_cast<std::size_t>(key)];
      int field = k.components[static_cast<std::size_t>(k.autoNumber - 1)];
      stillPrimed = t.file.buffer().valueText(field) == primed->second;
    }
    if (!stillPrimed) {
      std::string description =
          key >= 0 ? def_.keys[static_cast<std::size_t>(key)].description : std::string();
      return report(MsgDuplicateKey, description);
    }
    // Someone took the number meanwhile: number again.
    if (++failures % 3 == 0) {
      int level = report(MsgAutoIncError);
      if (level != 0) return level;
    }
    if (int level = numberKeys(t)) return level;
  }
}

int FileManager::update() {
  PerThread& t = mine();
  t.err = t.file.put();
  if (t.err == 0) return 0;
  if (t.err == ErrDuplicateKey) {
    int key = t.file.duplicateKey();
    return report(MsgDuplicateKey,
                  key >= 0 ? def_.keys[static_cast<std::size_t>(key)].description : std::string());
  }
  return report(MsgPutError);
}

int FileManager::tryRemove() {
  PerThread& t = mine();
  return t.err = t.file.erase();
}

int FileManager::remove() {
  if (tryRemove() == 0) return 0;
  return report(MsgDeleteError);
}

int FileManager::primeRecord(bool keepBuffer) {
  PerThread& t = mine();
  RecordBuffer& b = t.file.buffer();
  if (!keepBuffer) b.clear();
  if (id_ == FileId::dnotes) b.setDate("DNO:DATE", today());
  t.primed.clear();
  t.err = 0;
  return numberKeys(t);
}

// The auto-number step, in the buffer only: the record is added by insert().
int FileManager::numberKeys(PerThread& t) {
  RecordBuffer& b = t.file.buffer();
  t.primed.clear();
  for (std::size_t k = 0; k < def_.keys.size(); ++k) {
    const KeyDef& key = def_.keys[k];
    if (key.autoNumber <= 0 || key.autoNumber > static_cast<int>(key.components.size())) continue;
    if (!t.file.isOpen()) {
      t.err = ErrNotOpen;
      return report(MsgAutoIncError);
    }
    const std::size_t n = static_cast<std::size_t>(key.autoNumber);
    const int field = key.components[n - 1];
    std::vector<std::pair<int64_t, RecordBuffer>> last;
    int rc;
    if (key.components.size() == 1) {
      rc = t.file.readPage(static_cast<int>(k), nullptr, 0, false, 1, last);
    } else {
      // Highest value of component n (and after) within the kept leading components.
      RecordBuffer probe = b;
      for (std::size_t c = n - 1; c < key.components.size(); ++c) {
        int f = key.components[c];
        if (def_.fields[static_cast<std::size_t>(f)].type == FieldType::Text)
          probe.setText(f, highestText(def_.fields[static_cast<std::size_t>(f)].size));
        else
          probe.setReal(f, 1e300);
      }
      rc = t.file.readPage(static_cast<int>(k), &probe, INT64_MAX, false, 1, last);
      if (rc == 0 && !last.empty()) {
        for (std::size_t c = 0; c + 1 < n; ++c) {
          int f = key.components[c];
          if (compareNoCase(last[0].second.valueText(f), b.valueText(f)) != 0) {
            last.clear();
            break;
          }
        }
      }
    }
    if (rc) {
      t.err = rc;
      return report(MsgAutoIncError);
    }
    double value = last.empty() ? 1 : last[0].second.number(field) + 1;
    if (def_.fields[static_cast<std::size_t>(field)].type == FieldType::Text)
      b.setText(field, numberText(value));
    else
      b.setReal(field, value);
    t.primed.emplace_back(static_cast<int>(k), b.valueText(field));
  }
  return 0;
}

bool FileManager::useFile() {
  if (isOpen()) return true;
  mine().err = ErrNotOpen;
  report(MsgUseError);
  return false;
}

// ---- RelationManager --------------------------------------------------------

RelationManager::RelationManager(FileManager& file) : file_(file) {}

int RelationManager::open() { return file_.open(); }
int RelationManager::close() { return file_.close(); }
int RelationManager::update() { return file_.update(); }

namespace {

void descendants(RelationManager& r, std::vector<RelationManager*>& out) {
  for (const auto& c : r.children()) {
    if (std::find(out.begin(), out.end(), c.child) != out.end()) continue;
    out.push_back(c.child);
    descendants(*c.child, out);
  }
}

// Deletes the children (and theirs) whose linking field holds one of `values`.
int deleteLevel(Transaction& tx, const RelationManager::ChildRelation& rel,
                const std::vector<std::string>& values) {
  RelationManager& child = *rel.child;
  RecordFile& file = child.file().file();
  for (const auto& grand : child.children()) {
    std::vector<std::string> found;
    if (int rc = tx.collect(file, rel.childField, values, grand.parentField, found)) return rc;
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    if (int rc = deleteLevel(tx, grand, found)) return rc;
  }
  return tx.deleteMatching(file, rel.childField, values);
}

}  // namespace

int RelationManager::deleteRecord(bool ask) {
  if (!file_.useFile()) return static_cast<int>(Level::Program);
  if (file_.file().position() == 0) {
    return errors().raise(MsgDeleteError, {file_.name(), errorTextFor(ErrNotAvailable), {}, {}});
  }
  if (ask) {
    int level = errors().raise(MsgConfirmDelete);
    if (level != 0) return level;
  }
  const int rc = tryDeleteRecord();
  if (rc == 0) return 0;
  return errors().raise(MsgDeleteError, {file_.name(), errorTextFor(rc), {}, {}});
}

int RelationManager::tryDeleteRecord() {
  if (!file_.isOpen()) return ErrNotOpen;
  RecordFile& own = file_.file();
  if (own.position() == 0) return ErrNotAvailable;
  if (file_.def().kind != FileKind::Indexed || children_.empty()) return file_.tryRemove();

  std::vector<RelationManager*> touched;
  descendants(*this, touched);
  std::vector<const RecordFile*> files{&own};
  for (auto* r : touched) files.push_back(&r->file().file());

  Transaction tx;
  int rc = tx.begin(files, file_.lockRecovery());
  const RecordBuffer& b = own.buffer();
  for (std::size_t i = 0; rc == 0 && i < children_.size(); ++i)
    rc = deleteLevel(tx, children_[i], {b.valueText(children_[i].parentField)});
  if (rc == 0) rc = tx.deleteAt(own, own.position());
  if (rc == 0) rc = tx.commit();
  if (rc == 0) {
    // Deleted behind the file's back: a later put() must not aim at it.
    own.forgetPosition();
    return 0;
  }
  tx.rollback();
  return rc;
}

// ---- set-up and teardown ------------------------------------------------------

FileManager* Access_Domains = nullptr;
FileManager* Access_Con = nullptr;
FileManager* Access_dnotes = nullptr;
FileManager* Access_WPMeta = nullptr;
FileManager* Access_DOS1 = nullptr;
FileManager* Access_DOS = nullptr;
FileManager* Access_Editor = nullptr;
FileManager* Access_WebPages = nullptr;
FileManager* Access_Hosts = nullptr;
FileManager* Access_Registrars = nullptr;
FileManager* Access_Intlink = nullptr;
FileManager* Access_WPLinks = nullptr;
FileManager* Access_WPScripts = nullptr;
FileManager* Access_WPForm = nullptr;
FileManager* Access_WPIMG = nullptr;

RelationManager* Relate_Domains = nullptr;
RelationManager* Relate_Con = nullptr;
RelationManager* Relate_dnotes = nullptr;
RelationManager* Relate_WPMeta = nullptr;
RelationManager* Relate_DOS1 = nullptr;
RelationManager* Relate_DOS = nullptr;
RelationManager* Relate_Editor = nullptr;
RelationManager* Relate_WebPages = nullptr;
RelationManager* Relate_Hosts = nullptr;
RelationManager* Relate_Registrars = nullptr;
RelationManager* Relate_Intlink = nullptr;
RelationManager* Relate_WPLinks = nullptr;
RelationManager* Relate_WPScripts = nullptr;
RelationManager* Relate_WPForm = nullptr;
RelationManager* Relate_WPIMG = nullptr;

namespace {

struct Slot {
  FileManager** access;
  RelationManager** relate;
};

// Indexed by FileId.
const std::array<Slot, FileIdCount> kSlots = {{
    {&Access_Domains, &Relate_Domains},
    {&Access_Con, &Relate_Con},
    {&Access_dnotes, &Relate_dnotes},
    {&Access_WPMeta, &Relate_WPMeta},
    {&Access_DOS1, &Relate_DOS1},
    {&Access_DOS, &Relate_DOS},
    {&Access_Editor, &Relate_Editor},
    {&Access_WebPages, &Relate_WebPages},
    {&Access_Hosts, &Relate_Hosts},
    {&Access_Registrars, &Relate_Registrars},
    {&Access_Intlink, &Relate_Intlink},
    {&Access_WPLinks, &Relate_WPLinks},
    {&Access_WPScripts, &Relate_WPScripts},
    {&Access_WPForm, &Relate_WPForm},
    {&Access_WPIMG, &Relate_WPIMG},
}};

struct Dictionary {
  bool started = false;
  std::vector<FileId> order;
  std::array<std::unique_ptr<FileManager>, FileIdCount> files;
  std::array<std::unique_ptr<RelationManager>, FileIdCount> relations;
  int listener = 0;
};

Dictionary& dict() {
  static Dictionary d;
  return d;
}

std::size_t at(FileId id) { return static_cast<std::size_t>(id); }

}  // namespace

void StartDictionary(DictionaryKind kind, LineFileNames names) {
  Dictionary& d = dict();
  if (d.started) StopDictionary();
  d.order = kind == DictionaryKind::Main ? mainFiles() : readerFiles();
  // The references first, then the managers, each file manager before its relation manager.
  for (FileId id : d.order) {
    const FileDef& def =
        (kind == DictionaryKind::Reader && id == FileId::Con) ? readerConDef() : fileDef(id);
    d.files[at(id)] = std::make_unique<FileManager>(id, def);
    d.relations[at(id)] = std::make_unique<RelationManager>(*d.files[at(id)]);
    *kSlots[at(id)].access = d.files[at(id)].get();
    *kSlots[at(id)].relate = d.relations[at(id)].get();
  }
  if (d.files[at(FileId::DOS)]) d.files[at(FileId::DOS)]->setNameSource(names.html);
  if (d.files[at(FileId::DOS1)]) d.files[at(FileId::DOS1)]->setNameSource(names.work);
  for (FileId id : d.order) {
    RelationManager& r = *d.relations[at(id)];
    const FileDef& def = r.file().def();
    for (const auto& rel : relationDefs()) {
      if (rel.child == id && d.relations[at(rel.parent)])
        r.setParent(d.relations[at(rel.parent)].get());
    }
    for (const auto& rel : relationDefs()) {
      if (rel.parent != id || !d.relations[at(rel.child)]) continue;
      RelationManager* child = d.relations[at(rel.child)].get();
      const FileDef& cdef = child->file().def();
      r.addChild({child, cdef.keyIndex(rel.childKey), def.fieldIndex(rel.parentField),
                  cdef.fieldIndex(rel.childField)});
    }
  }
  d.listener = addThreadEndListener([](int thread) {
    Dictionary& dd = dict();
    for (FileId id : dd.order)
      if (dd.files[at(id)]) dd.files[at(id)]->dropThread(thread);
  });
  d.started = true;
}

void StopDictionary() {
  Dictionary& d = dict();
  if (!d.started) return;
  removeThreadEndListener(d.listener);
  for (FileId id : d.order) {
    *kSlots[at(id)].access = nullptr;
    *kSlots[at(id)].relate = nullptr;
    d.relations[at(id)].reset();
    d.files[at(id)].reset();
  }
  d.order.clear();
  d.started = false;
}

bool dictionaryStarted() { return dict().started; }

bool isDeclared(FileId id) { return dict().started && dict().files[at(id)] != nullptr; }

FileManager& access(FileId id) {
  if (!isDeclared(id)) throw std::logic_error("file not declared: " + fileDef(id).label);
  return *dict().files[at(id)];
}

RelationManager& relate(FileId id) {
  if (!isDeclared(id)) throw std::logic_error("file not declared: " + fileDef(id).label);
  return *dict().relations[at(id)];
}

}  // namespace qm
