// The domains report (PrintDomains) over a generated Domains file of 100,000
// and of 1,000,000 domains, through the whole procedure as the menu runs it:
// progress window, timer events, the preview, then "Save as PDF". Prints
// records/s, the time to the first page shown, to the last page, to the PDF,
// and the peak memory of the report (the file's generation not counted).
// With a number as argument, runs that size only; without, each size in a
// process of its own so that each peak is its own.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "dictionary/dictionary.h"
#include "records/reports/reports.h"
#include "runtime/report/preview.h"
#include "runtime/values/date.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Peak resident memory of this process in MB, and a fresh start for it.
double peakMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  return -1;
}
void resetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

bool generate(int records) {
  qm::FileManager& m = qm::access(qm::FileId::Domains);
  if (m.open() != 0) return false;
  qm::RecordFile& f = m.file();
  qm::RecordBuffer& b = m.buffer();
  const int32_t day = qm::dayNumber(2024, 1, 1);
  if (f.beginBatch() != 0) return false;
  for (int i = 0; i < records; ++i) {
    const std::string n = std::to_string(i);
    b.clear();
    b.setText("DOM:DOMAINNAME", "site" + n + ".example.com");
    b.setDate("DOM:DATESTARTED", day - i % 3000);
    b.setDate("DOM:RENEWALDATE", day + i % 365);
    b.setText("DOM:REGISTRAR", i % 2 ? "Names Registry Inc" : "Domain Desk Ltd");
    b.setText("DOM:REGLOGIN", "login" + n);
    b.setText("DOM:REGLOGINPWD", "pw" + n);
    b.setDecimal("DOM:FEEPAID", *qm::Decimal42::fromCents(1995 + i % 500));
    b.setText("DOM:OWNERNAME", "Owner of site " + n);
    b.setText("DOM:CONTACTPERSON", "Contact " + n);
    b.setText("DOM:TECHPERSON", "Tech " + std::to_string(i % 97));
    b.setText("DOM:HOST", "Host Company " + std::to_string(i % 40));
    b.setDate("DOM:HOSTDATE", day - i % 700);
    b.setText("DOM:HOSTADMINLOGINNAME", "admin" + n);
    b.setText("DOM:IPPRIMARYADDRESS", "10.0." + std::to_string(i % 250) + ".1");
    b.setText("DOM:EMAILACCT0", "info@site" + n + ".example.com");
    if (i % 3 == 0) b.setText("DOM:EMAILACCT1", "sales@site" + n + ".example.com");
    if (i % 5 == 0) b.setText("DOM:FORWARD0", "owner" + n + "@mail.example");
    if (f.add() != 0) {
      std::fprintf(stderr, "add failed: %s\n", f.errorDetail().c_str());
      return false;
    }
  }
  const bool ok = f.commitBatch() == 0;
  m.close();
  return ok;
}

qm::PreviewWindow* shownPreview() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* p = qobject_cast<qm::PreviewWindow*>(w); p && p->isVisible()) return p;
  return nullptr;
}

int runOne(int records) {
  QTemporaryDir dir;
  QDir::setCurrent(dir.path());
  qm::StartDictionary(qm::DictionaryKind::Main, {[] { return std::string("page.htm"); },
                                                 [] { return std::string("work.txt"); }});
  const auto g0 = Clock::now();
  if (!generate(records)) {
    std::fprintf(stderr, "could not generate the Domains file\n");
    return 1;
  }
  const double generated = seconds(g0);

  resetPeak();
  const double before = peakMb();
  auto report = qm::reports::makePrintDomains();
  int response = 0;
  const auto t0 = Clock::now();
  report->start([&](int r) { response = r; });
  qm::PreviewWindow* preview = nullptr;
  double firstPage = 0;
  while (!preview || !preview->complete()) {
    QApplication::processEvents();
    if (!preview && (preview = shownPreview())) {
      preview->grab();  // page 1 painted
      firstPage = seconds(t0);
    }
    if (!report->procedure().running()) break;
  }
  const double lastPage = seconds(t0);
  if (!preview) {
    std::fprintf(stderr, "no preview (response %d)\n", response);
    return 1;
  }
  const int pages = preview->pageCount();
  preview->askPdfFileName = [] { return QString("domains.pdf"); };
  const auto p0 = Clock::now();
  const bool saved = preview->saveAsPdf();
  const double pdf = seconds(p0);
  const double pdfMb = QFile("domains.pdf").size() / 1048576.0;
  const double spilledMb = report->pages().pages.fileBytes() / 1048576.0;
  preview->close();
  const double peak = peakMb();

  std::printf(
      "%d domains (file made in %.1f s): %d pages, %.0f records/s; first page shown %.2f s, "
      "last page %.2f s, PDF %s in %.1f s (%.0f MB); pages spilled %.0f MB; "
      "peak memory %.0f MB (%.0f MB before the report); response %d\n",
      records, generated, pages, records / lastPage, firstPage, lastPage,
      saved ? "written" : "FAILED", pdf, pdfMb, spilledMb, peak, before, response);
  std::fflush(stdout);
  qm::StopDictionary();
  return saved ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc > 1) return runOne(std::atoi(argv[1]));
  int rc = 0;
  for (const char* size : {"100000", "1000000"}) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), {size});
    if (!child.waitForFinished(-1) || child.exitCode() != 0) rc = 1;
  }
  return rc;
}
