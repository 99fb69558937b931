#include "runtime/store/sqlfile.h"

#include <malloc.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "runtime/store/store_internal.h"
#include "runtime/values/text.h"

namespace qm::store_detail {

std::string quoteId(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

SqlValue columnValue(const RecordBuffer& b, int field) {
  const FieldDef& f = b.def().fields[static_cast<std::size_t>(field)];
  SqlValue v;
  switch (f.type) {
    case FieldType::Text:
      v.kind = SqlValue::Text;
      v.s = b.text(field);
      break;
    case FieldType::Date:
      v.kind = SqlValue::Int;
      v.i = b.date(field);
      break;
    case FieldType::Decimal42:
      v.kind = SqlValue::Real;
      v.d = static_cast<double>(b.decimal(field).cents()) / 100.0;
      break;
    case FieldType::Real:
      v.kind = SqlValue::Real;
      v.d = b.real(field);
      if (!std::isfinite(v.d)) v.d = 0;
      break;
    default:
      v.kind = SqlValue::Int;
      v.i = b.integer(field);
      break;
  }
  return v;
}

SqlValue valueFromText(const FieldDef& f, std::string_view text) {
  SqlValue v;
  if (f.type == FieldType::Text) {
    v.kind = SqlValue::Text;
    v.s = std::string(clip(text));
  } else if (f.type == FieldType::Real || f.type == FieldType::Decimal42) {
    v.kind = SqlValue::Real;
    v.d = parseNumber(text);
  } else {
    v.kind = SqlValue::Int;
    v.i = static_cast<int64_t>(parseNumber(text));
  }
  return v;
}

void bindValue(sqlite3_stmt* st, int index, const SqlValue& v) {
  switch (v.kind) {
    case SqlValue::Text:
      sqlite3_bind_text(st, index, v.s.data(), static_cast<int>(v.s.size()), SQLITE_TRANSIENT);
      break;
    case SqlValue::Int:
      sqlite3_bind_int64(st, index, v.i);
      break;
    case SqlValue::Real:
      sqlite3_bind_double(st, index, v.d);
      break;
  }
}

void loadColumn(RecordBuffer& b, int field, sqlite3_stmt* st, int column) {
  const FieldDef& f = b.def().fields[static_cast<std::size_t>(field)];
  switch (f.type) {
    case FieldType::Text: {
      const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
      int n = sqlite3_column_bytes(st, column);
      b.setText(field, t ? std::string_view(t, static_cast<std::size_t>(n)) : std::string_view());
      break;
    }
    case FieldType::Date:
      b.setDate(field, static_cast<int32_t>(sqlite3_column_int64(st, column)));
      break;
    case FieldType::Decimal42: {
      double d = sqlite3_column_double(st, column);
      auto v = std::isfinite(d) ? Decimal42::fromCents(std::llround(d * 100.0)) : std::nullopt;
      b.setDecimal(field, v ? *v : Decimal42());
      break;
    }
    case FieldType::Real:
      b.setReal(field, sqlite3_column_double(st, column));
      break;
    default:
      b.setInteger(field, sqlite3_column_int64(st, column));
      break;
  }
}

void configureEngine() {
  static std::once_flag once;
  std::call_once(once, [] {
    // What a batch part must be able to take back stays in memory, in one
    // block the allocator hands back part after part (small pieces cost a
    // tenth of a re-read); only a part of over 1 MB spills to a file.
    // Refused once the engine runs: then it only costs time.
    sqlite3_config(SQLITE_CONFIG_STMTJRNL_SPILL, 1 << 20);
    // No allocation counters: each would take a process-wide lock on every
    // allocation, and nothing reads them.
    sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    // A batch's cache is let go at every commit and taken again at once:
    // handing it back to the system each time cost a seventh of a big
    // read in page faults.
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_MMAP_THRESHOLD, 8 << 20);
  });
}

namespace {

// A mask whose lowest set bit marks the first zero byte of w (bits above
// it may be set falsely).
uint64_t zeroBytes(uint64_t w) { return (w - 0x0101010101010101ull) & ~w & 0x8080808080808080ull; }

int foldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

}  // namespace

int nocaseCompare(void*, int n1, const void* k1, int n2, const void* k2) {
  const auto* a = static_cast<const unsigned char*>(k1);
  const auto* b = static_cast<const unsigned char*>(k2);
  const int n = n1 < n2 ? n1 : n2;
  int i = 0;
  while (i < n) {
    // Equal bytes pass a word at a time, up to the first that differs or
    // is zero (the engine's compare stops there).
    if (std::endian::native == std::endian::little && i + 8 <= n) {
      uint64_t wa, wb;
      std::memcpy(&wa, a + i, 8);
      std::memcpy(&wb, b + i, 8);
      const uint64_t stop = (wa ^ wb) | zeroBytes(wa);
      if (stop == 0) {
        i += 8;
        continue;
      }
      i += std::countr_zero(stop) / 8;
    }
    if (a[i] == 0) {
      const int r = -foldAscii(b[i]);
      return r != 0 ? r : n1 - n2;
    }
    if (const int r = foldAscii(a[i]) - foldAscii(b[i]); r != 0) return r;
    ++i;
  }
  return n1 - n2;
}

void tuneConnection(sqlite3* db) {
  // The same order as the engine's own NOCASE, which every index was built
  // with, compared a word at a time: page paths share long beginnings.
  sqlite3_create_collation(db, "NOCASE", SQLITE_UTF8, nullptr, nocaseCompare);
}

int codeFor(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_DONE:
    case SQLITE_ROW:
      return ErrNone;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return ErrLocked;
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return ErrAccessDenied;
    case SQLITE_READONLY:
      return ErrReadOnly;
    case SQLITE_FULL:
      return ErrDiskFull;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_FORMAT:
    case SQLITE_SCHEMA:
    case SQLITE_ERROR:
      return ErrBadFile;
    case SQLITE_NOTFOUND:
      return ErrNotFound;
    case SQLITE_CONSTRAINT:
      return (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
                 ? ErrDuplicateKey
                 : ErrBadFile;
    case SQLITE_CANTOPEN:
      return ErrFileNotFound;
    default:
      return ErrFileSystem;
  }
}

int codeFor(int rc, int systemErrno) {
  // The engine says "cannot open" or "I/O error" for what the system knows better.
  const int base = rc & 0xFF;
  if (base == SQLITE_CANTOPEN || base == SQLITE_IOERR) {
    switch (systemErrno) {
      case EACCES:
      case EPERM:
        return ErrAccessDenied;
      case EROFS:
        return ErrReadOnly;
      case ENOSPC:
      case EDQUOT:
        return ErrDiskFull;
      case EISDIR:
        return ErrIsDirectory;
      default:
        break;
    }
  }
  return codeFor(rc);
}

std::string failureDetail(sqlite3* db, int rc, const std::string& path) {
  std::string why = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  const int sys = db ? sqlite3_system_errno(db) : 0;
  const int base = rc & 0xFF;
  if (sys != 0 && (base == SQLITE_CANTOPEN || base == SQLITE_IOERR || base == SQLITE_FULL))
    why += std::string(" (") + std::strerror(sys) + ")";
  return path.empty() ? why : path + ": " + why;
}

TableSql::TableSql(const FileDef& d) : def(d) {
  table = quoteId(def.label);
  for (const auto& f : def.fields) columns.push_back(quoteId(columnName(f.label)));
  for (const auto& m : def.memos) columns.push_back(quoteId(columnName(m.label)));
  selectList = "rowid";
  std::string names, marks, sets;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    selectList += ", " + columns[i];
    names += (i ? ", " : "") + columns[i];
    marks += i ? ", ?" : "?";
    sets += (i ? ", " : "") + columns[i] + " = ?";
  }
  insertSql = "INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")";
  updateSql = "UPDATE " + table + " SET " + sets + " WHERE rowid = ?";
  indexed.assign(def.fields.size(), false);
  for (const auto& k : def.keys)
    for (int c : k.components) indexed[static_cast<std::size_t>(c)] = true;
  for (const auto& label : def.queryIndexes)
    if (const int f = def.fieldIndex(label); f >= 0) indexed[static_cast<std::size_t>(f)] = true;
  std::string dataSets;
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (i >= indexed.size() || !indexed[i])
      dataSets += (dataSets.empty() ? "" : ", ") + columns[i] + " = ?";
  if (!dataSets.empty())
    dataUpdateSql = "UPDATE " + table + " SET " + dataSets + " WHERE rowid = ?";
  for (const auto& k : def.keys) {
    std::string cols, pred;
    std::vector<std::string> list;
    for (std::size_t c = 0; c < k.components.size(); ++c) {
      const FieldDef& f = def.fields[static_cast<std::size_t>(k.components[c])];
      std::string col = quoteId(columnName(f.label));
      list.push_back(col);
      cols += (c ? ", " : "") + col;
      pred += (c ? " OR " : "") + col + (f.type == FieldType::Text ? " <> ''" : " <> 0");
    }
    keyCols.push_back(cols);
    keyColList.push_back(list);
    keyPred.push_back("(" + pred + ")");
  }
}

std::string TableSql::createTable(const std::string& schema) const {
  std::string sql = "CREATE TABLE IF NOT EXISTS " + schema + table + " (";
  for (std::size_t i = 0; i < def.fields.size(); ++i) {
    const FieldDef& f = def.fields[i];
    sql += (i ? ", " : "") + columns[i];
    switch (f.type) {
      case FieldType::Text:
        sql += " TEXT NOT NULL DEFAULT '' COLLATE NOCASE";
        break;
      case FieldType::Real:
      case FieldType::Decimal42:
        sql += " REAL NOT NULL DEFAULT 0";
        break;
      default:
        sql += " INTEGER NOT NULL DEFAULT 0";
        break;
    }
  }
  for (std::size_t m = 0; m < def.memos.size(); ++m)
    sql += ", " + columns[def.fields.size() + m] + " TEXT NOT NULL DEFAULT ''";
  return sql + ")";
}

std::vector<std::string> TableSql::createIndexes(const std::string& schema) const {
  std::vector<std::string> out;
  for (std::size_t k = 0; k < def.keys.size(); ++k) {
    out.push_back(std::string("CREATE ") + (def.keys[k].unique ? "UNIQUE " : "") +
                  "INDEX IF NOT EXISTS " + schema + quoteId(def.keys[k].label) + " ON " + table +
                  " (" + keyCols[k] + ") WHERE " + keyPred[k]);
  }
  for (const auto& label : def.queryIndexes) {
    int f = def.fieldIndex(label);
    if (f < 0) continue;
    out.push_back("CREATE INDEX IF NOT EXISTS " + schema + quoteId("field:" + label) + " ON " +
                  table + " (" + columns[static_cast<std::size_t>(f)] + ")");
  }
  return out;
}

namespace {

// True when only a non-blank (non-zero) value can meet the condition.
bool excludesBlank(const FieldDef& f, const FieldCondition& c) {
  using Op = FieldCondition::Op;
  if (f.type == FieldType::Text) return c.op == Op::Eq && !clip(c.text).empty();
  switch (c.op) {
    case Op::Eq:
      return c.number != 0;
    case Op::Gt:
      return c.number >= 0;
    case Op::Ge:
      return c.number > 0;
    case Op::Lt:
      return c.number <= 0;
    case Op::Le:
      return c.number < 0;
  }
  return false;
}

}  // namespace

std::string TableSql::whereSql(const Conditions& where) const {
  std::string out;
  for (const auto& c : where) {
    if (c.field < 0 || c.field >= static_cast<int>(def.fields.size())) continue;
    const char* op = " = ?";
    switch (c.op) {
      case FieldCondition::Op::Eq:
        op = " = ?";
        break;
      case FieldCondition::Op::Lt:
        op = " < ?";
        break;
      case FieldCondition::Op::Le:
        op = " <= ?";
        break;
      case FieldCondition::Op::Gt:
        op = " > ?";
        break;
      case FieldCondition::Op::Ge:
        op = " >= ?";
        break;
    }
    out += " AND " + columns[static_cast<std::size_t>(c.field)] + op;
    int k = keyLedBy(c.field);
    if (k >= 0 && excludesBlank(def.fields[static_cast<std::size_t>(c.field)], c))
      out += " AND " + keyPred[static_cast<std::size_t>(k)];
  }
  return out;
}

bool TableSql::ownIndexServes(const Conditions& where, int orderKey) const {
  for (const auto& c : where) {
    if (c.field < 0 || c.field >= static_cast<int>(def.fields.size())) continue;
    const int k = keyLedBy(c.field);
    if (k >= 0 && k != orderKey) return true;
    for (const auto& label : def.queryIndexes)
      if (def.fieldIndex(label) == c.field) return true;
  }
  return false;
}

void TableSql::bindWhere(sqlite3_stmt* st, int& index, const Conditions& where) const {
  for (const auto& c : where) {
    if (c.field < 0 || c.field >= static_cast<int>(def.fields.size())) continue;
    SqlValue v;
    if (def.fields[static_cast<std::size_t>(c.field)].type == FieldType::Text) {
      v.kind = SqlValue::Text;
      v.s = std::string(clip(c.text));
    } else {
      v.kind = SqlValue::Real;
      v.d = c.number;
    }
    bindValue(st, index++, v);
  }
}

int TableSql::keyLedBy(int field) const {
  for (std::size_t k = 0; k < def.keys.size(); ++k)
    if (!def.keys[k].components.empty() && def.keys[k].components[0] == field)
      return static_cast<int>(k);
  return -1;
}

}  // namespace qm::store_detail
