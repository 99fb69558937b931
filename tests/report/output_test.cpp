#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <memory>
#include <string>

#include "runtime/config/messages.h"
#include "runtime/config/settings.h"
#include "runtime/report/engine.h"
#include "runtime/report/fontmap.h"
#include "runtime/report/preview.h"
#include "runtime/report/render.h"

namespace {

std::string pdfText(const std::string& file) {
  QProcess p;
  p.start("pdftotext", {"-layout", QString::fromStdString(file), "-"});
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return "<pdftotext failed>";
  return p.readAllStandardOutput().toStdString();
}

int pdfPages(const std::string& text) {
  // pdftotext ends every page with a form feed.
  return static_cast<int>(std::count(text.begin(), text.end(), '\f'));
}

// Three pages: a title, one line per record, the page number.
std::shared_ptr<qm::PageModel> threePages() {
  std::string name;
  qm::ReportLayout l;
  l.detailArea = {1000, 1500, 6500, 1000};
  l.header = {1000, 700, 6500, 400, {qm::textAt(0, 0, 4000, 250, "Selected Links Listing")}};
  l.detail = {
      0, 0, 0, 500, {qm::fieldAt(0, 0, 4000, 170, [&] { return name; })},
  };
  l.detail.controls.push_back(qm::checkBoxAt(4500, 0, 1500, 170, "Use Now", [] { return "Y"; }));
  l.detail.controls.push_back(qm::lineAt(0, 450, 6000, 0));
  l.footer = {1000, 10000, 6500, 300, {qm::pageNumberAt(5000, 0, 1000, 200)}};
  qm::ReportEngine e(l);
  e.open();
  for (int i = 1; i <= 6; ++i) {
    name = "www.example" + std::to_string(i) + ".com";
    e.printDetail();
  }
  e.close();
  return std::make_shared<qm::PageModel>(e.takeModel());
}

TEST(FontMap, NamedFontsMapToInstalledOnes) {
  struct Case {
    const char* name;
    const char* family;
    int weight;
  };
  const Case cases[] = {{"MS Sans Serif", "Liberation Sans", QFont::Normal},
                        {"arial", "Liberation Sans", QFont::Normal},
                        {"Arial Black", "Liberation Sans", QFont::Black},
                        {"Courier New", "Courier New", QFont::Normal}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const QFont f = qm::mappedFont(c.name, 10);
    EXPECT_EQ(f.family().toStdString(), c.family);
    EXPECT_EQ(f.weight(), c.weight);
  }
  EXPECT_EQ(qm::mappedFont("Arial", 10, true).weight(), QFont::Bold);
  EXPECT_EQ(QFontInfo(qm::mappedFont("Arial", 10)).family().toStdString(), "Liberation Sans");
}

TEST(ReportOutput, PdfAndPrinterHoldThePagesTexts) {
  const auto model = threePages();
  ASSERT_EQ(model->pageCount(), 3);
  std::string error;
  ASSERT_TRUE(qm::writePdf(*model, "report.pdf", &error)) << error;

  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName("printed.pdf");
  ASSERT_TRUE(qm::printPages(*model, printer, &error, {2, 3})) << error;

  const std::string all = pdfText("report.pdf");
  EXPECT_EQ(pdfPages(all), 3);
  for (const char* t : {"Selected Links Listing", "www.example1.com", "www.example6.com", "Use Now",
                        "Page 1", "Page 3"})
    EXPECT_NE(all.find(t), std::string::npos) << t;

  const std::string printed = pdfText("printed.pdf");
  EXPECT_EQ(pdfPages(printed), 2);
  EXPECT_EQ(printed.find("www.example1.com"), std::string::npos);
  EXPECT_NE(printed.find("www.example3.com"), std::string::npos);
  EXPECT_NE(printed.find("Page 3"), std::string::npos);
}

TEST(ReportOutput, FailedPdfWriteIsReported) {
  const auto model = threePages();
  std::string error;
  EXPECT_FALSE(qm::writePdf(*model, "no/such/dir/report.pdf", &error));
  EXPECT_NE(error.find("no/such/dir/report.pdf"), std::string::npos);
  EXPECT_FALSE(qm::writePdf(qm::PageModel{}, "empty.pdf", &error));
}

TEST(Preview, JumpsZoomsSelectsSavesAndKeepsItsPlacement) {
  ASSERT_TRUE(qm::settings().write(qm::PreviewSection, "XPos", "30"));
  ASSERT_TRUE(qm::settings().write(qm::PreviewSection, "Width", "1000"));
  qm::ScriptedAnswerer answers;
  answers.install();
  bool closed = false;
  auto* w = new qm::PreviewWindow(threePages());
  w->setAttribute(Qt::WA_DeleteOnClose);
  w->onClosed([&] { closed = true; });
  QString prompt;
  std::optional<int> answer = 3;
  w->askPageNumber = [&](const QString& p, int) {
    prompt = p;
    return answer;
  };
  w->show();
  EXPECT_EQ(w->pos().x(), 30);
  EXPECT_EQ(w->width(), 1000);
  ASSERT_EQ(w->pageCount(), 3);
  EXPECT_EQ(w->currentPage(), 1);

  w->jumpToPage();
  EXPECT_EQ(prompt.toStdString(), "Enter a page number from 1 to 3");
  EXPECT_EQ(w->currentPage(), 3);
  for (std::optional<int> bad :
       {std::optional<int>(0), std::optional<int>(4), std::optional<int>()}) {
    answer = bad;
    w->jumpToPage();
    EXPECT_EQ(w->currentPage(), 3);
  }

  w->setZoom(100);
  const double at100 = w->scale();
  w->setZoom(200);
  EXPECT_DOUBLE_EQ(w->scale(), 2 * at100);

  w->setPageSelected(2, false);
  EXPECT_EQ(w->selectedPages(), (std::vector<int>{1, 3}));
  w->askPdfFileName = [] { return QString("chosen.pdf"); };
  ASSERT_TRUE(w->saveAsPdf());
  const std::string saved = pdfText("chosen.pdf");
  EXPECT_EQ(pdfPages(saved), 2);
  EXPECT_EQ(saved.find("Page 2"), std::string::npos);
  w->askPdfFileName = [] { return QString("no/such/dir/x.pdf"); };
  EXPECT_FALSE(w->saveAsPdf());
  ASSERT_EQ(answers.asked.size(), 1u);  // the failure was reported
  EXPECT_NE(answers.asked[0].text.find("no/such/dir/x.pdf"), std::string::npos);

  w->move(25, 35);
  w->resize(1100, 700);
  w->close();
  EXPECT_TRUE(closed);
  EXPECT_EQ(qm::settings().read(qm::PreviewSection, "XPos", ""), "25");
  EXPECT_EQ(qm::settings().read(qm::PreviewSection, "YPos", ""), "35");
  EXPECT_EQ(qm::settings().read(qm::PreviewSection, "Width", ""), "1100");
  EXPECT_EQ(qm::settings().read(qm::PreviewSection, "Height", ""), "700");
}

// The page shown, in pixels, and the room the scroll area gives it.
struct Shown {
  int pageWidth;
  int viewWidth;
  int room;
};

Shown shownPage(qm::PreviewWindow& w) {
  auto* scroll = w.findChild<QScrollArea*>();
  return {static_cast<int>(w.scale() * 8500), scroll->widget()->width(),
          scroll->viewport()->width()};
}

TEST(Preview, OpensReadableAndRefitsWhenResized) {
  struct Case {
    const char* savedZoom;  // nullptr: none saved
    bool fitsWidth;
  };
  for (const Case c : {Case{nullptr, true}, Case{"100", false}, Case{"rubbish", true}}) {
    SCOPED_TRACE(c.savedZoom ? c.savedZoom : "none");
    ASSERT_TRUE(qm::settings().write(qm::PreviewSection, "Width", "900"));
    ASSERT_TRUE(qm::settings().write(qm::PreviewSection, "Height", "700"));
    if (c.savedZoom) {
      ASSERT_TRUE(qm::settings().write(qm::PreviewSection, "Zoom", c.savedZoom));
    }
    auto w = std::make_unique<qm::PreviewWindow>(threePages());
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    QApplication::processEvents();
    const Shown opened = shownPage(*w);
    if (c.fitsWidth) {
      // The page fills the width the window gives it, whatever it was before laying out.
      EXPECT_GT(opened.pageWidth, opened.room - 60);
      EXPECT_LE(opened.pageWidth, opened.room);
      EXPECT_GE(opened.viewWidth, opened.room);
      w->resize(1200, 900);
      QApplication::processEvents();
      const Shown wider = shownPage(*w);
      EXPECT_GT(wider.room, opened.room + 200);
      EXPECT_GT(wider.pageWidth, wider.room - 60);
      EXPECT_LE(wider.pageWidth, wider.room);
      EXPECT_EQ(w->findChild<QScrollArea*>()->horizontalScrollBar()->maximum(), 0);
    } else {
      EXPECT_EQ(opened.pageWidth, static_cast<int>(w->logicalDpiX() * 8.5));
      EXPECT_GE(opened.viewWidth, opened.pageWidth);
    }
    if (qEnvironmentVariableIsSet("QM_PREVIEW_SHOT")) {
      w->grab().save(qEnvironmentVariable("QM_PREVIEW_SHOT") + (c.savedZoom ? c.savedZoom : "fit") +
                     ".png");
    }
    w->setZoom(150);
    w->close();
    EXPECT_EQ(qm::settings().read(qm::PreviewSection, "Zoom", ""), "150");
    ASSERT_TRUE(qm::settings().write(qm::PreviewSection, "Zoom", ""));
  }
}

}  // namespace
