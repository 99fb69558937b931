#include "webdata/reports/reports.h"

#include <QString>
#include <utility>

#include "runtime/config/requests.h"
#include "runtime/report/progress.h"
#include "runtime/values/fsutil.h"
#include "runtime/values/text.h"
#include "webdata/reports/layouts.h"

namespace qm::webreports {

namespace {

using F = FileId;

const std::vector<ColumnSpec> kImageColumns = {{"Domain Name", "WPI:DOMAINNAME", "@s50", 1396},
                                               {"Page", "WPI:PAGE", "@s20", 1396},
                                               {"Web Page IMG", "WPI:WEBPAGEIMG", "@s200", 1635},
                                               {"Currently Use", "WPI:CURRENTLYUSE", nullptr, 800}};
const std::vector<ColumnSpec> kLinkColumns = {{"Domain Name", "WPL:DOMAINNAME", "@s50", 1323},
                                              {"Page Name", "WPL:PAGENAME", "@s20", 1719},
                                              {"Link", "WPL:WEBPAGELINK", "@s200", 3271}};
const std::vector<ColumnSpec> kMetaColumns = {{"Domain Name", "WPM:DOMAINNAME", "@s50", 1396},
                                              {"Page Name", "WPM:PAGENAME", "@s20", 1396},
                                              {"Meta Name", "WPM:METANAME", "@s20", 958},
                                              {"Meta Contents", "WPM:METACONTENTS", "@s200", 2688}};
const std::vector<ColumnSpec> kScriptColumns = {
    {"Domain Name", "WPS:DOMAINNAME", "@s50", 1396},
    {"Page Name", "WPS:PAGENAME", "@s20", 1396},
    {"Script Line 1", "WPS:SCRIPTLINE1", "@s200", 2823}};
const std::vector<ColumnSpec> kFormColumns = {{"Domain Name", "WPF:DOMAINNAME", "@s50", 1896},
                                              {"Page Name", "WPF:PAGE", "@s20", 1760},
                                              {"Form Line 1", "WPF:FORMLINE1", "@s200", 2021}};

const LinesSpec kScriptLines = {"Script Report",
                                "WPS:WEBPAGEPATHNAME",
                                "WPS:DOMAINNAME",
                                "WPS:PAGENAME",
                                "WPS:SCRIPTLINE",
                                "Script Lines",
                                1021,
                                281,
                                188,
                                6406};
const LinesSpec kFormLines = {"Form Report",
                              "WPF:WEBPAGEPATHNAME",
                              "WPF:DOMAINNAME",
                              "WPF:PAGE",
                              "WPF:FORMLINE",
                              nullptr,
                              1052,
                              21,
                              208,
                              6438};

// Column listings by name: title and columns.
struct ListingLook {
  const char* name;
  const char* title;
  const std::vector<ColumnSpec>* columns;
};
const ListingLook kListingLooks[] = {
    {"listimages", "Selected Images Listing", &kImageColumns},
    {"listlinks", "Selected Links Listing", &kLinkColumns},
    {"listlinks2", "Selected Links Listing", &kLinkColumns},
    {"listmetas", "Selected Meta Tags Listing", &kMetaColumns},
    {"listmetas2", "Selected Meta Tags Listing", &kMetaColumns},
    {"listscripts", "Selected Script Listing", &kScriptColumns},
    {"listforms2", "Selected Forms Listing", &kFormColumns},
};

ReportLayout layoutFor(const WebReportDef& def, RecordAccess record,
                       std::function<std::string()> picture) {
  const FileDef& file = fileDef(def.source.file);
  if (def.picture != Picture::None)
    return imageLayout(file, std::move(record), std::move(picture), def.name != "PrintImage3");
  if (def.name == "listwebpages") return webPageListing(file, std::move(record));
  if (def.name == "webpagereport") return webPageReport(file, std::move(record));
  if (def.name == "PrintScript") return linesReport(kScriptLines, file, std::move(record));
  if (def.name == "printform") return linesReport(kFormLines, file, std::move(record));
  for (const ListingLook& l : kListingLooks)
    if (def.name == l.name) return columnListing(l.title, file, *l.columns, std::move(record));
  return {};
}

}  // namespace

const std::vector<WebReportDef>& webReportDefs() {
  using T = Takes;
  using P = Picture;
  static const std::vector<WebReportDef> defs = {
      // Images.
      {"PrintImage",
       {F::WPIMG, "WPI:PAGENAME", 2, "", "", "WPI:WEBPAGEPATHNAME"},
       T::Nothing,
       P::ImagePathGlobal,
       false,
       0},
      {"PrintImage2",
       {F::WPIMG, "WPI:PAGENAME", 1, "", "", "WPI:WEBPAGEPATHNAME"},
       T::Nothing,
       P::RecordImagePath,
       true,
       0},
      {"PrintImage3",
       {F::WPIMG, "WPI:PAGENAME", 0, "wpi:domainname=domainname", "", "WPI:WEBPAGEPATHNAME"},
       T::DomainName,
       P::RecordImagePath,
       true,
       25000},
      // Selected-record listings.
      {"listimages", {F::WPIMG, "", 0, "", "", ""}, T::CallerFilter, P::None, false, 0},
      {"listlinks",
       {F::WPLinks, "WPL:PATHNAME", 0, "", "WPL:WEBPAGELINK", "WPL:WEBPAGEPATHNAME"},
       T::CallerFilter,
       P::None,
       false,
       0},
      {"listmetas",
       {F::WPMeta, "WPM:PAGEPATH", 0, "", "", "WPM:WEBPAGEPATH"},
       T::CallerFilter,
       P::None,
       false,
       0},
      {"listscripts", {F::WPScripts, "", 0, "", "", ""}, T::CallerFilter, P::None, false, 0},
      {"listforms2", {F::WPForm, "", 0, "", "", ""}, T::CallerFilter, P::None, false, 0},
      {"listwebpages",
       {F::WebPages, "WEB:NAMES", 1, "", "", "WEB:PAGENAME"},
       T::Nothing,
       P::None,
       false,
       0},
      {"listmetas2",
       {F::WPMeta, "WPM:PAGEPATH", 1, "", "", "WPM:WEBPAGEPATH"},
       T::CallerFilter,
       P::None,
       false,
       0},
      {"listlinks2",
       {F::WPLinks, "WPL:PATHNAME", 1, "", "WPL:WEBPAGELINK", "WPL:WEBPAGEPATHNAME"},
       T::CallerFilter,
       P::None,
       false,
       0},
      // Web pages, scripts, forms.
      {"webpagereport",
       {F::WebPages, "WEB:NAMES", 0, "", "", "WEB:DOMAINNAME"},
       T::Nothing,
       P::None,
       false,
       25000},
      {"PrintScript",
       {F::WPScripts, "WPS:PAGENAM", 1, "", "", "WPS:WEBPAGEPATHNAME"},
       T::Nothing,
       P::None,
       false,
       0},
      {"printform",
       {F::WPForm, "WPF:PAGENAME", 1, "", "", "WPF:WEBPAGEPATHNAME"},
       T::Nothing,
       P::None,
       false,
       0},
  };
  return defs;
}

const WebReportDef* findWebReport(std::string_view name) {
  for (const WebReportDef& d : webReportDefs())
    if (d.name == name) return &d;
  return nullptr;
}

class WebReport::Procedure : public ReportProcedure {
 public:
  Procedure(WebReport& owner, ReportLayout layout)
      : ReportProcedure(owner.def().name, owner.source(), std::move(layout)), owner_(owner) {
    quickScan = true;
  }

 protected:
  void setup() override {
    if (progressWindow()) progressWindow()->setText(2, QString());
  }
  void cleanup() override {
    if (owner_.def().blankDomainAtEnd) *owner_.ctx_.domain = "";
  }

 private:
  WebReport& owner_;
};

WebReport::WebReport(const WebReportDef& def, const WebContext& ctx)
    : def_(def), ctx_(ctx), source_(def.source) {
  PageDataSource* src = &source_;
  RecordAccess record = [src]() -> const RecordBuffer& { return src->record(); };
  procedure_ =
      std::make_unique<Procedure>(*this, layoutFor(def_, record, [this] { return pictureFile(); }));
}

WebReport::~WebReport() { procedure_.reset(); }

std::string WebReport::pictureFile() const {
  switch (def_.picture) {
    case Picture::ImagePathGlobal:
      return normalizePath(imagePath_);
    case Picture::RecordImagePath:
      return normalizePath(clip(source_.record().text("WPI:IMAGEPATH")));
    case Picture::None:
      break;
  }
  return {};
}

void WebReport::takeGlobals() {
  imagePath_ = ctx_.imagePath ? ctx_.imagePath->str() : std::string();
  switch (def_.takes) {
    case Takes::CallerFilter:
      source_.setFilter(callerFilter_      ? *callerFilter_
                        : ctx_.queryFilter ? *ctx_.queryFilter
                                           : std::string());
      break;
    case Takes::DomainName:
      source_.setRunName("domainname", ctx_.domain->str());
      break;
    case Takes::Nothing:
      break;
  }
}

int WebReport::run() {
  takeGlobals();
  return procedure_->run();
}

void WebReport::start(std::function<void(int)> done) {
  takeGlobals();
  procedure_->start(std::move(done));
}

std::unique_ptr<WebReport> makeWebReport(std::string_view name, const WebContext& ctx) {
  const WebReportDef* def = findWebReport(name);
  return def ? std::make_unique<WebReport>(*def, ctx) : nullptr;
}

}  // namespace qm::webreports
