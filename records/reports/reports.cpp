#include "records/reports/reports.h"

#include <utility>

#include "dictionary/datafile_adapter.h"
#include "dictionary/dictionary.h"
#include "records/reports/layouts.h"
#include "runtime/report/printer.h"
#include "runtime/report/progress.h"

namespace qm::reports {

class RecordReport::Procedure : public ReportProcedure {
 public:
  Procedure(std::string name, RecordSource& source, ReportLayout layout, bool clearLine)
      : ReportProcedure(std::move(name), source, std::move(layout)), clearLine_(clearLine) {}

 protected:
  void setup() override {
    if (clearLine_ && progressWindow()) progressWindow()->setText(2, QString());
  }

 private:
  bool clearLine_;
};

RecordReport::RecordReport(std::string name, std::unique_ptr<ViewSource> source,
                           std::function<ReportLayout(RecordAccess)> layout, bool clearProgressLine)
    : source_(std::move(source)) {
  ViewSource* src = source_.get();
  RecordAccess record = [src]() -> const RecordBuffer& { return *src->record(); };
  procedure_ = std::make_unique<Procedure>(std::move(name), *source_, layout(std::move(record)),
                                           clearProgressLine);
}

RecordReport::~RecordReport() {
  // The procedure may still hold the source open.
  procedure_.reset();
  source_.reset();
}

namespace {

std::unique_ptr<RecordReport> makeListing(const ListingDef& def) {
  const FileDef& file = fileDef(def.file);
  const int key = def.key.empty() ? -1 : file.keyIndex(def.key);
  const int progress = def.progressField.empty() ? -1 : file.fieldIndex(def.progressField);
  auto source = std::make_unique<ViewSource>(
      SourceFile::of(managedFile(def.file)),
      SourcePlan{.key = key, .filter = std::string(def.filter), .progressField = progress});
  const PaperSize paper = reportPaper();
  return std::make_unique<RecordReport>(
      std::string(def.procedure), std::move(source),
      [&def, &file, paper](RecordAccess r) {
        return listingLayout(def, file, std::move(r), paper);
      },
      false);
}

}  // namespace

std::unique_ptr<RecordReport> makePrintDomains() {
  return makeListing(*findListing("PrintDomains"));
}

std::unique_ptr<RecordReport> makeComparisons() {
  const FileDef& hosts = fileDef(FileId::Hosts);
  auto source =
      std::make_unique<ViewSource>(SourceFile::of(managedFile(FileId::Hosts)),
                                   SourcePlan{.key = hosts.keyIndex("HOS:NAME"),
                                              .progressField = hosts.fieldIndex("HOS:HOSTNAME")});
  const PaperSize paper = reportPaper();
  return std::make_unique<RecordReport>(
      std::string(ProfileProcedure), std::move(source),
      [&hosts, paper](RecordAccess r) { return profileLayout(hosts, std::move(r), paper); }, true);
}

std::unique_ptr<RecordReport> makeRecordReport(std::string_view procedure) {
  if (procedure == ProfileProcedure) return makeComparisons();
  if (const ListingDef* def = findListing(procedure)) return makeListing(*def);
  return nullptr;
}

std::vector<ReportEntry> recordReports() {
  std::vector<ReportEntry> out;
  for (const ListingDef& l : listings()) out.push_back({std::string(l.procedure), l.stackSize});
  out.push_back({std::string(ProfileProcedure), ProfileStackSize});
  return out;
}

}  // namespace qm::reports
