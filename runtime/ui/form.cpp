#include "runtime/ui/form.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "runtime/config/errors.h"
#include "runtime/config/requests.h"
#include "runtime/ui/datafile.h"
#include "runtime/ui/window.h"
#include "runtime/values/text.h"
#include "runtime/view/fieldvalue.h"

namespace qm {

namespace {
std::map<std::string, RecordBuffer>& saved() {
  static std::map<std::string, RecordBuffer> m;
  return m;
}

// A control showing a field or memo of the file (not a global, not another file).
bool showsFieldOf(const FileDef& d, const std::string& label) {
  if (d.fieldIndex(label) >= 0 || d.memoIndex(label) >= 0) return true;
  for (const MemoDef& m : d.memos)
    if (compareNoCase(m.exprName, label) == 0) return true;
  return false;
}
}  // namespace

const RecordBuffer* FormProcedure::history(const std::string& formName) {
  auto it = saved().find(formName);
  return it == saved().end() ? nullptr : &it->second;
}

void FormProcedure::clearHistory() { saved().clear(); }

FormProcedure::FormProcedure(std::string name, const WindowDef& window, FormDef form,
                             DataFile* primary)
    : WindowProcedure(std::move(name)), fdef_(std::move(form)) {
  setDefinition(window);
  useFile(primary, true);
  ownRecord(primary);
}

void FormProcedure::useParent(DataFile* parent, std::string key, std::string link) {
  parent_ = parent;
  parentKey_ = std::move(key);
  link_ = std::move(link);
  useFile(parent);
  ownRecord(parent);
}

void FormProcedure::readParent() {
  if (!parent_ || !parent_->isOpen()) return;
  const std::string value = primaryFile()->buffer().text(link_);
  const int key = parent_->def().keyIndex(parentKey_);
  if (clip(value).empty() || key < 0) return;
  const HeldRecord before = HeldRecord::of(*parent_);
  const KeyDef& k = parent_->def().keys[static_cast<size_t>(key)];
  if (k.components.empty()) return;
  setValueText(parent_->buffer(), k.components.front(), value);
  if (parent_->recordFile().fetch(key) != 0) before.putBack();
}

bool FormProcedure::beforeWindow() {
  DataFile* f = primaryFile();
  MessageArgs args{f->name(), {}, {}, {}};
  switch (request()) {
    case InsertRecord:
      if (!fdef_.allowInsert) {
        errors().raise(20, args);
        return false;
      }
      break;
    case ChangeRecord: {
      if (!fdef_.allowChange) {
        errors().raise(38, args);
        return false;
      }
      int rc = f->recordFile().fetchPosition(f->recordFile().position());
      if (rc != 0) {
        errors().raise(1, MessageArgs{f->name(), errorTextFor(rc), {}, {}});
        return false;
      }
      break;
    }
    case DeleteRecord: {
      if (!fdef_.allowDelete) {
        errors().raise(12, args);
        return false;
      }
      if (errors().raise(9, args) != 0) return false;  // No
      for (;;) {
        if (f->removeCascade() == 0) {
          setResponse(RequestCompleted);
          return false;
        }
        if (errors().raise(33, MessageArgs{f->name(), f->errorText(), {}, {}}) != 0) return false;
      }
    }
    default:
      break;
  }
  readParent();
  if (request() == InsertRecord) primeFromParent();
  atOpen_ = f->buffer();
  return true;
}

void FormProcedure::beforeEventLoop() {
  // Opened with neither request, the form keeps its window's own title.
  std::string title = definition() ? definition()->title : std::string();
  if (request() == InsertRecord)
    title = fdef_.insertTitle;
  else if (request() == ChangeRecord)
    title = fdef_.changeTitle;
  QString t = QString::fromStdString(title);
  if (window()) window()->setWindowTitle(t);
  if (outerWindow()) outerWindow()->setWindowTitle(t);
}

void FormProcedure::afterOpenWindow() { shownAtOpen_ = onScreen(); }

RecordBuffer FormProcedure::onScreen() const {
  DataFile* f = primaryFile();
  if (!built()) return f->buffer();
  RecordBuffer keep = f->buffer();
  RecordBuffer shown;
  bool refused = false;
  for (auto& c : built()->controls())
    if (c->isData() && showsFieldOf(f->def(), c->def().field) && !c->take(nullptr)) refused = true;
  if (!refused) shown = f->buffer();  // a value no field can hold differs from any record
  f->buffer() = keep;
  return shown;
}

// What the window filled in as it opened (a blank check box taken as "N", a
// text shown trimmed) is no change of the user's: the window as it showed
// then is compared with the window now.
bool FormProcedure::changed() const {
  if (!built() || !shownAtOpen_.valid()) return !(primaryFile()->buffer() == atOpen_);
  const RecordBuffer now = onScreen();
  return !now.valid() || !(now == shownAtOpen_);
}

void FormProcedure::ok() {
  if (request() == InsertRecord || request() == ChangeRecord) {
    if (!okPressed()) return;
    int mark = focusMark();
    for (auto& c : built()->controls()) {
      if (!c->isData()) continue;
      fieldEvent(*c, Event::Accepted);
      if (!isRunning() || focusMovedSince(mark)) return;
    }
  }
  dispatch(Event::Completed, 0);
}

bool FormProcedure::takeWindowEvent(Event e) {
  if (WindowProcedure::takeWindowEvent(e)) return true;
  if (e == Event::Completed) {
    if (request() == InsertRecord || request() == ChangeRecord) save();
    return true;
  }
  return false;
}

Control* FormProcedure::keyControl(int key) const {
  DataFile* f = primaryFile();
  if (key < 0 || !built()) return nullptr;
  const KeyDef& k = f->def().keys[static_cast<size_t>(key)];
  for (int comp : k.components) {
    const std::string& label = f->def().fields[static_cast<size_t>(comp)].label;
    for (auto& c : built()->controls())
      if (c->isData() && compareNoCase(c->def().field, label) == 0) return c.get();
  }
  return nullptr;
}

void FormProcedure::showChangedElsewhere() {
  DataFile* f = primaryFile();
  saved()[name()] = f->buffer();
  RecordFile& rf = f->recordFile();
  const int64_t at = rf.position();
  if (rf.fetchPosition(at) != 0) f->buffer() = atOpen_;
  atOpen_ = f->buffer();
  errors().raise(7, MessageArgs{f->name(), errorTextFor(ErrChanged), {}, {}});
  if (!isRunning()) return;
  readParent();
  display();
  recordReshown();
  shownAtOpen_ = onScreen();
}

void FormProcedure::save() {
  DataFile* f = primaryFile();
  for (;;) {
    int rc = request() == InsertRecord ? f->insert() : f->update(atOpen_);
    if (rc == 0) break;
    if (rc == ErrChanged) return showChangedElsewhere();
    if (rc == ErrDuplicateKey) {
      int key = f->recordFile().duplicateKey();
      std::string desc =
          key >= 0 ? f->def().keys[static_cast<size_t>(key)].description : std::string();
      errors().raise(13, MessageArgs{f->name(), f->errorText(), desc, {}});
      if (Control* c = keyControl(key)) select(*c);
      return;
    }
    if (request() == InsertRecord) {
      errors().raise(4, MessageArgs{f->name(), f->errorText(), {}, {}});
      return;
    }
    if (rc == ErrNotFound) {
      // Deleted meanwhile: saving again cannot succeed. The form stays with what was typed.
      errors().raise(25, MessageArgs{f->name(), f->errorText() + ": another user deleted it"});
      return;
    }
    // The reason in plain words (a full disk, a read-only folder), then the question.
    const MessageArgs args{f->name(), f->errorText(), {}, {}};
    if (message(errors().text(25, args) + "||" + errors().text(34, args), errors().title(34, args),
                MsgIcon::Exclamation, BtnYes | BtnNo, BtnYes) != BtnYes)
      return;
  }
  saved()[name()] = f->buffer();
  close(RequestCompleted);
}

bool FormProcedure::askClose() {
  if ((request() != InsertRecord && request() != ChangeRecord) || !changed()) return true;
  return errors().raise(8, MessageArgs{primaryFile()->name(), {}, {}, {}}) == 0;
}

void FormProcedure::cancel() {
  if (!closeAgreed() && !askClose()) return;  // No: back to the form
  close(RequestCancelled);
}

void FormProcedure::closeRequested() { cancel(); }

bool FormProcedure::takeAccepted(Control& c) {
  if (WindowProcedure::takeAccepted(c)) return true;
  switch (c.def().role) {
    case Role::Ok:
      ok();
      return true;
    case Role::Cancel:
      cancel();
      return true;
    case Role::Help:
      requestHelp(name());
      return true;
    default:
      return false;
  }
}

Control* FormProcedure::dataControl(QWidget* w) const {
  Control* c = w && built() ? built()->byWidget(w) : nullptr;
  if (c && c->kind() == Kind::Radio) c = built()->find(c->def().parent);
  return c && c->isData() ? c : nullptr;
}

bool FormProcedure::takeFieldEvent(Control& c, Event e) {
  if (e == Event::Selected)
    if (Control* d = dataControl(c.widget())) focused_ = d;
  return WindowProcedure::takeFieldEvent(c, e);
}

void FormProcedure::ditto() {
  const RecordBuffer* h = history(name());
  Control* c = focused_;
  if (Control* byFocus = dataControl(QApplication::focusWidget())) c = byFocus;
  if (!h || !c) return;
  DataFile* f = primaryFile();
  int field = f->def().fieldIndex(c->def().field);
  if (field >= 0) {
    c->setValue(h->valueText(field));
  } else {
    int m = f->def().memoIndex(c->def().field);
    if (m < 0) return;
    c->setValue(h->memo(m));
  }
  c->show();
}

void FormProcedure::navigate(Nav nav) {
  if (nav == Nav::Ditto) return ditto();
  WindowProcedure::navigate(nav);
}

// Without one its definition marks, Enter presses OK.
QAbstractButton* FormProcedure::defaultButton() const {
  if (QAbstractButton* b = WindowProcedure::defaultButton()) return b;
  if (built())
    for (auto& c : built()->controls())
      if (c->kind() == Kind::Button && c->def().role == Role::Ok)
        return qobject_cast<QAbstractButton*>(c->widget());
  return nullptr;
}

// A form without a Cancel or Close button cancels.
bool FormProcedure::escape() {
  if (!WindowProcedure::escape()) cancel();
  return true;
}

bool FormProcedure::takeKey(int key, int modifiers) {
  if (WindowProcedure::takeKey(key, modifiers)) return true;
  if (key == Qt::Key_Apostrophe && (modifiers & Qt::ControlModifier)) {
    ditto();
    return true;
  }
  return false;
}

bool FormProcedure::acceptTyped() {
  if (!built()) return true;
  QWidget* fw = QApplication::focusWidget();
  Control* c = fw ? built()->byWidget(fw) : nullptr;
  auto* e = c ? qobject_cast<QLineEdit*>(c->widget()) : nullptr;
  if (!c || !e || !c->isData() || !e->isModified()) return true;
  int mark = focusMark();
  fieldEvent(*c, Event::Accepted);
  return isRunning() && !focusMovedSince(mark);
}

}  // namespace qm
