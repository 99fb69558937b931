// Opens a browse on a file of 1,000,000 records and pages down 100 times.
#include <QApplication>
#include <QDir>
#include <QScrollBar>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "runtime/ui/browse.h"
#include "runtime/ui/datafile.h"
#include "runtime/ui/windowdef.h"

using namespace qm;
using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double, std::milli>(b - a).count();
}

class File : public DataFile {
 public:
  explicit File(const FileDef& d) : def_(d), file_(d) {}
  std::string name() const override { return def_.label; }
  const FileDef& def() const override { return def_; }
  int open() override {
    return file_.isOpen() ? 0 : file_.open(OpenMode::ReadWriteDenyNone, true, 1);
  }
  int close() override { return 0; }
  bool isOpen() const override { return file_.isOpen(); }
  RecordBuffer& buffer() override { return file_.buffer(); }
  RecordFile& recordFile() override { return file_; }
  int primeRecord(bool) override { return 0; }
  int insert() override { return file_.add(); }
  int update(const RecordBuffer& asRead) override { return file_.putIfUnchanged(asRead); }
  int removeCascade() override { return file_.erase(); }
  int errorCode() const override { return file_.errorCode(); }
  std::string errorText() const override { return file_.errorText(); }

 private:
  FileDef def_;
  RecordFile file_;
};

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir dir;
  QDir::setCurrent(dir.path());
  const int records = argc > 1 ? std::atoi(argv[1]) : 1000000;

  FileDef def;
  def.label = "Domains";
  def.prefix = "DOM:";
  def.diskName = "DOMAINS";
  def.recordSize = 50 + 40;
  def.fields = {{"DOM:DOMAINNAME", FieldType::Text, 0, 50},
                {"DOM:OWNERNAME", FieldType::Text, 50, 40}};
  def.keys = {{"DOM:NAME", {0}, true, "DOM:name", 0}};
  File file(def);
  auto t0 = Clock::now();
  file.open();
  file.recordFile().beginBatch();
  char name[32];
  for (int i = 0; i < records; ++i) {
    std::snprintf(name, sizeof name, "site%07d.com", i);
    file.buffer().setText(0, name);
    file.buffer().setText(1, "Owner");
    if (file.recordFile().add() != 0) {
      std::fprintf(stderr, "add failed: %s\n", file.recordFile().errorDetail().c_str());
      return 1;
    }
  }
  file.recordFile().commitBatch();
  auto t1 = Clock::now();

  WindowDef w;
  w.title = "Browse the Domains File";
  w.w = 400, w.h = 250;
  ControlDef list;
  list.kind = Kind::List;
  list.id = "?Browse:1";
  list.x = 4, list.y = 4, list.w = 390, list.h = 220;
  list.columns = {
      {142, Justify::Left, 2, "Domain Name", Justify::Left, 2, "DOM:DOMAINNAME", "@s50"},
      {80, Justify::Left, 2, "Owner Name", Justify::Left, 2, "DOM:OWNERNAME", "@s40"}};
  w.controls.push_back(list);
  BrowseDef b;
  b.orders = {{"DOM:NAME", LocatorKind::None, "", {}, ""}};
  b.keepFormats = false;

  BrowseProcedure* browse = nullptr;
  auto t2 = Clock::now();
  startProcedure("BrowseDomains", 50000, [&]() -> std::unique_ptr<WindowProcedure> {
    auto p = std::make_unique<BrowseProcedure>("BrowseDomains", w, b, &file);
    browse = p.get();
    return p;
  });
  auto t3 = Clock::now();
  for (int i = 0; i < 100; ++i) {
    browse->navigate(Nav::NextPage);
    if (std::getenv("QM_BENCH_TRACE") && i < 5)
      std::printf("page %d: %s .. %s\n", i, browse->list().rows().front().record.text(0).c_str(),
                  browse->list().rows().back().record.text(0).c_str());
  }
  app.processEvents();
  auto t4 = Clock::now();
  std::string after100 = browse->list().rows().front().record.text(0);
  browse->navigate(Nav::Last);
  auto t5 = Clock::now();
  std::string last = browse->list().current() ? browse->list().current()->record.text(0) : "-";
  // Dragging the scroll bar thumb through ten places.
  QScrollBar* bar = browse->scrollBar();
  bar->setSliderDown(true);
  for (int i = 1; i <= 10; ++i) bar->setSliderPosition(i * BrowseProcedure::kScrollSteps / 11);
  bar->setSliderDown(false);
  auto t6 = Clock::now();
  std::string dragged = browse->list().current() ? browse->list().current()->record.text(0) : "-";
  std::printf("records:                 %d\n", records);
  std::printf("fill file:               %.0f ms\n", ms(t0, t1));
  std::printf("open browse:             %.2f ms (%d rows a page)\n", ms(t2, t3),
              browse->list().pageSize());
  std::printf("100 x page down:         %.2f ms (%.3f ms a page), now at %s\n", ms(t3, t4),
              ms(t3, t4) / 100, after100.c_str());
  std::printf("last:                    %.2f ms (%s)\n", ms(t4, t5), last.c_str());
  std::printf("10 x drag the scroll bar: %.2f ms (%.3f ms a place), now at %s (bar %d of %d)\n",
              ms(t5, t6), ms(t5, t6) / 10, dragged.c_str(), bar->value(), bar->maximum());
  browse->close(2);
  return 0;
}
