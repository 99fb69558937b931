#pragma once
// The progress window of reports and processes: title "Progress...", a
// progress bar, two text lines (controls 2 and 3, the second showing the share
// done) and "Cancel".
#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace qm {

class ProgressWindow : public QDialog {
  Q_OBJECT
 public:
  explicit ProgressWindow(QWidget* parent = nullptr);

  // Control 2 is the procedure's text line, control 3 the share done.
  void setText(int control, const QString& text);
  QString text(int control) const;
  // Sets the bar and control 3 to "<n>% Complete".
  void setPercent(int percent);
  int percent() const;

  QPushButton* cancelButton() const { return cancel_; }
  QProgressBar* bar() const { return bar_; }
  // Called on "Cancel" and on closing the window by its close box.
  void onCancel(std::function<void()> f) { onCancel_ = std::move(f); }

 protected:
  void closeEvent(QCloseEvent* e) override;
  void reject() override;

 private:
  QProgressBar* bar_;
  QLabel* line2_;
  QLabel* line3_;
  QPushButton* cancel_;
  std::function<void()> onCancel_;
  bool closingByProgram_ = false;
  friend class BatchProcedure;
};

}  // namespace qm
