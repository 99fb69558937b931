#pragma once
// The web pages browse of one domain and the page selection list.
#include <memory>
#include <string>
#include <vector>

#include "appkit/layout.h"
#include "appkit/recordwindows.h"

namespace qm::webpages {

// One program's page browse: its window's tabs, list, text and buttons, its
// orders, and what its buttons call.
struct PageBrowseSpec {
  int width = 0, sheetHeight = 0;
  std::vector<std::string> tabs;
  bool listOnTab = false;  // the list and the text lie on the first tab
  int listHeight = 0;
  std::vector<ColumnDef> columns;
  std::string text;
  int textWidth = 0;
  std::vector<qm::ButtonSpec> buttons;
  int buttonsX = 0, buttonsY = 0;
  bool select = false;       // a Select button, shown for a select request only
  bool domainRange = false;  // the first order's range is the thread's Domains record
  BrowseDef orders;
  std::string form;     // called by Insert, Change and Delete
  std::string listing;  // called by Print ("" none)
};

// The main program's: the pages of the domain in the thread's Domains buffer
// (first tab), or of every domain (second tab).
const PageBrowseSpec& domainPageBrowse();

class BrowseWebPages : public RecordBrowse {
  Q_OBJECT
 public:
  BrowseWebPages();
  explicit BrowseWebPages(const PageBrowseSpec& spec);
  // 1: the page form; 2: the page listing; anything else calls nothing.
  void runUpdate(int number, int request, ResponseHandler done) override;

 protected:
  bool takeWindowEvent(Event e) override;

 private:
  const PageBrowseSpec& spec_;
};

// Every page of the file, for a caller to pick one: the chosen page is in
// the thread's WebPages buffer when it returns completed.
class SelectWebPages : public RecordBrowse {
  Q_OBJECT
 public:
  SelectWebPages();

 protected:
  bool takeWindowEvent(Event e) override;
};

std::unique_ptr<WindowProcedure> makeBrowseWebPages();
std::unique_ptr<WindowProcedure> makePageBrowse(const PageBrowseSpec& spec);
std::unique_ptr<WindowProcedure> makeSelectWebPages();

}  // namespace qm::webpages
