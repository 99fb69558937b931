#pragma once
// A list of child records inside a form: the rows of one file whose leading
// key component equals a value of the form's record, paged like a browse.
// The form owns it; every read runs in the form's scope.
#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "runtime/ui/procedure.h"
#include "runtime/view/view.h"

class QTableView;

namespace qm {
class DataFile;
class RecordListModel;
}  // namespace qm

namespace qm::webviews {

class DetailList : public QObject {
  Q_OBJECT
 public:
  // list: the list control; key: the file's order; parentValue: the value
  // text the leading key component must equal, asked for at every read.
  DetailList(WindowProcedure& owner, Control& list, DataFile& file, const std::string& key,
             std::function<std::string()> parentValue, bool stepLocator);
  ~DetailList() override;

  PagedList& list() { return *list_; }
  QTableView* table() const { return table_; }
  DataFile& file() const { return file_; }
  // Loads the highlighted row into the file's buffer; false (reported) when
  // there is none or it cannot be read.
  bool loadHighlighted();
  void first();
  void refresh();
  // Enter or a double-click on a row.
  std::function<void()> activated;

 private:
  // The table's and its viewport's events, in the owner's scope.
  bool filter(QObject* watched, QEvent* event);
  void moved(int rc);
  int pageRows() const;
  void scroll(int action);

  WindowProcedure& owner_;
  DataFile& file_;
  bool step_;
  std::unique_ptr<RecordView> view_;
  std::unique_ptr<PagedList> list_;
  QTableView* table_ = nullptr;
  // Kept apart: events still arrive while the window tears the table down,
  // when the table's own members must not be called.
  QObject* viewport_ = nullptr;
  Control& control_;
  RecordListModel* model_ = nullptr;
};

}  // namespace qm::webviews
