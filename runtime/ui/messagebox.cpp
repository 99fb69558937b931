#include "runtime/ui/messagebox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <map>

namespace qm {

QString buttonText(MsgButton b) {
  switch (b) {
    case BtnOk:
      return QStringLiteral("&OK");
    case BtnYes:
      return QStringLiteral("&Yes");
    case BtnNo:
      return QStringLiteral("&No");
    case BtnCancel:
      return QStringLiteral("&Cancel");
    case BtnAbort:
      return QStringLiteral("&Abort");
    case BtnRetry:
      return QStringLiteral("&Retry");
    case BtnIgnore:
      return QStringLiteral("&Ignore");
  }
  return {};
}

void fillMessageBox(QMessageBox& box, const MessageRequest& request,
                    std::map<QAbstractButton*, int>& codes) {
  box.setWindowTitle(QString::fromStdString(request.caption));
  box.setText(QString::fromStdString(messageLines(request.text)));
  switch (request.icon) {
    case MsgIcon::None:
      box.setIcon(QMessageBox::NoIcon);
      break;
    case MsgIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case MsgIcon::Exclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case MsgIcon::Question:
      box.setIcon(QMessageBox::Question);
      break;
    case MsgIcon::Stop:
      box.setIcon(QMessageBox::Critical);
      break;
  }
  static const MsgButton order[] = {BtnYes, BtnNo, BtnOk, BtnAbort, BtnRetry, BtnIgnore, BtnCancel};
  int buttons = request.buttons ? request.buttons : BtnOk;
  for (MsgButton b : order) {
    if (!(buttons & b)) continue;
    QMessageBox::ButtonRole role = (b == BtnNo || b == BtnCancel || b == BtnAbort)
                                       ? QMessageBox::RejectRole
                                       : QMessageBox::AcceptRole;
    QPushButton* pb = box.addButton(buttonText(b), role);
    codes[pb] = b;
    if (b == request.defaultButton) box.setDefaultButton(pb);
    if (b == BtnCancel || (b == BtnNo && !(buttons & BtnCancel))) box.setEscapeButton(pb);
  }
}

int QtMessageAnswerer::answer(const MessageRequest& request) {
  QMessageBox box(QApplication::activeWindow());
  std::map<QAbstractButton*, int> codes;
  fillMessageBox(box, request, codes);
  box.exec();
  auto it = codes.find(box.clickedButton());
  return it == codes.end() ? request.defaultButton : it->second;
}

}  // namespace qm
