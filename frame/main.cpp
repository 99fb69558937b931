// The main program.
#include <QApplication>

#include "appkit/gallery.h"
#include "dictionary/dictionary.h"
#include "frame/mainframe.h"
#include "frame/program/globals.h"
#include "frame/program/startup.h"
#include "frame/registerall.h"
#include "runtime/config/messages.h"
#include "runtime/ui/messagebox.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Quillmark");
  qm::QtMessageAnswerer boxes;
  qm::setMessageAnswerer(&boxes);

  qm::registerMainProgramProcedures();
  qm::armGallery("quillmark", [] { return qm::mainFrame(); });

  const int code = qm::runProgram(
      qm::Main,
      [] {
        qm::StartDictionary(qm::DictionaryKind::Main, {[] { return qm::HtmlFileName.str(); },
                                                       [] { return qm::WorkFileName.str(); }});
      },
      [] { qm::StopDictionary(); });
  qm::setMessageAnswerer(nullptr);
  return code;
}
