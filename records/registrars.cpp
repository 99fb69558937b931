#include "records/registrars.h"

#include "appkit/layout.h"
#include "appkit/procedures.h"
#include "dictionary/datafile_adapter.h"

namespace qm::records {

namespace {

const std::vector<ColumnDef>& registrarColumns() {
  using J = Justify;
  static const std::vector<ColumnDef> cols = {
      {23, J::Center, 2, " Use", J::Center, 2, "REG:CURRENTLYUSE", "@s1"},
      {80, J::Left, 2, "Company Name", J::Left, 2, "REG:COMPANYNAME", "@s40"},
      {80, J::Left, 2, "Address", J::Left, 2, "REG:ADDRESS", "@s40"},
      {80, J::Left, 2, "City", J::Left, 2, "REG:CITY", "@s20"},
      {24, J::Left, 2, "State", J::Left, 2, "REG:STATE", "@s2"},
      {80, J::Left, 2, "URL", J::Left, 2, "REG:URL", "@s50"},
      {80, J::Left, 2, "Support Email", J::Left, 2, "REG:SUPPORTEMAIL", "@s50"},
      {80, J::Left, 2, "Phone", J::Left, 2, "REG:PHONE", "@s20"},
      {80, J::Left, 2, "Fax", J::Left, 2, "REG:FAX", "@s20"},
      {53, J::Decimal, 12, "Regular Fee", J::Center, 2, "REG:REGULARFEE", "@n10.2"},
  };
  return cols;
}

WindowDef browseWindow() {
  return listBrowseWindow({"Browse the Registrars File",
                           "Registrars",
                           registrarColumns(),
                           {{"?Insert", "&Insert", Role::Insert, "insert3.ico"},
                            {"?Change", "&Change", Role::Change, "chg4.ico"},
                            {"?Delete", "&Delete", Role::Delete, "delete4.ico"},
                            {"?Print", "&Print Registrars", Role::Print, "", 74},
                            {"?Close", "Close", Role::Close, "Progm039.ico"},
                            {"?Help", "Help", Role::Help}}});
}

BrowseDef sortDef() {
  BrowseDef b;
  b.orders = {SortOrder{"REG:NAME", LocatorKind::Step, {}, {}, {}}};
  b.sheet = "?Sheet";
  return b;
}

WindowDef formWindow() {
  WindowDef w;
  w.title = "Update the Registrars File";
  w.w = 320, w.h = 268;
  addSheet(w, {"General", "Notes"}, 4, 4, 312, 226);
  std::string tab = tabId(1);
  w.controls.push_back(check("REG:CURRENTLYUSE", "Currently Use", 14, 26, 100, tab));
  addRows(w,
          {{"Company Name:", "REG:COMPANYNAME", "@s40", 160},
           {"URL:", "REG:URL", "@s50", 160, "Web", "?Web"},
           {"*Address:", "REG:ADDRESS", "@s40", 160},
           {"*City:", "REG:CITY", "@s20", 90},
           {"*State:", "REG:STATE", "@s2", 16},
           {"*Zip Code:", "REG:ZIPCODE", "@s10", 50},
           {"*Support Email:", "REG:SUPPORTEMAIL", "@s50", 160},
           {"*Phone:", "REG:PHONE", "@s20", 90},
           {"*Fax:", "REG:FAX", "@s20", 90},
           {"Regular Fee:", "REG:REGULARFEE", "@n10.2", 54},
           {"Renewal Time:", "REG:RENEWALPERIOD", "@s20", 90}},
          tab, 14, 40, 66, 14);
  w.controls.push_back(check("REG:ACCREDITEDBYICANN", "*Accredited By ICANN", 14, 196, 120, tab));
  w.controls.push_back(
      check("REG:PENDINGACCREDITATION", "*Pending Accreditation", 140, 196, 120, tab));
  tab = tabId(2);
  w.controls.push_back(prompt("Notes:", 14, 26, 60, tab));
  ControlDef memo = control(Kind::Memo, "?REG:NOTES", {}, 14, 38, 290, 184, tab);
  memo.field = "REG:NOTES";
  w.controls.push_back(memo);
  w.controls.push_back(prompt("*OPTIONAL information.", 8, 236, 100));
  addButtons(
      w,
      {{"?OK", "OK", Role::Ok}, {"?Cancel", "Cancel", Role::Cancel}, {"?Help", "Help", Role::Help}},
      156, 250, 14, 4);
  return w;
}

}  // namespace

BrowseRegistrars::BrowseRegistrars()
    : RecordBrowse("BrowseRegistrars", browseWindow(), sortDef(),
                   &managedFile(FileId::Registrars)) {
  setUpdate(1, makeUpdateRegistrars);
}

void BrowseRegistrars::runUpdate(int number, int request, ResponseHandler done) {
  if (number == 2) return callNamedProcedure(*this, "PrintRegistrars", request, std::move(done));
  RecordBrowse::runUpdate(number, request, std::move(done));
}

namespace {
RecordFormSpec formSpec() {
  return {{"Record will be Added", "Record will be Changed"},
          "REG:COMPANYNAME",
          "company name",
          {{"?Web", "", "REG:URL"}}};
}
}  // namespace

UpdateRegistrars::UpdateRegistrars()
    : RecordForm("UpdateRegistrars", formWindow(), formSpec(), &managedFile(FileId::Registrars)) {
  // Open while the form runs, as the other record forms have it.
  useFile(&managedFile(FileId::Intlink));
}

std::unique_ptr<WindowProcedure> makeBrowseRegistrars() {
  return std::make_unique<BrowseRegistrars>();
}
std::unique_ptr<WindowProcedure> makeUpdateRegistrars() {
  return std::make_unique<UpdateRegistrars>();
}

}  // namespace qm::records
