#include "reader/window.h"

#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QWidget>

#include "runtime/ui/window.h"

namespace qm::reader {

void decorate(WindowProcedure& p, const std::vector<std::pair<std::string, WindowTouch>>& touches) {
  for (const auto& [id, touch] : touches) {
    Control* c = p.control(id);
    if (!c || !c->widget()) continue;
    if (touch == WindowTouch::Bold) {
      QFont f = c->widget()->font();
      f.setBold(true);
      c->widget()->setFont(f);
    } else if (auto* label = qobject_cast<QLabel*>(c->widget());
               label && touch == WindowTouch::Wrap) {
      label->setWordWrap(true);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    } else if (label) {
      const QIcon icon = loadIcon(c->def().icon);
      if (!icon.isNull()) label->setPixmap(icon.pixmap(label->size()));
    }
  }
}

void setStatusTip(WindowProcedure& p, const std::string& controlId, const std::string& text) {
  if (Control* c = p.control(controlId); c && c->widget())
    c->widget()->setStatusTip(QString::fromStdString(text));
}

void takeScreenValues(WindowProcedure& p) {
  if (!p.built()) return;
  for (const auto& c : p.built()->controls()) {
    if (!c->isData()) continue;
    std::string error;
    c->take(&error);  // a refused value keeps the field's; the run checks what it needs
  }
}

}  // namespace qm::reader
