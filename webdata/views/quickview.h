#pragma once
// The quick view: every web page of every domain in one list that refuses
// additions and deletions, and the viewing form with the page's five kinds
// of detail record.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "appkit/layout.h"
#include "appkit/recordwindows.h"
#include "appkit/tabcolor.h"
#include "dictionary/dictionary.h"
#include "runtime/ui/form.h"
#include "webdata/context.h"
#include "webdata/views/detaillist.h"

namespace qm::webviews {

class BrowseWebPages2 : public RecordBrowse {
  Q_OBJECT
 public:
  BrowseWebPages2();
  void runUpdate(int number, int request, ResponseHandler done) override;
  void navigate(Nav nav) override;

 protected:
  void setup() override;
  bool filterEvent(QObject* watched, QEvent* event) override;

 private:
  // Beep and "Error" box: this list adds and deletes nothing.
  void refuse(bool insert);
};

// One tab of the page form: the records of a detail file whose page path is
// the page's, and the form that shows one of them.
struct PageDetailTab {
  const char* tab = "";
  FileId file{};
  const char* key = "";  // the page-path key
  const char* form = "";
  bool stepLocator = false;
  std::vector<ColumnDef> columns;
  const char* text = "";  // beside the list's buttons
  // What a new record takes from the page.
  const char* pathField = "";
  const char* domainField = "";
  const char* pageField = "";
};

// The tab of one detail file: its page-path key, its form and the fields a
// new record takes from the page come with the file.
PageDetailTab pageDetail(FileId file, const char* tab, bool stepLocator,
                         std::vector<ColumnDef> columns, const char* text = "");

// The page form with its five detail lists: the quick view's viewing form,
// and the reader's form, which also adds, changes and deletes the records.
struct PageFormSpec {
  std::string title;
  FormDef form;
  bool viewOnly = false;         // leaving never asks; the lists only view
  bool newPageInDomain = false;  // a new page belongs to the context's domain
  int width = 0, height = 0;
  int sheetWidth = 0, sheetHeight = 0;
  int x = 0, promptWidth = 0, step = 0;  // the rows of the first two tabs
  std::vector<qm::FieldRow> names;       // above the "Use Now" box
  std::vector<qm::FieldRow> general;     // below it
  std::vector<qm::FieldRow> more;        // the second tab
  const char* listId = "";               // "?<listId>:n" is list n
  int buttonsX = 0, buttonsY = 0;        // OK, Cancel and Help
  std::vector<PageDetailTab> details;
};

// The page's rows both page forms show: its names (above "Use Now"), its
// paths and facts, its size, and its links, title and read date; wide is the
// long entries' width.
std::vector<qm::FieldRow> pageNameRows();
std::vector<qm::FieldRow> pageFactRows(int wide);
qm::FieldRow pageSizeRow();
std::vector<qm::FieldRow> pageLinkRows(int wide);

class UpdateWebPages : public FormProcedure {
  Q_OBJECT
 public:
  UpdateWebPages();
  // ctx: the program's globals (none needed by a view-only form).
  UpdateWebPages(const PageFormSpec& spec, const WebContext* ctx);
  // 1 to 5: the detail forms, with the request; other numbers call nothing.
  void runUpdate(int number, int request, ResponseHandler done) override;
  // The detail list of tab 1..5 (nullptr before the window is built).
  DetailList* detailList(int number) const;

 protected:
  bool beforeWindow() override;
  void setup() override;
  void cleanup() override;
  bool takeWindowEvent(Event e) override;
  bool takeAccepted(Control& c) override;
  void closeRequested() override;
  void recordReshown() override;

 private:
  void callDetail(int number, int request);

  const PageFormSpec& spec_;
  const WebContext* ctx_;
  TabColorClass tabs_;
  std::array<DetailList*, 5> lists_{};
};

std::unique_ptr<WindowProcedure> makeBrowseWebPages2();
std::unique_ptr<WindowProcedure> makeUpdateWebPages();
std::unique_ptr<WindowProcedure> makePageForm(const PageFormSpec& spec, const WebContext& ctx);

}  // namespace qm::webviews
