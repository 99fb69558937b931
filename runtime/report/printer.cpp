#include "runtime/report/printer.h"

#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPrinter>
#include <cmath>

namespace qm {

namespace {

QPageLayout& chosenLayout() {
  static QPageLayout layout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                            QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
  return layout;
}

}  // namespace

PaperSize reportPaper() {
  const QRectF r = chosenLayout().fullRect(QPageLayout::Inch);
  return {static_cast<int>(std::lround(r.width() * 1000)),
          static_cast<int>(std::lround(r.height() * 1000))};
}

QPrinter& reportPrinter() {
  // Made on first use (building a printer asks the print system) and kept to
  // the end: destroying it after the application object is unsafe.
  static QPrinter* printer = [] {
    auto* p = new QPrinter(QPrinter::HighResolution);
    p->setPageLayout(chosenLayout());
    return p;
  }();
  return *printer;
}

void printSetup(QWidget* parent) {
  QPrinter& printer = reportPrinter();
  QPageSetupDialog dialog(&printer, parent);
  if (dialog.exec() == QDialog::Accepted) chosenLayout() = printer.pageLayout();
}

}  // namespace qm
