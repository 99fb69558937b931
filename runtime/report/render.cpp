#include "runtime/report/render.h"

#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "runtime/report/fontmap.h"

namespace qm {

namespace {

constexpr int PenWidth = 10;  // lines and frames, 1/100 inch
constexpr const char* PagesUnreadable =
    "Some pages of the report could not be read back from its temporary file.";

int alignFlags(Align a) {
  switch (a) {
    case Align::Center:
      return Qt::AlignHCenter;
    case Align::Right:
      return Qt::AlignRight;
    case Align::Left:
      break;
  }
  return Qt::AlignLeft;
}

// Qt's PDF output takes and frees buffers of several megabytes for every
// page; glibc would hand them back to the system and fault them in again
// each time, which triples the time of a long report. Keeping some room at
// the top of the heap stops that.
void keepPageBuffers() {
#ifdef __GLIBC__
  static const bool kept = mallopt(M_MMAP_THRESHOLD, 32 << 20) &&
                           mallopt(M_TRIM_THRESHOLD, 256 << 20) && mallopt(M_TOP_PAD, 64 << 20);
  (void)kept;
#endif
}

// Page numbers to 0-based indexes, dropping those outside the model.
std::vector<int> pageIndexes(const PageModel& model, const std::vector<int>& pages) {
  std::vector<int> out;
  if (pages.empty()) {
    for (int i = 0; i < model.pageCount(); ++i) out.push_back(i);
    return out;
  }
  for (int p : pages)
    if (p >= 1 && p <= model.pageCount()) out.push_back(p - 1);
  return out;
}

}  // namespace

QFont reportFont(const FontSpec& spec) {
  QFont f = mappedFont(spec.name, 0, spec.bold, spec.italic);
  // Sized in the model's units so that measuring and drawing agree on any device.
  f.setPixelSize(std::max(1, static_cast<int>(std::lround(spec.size * 1000.0 / 72.0))));
  f.setHintingPreference(QFont::PreferNoHinting);
  // Widths then add up character by character, so measuring stays cheap.
  f.setKerning(false);
  return f;
}

QString toQString(std::string_view bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QString s = utf8(view);
  if (!utf8.hasError()) return s;
  return QString::fromLatin1(view);
}

void drawPage(QPainter& painter, const PageModel& model, int index) {
  const Page& page = model.pages.at(static_cast<std::size_t>(index));
  painter.save();
  QPen pen(Qt::black);
  pen.setWidth(PenWidth);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  int currentFont = -1;
  auto useFont = [&](int font) {
    if (font == currentFont || font < 0 || font >= static_cast<int>(model.fonts.size())) return;
    painter.setFont(reportFont(model.fonts[static_cast<std::size_t>(font)]));
    currentFont = font;
  };
  for (const PageItem& it : page.items) {
    switch (it.kind) {
      case ItemKind::Text: {
        if (it.text.empty()) break;
        useFont(it.font);
        const double h = it.h > 0 ? it.h : painter.fontMetrics().height();
        const double w = it.w > 0 ? it.w : 1e6;
        painter.drawText(QRectF(it.x, it.y, w, h),
                         alignFlags(it.align) | Qt::AlignTop | Qt::TextSingleLine,
                         toQString(it.text));
        break;
      }
      case ItemKind::Line:
        painter.drawLine(QPointF(it.x, it.y), QPointF(it.x + it.w, it.y + it.h));
        break;
      case ItemKind::Box:
        painter.drawRect(QRectF(it.x, it.y, it.w, it.h));
        break;
      case ItemKind::CheckBox: {
        const QRectF box(it.x, it.y + 20, CheckSide, CheckSide);
        painter.drawRect(box);
        if (it.checked) {
          painter.drawLine(box.topLeft() + QPointF(20, 55), box.topLeft() + QPointF(45, 90));
          painter.drawLine(box.topLeft() + QPointF(45, 90), box.topLeft() + QPointF(95, 15));
        }
        if (!it.text.empty()) {
          useFont(it.font);
          const double h = it.h > 0 ? it.h : painter.fontMetrics().height();
          const double w = it.w > CheckSide + CheckGap ? it.w - CheckSide - CheckGap : 1e6;
          painter.drawText(QRectF(it.x + CheckSide + CheckGap, it.y, w, h),
                           Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, toQString(it.text));
        }
        break;
      }
      case ItemKind::Image:
        if (it.image >= 0 && it.image < static_cast<int>(model.images.size()))
          painter.drawImage(QRectF(it.x, it.y, it.w, it.h),
                            model.images[static_cast<std::size_t>(it.image)]);
        break;
    }
  }
  painter.restore();
}

bool writePdf(const PageModel& model, const std::string& fileName, std::string* error,
              const std::vector<int>& pages) {
  const std::vector<int> indexes = pageIndexes(model, pages);
  if (indexes.empty()) {
    if (error) *error = "There are no pages to write.";
    return false;
  }
  const QString name = QString::fromStdString(fileName);
  {
    // QPdfWriter says nothing when it cannot create the file: try it first.
    QFile probe(name);
    if (!probe.open(QIODevice::WriteOnly)) {
      if (error) *error = "Could not write " + fileName + ": " + probe.errorString().toStdString();
      return false;
    }
  }
  keepPageBuffers();
  QPdfWriter writer(name);
  writer.setResolution(1000);
  writer.setPageSize(
      QPageSize(QSizeF(model.paper.width / 1000.0, model.paper.height / 1000.0), QPageSize::Inch));
  writer.setPageMargins(QMarginsF(0, 0, 0, 0));
  QPainter painter;
  if (!painter.begin(&writer)) {
    if (error) *error = "Could not write " + fileName;
    return false;
  }
  for (std::size_t i = 0; i < indexes.size(); ++i) {
    if (i > 0) writer.newPage();
    drawPage(painter, model, indexes[i]);
  }
  if (!painter.end()) {
    if (error) *error = "Could not finish " + fileName;
    return false;
  }
  if (model.pages.failed()) {
    if (error) *error = PagesUnreadable;
    return false;
  }
  if (QFile(name).size() <= 0) {
    if (error) *error = "Could not write " + fileName;
    return false;
  }
  return true;
}

bool printPages(const PageModel& model, QPrinter& printer, std::string* error,
                const std::vector<int>& pages) {
  const std::vector<int> indexes = pageIndexes(model, pages);
  if (indexes.empty()) {
    if (error) *error = "There are no pages to print.";
    return false;
  }
  keepPageBuffers();
  printer.setFullPage(true);
  QPainter painter;
  if (!painter.begin(&printer)) {
    if (error) *error = "The printer could not be started.";
    return false;
  }
  const double scale = printer.resolution() / 1000.0;
  for (std::size_t i = 0; i < indexes.size(); ++i) {
    if (i > 0 && !printer.newPage()) {
      painter.end();
      if (error) *error = "The printer stopped at page " + std::to_string(indexes[i] + 1) + ".";
      return false;
    }
    painter.save();
    painter.scale(scale, scale);
    drawPage(painter, model, indexes[i]);
    painter.restore();
  }
  painter.end();
  if (model.pages.failed()) {
    if (error) *error = PagesUnreadable;
    return false;
  }
  return true;
}

}  // namespace qm
