// A report of 100,000 records, each a block of 28 fields in a grid of four
// columns, built to its page model: once through the batch reader alone and
// once through the whole report procedure (progress window, timer events).
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/report/batch.h"
#include "runtime/report/engine.h"
#include "runtime/report/preview.h"
#include "runtime/report/procedure.h"

namespace {

constexpr int Records = 100000;
constexpr int Fields = 28;

struct Row {
  std::vector<std::string> f;
};

qm::ReportLayout gridLayout(const Row& buf) {
  qm::ReportLayout l;
  l.detailArea = {250, 1600, 8000, 8900};
  const int cols[] = {50, 1550, 3050, 4550};
  for (int i = 0; i < Fields; ++i) {
    const int x = cols[i % 4], y = 310 + 180 * (i / 4);
    l.header.controls.push_back(qm::textAt(x, y, 1400, 170, "Label " + std::to_string(i)));
    l.detail.controls.push_back(qm::fieldAt(x, 10 + 180 * (i / 4), 1400, 170,
                                            [&buf, i] { return buf.f[static_cast<std::size_t>(i)]; },
                                            i == 6 ? "@n10.2" : "@s40"));
  }
  l.header.x = 250;
  l.header.y = 250;
  l.header.controls.push_back(qm::textAt(0, 0, 4000, 250, "Print the Domains File"));
  l.header.controls.push_back(qm::textAt(4500, 0, 1000, 170, "Report Date:"));
  l.header.controls.push_back(qm::dateStampAt(5500, 0, 1500, 170));
  l.detail.h = 1300;
  l.footer = {250, 10600, 8000, 250, {qm::pageNumberAt(6500, 0, 1500, 170)}};
  return l;
}

std::vector<Row> makeRows() {
  std::vector<Row> rows(Records);
  for (int r = 0; r < Records; ++r) {
    rows[r].f.resize(Fields);
    for (int i = 0; i < Fields; ++i)
      rows[r].f[i] = i == 6 ? std::to_string(r % 1000) + ".5"
                   : i == 0 ? "domain" + std::to_string(r) + ".example.com with a long tail of text"
                            : "value " + std::to_string(r * 31 + i);
  }
  return rows;
}

double seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::vector<Row> rows = makeRows();
  Row buf;

  {
    qm::VectorSource<Row> src(rows, buf);
    qm::ReportEngine engine(gridLayout(buf));
    const auto t0 = std::chrono::steady_clock::now();
    src.open();
    engine.open();
    qm::BatchReader reader([&] {
      if (!src.next()) return false;
      engine.printDetail();
      return true;
    });
    while (reader.runEvent()) {
    }
    engine.close();
    const double s = seconds(t0);
    std::printf("page model, batch reader: %d records, %d pages, %.2f s, %.0f records/s\n",
                Records, engine.model().pageCount(), s, Records / s);
  }
  {
    qm::VectorSource<Row> src(rows, buf);
    int pages = 0;
    qm::setPreviewOpener([&](std::shared_ptr<const qm::PageModel> m, std::function<void()> closed) {
      pages = m->pageCount();
      closed();
    });
    qm::ReportProcedure report("PrintDomains", src, gridLayout(buf));
    const auto t0 = std::chrono::steady_clock::now();
    const int response = report.run();
    const double s = seconds(t0);
    std::printf("report procedure: %d records, %d pages, response %d, %.2f s, %.0f records/s\n",
                Records, pages, response, s, Records / s);
  }
  return 0;
}
