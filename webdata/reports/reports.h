#pragma once
// The page-data reports: image reports, the selected-record listings and the
// web page, script and form reports, each a report procedure over its file.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/report/procedure.h"
#include "webdata/context.h"
#include "webdata/reports/source.h"

namespace qm::webreports {

// What a run takes from the program's globals when it starts.
enum class Takes {
  Nothing,
  CallerFilter,  // the listings' filter: that of the window asking for the report
  DomainName,    // the filter's "domainname"
};
// Where an image band's picture comes from.
enum class Picture { None, ImagePathGlobal, RecordImagePath };

struct WebReportDef {
  std::string name;
  SourceSpec source;
  Takes takes = Takes::Nothing;
  Picture picture = Picture::None;
  bool blankDomainAtEnd = false;  // domainname blanked when the progress window closes
  int stackSize = 0;              // 0: only called on the caller's thread
};

const std::vector<WebReportDef>& webReportDefs();
const WebReportDef* findWebReport(std::string_view name);

class WebReport {
 public:
  WebReport(const WebReportDef& def, const WebContext& ctx);
  ~WebReport();
  WebReport(const WebReport&) = delete;
  WebReport& operator=(const WebReport&) = delete;

  const WebReportDef& def() const { return def_; }
  PageDataSource& source() { return source_; }
  ReportProcedure& procedure() { return *procedure_; }
  const PageModel& pages() const { return procedure_->pages(); }
  // The picture file of the record being printed ("" for none).
  std::string pictureFile() const;

  // The filter of the window that asks for the report, taken by a listing
  // instead of QueryFilter, which any view may have rewritten since.
  void setCallerFilter(std::string filter) { callerFilter_ = std::move(filter); }

  // Runs until the preview closes; the response.
  int run();
  void start(std::function<void(int)> done);

 private:
  class Procedure;
  void takeGlobals();

  const WebReportDef& def_;
  const WebContext& ctx_;
  PageDataSource source_;
  std::string imagePath_;  // ImagePath as the run began
  std::optional<std::string> callerFilter_;
  std::unique_ptr<ReportProcedure> procedure_;
};

// Null for a name that is not a report here.
std::unique_ptr<WebReport> makeWebReport(std::string_view name, const WebContext& ctx);

}  // namespace qm::webreports
