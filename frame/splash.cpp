#include "frame/splash.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include "runtime/report/fontmap.h"
#include "runtime/ui/window.h"
#include "runtime/ui/windowdef.h"

namespace qm {
namespace {

WindowDef splashWindow() {
  WindowDef def;
  def.title = "";
  def.w = 180;
  def.h = 72;
  def.font = "MS Sans Serif";
  def.mdi = false;
  ControlDef title;
  title.kind = Kind::Prompt;
  title.id = "?Title";
  title.text = "Quillmark Pro";
  title.x = 10, title.y = 12, title.w = 160, title.h = 24;
  ControlDef version = title;
  version.id = "?Version";
  version.text = "Version 3.1";
  version.y = 42, version.h = 16;
  def.controls = {title, version};
  return def;
}

}  // namespace

Splash::Splash(int timerHundredths) : WindowProcedure("splash"), hundredths_(timerHundredths) {
  setDefinition(splashWindow());
}

void Splash::setup() {
  const struct {
    const char* id;
    double points;
  } texts[] = {{"?Title", 20}, {"?Version", 12}};
  for (const auto& t : texts) {
    if (Control* c = control(t.id); c && c->widget()) {
      c->widget()->setFont(mappedFont("Arial Black", t.points));
      if (auto* label = qobject_cast<QLabel*>(c->widget())) label->setAlignment(Qt::AlignCenter);
    }
  }
  // Left click, left double click and right click close the window, from
  // anywhere on it; so does losing the focus.
  if (QWidget* w = window()) {
    watch(w);
    for (QWidget* child : w->findChildren<QWidget*>()) watch(child);
  }
  if (QWidget* outer = outerWindow(); outer && outer != window()) watch(outer);
  timer_ = new QTimer(this);
  timer_->setSingleShot(true);
  connect(timer_, &QTimer::timeout, this, [this] { closeSoon(); });
  timer_->start(hundredths_ * 10);
}

void Splash::watch(QObject* o) { o->installEventFilter(this); }

void Splash::closeSoon() {
  if (closing_ || !isRunning()) return;
  closing_ = true;
  if (timer_) timer_->stop();
  post(Event::CloseWindow);
}

bool Splash::filterEvent(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      const auto b = static_cast<QMouseEvent*>(event)->button();
      if (b == Qt::LeftButton || b == Qt::RightButton) closeSoon();
      break;
    }
    case QEvent::MouseButtonDblClick:
      if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) closeSoon();
      break;
    case QEvent::WindowDeactivate:
      closeSoon();
      break;
    default:
      break;
  }
  return WindowProcedure::filterEvent(watched, event);
}

}  // namespace qm
