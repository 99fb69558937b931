#include "runtime/ui/procedure.h"

#include <QAbstractButton>
#include <QAbstractListModel>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <charconv>

#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/config/settings.h"
#include "runtime/store/thread.h"
#include "runtime/ui/datafile.h"
#include "runtime/ui/window.h"
#include "runtime/ui/windowdef.h"
#include "runtime/values/text.h"
#include "runtime/view/fieldvalue.h"
#include "runtime/view/view.h"

namespace qm {

namespace {

struct ThreadInfo {
  std::string name;
  int stack = 0;
  bool started = false;
  std::vector<QPointer<WindowProcedure>> procs;  // running, outermost first
};

std::map<int, ThreadInfo>& threads() {
  static std::map<int, ThreadInfo> t;
  return t;
}

QPointer<QMdiArea>& area() {
  static QPointer<QMdiArea> a;
  return a;
}

QIcon& icon() {
  static QIcon i;
  return i;
}

std::function<QIcon(const std::string&)>& iconLoader() {
  static std::function<QIcon(const std::string&)> l;
  return l;
}

std::function<void(const std::string&)>& helpHandler() {
  static std::function<void(const std::string&)> h;
  return h;
}

// The frame's part of its status bar that shows the active child's status
// text; nullptr when the area's window is no main window.
QLabel* frameStatus(bool create) {
  auto* main = area() ? qobject_cast<QMainWindow*>(area()->window()) : nullptr;
  if (!main) return nullptr;
  auto* l = main->findChild<QLabel*>(QStringLiteral("qmWindowStatus"));
  if (!l && create) {
    l = new QLabel;
    l->setObjectName(QStringLiteral("qmWindowStatus"));
    main->statusBar()->addWidget(l, 1);
  }
  return l;
}

void showActiveStatus() {
  if (QLabel* l = frameStatus(false)) {
    WindowProcedure* p = activeProcedure();
    l->setText(p ? QString::fromStdString(p->statusText()) : QString());
  }
}

int readInt(const std::string& s, int deflt) {
  int v = 0;
  std::string_view t = clip(s);
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  return ec == std::errc() && p == t.data() + t.size() ? v : deflt;
}

}  // namespace

std::optional<Nav> navOfControl(int control) {
  if (control < kToolbarFirst || control > kToolbarLast) return std::nullopt;
  return static_cast<Nav>(control - kToolbarFirst);
}

void setFrameArea(QMdiArea* a) { area() = a; }
QMdiArea* frameArea() { return area(); }
void setProgramIcon(const QIcon& i) { icon() = i; }
QIcon programIcon() { return icon(); }
void setIconLoader(std::function<QIcon(const std::string&)> loader) {
  iconLoader() = std::move(loader);
}
QIcon loadIcon(const std::string& name) { return iconLoader() ? iconLoader()(name) : QIcon(); }
void setHelpHandler(std::function<void(const std::string&)> h) { helpHandler() = std::move(h); }
void requestHelp(const std::string& procedure) {
  if (helpHandler()) helpHandler()(procedure);
}

// ---- threads -----------------------------------------------------------------

int startProcedure(std::string name, int stackSize, ProcedureFactory factory) {
  int id = newThreadNumber();
  ThreadInfo& t = threads()[id];
  t.name = std::move(name);
  t.stack = stackSize;
  t.started = true;
  // The thread takes the request the last window left in the global.
  runProcedure(id, std::move(factory), -1, [id](int) {
    threads().erase(id);
    endThread(id);
  });
  return id;
}

void runProcedure(int thread, ProcedureFactory factory, int request, ResponseHandler done,
                  WindowProcedure* caller) {
  std::unique_ptr<WindowProcedure> p = factory ? factory() : nullptr;
  if (!p) {
    ResponseCode = RequestCancelled;
    if (done) done(RequestCancelled);
    return;
  }
  if (request >= 0) RequestCode = static_cast<uint8_t>(request);
  QPointer<WindowProcedure> c = caller;
  if (caller) caller->holdForCall();
  ResponseHandler wrapped = [c, done = std::move(done), hadCaller = caller != nullptr](int r) {
    if (hadCaller && !c) return;  // the caller went away meanwhile
    if (c) c->releaseAfterCall();
    ResponseCode = static_cast<uint8_t>(r);
    if (!done) return;
    if (c)
      c->inScope([&] { done(r); });
    else
      done(r);
  };
  WindowProcedure* raw = p.release();  // deletes itself after it returns
  raw->begin(thread, caller, std::move(wrapped));
}

void postEvent(int thread, Event event, int control) {
  WindowProcedure* p = topProcedure(thread);
  if (p) p->post(event, control);
}

int threadStackSize(int thread) {
  auto it = threads().find(thread);
  return it == threads().end() ? 0 : it->second.stack;
}

std::string threadName(int thread) {
  auto it = threads().find(thread);
  return it == threads().end() ? std::string() : it->second.name;
}

bool threadRunning(int thread) {
  auto it = threads().find(thread);
  return it != threads().end() && it->second.started;
}

std::vector<int> runningThreads() {
  std::vector<int> out;
  for (auto& [id, t] : threads())
    if (t.started) out.push_back(id);
  return out;
}

WindowProcedure* topProcedure(int thread) {
  auto it = threads().find(thread);
  if (it == threads().end()) return nullptr;
  for (auto p = it->second.procs.rbegin(); p != it->second.procs.rend(); ++p)
    if (*p && (*p)->isRunning()) return *p;
  return nullptr;
}

WindowProcedure* activeProcedure() {
  QWidget* active = nullptr;
  if (area())
    active = area()->activeSubWindow();
  else
    active = QApplication::activeWindow();
  if (!active) return nullptr;
  for (auto& [id, t] : threads())
    for (auto& p : t.procs)
      if (p && p->isRunning() && p->outerWindow() == active) return p;
  return nullptr;
}

void navigateActive(Nav nav) {
  WindowProcedure* p = activeProcedure();
  if (p) postEvent(p->threadId(), Event::Accepted, controlOfNav(nav));
}

// ---- procedure -----------------------------------------------------------------

WindowProcedure::WindowProcedure(std::string name) : name_(std::move(name)) {}

WindowProcedure::~WindowProcedure() {
  if (outer_) outer_->removeEventFilter(this);
  // The window goes before the controls that point into it.
  if (outer_) delete outer_.data();
  win_.reset();
}

QWidget* WindowProcedure::window() const { return win_ ? win_->content() : nullptr; }
QWidget* WindowProcedure::outerWindow() const { return outer_; }

Control* WindowProcedure::control(int number) const { return win_ ? win_->find(number) : nullptr; }
Control* WindowProcedure::control(const std::string& id) const {
  return win_ ? win_->find(id) : nullptr;
}

void WindowProcedure::setDefinition(const WindowDef& def) {
  def_ = std::make_unique<WindowDef>(def);
}

void WindowProcedure::useFile(DataFile* file, bool primary) {
  if (!file) return;
  if (std::find(files_.begin(), files_.end(), file) == files_.end()) files_.push_back(file);
  if (primary || !primary_) primary_ = file;
}

void WindowProcedure::ownRecord(DataFile* file) {
  if (file && std::find(owned_.begin(), owned_.end(), file) == owned_.end()) owned_.push_back(file);
}

DataFile* WindowProcedure::fileByLabel(const std::string& label) const {
  for (DataFile* f : files_)
    if (compareNoCase(f->def().label, label) == 0) return f;
  return nullptr;
}

void WindowProcedure::bindValue(const std::string& name, std::function<std::string()> get,
                                std::function<bool(const std::string&)> set, int width) {
  values_[upper(name)] = ValueBinding{std::move(get), std::move(set), width};
}

std::optional<Binding> WindowProcedure::resolveBinding(const std::string& name) const {
  auto v = values_.find(upper(name));
  if (v != values_.end()) {
    ValueBinding vb = v->second;
    int width = vb.width;
    auto set = vb.set;
    return Binding{
        vb.get,
        [set, width](const std::string& t) {
          return set ? set(width > 0 ? std::string(cutChars(t, static_cast<std::size_t>(width)))
                                     : t)
                     : false;
        },
        std::nullopt, false, width};
  }
  for (DataFile* f : files_) {
    const FileDef& d = f->def();
    int field = d.fieldIndex(name);
    if (field >= 0) {
      return Binding{
          [f, field] { return f->buffer().valueText(field); },
          [f, field](const std::string& t) { return setValueText(f->buffer(), field, t); },
          d.fields[static_cast<size_t>(field)].type, false,
          d.fields[static_cast<size_t>(field)].type == FieldType::Text
              ? d.fields[static_cast<size_t>(field)].size
              : 0};
    }
    int memo = d.memoIndex(name);
    for (size_t i = 0; memo < 0 && i < d.memos.size(); ++i)
      if (compareNoCase(d.memos[i].exprName, name) == 0) memo = static_cast<int>(i);
    if (memo >= 0) {
      return Binding{[f, memo] { return f->buffer().memo(memo); },
                     // The control holds what is typed to the memo's size.
                     [f, memo](const std::string& t) {
                       f->buffer().keepMemo(memo, t);
                       return true;
                     },
                     std::nullopt, true, d.memos[static_cast<size_t>(memo)].size};
    }
  }
  return std::nullopt;
}

void WindowProcedure::inScope(const std::function<void()>& f) {
  ThreadScope thread(thread_);
  ProcedureScope name(name_);
  f();
}

void WindowProcedure::begin(int thread, WindowProcedure* caller, ResponseHandler done) {
  thread_ = thread;
  caller_ = caller;
  callerAlive_ = caller;
  done_ = std::move(done);
  running_ = true;
  threads()[thread].procs.push_back(this);
  QPointer<WindowProcedure> self = this;
  inScope([&] {
    request_ = RequestCode;
    RequestCode = 0;
    ResponseCode = 0;
    response_ = RequestCancelled;
    bool ok = true;
    openFiles(ok);
    if (!ok || !beforeWindow()) {
      finish();
      return;
    }
    if (def_) buildWindow();
    setup();
    if (finished_) return;
    if (win_) {
      restorePlacement();
      afterPlacement();
    }
    beforeEventLoop();
    if (finished_) return;
    if (win_) showWindow();
    dispatch(Event::OpenWindow, 0);
    if (!finished_) afterOpenWindow();
  });
}

void WindowProcedure::openFiles(bool& ok) {
  ok = true;
  for (DataFile* f : files_) {
    if (f->open() != 0) {
      ok = false;
      return;
    }
    opened_.push_back(f);
  }
}

void WindowProcedure::closeFiles() {
  for (auto it = opened_.rbegin(); it != opened_.rend(); ++it) (*it)->close();
  opened_.clear();
}

namespace {
// How far down and right a cascaded child window sits: its title bar.
int cascadeStep(QMdiSubWindow* sub) {
  sub->ensurePolished();
  return std::max(16, sub->contentsMargins().top());
}

// The spot itself, or one cascaded on from it as often as another open
// child window already sits there: a new window never hides one exactly.
QPoint freeSpot(QMdiSubWindow* sub, QPoint at) {
  const int step = cascadeStep(sub);
  const auto taken = [&](QPoint p) {
    for (QMdiSubWindow* w : area()->subWindowList())
      if (w != sub && w->isVisible() && !w->isMinimized() &&
          (w->pos() - p).manhattanLength() < step / 2)
        return true;
    return false;
  };
  for (int i = 0; i < 50 && taken(at); ++i) at += QPoint(step, step);
  return at;
}

// Sizes a child window so that its client area is exactly inner.
void fitFrame(QMdiSubWindow* sub, QSize inner) {
  sub->ensurePolished();
  const QMargins m = sub->contentsMargins();
  sub->resize(inner.width() + m.left() + m.right(), inner.height() + m.top() + m.bottom());
}

// The client area of a child window: the viewport its content scrolls in.
QSize clientSize(QMdiSubWindow* sub) {
  return sub->widget() ? sub->widget()->size() : sub->contentsRect().size();
}
}  // namespace

void WindowProcedure::buildWindow() {
  win_ = std::make_unique<Window>(*def_, *this,
                                  [this](const std::string& n) { return resolveBinding(n); });
  QWidget* content = win_->content();
  // The program's icon, and the window's own when its definition names one.
  if (!programIcon().isNull()) qApp->setWindowIcon(programIcon());
  QIcon own = def_->icon.empty() ? programIcon() : loadIcon(def_->icon);
  content->setWindowIcon(own);
  // Before the window is framed: the line adds to its height.
  if (!def_->status.empty() && !(def_->mdi && frameStatus(true))) win_->addStatusLine(def_->status);
  if (def_->mdi && area()) {
    const QSize inner = content->size();
    // Never laid out smaller than built: a child window made smaller (by
    // Tile, by the user) scrolls its content instead of losing controls.
    content->setMinimumSize(inner);
    auto* scroll = new QScrollArea;
    // The keyboard goes to the controls, never to the area they scroll in.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->resize(inner);  // else it gives the content its default size
    scroll->setWidget(content);
    QMdiSubWindow* sub = area()->addSubWindow(scroll);
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    // The content has no layout to give a size hint: frame it at its own size.
    fitFrame(sub, inner);
    sub->setWindowIcon(own);
    sub->setWindowTitle(content->windowTitle());
    outer_ = sub;
    if (frameStatus(true) && !area()->property("qmStatusHooked").toBool()) {
      area()->setProperty("qmStatusHooked", true);
      QObject::connect(area(), &QMdiArea::subWindowActivated, area(),
                       [](QMdiSubWindow*) { showActiveStatus(); });
    }
    if (!area()->property("qmFocusHooked").toBool()) {
      area()->setProperty("qmFocusHooked", true);
      QObject::connect(area(), &QMdiArea::subWindowActivated, area(), &WindowProcedure::activated);
    }
  } else {
    outer_ = content;
  }

  outer_->installEventFilter(this);
  if (auto* b = qobject_cast<QPushButton*>(defaultButton())) b->setDefault(true);
  fillDrops();
  win_->displayAll();
}

namespace {

// One field of a file for a drop list, read a page at a time as the list is
// scrolled to its end: a file of a million records opens its form at once.
class DropModel : public QAbstractListModel {
 public:
  static constexpr int kPage = 200;
  using Scope = std::function<void(const std::function<void()>&)>;

  DropModel(DataFile* file, int field, Scope scope, QObject* parent)
      : QAbstractListModel(parent), file_(file), field_(field), scope_(std::move(scope)) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(items_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= static_cast<int>(items_.size())) return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    return items_[static_cast<size_t>(index.row())];
  }
  bool canFetchMore(const QModelIndex& parent) const override { return !parent.isValid() && more_; }
  void fetchMore(const QModelIndex& parent) override {
    if (parent.isValid() || !more_) return;
    std::vector<Row> rows;
    int rc = 0;
    scope_([&] {
      RecordView view([f = file_]() -> RecordFile& { return f->recordFile(); });
      view.setOrder(-1);  // stored order
      rc = view.page(items_.empty() ? nullptr : &last_, true, kPage, rows);
      if (rc != 0)
        errors().raise(1, MessageArgs{file_->name(), file_->recordFile().errorText(), {}, {}});
    });
    more_ = rc == 0 && rows.size() == static_cast<size_t>(kPage);
    if (rows.empty()) return;
    const int first = static_cast<int>(items_.size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    for (const Row& r : rows)
      items_.push_back(QString::fromStdString(std::string(clip(r.record.valueText(field_)))));
    endInsertRows();
    last_ = std::move(rows.back());
  }

 private:
  DataFile* file_;
  int field_;
  Scope scope_;
  std::vector<QString> items_;
  Row last_;
  bool more_ = true;
};

}  // namespace

void WindowProcedure::fillDrops() {
  for (auto& c : win_->controls()) {
    if (c->kind() != Kind::Drop || c->def().fromFile.empty()) continue;
    DataFile* f = fileByLabel(c->def().fromFile);
    auto* box = qobject_cast<QComboBox*>(c->widget());
    if (!f || !box || !f->isOpen()) continue;
    int field = f->def().fieldIndex(c->def().fromField);
    if (field < 0) continue;
    auto* model = new DropModel(
        f, field, [this](const std::function<void()>& fn) { inScope(fn); }, box);
    model->fetchMore({});
    box->setModel(model);
    box->setCurrentIndex(-1);
  }
}

void WindowProcedure::showWindow() {
  if (!outer_) return;
  auto* sub = qobject_cast<QMdiSubWindow*>(outer_.data());
  // Closing goes back to the window that was in front when this one opened.
  if (sub && area()) opener_ = area()->currentSubWindow();
  // The frame first: a window opened after a preview or a message closed
  // still comes to the front of the frame's windows.
  if (sub) sub->window()->activateWindow();
  if (maximize_)
    outer_->showMaximized();
  else
    outer_->show();
  if (sub && area()) {
    sub->raise();
    area()->setActiveSubWindow(sub);
  }
  outer_->activateWindow();
  focusWindow();
  showActiveStatus();
}

std::string WindowProcedure::statusText() const { return def_ ? def_->status : std::string(); }

void WindowProcedure::restorePlacement() {
  if (!outer_ || !win_) return;
  IniFile& ini = settings();
  const DialogUnits& u = win_->units();
  if (compareNoCase(ini.read(name_, "Maximize", ""), "Yes") == 0) {
    maximize_ = true;
    return;
  }
  // A window never placed before opens a title bar below and right of its
  // caller (or at the area's corner), inside the frame's area.
  QPoint start = outer_->pos();
  auto* sub = qobject_cast<QMdiSubWindow*>(outer_.data());
  if (sub && area()) {
    const int step = cascadeStep(sub);
    start = caller_ && caller_->outerWindow() ? caller_->outerWindow()->pos() + QPoint(step, step)
                                              : QPoint(0, 0);
    const QSize room = area()->viewport()->size();
    start.setX(std::max(0, std::min(start.x(), room.width() - sub->width())));
    start.setY(std::max(0, std::min(start.y(), room.height() - sub->height())));
  } else if (outer_->isWindow()) {
    // A top-level window (the title window, a window of a frameless test) is centred.
    if (QScreen* screen = outer_->screen() ? outer_->screen() : QGuiApplication::primaryScreen()) {
      const QRect room = screen->availableGeometry();
      const QSize size = outer_->frameSize().isValid() ? outer_->frameSize() : outer_->size();
      start = room.center() - QPoint(size.width() / 2, size.height() / 2);
    }
  }
  int x = readInt(ini.read(name_, "XPos", ""), u.toDuX(start.x()));
  int y = readInt(ini.read(name_, "YPos", ""), u.toDuY(start.y()));
  int w = readInt(ini.read(name_, "Width", ""), win_->duWidth());
  int h = readInt(ini.read(name_, "Height", ""), win_->duHeight());
  if (!sub || !area()) {
    outer_->move(u.x(x), u.y(y));
    if (def_->resizable && w > 0 && h > 0) win_->content()->resize(u.x(w), u.y(h));
    return;
  }
  if (def_->resizable && w > 0 && h > 0) fitFrame(sub, QSize(u.x(w), u.y(h)));
  // Whatever the frame's size was when it was kept, the window opens inside
  // the area: shrunk to it where it is larger (its content scrolls).
  const QSize room = area()->viewport()->size();
  if (!room.isEmpty())
    sub->resize(std::min(sub->width(), room.width()), std::min(sub->height(), room.height()));
  QPoint at = freeSpot(sub, QPoint(u.x(x), u.y(y)));
  if (!room.isEmpty()) {
    at.setX(std::max(0, std::min(at.x(), room.width() - sub->width())));
    at.setY(std::max(0, std::min(at.y(), room.height() - sub->height())));
  }
  sub->move(at);
}

void WindowProcedure::savePlacement() {
  if (!outer_ || !win_ || outer_->isMinimized()) return;
  IniFile& ini = settings();
  const DialogUnits& u = win_->units();
  bool ok = true;
  bool max = outer_->isMaximized();
  ok = ini.write(name_, "Maximize", max ? "Yes" : "No") && ok;
  if (!max) {
    ok = ini.write(name_, "XPos", std::to_string(u.toDuX(outer_->x()))) && ok;
    ok = ini.write(name_, "YPos", std::to_string(u.toDuY(outer_->y()))) && ok;
    if (def_->resizable) {
      auto* sub = qobject_cast<QMdiSubWindow*>(outer_.data());
      const QSize size = sub ? clientSize(sub) : win_->content()->size();
      ok = ini.write(name_, "Width", std::to_string(u.toDuX(size.width()))) && ok;
      ok = ini.write(name_, "Height", std::to_string(u.toDuY(size.height()))) && ok;
    }
  }
  if (!ok) ini.reportWriteFailure("The window position could not be saved in " + ini.fileName());
}

void WindowProcedure::post(Event event, int control) {
  QPointer<WindowProcedure> self = this;
  QTimer::singleShot(0, this, [self, event, control] {
    if (self) self->dispatch(event, control);
  });
}

void WindowProcedure::dispatch(Event event, int controlNumber) {
  if (finished_) return;
  inScope([&] {
    if (controlNumber) {
      if (auto nav = navOfControl(controlNumber)) {
        if (event == Event::Accepted && runs_ == 0) navigate(*nav);
        return;
      }
      if (Control* c = control(controlNumber)) fieldEvent(*c, event);
      return;
    }
    if (takeWindowEvent(event)) return;
    if (event == Event::CloseWindow) closeRequested();
  });
}

void WindowProcedure::beginRun() {
  if (runs_++ == 0) stopAsked_ = false;
}

void WindowProcedure::endRun() {
  if (runs_ > 0) --runs_;
}

void WindowProcedure::fieldEvent(Control& c, Event e) {
  if (finished_ || disabledBy_ > 0) return;
  if (runs_ > 0 && e == Event::Accepted && c.def().role != Role::Close &&
      c.def().role != Role::Cancel)
    return;
  if (e == Event::Accepted && inAccept_ == &c) return;  // a message box took the focus
  inScope([&] {
    if (takeFieldEvent(c, e)) return;
    if (e == Event::Accepted) {
      Control* outer = inAccept_;
      inAccept_ = &c;
      std::string err;
      if (c.isData() && !c.take(&err)) {
        message(err, "Invalid Entry", MsgIcon::Exclamation);
        inAccept_ = outer;
        if (!finished_) select(c);
        return;
      }
      if (c.isData()) c.show();
      takeAccepted(c);
      inAccept_ = outer;
    } else if (e == Event::NewSelection) {
      takeNewSelection(c);
    }
  });
}

bool WindowProcedure::handleKey(int key, int modifiers) {
  if (finished_ || disabledBy_ > 0) return false;
  bool handled = false;
  inScope([&] { handled = takeKey(key, modifiers); });
  return handled;
}

namespace {
QAbstractButton* buttonOf(const Window* w, Role role) {
  if (w)
    for (auto& c : w->controls())
      if (c->kind() == Kind::Button && c->def().role == role)
        if (auto* b = qobject_cast<QAbstractButton*>(c->widget())) return b;
  return nullptr;
}
}  // namespace

bool WindowProcedure::escape() {
  for (Role role : {Role::Cancel, Role::Close})
    if (QAbstractButton* b = buttonOf(built(), role)) {
      b->click();
      return true;
    }
  // Else as its close box; a window the keyboard cannot work in keeps its keys.
  if (!firstFocus()) return false;
  requestClose();
  return true;
}

QAbstractButton* WindowProcedure::defaultButton() const {
  if (win_)
    for (auto& c : win_->controls())
      if (c->kind() == Kind::Button && c->def().defaultButton)
        return qobject_cast<QAbstractButton*>(c->widget());
  return nullptr;
}

// Enter presses the focused button, else the default one; an entry typed
// into is accepted first, as leaving it for the button would.
bool WindowProcedure::pressDefault() {
  QWidget* fw = QApplication::focusWidget();
  Control* c = fw && win_ ? win_->byWidget(fw) : nullptr;
  if (c && c->kind() == Kind::Memo) return false;  // a new line
  auto* b = c && c->kind() == Kind::Button ? qobject_cast<QAbstractButton*>(fw) : defaultButton();
  if (!b || !b->isEnabled() || !b->isVisible()) return false;
  if (auto* e = c ? qobject_cast<QLineEdit*>(fw) : nullptr; e && e->isModified()) {
    const int mark = focusMoves_;
    fieldEvent(*c, Event::Accepted);
    if (finished_ || focusMoves_ != mark) return true;
  }
  b->click();
  return true;
}

bool WindowProcedure::takeKey(int key, int modifiers) {
  if (key == Qt::Key_Escape && !modifiers) return escape();
  if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !(modifiers & ~Qt::KeypadModifier))
    return pressDefault();
  return false;
}

namespace {

// A control the keyboard can go to now.
bool reachable(const QWidget* w, const QWidget* window) {
  return w && w->focusPolicy() != Qt::NoFocus && w->isEnabled() &&
         (!window || (window->isAncestorOf(w) && w->isVisibleTo(window)));
}

}  // namespace

QWidget* WindowProcedure::firstFocus() const {
  if (!win_) return nullptr;
  QWidget* fallback = nullptr;
  for (auto& c : win_->controls()) {
    QWidget* w = c->widget();
    if (!reachable(w, outer_)) continue;
    switch (c->kind()) {
      case Kind::Entry:
        if (c->def().readOnly) break;
        return w;
      case Kind::Radio:
        // The group is entered on its chosen button.
        for (auto* r : w->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly))
          if (r->isChecked() && reachable(r, outer_)) return r;
        return w;
      case Kind::Memo:
      case Kind::Check:
      case Kind::Drop:
      case Kind::List:
        return w;
      case Kind::Button:
        if (!fallback) fallback = w;
        break;
      default:
        break;
    }
  }
  return fallback;
}

void WindowProcedure::noteFocus(QWidget* w) { lastFocus_ = w; }

void WindowProcedure::focusWindow() {
  if (!win_ || finished_ || disabledBy_ > 0) return;
  QWidget* w = reachable(lastFocus_, outer_) ? lastFocus_.data() : firstFocus();
  if (!w) return;
  lastFocus_ = w;
  w->setFocus(Qt::ActiveWindowFocusReason);
}

// A child window made active keeps the keyboard where it was in it; one
// that came from behind another shows its records as they are now.
void WindowProcedure::activated(QMdiSubWindow* sub) {
  static QPointer<QMdiSubWindow> last;
  if (!sub) return;  // the frame lost the focus: the same window comes back
  const bool forward = last != sub;
  last = sub;
  for (auto& [id, t] : threads())
    for (auto& p : t.procs) {
      if (!p || !p->isRunning() || p->outerWindow() != sub) continue;
      QWidget* fw = QApplication::focusWidget();
      if (!fw || !sub->isAncestorOf(fw) || !p->win_->byWidget(fw)) p->focusWindow();
      if (forward && p->disabledBy_ == 0) p->inScope([&] { p->broughtForward(); });
      return;
    }
}

bool WindowProcedure::eventFilter(QObject* watched, QEvent* event) {
  bool taken = false;
  inScope([&] {
    auto helper = watched_.find(watched);
    taken = helper != watched_.end() ? helper->second(watched, event) : filterEvent(watched, event);
  });
  return taken;
}

void WindowProcedure::watchInScope(QObject* watched,
                                   std::function<bool(QObject*, QEvent*)> filter) {
  watched_[watched] = std::move(filter);
  QObject::connect(watched, &QObject::destroyed, this,
                   [this, watched] { watched_.erase(watched); });
  watched->installEventFilter(this);
}

bool WindowProcedure::filterEvent(QObject* watched, QEvent* event) {
  if (watched == outer_ && event->type() == QEvent::Close && !finished_) {
    event->ignore();
    dispatch(Event::CloseWindow, 0);
    return true;
  }
  return QObject::eventFilter(watched, event);
}

void WindowProcedure::select(Control& c) {
  ++focusMoves_;
  if (QWidget* w = c.widget()) {
    // Bring the control's tab forward first.
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
      if (auto* tabs = qobject_cast<QTabWidget*>(
              p->parentWidget() ? p->parentWidget()->parentWidget() : nullptr)) {
        int i = tabs->indexOf(p);
        if (i >= 0) tabs->setCurrentIndex(i);
      }
    lastFocus_ = w;
    w->setFocus(Qt::OtherFocusReason);
  }
}

void WindowProcedure::display() {
  if (win_) inScope([&] { win_->displayAll(); });
}

void WindowProcedure::display(Control& c) {
  inScope([&] { c.show(); });
}

void WindowProcedure::requestClose() { dispatch(Event::CloseWindow, 0); }

bool WindowProcedure::mayClose() {
  if (finished_ || closeAgreed_) return true;
  bool yes = true;
  inScope([&] { yes = askClose(); });
  closeAgreed_ = yes;
  return yes;
}

void WindowProcedure::close(int response) {
  if (finished_) return;
  if (runs_ > 0) {
    stopAsked_ = true;  // the run ends after its page; the window stays
    return;
  }
  response_ = response;
  finish();
}

void WindowProcedure::finish() {
  if (finished_) return;
  finished_ = true;
  inScope([&] {
    if (win_) beforeClose();
    cleanup();
    closeFiles();
    if (win_) savePlacement();
  });
  running_ = false;
  auto& procs = threads()[thread_].procs;
  procs.erase(std::remove(procs.begin(), procs.end(), QPointer<WindowProcedure>(this)),
              procs.end());
  if (outer_) outer_->hide();
  // Its caller comes forward (it is enabled again when the call returns), or
  // else the window that was in front when this one opened, not the area's pick.
  if (area() && qobject_cast<QMdiSubWindow*>(outer_.data())) {
    QMdiSubWindow* next = nullptr;
    if (callerAlive_ && callerAlive_->isRunning())
      next = qobject_cast<QMdiSubWindow*>(callerAlive_->outerWindow());
    if (!next && opener_ && opener_->isVisible()) next = opener_;
    if (next) {
      next->raise();
      area()->setActiveSubWindow(next);
    }
  }
  showActiveStatus();
  ResponseHandler done = std::move(done_);
  int r = response_;
  deleteLater();
  if (done) done(r);
}

void WindowProcedure::holdForCall() {
  ThreadScope scope(thread_);
  std::vector<HeldRecord> held;
  for (DataFile* f : owned_) held.push_back(HeldRecord::of(*f));
  heldForCalls_.push_back(std::move(held));
  if (++disabledBy_ == 1 && outer_) {
    // Disabled with the focus in it, the window would hand the focus (and the
    // front) to another child window; it gets it back when the call returns.
    if (QWidget* fw = QApplication::focusWidget(); fw && outer_->isAncestorOf(fw)) fw->clearFocus();
    outer_->setEnabled(false);
  }
}

void WindowProcedure::releaseAfterCall() {
  if (!heldForCalls_.empty()) {
    ThreadScope scope(thread_);
    for (const HeldRecord& h : heldForCalls_.back()) h.putBack();
    heldForCalls_.pop_back();
  }
  if (disabledBy_ > 0 && --disabledBy_ == 0 && outer_ && !finished_) {
    outer_->setEnabled(true);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(outer_.data()); sub && area())
      area()->setActiveSubWindow(sub);
    outer_->activateWindow();
    focusWindow();
  }
}

void WindowProcedure::callProcedure(ProcedureFactory factory, int request, ResponseHandler done) {
  runProcedure(thread_, std::move(factory), request, std::move(done), this);
}

void WindowProcedure::setUpdate(int number, ProcedureFactory factory) {
  updates_[number] = std::move(factory);
}

void WindowProcedure::runUpdate(int number, int request, ResponseHandler done) {
  auto it = updates_.find(number);
  if (it == updates_.end() || !it->second) {
    ResponseCode = RequestCancelled;
    if (done) done(RequestCancelled);
    return;
  }
  callProcedure(it->second, request, std::move(done));
}

void WindowProcedure::navigate(Nav nav) {
  if (nav == Nav::Help) requestHelp(name_);
}

}  // namespace qm
