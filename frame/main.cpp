// The main program.
#include <QApplication>

#include "appkit/gallery.h"
#include "appkit/procedures.h"
#include "desk/register.h"
#include "dictionary/dictionary.h"
#include "frame/mainframe.h"
#include "frame/program/globals.h"
#include "frame/program/startup.h"
#include "records/register.h"
#include "records/reports/register.h"
#include "runtime/config/messages.h"
#include "runtime/ui/messagebox.h"
#include "webdata/details/register.h"
#include "webdata/pages/register.h"
#include "webdata/reports/register.h"
#include "webdata/views/register.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Quillmark");
  qm::QtMessageAnswerer boxes;
  qm::setMessageAnswerer(&boxes);

  // Each subsystem registers the procedures that the menu starts by name.
  qm::registerFrameProcedures();
  qm::registerRecordProcedures();
  const auto& registrar = qm::procedureRegistrar();
  qm::reports::registerRecordReports(registrar);
  const qm::WebContext& web = qm::mainWebContext();
  qm::registerWebPageProcedures(registrar, web);
  qm::details::registerDetailProcedures(registrar, web);
  qm::webviews::registerWebViewProcedures(registrar, web);
  qm::webreports::registerWebReportProcedures(registrar, web);
  qm::registerDeskProcedures(registrar, qm::mainDeskContext());
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
