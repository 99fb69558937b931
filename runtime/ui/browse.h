#pragma once
// The browse pattern: a list over the primary file in the order of a key,
// one order per tab, a locator, range and filter, the update buttons and
// the kept list formats.
#include <QAbstractTableModel>
#include <memory>
#include <string>
#include <vector>

#include "runtime/ui/procedure.h"
#include "runtime/ui/windowdef.h"
#include "runtime/view/view.h"

class QScrollBar;
class QTableView;

namespace qm {

// How a list shows a column: its cells' alignment and a value through its picture.
Qt::Alignment alignmentOf(Justify j);
std::string cellText(const ColumnDef& col, const std::string& value);

enum class LocatorKind { None, Entry, Step };

struct SortOrder {
  std::string key;  // key label ("DOM:NAME"); "" = record order
  LocatorKind locator = LocatorKind::None;
  std::string locatorControl;  // id of the entry of an entry locator
  // Values of the key's leading components: names of fields (of any file
  // the procedure uses, e.g. a parent's) or bound values.
  std::vector<std::string> range;
  std::string filter;  // filter expression
};

struct BrowseDef {
  std::string list = "?Browse:1";  // id of the list control
  std::vector<SortOrder> orders;   // one per tab of the sheet, in tab order
  std::string sheet;               // id of the sheet ("" when none)
  bool keepFormats = true;         // "?Browse:1:ORIG"/":USER" and F9
  int updateNumber = 1;            // Insert, Change, Delete call it
  int printNumber = 2;             // the print button's procedure
  bool selectMode = false;         // a selection list (also with request 4)
};

// The list's columns as shown: widths, justification, headers.
struct ListFormat {
  std::vector<ColumnDef> columns;
  std::string text() const;
  // False when the text does not describe exactly `count` columns.
  static bool parse(const std::string& text, const std::vector<ColumnDef>& base, ListFormat& out);
};

class RecordListModel;
class FrozenColumns;

class BrowseProcedure : public WindowProcedure {
  Q_OBJECT
 public:
  BrowseProcedure(std::string name, const WindowDef& window, BrowseDef browse, DataFile* primary);
  ~BrowseProcedure() override;

  PagedList& list() { return *list_; }
  RecordView& view() { return *view_; }
  QTableView* table() const { return table_; }
  // The list's scroll bar: its place follows the current row's key; moving
  // it moves the list (steps: records, pages: the page keys, drag: locate).
  QScrollBar* scrollBar() const { return bar_; }
  static constexpr int kScrollSteps = 1000;
  int currentOrder() const { return order_; }
  void setOrder(int index);

  // The list format now shown.
  ListFormat shownFormat() const;
  void toggleFormat();  // F9

  // Buttons and popup menu.
  void insertRecord();
  void changeRecord();
  void deleteRecord();
  void selectRecord();
  void printRecord();
  // Takes the values that limit each order's range from their bindings now
  // (they were taken when the browse opened, and are never re-read from a
  // buffer that other windows move) and reads the list again.
  void fixRange();
  // Loads the highlighted row into the file's buffer (and position).
  bool loadHighlighted();
  void refreshList();
  // Reads again the lists of the browses on file fileLabel (its table's
  // name) that are in front on their threads, after a run changed the file
  // under them; a browse with a form open reads its list when the form closes.
  static void refreshAllOf(const std::string& fileLabel);
  void navigate(Nav nav) override;

 protected:
  void setup() override;
  void afterPlacement() override;
  void beforeClose() override;
  bool takeAccepted(Control& c) override;
  void takeNewSelection(Control& c) override;
  bool takeKey(int key, int modifiers) override;
  bool escape() override;
  QWidget* firstFocus() const override;
  void broughtForward() override;
  bool filterEvent(QObject* watched, QEvent* event) override;

  // Called after each move of the list.
  void listMoved();
  bool selecting() const { return bdef_.selectMode || request() == SelectRequestCode; }

 private:
  static constexpr int SelectRequestCode = 4;
  void applyFormat(const ListFormat& f);
  void report(int rc);
  void showPopup(const QPoint& at);
  void afterCall(int response, bool reposition);
  int pageRows() const;
  void scrollAction(int action);
  void syncScrollBar();
  void takeRangeValues();

  BrowseDef bdef_;
  std::unique_ptr<RecordView> view_;
  std::unique_ptr<PagedList> list_;
  RecordListModel* model_ = nullptr;
  QTableView* table_ = nullptr;
  QObject* viewport_ = nullptr;  // kept: events may arrive while the table is being destroyed
  QScrollBar* bar_ = nullptr;
  FrozenColumns* frozen_ = nullptr;  // owned by the table
  Control* listControl_ = nullptr;
  int order_ = 0;
  std::vector<ColumnDef> built_;
  ListFormat orig_, user_;
  bool userShows_ = true;
  std::vector<std::vector<std::string>> rangeValues_;  // per order, as fixed
};

}  // namespace qm
