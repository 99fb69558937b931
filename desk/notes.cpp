#include "desk/notes.h"

#include <QLabel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <algorithm>

#include "appkit/layout.h"
#include "desk/common.h"
#include "desk/context.h"
#include "dictionary/datafile_adapter.h"
#include "runtime/config/errors.h"
#include "runtime/config/requests.h"
#include "runtime/values/text.h"

namespace qm::desk {

namespace {

using qm::addButtons;
using qm::addSheet;
using qm::check;
using qm::control;
using qm::entry;
using qm::prompt;
using qm::tabId;

constexpr const char* kNoteIcon = "~note5A.ico";
constexpr const char* kPrintTip =
    "Print notes in DATE order.  Use \"Pages To Print\"\n"
    "in print preview to select the date ranges of notes\n"
    "you wish to actually print on paper.\n"
    "(All notes are shown in preview mode.)";

WindowDef browseWindow() {
  WindowDef w;
  w.title = "Notes File";
  w.w = 340, w.h = 222;
  w.status = "Browsing Records";
  addSheet(w, {"DNO:pages"}, 4, 4, 332, 184);
  ControlDef list = control(Kind::List, "?Browse:1", {}, 10, 22, 320, 160, tabId(1));
  using J = Justify;
  list.columns = {
      {34, J::Center, 2, "Reminder", J::Right, 2, "DNO:REMINDER", "@s1"},
      {46, J::Right, 2, "Date", J::Center, 2, "DNO:DATE", "@d17"},
      {218, J::Left, 2, "Topic", J::Left, 2, "DNO:TOPIC", "@s60"},
  };
  w.controls.push_back(list);
  addButtons(w,
             {{"?Insert", "&Insert", Role::Insert, "insert3.ico", 42},
              {"?Change", "&Change", Role::Change, "chg4.ico", 42},
              {"?Delete", "&Delete", Role::Delete, "delete4.ico", 42},
              {"?PrintNotes", "&Print Notes", Role::None, "", 50},
              {"?Select", "&Select", Role::Select, "", 40},
              {"?Close", "Close", Role::Close, "Progm039.ico", 40},
              {"?Help", "Help", Role::Help, "", 36}},
             6, 194, 14, 4);
  for (ControlDef& c : w.controls)
    if (c.id == "?PrintNotes") c.tip = kPrintTip;
  return w;
}

BrowseDef notesBrowse() {
  BrowseDef b;
  b.orders = {SortOrder{"DNO:PAGES", LocatorKind::None, {}, {}, "(dno:reminder=ding)"},
              SortOrder{"DNO:PAGES", LocatorKind::Step, {}, {}, {}}};
  b.sheet = {};  // the order follows NoteReminderDue, not the tab
  b.keepFormats = false;
  b.updateNumber = 1;
  return b;
}

WindowDef formWindow() {
  WindowDef w;
  w.title = "Notes To Myself";
  w.w = 300, w.h = 198;
  w.controls.push_back(prompt("Topic:", 8, 9, 30));
  w.controls.push_back(entry("DNO:TOPIC", "@s60", 40, 8, 252));
  ControlDef ok = control(Kind::Button, "?OK", "OK", 150, 178, 44, 14);
  ok.role = Role::Ok;
  ok.defaultButton = true;
  w.controls.push_back(ok);
  ControlDef cancel = control(Kind::Button, "?Cancel", "Cancel", 198, 178, 44, 14);
  cancel.role = Role::Cancel;
  w.controls.push_back(cancel);
  ControlDef memo = control(Kind::Memo, "?DNO:MainMemo", {}, 8, 26, 284, 104);
  memo.field = "DNO:MainMemo";
  memo.tip = "The note itself.";
  w.controls.push_back(memo);
  ControlDef help = control(Kind::Button, "?Help", "Help", 246, 178, 44, 14);
  help.role = Role::Help;
  w.controls.push_back(help);
  w.controls.push_back(prompt("Date:", 8, 139, 30));
  ControlDef date = entry("DNO:DATE", "@d17", 40, 138, 60);
  date.tip = "Usually this is the date you entered the note.";
  w.controls.push_back(date);
  ControlDef mark = check("DNO:REMINDER", "Use as a Reminder?", 120, 138, 100);
  // Moved in whole: GCC 12 warns falsely on assigning these literals in place.
  mark.trueValue = std::string("Y");
  mark.falseValue = std::string("N");
  mark.tip = "Is this note to be used as a reminder?";
  w.controls.push_back(mark);
  w.controls.push_back(control(Kind::Image, "?NoteImage", {}, 8, 156, 16, 16));
  w.controls.back().field.clear();
  // The window's own picture.
  w.controls.push_back(control(Kind::Image, "?NotePad", {}, 30, 152, 24, 24));
  w.controls.back().field.clear();
  w.controls.push_back(prompt("(Reminders will pop-up when program is started.)", 58, 160, 200));
  return w;
}

// Paints the note icon into the "Reminder" cells of reminder notes.
class ReminderIconDelegate : public QStyledItemDelegate {
 public:
  ReminderIconDelegate(const BrowseNotes& owner, QObject* parent)
      : QStyledItemDelegate(parent), owner_(owner) {}

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    QIcon icon = owner_.rowIcon(index.row());
    if (icon.isNull()) return;
    option->icon = icon;
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->decorationSize = QSize(16, 16);
  }

 private:
  const BrowseNotes& owner_;
};

}  // namespace

// ---- BrowseNotes ------------------------------------------------------------------

BrowseNotes::BrowseNotes()
    : RecordBrowse("BrowseNotes", browseWindow(), notesBrowse(), &managedFile(FileId::dnotes)) {}

void BrowseNotes::setup() {
  RecordBrowse::setup();
  noteIcon_ = loadIcon(kNoteIcon);
  if (table()) table()->setItemDelegateForColumn(0, new ReminderIconDelegate(*this, table()));
  chooseOrder();
  reportListRead(primaryFile()->name(), list().first());
  listMoved();
}

void BrowseNotes::chooseOrder() {
  const int wanted = *context().noteReminderDue == "Y" ? ReminderOrder : NormalOrder;
  if (wanted != currentOrder()) setOrder(wanted);
}

QIcon BrowseNotes::rowIcon(int row) const {
  auto& rows = const_cast<BrowseNotes*>(this)->list().rows();
  if (row < 0 || row >= static_cast<int>(rows.size())) return {};
  return rows[static_cast<size_t>(row)].record.text("DNO:REMINDER") == "Y" ? noteIcon_ : QIcon();
}

void BrowseNotes::runUpdate(int, int request, ResponseHandler done) {
  // The list resets after the form: the order follows the mark again.
  callProcedure(makeUpdatednotes, request, [this, done = std::move(done)](int r) {
    chooseOrder();
    if (done) done(r);
  });
}

bool BrowseNotes::takeAccepted(Control& c) {
  if (compareNoCase(c.id(), "?PrintNotes") == 0) {
    takeAll(built());
    callWithRow(makePrintnote);
    return true;
  }
  return RecordBrowse::takeAccepted(c);
}

void BrowseNotes::cleanup() {
  // Any notes list that closes ends reminder mode.
  *context().noteReminderDue = "";
  RecordBrowse::cleanup();
}

// ---- Updatednotes ---------------------------------------------------------------------

Updatednotes::Updatednotes()
    : FormProcedure("Updatednotes", formWindow(),
                    FormDef{"Adding a Notes Record", "Changing a Notes Record"},
                    &managedFile(FileId::dnotes)) {}

bool Updatednotes::takeWindowEvent(Event e) {
  if (FormProcedure::takeWindowEvent(e)) return true;
  if (e == Event::OpenWindow)
    if (Control* c = control("?NoteImage"))
      if (auto* l = qobject_cast<QLabel*>(c->widget()))
        l->setPixmap(loadIcon("note5.ico").pixmap(l->size()));
  if (e == Event::OpenWindow)
    if (Control* c = control("?NotePad"))
      if (auto* l = qobject_cast<QLabel*>(c->widget()))
        l->setPixmap(loadIcon("notepad.bmp").pixmap(l->size()));
  return false;
}

std::unique_ptr<WindowProcedure> makeBrowseNotes() { return std::make_unique<BrowseNotes>(); }
std::unique_ptr<WindowProcedure> makeUpdatednotes() { return std::make_unique<Updatednotes>(); }

}  // namespace qm::desk
