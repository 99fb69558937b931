#pragma once
// The rows of a paged list as a table model: one column per ColumnDef, each
// cell the record's field (or memo) through the column's picture.
#include <QAbstractTableModel>
#include <vector>

#include "runtime/store/store.h"
#include "runtime/ui/windowdef.h"
#include "runtime/view/view.h"

namespace qm {

class RecordListModel : public QAbstractTableModel {
 public:
  // padded: the cells keep their column's indent as blanks, as browses show them.
  RecordListModel(PagedList& list, bool padded, QObject* parent);

  // The columns and, for each, the field index (or -1) and memo index (or -1).
  void setColumns(std::vector<ColumnDef> cols, std::vector<int> fields, std::vector<int> memos);
  // The columns with the fields and memos of def that they name.
  void setColumns(std::vector<ColumnDef> cols, const FileDef& def);
  // New justifications, indents and headers for the columns there are.
  void setLook(const std::vector<ColumnDef>& cols);
  const std::vector<ColumnDef>& columns() const { return cols_; }
  // The list's rows have changed.
  void reload();

  int rowCount(const QModelIndex& p = {}) const override;
  int columnCount(const QModelIndex& p = {}) const override;
  QVariant data(const QModelIndex& idx, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;

 private:
  PagedList& list_;
  bool padded_;
  std::vector<ColumnDef> cols_;
  std::vector<int> fields_, memos_;
};

}  // namespace qm
