#pragma once
// The leading columns of a list that stay in view when it scrolls sideways:
// a second view of the same rows and selection lies over the list's left
// edge and shows only those columns, at the list's widths.
#include <QObject>

class QTableView;

namespace qm {

class FrozenColumns : public QObject {
  Q_OBJECT
 public:
  // Freezes the first `count` columns of table (which owns the overlay).
  FrozenColumns(QTableView* table, int count);

  QTableView* view() const { return frozen_; }
  int count() const { return count_; }
  // Takes the list's widths, row height and resize modes again.
  void sync();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void place();

  QTableView* table_;
  QTableView* frozen_;
  int count_;
};

}  // namespace qm
