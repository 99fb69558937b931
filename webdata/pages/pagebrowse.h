#pragma once
// The web pages browse of one domain and the page selection list.
#include <memory>

#include "records/recordwindows.h"
#include "webdata/context.h"

namespace qm::webpages {

// Pages of the domain in the thread's Domains buffer (first tab), or of
// every domain (second tab).
class BrowseWebPages : public records::RecordBrowse {
  Q_OBJECT
 public:
  explicit BrowseWebPages(const WebContext& ctx);
  // 1: the page form; 2: the page listing; anything else calls nothing.
  void runUpdate(int number, int request, ResponseHandler done) override;

 protected:
  bool takeWindowEvent(Event e) override;

 private:
  const WebContext& ctx_;
};

// Every page of the file, for a caller to pick one: the chosen page is in
// the thread's WebPages buffer when it returns completed.
class SelectWebPages : public records::RecordBrowse {
  Q_OBJECT
 public:
  SelectWebPages();

 protected:
  bool takeWindowEvent(Event e) override;
};

std::unique_ptr<WindowProcedure> makeBrowseWebPages(const WebContext& ctx);
std::unique_ptr<WindowProcedure> makeSelectWebPages();

}  // namespace qm::webpages
