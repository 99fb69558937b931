#pragma once
// The steps of RecordFile::replaceExact: the stored records whose field is
// exactly a value are read and matched place by place against the wanted
// ones, then only what differs is written. Generic over the file's
// connection state, which stays private to recordfile.cpp.
#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "runtime/store/store.h"

namespace qm::store_detail {

template <class Conn>
class ExactReplace {
 public:
  using Replaced = RecordFile::Replaced;
  using Step = Replaced::Step;

  ExactReplace(Conn& m, const FileDef& def, std::span<const RecordBuffer> records, Replaced& r)
      : m_(m), def_(def), records_(records), r_(r) {}

  // Reads what is stored in record order (the i-th record takes the i-th
  // place) and notes of each whether it already holds what its place asks for.
  int readAndCompare(int key, int field, const std::string& text) {
    sqlite3_stmt* st = m_.stmt("SELECT " + m_.sql.selectList + " FROM " + m_.sql.table +
                               m_.exactWhere(key, field, text) + " ORDER BY rowid");
    if (!st) return failAt(Step::Read, m_.err);
    if (!text.empty())
      sqlite3_bind_text(st, 1, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    stored().clear();
    for (;;) {
      const int rc = sqlite3_step(st);
      if (rc == SQLITE_DONE) break;
      if (rc != SQLITE_ROW) {
        sqlite3_reset(st);
        return failAt(Step::Read, m_.failDb(rc));
      }
      stored().push_back(compare(st));
    }
    sqlite3_reset(st);
    r_.before = static_cast<int64_t>(stored().size());
    return 0;
  }

  bool writes() const {
    return stored().size() != records_.size() ||
           std::any_of(stored().begin(), stored().end(), [](const auto& s) { return !s.same; });
  }

  // The file may not be written: the failure is named after the first write
  // it would have made.
  int refused(int rc) {
    const bool changes =
        std::any_of(stored().begin(), stored().end(), [](const auto& s) { return !s.same; });
    return failAt(stored().size() > records_.size() ? Step::Delete
                  : changes                         ? Step::Change
                                                    : Step::Add,
                  rc);
  }

  // The surplus goes first: what the others become may be what it held.
  int deleteSurplus() {
    for (std::size_t i = records_.size(); i < stored().size(); ++i) {
      if (int rc = deleteRow(stored()[i].row)) return failAt(Step::Delete, rc);
      ++r_.written;
    }
    return 0;
  }

  // Rewrites the places that differ, in place, and adds the records beyond
  // what was stored. ErrDuplicateKey when a unique value clashed on the way.
  int writeChanged() {
    int rc = 0;
    for (std::size_t i = 0; i < records_.size() && rc == 0; ++i) {
      if (i < stored().size()) {
        const auto& s = stored()[i];
        if (s.same) continue;
        const bool dataOnly = s.sameIndexed && !m_.sql.dataUpdateSql.empty();
        sqlite3_stmt* st = m_.stmt(dataOnly ? m_.sql.dataUpdateSql : m_.sql.updateSql);
        if (!st) return failAt(Step::Change, m_.err);
        sqlite3_bind_int64(st, m_.bindRecord(st, records_[i], dataOnly), s.row);
        if ((rc = m_.writeStep(st)) != 0 && rc != ErrDuplicateKey) return failAt(Step::Change, rc);
      } else if ((rc = addRow(records_[i], &added_)) != 0 && rc != ErrDuplicateKey) {
        return failAt(Step::Add, rc);
      }
      if (rc == 0) ++r_.written;
    }
    return rc;
  }

  // After a clash (a swap of two unique names): the old records go all at
  // once and the new ones are added, as deleteExact and add would do.
  int replaceWhole() {
    r_.written = 0;
    int rc = 0;
    for (std::size_t i = 0; i < std::min(records_.size(), stored().size()); ++i)
      if ((rc = deleteRow(stored()[i].row)) != 0) return failAt(Step::Delete, rc);
    for (int64_t row : added_)
      if ((rc = deleteRow(row)) != 0) return failAt(Step::Delete, rc);
    for (const RecordBuffer& b : records_)
      if ((rc = addRow(b, nullptr)) != 0) return failAt(Step::Add, rc);
    r_.written = r_.before + static_cast<int64_t>(records_.size());
    return 0;
  }

  int failAt(Step step, int rc) {
    r_.failedAt = step;
    return rc;
  }

 private:
  // Kept by the connection between calls.
  auto& stored() { return m_.stored; }
  const auto& stored() const { return m_.stored; }

  typename Conn::Stored compare(sqlite3_stmt* st) const {
    typename Conn::Stored s{sqlite3_column_int64(st, 0), false, false};
    if (stored().size() >= records_.size()) return s;
    const RecordBuffer& b = records_[stored().size()];
    const int fields = static_cast<int>(def_.fields.size());
    const int memos = static_cast<int>(def_.memos.size());
    s.sameIndexed = s.same = true;
    for (int i = 0; i < fields && s.sameIndexed; ++i)
      if (!m_.columnHolds(st, 1 + i, b, i)) {
        s.same = false;
        if (m_.sql.indexed[static_cast<std::size_t>(i)]) s.sameIndexed = false;
      }
    for (int i = 0; i < memos && s.same; ++i) {
      const std::string memo = b.memo(i);
      const auto n = static_cast<std::size_t>(sqlite3_column_bytes(st, 1 + fields + i));
      s.same = n == memo.size() && (n == 0 || std::memcmp(sqlite3_column_text(st, 1 + fields + i),
                                                          memo.data(), n) == 0);
    }
    return s;
  }

  int deleteRow(int64_t row) {
    sqlite3_stmt* del = m_.stmt("DELETE FROM " + m_.sql.table + " WHERE rowid = ?");
    if (!del) return m_.err;
    sqlite3_bind_int64(del, 1, row);
    return m_.writeStep(del);
  }

  int addRow(const RecordBuffer& b, std::vector<int64_t>* rows) {
    sqlite3_stmt* ins = m_.stmt(m_.sql.insertSql);
    if (!ins) return m_.err;
    m_.bindRecord(ins, b);
    const int rc = m_.writeStep(ins);
    if (rc == 0 && rows) rows->push_back(sqlite3_last_insert_rowid(m_.db));
    return rc;
  }

  Conn& m_;
  const FileDef& def_;
  std::span<const RecordBuffer> records_;
  Replaced& r_;
  std::vector<int64_t> added_;  // rows added before a clash
};

}  // namespace qm::store_detail
