#include "runtime/report/procedure.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QWindow>
#include <memory>
#include <string>
#include <vector>

#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/config/settings.h"
#include "runtime/report/preview.h"
#include "runtime/report/progress.h"
#include "runtime/store/thread.h"
#include "runtime/values/clock.h"

namespace {

struct Row {
  std::string name;
  bool keep = true;
};

std::vector<Row> rows(int n) {
  std::vector<Row> out;
  for (int i = 1; i <= n; ++i) out.push_back({"row" + std::to_string(i)});
  return out;
}

qm::ReportLayout layoutOver(const Row& buf) {
  qm::ReportLayout l;
  l.detailArea = {500, 1500, 7500, 3000};
  l.header = {500, 500, 7500, 500, {qm::textAt(0, 0, 3000, 200, "Title")}};
  l.detail = {0, 0, 0, 1000, {qm::fieldAt(0, 0, 3000, 170, [&buf] { return buf.name; })}};
  l.footer = {500, 9000, 7500, 300, {qm::pageNumberAt(5000, 0, 1000, 170)}};
  return l;
}

// Records what a finished report hands to the preview, and closes it at once.
class ProcedureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    answers_.install();
    qm::setPreviewOpener(
        [this](std::shared_ptr<const qm::PageModel> pages, std::function<void()> closed) {
          previews_.push_back(std::move(pages));
          closed();
        });
  }
  void TearDown() override { qm::setPreviewOpener({}); }

  std::vector<std::string> captions() const {
    std::vector<std::string> out;
    for (const auto& r : answers_.asked) out.push_back(r.caption);
    return out;
  }

  qm::ScriptedAnswerer answers_;
  std::vector<std::shared_ptr<const qm::PageModel>> previews_;
  Row buf_;
};

TEST_F(ProcedureTest, ReportOverNothingShowsNoRecordsAndOpensNoPreview) {
  struct Case {
    const char* name;
    int rows;
    bool filterAll;
  };
  for (const Case c :
       {Case{"empty source", 0, false}, Case{"filter lets nothing through", 5, true}}) {
    SCOPED_TRACE(c.name);
    answers_.asked.clear();
    previews_.clear();
    qm::VectorSource<Row> src(rows(c.rows), buf_, [&](const Row&) { return !c.filterAll; });
    qm::ReportProcedure report("PrintDomains", src, layoutOver(buf_));
    EXPECT_EQ(report.run(), qm::RequestCancelled);
    EXPECT_EQ(qm::ResponseCode, qm::RequestCancelled);
    ASSERT_EQ(answers_.asked.size(), 1u);
    EXPECT_EQ(answers_.asked[0].caption, "No Records");
    EXPECT_EQ(answers_.asked[0].text, "There are no records available to process.");
    EXPECT_TRUE(previews_.empty());
    EXPECT_EQ(report.pages().pageCount(), 0);
    EXPECT_EQ(src.closes, 1);
    EXPECT_EQ(qm::errors().currentProcedure(), "");
  }
}

TEST_F(ProcedureTest, ReportLifeFromRequestToPreview) {
  qm::VectorSource<Row> src(rows(7), buf_);
  std::string during;
  uint8_t requestSeen = 255;
  qm::ReportProcedure report("PrintHosts", src, layoutOver(buf_), [&] {
    during = qm::errors().currentProcedure();
    requestSeen = qm::RequestCode;
    return true;
  });
  qm::RequestCode = qm::ProcessRecord;
  qm::ResponseCode = 9;
  EXPECT_EQ(report.run(), qm::RequestCompleted);
  EXPECT_EQ(report.request(), qm::ProcessRecord);
  EXPECT_EQ(requestSeen, 0);  // both globals cleared at open
  EXPECT_EQ(qm::ResponseCode, qm::RequestCompleted);
  EXPECT_EQ(during, "PrintHosts");
  EXPECT_EQ(qm::errors().currentProcedure(), "");
  EXPECT_TRUE(answers_.asked.empty());
  ASSERT_EQ(previews_.size(), 1u);
  ASSERT_EQ(previews_[0]->pageCount(), 3);
  EXPECT_EQ(previews_[0]->paper.width, 8500);  // US Letter unless the printer set-up changed it
  EXPECT_EQ(previews_[0]->paper.height, 11000);
  for (int p = 0; p < 3; ++p) {
    const auto texts = previews_[0]->texts(p);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Page " + std::to_string(p + 1)), texts.end());
  }
  EXPECT_EQ(report.recordsRead(), 7);
  EXPECT_EQ(report.progressWindow()->text(3).toStdString(), "100% Complete");
  EXPECT_FALSE(src.quickScanSeen);  // reports ask for it only when they say so
  EXPECT_EQ(src.closes, 1);
}

TEST_F(ProcedureTest, CancelStopsTheRunWithoutPreview) {
  qm::VectorSource<Row> src(rows(50), buf_);
  qm::ReportProcedure* self = nullptr;
  int taken = 0;
  qm::ReportProcedure report("PrintRegistrars", src, layoutOver(buf_), [&] {
    if (++taken == 2) self->progressWindow()->cancelButton()->click();
    return true;
  });
  self = &report;
  EXPECT_EQ(report.run(), qm::RequestCancelled);
  EXPECT_EQ(taken, 2);
  EXPECT_TRUE(previews_.empty());
  EXPECT_TRUE(answers_.asked.empty());
  EXPECT_FALSE(report.progressWindow()->isVisible());
  EXPECT_EQ(src.closes, 1);
  EXPECT_EQ(qm::errors().currentProcedure(), "");
}

// Its owner ended the thread (the frame closing its windows): the records of
// that thread are gone, and the run must not read on into them.
TEST_F(ProcedureTest, RunStopsReadingWhenItsThreadEnds) {
  const int thread = qm::newThreadNumber();
  qm::ThreadScope scope(thread);
  qm::VectorSource<Row> src(rows(500), buf_);
  int taken = 0;
  bool ended = false, readAfterEnd = false;
  qm::ReportProcedure report("PrintHosts", src, layoutOver(buf_), [&] {
    readAfterEnd = readAfterEnd || ended;
    if (++taken == 3) {
      qm::endThread(thread);
      ended = true;
    }
    return true;
  });
  report.start({});
  for (int i = 0; i < 50 && !ended; ++i) QTest::qWait(10);
  QTest::qWait(50);
  EXPECT_TRUE(ended);
  EXPECT_FALSE(readAfterEnd);
  EXPECT_LT(taken, 500);
}

TEST_F(ProcedureTest, ProgressWindowPlacementIsKeptUnderTheProcedureName) {
  ASSERT_TRUE(qm::settings().write("comparisons", "XPos", "40"));
  ASSERT_TRUE(qm::settings().write("comparisons", "YPos", "55"));
  qm::VectorSource<Row> src(rows(1), buf_);
  QPoint seen;
  qm::ReportProcedure* self = nullptr;
  qm::ReportProcedure report("comparisons", src, layoutOver(buf_), [&] {
    seen = self->progressWindow()->pos();
    self->progressWindow()->move(70, 80);
    return true;
  });
  self = &report;
  ASSERT_EQ(report.run(), qm::RequestCompleted);
  EXPECT_EQ(seen, QPoint(40, 55));
  EXPECT_EQ(qm::settings().read("comparisons", "XPos", ""), "70");
  EXPECT_EQ(qm::settings().read("comparisons", "YPos", ""), "80");
  EXPECT_EQ(qm::settings().read("comparisons", "Maximize", ""), "No");
  EXPECT_EQ(qm::settings().read("comparisons", "Width", "none"), "none");
}

TEST_F(ProcedureTest, ProcessRunsItsActionWithQuickScanAndItsOwnTexts) {
  struct Case {
    int rows;
    int response;
  };
  for (const Case c : {Case{4, qm::RequestCompleted}, Case{0, qm::RequestCancelled}}) {
    SCOPED_TRACE(c.rows);
    qm::VectorSource<Row> src(rows(c.rows), buf_);
    std::vector<std::string> seen;
    bool scanning = true;
    qm::ProcessProcedure process("ChgLoPath1", src, [&] {
      seen.push_back(buf_.name);
      scanning = scanning && src.quickScan;
    });
    EXPECT_EQ(process.run(), c.response);
    EXPECT_EQ(static_cast<int>(seen.size()), c.rows);
    EXPECT_TRUE(scanning);
    EXPECT_TRUE(src.quickScanSeen);
    EXPECT_FALSE(src.quickScan);          // off again after the run
    EXPECT_TRUE(answers_.asked.empty());  // a process shows no message at the end
    EXPECT_TRUE(previews_.empty());
  }
}

// A process that sets its progress texts in its set-up.
class ChangePaths : public qm::ProcessProcedure {
 public:
  using ProcessProcedure::ProcessProcedure;
  QString titleSeen, line2Seen;

 protected:
  void setup() override {
    progressWindow()->setWindowTitle("Processing Records");
    progressWindow()->setText(2, "Changing Local Path");
    progressWindow()->setText(3, "0% Completed");
  }
  bool takeRecord() override {
    titleSeen = progressWindow()->windowTitle();
    line2Seen = progressWindow()->text(2);
    return true;
  }
};

TEST_F(ProcedureTest, ProcedureSetsTheProgressTexts) {
  qm::VectorSource<Row> src(rows(2), buf_);
  ChangePaths p("ChgLoPath", src);
  EXPECT_EQ(p.run(), qm::RequestCompleted);
  EXPECT_EQ(p.titleSeen, "Processing Records");
  EXPECT_EQ(p.line2Seen, "Changing Local Path");
}

TEST_F(ProcedureTest, SourceThatFailsToOpenEndsCancelled) {
  qm::VectorSource<Row> src(rows(3), buf_);
  src.failOpen = true;
  qm::ReportProcedure report("PrintDomains", src, layoutOver(buf_));
  EXPECT_EQ(report.run(), qm::RequestCancelled);
  EXPECT_TRUE(previews_.empty());
  EXPECT_TRUE(answers_.asked.empty());
  EXPECT_EQ(qm::errors().currentProcedure(), "");
}

}  // namespace

namespace {

TEST(ReportPreview, DefaultPreviewOpensWithoutBlockingAndEndsTheReportWhenClosed) {
  qm::setPreviewOpener({});
  Row buf;
  qm::VectorSource<Row> src(rows(4), buf);
  qm::ReportProcedure report("PrintImage", src, layoutOver(buf));
  int response = 0;
  report.start([&](int r) { response = r; });
  qm::PreviewWindow* preview = nullptr;
  for (int i = 0; i < 500 && !preview; ++i) {
    QApplication::processEvents();
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* p = qobject_cast<qm::PreviewWindow*>(w); p && p->isVisible()) preview = p;
  }
  ASSERT_NE(preview, nullptr);
  EXPECT_EQ(preview->pageCount(), 2);
  EXPECT_EQ(response, 0);  // the report lasts while its preview is open
  EXPECT_TRUE(report.running());
  preview->close();
  EXPECT_EQ(response, qm::RequestCompleted);
  EXPECT_FALSE(report.running());
}

}  // namespace

namespace {

// A report long enough to take many timer events: each record costs a
// tenth of a second on the test clock, so an event reads a few of them.
class LongReport : public ::testing::Test {
 protected:
  void SetUp() override {
    qm::setPreviewOpener({});
    qm::setClock(&clock_);
  }
  void TearDown() override {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<qm::PreviewWindow*>(w)) w->close();
    qm::setClock(nullptr);
  }

  std::unique_ptr<qm::ReportProcedure> start(
      std::function<void(qm::ReportProcedure&)> eachRecord = {}) {
    auto report = std::make_unique<qm::ReportProcedure>("PrintDomains", src_, layoutOver(buf_),
                                                        [this, eachRecord] {
                                                          clock_.advance(10);
                                                          if (eachRecord) eachRecord(*self_);
                                                          return true;
                                                        });
    self_ = report.get();
    report->start([this](int r) { response_ = r; });
    return report;
  }
  // Runs events until the test holds or the report ends; the caller checks which.
  template <class Pred>
  void pumpUntil(Pred done) {
    (void)QTest::qWaitFor([&] { return done() || response_ != 0; });
  }
  static qm::PreviewWindow* preview() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* p = qobject_cast<qm::PreviewWindow*>(w); p && p->isVisible()) return p;
    return nullptr;
  }

  qm::FakeClock clock_;
  Row buf_;
  qm::VectorSource<Row> src_{rows(60), buf_};  // three to a page: 20 pages
  qm::ReportProcedure* self_ = nullptr;
  int response_ = 0;
};

TEST_F(LongReport, PreviewShowsTheFirstPagesWhileTheRestAreRead) {
  auto report = start();
  pumpUntil([] { return preview() != nullptr; });
  qm::PreviewWindow* w = preview();
  ASSERT_NE(w, nullptr);
  EXPECT_GE(w->pageCount(), 1);
  EXPECT_LT(report->recordsRead(), 60);
  EXPECT_FALSE(w->complete());
  EXPECT_TRUE(report->progressWindow()->isVisible());  // still reading, still cancellable
  // Above the preview, which would otherwise cover its Cancel.
  ASSERT_NE(report->progressWindow()->windowHandle(), nullptr);
  EXPECT_EQ(report->progressWindow()->windowHandle()->transientParent(), w->windowHandle());
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return QApplication::activeWindow() == report->progressWindow(); }, 2000));
  if (qEnvironmentVariableIsSet("QM_PREVIEW_SHOT")) {
    w->grab().save(qEnvironmentVariable("QM_PREVIEW_SHOT") + "growing.png");
  }
  w->askPdfFileName = [] { return QString("early.pdf"); };
  EXPECT_FALSE(w->saveAsPdf());  // nothing half-written
  EXPECT_FALSE(QFile::exists("early.pdf"));

  pumpUntil([&] { return w->complete(); });
  ASSERT_TRUE(w->complete());
  EXPECT_EQ(report->recordsRead(), 60);
  EXPECT_FALSE(report->progressWindow()->isVisible());
  EXPECT_EQ(w->pageCount(), 20);
  // The page list catches up with the pages added.
  EXPECT_TRUE(QTest::qWaitFor([&] { return w->selectedPages().size() == 20u; }, 5000));
  EXPECT_EQ(report->pages().texts(19).back(), "Page 20");
  w->showPage(20);
  EXPECT_EQ(w->currentPage(), 20);
  EXPECT_EQ(response_, 0);  // the report lasts while its preview is open
  w->close();
  EXPECT_EQ(response_, qm::RequestCompleted);
  EXPECT_EQ(src_.closes, 1);
}

TEST_F(LongReport, ClosingThePreviewEarlyStopsTheReading) {
  auto report = start();
  pumpUntil([] { return preview() != nullptr; });
  ASSERT_NE(preview(), nullptr);
  preview()->close();
  pumpUntil([] { return false; });
  EXPECT_EQ(response_, qm::RequestCancelled);
  EXPECT_LT(report->recordsRead(), 60);
  EXPECT_FALSE(report->running());
  EXPECT_EQ(src_.closes, 1);
  EXPECT_EQ(qm::errors().currentProcedure(), "");
}

TEST_F(LongReport, CancelWhileThePreviewShowsKeepsThePagesPrintedWhole) {
  auto report = start([this](qm::ReportProcedure& r) {
    if (r.recordsRead() == 10 && preview()) r.progressWindow()->cancelButton()->click();
  });
  pumpUntil([&] { return report->recordsRead() > 10 && !report->progressWindow()->isVisible(); });
  qm::PreviewWindow* w = preview();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(report->recordsRead(), 10);
  EXPECT_TRUE(w->complete());
  ASSERT_EQ(w->pageCount(), 4);  // 3 + 3 + 3 + 1, the last ended with its footer
  EXPECT_EQ(report->pages().texts(3).back(), "Page 4");
  EXPECT_EQ(response_, 0);
  w->close();
  EXPECT_EQ(response_, qm::RequestCancelled);
}

}  // namespace

namespace {

// A batch whose owner closes mid-run: the run must stop reading at once and
// run its cleanup, with done never called.
TEST_F(ProcedureTest, AbandonedRunStopsReadingAndCleansUpWithoutDone) {
  struct Counting : qm::BatchProcedure {
    using qm::BatchProcedure::BatchProcedure;
    int cleanups = 0;
    void cleanup() override { ++cleanups; }
  };
  // Slow rows: the run is still reading when its owner closes.
  qm::VectorSource<Row> src(rows(100000), buf_, [](const Row&) {
    QThread::usleep(200);
    return true;
  });
  Counting run("PrintRegistrars", src);
  bool doneCalled = false;
  run.start([&](int) { doneCalled = true; });
  QTest::qWait(20);
  ASSERT_TRUE(run.running());
  run.abandon();
  const int readAtAbandon = src.percentDone();
  QTest::qWait(50);
  EXPECT_FALSE(run.running());
  EXPECT_EQ(src.percentDone(), readAtAbandon);
  EXPECT_EQ(src.closes, 1);
  EXPECT_EQ(run.cleanups, 1);
  EXPECT_FALSE(doneCalled);
  EXPECT_FALSE(run.progressWindow()->isVisible());
  EXPECT_EQ(qm::errors().currentProcedure(), "");
}

}  // namespace
