#pragma once
// SQL text and value conversion for one record layout; shared by RecordFile
// and Transaction.
#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/store/store.h"

namespace qm::store_detail {

std::string quoteId(std::string_view name);

// A bindable column value.
struct SqlValue {
  enum Kind { Text, Int, Real } kind = Text;
  std::string s;
  int64_t i = 0;
  double d = 0;
};

SqlValue columnValue(const RecordBuffer& buffer, int field);
void bindValue(sqlite3_stmt* st, int index, const SqlValue& v);
// The value of a field given as text, as the column holds it.
SqlValue valueFromText(const FieldDef& f, std::string_view text);
void loadColumn(RecordBuffer& buffer, int field, sqlite3_stmt* st, int column);

// Engine settings that must come before its first use.
void configureEngine();
// Settings of each connection the store opens, before its first statement.
void tuneConnection(sqlite3* db);
// The engine's NOCASE order (ASCII letters folded, a zero byte ends the
// compare, then the shorter first), as a collation callback.
int nocaseCompare(void*, int n1, const void* k1, int n2, const void* k2);

// The store's code for an engine result.
int codeFor(int sqliteResult);
// The same, with the system's own error (sqlite3_system_errno) telling a
// refused, read-only or full disk from a missing file.
int codeFor(int sqliteResult, int systemErrno);
// The engine's words for a failure, after the file's path when one is given.
std::string failureDetail(sqlite3* db, int sqliteResult, const std::string& path);

struct TableSql {
  explicit TableSql(const FileDef& def);
  std::string table;                 // quoted
  std::vector<std::string> columns;  // quoted, fields then memos
  std::string selectList;            // "rowid, c1, ..."
  std::string insertSql;             // without schema
  std::string updateSql;             // "... WHERE rowid = ?"
  // Per field: whether an index holds it (a key component or a query index).
  std::vector<bool> indexed;
  // Sets only the columns no index holds, then "WHERE rowid = ?": a change
  // that leaves every indexed value as it was touches no index. Empty when
  // every column is indexed.
  std::string dataUpdateSql;
  std::vector<std::string> keyCols;  // per key: quoted component columns
  std::vector<std::vector<std::string>> keyColList;
  std::vector<std::string> keyPred;  // per key: the partial-index condition
  std::string createTable(const std::string& schema) const;
  std::vector<std::string> createIndexes(const std::string& schema) const;
  // " AND field op ?" for each condition, with the partial-key condition of
  // a key that the condition's field leads when the condition holds only
  // for non-blank values, so that key's index may serve it.
  std::string whereSql(const Conditions& where) const;
  void bindWhere(sqlite3_stmt* st, int& index, const Conditions& where) const;
  // Whether a condition's field has an index other than key `orderKey`'s
  // (a query index, or a key it leads).
  bool ownIndexServes(const Conditions& where, int orderKey) const;
  // The key whose first component is `field` (-1 none).
  int keyLedBy(int field) const;
  const FileDef& def;
};

}  // namespace qm::store_detail
