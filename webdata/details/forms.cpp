#include "webdata/details/forms.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

#include "appkit/layout.h"
#include "appkit/procedures.h"
#include "dictionary/datafile_adapter.h"
#include "runtime/config/requests.h"
#include "runtime/desktop/jpeg.h"
#include "runtime/desktop/shellopen.h"
#include "runtime/ui/window.h"
#include "runtime/values/fsutil.h"
#include "runtime/values/text.h"
#include "webdata/details/builders.h"

namespace qm::details {

namespace {

constexpr const char* kWarning =
    "This record will be overwritten the next time you read in the web page. Therefore it is not "
    "advisable to "
    "update or change this record.";
constexpr const char* kPathTip =
    "The complete path of the page as listed under the domain. Include the page name in the path.";
constexpr const char* kWarningId = "?Warning";

const DetailFormSpec kLinks{"UpdateWPLinks", "Update the Links File", "Viewing a Links Record",
                            FileId::WPLinks, true};
const DetailFormSpec kImages{"UpdateWPIMG", "Update the IMAGE Data File", "Viewing an IMG Record",
                             FileId::WPIMG, false};
const DetailFormSpec kMeta{"UpdateWPMeta", "Update the Meta Tags File", "Viewing a Meta Record",
                           FileId::WPMeta, true};
const DetailFormSpec kScripts{"UpdateWPScripts", "Update the Scripts File",
                              "Viewing a Scripts Record", FileId::WPScripts, true};
const DetailFormSpec kForms{"UpdateWPForm", "Update the Forms File", "Viewing a Form Record",
                            FileId::WPForm, true};

constexpr int kWidth = 420;
constexpr int kEntry = 320;  // a long line's entry

WindowDef formWindow(const DetailFormSpec& s) {
  WindowDef w;
  w.title = s.title;
  w.w = kWidth;
  w.resizable = s.resizable;
  return w;
}

// A sheet with its tabs ("?Tab1" ...).
void addSheet(WindowDef& w, const std::vector<std::string>& tabs, int y, int h) {
  w.controls.push_back(control(Kind::Sheet, "?Sheet", {}, 4, y, kWidth - 8, h));
  for (size_t i = 0; i < tabs.size(); ++i)
    w.controls.push_back(
        control(Kind::Tab, "?Tab" + std::to_string(i + 1), tabs[i], 0, 0, 0, 0, "?Sheet"));
}

std::string tab(int n) { return "?Tab" + std::to_string(n); }

// OK, Cancel and Help below the sheet, the warning beside them.
void addButtonsAndWarning(WindowDef& w, int y) {
  ControlDef ok = button({"?OK", "OK", Role::Ok, "", 40}, 4, y, 14);
  ok.defaultButton = true;
  w.controls.push_back(ok);
  w.controls.push_back(button({"?Cancel", "Cancel", Role::Cancel, "", 40}, 48, y, 14));
  w.controls.push_back(button({"?Help", "Help", Role::Help, "", 40}, 92, y, 14));
  w.controls.push_back(control(Kind::Prompt, kWarningId, kWarning, 140, y - 2, kWidth - 144, 20));
  w.h = y + 22;
}

// Lines first..last of a repeated field, labelled by `label` (the first one
// by `firstLabel`).
std::vector<DetailRow> lineRows(const std::string& field, int first, int last,
                                const std::string& firstLabel,
                                const std::vector<std::string>& labels) {
  std::vector<DetailRow> rows;
  for (int n = first; n <= last; ++n) {
    std::string prompt =
        n == first && !firstLabel.empty() ? firstLabel : labels[static_cast<size_t>(n - first)];
    rows.push_back({prompt, field + std::to_string(n), "@s200", kEntry});
  }
  return rows;
}

// "n:" for each line, as most tabs label them.
std::vector<std::string> plainLabels(int first, int last) {
  std::vector<std::string> v;
  for (int n = first; n <= last; ++n) v.push_back(std::to_string(n) + ":");
  return v;
}

WindowDef linksWindow() {
  WindowDef w = formWindow(kLinks);
  addSheet(w, {"General"}, 4, 56);
  details::addRows(w,
                   {{"Web Page Path Name:", "WPL:WEBPAGEPATHNAME", "@s80", 300, kPathTip},
                    {"Web Page Link:", "WPL:WEBPAGELINK", "@s200", 300}},
                   tab(1), 12, 24, 86, 16);
  addButtonsAndWarning(w, 66);
  return w;
}

WindowDef metaWindow() {
  WindowDef w = formWindow(kMeta);
  addSheet(w, {"General"}, 4, 108);
  details::addRows(
      w,
      {{"Page Path:", "WPM:WEBPAGEPATH", "@s80", 300, kPathTip},
       {"Domain Name:", "WPM:DOMAINNAME", "@s50", 200, "The domain that houses this page."},
       {"Page Name:", "WPM:PAGENAME", "@s20", 90, "The HTML name of the page."},
       {"Local Path:", "WPM:LOCALPATH", "@s80", 300,
        "The path on THIS computer of the page.  Include the name of the page in the path."},
       {"Meta Name:", "WPM:METANAME", "@s20", 90},
       {"Meta Contents:", "WPM:METACONTENTS", "@s200", 300}},
      tab(1), 12, 24, 86, 14);
  addButtonsAndWarning(w, 118);
  return w;
}

// The page fields repeat on the scripts' tabs: each entry has an id of its own.
DetailRow scriptPage(const char* which, int onTab) {
  std::string suffix = onTab > 1 ? ":" + std::to_string(onTab) : "";
  if (std::string(which) == "path")
    return {"Page Path:", "WPS:WEBPAGEPATHNAME",          "@s80", 300,
            kPathTip,     "?WPS:WEBPAGEPATHNAME" + suffix};
  if (std::string(which) == "domain")
    return {"Domain Name:", "WPS:DOMAINNAME", "@s50", 200, {}, "?WPS:DOMAINNAME" + suffix};
  return {"Page Name:", "WPS:PAGENAME", "@s20", 90, {}, "?WPS:PAGENAME" + suffix};
}

WindowDef scriptsWindow() {
  WindowDef w = formWindow(kScripts);
  addSheet(w, {"Lines 1-10", "Lines 11-20", "Lines 21-30", "Lines 31-40"}, 4, 214);
  const int x = 12, px = 64, step = 13;
  auto rows = [](std::vector<DetailRow> head, const std::vector<DetailRow>& lines) {
    head.insert(head.end(), lines.begin(), lines.end());
    return head;
  };
  details::addRows(w,
                   rows({scriptPage("path", 1), scriptPage("domain", 1), scriptPage("page", 1)},
                        lineRows("WPS:SCRIPTLINE", 1, 10, "Script Line 1:", plainLabels(1, 10))),
                   tab(1), x, 24, px, step);
  ControlDef note = promptAt(
      "Lines may extend beyond width of field on screen. Just use your right arrow (in field) to "
      "scroll, or \"end "
      "key\" to jump,  to end of line.",
      x, 24 + 13 * step, kWidth - 30, tab(1), 18);
  note.id = "?Note";
  w.controls.push_back(note);
  details::addRows(w,
                   rows({scriptPage("path", 2), scriptPage("page", 2)},
                        lineRows("WPS:SCRIPTLINE", 11, 20, "Script Line 11:", plainLabels(11, 20))),
                   tab(2), x, 24, px, step);
  // On this tab the page path stands at the top but comes last.
  details::addRows(w,
                   rows({scriptPage("page", 3)},
                        lineRows("WPS:SCRIPTLINE", 21, 30, "Script Line 21:", plainLabels(21, 30))),
                   tab(3), x, 24 + step, px, step);
  details::addRows(w, {scriptPage("path", 3)}, tab(3), x, 24, px, step);
  details::addRows(w,
                   rows({scriptPage("path", 4), scriptPage("page", 4)},
                        lineRows("WPS:SCRIPTLINE", 31, 40, "Script Line 31:", plainLabels(31, 40))),
                   tab(4), x, 24, px, step);
  addButtonsAndWarning(w, 224);
  return w;
}

WindowDef formsWindow() {
  WindowDef w = formWindow(kForms);
  addSheet(w, {"General", "Lines 6-15", "Lines 16-25", "Lines 26-35", "Lines 36-40"}, 4, 160);
  const int x = 12, px = 64, step = 14;
  std::vector<DetailRow> general = {
      {"Page Path:", "WPF:WEBPAGEPATHNAME", "@s80", 300, kPathTip},
      {"Domain Name:", "WPF:DOMAINNAME", "@s50", 200, "The domain that house this page."},
      {"Page Name:", "WPF:PAGE", "@s20", 90},
  };
  for (DetailRow& r :
       lineRows("WPF:FORMLINE", 1, 5, "Form Line 1:", {"", " 2:", "3:", " 4:", " 5:"}))
    general.push_back(r);
  details::addRows(w, general, tab(1), x, 24, px, step);
  details::addRows(
      w,
      lineRows("WPF:FORMLINE", 6, 15, {},
               {" 6:", " 7:", " 8:", " 9:", "10:", " 11:", "12:", "13:", "14:", "15:"}),
      tab(2), x, 24, px, step);
  details::addRows(w, lineRows("WPF:FORMLINE", 16, 25, {}, plainLabels(16, 25)), tab(3), x, 24, px,
                   step);
  details::addRows(w, lineRows("WPF:FORMLINE", 26, 35, {}, plainLabels(26, 35)), tab(4), x, 24, px,
                   step);
  details::addRows(w, lineRows("WPF:FORMLINE", 36, 40, {}, plainLabels(36, 40)), tab(5), x, 24, px,
                   step);
  addButtonsAndWarning(w, 170);
  return w;
}

constexpr const char* kShowImage = "?ShowImage";
constexpr const char* kPrint = "?Print";
constexpr const char* kImage = "?Image";
constexpr const char* kImageLink = "?ImageLink";
constexpr const char* kImageRef = "?WPI:WEBPAGEIMG";

WindowDef imageWindow() {
  WindowDef w = formWindow(kImages);
  w.controls.push_back(control(Kind::Prompt, kWarningId, kWarning, 4, 2, kWidth - 8, 18));
  addSheet(w, {"General"}, 22, 124);
  const std::string t = tab(1);
  const int x = 12, px = 64;
  details::addRows(w,
                   {{"Page Name:", "WPI:WEBPAGEPATHNAME", "@s80", 300, kPathTip},
                    {"Height:", "WPI:HEIGHT", "@s20", 80},
                    {"Width:", "WPI:WIDTH", "@s20", 80}},
                   t, x, 42, px, 14);
  ControlDef show = button({kShowImage, "&Click to see Internet based image.", Role::None, "", 150},
                           170, 56, 14, t);
  show.tip =
      "If image is not on local drive, and you have a connection to the internet,\nyou can click "
      "here to see the "
      "image.  Some images still may not show,\nif the image is part of a larger script display.";
  w.controls.push_back(show);
  details::addRows(w,
                   {{"Web Page IMG:", "WPI:WEBPAGEIMG", "@s200", 300},
                    {"Line Number:", "WPI:LINENUMBER", "@n-7", 40}},
                   t, x, 84, px, 14);
  ControlDef print = button({kPrint, "&Print", Role::None, "", 50}, 170, 96, 14, t);
  print.tip = "Print information";
  w.controls.push_back(print);
  details::addRows(w, {{"Date Entered:", "WPI:DATEENTERED", "@d17", 60}}, t, x, 112, px, 14);

  ControlDef use = control(Kind::Check, "?WPI:CURRENTLYUSE", "Currently Use", 4, 152, 70, 10);
  use.field = "WPI:CURRENTLYUSE";
  use.trueValue = "Y";
  use.falseValue = "N";
  w.controls.push_back(use);
  ControlDef ok = button({"?OK", "OK", Role::Ok, "", 40}, 80, 150, 14);
  ok.defaultButton = true;
  w.controls.push_back(ok);
  w.controls.push_back(button({"?Cancel", "Cancel", Role::Cancel, "", 40}, 124, 150, 14));
  w.controls.push_back(promptAt("X", 4, 168, 6));
  w.controls.push_back(control(Kind::Image, kImage, {}, 4, 178, kWidth - 8, 110));
  w.controls.push_back(
      promptAt("The graphic will begin near X, and extend towards right.  If graphic is too big "
               "for screen, click Print button.",
               14, 168, kWidth - 18));
  w.controls.push_back(button({"?Help", "Help", Role::Help, "", 40}, kWidth - 44, 150, 14));
  w.h = 292;
  PageLinkHelper(w, kImageRef, kImageLink);
  return w;
}

FormDef detailFormDef(const DetailFormSpec& s) {
  FormDef f;
  f.insertTitle = {};  // any request but a change leaves the title empty
  f.changeTitle = s.viewing;
  f.allowInsert = false;
  f.allowChange = true;
  f.allowDelete = false;
  return f;
}

int tabbedEntryWidth(const std::string& picture) {
  if (picture == "@s20" || picture == "@n-7" || picture == "@d17") return 90;
  if (picture == "@s50") return 200;
  return 300;
}

WindowDef tabbedWindow(const TabbedDetailForm& t) {
  WindowDef w;
  w.title = t.spec.title;
  w.w = kWidth, w.h = 250;
  w.resizable = t.spec.resizable;
  std::vector<std::string> titles;
  for (const DetailTab& tab : t.tabs) titles.push_back(tab.title);
  qm::addSheet(w, titles, 4, 4, kWidth - 8, 190);
  for (size_t i = 0; i < t.tabs.size(); ++i) {
    const std::string id = qm::tabId(static_cast<int>(i) + 1);
    int y = 22;
    for (const DetailField& f : t.tabs[i].fields) {
      if (f.picture.empty()) {
        w.controls.push_back(qm::check(f.field, f.prompt, 96, y, 120, id));
      } else {
        w.controls.push_back(qm::prompt(f.prompt, 8, y, 86, id));
        w.controls.push_back(qm::entry(f.field, f.picture, 96, y, tabbedEntryWidth(f.picture), id));
      }
      y += 13;  // an entry's height and a gap
    }
  }
  w.controls.push_back(control(Kind::Prompt, kWarningId, kWarning, 8, 198, kWidth - 16, 18));
  if (!t.note.empty())
    w.controls.push_back(control(Kind::Prompt, "?Note", t.note, 8, 216, kWidth - 16, 10));
  qm::addButtons(
      w,
      {{"?OK", "OK", Role::Ok}, {"?Cancel", "Cancel", Role::Cancel}, {"?Help", "Help", Role::Help}},
      258, 230, 14, 4);
  return w;
}

}  // namespace

// ---- every detail form ---------------------------------------------------------

DetailForm::DetailForm(const DetailFormSpec& spec, const WindowDef& window)
    : DetailForm(spec, window, detailFormDef(spec)) {}

DetailForm::DetailForm(const DetailFormSpec& spec, const WindowDef& window, FormDef form)
    : FormProcedure(spec.name, window, std::move(form), &managedFile(spec.file)) {}

std::unique_ptr<WindowProcedure> makeTabbedDetailForm(const TabbedDetailForm& table) {
  return std::make_unique<DetailForm>(table.spec, tabbedWindow(table), table.form);
}

std::vector<DetailField> numberedRows(const std::string& prompt, const std::string& prefix,
                                      int first, int last) {
  std::vector<DetailField> rows;
  for (int n = first; n <= last; ++n) {
    const std::string i = std::to_string(n);
    rows.push_back({prompt + " " + i + ":", prefix + i, "@s200"});
  }
  return rows;
}

void DetailForm::setup() {
  FormProcedure::setup();
  if (Control* c = control(kWarningId))
    if (auto* label = qobject_cast<QLabel*>(c->widget())) label->setWordWrap(true);
  if (Control* c = control("?Note"))
    if (auto* label = qobject_cast<QLabel*>(c->widget())) label->setWordWrap(true);
}

void DetailForm::cleanup() {
  tabs_.release();
  FormProcedure::cleanup();
}

bool DetailForm::takeWindowEvent(Event e) {
  // OK under a request that names no record to write: nothing to save.
  if (e == Event::Completed && request() != InsertRecord && request() != ChangeRecord) {
    close(RequestCompleted);
    return true;
  }
  if (FormProcedure::takeWindowEvent(e)) return true;
  if (e == Event::OpenWindow && window()) {
    tabs_.createStandard(window());
    tabs_.colour();
  }
  return false;
}

bool DetailForm::takeAccepted(Control& c) {
  if (FormProcedure::takeAccepted(c)) return true;
  // A field shown on several tabs shows the value just taken on all of them.
  if (c.isData() && built())
    for (auto& other : built()->controls())
      if (other.get() != &c && other->bound() &&
          compareNoCase(other->def().field, c.def().field) == 0)
        other->show();
  return false;
}

// ---- UpdateWPIMG -------------------------------------------------------------------

ImageForm::ImageForm(const WebContext& ctx) : DetailForm(kImages, imageWindow()), ctx_(ctx) {}

void ImageForm::setup() {
  DetailForm::setup();
  if (Control* r = control(kImageLink))
    if (r->widget()) r->widget()->setCursor(Qt::PointingHandCursor);
  if (Control* i = control(kImage))
    if (auto* label = qobject_cast<QLabel*>(i->widget()))
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

bool ImageForm::takeWindowEvent(Event e) {
  bool taken = DetailForm::takeWindowEvent(e);
  if (e == Event::OpenWindow && isRunning()) {
    std::string path(clip(file().buffer().text("WPI:IMAGEPATH")));
    if (ctx_.imagePath) *ctx_.imagePath = path;
    showPicture(path);
    display();
  }
  return taken;
}

void ImageForm::showPicture(const std::string& path) {
  picture_ = QImage();
  if (!path.empty() && !hasDriveLetter(path)) {
    QFile f(QString::fromStdString(normalizePath(path)));
    if (f.open(QIODevice::ReadOnly)) {
      QByteArray bytes = f.readAll();
      // JPEG through libjpeg, the other formats through Qt.
      if (bytes.size() > 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
          static_cast<unsigned char>(bytes[1]) == 0xD8)
        picture_ = decodeJpeg(bytes);
      else
        picture_.loadFromData(bytes);
    }
  }
  // A picture that is not there leaves the control empty, as an image
  // control shows a missing file.
  if (Control* i = control(kImage))
    if (auto* label = qobject_cast<QLabel*>(i->widget()))
      label->setPixmap(picture_.isNull() ? QPixmap() : QPixmap::fromImage(picture_));
}

void ImageForm::openReference() {
  RunShellCommand(window(), clip(file().buffer().text("WPI:WEBPAGEIMG")));
}

bool ImageForm::takeFieldEvent(Control& c, Event e) {
  if (e == Event::MouseDown && compareNoCase(c.id(), kImageLink) == 0) openReference();
  return DetailForm::takeFieldEvent(c, e);
}

bool ImageForm::takeAccepted(Control& c) {
  if (compareNoCase(c.id(), kPrint) == 0) {
    callNamedProcedure(*this, "PrintImage", 0, [this](int) { display(); });
    return true;
  }
  if (DetailForm::takeAccepted(c)) return true;
  if (compareNoCase(c.id(), kShowImage) == 0) {
    if (acceptTyped()) openReference();
    return true;
  }
  return false;
}

// Only the image form uses the program's globals.
std::unique_ptr<WindowProcedure> makeUpdateWPLinks(const WebContext&) {
  return std::make_unique<DetailForm>(kLinks, linksWindow());
}
std::unique_ptr<WindowProcedure> makeUpdateWPIMG(const WebContext& ctx) {
  return std::make_unique<ImageForm>(ctx);
}
std::unique_ptr<WindowProcedure> makeUpdateWPMeta(const WebContext&) {
  return std::make_unique<DetailForm>(kMeta, metaWindow());
}
std::unique_ptr<WindowProcedure> makeUpdateWPScripts(const WebContext&) {
  return std::make_unique<DetailForm>(kScripts, scriptsWindow());
}
std::unique_ptr<WindowProcedure> makeUpdateWPForm(const WebContext&) {
  return std::make_unique<DetailForm>(kForms, formsWindow());
}

}  // namespace qm::details
