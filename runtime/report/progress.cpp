#include "runtime/report/progress.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace qm {

ProgressWindow::ProgressWindow(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Progress..."));
  auto* layout = new QVBoxLayout(this);
  bar_ = new QProgressBar(this);
  bar_->setRange(0, 100);
  bar_->setValue(0);
  bar_->setTextVisible(false);
  line2_ = new QLabel(this);
  line3_ = new QLabel(QStringLiteral("0% Complete"), this);
  line2_->setAlignment(Qt::AlignHCenter);
  line3_->setAlignment(Qt::AlignHCenter);
  cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
  layout->addWidget(bar_);
  layout->addWidget(line2_);
  layout->addWidget(line3_);
  layout->addWidget(cancel_, 0, Qt::AlignHCenter);
  setMinimumWidth(260);
  connect(cancel_, &QPushButton::clicked, this, [this] {
    if (onCancel_) onCancel_();
  });
}

void ProgressWindow::setText(int control, const QString& text) {
  if (control == 2) line2_->setText(text);
  if (control == 3) line3_->setText(text);
}

QString ProgressWindow::text(int control) const {
  if (control == 2) return line2_->text();
  if (control == 3) return line3_->text();
  return {};
}

void ProgressWindow::setPercent(int percent) {
  percent = std::clamp(percent, 0, 100);
  bar_->setValue(percent);
  line3_->setText(QString::number(percent) + QStringLiteral("% Complete"));
}

int ProgressWindow::percent() const { return bar_->value(); }

void ProgressWindow::closeEvent(QCloseEvent* e) {
  if (!closingByProgram_) {
    // The close box stops the run; the procedure closes the window itself.
    e->ignore();
    if (onCancel_) onCancel_();
    return;
  }
  QDialog::closeEvent(e);
}

void ProgressWindow::reject() {
  // Escape cancels like the button.
  if (!closingByProgram_) {
    if (onCancel_) onCancel_();
    return;
  }
  QDialog::reject();
}

}  // namespace qm
