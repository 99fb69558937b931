// The companion program: reads a domain's pages in one run.
#include <QApplication>

#include "appkit/gallery.h"
#include "appkit/procedures.h"
#include "reader/frame.h"
#include "reader/register.h"
#include "runtime/config/messages.h"
#include "runtime/ui/messagebox.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Skimwell");
  qm::QtMessageAnswerer boxes;
  qm::setMessageAnswerer(&boxes);
  qm::reader::registerReaderProcedures(qm::procedureRegistrar());
  qm::armGallery("skimwell", [] { return qm::reader::readerFrame(); });
  const int code = qm::reader::runReader();
  qm::setMessageAnswerer(nullptr);
  return code;
}
