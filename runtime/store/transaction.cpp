// Multi-file transactions: one connection, the other files attached, so the
// engine's rollback journals (and their super-journal) make the commit atomic.
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "runtime/store/sqlfile.h"
#include "runtime/store/store.h"
#include "runtime/store/store_internal.h"
#include "runtime/values/text.h"

namespace qm {

namespace {

std::mutex gHookMutex;
std::function<void()> gHook;
std::atomic<int> gFreeGapMs{100};
constexpr auto kFreeEvery = std::chrono::milliseconds(900);  // commits come every second

void runHook() {
  std::function<void()> h;
  {
    std::lock_guard lock(gHookMutex);
    h = gHook;
  }
  if (h) h();
}

}  // namespace

struct Transaction::Impl {
  sqlite3* db = nullptr;
  bool active = false;
  std::map<std::string, std::string> schemaOf;  // path -> "main" / "fN"
  std::vector<std::unique_ptr<store_detail::FileLock>> locks;
  std::vector<RecordFile*> enlisted;
  std::map<std::string, int> labels;  // table name -> files attached with it
  int err = 0;
  std::string detail;
  bool partOpen = false;
  bool paused = false;  // committed, the connection kept, no transaction
  store_detail::BusyWait busy;
  std::vector<store_detail::WaitSlot*> slots;      // of the files, for othersWaiting()
  std::chrono::steady_clock::time_point lastFree;  // the files were last left free

  int fail(int code, std::string why) {
    busy.settle();
    err = code;
    detail = std::move(why);
    return code;
  }
  // The failure may lie in any of the files: name them all.
  std::string paths() const {
    std::string out;
    for (const auto& [path, schema] : schemaOf) out += (out.empty() ? "" : ", ") + path;
    return out;
  }
  int failDb(int rc) {
    int code = store_detail::codeFor(rc, db ? sqlite3_system_errno(db) : 0);
    return fail(code == ErrNone ? ErrFileSystem : code,
                store_detail::failureDetail(db, rc, paths()));
  }
  int ok() {
    busy.settle();
    err = 0;
    detail.clear();
    return 0;
  }
  int exec(const std::string& sql) {
    char* msg = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg);
    if (rc != SQLITE_OK) {
      std::string why = msg ? msg : sqlite3_errstr(rc);
      sqlite3_free(msg);
      int code = store_detail::codeFor(rc, sqlite3_system_errno(db));
      const std::string where = paths();
      return fail(code == ErrNone ? ErrFileSystem : code, where.empty() ? why : where + ": " + why);
    }
    return ok();
  }
  void finish() {
    // Enlisted files go back to their own connections first: their
    // statements on this one must be gone before it closes.
    for (RecordFile* f : enlisted) f->leave();
    enlisted.clear();
    labels.clear();
    if (db) sqlite3_close_v2(db);
    db = nullptr;
    busy.settle();
    slots.clear();
    active = false;
    partOpen = false;
    paused = false;
    locks.clear();
    schemaOf.clear();
  }
  // Ends the transaction after a failed step, keeping the step's failure.
  int abandon() {
    int code = err;
    std::string why = detail;
    if (db && !sqlite3_get_autocommit(db)) exec("ROLLBACK");
    finish();
    return fail(code, why);
  }
  int commitWork() {
    // A part still open is the caller's to end; the commit keeps it.
    partOpen = false;
    if (!store_detail::takeDiskRoomForTests(pages() - pagesAtBegin)) {
      fail(ErrDiskFull, paths() + ": database or disk is full");
      return abandon();
    }
    return exec("COMMIT") ? abandon() : ok();
  }
  bool lockShared(const std::string& path) {
    auto lock = std::make_unique<store_detail::FileLock>();
    if (!lock->lockSharedIfPresent(store_detail::lockPathFor(path))) return false;
    locks.push_back(std::move(lock));
    return true;
  }
  int beginWork() {
    if (exec("BEGIN IMMEDIATE")) return abandon();
    pagesAtBegin = pages();
    return 0;
  }
  // The files' pages, when a test limits the disk's room (else 0).
  long pages() {
    if (!store_detail::diskRoomLimitedForTests()) return 0;
    long n = 0;
    for (const auto& [path, schema] : schemaOf) {
      sqlite3_stmt* st = nullptr;
      sqlite3_prepare_v2(db, ("PRAGMA " + schema + ".page_count").c_str(), -1, &st, nullptr);
      if (st && sqlite3_step(st) == SQLITE_ROW) n += sqlite3_column_int64(st, 0);
      sqlite3_finalize(st);
    }
    return n;
  }
  long pagesAtBegin = 0;
  // Schema of a file, "" when it is not part of the transaction (no records).
  std::string schema(const RecordFile& f) const {
    auto it = schemaOf.find(f.path());
    return it == schemaOf.end() ? std::string() : it->second;
  }
};

Transaction::Transaction() : impl_(std::make_unique<Impl>()) {}
Transaction::~Transaction() { rollback(); }

void Transaction::setFreeGapMs(int ms) { gFreeGapMs = ms < 0 ? 0 : ms; }

void Transaction::setStepHook(std::function<void()> hook) {
  std::lock_guard lock(gHookMutex);
  gHook = std::move(hook);
}

bool Transaction::active() const { return impl_->active; }
int Transaction::errorCode() const { return impl_->err; }
std::string Transaction::errorText() const { return errorTextFor(impl_->err); }
std::string Transaction::errorDetail() const { return impl_->detail; }

int Transaction::begin(const std::vector<const RecordFile*>& files, int lockRecoverySeconds) {
  Impl& m = *impl_;
  rollback();
  std::vector<std::pair<std::string, const FileDef*>> present;
  for (const RecordFile* f : files) {
    if (!f || f->def().kind != FileKind::Indexed) continue;
    std::string p = f->path();
    struct stat st;
    if (::stat(p.c_str(), &st) != 0) continue;  // not created yet: holds nothing
    if (S_ISDIR(st.st_mode)) return m.fail(ErrIsDirectory, p + " is a directory");
    bool seen = false;
    for (auto& [q, d] : present) seen = seen || q == p;
    if (!seen) present.emplace_back(p, &f->def());
  }
  m.active = true;
  // From the first begin only: a run's window lets the files go after each
  // commit for a moment, far shorter than a busy handler sleeps, so a begin
  // does not count as the files left free.
  if (m.lastFree == std::chrono::steady_clock::time_point{})
    m.lastFree = std::chrono::steady_clock::now();
  if (present.empty()) return m.ok();
  store_detail::configureEngine();
  const bool mainReadOnly = store_detail::unwritableForTests(present[0].first);
  int rc = sqlite3_open_v2(present[0].first.c_str(), &m.db,
                           (mainReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                               SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
                           nullptr);
  // A file that cannot be opened or attached ends the begin, named.
  const auto refuse = [&m](int result, const std::string& path) {
    const int code = store_detail::codeFor(result, m.db ? sqlite3_system_errno(m.db) : 0);
    std::string why = store_detail::failureDetail(m.db, result, path);
    m.finish();
    return m.fail(code == ErrNone ? ErrFileSystem : code, std::move(why));
  };
  if (rc != SQLITE_OK) return refuse(rc, present[0].first);
  sqlite3_extended_result_codes(m.db, 1);
  store_detail::tuneConnection(m.db);

  std::vector<std::string> paths;
  for (const auto& [path, def] : present) {
    paths.push_back(path);
    m.slots.push_back(store_detail::waitSlotFor(path));
  }
  m.busy.attach(m.db, lockRecoverySeconds, std::move(paths));
  for (std::size_t i = 0; i < present.size(); ++i) {
    const auto& [path, def] = present[i];
    std::string schema = i == 0 ? "main" : std::string("f").append(std::to_string(i));
    if (i > 0) {
      sqlite3_stmt* st = nullptr;
      sqlite3_prepare_v2(m.db, ("ATTACH DATABASE ? AS " + schema).c_str(), -1, &st, nullptr);
      const std::string name =
          store_detail::unwritableForTests(path) ? store_detail::readOnlyUri(path) : path;
      sqlite3_bind_text(st, 1, name.c_str(), -1, SQLITE_TRANSIENT);
      rc = st ? sqlite3_step(st) : SQLITE_ERROR;
      sqlite3_finalize(st);
      if (rc != SQLITE_DONE) return refuse(rc, path);
    }
    // A batch's changed pages stay in memory until its commit (up to 8 MB
    // a file; the batch commits before all of them hold that much):
    // spilling them early costs a journal sync in the middle of the batch
    // and keeps readers out. Pages only read need little room: seven files
    // share the process, and a batch commits once its cache takes 16 MB, so
    // the less the files keep of what they read, the more pages a commit
    // carries as the files grow.
    if (m.exec("PRAGMA " + schema + ".journal_mode=DELETE") ||
        m.exec("PRAGMA " + schema + ".synchronous=FULL") ||
        m.exec("PRAGMA " + schema + ".cache_size=-1024") ||
        m.exec("PRAGMA " + schema + ".cache_spill=-8192") ||
        (!store_detail::limitPagesSql(schema).empty() &&
         m.exec(store_detail::limitPagesSql(schema)))) {
      int code = m.err;
      std::string why = path + ": " + m.detail;
      m.finish();
      return m.fail(code, why);
    }
    if (!m.lockShared(path)) {
      m.finish();
      return m.fail(ErrAccessDenied, "another user denies writing to " + path);
    }
    m.schemaOf[path] = schema;
    ++m.labels[def->label];
  }
  return m.beginWork();
}

int Transaction::collect(const RecordFile& file, int matchField,
                         const std::vector<std::string>& values, int outField,
                         std::vector<std::string>& out) {
  Impl& m = *impl_;
  if (!m.active) return m.fail(ErrNotOpen, "no transaction");
  std::string schema = m.schema(file);
  if (schema.empty()) return m.ok();
  store_detail::TableSql sql(file.def());
  const auto& fields = file.def().fields;
  std::string match = sql.columns[static_cast<std::size_t>(matchField)];
  int key = sql.keyLedBy(matchField);
  std::string q = "SELECT " + sql.columns[static_cast<std::size_t>(outField)] + " FROM " + schema +
                  "." + sql.table + " WHERE " + match + " = ?" +
                  (key >= 0 ? " AND " + sql.keyPred[static_cast<std::size_t>(key)] : "");
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(m.db, q.c_str(), -1, &st, nullptr);
  if (rc != SQLITE_OK) return m.failDb(rc);
  RecordBuffer b(file.def());
  for (const auto& v : values) {
    if (clip(v).empty()) continue;
    store_detail::bindValue(
        st, 1, store_detail::valueFromText(fields[static_cast<std::size_t>(matchField)], v));
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      store_detail::loadColumn(b, outField, st, 0);
      out.push_back(b.valueText(outField));
    }
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) {
      sqlite3_finalize(st);
      return m.failDb(rc);
    }
    runHook();
  }
  sqlite3_finalize(st);
  return m.ok();
}

int Transaction::deleteMatching(const RecordFile& file, int matchField,
                                const std::vector<std::string>& values, int64_t* deleted) {
  Impl& m = *impl_;
  if (deleted) *deleted = 0;
  if (!m.active) return m.fail(ErrNotOpen, "no transaction");
  std::string schema = m.schema(file);
  if (schema.empty()) return m.ok();
  store_detail::TableSql sql(file.def());
  int key = sql.keyLedBy(matchField);
  std::string q = "DELETE FROM " + schema + "." + sql.table + " WHERE " +
                  sql.columns[static_cast<std::size_t>(matchField)] + " = ?" +
                  (key >= 0 ? " AND " + sql.keyPred[static_cast<std::size_t>(key)] : "");
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(m.db, q.c_str(), -1, &st, nullptr);
  if (rc != SQLITE_OK) return m.failDb(rc);
  const FieldDef& f = file.def().fields[static_cast<std::size_t>(matchField)];
  for (const auto& v : values) {
    if (clip(v).empty()) continue;
    store_detail::bindValue(st, 1, store_detail::valueFromText(f, v));
    rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) {
      sqlite3_finalize(st);
      return m.failDb(sqlite3_extended_errcode(m.db));
    }
    if (deleted) *deleted += sqlite3_changes64(m.db);
    runHook();
  }
  sqlite3_finalize(st);
  return m.ok();
}

int Transaction::deleteAt(const RecordFile& file, int64_t position) {
  Impl& m = *impl_;
  if (!m.active) return m.fail(ErrNotOpen, "no transaction");
  std::string schema = m.schema(file);
  if (schema.empty()) return m.fail(ErrNotFound, "no such record");
  store_detail::TableSql sql(file.def());
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(
      m.db, ("DELETE FROM " + schema + "." + sql.table + " WHERE rowid = ?").c_str(), -1, &st,
      nullptr);
  if (rc != SQLITE_OK) return m.failDb(rc);
  sqlite3_bind_int64(st, 1, position);
  rc = sqlite3_step(st);
  sqlite3_finalize(st);
  if (rc != SQLITE_DONE) return m.failDb(sqlite3_extended_errcode(m.db));
  runHook();
  if (sqlite3_changes(m.db) == 0)
    return m.fail(ErrNotFound, "the record was deleted by another user");
  return m.ok();
}

int Transaction::enlist(RecordFile& file) {
  Impl& m = *impl_;
  if (!m.active || !m.db) return m.fail(ErrNotOpen, "no transaction");
  if (!file.isOpen() || file.def().kind != FileKind::Indexed)
    return m.fail(ErrNotOpen, "file not open");
  if (m.schema(file).empty())
    return m.fail(ErrNotSupported, file.path() + " is not in the transaction");
  // The files' statements name their tables without a schema: each name
  // must lead to one attached file only.
  if (m.labels[file.def().label] != 1)
    return m.fail(ErrNotSupported, "two files hold " + file.def().label);
  for (RecordFile* f : m.enlisted)
    if (f == &file) return m.ok();
  if (int rc = file.join(m.db, this)) return m.fail(rc, file.errorDetail());
  m.enlisted.push_back(&file);
  return m.ok();
}

void Transaction::forget(RecordFile* file) {
  auto& list = impl_->enlisted;
  list.erase(std::remove(list.begin(), list.end(), file), list.end());
}

int Transaction::commit() {
  Impl& m = *impl_;
  if (!m.active) return m.fail(ErrNotOpen, "no transaction");
  if (m.db && !m.paused && m.commitWork()) return m.err;
  m.finish();
  return m.ok();
}

int Transaction::commitAndPause() {
  Impl& m = *impl_;
  if (!m.active) return m.fail(ErrNotOpen, "no transaction");
  if (!m.db || m.paused) return m.ok();
  if (m.commitWork()) return m.err;
  m.paused = true;
  m.locks.clear();
  return m.ok();
}

int Transaction::resume() {
  Impl& m = *impl_;
  if (!m.active) return m.fail(ErrNotOpen, "no transaction");
  if (!m.paused) return m.ok();
  m.paused = false;
  for (const auto& [path, schema] : m.schemaOf)
    if (!m.lockShared(path)) {
      m.finish();
      return m.fail(ErrAccessDenied, "another user denies writing to " + path);
    }
  return m.beginWork();
}

bool Transaction::paused() const { return impl_->paused; }

int Transaction::commitAndContinue(bool* committed) {
  Impl& m = *impl_;
  if (committed) *committed = false;
  if (!m.active) return m.fail(ErrNotOpen, "no transaction");
  if (!m.db) return m.ok();
  if (m.paused) return resume();
  const bool yield = othersWaiting();
  if (m.commitWork()) return m.err;
  if (committed) *committed = true;
  if (yield) {
    // Those waiting go first; a waiter that is slow to come does not
    // stop the batch for long.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
    do std::this_thread::sleep_for(std::chrono::milliseconds(1));
    while (othersWaiting() && std::chrono::steady_clock::now() < until);
  }
  const auto now = std::chrono::steady_clock::now();
  if (const int gap = gFreeGapMs.load(); gap > 0 && now - m.lastFree >= kFreeEvery) {
    // Writers that do not announce themselves cannot be seen waiting: the
    // files stay free for as long as a busy handler sleeps between tries.
    std::this_thread::sleep_for(std::chrono::milliseconds(gap));
    m.lastFree = std::chrono::steady_clock::now();
  } else if (yield) {
    m.lastFree = now;
  }
  return m.beginWork();
}

bool Transaction::othersWaiting() const {
  for (store_detail::WaitSlot* s : impl_->slots)
    if (store_detail::othersWait(s)) return true;
  return false;
}

int64_t Transaction::cacheBytes() const {
  if (!impl_->db) return 0;
  int now = 0, most = 0;
  sqlite3_db_status(impl_->db, SQLITE_DBSTATUS_CACHE_USED, &now, &most, 0);
  return now;
}

int Transaction::markPart() {
  Impl& m = *impl_;
  if (!m.active) return m.fail(ErrNotOpen, "no transaction");
  if (!m.db || m.partOpen) return m.ok();
  if (m.exec("SAVEPOINT part")) return m.err;
  m.partOpen = true;
  return 0;
}

int Transaction::keepPart() {
  Impl& m = *impl_;
  if (!m.active) return m.fail(ErrNotOpen, "no transaction");
  if (!m.partOpen) return m.ok();
  m.partOpen = false;
  return m.exec("RELEASE part") ? m.abandon() : 0;
}

int Transaction::dropPart() {
  Impl& m = *impl_;
  if (!m.active) return m.fail(ErrNotOpen, "no transaction");
  if (!m.partOpen) return m.ok();
  m.partOpen = false;
  return m.exec("ROLLBACK TO part") || m.exec("RELEASE part") ? m.abandon() : 0;
}

void Transaction::rollback() {
  Impl& m = *impl_;
  if (!m.active) return;
  if (m.db && !sqlite3_get_autocommit(m.db))
    sqlite3_exec(m.db, "ROLLBACK", nullptr, nullptr, nullptr);
  m.finish();
}

}  // namespace qm
