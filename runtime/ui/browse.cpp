#include "runtime/ui/browse.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QWheelEvent>
#include <cmath>
#include <sstream>

#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/config/settings.h"
#include "runtime/ui/datafile.h"
#include "runtime/ui/form.h"
#include "runtime/ui/frozencolumns.h"
#include "runtime/ui/listmodel.h"
#include "runtime/ui/window.h"
#include "runtime/values/picture.h"
#include "runtime/values/text.h"
#include "runtime/view/fieldvalue.h"

namespace qm {

// ---- list format text -------------------------------------------------------
// One column per "|": width, justification letter and indent, then the header
// between tildes: "142L2~Domain Name~|49R2~Date Started~".

namespace {

char justifyLetter(Justify j) {
  switch (j) {
    case Justify::Left:
      return 'L';
    case Justify::Right:
      return 'R';
    case Justify::Center:
      return 'C';
    case Justify::Decimal:
      return 'D';
  }
  return 'L';
}

bool letterJustify(char c, Justify& j) {
  switch (c) {
    case 'L':
      j = Justify::Left;
      return true;
    case 'R':
      j = Justify::Right;
      return true;
    case 'C':
      j = Justify::Center;
      return true;
    case 'D':
      j = Justify::Decimal;
      return true;
    default:
      return false;
  }
}

}  // namespace

Qt::Alignment alignmentOf(Justify j) {
  switch (j) {
    case Justify::Left:
      return Qt::AlignLeft | Qt::AlignVCenter;
    case Justify::Center:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
      return Qt::AlignRight | Qt::AlignVCenter;
  }
}

std::string cellText(const ColumnDef& col, const std::string& value) {
  if (col.picture.empty()) return std::string(clip(value));
  std::string s = formatAny(col.picture, value);
  if (pictureKind(col.picture) != PictureKind::Text) {
    size_t b = s.find_first_not_of(' ');
    s = b == std::string::npos ? std::string() : s.substr(b);
  }
  return std::string(clip(s));
}

std::string ListFormat::text() const {
  std::string s;
  for (size_t i = 0; i < columns.size(); ++i) {
    const ColumnDef& c = columns[i];
    if (i) s += '|';
    s += std::to_string(c.width);
    s += justifyLetter(c.justify);
    s += std::to_string(c.indent);
    s += '~';
    s += c.header;
    s += '~';
  }
  return s;
}

bool ListFormat::parse(const std::string& text, const std::vector<ColumnDef>& base,
                       ListFormat& out) {
  std::vector<ColumnDef> cols;
  size_t i = 0, n = text.size();
  while (i < n || (cols.empty() && !base.empty())) {
    if (cols.size() >= base.size()) return false;
    ColumnDef c = base[cols.size()];
    auto readNum = [&](int& v) {
      size_t s = i;
      long long acc = 0;
      while (i < n && text[i] >= '0' && text[i] <= '9' && i - s < 6)
        acc = acc * 10 + (text[i++] - '0');
      v = static_cast<int>(acc);
      return i > s;
    };
    if (!readNum(c.width) || c.width <= 0) return false;
    if (i >= n || !letterJustify(text[i], c.justify)) return false;
    ++i;
    if (!readNum(c.indent)) return false;
    if (i >= n || text[i] != '~') return false;
    size_t end = text.find('~', i + 1);
    if (end == std::string::npos) return false;
    c.header = text.substr(i + 1, end - i - 1);
    i = end + 1;
    cols.push_back(c);
    if (i < n) {
      if (text[i] != '|') return false;
      ++i;
      if (i >= n) return false;
    }
  }
  if (cols.size() != base.size()) return false;
  out.columns = std::move(cols);
  return true;
}

// ---- browse -----------------------------------------------------------------------

BrowseProcedure::BrowseProcedure(std::string name, const WindowDef& window, BrowseDef browse,
                                 DataFile* primary)
    : WindowProcedure(std::move(name)), bdef_(std::move(browse)) {
  setDefinition(window);
  useFile(primary, true);
  if (bdef_.orders.empty()) bdef_.orders.push_back(SortOrder{});
}

BrowseProcedure::~BrowseProcedure() = default;

int BrowseProcedure::pageRows() const {
  if (!table_) return 1;
  int rowH = table_->verticalHeader()->defaultSectionSize();
  int h = table_->viewport()->height();
  return std::max(1, rowH > 0 ? h / rowH : 1);
}

void BrowseProcedure::setup() {
  DataFile* f = primaryFile();
  view_ = std::make_unique<RecordView>([f]() -> RecordFile& { return f->recordFile(); });
  list_ = std::make_unique<PagedList>(*view_);
  listControl_ = control(bdef_.list);
  table_ = listControl_ ? qobject_cast<QTableView*>(listControl_->widget()) : nullptr;
  viewport_ = table_ ? table_->viewport() : nullptr;
  if (!table_) return;
  built_ = listControl_->def().columns;
  model_ = new RecordListModel(*list_, true, table_);
  model_->setColumns(built_, f->def());
  table_->setModel(model_);
  table_->horizontalHeader()->setStretchLastSection(false);
  table_->horizontalHeader()->setSectionsMovable(false);
  table_->installEventFilter(this);
  table_->viewport()->installEventFilter(this);
  int fixed = 0;
  while (fixed < static_cast<int>(built_.size()) && built_[static_cast<size_t>(fixed)].fixed)
    ++fixed;
  if (fixed > 0) frozen_ = new FrozenColumns(table_, fixed);
  applyFormat(ListFormat{built_});
  orig_ = user_ = ListFormat{built_};
  connectInScope(table_, &QTableView::doubleClicked, [this](const QModelIndex& i) {
    list_->setSelected(i.row());
    if (selecting())
      selectRecord();
    else
      changeRecord();
  });
  // A click only moves the highlight: the rows stay (a reload would lose a double-click).
  connectInScope(table_, &QTableView::clicked, [this](const QModelIndex& i) {
    list_->setSelected(i.row());
    if (listControl_) takeNewSelection(*listControl_);
  });
  if ((bar_ = listControl_->scrollBar())) {
    bar_->setRange(0, kScrollSteps);
    bar_->setSingleStep(1);
    bar_->setPageStep(kScrollSteps / 10);
    bar_->installEventFilter(this);
    connectInScope(bar_, &QAbstractSlider::actionTriggered, [this](int a) { scrollAction(a); });
    connectInScope(bar_, &QAbstractSlider::sliderReleased, [this] { syncScrollBar(); });
  }
  connectInScope(table_, &QWidget::customContextMenuRequested,
                 [this](const QPoint& p) { showPopup(table_->viewport()->mapToGlobal(p)); });
  // Entry locators position as the user types.
  for (size_t i = 0; i < bdef_.orders.size(); ++i) {
    const SortOrder& o = bdef_.orders[i];
    if (o.locator != LocatorKind::Entry) continue;
    if (Control* c = control(o.locatorControl))
      if (auto* e = qobject_cast<QLineEdit*>(c->widget()))
        connectInScope(e, &QLineEdit::textEdited, [this, i](const QString& t) {
          if (static_cast<int>(i) != order_) return;
          report(list_->locate(t.toStdString()));
          listMoved();
        });
  }
  int start = 0;
  if (!bdef_.sheet.empty())
    if (Control* s = control(bdef_.sheet))
      if (auto* tabs = qobject_cast<QTabWidget*>(s->widget()))
        start = std::max(0, tabs->currentIndex());
  list_->setPageSize(pageRows());
  takeRangeValues();
  setOrder(start);
  report(list_->first());
  listMoved();
}

void BrowseProcedure::takeRangeValues() {
  rangeValues_.clear();
  for (const SortOrder& o : bdef_.orders) {
    std::vector<std::string> values;
    for (const std::string& name : o.range) {
      auto b = resolveBinding(name);
      if (b && b->get) values.push_back(b->get());
    }
    rangeValues_.push_back(std::move(values));
  }
}

void BrowseProcedure::fixRange() {
  if (!view_) return;
  takeRangeValues();
  setOrder(order_);
  refreshList();
}

void BrowseProcedure::setOrder(int index) {
  if (index < 0 || index >= static_cast<int>(bdef_.orders.size())) return;
  order_ = index;
  const SortOrder& o = bdef_.orders[static_cast<size_t>(index)];
  DataFile* f = primaryFile();
  view_->setOrder(o.key.empty() ? -1 : f->def().keyIndex(o.key));
  std::vector<std::function<std::string()>> range;
  if (static_cast<size_t>(index) < rangeValues_.size())
    for (const std::string& v : rangeValues_[static_cast<size_t>(index)])
      range.push_back([v] { return v; });
  view_->setRange(std::move(range));
  std::string err;
  if (!view_->setFilter(o.filter, &err)) errors().raise(40, MessageArgs{f->name(), err, {}, {}});
}

void BrowseProcedure::afterPlacement() {
  if (!table_ || !bdef_.keepFormats) return;
  IniFile& ini = settings();
  ListFormat built{built_};
  std::string origText = ini.read(section(), bdef_.list + ":ORIG", built.text());
  std::string userText = ini.read(section(), bdef_.list + ":USER", built.text());
  // A damaged or foreign entry gives the built format.
  if (!ListFormat::parse(origText, built_, orig_)) orig_ = built;
  if (!ListFormat::parse(userText, built_, user_)) user_ = built;
  applyFormat(user_);
  userShows_ = true;
}

void BrowseProcedure::beforeClose() {
  if (!table_ || !bdef_.keepFormats) return;
  IniFile& ini = settings();
  bool ok = ini.write(section(), bdef_.list + ":ORIG", orig_.text());
  ok = ini.write(section(), bdef_.list + ":USER", shownFormat().text()) && ok;
  if (!ok) ini.reportWriteFailure("The list format could not be saved in " + ini.fileName());
}

void BrowseProcedure::applyFormat(const ListFormat& f) {
  if (!table_ || !model_ || !built()) return;
  model_->setLook(f.columns);
  const DialogUnits& u = built()->units();
  for (size_t i = 0; i < f.columns.size(); ++i) {
    table_->horizontalHeader()->resizeSection(static_cast<int>(i), u.x(f.columns[i].width));
    table_->horizontalHeader()->setSectionResizeMode(
        static_cast<int>(i),
        f.columns[i].resizable ? QHeaderView::Interactive : QHeaderView::Fixed);
  }
  if (frozen_) frozen_->sync();
}

ListFormat BrowseProcedure::shownFormat() const {
  ListFormat f;
  if (!table_ || !model_ || !built()) return f;
  f.columns = model_->columns();
  const DialogUnits& u = built()->units();
  for (size_t i = 0; i < f.columns.size(); ++i)
    f.columns[i].width = u.toDuX(table_->horizontalHeader()->sectionSize(static_cast<int>(i)));
  return f;
}

void BrowseProcedure::toggleFormat() {
  if (!bdef_.keepFormats) return;
  applyFormat(userShows_ ? orig_ : user_);
  userShows_ = !userShows_;
  if (table_) table_->viewport()->update();
}

void BrowseProcedure::report(int rc) {
  if (rc == 0 || rc == ErrNotAvailable || rc == ErrNotFound) return;
  DataFile* f = primaryFile();
  errors().raise(1, MessageArgs{f->name(), errorTextFor(rc), {}, {}});
}

void BrowseProcedure::listMoved() {
  if (!model_) return;
  model_->reload();
  int sel = list_->selected();
  if (sel >= 0) {
    table_->selectRow(sel);
    table_->setCurrentIndex(model_->index(sel, 0));
  }
  syncScrollBar();
  if (listControl_) takeNewSelection(*listControl_);
}

void BrowseProcedure::syncScrollBar() {
  if (!bar_ || !list_) return;
  QSignalBlocker block(bar_);
  bool whole = list_->wholeViewShown();
  bar_->setRange(0, whole ? 0 : kScrollSteps);
  bar_->setEnabled(!whole && (!listControl_ || !listControl_->def().disabled));
  // While dragged the thumb stays under the mouse.
  if (whole || bar_->isSliderDown()) return;
  bar_->setValue(static_cast<int>(std::lround(list_->approxFraction() * kScrollSteps)));
}

// Called before the bar applies the action; setting its value here is what
// it then shows.
void BrowseProcedure::scrollAction(int action) {
  if (!list_ || waitingForCall()) return;
  int rc = 0;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
      rc = list_->nextRecord();
      break;
    case QAbstractSlider::SliderSingleStepSub:
      rc = list_->priorRecord();
      break;
    case QAbstractSlider::SliderPageStepAdd:
      rc = list_->nextPage();
      break;
    case QAbstractSlider::SliderPageStepSub:
      rc = list_->priorPage();
      break;
    case QAbstractSlider::SliderToMinimum:
      rc = list_->first();
      break;
    case QAbstractSlider::SliderToMaximum:
      rc = list_->last();
      break;
    case QAbstractSlider::SliderMove:
      rc = list_->locateFraction(static_cast<double>(bar_->sliderPosition()) / kScrollSteps);
      break;
    default:
      return;
  }
  report(rc);
  listMoved();
}

bool BrowseProcedure::loadHighlighted() {
  const Row* r = list_ ? list_->current() : nullptr;
  if (!r) return false;
  DataFile* f = primaryFile();
  int rc = f->recordFile().fetchPosition(r->position);
  if (rc != 0) {
    errors().raise(1, MessageArgs{f->name(), errorTextFor(rc), {}, {}});
    refreshList();
    return false;
  }
  return true;
}

void BrowseProcedure::refreshList() {
  if (!list_) return;
  list_->setPageSize(pageRows());
  report(list_->refresh());
  listMoved();
}

void BrowseProcedure::afterCall(int response, bool reposition) {
  if (!list_) return;
  DataFile* f = primaryFile();
  if (reposition && response == RequestCompleted) {
    report(list_->showRecord(f->buffer(), f->recordFile().position()));
    listMoved();
  } else {
    refreshList();
  }
}

void BrowseProcedure::insertRecord() {
  DataFile* f = primaryFile();
  f->buffer().clear();
  // A range-limited browse gives the new record the range's values.
  int key = view_->order();
  if (key >= 0 && static_cast<size_t>(order_) < rangeValues_.size()) {
    const KeyDef& k = f->def().keys[static_cast<size_t>(key)];
    const std::vector<std::string>& values = rangeValues_[static_cast<size_t>(order_)];
    for (size_t i = 0; i < values.size() && i < k.components.size(); ++i)
      setValueText(f->buffer(), k.components[i], values[i]);
  }
  if (f->primeRecord(true) != 0) return;
  runUpdate(bdef_.updateNumber, InsertRecord, [this](int r) { afterCall(r, true); });
}

void BrowseProcedure::changeRecord() {
  if (!loadHighlighted()) return;
  runUpdate(bdef_.updateNumber, ChangeRecord, [this](int r) { afterCall(r, true); });
}

void BrowseProcedure::deleteRecord() {
  if (!loadHighlighted()) return;
  runUpdate(bdef_.updateNumber, DeleteRecord, [this](int r) { afterCall(r, false); });
}

void BrowseProcedure::selectRecord() {
  if (!selecting() || !loadHighlighted()) return;
  close(RequestCompleted);
}

void BrowseProcedure::printRecord() {
  // An empty list prints too, from a cleared record: the report finds
  // nothing and says so.
  if (list_ && list_->current()) {
    if (!loadHighlighted()) return;
  } else {
    primaryFile()->buffer().clear();
  }
  runUpdate(bdef_.printNumber, ProcessRecord, [this](int r) { afterCall(r, false); });
}

void BrowseProcedure::showPopup(const QPoint& at) {
  QMenu menu;
  QAction* ins = menu.addAction(QStringLiteral("&Insert"));
  QAction* chg = menu.addAction(QStringLiteral("&Change"));
  QAction* del = menu.addAction(QStringLiteral("&Delete"));
  QAction* sel = selecting() ? menu.addAction(QStringLiteral("&Select")) : nullptr;
  QAction* prn = nullptr;
  for (auto& c : built()->controls())
    if (c->def().role == Role::Print) prn = menu.addAction(QString::fromStdString(c->def().text));
  QAction* got = menu.exec(at);
  if (got == ins)
    insertRecord();
  else if (got == chg)
    changeRecord();
  else if (got == del)
    deleteRecord();
  else if (got && got == sel)
    selectRecord();
  else if (got && got == prn)
    printRecord();
}

bool BrowseProcedure::takeAccepted(Control& c) {
  if (WindowProcedure::takeAccepted(c)) return true;
  switch (c.def().role) {
    case Role::Insert:
      insertRecord();
      return true;
    case Role::Change:
      changeRecord();
      return true;
    case Role::Delete:
      deleteRecord();
      return true;
    case Role::Select:
      selectRecord();
      return true;
    case Role::Print:
      printRecord();
      return true;
    case Role::Close:
      close(RequestCancelled);
      return true;
    case Role::Help:
      requestHelp(name());
      return true;
    default:
      break;
  }
  // An entry locator positions on its accepted text.
  const SortOrder& o = bdef_.orders[static_cast<size_t>(order_)];
  if (o.locator == LocatorKind::Entry && !o.locatorControl.empty() &&
      compareNoCase(c.id(), o.locatorControl) == 0) {
    report(list_->locate(c.screenText()));
    listMoved();
    return true;
  }
  return false;
}

void BrowseProcedure::takeNewSelection(Control& c) {
  WindowProcedure::takeNewSelection(c);
  if (!bdef_.sheet.empty() && compareNoCase(c.id(), bdef_.sheet) == 0) {
    auto* tabs = qobject_cast<QTabWidget*>(c.widget());
    if (!tabs || tabs->currentIndex() == order_) return;
    const Row* cur = list_->current();
    Row keep = cur ? *cur : Row{};
    setOrder(tabs->currentIndex());
    report(cur ? list_->showRecord(keep.record, keep.position) : list_->first());
    listMoved();
  }
}

void BrowseProcedure::navigate(Nav nav) {
  if (!list_) return WindowProcedure::navigate(nav);
  int rc = 0;
  switch (nav) {
    case Nav::First:
      rc = list_->first();
      break;
    case Nav::PriorPage:
      rc = list_->priorPage();
      break;
    case Nav::PriorRecord:
      rc = list_->priorRecord();
      break;
    case Nav::NextRecord:
      rc = list_->nextRecord();
      break;
    case Nav::NextPage:
      rc = list_->nextPage();
      break;
    case Nav::Last:
      rc = list_->last();
      break;
    case Nav::Locate: {
      const SortOrder& o = bdef_.orders[static_cast<size_t>(order_)];
      Control* c = o.locator == LocatorKind::Entry ? control(o.locatorControl) : listControl_;
      if (c) select(*c);
      return;
    }
    case Nav::Select:
      selectRecord();
      return;
    case Nav::Insert:
      insertRecord();
      return;
    case Nav::Change:
      changeRecord();
      return;
    case Nav::Delete:
      deleteRecord();
      return;
    case Nav::Ditto:
      return;
    case Nav::Help:
      requestHelp(name());
      return;
  }
  report(rc);
  listMoved();
}

// A browse without a Close button closes all the same.
bool BrowseProcedure::escape() {
  if (!WindowProcedure::escape()) close(RequestCancelled);
  return true;
}

// A browse opens on its list.
QWidget* BrowseProcedure::firstFocus() const {
  if (table_ && table_->isEnabled() && table_->isVisibleTo(window())) return table_;
  return WindowProcedure::firstFocus();
}

// Another window may have changed the file meanwhile.
void BrowseProcedure::broughtForward() { refreshList(); }

bool BrowseProcedure::takeKey(int key, int modifiers) {
  if (WindowProcedure::takeKey(key, modifiers)) return true;
  if (key == Qt::Key_F9 && bdef_.keepFormats) {
    toggleFormat();
    return true;
  }
  return false;
}

bool BrowseProcedure::filterEvent(QObject* watched, QEvent* event) {
  if (bar_ && watched == bar_ && event->type() == QEvent::Wheel) {
    // The wheel over the bar moves records, as over the list.
    return filterEvent(table_, event);
  }
  if (table_ && (watched == table_ || watched == viewport_)) {
    if (event->type() == QEvent::Resize && watched == viewport_ && list_) {
      int rows = pageRows();
      if (rows != list_->pageSize()) refreshList();
    } else if (event->type() == QEvent::Wheel) {
      auto* w = static_cast<QWheelEvent*>(event);
      for (int i = 0; i < 3; ++i)
        report(w->angleDelta().y() < 0 ? list_->nextRecord() : list_->priorRecord());
      listMoved();
      return true;
    } else if (event->type() == QEvent::KeyPress && watched == table_) {
      auto* k = static_cast<QKeyEvent*>(event);
      bool ctrl = k->modifiers() & Qt::ControlModifier;
      std::optional<Nav> nav;
      switch (k->key()) {
        case Qt::Key_Down:
          nav = Nav::NextRecord;
          break;
        case Qt::Key_Up:
          nav = Nav::PriorRecord;
          break;
        case Qt::Key_PageDown:
          nav = ctrl ? Nav::Last : Nav::NextPage;
          break;
        case Qt::Key_PageUp:
          nav = ctrl ? Nav::First : Nav::PriorPage;
          break;
        case Qt::Key_Home:
          nav = Nav::First;
          break;
        case Qt::Key_End:
          nav = Nav::Last;
          break;
        case Qt::Key_Insert:
          nav = Nav::Insert;
          break;
        case Qt::Key_Delete:
          nav = Nav::Delete;
          break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
          nav = selecting() ? Nav::Select : Nav::Change;
          break;
        default:
          break;
      }
      if (nav) {
        navigate(*nav);
        return true;
      }
      const SortOrder& o = bdef_.orders[static_cast<size_t>(order_)];
      QString t = k->text();
      if (o.locator == LocatorKind::Step && t.size() == 1 && t[0].isPrint() && !ctrl) {
        report(list_->locate(t.toStdString()));
        listMoved();
        return true;
      }
    }
  }
  return WindowProcedure::filterEvent(watched, event);
}

void BrowseProcedure::refreshAllOf(const std::string& fileLabel) {
  for (int thread : runningThreads()) {
    auto* b = dynamic_cast<BrowseProcedure*>(topProcedure(thread));
    if (b && b->primaryFile() && b->primaryFile()->def().label == fileLabel)
      b->inScope([b] { b->refreshList(); });
  }
}

}  // namespace qm
