#pragma once
// The five browses of a page's detail records: each lists the records of the
// page in the thread's WebPages buffer, and calls its update form and its
// report.
#include <memory>
#include <string>
#include <vector>

#include "appkit/tabcolor.h"
#include "dictionary/dictionary.h"
#include "runtime/ui/browse.h"
#include "webdata/context.h"

namespace qm::details {

class OrderedDetailFile;

// How the controls below the list are laid out.
enum class BrowseLayout {
  DomainEntry,  // links, images: the page's domain on the tab
  SelectPage,   // meta tags, scripts: "Select WebPages" on the tab
  FormsFile,    // forms: as SelectPage, in its own control order
};

struct DetailBrowseSpec {
  const char* name;
  const char* title;
  FileId file;
  const char* key;
  const char* thenBy;  // a further order within the key ("" none)
  LocatorKind locator;
  const char* tab;
  const char* printText;
  const char* report;
  std::unique_ptr<WindowProcedure> (*form)(const WebContext&);
  BrowseLayout layout;
  const char* domainField;  // DomainEntry: the entry's field
  std::vector<ColumnDef> columns;
};

// The family, in the order BrowseLinks, BrowseImages, BrowseMeta,
// browsescripts, browseforms.
const std::vector<DetailBrowseSpec>& detailBrowses();
const DetailBrowseSpec* detailBrowse(const std::string& name);

// Holds the browse's file before the browse pattern is built over it.
struct DetailFileHolder {
  explicit DetailFileHolder(const DetailBrowseSpec& spec);
  ~DetailFileHolder();
  std::unique_ptr<OrderedDetailFile> ordered;  // when the list sorts on a further field
  DataFile* file;
};

class DetailBrowse : private DetailFileHolder, public BrowseProcedure {
 public:
  DetailBrowse(const DetailBrowseSpec& spec, const WebContext& ctx);
  ~DetailBrowse() override;

  const DetailBrowseSpec& spec() const { return spec_; }
  void runUpdate(int number, int request, ResponseHandler done) override;
  // "Select WebPages": the user picks another page in the selection list.
  void selectPage();

 protected:
  bool takeAccepted(Control& c) override;
  void takeNewSelection(Control& c) override;
  bool takeWindowEvent(Event e) override;
  void cleanup() override;

 private:
  void showPageDomain();

  const DetailBrowseSpec& spec_;
  TabColorClass tabs_;
};

std::unique_ptr<WindowProcedure> makeDetailBrowse(const std::string& name, const WebContext& ctx);

}  // namespace qm::details
