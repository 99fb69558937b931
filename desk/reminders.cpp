#include "desk/reminders.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>

#include "appkit/layout.h"
#include "appkit/procedures.h"
#include "desk/common.h"
#include "desk/context.h"
#include "desk/cpanel.h"
#include "desk/notes.h"
#include "desk/renewalreport.h"
#include "dictionary/datafile_adapter.h"
#include "runtime/config/requests.h"
#include "runtime/config/settings.h"
#include "runtime/values/clock.h"
#include "runtime/values/text.h"
#include "runtime/view/view.h"

namespace qm::desk {

namespace {

using qm::addButtons;
using qm::addSheet;
using qm::control;
using qm::tabId;

constexpr const char* kRenewalFilter =
    "(dom:renewaldate => today() and dom:renewaldate =< today()+30)";
constexpr const char* kReminderNote = "dno:reminder = 'Y'";

std::vector<ColumnDef> noticeColumns() {
  using J = Justify;
  std::vector<ColumnDef> cols = {
      {80, J::Left, 2, "Domain Name", J::Left, 2, "DOM:DOMAINNAME", "@s50"},
      {62, J::Right, 2, "Reg Date Started", J::Center, 2, "DOM:DATESTARTED", "@D2"},
      {60, J::Right, 2, "Renewal Date", J::Center, 2, "DOM:RENEWALDATE", "@D2"},
      {50, J::Center, 2, "Host Date", J::Center, 2, "DOM:HOSTDATE", "@D2"},
      {40, J::Left, 2, "Fee Paid", J::Left, 2, "DOM:FEEPAID", "@n10.2"},
  };
  cols.back().resizable = false;
  cols.back().rightBorder = false;
  for (size_t i = 0; i < 4; ++i)
    cols[i].fixed = true;  // they stay in view when the list scrolls sideways
  return cols;
}

WindowDef noticeWindow() {
  WindowDef w;
  w.title = "Domain Reminders:   Due In 30 Days or Less";
  w.w = 312, w.h = 212;
  w.status = "Browsing Records";
  w.controls.push_back(
      control(Kind::Prompt, "?Instructions",
              "This window shows either Registrar Renewals or Hosting Renewals that may occur in "
              "the next 30 days. Please note the domains listed.",
              6, 4, 300, 20));
  addSheet(w, {"Domains"}, 4, 28, 304, 158);
  ControlDef list = control(Kind::List, "?Browse:1", {}, 10, 46, 292, 134, tabId(1));
  list.columns = noticeColumns();
  w.controls.push_back(list);
  addButtons(w,
             {{"?Close", "Close", Role::Close, "Progm039.ico"},
              {"?Help", "Help", Role::Help},
              {"?Print", "&Print", Role::Print}},
             148, 192, 14, 4);
  return w;
}

BrowseDef noticeBrowse() {
  BrowseDef b;
  b.orders = {SortOrder{"DOM:NAME", LocatorKind::Step, {}, {}, kRenewalFilter}};
  b.sheet = "?Sheet";
  b.keepFormats = false;  // its own two entries, no F9
  b.updateNumber = 1;
  b.printNumber = 1;
  return b;
}

// The first record the filter lets through, asked of a file opened directly
// for the question and closed before anything is shown: the store answers
// from its indexes, and nobody is denied writing meanwhile.
bool firstPassing(FileId id, const char* filter, RecordBuffer& out) {
  FileManager& m = access(id);
  RecordFile& f = m.file();
  const bool wasOpen = f.isOpen();
  if (!wasOpen &&
      f.open(OpenMode::ReadOnlyDenyNone, false, m.lockRecovery(), m.def().ownerPassword) != 0)
    return false;
  RecordView view([&f]() -> RecordFile& { return f; });
  view.setOrder(-1);
  view.setFilter(filter);
  std::vector<Row> rows;
  const bool found = view.page(nullptr, true, 1, rows) == 0 && !rows.empty();
  if (found) out = rows.front().record;
  if (!wasOpen) f.close();
  return found;
}

}  // namespace

void CheckRenewalDue(const RecordBuffer& domain, FixedText<20>& flag) {
  const int32_t now = today();
  const int32_t renewal = domain.date("DOM:RENEWALDATE");
  if (now <= renewal && renewal <= now + 30) flag = "Yes";
}

// ---- StartupReminderCheck ----------------------------------------------------------

StartupReminderCheck::StartupReminderCheck() : WindowProcedure("StartupReminderCheck") {}

void StartupReminderCheck::setup() {
  callNamedProcedure(*this, "splash", 0, [this](int) { afterSplash(); });
}

void StartupReminderCheck::afterSplash() {
  if (*context().cptog == 1)
    callProcedure(makeCpanel2, 0, [this](int) { scanDomains(); });
  else
    scanDomains();
}

void StartupReminderCheck::scanDomains() {
  RecordBuffer due;
  if (firstPassing(FileId::Domains, kRenewalFilter, due))
    CheckRenewalDue(due, *context().renewalDueFlag);
  if (*context().renewalDueFlag == "Yes")
    callProcedure(makeNotice, 0, [this](int) { scanNotes(); });  // shows every due domain
  else
    scanNotes();
}

void StartupReminderCheck::scanNotes() {
  RecordBuffer note;
  if (firstPassing(FileId::dnotes, kReminderNote, note) && note.text("DNO:REMINDER") == "Y")
    *context().noteReminderDue = "Y";
  if (*context().noteReminderDue == "Y")
    callProcedure(makeBrowseNotes, 0, [this](int) { close(RequestCancelled); });
  else
    close(RequestCancelled);
}

// ---- notice ---------------------------------------------------------------------------

Notice::Notice()
    : RecordBrowse("notice", noticeWindow(), noticeBrowse(), &managedFile(FileId::Domains)) {}

std::string Notice::builtFormat() { return ListFormat{noticeColumns()}.text(); }

void Notice::runUpdate(int, int request, ResponseHandler done) {
  callNamedProcedure(*this, RenewalReport, request, std::move(done));
}

void Notice::navigate(Nav nav) {
  // No insert, change, delete or select here: those would run the report.
  if (nav == Nav::Insert || nav == Nav::Change || nav == Nav::Delete || nav == Nav::Select) return;
  RecordBrowse::navigate(nav);
}

void Notice::afterPlacement() {
  RecordBrowse::afterPlacement();
  if (Control* c = control("?Instructions"))
    if (auto* l = qobject_cast<QLabel*>(c->widget())) l->setWordWrap(true);
  if (!table() || !built()) return;
  const std::string built = builtFormat();
  IniFile& ini = settings();
  const std::string original = ini.read(section(), OriginalEntry, "");
  if (clip(original) != clip(built)) {
    // A new or changed built-in format: shown as built and remembered.
    writeSetting(section(), OriginalEntry, built);
    return;
  }
  const std::string stored = ini.read(section(), FormatEntry, built);
  ListFormat f;
  if (clip(stored).empty() || !ListFormat::parse(std::string(clip(stored)), noticeColumns(), f))
    return;
  const DialogUnits& u = this->built()->units();
  for (size_t i = 0; i < f.columns.size(); ++i)
    table()->horizontalHeader()->resizeSection(static_cast<int>(i), u.x(f.columns[i].width));
}

void Notice::beforeClose() {
  RecordBrowse::beforeClose();
  if (table()) writeSetting(section(), FormatEntry, shownFormat().text());
}

std::unique_ptr<WindowProcedure> makeStartupReminderCheck() {
  return std::make_unique<StartupReminderCheck>();
}
std::unique_ptr<WindowProcedure> makeNotice() { return std::make_unique<Notice>(); }

}  // namespace qm::desk
