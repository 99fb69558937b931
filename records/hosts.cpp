#include "records/hosts.h"

#include <QLabel>

#include "appkit/layout.h"
#include "appkit/procedures.h"
#include "dictionary/datafile_adapter.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/ui/window.h"
#include "runtime/values/clock.h"
#include "runtime/values/text.h"

namespace qm::records {

namespace {

const std::vector<ColumnDef>& hostColumns() {
  using J = Justify;
  static const std::vector<ColumnDef> cols = {
      {20, J::Center, 2, "Use", J::Left, 2, "HOS:CURRENTLYUSE", "@s1"},
      {80, J::Left, 2, "Host Name", J::Left, 2, "HOS:HOSTNAME", "@s50"},
      {80, J::Left, 2, "Contact Name", J::Left, 2, "HOS:CONTACTNAME", "@s30"},
      {80, J::Left, 2, "Phone Number", J::Left, 2, "HOS:PHONENUMBER", "@s20"},
      {80, J::Left, 2, "Fax Number", J::Left, 2, "HOS:FAXNUMBER", "@s20"},
      {80, J::Left, 2, "Support Email", J::Left, 2, "HOS:SUPPORTEMAIL", "@s40"},
      {80, J::Left, 2, "URL", J::Left, 2, "HOS:URL", "@s40"},
      {80, J::Left, 2, "Street Address", J::Left, 2, "HOS:STREETADDRESS", "@s40"},
      {80, J::Left, 2, "Hos City", J::Left, 2, "HOS:HOSCITY", "@s30"},
      {24, J::Left, 2, "State", J::Left, 2, "HOS:STATE", "@s2"},
  };
  return cols;
}

WindowDef browseWindow() {
  return listBrowseWindow({"Browse the Hosts File",
                           "Host Name",
                           hostColumns(),
                           {{"?Insert", "&Insert", Role::Insert, "insert3.ico"},
                            {"?Change", "&Change", Role::Change, "chg4.ico"},
                            {"?Print", "&Print All Hosts", Role::Print, "", 70},
                            {"?Delete", "&Delete", Role::Delete, "delete4.ico"},
                            {"?Close", "Close", Role::Close, "Progm039.ico"},
                            {"?Help", "Help", Role::Help}}});
}

BrowseDef sortDef() {
  BrowseDef b;
  b.orders = {SortOrder{"HOS:NAME", LocatorKind::Step, {}, {}, {}}};
  b.sheet = "?Sheet";
  return b;
}

const std::vector<ShellButton> kShell = {
    {"?Web", "", "HOS:URL"},
    {"?MailTo", "mailto:", "HOS:SUPPORTEMAIL"},
};

const char* const kCostIds[] = {"?HOS:FEEMONTHLY", "?HOS:FEESETUP", "?HOS:ECOMCOST",
                                "?HOS:TOTALMONTHLYCOST"};

struct CheckSpec {
  const char* field;
  const char* text;
};

void addChecks(WindowDef& w, const std::vector<CheckSpec>& checks, const std::string& tab, int x,
               int y, int width, int step) {
  for (const CheckSpec& c : checks) {
    w.controls.push_back(check(c.field, c.text, x, y, width, tab));
    y += step;
  }
}

WindowDef formWindow() {
  WindowDef w;
  w.title = "Update the Hosts File";
  w.w = 400, w.h = 268;
  addSheet(
      w, {"Main Data", "Support", "EMail", "Costs", "Standard Features", "SiteManagement", "Notes"},
      4, 4, 392, 240);

  // Main Data
  std::string tab = tabId(1);
  w.controls.push_back(check("HOS:CURRENTLYUSE", "Currently Use", 14, 26, 100, tab));
  addRows(w,
          {{"Host Name:", "HOS:HOSTNAME", "@s50", 200},
           {"Contact Name:", "HOS:CONTACTNAME", "@s30", 130},
           {"Phone Number:", "HOS:PHONENUMBER", "@s20", 90},
           {"Fax Number:", "HOS:FAXNUMBER", "@s20", 90},
           {"Street Address:", "HOS:STREETADDRESS", "@s40", 160},
           {"City:", "HOS:HOSCITY", "@s30", 130},
           {"State:", "HOS:STATE", "@s2", 16},
           {"Zip Code:", "HOS:ZIPCODE", "@s10", 50},
           {"URL:", "HOS:URL", "@s40", 160, "Web", "?Web"}},
          tab, 14, 42, 70, 14);

  // Support
  tab = tabId(2);
  addRows(w, {{"Support Email Address:", "HOS:SUPPORTEMAIL", "@s40", 160, "< MailTo", "?MailTo"}},
          tab, 14, 28, 86, 14);
  w.controls.push_back(check("HOS:VOICESUPPORT", "Voice Support Available", 14, 46, 150, tab));
  addRows(w, {{"Voice Support Phone:", "HOS:VOICESUPPORTPHONE", "@s20", 90}}, tab, 14, 62, 86, 14);

  // EMail
  tab = tabId(3);
  addRows(w, {{"POP 3 Number of Accounts Allowed:", "HOS:POP3NUMBER", "@n-3", 24}}, tab, 14, 28,
          130, 14);
  addRows(w, {{"SMTP (does the host provide ability to send mail?)", "HOS:SMTP", "@s1", 12}}, tab,
          14, 44, 190, 14);
  addOption(w, "?HOS:EMAILCONTROL", "Email Administration", "HOS:EMAILCONTROL",
            {{"User Controlled", "User"}, {"ISP Controlled", "ISP"}, {"None", "None"}}, 14, 62, 240,
            true, tab);
  addChecks(w,
            {{"HOS:EMAILFORWARDING", "Email Forwarding is allowed by host"},
             {"HOS:WEBBASEDEMAIL", "Host provides Web Based Email retrieval"}},
            tab, 14, 94, 240, 14);

  // Costs
  tab = tabId(4);
  addRows(w,
          {{"Fee Monthly:", "HOS:FEEMONTHLY", "@n10.2", 54},
           {"Fee Setup:", "HOS:FEESETUP", "@n10.2", 54},
           {"ECom Cost:", "HOS:ECOMCOST", "@n5.2", 54},
           {"Total Monthly Cost:", "HOS:TOTALMONTHLYCOST", "@n8.2", 54},
           {"Annual Prepayment:", "HOS:ANNUALPREPAYMENT", "@n7.2", 54},
           {"Minimum Contract:", "HOS:MINIMUMCONTRACT", "@s10", 54}},
          tab, 14, 28, 76, 14);
  w.controls.push_back(control(
      Kind::Prompt, "?CostNote",
      "Note: These costs are for hosting comparison purposes and are not transferred to the "
      "Domains file.             The Domain records have their own costing screen.",
      14, 114, 370, 22, tab));
  addOption(w, "?HOS:PAYMENTBY", "Payment By:", "HOS:PAYMENTBY",
            {{"Amex", "A"}, {"Check", "K"}, {"Discover", "D"}, {"Mastercard", "M"}, {"Visa", "V"}},
            14, 142, 300, true, tab);

  // Standard Features
  tab = tabId(5);
  w.controls.push_back(check("HOS:INTERNETACCESS", "Internet Access", 14, 26, 120, tab));
  addOption(w, "?HOS:INTERNETACCESSUSE", "Internet Access Use", "HOS:INTERNETACCESSUSE",
            {{"Unlimited", "U"},
             {"MultipleLogins", "M"},
             {"LimitedTime", "L"},
             {"SingleUse", "S"},
             {"None", "N"}},
            14, 40, 120, false, tab);
  addChecks(w,
            {{"HOS:LOCALACCESSNUMBERS", "Local Access Numbers"},
             {"HOS:NATIONALACCESSNUMBERS", "National Access Numbers"},
             {"HOS:FREETRANSFERDOMAINNAME", "Free Transfer Domain Name"}},
            tab, 150, 40, 150, 12);
  addOption(w, "?HOS:FILEDOWNLOADS", "File Downloads", "HOS:FILEDOWNLOADS",
            {{"FTP", "\"F"}, {"Other", "O\""}}, 150, 80, 120, true, tab);
  w.controls.push_back(check("HOS:ECOMAVAIL", "ECom Avail", 14, 114, 120, tab));
  w.controls.push_back(prompt("Operating Platfroms", 14, 130, 120, tab));
  w.controls.push_back(check("HOS:LINUX", "Linux", 14, 142, 70, tab));
  w.controls.push_back(check("HOS:WINDOWSNT", "Windows NT", 90, 142, 70, tab));
  w.controls.push_back(check("HOS:OTHERUNIX", "Other Unix", 166, 142, 70, tab));
  w.controls.push_back(check("HOS:WINDOWS2000", "Windows 2000", 242, 142, 70, tab));

  // SiteManagement
  tab = tabId(6);
  addChecks(w,
            {{"HOS:CGIPERLSCRIPTS", "Cgi Perl Scripts"},
             {"HOS:PERSONALCGIDIRECTORY", "Personal CGIDirectory"},
             {"HOS:PERLCGICHECKER", "Perl CGI checker"},
             {"HOS:FREECGISCRIPTS", "Free CGI scripts"},
             {"HOS:CONTROLPANEL", "Control Panel"},
             {"HOS:TRAFFICESTATS", "Traffic Statistics Report"},
             {"HOS:ACCESSCONTROL", "Access Control"},
             {"HOS:TELNETACCESS", "Telnet"}},
            tab, 14, 26, 170, 12);
  addChecks(w,
            {{"HOS:ONLINEDOCS", "On Line Docs"},
             {"HOS:SOFTWARESHAREWARE", "Software Shareware"},
             {"HOS:WEBSITEPASSWORDS", "Web Site Passwords"},
             {"HOS:SECURESERVERACCESS", "Secure Server Access"},
             {"HOS:DAILYBACKUP", "Daily Backup"},
             {"HOS:ADOBEGOLIVE", "Adobe Go Live"},
             {"HOS:FRONTPAGEEXT", "Front Page Ext"},
             {"HOS:ACTIVESERVERPAGESASP", "Acive Server Pages (ASP)"}},
            tab, 200, 26, 180, 12);
  addRows(w,
          {{"Disk Space (in Megabytes):", "HOS:DISKSPACE", "@s20", 90},
           {"Data Transfer Per Month:", "HOS:DATATRANSFERPERMONTH", "@s10", 50}},
          tab, 14, 130, 100, 14);

  // Notes
  tab = tabId(7);
  w.controls.push_back(prompt("Notes:", 14, 26, 60, tab));
  ControlDef memo = control(Kind::Memo, "?HOS:NOTES", {}, 14, 38, 370, 198, tab);
  memo.field = "HOS:NOTES";
  w.controls.push_back(memo);

  addButtons(
      w,
      {{"?Cancel", "Cancel", Role::Cancel}, {"?OK", "OK", Role::Ok}, {"?Help", "Help", Role::Help}},
      236, 250, 14, 4);
  return w;
}

bool blank(std::string_view s) { return s.find_first_not_of(' ') == std::string_view::npos; }

// One link record: read by its id, then added (not found) or written back (read).
int writeLink(FileManager& inl, const std::string& id, int type, const std::string& description,
              const std::string& link) {
  RecordBuffer& b = inl.buffer();
  MessageArgs args{.file = inl.name()};
  b.clear();
  b.setText("INL:RECID", id);
  int rc = inl.tryFetch(inl.def().keyIndex("INL:RECIDS"));
  if (rc != 0 && rc != ErrNotFound) {
    args.errorText = errorTextFor(rc);
    message(errors().fill("Error: (%ErrorText) attempting to access a record from the %File file.",
                          args),
            "Record Retrieval Error", MsgIcon::Information);
    return rc;
  }
  const bool found = rc == 0;
  const RecordBuffer read = b;
  if (!found) b.clear();
  b.setText("INL:RECID", id);
  b.setInteger("INL:TYPE", type);
  b.setText("INL:DESCRIPTION", description);  // cut to its 40 characters
  b.setText("INL:LINK", link);
  // Written back only over the link as read: one saved meanwhile is kept.
  rc = found ? inl.file().putIfUnchanged(read) : inl.tryInsert();
  if (rc != 0) {
    args.errorText = errorTextFor(rc);
    errors().raise(rc == ErrChanged ? 6 : found ? 25 : 4, args);
  }
  return rc;
}

}  // namespace

void computeHostTotal(RecordBuffer& h) {
  h.setReal("HOS:TOTALMONTHLYCOST",
            h.real("HOS:FEESETUP") + h.real("HOS:FEEMONTHLY") + h.real("HOS:ECOMCOST"));
}

namespace {
void giveHostId(RecordBuffer& h) {
  if (blank(h.text("HOS:RECID")))
    h.setText("HOS:RECID", "HS" + std::to_string(today()) + std::to_string(clockTime()));
}
}  // namespace

int HostIntlinkUpdate() {
  FileManager& inl = access(FileId::Intlink);
  if (!inl.isOpen() && inl.open() != 0) return inl.errorCode() ? inl.errorCode() : ErrNotOpen;
  RecordBuffer& h = access(FileId::Hosts).buffer();
  giveHostId(h);
  const std::string id = h.text("HOS:RECID");
  const std::string name = h.text("HOS:HOSTNAME");
  int rc = writeLink(inl, id, 2, name, h.text("HOS:URL"));
  const std::string support = h.text("HOS:SUPPORTEMAIL");
  if (!blank(support)) {
    int rc2 = writeLink(inl, ("A" + id).substr(0, 20), 1, name, support);
    if (rc == 0) rc = rc2;
  }
  return rc;
}

// ---- BrowseHosts -------------------------------------------------------------------

BrowseHosts::BrowseHosts()
    : RecordBrowse("BrowseHosts", browseWindow(), sortDef(), &managedFile(FileId::Hosts)) {
  setUpdate(1, makeUpdateHosts);
}

void BrowseHosts::runUpdate(int number, int request, ResponseHandler done) {
  if (number == 2) return callNamedProcedure(*this, "PrintHosts", request, std::move(done));
  RecordBrowse::runUpdate(number, request, std::move(done));
}

// ---- UpdateHosts -------------------------------------------------------------------

namespace {
RecordFormSpec formSpec() {
  return {{"Record Will Be Added", "Record Will Be Changed"}, "HOS:HOSTNAME", "host name", kShell};
}
}  // namespace

UpdateHosts::UpdateHosts()
    : RecordForm("UpdateHosts", formWindow(), formSpec(), &managedFile(FileId::Hosts)) {
  useFile(&managedFile(FileId::Intlink));
}

void UpdateHosts::setup() {
  RecordForm::setup();
  if (Control* note = control("?CostNote"))
    if (auto* label = qobject_cast<QLabel*>(note->widget())) label->setWordWrap(true);
}

bool UpdateHosts::takeAccepted(Control& c) {
  if (RecordForm::takeAccepted(c)) return true;
  for (const char* id : kCostIds)
    if (compareNoCase(c.id(), id) == 0) {
      computeHostTotal(file().buffer());
      display();
      return false;
    }
  return false;
}

bool UpdateHosts::formOk() {
  computeHostTotal(file().buffer());
  display();
  return true;
}

void UpdateHosts::save() {
  // The id is saved with the host; its links follow once the save went
  // through, so a refused save (a duplicate name) leaves no link behind.
  giveHostId(file().buffer());
  RecordForm::save();
}

void UpdateHosts::cleanup() {
  if (response() == RequestCompleted && (request() == InsertRecord || request() == ChangeRecord))
    HostIntlinkUpdate();
  RecordForm::cleanup();
}

std::unique_ptr<WindowProcedure> makeBrowseHosts() { return std::make_unique<BrowseHosts>(); }
std::unique_ptr<WindowProcedure> makeUpdateHosts() { return std::make_unique<UpdateHosts>(); }

}  // namespace qm::records
