#pragma once
// The update form of one web page.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "appkit/tabcolor.h"
#include "runtime/ui/form.h"
#include "webdata/context.h"

class QWidget;

namespace qm::webpages {

// What " File Lookup" asks for: a title, a start directory and the file
// types, each a description and its masks ("*.htm;*.html"), the first the
// default. Several files may be chosen.
struct PageFileDialog {
  std::string title;
  std::string directory;
  std::vector<std::pair<std::string, std::string>> types;
};
// Returns the chosen files in order (none when cancelled). Tests install
// their own; an empty chooser restores the real dialog. Returns the one before.
using PageFileChooser =
    std::function<std::vector<std::string>(QWidget* owner, const PageFileDialog&)>;
PageFileChooser setPageFileChooser(PageFileChooser chooser);

class UpdateWebPages : public FormProcedure {
  Q_OBJECT
 public:
  explicit UpdateWebPages(const WebContext& ctx);
  void navigate(Nav nav) override;

 protected:
  bool beforeWindow() override;
  void primeFromParent() override;
  void recordReshown() override;
  void beforeEventLoop() override;
  bool takeWindowEvent(Event e) override;
  bool takeFieldEvent(Control& c, Event e) override;
  bool takeAccepted(Control& c) override;
  bool takeKey(int key, int modifiers) override;
  void cleanup() override;

 private:
  RecordBuffer& page() const;
  RecordBuffer& domain() const;
  // The page names a domain that has no record here (renamed, never
  // entered): the domain buffer holds another's, so no path is derived.
  bool domainMissing() const;
  void takeWindowFields();
  void enableViewButtons();
  void showProgress();
  void checkDomainDirectories();
  void domainChosen(Control& drop);
  void localPathEvent(bool accepted);
  void pagePathEvent(bool selected);
  std::string pagePath() const;
  void pageNameEvent(bool accepted);
  void lookUpFiles();
  void autoRead();
  void callDetailBrowse(const std::string& procedure);
  void editPage();
  void viewLocalPage();
  void viewSource();
  void openPagePath();
  bool dittoOnDomainList() const;

  const WebContext& ctx_;
  TabColorClass tabs_;
  std::string changeTitle_;
  Control* lastSelected_ = nullptr;  // a control regaining the focus is not selected anew
  Control* lastData_ = nullptr;
  bool quietFocus_ = false;
  int importRuns_ = 0;  // each run leaves the five detail files open once more
  // What the last import read into the page (title, dates, size, marks),
  // as its stored detail records say it: kept over a record shown anew.
  std::vector<std::pair<std::string, std::string>> imported_;
};

std::unique_ptr<WindowProcedure> makeUpdateWebPages(const WebContext& ctx);

}  // namespace qm::webpages
