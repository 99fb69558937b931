#include "frame/registerall.h"

#include "appkit/procedures.h"
#include "desk/register.h"
#include "frame/mainframe.h"
#include "frame/program/globals.h"
#include "records/register.h"
#include "records/reports/register.h"
#include "webdata/details/register.h"
#include "webdata/pages/register.h"
#include "webdata/reports/register.h"
#include "webdata/views/register.h"

namespace qm {

void registerMainProgramProcedures() {
  registerFrameProcedures();
  registerRecordProcedures();
  const auto& registrar = procedureRegistrar();
  reports::registerRecordReports(registrar);
  const WebContext& web = mainWebContext();
  registerWebPageProcedures(registrar, web);
  details::registerDetailProcedures(registrar, web);
  webviews::registerWebViewProcedures(registrar, web);
  webreports::registerWebReportProcedures(registrar, web);
  registerDeskProcedures(registrar, mainDeskContext());
}

}  // namespace qm
