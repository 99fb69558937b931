#include "runtime/ui/listmodel.h"

#include <QString>
#include <string>
#include <utility>

#include "runtime/ui/browse.h"

namespace qm {

RecordListModel::RecordListModel(PagedList& list, bool padded, QObject* parent)
    : QAbstractTableModel(parent), list_(list), padded_(padded) {}

void RecordListModel::setColumns(std::vector<ColumnDef> cols, std::vector<int> fields,
                                 std::vector<int> memos) {
  beginResetModel();
  cols_ = std::move(cols);
  fields_ = std::move(fields);
  memos_ = std::move(memos);
  endResetModel();
}

void RecordListModel::setColumns(std::vector<ColumnDef> cols, const FileDef& def) {
  std::vector<int> fields, memos;
  for (const ColumnDef& c : cols) {
    const int fi = def.fieldIndex(c.field);
    fields.push_back(fi);
    memos.push_back(fi >= 0 ? -1 : def.memoIndex(c.field));
  }
  setColumns(std::move(cols), std::move(fields), std::move(memos));
}

void RecordListModel::setLook(const std::vector<ColumnDef>& cols) {
  for (size_t i = 0; i < cols.size() && i < cols_.size(); ++i) {
    cols_[i].justify = cols[i].justify;
    cols_[i].indent = cols[i].indent;
    cols_[i].header = cols[i].header;
  }
  emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
  emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void RecordListModel::reload() {
  beginResetModel();
  endResetModel();
}

int RecordListModel::rowCount(const QModelIndex& p) const {
  return p.isValid() ? 0 : static_cast<int>(list_.rows().size());
}

int RecordListModel::columnCount(const QModelIndex& p) const {
  return p.isValid() ? 0 : static_cast<int>(cols_.size());
}

QVariant RecordListModel::data(const QModelIndex& idx, int role) const {
  if (!idx.isValid() || idx.row() >= rowCount() || idx.column() >= columnCount()) return {};
  const ColumnDef& c = cols_[static_cast<size_t>(idx.column())];
  if (role == Qt::DisplayRole) {
    const RecordBuffer& r = list_.rows()[static_cast<size_t>(idx.row())].record;
    int f = fields_[static_cast<size_t>(idx.column())];
    int m = memos_[static_cast<size_t>(idx.column())];
    std::string v = f >= 0 ? r.valueText(f) : (m >= 0 ? r.memo(m) : std::string());
    QString s = QString::fromStdString(cellText(c, v));
    if (!padded_) return s;
    QString pad(c.indent > 0 ? c.indent / 2 : 0, QLatin1Char(' '));
    return c.justify == Justify::Left ? pad + s : (c.justify == Justify::Center ? s : s + pad);
  }
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(alignmentOf(c.justify));
  return {};
}

QVariant RecordListModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  const ColumnDef& c = cols_[static_cast<size_t>(section)];
  if (role == Qt::DisplayRole) return QString::fromStdString(c.header);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(alignmentOf(c.headerJustify));
  return {};
}

}  // namespace qm
