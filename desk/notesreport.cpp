#include "desk/notesreport.h"

#include "dictionary/datafile_adapter.h"
#include "dictionary/dictionary.h"
#include "runtime/config/requests.h"
#include "runtime/values/text.h"

namespace qm::desk {

namespace {

// Every note in no key, by date and then topic; equal notes keep record order.
SourcePlan notesPlan() {
  SourcePlan plan;
  plan.within = [](const RecordBuffer& a, const RecordBuffer& b) {
    const int32_t da = a.date("DNO:DATE"), db = b.date("DNO:DATE");
    if (da != db) return da < db;
    return compareNoCase(a.text("DNO:TOPIC"), b.text("DNO:TOPIC")) < 0;
  };
  plan.batch = 500;
  return plan;
}

}  // namespace

// ---- printnote ---------------------------------------------------------------------------

ReportLayout printnoteLayout(std::function<const RecordBuffer&()> rec) {
  ReportLayout r;
  r.font = FontSpec{"Arial", 8, false, false};
  r.detailArea = {1000, 1540, 6000, 7458};

  r.header.x = 1000, r.header.y = 1000, r.header.w = 6000, r.header.h = 542;
  ReportControl title = textAt(0, 20, 6000, 260, "Quillmark Notes", Align::Center);
  title.font = FontSpec{"Arial", 14, true, false};
  r.header.controls.push_back(title);
  r.header.controls.push_back(boxAt(0, 320, 6000, 200));
  struct Heading {
    int x, w;
    const char* text;
  };
  for (const Heading& h :
       {Heading{50, 4300, "Topic"}, Heading{4400, 700, "Reminder"}, Heading{5150, 800, "Date"}}) {
    ReportControl c = textAt(h.x, 350, h.w, 160, h.text);
    c.font = FontSpec{"Arial", 8, true, false};
    r.header.controls.push_back(c);
  }

  r.detail.w = 6000, r.detail.h = 220;
  r.detail.controls.push_back(fieldAt(
      50, 30, 4300, 160, [rec] { return rec().text("DNO:TOPIC"); }, "@s60"));
  r.detail.controls.push_back(
      checkBoxAt(4600, 30, 200, 160, {}, [rec] { return rec().text("DNO:REMINDER"); }));
  r.detail.controls.push_back(fieldAt(
      5150, 30, 800, 160, [rec] { return std::to_string(rec().date("DNO:DATE")); }, "@d17"));

  r.footer.x = 1000, r.footer.y = 9000, r.footer.w = 6000, r.footer.h = 219;
  r.footer.controls.push_back(pageNumberAt(4600, 30, 1400, 160, Align::Right));
  return r;
}

PrintNote::PrintNote()
    : WindowProcedure("printnote"),
      source_(SourceFile::of(managedFile(FileId::dnotes)), notesPlan()) {}

PrintNote::~PrintNote() = default;

void PrintNote::setup() {
  report_ = std::make_unique<ReportProcedure>(
      "printnote", source_,
      printnoteLayout([this]() -> const RecordBuffer& { return *source_.record(); }));
  // The report's life takes the request from the globals again.
  RequestCode = static_cast<uint8_t>(request());
  report_->start([this](int response) { close(response); });
}

void PrintNote::cleanup() {
  if (report_) report_->abandon();
}

std::unique_ptr<WindowProcedure> makePrintnote() { return std::make_unique<PrintNote>(); }

}  // namespace qm::desk
