#pragma once
// The cross-reference views: one detail file across all domains and pages,
// narrowed by a query, each record opened in its detail form, the query's
// records printed by the view's listing.
#include <memory>
#include <string>
#include <vector>

#include "appkit/recordwindows.h"
#include "webdata/context.h"
#include "webdata/views/query.h"

namespace qm::webviews {

struct CrossRefSpec;

class CrossRefView : public RecordBrowse {
  Q_OBJECT
 public:
  CrossRefView(const CrossRefSpec& spec, const WebContext& ctx);
  // 1: the detail form with the request; other numbers call nothing.
  void runUpdate(int number, int request, ResponseHandler done) override;
  QueryObject& query() { return query_; }
  // The find button: the query window, then its filter on the list.
  void findBy();
  void printSelected();

 protected:
  void setup() override;
  bool takeAccepted(Control& c) override;
  bool takeFieldEvent(Control& c, Event e) override;

 private:
  void applyQuery();

  const CrossRefSpec& spec_;
  const WebContext& ctx_;
  QueryObject query_;
};

// The view of that name (viewimages, viewforms, viewlinks, viewmeta,
// viewscripts); nullptr for another name.
std::unique_ptr<WindowProcedure> makeCrossRefView(const std::string& name, const WebContext& ctx);
// The five names, in menu order.
const std::vector<std::string>& crossRefViewNames();

}  // namespace qm::webviews
