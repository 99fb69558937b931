// RecordFile: an indexed record file on one SQLite database, or a line file.
#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "runtime/store/exactreplace.h"
#include "runtime/store/sqlfile.h"
#include "runtime/store/store.h"
#include "runtime/store/store_internal.h"
#include "runtime/values/fsutil.h"
#include "runtime/values/text.h"

namespace qm {

using store_detail::bindValue;
using store_detail::codeFor;
using store_detail::SqlValue;

std::string errorTextFor(int code) {
  switch (code) {
    case ErrNone:
      return "No Error";
    case ErrFileNotFound:
      return "File Not Found";
    case ErrAccessDenied:
      return "Access Denied";
    case ErrLocked:
      return "Record Is Locked";
    case ErrNotAvailable:
      return "Record Not Available";
    case ErrNotFound:
      return "Record Not Found";
    case ErrNotOpen:
      return "File Not Open";
    case ErrDuplicateKey:
      return "Creates Duplicate Key";
    case ErrBadFile:
      return "Invalid Record File";
    case ErrBadPassword:
      return "Invalid File Password";
    case ErrChanged:
      return "Record Changed By Another Station";
    case ErrNotSupported:
      return "Operation Not Supported";
    case ErrFileSystem:
      return "File System Error";
    case ErrDiskFull:
      return "Disk Full";
    case ErrReadOnly:
      return "File Is Read-Only";
    case ErrIsDirectory:
      return "Is A Directory";
    default:
      return std::string("Error ").append(std::to_string(code));
  }
}

namespace {

constexpr const char* kMetaTable = "_qm_meta";

}  // namespace

struct RecordFile::Impl {
  explicit Impl(const FileDef& d) : def(d), sql(d), buffer(d) {}
  ~Impl() { closeDb(); }

  const FileDef& def;
  store_detail::TableSql sql;
  RecordBuffer buffer;
  std::string path;
  bool pathSet = false;
  sqlite3* db = nullptr;
  std::unique_ptr<LineFile> line;
  bool open = false;
  OpenMode mode = OpenMode::ReadWriteDenyNone;
  int lockRecovery = 10;
  int64_t pos = 0;
  int order = -1;
  bool quick = false;
  bool inBatch = false;
  int refused = 0;  // refuseWrites()
  std::string refusedWhy;
  store_detail::FileLock denyLock;   // held by a deny-write open
  store_detail::FileLock writeLock;  // held by a writer for a batch
  store_detail::BusyWait busy;       // the own connection's busy wait
  // Cursor: next() reads strictly after the anchor, previous() strictly before.
  enum class Anchor { Start, End, Key } anchor = Anchor::Start;
  std::vector<SqlValue> anchorValues;
  int64_t anchorRow = 0;
  int err = 0;
  std::string detail;
  int dupKey = -1;
  std::map<std::string, sqlite3_stmt*> stmts;
  // While enlisted: the transaction, and the file's own connection put aside.
  Transaction* tx = nullptr;
  sqlite3* ownDb = nullptr;
  std::map<std::string, sqlite3_stmt*> ownStmts;

  bool writable() const {
    return mode == OpenMode::ReadWriteDenyNone || mode == OpenMode::ReadWriteDenyWrite;
  }
  bool deniesWrite() const {
    return mode == OpenMode::ReadWriteDenyWrite || mode == OpenMode::ReadOnlyDenyWrite;
  }

  int fail(int code, std::string why = {}) {
    busy.settle();
    err = code;
    detail = why.empty() ? errorTextFor(code) : std::move(why);
    return code;
  }
  int failDb(int rc) {
    int code = codeFor(rc, db ? sqlite3_system_errno(db) : 0);
    return fail(code == ErrNone ? ErrFileSystem : code, store_detail::failureDetail(db, rc, path));
  }
  int ok() {
    busy.settle();
    err = 0;
    detail.clear();
    return 0;
  }

  void finalizeAll() {
    for (auto& [s, st] : stmts) sqlite3_finalize(st);
    stmts.clear();
  }

  void closeDb() {
    finalizeAll();
    if (db) sqlite3_close_v2(db);
    db = nullptr;
    denyLock.release();
    writeLock.release();
    inBatch = false;
  }

  // bindsAll: the caller binds every parameter, so the old values need
  // no clearing (a record's many columns make that cost).
  sqlite3_stmt* stmt(const std::string& text, bool bindsAll = false) {
    auto it = stmts.find(text);
    if (it != stmts.end()) {
      sqlite3_reset(it->second);
      if (!bindsAll) sqlite3_clear_bindings(it->second);
      return it->second;
    }
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v3(db, text.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr);
    if (rc != SQLITE_OK) {
      failDb(rc);
      return nullptr;
    }
    stmts.emplace(text, st);
    return st;
  }

  int exec(const std::string& text) {
    char* msg = nullptr;
    int rc = sqlite3_exec(db, text.c_str(), nullptr, nullptr, &msg);
    if (rc != SQLITE_OK) {
      std::string why = msg ? msg : sqlite3_errstr(rc);
      sqlite3_free(msg);
      int code = codeFor(rc, sqlite3_system_errno(db));
      return fail(code == ErrNone ? ErrFileSystem : code, path + ": " + why);
    }
    return ok();
  }

  std::vector<SqlValue> keyValues(int key, const RecordBuffer& b) const {
    std::vector<SqlValue> out;
    for (int f : def.keys[static_cast<std::size_t>(key)].components)
      out.push_back(store_detail::columnValue(b, f));
    return out;
  }

  bool keyBlank(int key, const RecordBuffer& b) const {
    for (int f : def.keys[static_cast<std::size_t>(key)].components)
      if (!b.isBlankOrZero(f)) return false;
    return true;
  }

  void loadRow(RecordBuffer& b, sqlite3_stmt* st) const {
    b.clear();
    int n = static_cast<int>(def.fields.size());
    for (int i = 0; i < n; ++i) store_detail::loadColumn(b, i, st, 1 + i);
    for (std::size_t m = 0; m < def.memos.size(); ++m) {
      const auto* t =
          reinterpret_cast<const char*>(sqlite3_column_text(st, 1 + n + static_cast<int>(m)));
      int len = sqlite3_column_bytes(st, 1 + n + static_cast<int>(m));
      b.keepMemo(static_cast<int>(m),
                 t ? std::string_view(t, static_cast<std::size_t>(len)) : std::string_view());
    }
  }

  void anchorAt(const RecordBuffer& b, int64_t row) {
    anchor = Anchor::Key;
    anchorRow = row;
    anchorValues = order >= 0 ? keyValues(order, b) : std::vector<SqlValue>{};
  }

  // Writers must not write while someone else denies writing.
  // Why the current record cannot be changed now; 0 when it can.
  int refuseChange() {
    dupKey = -1;
    if (!open) return fail(ErrNotOpen);
    if (line) return fail(ErrNotSupported, "line files are only appended to");
    if (pos == 0) return fail(ErrNotAvailable, "no record to change");
    if (!mayWrite()) return err;
    return 0;
  }
  bool mayWrite() {
    if (refused) {
      fail(refused, refusedWhy);
      return false;
    }
    if (!writable()) {
      fail(ErrAccessDenied, "file opened read-only");
      return false;
    }
    if (deniesWrite() || writeLock.held() || tx) return true;
    store_detail::FileLock probe;
    if (!probe.lockSharedIfPresent(store_detail::lockPathFor(path))) {
      fail(ErrAccessDenied, "another user denies writing to " + path);
      return false;
    }
    return true;
  }

  // Order of row r (its key columns as the table holds them) against the
  // anchor in key order, from component `from` on: <0, 0, >0. The columns
  // compare as the key does: numbers before text, text blind to ASCII case.
  int compareWithAnchor(int key, sqlite3_stmt* st, int from, const std::vector<SqlValue>& values,
                        int64_t row, int64_t r) const {
    const auto& comps = def.keys[static_cast<std::size_t>(key)].components;
    for (std::size_t c = static_cast<std::size_t>(from); c < comps.size() && c < values.size();
         ++c) {
      const int col = 1 + comps[c];
      const SqlValue& a = values[c];
      const bool text = sqlite3_column_type(st, col) == SQLITE_TEXT;
      if (text != (a.kind == SqlValue::Text)) return text ? 1 : -1;
      int d = 0;
      if (text) {
        const auto* t = reinterpret_cast<const unsigned char*>(sqlite3_column_text(st, col));
        const std::size_t n = static_cast<std::size_t>(sqlite3_column_bytes(st, col));
        for (std::size_t i = 0; d == 0 && i < n && i < a.s.size(); ++i)
          d = store_detail::foldCase(t[i]) -
              store_detail::foldCase(static_cast<unsigned char>(a.s[i]));
        if (d == 0) d = n < a.s.size() ? -1 : (n > a.s.size() ? 1 : 0);
      } else {
        const double v = sqlite3_column_double(st, col);
        const double w = a.kind == SqlValue::Int ? static_cast<double>(a.i) : a.d;
        d = v < w ? -1 : (v > w ? 1 : 0);
      }
      if (d != 0) return d;
    }
    return r < row ? -1 : (r > row ? 1 : 0);
  }

  // Rows after/before an anchor in key order (or record order when key < 0).
  // Calls `take` for each row until it returns false or `limit` rows were seen.
  // A row the key's index puts after the anchor that is not after it by its
  // own values means the index and the table disagree: reading on from it
  // would come back to rows already read, so the file is called damaged.
  int scan(int key, Anchor from, const std::vector<SqlValue>& values, int64_t row, bool forward,
           int limit, int rangeComps, const std::vector<SqlValue>& rangeVals,
           const Conditions& where, const std::function<bool(int64_t, sqlite3_stmt*)>& take) {
    std::string head = "SELECT " + sql.selectList + " FROM " + sql.table + " WHERE ";
    const std::string cond = sql.whereSql(where);
    // When a condition has an index of its own, the place a page starts
    // from must not draw the engine to the order's index instead ("+"
    // keeps a column out of index choice): a few due records among a
    // million are read from their index, not found by a walk.
    const std::string steer = sql.ownIndexServes(where, key) ? "+" : "";
    const char* dir = forward ? "" : " DESC";
    const char* cmp = forward ? " > " : " < ";
    if (key < 0) {
      std::string q = head +
                      (from == Anchor::Key ? steer + "rowid" + cmp + "?" : std::string("1")) +
                      cond + " ORDER BY rowid" + dir + " LIMIT ?";
      sqlite3_stmt* st = stmt(q);
      if (!st) return err;
      int i = 1;
      if (from == Anchor::Key) sqlite3_bind_int64(st, i++, row);
      sql.bindWhere(st, i, where);
      sqlite3_bind_int(st, i, limit);
      return drain(st, take);
    }
    const auto& cols = sql.keyColList[static_cast<std::size_t>(key)];
    int n = static_cast<int>(cols.size());
    std::string fixed = sql.keyPred[static_cast<std::size_t>(key)];
    for (int c = 0; c < rangeComps && c < n; ++c)
      fixed += " AND " + cols[static_cast<std::size_t>(c)] + " = ?";
    fixed += cond;
    std::string orderBy = " ORDER BY ";
    for (int c = 0; c < n; ++c) orderBy += cols[static_cast<std::size_t>(c)] + dir + ", ";
    orderBy += std::string("rowid") + dir + " LIMIT ?";
    auto bindRange = [&](sqlite3_stmt* st, int& i) {
      for (int c = 0; c < rangeComps && c < n; ++c)
        bindValue(st, i++, rangeVals[static_cast<std::size_t>(c)]);
      sql.bindWhere(st, i, where);
    };
    if (from != Anchor::Key) {
      sqlite3_stmt* st = stmt(head + fixed + orderBy);
      if (!st) return err;
      int i = 1;
      bindRange(st, i);
      sqlite3_bind_int(st, i, limit);
      return drain(st, take);
    }
    // Records with equal key values, by record number ...
    int seen = 0;
    bool stop = false, astray = false;
    auto counted = [&](int64_t r, sqlite3_stmt* s) {
      ++seen;
      const int side = compareWithAnchor(key, s, rangeComps, values, row, r);
      if (forward ? side <= 0 : side >= 0) {
        astray = stop = true;
        return false;
      }
      if (!take(r, s)) {
        stop = true;
        return false;
      }
      return true;
    };
    {
      std::string q = head + fixed;
      for (int c = rangeComps; c < n; ++c)
        q += " AND " + steer + cols[static_cast<std::size_t>(c)] + " = ?";
      q += " AND " + steer + "rowid" + cmp + "?" + orderBy;
      sqlite3_stmt* st = stmt(q);
      if (!st) return err;
      int i = 1;
      bindRange(st, i);
      for (int c = rangeComps; c < n; ++c) bindValue(st, i++, values[static_cast<std::size_t>(c)]);
      sqlite3_bind_int64(st, i++, row);
      sqlite3_bind_int(st, i, limit);
      if (int rc = drain(st, counted)) return rc;
    }
    if (astray) return disagree();
    if (stop || seen >= limit || rangeComps >= n) return ok();
    // ... then the key values beyond them.
    std::string lhs, rhs;
    for (int c = rangeComps; c < n; ++c) {
      lhs += (c > rangeComps ? ", " : "") + steer + cols[static_cast<std::size_t>(c)];
      rhs += c > rangeComps ? ", ?" : "?";
    }
    sqlite3_stmt* st = stmt(head + fixed + " AND (" + lhs + ")" + cmp + "(" + rhs + ")" + orderBy);
    if (!st) return err;
    int i = 1;
    bindRange(st, i);
    for (int c = rangeComps; c < n; ++c) bindValue(st, i++, values[static_cast<std::size_t>(c)]);
    sqlite3_bind_int(st, i, limit - seen);
    if (int rc = drain(st, counted)) return rc;
    return astray ? disagree() : ok();
  }

  int disagree() {
    return fail(ErrBadFile,
                path + ": an index disagrees with the records; the keys must be rebuilt");
  }

  int drain(sqlite3_stmt* st, const std::function<bool(int64_t, sqlite3_stmt*)>& take) {
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      if (!take(sqlite3_column_int64(st, 0), st)) {
        sqlite3_reset(st);
        return ok();
      }
    }
    sqlite3_reset(st);  // never keep a read lock between calls
    if (rc != SQLITE_DONE) return failDb(rc);
    return ok();
  }

  // One record after/before the cursor into the buffer.
  int step(bool forward) {
    if (!open) return fail(ErrNotOpen);
    if (line) {
      if (!forward) return fail(ErrNotSupported, "line files read forwards only");
      int rc = line->next(buffer);
      if (rc) return fail(rc, line->errorDetail());
      pos = line->position();
      return ok();
    }
    if ((forward && anchor == Anchor::End) || (!forward && anchor == Anchor::Start))
      return fail(ErrNotAvailable);
    bool found = false;
    int64_t row = 0;
    int rc = scan(order, anchor, anchorValues, anchorRow, forward, 1, 0, {}, {},
                  [&](int64_t r, sqlite3_stmt* st) {
                    loadRow(buffer, st);
                    row = r;
                    found = true;
                    return false;
                  });
    if (rc) return rc;
    if (!found) return fail(ErrNotAvailable);
    pos = row;
    anchorAt(buffer, row);
    return ok();
  }

  std::string keyEquals(int key) const {
    std::string w = sql.keyPred[static_cast<std::size_t>(key)];
    for (const auto& c : sql.keyColList[static_cast<std::size_t>(key)]) w += " AND " + c + " = ?";
    return w;
  }

  // Which unique key the buffer clashes on (excluding record `self`).
  int findDuplicate(int64_t self) {
    for (std::size_t k = 0; k < def.keys.size(); ++k) {
      if (!def.keys[k].unique || keyBlank(static_cast<int>(k), buffer)) continue;
      sqlite3_stmt* st = stmt("SELECT rowid FROM " + sql.table + " WHERE " +
                              keyEquals(static_cast<int>(k)) + " AND rowid <> ? LIMIT 1");
      if (!st) return -1;
      int i = 1;
      for (const auto& v : keyValues(static_cast<int>(k), buffer)) bindValue(st, i++, v);
      sqlite3_bind_int64(st, i, self);
      int rc = sqlite3_step(st);
      sqlite3_reset(st);
      if (rc == SQLITE_ROW) return static_cast<int>(k);
    }
    return -1;
  }

  // Binds b's columns from index `from`, only those no index holds when
  // dataOnly; returns the next free index (the rowid's).
  int bindRecord(sqlite3_stmt* st, const RecordBuffer& b, bool dataOnly = false,
                 int from = 1) const {
    const int n = static_cast<int>(def.fields.size());
    int index = from;
    for (int i = 0; i < n; ++i) {
      if (dataOnly && sql.indexed[static_cast<std::size_t>(i)]) continue;
      if (def.fields[static_cast<std::size_t>(i)].type == FieldType::Text) {
        // Straight from the packed bytes, not copied: b outlives the step,
        // and batch writers bind many wide records.
        const std::string_view text = textOf(b, i);
        sqlite3_bind_text(st, index++, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
      } else {
        bindValue(st, index++, store_detail::columnValue(b, i));
      }
    }
    for (std::size_t m = 0; m < def.memos.size(); ++m) {
      std::string memo = b.memo(static_cast<int>(m));
      sqlite3_bind_text(st, index++, memo.data(), static_cast<int>(memo.size()), SQLITE_TRANSIENT);
    }
    return index;
  }
  void bindRecord(sqlite3_stmt* st) const { bindRecord(st, buffer); }

  std::string_view textOf(const RecordBuffer& b, int field) const { return b.textView(field); }

  // Whether result column `column` holds what binding b's field would store.
  bool columnHolds(sqlite3_stmt* st, int column, const RecordBuffer& b, int field) const {
    const int type = sqlite3_column_type(st, column);
    if (def.fields[static_cast<std::size_t>(field)].type == FieldType::Text) {
      if (type != SQLITE_TEXT) return false;
      const std::string_view text = textOf(b, field);
      const auto n = static_cast<std::size_t>(sqlite3_column_bytes(st, column));
      return n == text.size() &&
             (n == 0 || std::memcmp(sqlite3_column_text(st, column), text.data(), n) == 0);
    }
    const SqlValue v = store_detail::columnValue(b, field);
    if (v.kind == SqlValue::Int)
      return type == SQLITE_INTEGER && sqlite3_column_int64(st, column) == v.i;
    return (type == SQLITE_FLOAT || type == SQLITE_INTEGER) &&
           sqlite3_column_double(st, column) == v.d;
  }

  // " WHERE ..." for the records whose field, the first component of key,
  // is exactly text: the key finds the candidates (any case), the binary
  // compare keeps the exact ones. Binds ?1.
  std::string exactWhere(int key, int field, const std::string& text) const {
    const std::string& col = sql.columns[static_cast<std::size_t>(field)];
    return " WHERE " + (text.empty() ? col + " = ''"
                                     : sql.keyPred[static_cast<std::size_t>(key)] + " AND " + col +
                                           " = ?1 AND " + col + " = ?1 COLLATE BINARY");
  }
  bool exactApplies(int key, int field) const {
    return !line && key >= 0 && key < static_cast<int>(def.keys.size()) && field >= 0 &&
           def.keys[static_cast<std::size_t>(key)].components.front() == field &&
           def.fields[static_cast<std::size_t>(field)].type == FieldType::Text;
  }

  // What replaceExact found of each stored record, kept between calls.
  struct Stored {
    int64_t row;
    bool same;         // holds what its place asks for
    bool sameIndexed;  // holds its place's indexed values
  };
  std::vector<Stored> stored;

  int writeStep(sqlite3_stmt* st) {
    int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc == SQLITE_DONE) return ok();
    int ext = sqlite3_extended_errcode(db);
    if (ext == SQLITE_CONSTRAINT_UNIQUE) {
      std::string why = sqlite3_errmsg(db);
      fail(ErrDuplicateKey, why);
      return ErrDuplicateKey;
    }
    return failDb(ext);
  }

  int openIndexed(bool create, std::string_view password);
  int checkPassword(std::string_view password);
};

RecordFile::RecordFile(const FileDef& def) : def_(def), impl_(std::make_unique<Impl>(def)) {}
RecordFile::~RecordFile() { close(); }

void RecordFile::setPath(std::string path) {
  impl_->path = std::move(path);
  impl_->pathSet = true;
}

std::string RecordFile::path() const {
  if (impl_->pathSet || impl_->open) return impl_->path;
  std::string name = diskFileName(def_);
  std::string found = findNoCase("", name);
  return found.empty() ? name : found;
}

RecordBuffer& RecordFile::buffer() { return impl_->buffer; }
const RecordBuffer& RecordFile::buffer() const { return impl_->buffer; }
int64_t RecordFile::position() const { return impl_->pos; }
bool RecordFile::isOpen() const { return impl_->open; }
int RecordFile::errorCode() const { return impl_->err; }
std::string RecordFile::errorText() const { return errorTextFor(impl_->err); }
std::string RecordFile::errorDetail() const { return impl_->detail; }
int RecordFile::duplicateKey() const { return impl_->dupKey; }
void RecordFile::setQuickScan(bool on) { impl_->quick = on; }
int RecordFile::order() const { return impl_->order; }

int RecordFile::open(OpenMode mode, bool create, int lockRecoverySeconds,
                     std::string_view password) {
  Impl& m = *impl_;
  if (m.open) return m.ok();
  m.path = path();
  m.mode = mode;
  m.lockRecovery = lockRecoverySeconds < 0 ? 0 : lockRecoverySeconds;
  m.pos = 0;
  m.anchor = Impl::Anchor::Start;
  m.dupKey = -1;
  if (m.path.empty()) return m.fail(ErrFileNotFound, "no file name");
  if (hasDriveLetter(m.path))
    return m.fail(ErrFileNotFound, "a path with a drive letter cannot be used: " + m.path);
  if (def_.kind == FileKind::Line) {
    m.line = std::make_unique<LineFile>(def_);
    int rc = m.line->open(m.path, mode, create, m.lockRecovery);
    if (rc) {
      std::string why = m.line->errorDetail();
      m.line.reset();
      return m.fail(rc, why);
    }
    m.open = true;
    return m.ok();
  }
  struct stat before;
  const bool existed = ::stat(m.path.c_str(), &before) == 0;
  int rc = m.openIndexed(create, password);
  if (rc) {
    m.closeDb();
    // A file this open made but could not finish is not left behind: the
    // next start would find a file that is no record file.
    if (!existed && create) {
      std::error_code ec;
      for (const char* end : {"", "-journal"}) std::filesystem::remove(m.path + end, ec);
    }
    return rc;
  }
  m.open = true;
  return m.ok();
}

int RecordFile::Impl::openIndexed(bool create, std::string_view password) {
  struct stat st;
  bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) return fail(ErrIsDirectory, path + " is a directory");
  if (!exists && !create) return fail(ErrFileNotFound, "file not found: " + path);
  // The engine takes an empty file for an empty database: it is set up as
  // a new record file (a create cut short by a full disk leaves one).
  const bool fresh = !exists || (S_ISREG(st.st_mode) && st.st_size == 0);
  store_detail::configureEngine();
  const bool forcedReadOnly = exists && store_detail::unwritableForTests(path);
  int flags =
      ((writable() || fresh) && !forcedReadOnly ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) |
      SQLITE_OPEN_NOMUTEX;
  if (!exists) flags |= SQLITE_OPEN_CREATE;
  int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    int e = errno;
    if (e == EACCES || e == EPERM || e == EROFS)
      return fail(ErrAccessDenied, "cannot open " + path);
    return failDb(rc);
  }
  sqlite3_extended_result_codes(db, 1);
  store_detail::tuneConnection(db);
  busy.attach(db, lockRecovery, {path});
  if (const std::string cap = store_detail::limitPagesSql(""); !cap.empty() && exec(cap))
    return err;
  // Reading the header tells a foreign or damaged file at once.
  if (int e = exec("PRAGMA schema_version"))
    return e == ErrBadFile ? fail(e, path + ": " + detail) : e;
  if (writable() || fresh) {
    if (exec("PRAGMA journal_mode=DELETE") || exec("PRAGMA synchronous=FULL")) return err;
  }
  if (fresh && !forcedReadOnly) {
    if (exec("BEGIN IMMEDIATE")) return err;
    bool good = exec(sql.createTable("")) == 0;
    for (const auto& s : sql.createIndexes(""))
      if (good) good = exec(s) == 0;
    std::string secret(password.empty() ? std::string_view(def.ownerPassword) : password);
    if (good && !secret.empty()) {
      std::string salt = store_detail::randomHex(16);
      good =
          exec(std::string("CREATE TABLE IF NOT EXISTS ") + kMetaTable +
               " (name TEXT PRIMARY KEY, value TEXT)") == 0 &&
          exec(std::string("INSERT OR IGNORE INTO ") + kMetaTable + " VALUES ('owner_salt', '" +
               salt + "'), ('owner_hash', '" + store_detail::sha256Hex(salt + secret) + "')") == 0;
    }
    if (!good) {
      int code = err;
      std::string why = detail;
      exec("ROLLBACK");
      return fail(code, why);
    }
    if (exec("COMMIT")) return err;
  }
  // The layout must be ours: the table and every column.
  {
    sqlite3_stmt* st = stmt("SELECT name FROM pragma_table_info(?)");
    if (!st) return err;
    sqlite3_bind_text(st, 1, def.label.c_str(), -1, SQLITE_TRANSIENT);
    std::set<std::string> have;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      std::string n(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
      for (auto& c : n)
        c = static_cast<char>(store_detail::foldCase(static_cast<unsigned char>(c)));
      have.insert(n);
    }
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) return failDb(rc);
    if (have.empty()) return fail(ErrBadFile, path + " holds no " + def.label + " records");
    auto need = [&](const std::string& label) {
      std::string n = columnName(label);
      for (auto& c : n)
        c = static_cast<char>(store_detail::foldCase(static_cast<unsigned char>(c)));
      return have.count(n) > 0;
    };
    for (const auto& f : def.fields)
      if (!need(f.label)) return fail(ErrBadFile, path + " lacks the column of " + f.label);
    for (const auto& mm : def.memos)
      if (!need(mm.label)) return fail(ErrBadFile, path + " lacks the column of " + mm.label);
  }
  if (int e = checkPassword(password)) return e;
  if (writable()) {
    for (const auto& s : sql.createIndexes(""))
      if (exec(s)) return err;
  }
  if (deniesWrite() && !denyLock.lockExclusive(store_detail::lockPathFor(path), lockRecovery))
    return fail(ErrAccessDenied, path + " is in use by another user");
  return ok();
}

int RecordFile::Impl::checkPassword(std::string_view password) {
  sqlite3_stmt* st = stmt("SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name = '" +
                          std::string(kMetaTable) + "'");
  if (!st) return err;
  int rc = sqlite3_step(st);
  bool hasMeta = rc == SQLITE_ROW && sqlite3_column_int(st, 0) > 0;
  sqlite3_reset(st);
  if (rc != SQLITE_ROW) return failDb(rc);
  if (!hasMeta) return ok();
  st = stmt(std::string("SELECT (SELECT value FROM ") + kMetaTable +
            " WHERE name = 'owner_salt'), (SELECT value FROM " + kMetaTable +
            " WHERE name = 'owner_hash')");
  if (!st) return err;
  rc = sqlite3_step(st);
  std::string salt, hash;
  if (rc == SQLITE_ROW && sqlite3_column_type(st, 1) != SQLITE_NULL) {
    const auto* s = sqlite3_column_text(st, 0);
    salt = s ? reinterpret_cast<const char*>(s) : "";
    hash = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
  }
  sqlite3_reset(st);
  if (rc != SQLITE_ROW) return failDb(rc);
  if (hash.empty()) return ok();
  if (store_detail::sha256Hex(salt + std::string(password)) != hash)
    return fail(ErrBadPassword, path + " needs its owner password");
  return ok();
}

int RecordFile::close() {
  Impl& m = *impl_;
  if (!m.open) return m.ok();
  if (m.tx) {
    m.tx->forget(this);
    leave();
  }
  if (m.inBatch) m.exec("ROLLBACK");
  if (m.line) {
    m.line->close();
    m.line.reset();
  }
  m.closeDb();
  m.open = false;
  m.pos = 0;
  return m.ok();
}

int RecordFile::fetch(int key) {
  Impl& m = *impl_;
  if (!m.open) return m.fail(ErrNotOpen);
  if (m.line) return m.fail(ErrNotSupported, "line files have no keys");
  if (key < 0 || key >= static_cast<int>(def_.keys.size()))
    return m.fail(ErrNotSupported, "no such key");
  if (m.keyBlank(key, m.buffer)) return m.fail(ErrNotFound);
  sqlite3_stmt* st = m.stmt("SELECT " + m.sql.selectList + " FROM " + m.sql.table + " WHERE " +
                            m.keyEquals(key) + " ORDER BY rowid LIMIT 1");
  if (!st) return m.err;
  int i = 1;
  for (const auto& v : m.keyValues(key, m.buffer)) bindValue(st, i++, v);
  int rc = sqlite3_step(st);
  if (rc == SQLITE_ROW) {
    m.loadRow(m.buffer, st);
    m.pos = sqlite3_column_int64(st, 0);
    sqlite3_reset(st);
    m.anchorAt(m.buffer, m.pos);
    return m.ok();
  }
  sqlite3_reset(st);
  if (rc == SQLITE_DONE) return m.fail(ErrNotFound);
  return m.failDb(rc);
}

int RecordFile::fetchPosition(int64_t position) {
  Impl& m = *impl_;
  if (!m.open) return m.fail(ErrNotOpen);
  if (m.line) {
    if (int rc = m.line->seekTo(position)) return m.fail(rc, m.line->errorDetail());
    return next();
  }
  sqlite3_stmt* st =
      m.stmt("SELECT " + m.sql.selectList + " FROM " + m.sql.table + " WHERE rowid = ?");
  if (!st) return m.err;
  sqlite3_bind_int64(st, 1, position);
  int rc = sqlite3_step(st);
  if (rc == SQLITE_ROW) {
    m.loadRow(m.buffer, st);
    sqlite3_reset(st);
    m.pos = position;
    m.anchorAt(m.buffer, position);
    return m.ok();
  }
  sqlite3_reset(st);
  if (rc == SQLITE_DONE) return m.fail(ErrNotFound);
  return m.failDb(rc);
}

int RecordFile::add() {
  Impl& m = *impl_;
  m.dupKey = -1;
  if (!m.open) return m.fail(ErrNotOpen);
  if (!m.mayWrite()) return m.err;
  if (m.line) {
    if (int rc = m.line->append(m.buffer)) return m.fail(rc, m.line->errorDetail());
    m.pos = m.line->position();
    return m.ok();
  }
  sqlite3_stmt* st = m.stmt(m.sql.insertSql, true);
  if (!st) return m.err;
  m.bindRecord(st);
  int rc = m.writeStep(st);
  if (rc == ErrDuplicateKey) m.dupKey = m.findDuplicate(0);
  if (rc) return m.fail(rc, m.detail);
  m.pos = sqlite3_last_insert_rowid(m.db);
  m.anchorAt(m.buffer, m.pos);
  return m.ok();
}

int RecordFile::addAll(std::span<const RecordBuffer> records) {
  Impl& m = *impl_;
  m.dupKey = -1;
  if (!m.open) return m.fail(ErrNotOpen);
  if (m.line) return m.fail(ErrNotSupported, "line files are appended to one line at a time");
  for (const RecordBuffer& b : records)
    if (&b.def() != &def_) return m.fail(ErrNotSupported, "a record of another layout");
  if (records.empty()) return m.ok();
  if (!m.mayWrite()) return m.err;
  // All or none: a part of the batch or transaction the file is in, else
  // a batch of its own.
  const bool own = !m.tx && !m.inBatch;
  if (own ? beginBatch() != 0 : m.exec("SAVEPOINT add_all") != 0) return m.err;
  // Several rows a statement: each statement costs its own setting up and
  // ending, on top of what its rows cost.
  constexpr std::size_t kRows = 8;
  const std::string row = m.sql.insertSql.substr(m.sql.insertSql.rfind(" ("));
  int rc = 0;
  for (std::size_t at = 0; rc == 0 && at < records.size();) {
    const std::size_t n = std::min(kRows, records.size() - at);
    std::string sql = m.sql.insertSql;
    for (std::size_t r = 1; r < n; ++r) sql += "," + row;
    sqlite3_stmt* st = m.stmt(sql, true);
    if (!st) {
      rc = m.err;
      break;
    }
    for (std::size_t r = 0, index = 1; r < n; ++r)
      index = static_cast<std::size_t>(
          m.bindRecord(st, records[at + r], false, static_cast<int>(index)));
    rc = m.writeStep(st);
    at += n;
  }
  const int64_t last = rc == 0 ? sqlite3_last_insert_rowid(m.db) : 0;
  const std::string why = m.detail;
  if (own) {
    rc = rc == 0 ? commitBatch() : (rollbackBatch(), rc);
  } else if (rc != 0) {
    m.exec("ROLLBACK TO add_all");
    m.exec("RELEASE add_all");
  } else if (m.exec("RELEASE add_all")) {
    rc = m.err;
  }
  if (rc != 0) return m.fail(rc, m.err == rc ? m.detail : why);
  m.pos = last;
  m.anchorAt(records.back(), m.pos);
  return m.ok();
}

int RecordFile::put() {
  Impl& m = *impl_;
  if (int rc = m.refuseChange()) return rc;
  sqlite3_stmt* st = m.stmt(m.sql.updateSql, true);
  if (!st) return m.err;
  m.bindRecord(st);
  sqlite3_bind_int64(st, static_cast<int>(def_.fields.size() + def_.memos.size()) + 1, m.pos);
  int rc = m.writeStep(st);
  if (rc == ErrDuplicateKey) m.dupKey = m.findDuplicate(m.pos);
  if (rc) return m.fail(rc, m.detail);
  if (sqlite3_changes(m.db) == 0)
    return m.fail(ErrNotFound, "the record was deleted by another user");
  m.anchorAt(m.buffer, m.pos);
  return m.ok();
}

int RecordFile::putIfUnchanged(const RecordBuffer& expected) {
  Impl& m = *impl_;
  if (int rc = m.refuseChange()) return rc;
  // Inside a batch or an enlisted transaction the compare already shares the
  // write's transaction; otherwise one is begun for the two.
  const bool own = !m.tx && !m.inBatch;
  if (own && m.exec("BEGIN IMMEDIATE")) return m.err;
  auto finish = [&](int rc) {
    if (!own) return rc;
    std::string why = m.detail;
    if (rc == 0) {
      if (m.exec("COMMIT")) {
        rc = m.err;
        why = m.detail;
        m.exec("ROLLBACK");
      }
    } else {
      m.exec("ROLLBACK");
    }
    return rc ? m.fail(rc, why) : m.ok();
  };
  sqlite3_stmt* st =
      m.stmt("SELECT " + m.sql.selectList + " FROM " + m.sql.table + " WHERE rowid = ?");
  if (!st) return finish(m.err);
  sqlite3_bind_int64(st, 1, m.pos);
  int rc = sqlite3_step(st);
  if (rc != SQLITE_ROW) {
    sqlite3_reset(st);
    return finish(rc == SQLITE_DONE ? m.fail(ErrNotFound, "the record was deleted by another user")
                                    : m.failDb(rc));
  }
  RecordBuffer stored(def_);
  m.loadRow(stored, st);
  sqlite3_reset(st);
  if (!(stored == expected))
    return finish(m.fail(ErrChanged, "the record was changed by another user"));
  st = m.stmt(m.sql.updateSql);
  if (!st) return finish(m.err);
  m.bindRecord(st);
  sqlite3_bind_int64(st, static_cast<int>(def_.fields.size() + def_.memos.size()) + 1, m.pos);
  rc = m.writeStep(st);
  if (rc == ErrDuplicateKey) m.dupKey = m.findDuplicate(m.pos);
  if (rc) return finish(rc);
  rc = finish(0);
  if (rc == 0) m.anchorAt(m.buffer, m.pos);
  return rc;
}

int RecordFile::erase() {
  Impl& m = *impl_;
  if (!m.open) return m.fail(ErrNotOpen);
  if (m.line) return m.fail(ErrNotSupported, "line files are only appended to");
  if (m.pos == 0) return m.fail(ErrNotAvailable, "no record to delete");
  if (!m.mayWrite()) return m.err;
  sqlite3_stmt* st = m.stmt("DELETE FROM " + m.sql.table + " WHERE rowid = ?");
  if (!st) return m.err;
  sqlite3_bind_int64(st, 1, m.pos);
  if (int rc = m.writeStep(st)) return rc;
  bool gone = sqlite3_changes(m.db) > 0;
  m.pos = 0;  // the cursor stays where the record was
  return gone ? m.ok() : m.fail(ErrNotFound);
}

void RecordFile::forgetPosition() { impl_->pos = 0; }

int RecordFile::deleteExact(int key, int field, std::string_view value, int64_t* deleted) {
  Impl& m = *impl_;
  if (deleted) *deleted = 0;
  if (!m.open) return m.fail(ErrNotOpen);
  if (!m.exactApplies(key, field)) return m.fail(ErrNotSupported);
  const std::string text(clip(value));
  const std::string where = m.exactWhere(key, field, text);
  const auto bind = [&](sqlite3_stmt* st) {
    if (!text.empty())
      sqlite3_bind_text(st, 1, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  };
  if (!m.tx) {
    // Nothing to delete asks for no write, so another's deny-write is no failure.
    sqlite3_stmt* probe = m.stmt("SELECT 1 FROM " + m.sql.table + where + " LIMIT 1");
    if (!probe) return m.err;
    bind(probe);
    const int rc = sqlite3_step(probe);
    sqlite3_reset(probe);
    if (rc == SQLITE_DONE) return m.ok();
    if (rc != SQLITE_ROW) return m.failDb(rc);
  }
  if (!m.mayWrite()) return m.err;
  sqlite3_stmt* st = m.stmt("DELETE FROM " + m.sql.table + where);
  if (!st) return m.err;
  bind(st);
  if (int rc = m.writeStep(st)) return rc;
  if (deleted) *deleted = sqlite3_changes64(m.db);
  return m.ok();
}

int RecordFile::replaceExact(int key, int field, std::string_view value,
                             std::span<const RecordBuffer> records, Replaced* outcome) {
  Impl& m = *impl_;
  Replaced own;
  Replaced& r = outcome ? *outcome : own;
  r = Replaced{};
  store_detail::ExactReplace<Impl> job(m, def_, records, r);
  if (!m.open) return job.failAt(Replaced::Step::Read, m.fail(ErrNotOpen));
  if (!m.exactApplies(key, field)) return job.failAt(Replaced::Step::Read, m.fail(ErrNotSupported));
  for (const RecordBuffer& b : records)
    if (&b.def() != &def_) return job.failAt(Replaced::Step::Read, m.fail(ErrNotSupported));

  if (int rc = job.readAndCompare(key, field, std::string(clip(value)))) return rc;
  if (!job.writes()) return m.ok();  // a deny-write elsewhere is no failure then
  if (!m.mayWrite()) return job.refused(m.err);
  if (int rc = job.deleteSurplus()) return rc;
  const int rc = job.writeChanged();
  if (rc == ErrDuplicateKey) {
    if (int again = job.replaceWhole()) return again;
  } else if (rc) {
    return rc;
  }
  return m.ok();
}

const Transaction* RecordFile::transaction() const { return impl_->tx; }

int RecordFile::join(sqlite3* db, Transaction* tx) {
  Impl& m = *impl_;
  if (!m.open || m.line) return m.fail(ErrNotOpen);
  if (m.tx == tx) return m.ok();
  if (m.tx || m.inBatch) return m.fail(ErrLocked, "the file is in another batch");
  m.ownDb = m.db;
  m.ownStmts = std::move(m.stmts);
  m.stmts.clear();
  m.db = db;
  m.tx = tx;
  return m.ok();
}

void RecordFile::leave() {
  Impl& m = *impl_;
  if (!m.tx) return;
  m.finalizeAll();
  m.stmts = std::move(m.ownStmts);
  m.ownStmts.clear();
  m.db = m.ownDb;
  m.ownDb = nullptr;
  m.tx = nullptr;
}

int RecordFile::deleteByKey(int key, const RecordBuffer& values, int64_t* deleted) {
  Impl& m = *impl_;
  if (deleted) *deleted = 0;
  if (!m.open) return m.fail(ErrNotOpen);
  if (m.line || key < 0 || key >= static_cast<int>(def_.keys.size()))
    return m.fail(ErrNotSupported);
  if (m.keyBlank(key, values)) return m.ok();
  if (!m.mayWrite()) return m.err;
  sqlite3_stmt* st = m.stmt("DELETE FROM " + m.sql.table + " WHERE " + m.keyEquals(key));
  if (!st) return m.err;
  int i = 1;
  for (const auto& v : m.keyValues(key, values)) bindValue(st, i++, v);
  if (int rc = m.writeStep(st)) return rc;
  if (deleted) *deleted = sqlite3_changes64(m.db);
  return m.ok();
}

void RecordFile::setOrder(int key) {
  Impl& m = *impl_;
  m.order = (key >= 0 && key < static_cast<int>(def_.keys.size())) ? key : -1;
  m.anchor = Impl::Anchor::Start;
}

int RecordFile::seekFirst() {
  Impl& m = *impl_;
  if (!m.open) return m.fail(ErrNotOpen);
  if (m.line) {
    if (int rc = m.line->rewind()) return m.fail(rc, m.line->errorDetail());
    return m.ok();
  }
  m.anchor = Impl::Anchor::Start;
  return m.ok();
}

int RecordFile::seekLast() {
  Impl& m = *impl_;
  if (!m.open) return m.fail(ErrNotOpen);
  if (m.line) return m.fail(ErrNotSupported, "line files read forwards only");
  m.anchor = Impl::Anchor::End;
  return m.ok();
}

int RecordFile::seekAtOrAfter() {
  Impl& m = *impl_;
  if (!m.open) return m.fail(ErrNotOpen);
  if (m.line) return seekFirst();
  if (m.order < 0) {
    m.anchor = Impl::Anchor::Start;
    return m.ok();
  }
  m.anchor = Impl::Anchor::Key;
  m.anchorValues = m.keyValues(m.order, m.buffer);
  m.anchorRow = 0;
  return m.ok();
}

int RecordFile::seekBefore() {
  Impl& m = *impl_;
  if (!m.open) return m.fail(ErrNotOpen);
  if (m.line) return m.fail(ErrNotSupported, "line files read forwards only");
  if (m.order < 0) {
    m.anchor = Impl::Anchor::End;
    return m.ok();
  }
  m.anchor = Impl::Anchor::Key;
  m.anchorValues = m.keyValues(m.order, m.buffer);
  m.anchorRow = INT64_MAX;
  return m.ok();
}

int RecordFile::next() { return impl_->step(true); }
int RecordFile::previous() { return impl_->step(false); }

int RecordFile::readPage(int key, const RecordBuffer* from, int64_t fromPos, bool forward,
                         int count, std::vector<std::pair<int64_t, RecordBuffer>>& out,
                         KeyRange range, const RecordBuffer* rangeValues,
                         const std::function<bool(const RecordBuffer&)>& accept,
                         const Conditions& where) {
  Impl& m = *impl_;
  out.clear();
  if (!m.open) return m.fail(ErrNotOpen);
  if (m.line) return m.fail(ErrNotSupported, "line files have no pages");
  if (count <= 0) return m.ok();
  if (key >= static_cast<int>(def_.keys.size())) key = -1;
  int n =
      key >= 0 ? static_cast<int>(def_.keys[static_cast<std::size_t>(key)].components.size()) : 0;
  int comps = std::clamp(range.components, 0, n);
  std::vector<SqlValue> rangeVals;
  if (comps > 0)
    rangeVals = m.keyValues(key, rangeValues ? *rangeValues : (from ? *from : m.buffer));
  std::vector<SqlValue> values;
  auto kind = Impl::Anchor::Start;
  if (from) {
    kind = Impl::Anchor::Key;
    if (key >= 0) values = m.keyValues(key, *from);
  }
  // With a filter the engine may have to look further than one page.
  int batch = accept ? std::max(count * 4, 64) : count;
  RecordBuffer row(def_);
  int64_t lastRow = fromPos;
  while (static_cast<int>(out.size()) < count) {
    int got = 0;
    int rc = m.scan(key, kind, values, lastRow, forward, batch, comps, rangeVals, where,
                    [&](int64_t r, sqlite3_stmt* st) {
                      ++got;
                      m.loadRow(row, st);
                      lastRow = r;
                      if (!accept || accept(row)) out.emplace_back(r, row);
                      return static_cast<int>(out.size()) < count;
                    });
    if (rc) return rc;
    if (got < batch || static_cast<int>(out.size()) >= count) break;
    // Go on from the last row seen.
    kind = Impl::Anchor::Key;
    if (key >= 0) values = m.keyValues(key, row);
  }
  return m.ok();
}

int RecordFile::locatePrefix(int key, std::string_view prefix) {
  Impl& m = *impl_;
  if (!m.open) return m.fail(ErrNotOpen);
  if (m.line || key < 0 || key >= static_cast<int>(def_.keys.size()))
    return m.fail(ErrNotSupported);
  const auto& cols = m.sql.keyColList[static_cast<std::size_t>(key)];
  int first = def_.keys[static_cast<std::size_t>(key)].components[0];
  SqlValue v = store_detail::valueFromText(def_.fields[static_cast<std::size_t>(first)], prefix);
  std::string q = "SELECT " + m.sql.selectList + " FROM " + m.sql.table + " WHERE " +
                  m.sql.keyPred[static_cast<std::size_t>(key)] + " AND " + cols[0] +
                  " >= ? ORDER BY ";
  for (const auto& c : cols) q += c + ", ";
  q += "rowid LIMIT 1";
  sqlite3_stmt* st = m.stmt(q);
  if (!st) return m.err;
  bindValue(st, 1, v);
  int rc = sqlite3_step(st);
  if (rc != SQLITE_ROW) {
    sqlite3_reset(st);
    return rc == SQLITE_DONE ? m.fail(ErrNotAvailable) : m.failDb(rc);
  }
  m.loadRow(m.buffer, st);
  m.pos = sqlite3_column_int64(st, 0);
  sqlite3_reset(st);
  m.order = key;
  m.anchorAt(m.buffer, m.pos);
  std::string have = m.buffer.valueText(first);
  std::string want(clip(prefix));
  bool begins =
      have.size() >= want.size() && store_detail::equalNoCase(have.substr(0, want.size()), want);
  return begins ? m.ok() : m.fail(ErrNotFound);
}

int64_t RecordFile::count() {
  Impl& m = *impl_;
  if (!m.open) {
    m.fail(ErrNotOpen);
    return 0;
  }
  if (m.line) return m.line->count();
  sqlite3_stmt* st = m.stmt("SELECT count(*) FROM " + m.sql.table);
  if (!st) return 0;
  int rc = sqlite3_step(st);
  int64_t n = rc == SQLITE_ROW ? sqlite3_column_int64(st, 0) : 0;
  sqlite3_reset(st);
  if (rc != SQLITE_ROW)
    m.failDb(rc);
  else
    m.ok();
  return n;
}

int64_t RecordFile::countWhere(const Conditions& where, int64_t limit) {
  Impl& m = *impl_;
  if (!m.open) {
    m.fail(ErrNotOpen);
    return -1;
  }
  if (m.line) {
    m.fail(ErrNotSupported, "line files have no conditions");
    return -1;
  }
  std::string inner = "SELECT 1 FROM " + m.sql.table + " WHERE 1" + m.sql.whereSql(where);
  if (limit > 0) inner += " LIMIT ?";
  sqlite3_stmt* st = m.stmt("SELECT count(*) FROM (" + inner + ")");
  if (!st) return -1;
  int i = 1;
  m.sql.bindWhere(st, i, where);
  if (limit > 0) sqlite3_bind_int64(st, i, limit);
  int rc = sqlite3_step(st);
  int64_t n = rc == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
  sqlite3_reset(st);
  if (rc != SQLITE_ROW) {
    m.failDb(rc);
    return -1;
  }
  m.ok();
  return n;
}

int RecordFile::rebuildKeys() {
  Impl& m = *impl_;
  if (!m.open) return m.fail(ErrNotOpen);
  if (m.line || m.tx) return m.ok();  // inside a transaction the keys are current by construction
  if (!m.mayWrite()) return m.err;
  if (m.exec("BEGIN IMMEDIATE")) return m.err;
  bool good = true;
  for (const auto& s : m.sql.createIndexes(""))
    if (good) good = m.exec(s) == 0;
  if (good) good = m.exec("REINDEX " + m.sql.table) == 0;
  if (!good) {
    int code = m.err;
    std::string why = m.detail;
    m.exec("ROLLBACK");
    return m.fail(code == ErrDuplicateKey ? ErrDuplicateKey : code, why);
  }
  if (m.exec("COMMIT")) return m.err;
  sqlite3_stmt* st = m.stmt("PRAGMA integrity_check");
  if (!st) return m.err;
  std::string report;
  int rc;
  while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    const auto* t = sqlite3_column_text(st, 0);
    if (!report.empty()) report += "; ";
    report += t ? reinterpret_cast<const char*>(t) : "";
  }
  sqlite3_reset(st);
  if (rc != SQLITE_DONE) return m.failDb(rc);
  if (report != "ok") return m.fail(ErrBadFile, report);
  return m.ok();
}

int RecordFile::beginBatch() {
  Impl& m = *impl_;
  if (!m.open) return m.fail(ErrNotOpen);
  if (m.line || m.inBatch || m.tx) return m.ok();
  if (!m.mayWrite()) return m.err;
  if (!m.deniesWrite() && !m.writeLock.lockSharedIfPresent(store_detail::lockPathFor(m.path)))
    return m.fail(ErrAccessDenied, "another user denies writing to " + m.path);
  if (m.exec("BEGIN IMMEDIATE")) {
    m.writeLock.release();
    return m.err;
  }
  m.inBatch = true;
  return m.ok();
}

void RecordFile::refuseWrites(int code, std::string why) {
  impl_->refused = code;
  impl_->refusedWhy = code ? std::move(why) : std::string();
}

int RecordFile::commitBatch() {
  Impl& m = *impl_;
  if (!m.open) return m.fail(ErrNotOpen);
  if (!m.inBatch) return m.ok();
  int rc = m.exec("COMMIT");
  if (rc) {
    // A failed commit leaves nothing half-done.
    std::string why = m.detail;
    if (!sqlite3_get_autocommit(m.db)) m.exec("ROLLBACK");
    m.fail(rc, why);
  }
  m.inBatch = false;
  m.writeLock.release();
  return rc;
}

int RecordFile::rollbackBatch() {
  Impl& m = *impl_;
  if (!m.open) return m.fail(ErrNotOpen);
  if (!m.inBatch) return m.ok();
  m.inBatch = false;
  int rc = sqlite3_get_autocommit(m.db) ? 0 : m.exec("ROLLBACK");
  m.writeLock.release();
  return rc;
}

}  // namespace qm
