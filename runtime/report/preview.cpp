#include "runtime/report/preview.h"

#include <QAbstractListModel>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>

#include "runtime/config/messages.h"
#include "runtime/config/settings.h"
#include "runtime/report/placement.h"
#include "runtime/report/printer.h"
#include "runtime/report/render.h"

namespace qm {

class PageView : public QWidget {
 public:
  explicit PageView(PreviewWindow* owner) : QWidget(owner), owner_(owner) {}
  const PageModel* model = nullptr;
  int page = 0;  // 0-based

  QSize pageSize() const {
    const double s = owner_->scale();
    return {static_cast<int>(model->paper.width * s), static_cast<int>(model->paper.height * s)};
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), QColor(128, 128, 128));
    if (!model || page < 0 || page >= model->pageCount()) return;
    const QSize size = pageSize();
    const QPoint at((width() - size.width()) / 2, Margin);
    p.fillRect(QRect(at, size), Qt::white);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(at);
    const double s = owner_->scale();
    p.scale(s, s);
    p.setClipRect(QRectF(0, 0, model->paper.width, model->paper.height));
    drawPage(p, *model, page);
  }

 public:
  static constexpr int Margin = 12;

 private:
  PreviewWindow* owner_;
};

// The page list: a row and a tick per page, growing while the report reads.
class PageTicks : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  void grow(int pages) {
    const int rows = static_cast<int>(ticked_.size());
    if (pages <= rows) return;
    beginInsertRows({}, rows, pages - 1);
    ticked_.resize(static_cast<std::size_t>(pages), 1);
    endInsertRows();
  }
  bool ticked(int row) const { return ticked_.at(static_cast<std::size_t>(row)) != 0; }
  void setTicked(int row, bool on) {
    if (row < 0 || row >= rowCount()) return;
    ticked_[static_cast<std::size_t>(row)] = on ? 1 : 0;
    const QModelIndex i = index(row);
    emit dataChanged(i, i, {Qt::CheckStateRole});
  }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(ticked_.size());
  }
  QVariant data(const QModelIndex& i, int role) const override {
    if (!i.isValid() || i.row() >= rowCount()) return {};
    if (role == Qt::DisplayRole) return QStringLiteral("Page %1").arg(i.row() + 1);
    if (role == Qt::CheckStateRole) return ticked(i.row()) ? Qt::Checked : Qt::Unchecked;
    return {};
  }
  Qt::ItemFlags flags(const QModelIndex& i) const override {
    return QAbstractListModel::flags(i) | Qt::ItemIsUserCheckable;
  }
  bool setData(const QModelIndex& i, const QVariant& value, int role) override {
    if (role != Qt::CheckStateRole || !i.isValid()) return false;
    setTicked(i.row(), value.toInt() == Qt::Checked);
    return true;
  }

 private:
  std::vector<char> ticked_;  // a byte a page: a million pages stay small
};

namespace {

// How often the preview looks for pages the report has added.
constexpr int GrowthCheckMs = 200;

struct ZoomChoice {
  const char* label;
  int zoom;
};
constexpr ZoomChoice kZooms[] = {
    {"Whole Page", PreviewWindow::WholePage},
    {"Page Width", PreviewWindow::PageWidth},
    {"50%", 50},
    {"75%", 75},
    {"100%", 100},
    {"150%", 150},
    {"200%", 200},
};

}  // namespace

PreviewWindow::PreviewWindow(std::shared_ptr<const PageModel> model, QWidget* parent)
    : QWidget(parent), model_(std::move(model)) {
  setWindowTitle(QStringLiteral("Print Preview"));
  resize(800, 900);

  auto* bar = new QHBoxLayout;
  auto button = [&](const char* text, auto slot) {
    auto* b = new QPushButton(QString::fromUtf8(text), this);
    connect(b, &QPushButton::clicked, this, slot);
    bar->addWidget(b);
    return b;
  };
  button("|<", [this] { showPage(1); });
  button("<", [this] { showPage(current_ - 1); });
  button(">", [this] { showPage(current_ + 1); });
  button(">|", [this] { showPage(pageCount()); });
  button("&Go To Page...", [this] { jumpToPage(); });
  zoomBox_ = new QComboBox(this);
  for (const auto& z : kZooms) zoomBox_->addItem(QString::fromUtf8(z.label), z.zoom);
  connect(zoomBox_, &QComboBox::activated, this,
          [this](int i) { setZoom(zoomBox_->itemData(i).toInt()); });
  bar->addWidget(zoomBox_);
  printButton_ = button("&Print...", [this] { print(); });
  pdfButton_ = button("&Save as PDF...", [this] { saveAsPdf(); });
  button("&Close", [this] { close(); });
  pageLabel_ = new QLabel(this);
  bar->addStretch();
  bar->addWidget(pageLabel_);

  ticks_ = new PageTicks(this);
  ticks_->grow(pageCount());
  pages_ = new QListView(this);
  pages_->setUniformItemSizes(true);
  pages_->setModel(ticks_);
  pages_->setMaximumWidth(120);
  connect(pages_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& row) {
            if (row.isValid()) showPage(row.row() + 1);
          });
  growth_ = new QTimer(this);
  growth_->setInterval(GrowthCheckMs);
  connect(growth_, &QTimer::timeout, this, [this] { pagesAdded(); });
  if (model_ && !model_->complete) growth_->start();

  view_ = new PageView(this);
  view_->model = model_.get();
  scroll_ = new QScrollArea(this);
  scroll_->setWidget(view_);
  scroll_->setWidgetResizable(false);
  scroll_->setAlignment(Qt::AlignHCenter);
  // A fitted page never makes the bar come and go, which would refit it again.
  scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // The fitting zooms follow the room the laid-out window gives the page.
  scroll_->viewport()->installEventFilter(this);

  auto* body = new QHBoxLayout;
  body->addWidget(pages_);
  body->addWidget(scroll_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(bar);
  layout->addLayout(body, 1);

  askPageNumber = [this](const QString& prompt, int count) -> std::optional<int> {
    bool ok = false;
    const int n = QInputDialog::getInt(this, QStringLiteral("Go To Page"), prompt, current_, 1,
                                       count, 1, &ok);
    if (!ok) return std::nullopt;
    return n;
  };
  askPdfFileName = [this] {
    return QFileDialog::getSaveFileName(this, QStringLiteral("Save as PDF"), QString(),
                                        QStringLiteral("PDF files (*.pdf)"));
  };
  restorePlacement(*this, PreviewSection, true);
  setZoom(savedZoom());
}

PreviewWindow::~PreviewWindow() = default;

int PreviewWindow::pageCount() const { return model_ ? model_->pageCount() : 0; }

void PreviewWindow::showPage(int page) {
  current_ = std::clamp(page, 1, std::max(1, pageCount()));
  refresh();
}

int PreviewWindow::savedZoom() {
  const std::string text = settings().read(PreviewSection, ZoomEntry, "");
  int zoom = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), zoom);
  const bool whole = ec == std::errc{} && end == text.data() + text.size();
  if (whole && (zoom == WholePage || zoom == PageWidth || (zoom >= MinZoom && zoom <= MaxZoom)))
    return zoom;
  return PageWidth;
}

void PreviewWindow::setZoom(int zoom) {
  if (zoom == 0 || zoom < PageWidth) zoom = WholePage;
  zoom_ = zoom;
  for (int i = 0; i < zoomBox_->count(); ++i)
    if (zoomBox_->itemData(i).toInt() == zoom) zoomBox_->setCurrentIndex(i);
  refresh();
}

double PreviewWindow::scale() const {
  const double perInch = logicalDpiX() / 1000.0;
  if (zoom_ > 0) return perInch * zoom_ / 100.0;
  const QSize room =
      scroll_->viewport()->size() - QSize(2 * PageView::Margin, 2 * PageView::Margin);
  const double w = std::max(1, room.width()) / static_cast<double>(model_->paper.width);
  const double h = std::max(1, room.height()) / static_cast<double>(model_->paper.height);
  return zoom_ == PageWidth ? w : std::min(w, h);
}

std::vector<int> PreviewWindow::selectedPages() const {
  std::vector<int> out;
  for (int i = 0; i < ticks_->rowCount(); ++i)
    if (ticks_->ticked(i)) out.push_back(i + 1);
  return out;
}

void PreviewWindow::setPageSelected(int page, bool selected) {
  ticks_->setTicked(page - 1, selected);
}

void PreviewWindow::jumpToPage() {
  const int count = pageCount();
  if (count < 1 || !askPageNumber) return;
  const auto n = askPageNumber(
      QStringLiteral("Enter a page number from 1 to ") + QString::number(count), count);
  if (n && *n >= 1 && *n <= count) showPage(*n);
}

bool PreviewWindow::saveAsPdf() {
  if (!complete() || !askPdfFileName) return false;
  const QString name = askPdfFileName();
  if (name.isEmpty()) return false;
  const std::vector<int> chosen = selectedPages();
  if (chosen.empty()) {
    message("No page is selected.", "Save as PDF", MsgIcon::Exclamation);
    return false;
  }
  std::string error;
  if (!writePdf(*model_, name.toStdString(), &error, chosen)) {
    message(error, "Save as PDF", MsgIcon::Stop);
    return false;
  }
  return true;
}

void PreviewWindow::print() {
  if (!complete()) return;
  const std::vector<int> chosen = selectedPages();
  if (chosen.empty()) {
    message("No page is selected.", "Print", MsgIcon::Exclamation);
    return;
  }
  QPrinter& printer = reportPrinter();
  QPrintDialog dialog(&printer, this);
  dialog.setMinMax(1, pageCount());
  if (dialog.exec() != QDialog::Accepted) return;
  std::vector<int> pages = chosen;
  if (printer.printRange() == QPrinter::PageRange) {
    const int from = printer.fromPage(), to = printer.toPage();
    std::erase_if(pages, [&](int p) { return p < from || p > to; });
  }
  std::string error;
  if (!printPages(*model_, printer, &error, pages)) message(error, "Print", MsgIcon::Stop);
}

void PreviewWindow::refresh() {
  if (!model_) return;
  view_->page = current_ - 1;
  const QSize size = view_->pageSize();
  view_->resize(std::max(size.width() + 2 * PageView::Margin, scroll_->viewport()->width()),
                size.height() + 2 * PageView::Margin);
  view_->update();
  // "..." while the report is still adding pages.
  pageLabel_->setText(QStringLiteral("Page %1 of %2%3")
                          .arg(current_)
                          .arg(pageCount())
                          .arg(complete() ? QString() : QStringLiteral("...")));
  printButton_->setEnabled(complete());
  pdfButton_->setEnabled(complete());
  if (pages_->currentIndex().row() != current_ - 1) {
    const QSignalBlocker block(pages_->selectionModel());
    pages_->setCurrentIndex(ticks_->index(current_ - 1));
  }
}

bool PreviewWindow::complete() const { return !model_ || model_->complete; }

void PreviewWindow::pagesAdded() {
  const bool done = complete();
  if (done) growth_->stop();
  if (!done && pageCount() == ticks_->rowCount()) return;
  ticks_->grow(pageCount());
  refresh();
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::Resize && watched == scroll_->viewport() && zoom_ < 0) refresh();
  return QWidget::eventFilter(watched, e);
}

void PreviewWindow::closeEvent(QCloseEvent* e) {
  // A failure here is the settings file's, which the placement below reports.
  settings().write(PreviewSection, ZoomEntry, std::to_string(zoom_));
  savePlacement(*this, PreviewSection, true);
  QWidget::closeEvent(e);
  if (!closed_) {
    closed_ = true;
    if (onClosed_) onClosed_();
  }
}

void PreviewWindow::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_PageDown:
      showPage(current_ + 1);
      return;
    case Qt::Key_PageUp:
      showPage(current_ - 1);
      return;
    case Qt::Key_Home:
      showPage(1);
      return;
    case Qt::Key_End:
      showPage(pageCount());
      return;
    case Qt::Key_Escape:
      close();
      return;  // as the Close button
    default:
      QWidget::keyPressEvent(e);
  }
}

namespace {

PreviewOpener& opener() {
  static PreviewOpener o;
  return o;
}

}  // namespace

void setPreviewOpener(PreviewOpener o) { opener() = std::move(o); }

QWidget* openPreview(std::shared_ptr<const PageModel> pages, std::function<void()> closed) {
  if (opener()) {
    opener()(std::move(pages), std::move(closed));
    return nullptr;
  }
  auto* w = new PreviewWindow(std::move(pages));
  w->setAttribute(Qt::WA_DeleteOnClose);
  w->onClosed(std::move(closed));
  w->show();
  return w;
}

}  // namespace qm
