#include "runtime/ui/frozencolumns.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

namespace qm {

FrozenColumns::FrozenColumns(QTableView* table, int count)
    : QObject(table), table_(table), frozen_(new QTableView(table)), count_(count) {
  frozen_->setObjectName(QStringLiteral("qmFrozenColumns"));
  frozen_->setModel(table->model());
  frozen_->setSelectionModel(table->selectionModel());
  frozen_->setSelectionBehavior(table->selectionBehavior());
  frozen_->setSelectionMode(table->selectionMode());
  frozen_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  frozen_->setFocusPolicy(Qt::NoFocus);  // the list keeps the keyboard
  frozen_->setTabKeyNavigation(false);
  frozen_->setContextMenuPolicy(Qt::CustomContextMenu);
  frozen_->verticalHeader()->hide();
  frozen_->setFrameShape(QFrame::NoFrame);
  frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->horizontalHeader()->setStretchLastSection(false);
  frozen_->horizontalHeader()->setSectionsMovable(false);
  // Scrolled by pixels, the list slides its other columns under the overlay.
  table->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  table->viewport()->stackUnder(frozen_);

  QHeaderView* mine = frozen_->horizontalHeader();
  QHeaderView* theirs = table->horizontalHeader();
  connect(theirs, &QHeaderView::sectionResized, this, [this](int i, int, int size) {
    if (i < count_) frozen_->horizontalHeader()->resizeSection(i, size);
    place();
  });
  // Resizing a frozen column with the mouse resizes the list's column.
  connect(mine, &QHeaderView::sectionResized, this, [this](int i, int, int size) {
    if (i < count_) table_->horizontalHeader()->resizeSection(i, size);
  });
  connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, table->verticalScrollBar(),
          &QAbstractSlider::setValue);
  connect(table->verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(),
          &QAbstractSlider::setValue);
  // Clicks, double-clicks and the popup menu act as on the list.
  connect(frozen_, &QAbstractItemView::clicked, table, &QAbstractItemView::clicked);
  connect(frozen_, &QAbstractItemView::doubleClicked, table, &QAbstractItemView::doubleClicked);
  connect(frozen_, &QWidget::customContextMenuRequested, table,
          &QWidget::customContextMenuRequested);
  connect(table->model(), &QAbstractItemModel::modelReset, this, [this] { sync(); });
  table->installEventFilter(this);
  frozen_->viewport()->installEventFilter(this);
  sync();
  frozen_->show();
}

void FrozenColumns::sync() {
  QHeaderView* mine = frozen_->horizontalHeader();
  QHeaderView* theirs = table_->horizontalHeader();
  for (int c = 0; c < theirs->count(); ++c) {
    frozen_->setColumnHidden(c, c >= count_);
    if (c < count_) {
      mine->setSectionResizeMode(c, theirs->sectionResizeMode(c));
      mine->resizeSection(c, theirs->sectionSize(c));
    }
  }
  frozen_->verticalHeader()->setDefaultSectionSize(table_->verticalHeader()->defaultSectionSize());
  frozen_->verticalHeader()->setMinimumSectionSize(table_->verticalHeader()->minimumSectionSize());
  place();
}

void FrozenColumns::place() {
  int w = 0;
  for (int c = 0; c < count_ && c < table_->horizontalHeader()->count(); ++c)
    w += table_->horizontalHeader()->sectionSize(c);
  const int f = table_->frameWidth();
  w = std::min(w, table_->viewport()->width());
  frozen_->horizontalHeader()->setFixedHeight(table_->horizontalHeader()->height());
  frozen_->setGeometry(f, f, w,
                       table_->horizontalHeader()->height() + table_->viewport()->height());
}

bool FrozenColumns::eventFilter(QObject* watched, QEvent* event) {
  if (watched == table_ &&
      (event->type() == QEvent::Resize || event->type() == QEvent::LayoutRequest))
    place();
  if (watched == frozen_->viewport() && event->type() == QEvent::Wheel) {
    // The wheel moves the list, as over its own rows.
    QCoreApplication::sendEvent(table_->viewport(), event);
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace qm
