#pragma once
// The print preview: shows a report's pages, zoomed, with a page list whose
// ticks select the pages to print or save; jumps to a page on request; prints
// and saves as PDF. It may open while the report still adds pages, and
// follows them as they come. Its placement and zoom are kept in section "_PreviewWindow_".
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "runtime/report/pagemodel.h"

class QComboBox;
class QLabel;
class QListView;
class QPushButton;
class QTimer;
class QScrollArea;

namespace qm {

inline constexpr const char* PreviewSection = "_PreviewWindow_";

class PageTicks;
class PageView;

class PreviewWindow : public QWidget {
  Q_OBJECT
 public:
  static constexpr int WholePage = -1;
  static constexpr int PageWidth = -2;
  static constexpr int MinZoom = 10;
  static constexpr int MaxZoom = 800;
  // The zoom kept in the preview's section as it closes; page width when none.
  static constexpr const char* ZoomEntry = "Zoom";
  static int savedZoom();

  explicit PreviewWindow(std::shared_ptr<const PageModel> model, QWidget* parent = nullptr);
  ~PreviewWindow() override;

  // The pages there are so far.
  int pageCount() const;
  // False while the report is still adding pages (printing waits for them).
  bool complete() const;
  int currentPage() const { return current_; }  // from 1
  void showPage(int page);                      // clamped to the pages there are

  // A percentage, or WholePage / PageWidth.
  void setZoom(int zoom);
  int zoom() const { return zoom_; }
  // Pixels per thousandth of an inch at the present zoom.
  double scale() const;

  // The pages ticked for printing and saving (all at first), numbers from 1.
  std::vector<int> selectedPages() const;
  void setPageSelected(int page, bool selected);

  // Asks "Enter a page number from 1 to <count>" and shows that page.
  void jumpToPage();
  // Asks for a file name and writes the selected pages; false on failure (reported)
  // or while pages are still coming.
  bool saveAsPdf();
  void print();

  // Replaceable questions (tests answer them without a dialog).
  std::function<std::optional<int>(const QString& prompt, int count)> askPageNumber;
  std::function<QString()> askPdfFileName;

  // Called once the window has closed.
  void onClosed(std::function<void()> f) { onClosed_ = std::move(f); }

 protected:
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void refresh();
  void pagesAdded();
  std::shared_ptr<const PageModel> model_;
  int current_ = 1;
  int zoom_ = PageWidth;
  PageView* view_;
  QScrollArea* scroll_;
  QListView* pages_;
  PageTicks* ticks_;
  QTimer* growth_;
  QPushButton* printButton_;
  QPushButton* pdfButton_;
  QComboBox* zoomBox_;
  QLabel* pageLabel_;
  std::function<void()> onClosed_;
  bool closed_ = false;
};

// How a finished report shows its pages; the default opens a PreviewWindow.
// closed must be called once the user is done with the pages.
using PreviewOpener =
    std::function<void(std::shared_ptr<const PageModel> pages, std::function<void()> closed)>;
void setPreviewOpener(PreviewOpener opener);  // empty restores the default
// The preview window shown; nullptr where an opener took the pages.
QWidget* openPreview(std::shared_ptr<const PageModel> pages, std::function<void()> closed);

}  // namespace qm
