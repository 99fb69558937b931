#include "records/domains.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>
#include <filesystem>
#include <system_error>

#include "appkit/layout.h"
#include "dictionary/datafile_adapter.h"
#include "records/hosts.h"
#include "records/registrars.h"
#include "runtime/config/messages.h"
#include "runtime/ui/datafile.h"
#include "runtime/ui/window.h"
#include "runtime/values/fsutil.h"
#include "runtime/values/text.h"

namespace qm::records {

namespace {

constexpr const char* kMoney = "@n-10.2";
constexpr const char* kLocalDir = "?DOM:DEFAULTLOCALDIR";

// ---- browse definition ---------------------------------------------------------

const std::vector<ColumnDef>& domainColumns() {
  using J = Justify;
  static const std::vector<ColumnDef> cols = {
      {142, J::Left, 2, "Domain Name", J::Left, 2, "DOM:DOMAINNAME", "@s50"},
      {49, J::Right, 2, "Date Started", J::Center, 2, "DOM:DATESTARTED", "@D2"},
      {51, J::Right, 2, "Renewal Date", J::Center, 2, "DOM:RENEWALDATE", "@D2"},
      {80, J::Left, 2, "Registrar", J::Left, 2, "DOM:REGISTRAR", "@s40"},
      {80, J::Left, 2, "Reg Login", J::Left, 2, "DOM:REGLOGIN", "@s20"},
      {80, J::Left, 2, "Reg Login Pwd", J::Left, 2, "DOM:REGLOGINPWD", "@s20"},
      {50, J::Decimal, 12, "Fee Paid", J::Center, 2, "DOM:FEEPAID", "@n10.2"},
      {80, J::Left, 2, "Owner Name", J::Left, 2, "DOM:OWNERNAME", "@s40"},
      {80, J::Left, 2, "Contact Person", J::Left, 2, "DOM:CONTACTPERSON", "@s20"},
  };
  return cols;
}

WindowDef browseWindow() {
  return listBrowseWindow({"Browse the Domains File",
                           "By Domain Name",
                           domainColumns(),
                           {{"?Insert", "&Insert", Role::Insert, "insert3.ico"},
                            {"?Change", "&Change", Role::Change, "chg4.ico"},
                            {"?Delete", "&Delete", Role::Delete},
                            {"?WebPages", "Web Pages", Role::None, "filefind.ico"},
                            {"?Hosts", "Hosts"},
                            {"?Registrars", "Registrars"},
                            {"?Close", "Close", Role::Close, "Progm039.ico"},
                            {"?Help", "Help", Role::Help}},
                           "Domain Name:",
                           "DOM:DOMAINNAME",
                           "@s50"});
}

BrowseDef sortDef() {
  BrowseDef b;
  b.orders = {SortOrder{"DOM:NAME", LocatorKind::Entry, "?DOM:DOMAINNAME", {}, {}}};
  b.sheet = "?Sheet";
  return b;
}

// ---- form definition -------------------------------------------------------------

struct CostRow {
  const char* prompt;
  const char* amount;
  const char* description;  // nullptr for a total
};

const std::vector<CostRow> kNonMonthly = {
    {"Registration Fee Paid:", "DOM:FEEPAID", "DOM:FEEDURATION"},
    {"Initial Design Cost:", "DOM:INITIALDESIGNCOST", "DOM:INITDESIGNDESC"},
    {"Initial Programming Cost:", "DOM:INITPROGRAMCOST", "DOM:INITPROGCOSTDESC"},
    {"Misc. Setup Costs:", "DOM:MISCSETUPCOSTS", "DOM:MISCSETUPDESC"},
    {"Non Monthly Total:", "DOM:NONMONTHTOTAL", nullptr},
};

const std::vector<CostRow> kMonthly = {
    {"Hosting Cost:", "DOM:HOSTMOCOST", "DOM:HOSTPLANNAME"},
    {"ECommerce Cost:", "DOM:ECOMMOCOST", "DOM:ECOMCOSTDESC"},
    {"Advertising Cost:", "DOM:ADVERTISINGMOCOST", "DOM:ADVMOCOSTDESC"},
    {"Services Cost:", "DOM:SERVICEMOCOST", "DOM:SERVMOCOSTDESC"},
    {"Bank Chgs Cost:", "DOM:BANKCHGSMOCOST", "DOM:BANKCHGDESC"},
    {"Add'l  Costs:", "DOM:ADDLMOCOST", "DOM:ADDMOCOSTDESC"},
    {"Programming Cost:", "DOM:PROGRAMMOCOST", "DOM:PROGRAMMODESC"},
    {"Design Maint. Cost:", "DOM:DESIGNMOCOST", "DOM:DESMOCOSTDESC"},
    {"Monthly Total:", "DOM:MONTHLYTOTAL", nullptr},
};

// The terms of each total, in the order they are added.
const char* const kNonMonthlyTerms[] = {"DOM:INITIALDESIGNCOST", "DOM:MISCSETUPCOSTS",
                                        "DOM:INITPROGRAMCOST", "DOM:FEEPAID"};
const char* const kMonthlyTerms[] = {
    "DOM:HOSTMOCOST",     "DOM:ECOMMOCOST",    "DOM:ADVERTISINGMOCOST", "DOM:ADDLMOCOST",
    "DOM:BANKCHGSMOCOST", "DOM:SERVICEMOCOST", "DOM:PROGRAMMOCOST",     "DOM:DESIGNMOCOST"};

// Shell buttons: what each opens.
const std::vector<ShellButton> kShell = {
    {"?MailContact", "mailto:", "DOM:CONTACTEMAIL"},
    {"?WebPrimary", "http://www.", "DOM:IPPRIMARYADDRESS"},
    {"?WebSecondary", "http://www.", "DOM:IPSECONDARYADDRESS"},
    {"?MailAcct0", "mailto:", "DOM:EMAILACCT0"},
    {"?MailAcct1", "mailto:", "DOM:EMAILACCT1"},
    {"?MailAcct2", "mailto:", "DOM:EMAILACCT2"},
    {"?MailAcct3", "mailto:", "DOM:EMAILACCT3"},
    {"?MailAcct4", "mailto:", "DOM:EMAILACCT4"},
};

ControlDef drop(std::string field, std::string fromFile, std::string fromField, int x, int y, int w,
                std::string header, std::string picture, const std::string& tab) {
  ControlDef d = control(Kind::Drop, "?" + field, {}, x, y - 1, w, 12, tab);
  d.field = std::move(field);
  d.fromFile = std::move(fromFile);
  d.fromField = std::move(fromField);
  ColumnDef col;
  col.width = w;
  col.header = std::move(header);
  col.field = d.fromField;
  col.picture = std::move(picture);
  d.columns = {col};
  return d;
}

void addCostGroup(WindowDef& w, const char* id, const char* title, const std::vector<CostRow>& rows,
                  int y, const std::string& tab) {
  const int h = 24 + static_cast<int>(rows.size()) * 11;
  w.controls.push_back(control(Kind::Group, id, title, 10, y, 380, h, tab));
  w.controls.push_back(prompt("Describe Cost Items Below", 170, y + 9, 200, id));
  int ry = y + 20;
  for (const CostRow& r : rows) {
    w.controls.push_back(prompt(r.prompt, 16, ry, 92, id));
    w.controls.push_back(entry(r.amount, kMoney, 110, ry, 54, id));
    if (r.description) w.controls.push_back(entry(r.description, "@s60", 170, ry, 212, id));
    ry += 11;
  }
}

WindowDef formWindow() {
  WindowDef w;
  w.title = "Update the Domains File";
  w.w = 400, w.h = 268;
  addSheet(w, {"Set Up", "Admin.", "Costs", "Email Accounts", "Special QM Data", "Notes"}, 4, 4,
           392, 240);

  // Set Up
  std::string tab = tabId(1);
  addRows(w,
          {{"Domain Name:", "DOM:DOMAINNAME", "@s50", 200},
           {"Date Started:", "DOM:DATESTARTED", "@D2", 50},
           {"Owner Name:", "DOM:OWNERNAME", "@s40", 160}},
          tab, 14, 28, 74, 16);
  w.controls.push_back(prompt("Registrar Company:", 14, 76, 74, tab));
  w.controls.push_back(drop("DOM:REGISTRAR", "Registrars", "REG:COMPANYNAME", 90, 76, 160,
                            "Registrar Company Name", "@s40", tab));
  addRows(w,
          {{"Reg Login:", "DOM:REGLOGIN", "@s20", 90},
           {"Reg Login Pwd:", "DOM:REGLOGINPWD", "@s20", 90},
           {"Renewal Date:", "DOM:RENEWALDATE", "@D2", 50}},
          tab, 14, 92, 74, 16);

  // Admin.
  tab = tabId(2);
  addRows(w,
          {{"Contact Person:", "DOM:CONTACTPERSON", "@s20", 90},
           {"Contact Pwd:", "DOM:CONTACTPWD", "@s20", 90},
           {"Contact Email:", "DOM:CONTACTEMAIL", "@s30", 130, "Mail To", "?MailContact"},
           {"Tech Person:", "DOM:TECHPERSON", "@s20", 90},
           {"Tech Pwd:", "DOM:TECHPWD", "@s20", 90}},
          tab, 14, 26, 90, 14);
  w.controls.push_back(prompt("Hosting Company:", 14, 96, 90, tab));
  w.controls.push_back(
      drop("DOM:HOST", "Hosts", "HOS:HOSTNAME", 106, 96, 200, "Host Name", "@s50", tab));
  addRows(w,
          {{"Host Date:", "DOM:HOSTDATE", "@D2", 50},
           {"Host Admin Login Name:", "DOM:HOSTADMINLOGINNAME", "@s20", 90},
           {"Admin Pwd:", "DOM:ADMINPWD", "@s20", 90},
           {"IP Primary Address:", "DOM:IPPRIMARYADDRESS", "@s20", 90, "Web", "?WebPrimary"},
           {"IP Secondary Address:", "DOM:IPSECONDARYADDRESS", "@s20", 90, "Web", "?WebSecondary"}},
          tab, 14, 110, 90, 14);
  w.controls.push_back(prompt("Mail To:  Click to send mail to address shown.", 14, 184, 300, tab));
  w.controls.push_back(prompt("Web: Click to call browser with address shown.", 14, 196, 300, tab));

  // Costs
  tab = tabId(3);
  addCostGroup(w, "?NonMonthly", "Non-Monthly Fees", kNonMonthly, 22, tab);
  addCostGroup(w, "?Monthly", "Monthly Costs", kMonthly, 102, tab);

  // Email Accounts
  tab = tabId(4);
  w.controls.push_back(prompt("Email Pop3 Accounts ", 56, 26, 130, tab));
  w.controls.push_back(prompt("Foward This Mail To:", 192, 26, 130, tab));
  for (int i = 0; i < 5; ++i) {
    const int y = 40 + i * 15;
    const std::string n = std::to_string(i);
    ControlDef b = control(Kind::Button, "?MailAcct" + n, "Mail To", 14, y - 1, 38, 12, tab);
    w.controls.push_back(b);
    w.controls.push_back(entry("DOM:EMAILACCT" + n, "@s30", 56, y, 130, tab));
    w.controls.push_back(entry("DOM:FORWARD" + n, "@s30", 192, y, 130, tab));
  }
  w.controls.push_back(
      prompt("Forwarding mail is optional.  But if you choose to forward mail for an address, then",
             14, 122, 370, tab));
  w.controls.push_back(
      prompt("indicate the \"forward to\" address next to the real address.", 14, 132, 370, tab));
  w.controls.push_back(prompt("Mail To: Click to send mail to address shown.", 14, 148, 370, tab));

  // Special QM Data
  tab = tabId(5);
  w.controls.push_back(
      prompt("Please complete these two fields for every domain:", 14, 26, 370, tab));
  w.controls.push_back(prompt("the web page programs rely on them.", 14, 36, 370, tab));
  w.controls.push_back(prompt("Default Local Dir:", 14, 58, 70, tab));
  w.controls.push_back(entry("DOM:DEFAULTLOCALDIR", "@s80", 86, 58, 298, tab));
  w.controls.push_back(
      prompt("The complete local path of the directory that holds this domain's pages.", 86, 70,
             298, tab));
  w.controls.push_back(prompt("Default Web Path:", 14, 92, 70, tab));
  w.controls.push_back(entry("DOM:DEFAULTWEBPATH", "@s80", 86, 92, 298, tab));
  w.controls.push_back(
      prompt("The complete path where the host keeps this domain's pages.", 86, 104, 298, tab));

  // Notes
  tab = tabId(6);
  w.controls.push_back(prompt("Notes:", 14, 26, 60, tab));
  ControlDef memo = control(Kind::Memo, "?DOM:NOTES", {}, 14, 38, 370, 198, tab);
  memo.field = "DOM:NOTES";
  w.controls.push_back(memo);

  addButtons(
      w,
      {{"?OK", "OK", Role::Ok}, {"?Cancel", "Cancel", Role::Cancel}, {"?Help", "Help", Role::Help}},
      236, 250, 14, 4);
  return w;
}

bool isAmount(const std::string& id) {
  for (const auto* rows : {&kNonMonthly, &kMonthly})
    for (const CostRow& r : *rows)
      if (compareNoCase(id, std::string("?") + r.amount) == 0) return true;
  return false;
}

}  // namespace

const char* computeDomainTotals(RecordBuffer& d) {
  struct Total {
    const char* field;
    const char* name;
    const char* const* terms;
    size_t count;
  };
  const Total totals[] = {
      {"DOM:NONMONTHTOTAL", "Non Monthly Total", kNonMonthlyTerms, std::size(kNonMonthlyTerms)},
      {"DOM:MONTHLYTOTAL", "Monthly Total", kMonthlyTerms, std::size(kMonthlyTerms)},
  };
  const char* over = nullptr;
  for (const Total& t : totals) {
    int64_t cents = 0;  // exact; each term is at most seven digits
    for (size_t i = 0; i < t.count; ++i) cents += d.decimal(t.terms[i]).cents();
    if (auto sum = Decimal42::fromCents(cents))
      d.setDecimal(t.field, *sum);
    else if (!over)
      over = t.name;
  }
  return over;
}

// ---- BrowseDomains ---------------------------------------------------------------

BrowseDomains::BrowseDomains()
    : RecordBrowse("BrowseDomains", browseWindow(), sortDef(), &managedFile(FileId::Domains)) {}

void BrowseDomains::runUpdate(int, int request, ResponseHandler done) {
  callProcedure(makeUpdateDomains, request, std::move(done));
}

bool BrowseDomains::takeAccepted(Control& c) {
  if (RecordBrowse::takeAccepted(c)) return true;
  if (compareNoCase(c.id(), "?WebPages") == 0) {
    // The page browse limits itself to the domain now in the buffer.
    callNamedWithRow("BrowseWebPages");
    return true;
  }
  if (compareNoCase(c.id(), "?Hosts") == 0) {
    callWithRow(makeBrowseHosts);
    return true;
  }
  if (compareNoCase(c.id(), "?Registrars") == 0) {
    callWithRow(makeBrowseRegistrars);
    return true;
  }
  return false;
}

// ---- UpdateDomains -----------------------------------------------------------------

namespace {
RecordFormSpec formSpec() {
  return {
      {"Record will be added", "Record will be Changed"}, "DOM:DOMAINNAME", "domain name", kShell};
}
}  // namespace

UpdateDomains::UpdateDomains()
    : RecordForm("UpdateDomains", formWindow(), formSpec(), &managedFile(FileId::Domains)) {
  useFile(&managedFile(FileId::Registrars));
  useFile(&managedFile(FileId::Hosts));
}

bool UpdateDomains::takeWindowEvent(Event e) {
  if (RecordForm::takeWindowEvent(e)) return true;
  if (e == Event::OpenWindow) showStoredChoices();
  return false;
}

void UpdateDomains::showStoredChoices() {
  // A stored name that no entry begins with stays in the record and shows as
  // the list's empty text; only a pick changes it.
  for (const char* field : {"DOM:REGISTRAR", "DOM:HOST"})
    if (Control* c = control(std::string("?") + field))
      if (auto* box = qobject_cast<QComboBox*>(c->widget())) {
        const std::string stored = file().buffer().text(field);
        box->setPlaceholderText(QString::fromStdString(stored));
        if (box->currentIndex() < 0)
          box->setCurrentIndex(entryBeginningWith(*c, *box, clip(stored)));
      }
}

// The list's entry for a name kept cut to its field (a host's 50 characters
// in the domain's 40): the first name that begins with it in the key of the
// list's file, as the file compares names. -1 when none does.
int UpdateDomains::entryBeginningWith(const Control& c, QComboBox& box, std::string_view stored) {
  DataFile* list = fileByLabel(c.def().fromFile);
  if (stored.empty() || !list || !list->isOpen()) return -1;
  const FileDef& d = list->def();
  const int field = d.fieldIndex(c.def().fromField);
  int key = -1;
  for (size_t k = 0; k < d.keys.size() && key < 0; ++k)
    if (!d.keys[k].components.empty() && d.keys[k].components.front() == field)
      key = static_cast<int>(k);
  if (field < 0 || key < 0) return -1;
  const HeldRecord held = HeldRecord::of(*list);
  const bool found = list->recordFile().locatePrefix(key, stored) == 0;
  const QString name = QString::fromStdString(std::string(clip(list->buffer().valueText(field))));
  held.putBack();
  if (!found) return -1;
  // The list reads its file a page at a time: on to the page that holds it.
  int at = box.findText(name);
  while (at < 0 && box.model()->canFetchMore({})) {
    box.model()->fetchMore({});
    at = box.findText(name);
  }
  return at;
}

bool UpdateDomains::takeFieldEvent(Control& c, Event e) {
  if (e == Event::Accepted) {
    auto* line = qobject_cast<QLineEdit*>(c.widget());
    typed_ = line && line->isModified();
  }
  return RecordForm::takeFieldEvent(c, e);
}

bool UpdateDomains::formOk() {
  // Until the OK pass is through every check speaks, typed or not.
  passing_ = true;
  QTimer::singleShot(0, this, [this] { passing_ = false; });
  return true;
}

bool UpdateDomains::takeAccepted(Control& c) {
  if (RecordForm::takeAccepted(c)) return true;
  if (c.kind() == Kind::Drop) {
    showStoredChoices();
    return false;
  }
  // Moving the focus back accepts the entry it leaves, and so does leaving an
  // entry untouched: neither asks or refuses again; the OK pass does.
  const bool speak = !refusing_ && (typed_ || passing_);
  if (isAmount(c.id())) return recomputeTotals(c, speak);
  if (compareNoCase(c.id(), kLocalDir) == 0) return speak && checkLocalDirectory(c);
  return false;
}

void UpdateDomains::refuse(Control& c) {
  refusing_ = true;
  select(c);
  refusing_ = false;
}

bool UpdateDomains::recomputeTotals(Control& accepted, bool speak) {
  const char* over = computeDomainTotals(file().buffer());
  display();
  showStoredChoices();
  if (!over || !speak) return false;
  message(std::string("The ") + over +
              " would be more than 99999.99, the largest amount it can hold.||" +
              "Please lower one of its amounts.",
          "Range Error", MsgIcon::Exclamation);
  refuse(accepted);
  return true;
}

bool UpdateDomains::checkLocalDirectory(Control& c) {
  const std::string dir = file().buffer().text("DOM:DEFAULTLOCALDIR");  // the whole field
  if (std::string_view(dir).find_first_not_of(' ') == std::string_view::npos) return false;
  const std::string path = normalizePath(dir);
  if (QFileInfo::exists(QString::fromStdString(path))) return false;
  int answer = message("The directory entered, does not exist.||\"" + dir +
                           "\"||Do you wish to create it (only 1 level deep)?",
                       "Data Warning", MsgIcon::None, BtnYes | BtnNo, BtnYes);
  if (answer != BtnYes) {
    refuse(c);
    return true;
  }
  std::string why;
  if (hasDriveLetter(dir)) {
    why = "A path with a drive letter cannot be used here.";
  } else {
    std::error_code ec;
    std::filesystem::create_directory(std::filesystem::path(path), ec);
    if (ec) why = ec.message() + ".";
  }
  // The save goes on either way; the user is told the directory is missing.
  if (!why.empty())
    message("The directory \"" + dir + "\" could not be created.||" + why, "Data Warning",
            MsgIcon::Exclamation);
  return false;
}

std::unique_ptr<WindowProcedure> makeBrowseDomains() { return std::make_unique<BrowseDomains>(); }
std::unique_ptr<WindowProcedure> makeUpdateDomains() { return std::make_unique<UpdateDomains>(); }

}  // namespace qm::records
