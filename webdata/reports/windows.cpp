#include "webdata/reports/windows.h"

#include <map>
#include <stdexcept>
#include <utility>

#include "appkit/procedures.h"
#include "dictionary/datafile_adapter.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/ui/window.h"

namespace qm::webreports {

namespace {

ControlDef make(Kind k, std::string id, std::string text, int x, int y, int w, int h) {
  ControlDef c;
  c.kind = k;
  c.id = std::move(id);
  c.text = std::move(text);
  c.x = x, c.y = y, c.w = w, c.h = h;
  return c;
}
ControlDef prompt(std::string text, int x, int y, int w) {
  return make(Kind::Prompt, {}, std::move(text), x, y, w, 10);
}
ControlDef entry(std::string value, std::string picture, int x, int y, int w, std::string tip) {
  ControlDef c = make(Kind::Entry, "?" + value, {}, x, y, w, 10);
  c.field = std::move(value);
  c.picture = std::move(picture);
  c.tip = std::move(tip);
  return c;
}
ControlDef button(std::string id, std::string text, Role role, int x, int y, int w) {
  ControlDef c = make(Kind::Button, std::move(id), std::move(text), x, y, w, 14);
  c.role = role;
  return c;
}

const char* const kDomainTip =
    "Enter the complete domain name that you have registered.\n"
    "Do not type the \"http://www.\" part.\n"
    "For example: for http://www.mydomain.com\n"
    "enter mydomain.com";
const char* const kDirTip =
    "This is the default local directory where HTL pages are kept.\n"
    "Be sure to include the complete path including drive letter of\n"
    "the path.\n"
    "This path will used in the Web Pages file.";
const char* const kImageDomainTip =
    "Enter the complete domain name that you have registered,\n"
    "for example mydomain.com.\n"
    "The full web address, such as http://www.mydomain.com, may be typed as well.";

StarterSpec printImages() {
  StarterSpec s;
  WindowDef& w = s.window;
  w.title = "Print Images";
  w.w = 260, w.h = 70;
  w.controls = {
      prompt("Enter the Domain Name for the images you wish to print.   Then press OK.", 8, 8, 244),
      button("?OK", "OK", Role::Ok, 206, 46, 46),
      prompt("Domain Name:", 8, 28, 50),
      entry("domainname", "@s50", 60, 27, 192, kImageDomainTip),
  };
  w.status = "This is the actual domain name that you have registered.";
  s.starts = "PrintImage3";
  return s;
}

StarterSpec changeLocalPaths() {
  StarterSpec s;
  WindowDef& w = s.window;
  w.title = "Change Local Path Name in ALL Web Pages By Domain";
  w.w = 300, w.h = 96;
  w.status = "Changes the local path of a domain and all of its pages.";
  w.controls = {
      prompt("Enter the Domain Name. Then enter the new local path for the web pages.", 8, 8, 284),
      prompt("Domain Name:", 8, 28, 54),
      entry("domainname", "@s50", 64, 27, 200, kDomainTip),
      prompt("New Local Dir:", 8, 46, 54),
      entry("NewLocalDir", "@s80", 64, 45, 228, kDirTip),
      button("?Process", "Process Records Now", Role::Ok, 120, 72, 84),
      button("?CloseWindow", "Close Window", Role::Cancel, 208, 72, 84),
  };
  s.updatesPages = true;
  s.starts = "ChgLoPath";
  s.mustFill = "?NewLocalDir";
  s.mustFillText =
      "Enter the new local directory of the pages in \"New Local Dir:\".|Nothing was changed.";
  return s;
}

StarterSpec markCurrentlyUsed() {
  StarterSpec s;
  WindowDef& w = s.window;
  w.title = "Change  ALL Web Pages By Domain to Currently Use";
  w.w = 300, w.h = 86;
  w.status = "Changes all web pages of a domain to currently use=Y";
  w.controls = {
      prompt("Enter the Domain Name.  Then all pages will be marked \"currently use\". "
             "You can later unmark any pages that are not in use.",
             8, 8, 284),
      prompt("Domain Name:", 8, 38, 54),
      entry("domainname", "@s50", 64, 37, 200, kDomainTip),
      button("?Process", "Process Records Now", Role::Ok, 120, 62, 84),
      button("?CloseWindow", "Close Window", Role::Cancel, 208, 62, 84),
  };
  s.window.controls[0].h = 20;
  s.updatesPages = true;
  s.starts = "ChgLoPath1";
  return s;
}

}  // namespace

const StarterSpec& starterSpec(const std::string& procedure) {
  static const std::map<std::string, StarterSpec> specs = {
      {"preimgreport", printImages()},
      {"ChgLoPaWindow", changeLocalPaths()},
      {"chgcurruse", markCurrentlyUsed()},
  };
  auto it = specs.find(procedure);
  if (it == specs.end()) throw std::logic_error("no such window: " + procedure);
  return it->second;
}

StarterWindow::StarterWindow(std::string name, const StarterSpec& spec, const WebContext& ctx)
    : WindowProcedure(std::move(name)), spec_(spec) {
  setDefinition(spec_.window);
  if (spec_.updatesPages) useFile(&managedFile(FileId::WebPages), true);
  bindText("domainname", *ctx.domain);
  bindText("NewLocalDir", *ctx.newLocalDir);
}

bool StarterWindow::takeAccepted(Control& c) {
  if (WindowProcedure::takeAccepted(c)) return true;
  switch (c.def().role) {
    case Role::Ok: {
      // What is typed counts, accepted or not.
      for (auto& ctl : built()->controls()) {
        if (!ctl->isData()) continue;
        std::string err;
        if (!ctl->take(&err)) {
          message(err, "Invalid Entry", MsgIcon::Exclamation);
          select(*ctl);
          return true;
        }
      }
      if (Control* must = spec_.mustFill.empty() ? nullptr : control(spec_.mustFill);
          must && clip(must->value()).empty()) {
        message(spec_.mustFillText, spec_.window.title, MsgIcon::Exclamation);
        select(*must);
        return true;
      }
      lastStarted_ = startNamedProcedure(spec_.starts, spec_.stackSize);
      display();
      return true;
    }
    case Role::Cancel:
      close(RequestCancelled);
      return true;
    default:
      return false;
  }
}

}  // namespace qm::webreports
