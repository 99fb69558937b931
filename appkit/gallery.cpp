#include "appkit/gallery.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLayout>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "appkit/framehost.h"
#include "appkit/procedures.h"
#include "appkit/tour.h"
#include "dictionary/dictionary.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/store/thread.h"
#include "runtime/ui/messagebox.h"
#include "runtime/ui/procedure.h"
#include "runtime/ui/window.h"
#include "runtime/values/clock.h"
#include "runtime/view/fieldvalue.h"

namespace qm {
namespace {

struct Gallery {
  std::string program;
  QDir dir;
  std::function<WindowProcedure*()> frame;
  std::set<std::string> written;
  int messages = 0;

  // One file per name; a name met again is not written twice.
  void save(const QPixmap& picture, std::string name) {
    for (char& ch : name)
      if (!std::isalnum(static_cast<unsigned char>(ch)) && ch != '-' && ch != '_') ch = '_';
    name = program + "-" + name;
    if (!written.insert(name).second || picture.isNull()) return;
    const QString file = dir.filePath(QString::fromStdString(name) + ".png");
    if (!picture.save(file, "PNG"))
      std::fprintf(stderr, "gallery: %s could not be written\n", qPrintable(file));
  }
};

Gallery* g_gallery = nullptr;

// Draws each message instead of waiting for an answer; the default button answers.
class DrawingAnswerer : public MessageAnswerer {
 public:
  int answer(const MessageRequest& request) override {
    if (seen_.insert(request.caption + "|" + request.text).second)
      draw(request, "message-" + std::to_string(++g_gallery->messages) + "-" + request.caption);
    return request.defaultButton;
  }
  // The box under a strip with its caption (a grab has no title bar).
  static void draw(const MessageRequest& request, const std::string& name) {
    QMessageBox box;
    std::map<QAbstractButton*, int> codes;
    fillMessageBox(box, request, codes);
    box.show();
    if (box.layout()) box.layout()->activate();
    box.adjustSize();
    const QPixmap body = box.grab();
    box.hide();
    QFont bold = box.font();
    bold.setBold(true);
    const int strip = QFontMetrics(bold).height() + 8;
    QPixmap picture(body.width(), body.height() + strip);
    picture.fill(QColor(0x2f, 0x6f, 0xb0));
    QPainter p(&picture);
    p.setFont(bold);
    p.setPen(Qt::white);
    p.drawText(QRect(8, 0, body.width() - 16, strip), Qt::AlignVCenter | Qt::AlignLeft,
               QString::fromStdString(request.caption));
    p.drawPixmap(0, strip, body);
    p.end();
    g_gallery->save(picture, name);
  }

 private:
  std::set<std::string> seen_;
};

DrawingAnswerer g_answerer;

// A small made-up firm, so that lists, forms and previews show something.
void addSamples() {
  ThreadScope scope(1);
  FileManager& domains = access(FileId::Domains);
  if (domains.open() != 0) return;
  domains.buffer().clear();
  const bool empty = domains.tryNext() != 0;
  domains.close();
  if (!empty) return;
  const std::string soon = std::to_string(today() + 12), started = std::to_string(today() - 800);
  const std::vector<std::pair<FileId, std::vector<std::pair<const char*, std::string>>>> records = {
      {FileId::Domains,
       {{"DOM:DOMAINNAME", "example.com"},
        {"DOM:RENEWALDATE", soon},
        {"DOM:DATESTARTED", started},
        {"DOM:HOSTDATE", started},
        {"DOM:FEEPAID", "35"},
        {"DOM:REGISTRAR", "Names Direct"},
        {"DOM:HOST", "Harbour Hosting"},
        {"DOM:OWNERNAME", "A. Owner"},
        {"DOM:DEFAULTLOCALDIR", "site"},
        {"DOM:DEFAULTWEBPATH", "http://www.example.com/"}}},
      {FileId::Domains,
       {{"DOM:DOMAINNAME", "shop-example.net"},
        {"DOM:RENEWALDATE", std::to_string(today() + 200)},
        {"DOM:DATESTARTED", started},
        {"DOM:FEEPAID", "12.5"}}},
      {FileId::Hosts,
       {{"HOS:HOSTNAME", "Harbour Hosting"},
        {"HOS:URL", "http://www.harbour-hosting.example"},
        {"HOS:PHONENUMBER", "555-0100"},
        {"HOS:FEEMONTHLY", "9.95"},
        {"HOS:CURRENTLYUSE", "Y"}}},
      // Values as long as their fields, as real data has them.
      {FileId::Hosts,
       {{"HOS:HOSTNAME", "Northern Lights Web Hosting Cooperative."},
        {"HOS:URL", "http://northern-lights-hosting.example"},
        {"HOS:SUPPORTEMAIL", "helpdesk@northern-lights-hosting.example"},
        {"HOS:PHONENUMBER", "555-0199"},
        {"HOS:FEEMONTHLY", "99999.99"}}},
      {FileId::Registrars,
       {{"REG:COMPANYNAME", "Names Direct"},
        {"REG:URL", "http://names.example"},
        {"REG:REGULARFEE", "35"},
        {"REG:CURRENTLYUSE", "Y"}}},
      {FileId::WebPages,
       {{"WEB:DOMAINNAME", "example.com"},
        {"WEB:PAGENAME", "index.htm"},
        {"WEB:PAGEPATH", "http://www.example.com/index.htm"},
        {"WEB:LOCALPATH", "site/index.htm"},
        {"WEB:HTMLPAGETITLE", "Example home page"},
        {"WEB:USENOW", "Y"}}},
      {FileId::WebPages,
       {{"WEB:DOMAINNAME", "example.com"},
        {"WEB:PAGENAME", "about.htm"},
        {"WEB:PAGEPATH", "http://www.example.com/about.htm"},
        {"WEB:LOCALPATH", "site/about.htm"},
        {"WEB:HTMLPAGETITLE", "About us"},
        {"WEB:USENOW", "Y"}}},
      {FileId::WebPages,
       {{"WEB:DOMAINNAME", "example.com"},
        {"WEB:PAGENAME", "install-guide.htm"},
        {"WEB:PAGEPATH", "http://www.example.com/documentation/reference/installation-guide.htm"},
        {"WEB:LOCALPATH", "site/documentation/reference/manual/chapters/installation-guide.htm"},
        {"WEB:HTMLPAGETITLE", "Installing the program on a new machine, step by step"},
        {"WEB:USENOW", "Y"}}},
      {FileId::WPIMG,
       {{"WPI:DOMAINNAME", "example.com"},
        {"WPI:PAGE", "index.htm"},
        {"WPI:WEBPAGEPATHNAME", "http://www.example.com/index.htm"},
        {"WPI:WEBPAGEIMG", "images/logo.gif"},
        {"WPI:LINENUMBER", "12"},
        {"WPI:DATEENTERED", std::to_string(today())},
        {"WPI:CURRENTLYUSE", "Y"}}},
      {FileId::WPLinks,
       {{"WPL:DOMAINNAME", "example.com"},
        {"WPL:PAGENAME", "index.htm"},
        {"WPL:WEBPAGEPATHNAME", "http://www.example.com/index.htm"},
        {"WPL:WEBPAGELINK", "http://www.example.com/about.htm"},
        {"WPL:LINENUMBER", "20"}}},
      {FileId::WPMeta,
       {{"WPM:DOMAINNAME", "example.com"},
        {"WPM:PAGENAME", "index.htm"},
        {"WPM:WEBPAGEPATH", "http://www.example.com/index.htm"},
        {"WPM:METANAME", "keywords"},
        {"WPM:METACONTENTS", "example, sample, pages"}}},
      {FileId::WPScripts,
       {{"WPS:DOMAINNAME", "example.com"},
        {"WPS:PAGENAME", "index.htm"},
        {"WPS:WEBPAGEPATHNAME", "http://www.example.com/index.htm"}}},
      {FileId::WPForm,
       {{"WPF:DOMAINNAME", "example.com"},
        {"WPF:PAGE", "about.htm"},
        {"WPF:WEBPAGEPATHNAME", "http://www.example.com/about.htm"}}},
      {FileId::dnotes,
       {{"DNO:TOPIC", "Move the shop to the new host"},
        {"DNO:REMINDER", "Y"},
        {"DNO:DATE", std::to_string(today())}}},
  };
  for (const auto& [id, fields] : records) {
    FileManager& m = access(id);
    if (m.open() != 0) continue;
    m.buffer().clear();
    for (const auto& [label, value] : fields)
      if (const int field = m.def().fieldIndex(label);
          field < 0 || !setValueText(m.buffer(), field, value))
        std::fprintf(stderr, "gallery: the sample value of %s was not set\n", label);
    if (m.tryInsert() != 0)
      std::fprintf(stderr, "gallery: a sample record of %s was not added\n", m.name().c_str());
    m.close();
  }
}

std::string otherName(QWidget& w) {
  if (w.inherits("qm::PreviewWindow")) return "preview";
  const std::string title = w.windowTitle().toStdString();
  return title.empty() ? std::string(w.metaObject()->className()) : title;
}

// A window, and each further tab of its sheets as the user would turn to it.
void saveWindow(Gallery& g, WindowProcedure& p) {
  g.save(p.outerWindow()->grab(), p.name());
  if (!p.built()) return;
  for (auto& c : p.built()->controls()) {
    auto* sheet = qobject_cast<QTabWidget*>(c->widget());
    if (!sheet || !sheet->isVisible()) continue;
    const int was = sheet->currentIndex();
    for (int i = 0; i < sheet->count(); ++i) {
      if (i == was) continue;
      sheet->setCurrentIndex(i);
      g.save(p.outerWindow()->grab(), p.name() + "-" + sheet->tabText(i).toStdString());
    }
    sheet->setCurrentIndex(was);
  }
}

// Every window of the program, each on its own.
void tourAll(Gallery& g) {
  std::vector<std::string> names;
  for (const std::string& n : registeredProcedures())
    if (n != "Main") names.push_back(n);
  tourProcedures(names, {[&](const std::string&, WindowProcedure& p) { saveWindow(g, p); },
                         [&](const std::string& started, QWidget& w) {
                           g.save(w.grab(), started + "-" + otherName(w));
                         }});
}

// The frame with a window and, beside it, the form its Change button opens.
void frameWithBrowseAndForm(Gallery& g, const char* browse) {
  if (!findProcedure(browse)) return;
  const int thread = startNamedProcedure(browse, 0);
  settle(300);
  WindowProcedure* b = topProcedure(thread);
  if (b && b->built())
    for (auto& c : b->built()->controls())
      if (c->def().role == Role::Change)
        if (auto* button = qobject_cast<QAbstractButton*>(c->widget());
            button && button->isEnabled()) {
          button->click();
          break;
        }
  settle(400);
  if (WindowProcedure* f = topProcedure(thread);
      f && b && f != b && f->outerWindow() && b->outerWindow()) {
    QWidget* form = f->outerWindow();
    const QSize room = form->parentWidget() ? form->parentWidget()->size() : QSize(4000, 4000);
    const QPoint want = b->outerWindow()->pos() + QPoint(b->outerWindow()->width() / 3, 90);
    form->move(std::max(0, std::min(want.x(), room.width() - form->width())),
               std::max(0, std::min(want.y(), room.height() - form->height())));
  }
  settle(100);
  if (WindowProcedure* f = g.frame()) g.save(f->outerWindow()->grab(), "frame");
}

// Closes every window but the frame.
void closeOthers(WindowProcedure* frame) {
  for (int round = 0; round < 20; ++round) {
    bool any = false;
    for (int t : runningThreads())
      if (WindowProcedure* p = topProcedure(t); p && p != frame) {
        p->close(2);
        any = true;
      }
    settle(20);
    if (!any) break;
  }
}

// The frame with four windows after Window > Tile, and after Cascade then.
void frameArranged(Gallery& g, const std::vector<const char*>& windows) {
  auto* host = dynamic_cast<FrameHost*>(g.frame());
  if (!host) return;
  closeOthers(host);
  for (const char* name : windows)
    if (findProcedure(name)) startNamedProcedure(name, 0);
  settle(800);
  const std::pair<const char*, const char*> steps[] = {{"T&ile", "frame-tiled"},
                                                       {"&Cascade", "frame-tiled-cascaded"}};
  for (const auto& [item, picture] : steps) {
    QAction* action = host->menuAction(std::string_view(item));
    if (!action) continue;
    action->trigger();
    settle(400);
    g.save(host->outerWindow()->grab(), picture);
  }
  closeOthers(host);
}

void run(Gallery& g) {
  WindowProcedure* frame = g.frame();
  // What the start opened (the title window, the reminders) first.
  for (int t : runningThreads())
    if (WindowProcedure* p = topProcedure(t); p && p != frame && p->outerWindow())
      g.save(p->outerWindow()->grab(), p->name());
  closeOthers(frame);
  tourAll(g);
  // The error reporter's messages, each as it shows.
  if (g.program == "quillmark")
    for (const ErrorEntry& e : errorTable())
      if (auto req = errors().request(
              e.id, MessageArgs{"DOMAINS", "Record Not Found", "DOM:name", "DOM:DOMAINNAME"}))
        DrawingAnswerer::draw(*req, "error-" + std::to_string(e.id));
  if (g.program == "quillmark")
    frameArranged(g, {"BrowseDomains", "BrowseHosts", "BrowseRegistrars", "BrowseWebPages2"});
  frameWithBrowseAndForm(g, g.program == "quillmark" ? "BrowseDomains" : "readpages");
  std::fprintf(stderr, "gallery: %zu pictures in %s\n", g.written.size(),
               qPrintable(g.dir.absolutePath()));
  for (int t : runningThreads())
    if (WindowProcedure* p = topProcedure(t); p && p != frame) p->close(2);
  settle(50);
  if (frame) frame->requestClose();
}

}  // namespace

bool armGallery(const std::string& program, std::function<WindowProcedure*()> frame) {
  const char* folder = std::getenv("QM_GALLERY");
  if (!folder || !*folder) return false;
  static Gallery gallery;
  gallery.program = program;
  gallery.dir = QDir(QString::fromLocal8Bit(folder));
  gallery.frame = std::move(frame);
  if (!gallery.dir.mkpath(".")) {
    std::fprintf(stderr, "gallery: the folder %s could not be made\n", folder);
    return false;
  }
  g_gallery = &gallery;
  setMessageAnswerer(&g_answerer);
  // Once the frame is up and its start-up windows have opened.
  auto* poll = new QTimer(qApp);
  poll->setInterval(200);
  QObject::connect(poll, &QTimer::timeout, poll, [poll] {
    WindowProcedure* f = g_gallery->frame();
    if (!f || !f->outerWindow() || !f->outerWindow()->isVisible()) return;
    poll->stop();
    poll->deleteLater();
    settle(1500);
    addSamples();
    run(*g_gallery);
  });
  poll->start();
  return true;
}

}  // namespace qm
