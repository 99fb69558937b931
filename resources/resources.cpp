#include "resources/resources.h"

#include <QFile>
#include <QPixmap>

#include "runtime/values/text.h"

// Outside any namespace, as the resource initialiser requires.
static void initQuillmarkResources() { Q_INIT_RESOURCE(quillmark); }

namespace qm {
namespace {

struct Item {
  const char* name;  // as the definitions name it
  const char* path;
  int hotX = 0, hotY = 0;  // pointers: the point that does the pointing
};

constexpr Item kItems[] = {
    {"qm.ico", ":/qm/icons/qm.png"},
    {"VCRFIRST.ICO", ":/qm/icons/vcrfirst.png"},
    {"VCRPRIOR.ICO", ":/qm/icons/vcrprior.png"},
    {"VCRUP.ICO", ":/qm/icons/vcrup.png"},
    {"FIND.ICO", ":/qm/icons/find.png"},
    {"VCRDOWN.ICO", ":/qm/icons/vcrdown.png"},
    {"VCRNEXT.ICO", ":/qm/icons/vcrnext.png"},
    {"VCRLAST.ICO", ":/qm/icons/vcrlast.png"},
    {"MARK.ICO", ":/qm/icons/mark.png"},
    {"INSERT.ICO", ":/qm/icons/insert.png"},
    {"EDIT.ICO", ":/qm/icons/edit.png"},
    {"DELETE.ICO", ":/qm/icons/delete.png"},
    {"DITTO.ICO", ":/qm/icons/ditto.png"},
    {"HELP.ICO", ":/qm/icons/help.png"},
    // Icons the windows' buttons and the companion program name.
    {"insert3.ico", ":/qm/icons/insert.png"},
    {"chg4.ico", ":/qm/icons/edit.png"},
    {"delete4.ico", ":/qm/icons/delete.png"},
    {"filefind.ico", ":/qm/icons/find.png"},
    {"Progm039.ico", ":/qm/icons/close.png"},
    {"cube.ico", ":/qm/icons/cube.png"},
    {"litebulb.ico", ":/qm/icons/bulb.png"},
    {"note5.ico", ":/qm/icons/note.png"},
    {"note5A.ico", ":/qm/icons/note-alert.png"},
    {"target.ico", ":/qm/icons/target.png"},
    {"webpage.ico", ":/qm/icons/webpage.png"},
    {"newqmk 2.jpg", ":/qm/pictures/newqmk 2.jpg"},
    // Pictures are read by their content, whatever their names say.
    {"skimwell.gif", ":/qm/pictures/skimwell.jpg"},
    {"wiz.jpg", ":/qm/pictures/wiz.jpg"},
    {"notepad.bmp", ":/qm/pictures/notepad.png"},
    {"Glove.cur", ":/qm/cursors/glove.png", 12, 0},
};

const Item* find(std::string_view name) {
  if (!name.empty() && name.front() == '~') name.remove_prefix(1);  // "~" marks a built-in item
  for (const Item& item : kItems)
    if (compareNoCase(item.name, name) == 0) return &item;
  return nullptr;
}

void ensureLoaded() {
  static const bool loaded = (initQuillmarkResources(), true);
  (void)loaded;
}

}  // namespace

QString resourcePath(std::string_view name) {
  ensureLoaded();
  const Item* item = find(name);
  return item ? QString::fromLatin1(item->path) : QString();
}

QIcon resourceIcon(std::string_view name) {
  const QString path = resourcePath(name);
  return path.isEmpty() ? QIcon() : QIcon(path);
}

QCursor resourceCursor(std::string_view name, Qt::CursorShape fallback) {
  ensureLoaded();
  const Item* item = find(name);
  if (!item) return QCursor(fallback);
  const QPixmap picture(QString::fromLatin1(item->path));
  return picture.isNull() ? QCursor(fallback) : QCursor(picture, item->hotX, item->hotY);
}

QByteArray resourceData(std::string_view name, std::string* error) {
  if (error) error->clear();
  const QString path = resourcePath(name);
  if (path.isEmpty()) {
    if (error) *error = "no resource named " + std::string(name);
    return {};
  }
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    if (error) *error = "cannot read resource " + std::string(name);
    return {};
  }
  return f.readAll();
}

}  // namespace qm
