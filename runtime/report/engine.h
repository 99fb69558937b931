#pragma once
// Lays a report out into its page model: page header as each page begins,
// detail bands one under the other in the detail area, a band that does not
// fit the rest of the page moved to the next, page footer as each page ends.
#include <QFont>
#include <QFontMetricsF>
#include <array>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "runtime/report/layout.h"
#include "runtime/report/pagemodel.h"

namespace qm {

class ReportEngine {
 public:
  explicit ReportEngine(ReportLayout layout, PaperSize paper = {});
  ~ReportEngine();
  ReportEngine(const ReportEngine&) = delete;
  ReportEngine& operator=(const ReportEngine&) = delete;

  // Starts afresh in a new model: no pages, the date stamp set to today's date.
  void open();
  // Prints the detail band for the record now in the buffer.
  void printDetail();
  // Prints any band in the detail area (the detail band, a break band).
  void printBand(const Band& band);
  // Ends the last page; the model is complete.
  void close();

  // The finished pages; the one being filled joins them as it ends.
  const PageModel& model() const { return *model_; }
  // The same, shared with a preview that shows the pages while they come.
  std::shared_ptr<PageModel> sharedModel() const { return model_; }
  PageModel takeModel();
  // The page being filled, 1 for the first; 0 before anything printed.
  int pageNumber() const { return model_->pageCount() + (pageOpen_ ? 1 : 0); }
  const ReportLayout& layout() const { return layout_; }
  ReportLayout& layout() { return layout_; }

 private:
  struct FontEntry {
    QFont font;
    std::unique_ptr<QFontMetricsF> metrics;
    double lineHeight = 0;
    std::array<double, 128> ascii{};  // advance of each ASCII character
  };

  void startPage();
  void endPage();
  void emitBand(const Band& band, int ox, int oy, int bandWidth);
  void emitControl(const ReportControl& c, int ox, int oy, int bandWidth, int bandHeight);
  void emitMemo(const ReportControl& c, int x, int y, int font, const std::string& text);
  void emitImage(const ReportControl& c, int x, int y, int maxW, int maxH);
  int fontIndex(const FontSpec& spec);
  std::string fitText(int font, const std::string& text, int width);

  ReportLayout layout_;
  std::shared_ptr<PageModel> model_;
  Page page_;  // being filled
  std::vector<FontEntry> fontCache_;
  std::unordered_map<std::string, int> imageCache_;
  bool pageOpen_ = false;
  int cursor_ = 0;
  int bandsOnPage_ = 0;
};

// Page number and date texts as the definitions' pictures give them.
std::string controlText(const ReportControl& c, int page);

}  // namespace qm
