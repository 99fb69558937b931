#include "runtime/report/engine.h"

#include <QImageReader>
#include <algorithm>
#include <utility>

#include "runtime/report/render.h"
#include "runtime/values/clock.h"
#include "runtime/values/picture.h"
#include "runtime/values/text.h"

namespace qm {

namespace {

void fillDateStamp(Band& band, const std::string& date) {
  for (auto& c : band.controls)
    if (c.kind == ControlKind::Text && !c.value && c.text == DateStampText) c.text = date;
}

std::string rightTrimmed(std::string s) {
  s.resize(clip(s).size());
  return s;
}

}  // namespace

// The picture blanks the places of leading zeros; the page shows "Page", one
// blank and the number.
std::string squeezeBlanks(std::string s) {
  std::string out;
  out.reserve(s.size());
  for (char ch : s)
    if (ch != ' ' || out.empty() || out.back() != ' ') out.push_back(ch);
  return out;
}

std::string controlText(const ReportControl& c, int page) {
  if (c.pageNumber) return rightTrimmed(squeezeBlanks(formatNumber(c.picture, page)));
  if (!c.value) return c.text;
  std::string raw = c.value();
  if (c.picture.empty()) return rightTrimmed(std::move(raw));
  std::string shown = rightTrimmed(formatAny(c.picture, raw));
  // Values come padded to the picture's width; the control's alignment places them.
  shown.erase(0, shown.find_first_not_of(' '));
  return shown;
}

ReportEngine::ReportEngine(ReportLayout layout, PaperSize paper)
    : layout_(std::move(layout)), model_(std::make_shared<PageModel>()) {
  model_->paper = paper;
}

ReportEngine::~ReportEngine() = default;

void ReportEngine::open() {
  const PaperSize paper = model_->paper;
  // A preview may still show the last run's model: this run gets its own.
  model_ = std::make_shared<PageModel>();
  model_->paper = paper;
  model_->complete = false;
  page_.items.clear();
  fontCache_.clear();
  imageCache_.clear();
  pageOpen_ = false;
  bandsOnPage_ = 0;
  const std::string date = formatDate(DateStampPicture, today());
  fillDateStamp(layout_.header, date);
  fillDateStamp(layout_.detail, date);
  fillDateStamp(layout_.footer, date);
}

void ReportEngine::printDetail() { printBand(layout_.detail); }

void ReportEngine::printBand(const Band& band) {
  const Area& area = layout_.detailArea;
  // A band taller than a whole page still prints, alone on its page, rather
  // than pushing pages out for ever.
  if (pageOpen_ && bandsOnPage_ > 0 && cursor_ + band.h > area.y + area.h) endPage();
  if (!pageOpen_) startPage();
  emitBand(band, area.x, cursor_, band.w > 0 ? band.w : area.w);
  cursor_ += band.h;
  ++bandsOnPage_;
}

void ReportEngine::close() {
  if (pageOpen_) endPage();
  model_->complete = true;
}

PageModel ReportEngine::takeModel() {
  PageModel out = std::move(*model_);
  model_ = std::make_shared<PageModel>();
  model_->paper = out.paper;
  pageOpen_ = false;
  return out;
}

void ReportEngine::startPage() {
  page_.items.clear();
  pageOpen_ = true;
  bandsOnPage_ = 0;
  cursor_ = layout_.detailArea.y;
  const Band& h = layout_.header;
  if (!h.controls.empty()) emitBand(h, h.x, h.y, h.w);
}

void ReportEngine::endPage() {
  const Band& f = layout_.footer;
  if (!f.controls.empty()) emitBand(f, f.x, f.y, f.w);
  model_->pages.push_back(page_);
  page_.items.clear();
  pageOpen_ = false;
}

void ReportEngine::emitBand(const Band& band, int ox, int oy, int bandWidth) {
  for (const auto& c : band.controls) emitControl(c, ox, oy, bandWidth, band.h);
}

void ReportEngine::emitControl(const ReportControl& c, int ox, int oy, int bandWidth,
                               int bandHeight) {
  Page& page = page_;
  const int x = ox + c.x;
  const int y = oy + c.y;
  switch (c.kind) {
    case ControlKind::Line:
    case ControlKind::Box: {
      PageItem it;
      it.kind = c.kind == ControlKind::Line ? ItemKind::Line : ItemKind::Box;
      it.x = x, it.y = y, it.w = c.w, it.h = c.h;
      page.items.push_back(std::move(it));
      return;
    }
    case ControlKind::CheckBox: {
      PageItem it;
      it.kind = ItemKind::CheckBox;
      it.x = x, it.y = y, it.w = c.w, it.h = c.h;
      it.font = fontIndex(c.font.value_or(layout_.font));
      it.text = c.text;
      it.checked = c.value && textEqual(c.value(), c.trueValue);
      page.items.push_back(std::move(it));
      return;
    }
    case ControlKind::Memo: {
      const int font = fontIndex(c.font.value_or(layout_.font));
      emitMemo(c, x, y, font, c.value ? c.value() : c.text);
      return;
    }
    case ControlKind::Image: {
      emitImage(c, x, y, bandWidth > 0 ? bandWidth - c.x : 0,
                bandHeight > 0 ? bandHeight - c.y : 0);
      return;
    }
    case ControlKind::Text: {
      PageItem it;
      it.kind = ItemKind::Text;
      it.x = x, it.y = y, it.w = c.w, it.h = c.h;
      it.align = c.align;
      it.font = fontIndex(c.font.value_or(layout_.font));
      it.text = fitText(it.font, controlText(c, pageNumber()), c.w);
      page.items.push_back(std::move(it));
      return;
    }
  }
}

int ReportEngine::fontIndex(const FontSpec& spec) {
  for (std::size_t i = 0; i < model_->fonts.size(); ++i)
    if (model_->fonts[i] == spec) return static_cast<int>(i);
  model_->fonts.push_back(spec);
  FontEntry e;
  e.font = reportFont(spec);
  e.metrics = std::make_unique<QFontMetricsF>(e.font);
  e.lineHeight = e.metrics->lineSpacing();
  for (int ch = 0; ch < 128; ++ch)
    e.ascii[static_cast<std::size_t>(ch)] = e.metrics->horizontalAdvance(QChar(ch));
  fontCache_.push_back(std::move(e));
  return static_cast<int>(model_->fonts.size() - 1);
}

std::string ReportEngine::fitText(int font, const std::string& text, int width) {
  if (width <= 0 || text.empty()) return text;
  const FontEntry& f = fontCache_[static_cast<std::size_t>(font)];
  // Plain ASCII adds up its advances (report fonts draw without kerning); the
  // rest is shaped.
  double used = 0;
  std::size_t n = 0;
  for (; n < text.size() && used <= width; ++n) {
    const auto ch = static_cast<unsigned char>(text[n]);
    if (ch >= 128) break;
    used += f.ascii[ch];
  }
  if (n == text.size() && used <= width) return text;
  const QString q = toQString(text);
  if (used <= width && f.metrics->horizontalAdvance(q) <= width) return text;
  // A cut text says so: it ends in an ellipsis.
  return f.metrics->elidedText(q, Qt::ElideRight, width).toStdString();
}

void ReportEngine::emitMemo(const ReportControl& c, int x, int y, int font,
                            const std::string& text) {
  const FontEntry& f = fontCache_[static_cast<std::size_t>(font)];
  const int lineHeight = std::max(1, static_cast<int>(f.lineHeight + 0.5));
  const int maxLines = c.h > 0 ? std::max(1, c.h / lineHeight) : 1 << 20;
  std::vector<QString> lines;
  const QString all = toQString(text);
  const QStringList paras = all.split(QLatin1Char('\n'));
  bool cutShort = false;  // text left over once the box is full
  for (qsizetype p = 0; p < paras.size(); ++p) {
    QString para = paras[p];
    if (para.endsWith(QLatin1Char('\r'))) para.chop(1);
    if (c.w <= 0) {
      lines.push_back(para);
      continue;
    }
    do {
      if (f.metrics->horizontalAdvance(para) <= c.w) {
        lines.push_back(para);
        para.clear();
        break;
      }
      qsizetype lo = 0, hi = para.size();
      while (hi - lo > 1) {
        const qsizetype mid = (lo + hi) / 2;
        if (f.metrics->horizontalAdvance(para.left(mid)) <= c.w)
          lo = mid;
        else
          hi = mid;
      }
      if (lo == 0) lo = 1;  // a glyph wider than the box still moves on
      qsizetype cut = lo;
      const qsizetype space = para.lastIndexOf(QLatin1Char(' '), lo);
      if (space > 0) cut = space;
      lines.push_back(para.left(cut));
      para = para.mid(cut);
      while (para.startsWith(QLatin1Char(' '))) para.remove(0, 1);
    } while (!para.isEmpty() && static_cast<int>(lines.size()) < maxLines);
    if (!para.isEmpty()) cutShort = true;
    if (static_cast<int>(lines.size()) >= maxLines) {
      for (qsizetype rest = p + 1; rest < paras.size(); ++rest)
        if (!paras[rest].trimmed().isEmpty()) cutShort = true;
      break;
    }
  }
  if (static_cast<int>(lines.size()) > maxLines) {
    lines.resize(static_cast<std::size_t>(maxLines));
    cutShort = true;
  }
  if (cutShort && !lines.empty() && c.w > 0)
    lines.back() = f.metrics->elidedText(lines.back() + QChar(0x2026), Qt::ElideRight, c.w);
  Page& page = page_;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].isEmpty()) continue;
    PageItem it;
    it.kind = ItemKind::Text;
    it.x = x;
    it.y = y + static_cast<int>(i) * lineHeight;
    it.w = c.w;
    it.h = lineHeight;
    it.align = c.align;
    it.font = font;
    it.text = lines[i].toStdString();
    page.items.push_back(std::move(it));
  }
}

void ReportEngine::emitImage(const ReportControl& c, int x, int y, int maxW, int maxH) {
  if (!c.value) return;
  const std::string file(clip(c.value()));
  if (file.empty()) return;  // no picture: the band shows nothing there
  int index;
  auto found = imageCache_.find(file);
  if (found != imageCache_.end()) {
    index = found->second;
  } else {
    QImageReader reader(QString::fromStdString(file));
    QImage img = reader.read();
    index = img.isNull() ? -1 : static_cast<int>(model_->images.size());
    if (index >= 0) model_->images.push_back(std::move(img));
    imageCache_.emplace(file, index);
  }
  if (index < 0) return;
  const QImage& img = model_->images[static_cast<std::size_t>(index)];
  auto dpi = [](int dotsPerMeter) { return dotsPerMeter > 0 ? dotsPerMeter * 0.0254 : 96.0; };
  double w = img.width() * 1000.0 / dpi(img.dotsPerMeterX());
  double h = img.height() * 1000.0 / dpi(img.dotsPerMeterY());
  // Its own size, shrunk to the band when larger.
  double scale = 1.0;
  if (maxW > 0 && w > maxW) scale = std::min(scale, maxW / w);
  if (maxH > 0 && h > maxH) scale = std::min(scale, maxH / h);
  PageItem it;
  it.kind = ItemKind::Image;
  it.x = x;
  it.y = y;
  it.w = std::max(1, static_cast<int>(w * scale + 0.5));
  it.h = std::max(1, static_cast<int>(h * scale + 0.5));
  it.image = index;
  it.text = file;
  page_.items.push_back(std::move(it));
}

}  // namespace qm
