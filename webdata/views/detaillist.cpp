#include "webdata/views/detaillist.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTableView>
#include <QWheelEvent>

#include "runtime/config/errors.h"
#include "runtime/store/store.h"
#include "runtime/ui/browse.h"
#include "runtime/ui/datafile.h"
#include "runtime/ui/listmodel.h"
#include "runtime/ui/window.h"
#include "runtime/values/picture.h"
#include "runtime/values/text.h"

namespace qm::webviews {

DetailList::DetailList(WindowProcedure& owner, Control& list, DataFile& file,
                       const std::string& key, std::function<std::string()> parentValue,
                       bool stepLocator)
    : QObject(&owner), owner_(owner), file_(file), step_(stepLocator), control_(list) {
  DataFile* f = &file_;
  view_ = std::make_unique<RecordView>([f]() -> RecordFile& { return f->recordFile(); });
  view_->setOrder(file_.def().keyIndex(key));
  view_->setRange({std::move(parentValue)});
  list_ = std::make_unique<PagedList>(*view_);
  table_ = qobject_cast<QTableView*>(list.widget());
  if (!table_) return;
  model_ = new RecordListModel(*list_, false, table_);
  model_->setColumns(list.def().columns, file_.def());
  table_->setModel(model_);
  table_->setContextMenuPolicy(Qt::NoContextMenu);
  const DialogUnits& u = owner.built()->units();
  for (size_t i = 0; i < list.def().columns.size(); ++i)
    table_->horizontalHeader()->resizeSection(static_cast<int>(i),
                                              u.x(list.def().columns[i].width));
  viewport_ = table_->viewport();
  const auto filter = [this](QObject* w, QEvent* e) { return this->filter(w, e); };
  owner_.watchInScope(table_, filter);
  owner_.watchInScope(viewport_, filter);
  owner_.connectInScope(table_, &QTableView::clicked,
                        [this](const QModelIndex& i) { list_->setSelected(i.row()); });
  owner_.connectInScope(table_, &QTableView::doubleClicked, [this](const QModelIndex& i) {
    list_->setSelected(i.row());
    if (activated) activated();
  });
  if (QScrollBar* bar = list.scrollBar()) {
    bar->setRange(0, 2);
    bar->setValue(1);
    owner_.connectInScope(bar, &QAbstractSlider::actionTriggered, [this](int a) { scroll(a); });
  }
}

DetailList::~DetailList() = default;

int DetailList::pageRows() const {
  if (!table_) return 1;
  int rowH = table_->verticalHeader()->defaultSectionSize();
  int h = table_->viewport()->height();
  if (!table_->isVisible())
    h = owner_.built()->units().y(control_.def().h) -
        table_->horizontalHeader()->sizeHint().height();
  return std::max(1, rowH > 0 ? h / rowH : 1);
}

void DetailList::moved(int rc) {
  if (rc != 0 && rc != ErrNotAvailable && rc != ErrNotFound)
    errors().raise(1, MessageArgs{file_.name(), errorTextFor(rc), {}, {}});
  if (!model_) return;
  model_->reload();
  if (int sel = list_->selected(); sel >= 0) {
    table_->selectRow(sel);
    table_->setCurrentIndex(model_->index(sel, 0));
  }
  if (QScrollBar* bar = control_.scrollBar()) {
    QSignalBlocker block(bar);
    bool whole = list_->wholeViewShown();
    bar->setEnabled(!whole);
    bar->setValue(!list_->hasBefore() ? 0 : (!list_->hasAfter() ? 2 : 1));
  }
}

void DetailList::first() {
  list_->setPageSize(pageRows());
  moved(list_->first());
}

void DetailList::refresh() {
  list_->setPageSize(pageRows());
  moved(list_->refresh());
}

bool DetailList::loadHighlighted() {
  const Row* r = list_->current();
  if (!r) return false;
  int rc = file_.recordFile().fetchPosition(r->position);
  if (rc != 0) {
    errors().raise(1, MessageArgs{file_.name(), errorTextFor(rc), {}, {}});
    refresh();
    return false;
  }
  return true;
}

void DetailList::scroll(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
      moved(list_->nextRecord());
      break;
    case QAbstractSlider::SliderSingleStepSub:
      moved(list_->priorRecord());
      break;
    case QAbstractSlider::SliderPageStepAdd:
      moved(list_->nextPage());
      break;
    case QAbstractSlider::SliderPageStepSub:
      moved(list_->priorPage());
      break;
    case QAbstractSlider::SliderToMinimum:
      moved(list_->first());
      break;
    case QAbstractSlider::SliderToMaximum:
      moved(list_->last());
      break;
    default:
      moved(0);
      break;
  }
}

bool DetailList::filter(QObject* watched, QEvent* event) {
  if (!table_) return false;
  if (watched == viewport_) {
    if (event->type() == QEvent::Resize && pageRows() != list_->pageSize()) refresh();
    if (event->type() == QEvent::Wheel) {
      bool down = static_cast<QWheelEvent*>(event)->angleDelta().y() < 0;
      scroll(down ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub);
      return true;
    }
    return false;
  }
  if (watched != table_ || event->type() != QEvent::KeyPress) return false;
  auto* k = static_cast<QKeyEvent*>(event);
  const bool ctrl = k->modifiers() & Qt::ControlModifier;
  int rc = -1;
  switch (k->key()) {
    case Qt::Key_Down:
      rc = list_->nextRecord();
      break;
    case Qt::Key_Up:
      rc = list_->priorRecord();
      break;
    case Qt::Key_PageDown:
      rc = ctrl ? list_->last() : list_->nextPage();
      break;
    case Qt::Key_PageUp:
      rc = ctrl ? list_->first() : list_->priorPage();
      break;
    case Qt::Key_Home:
      rc = list_->first();
      break;
    case Qt::Key_End:
      rc = list_->last();
      break;
    default: {
      QString t = k->text();
      if (step_ && t.size() == 1 && t[0].isPrint() && !ctrl) rc = list_->locate(t.toStdString());
    }
  }
  if (rc >= 0) {
    moved(rc);
    return true;
  }
  if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
    if (activated) activated();
    return true;
  }
  return false;
}

}  // namespace qm::webviews
