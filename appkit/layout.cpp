#include "appkit/layout.h"

#include <utility>

namespace qm {

namespace {
constexpr int kEntryHeight = 10;
constexpr int kButtonGap = 4;
}  // namespace

ControlDef prompt(std::string text, int x, int y, int w, std::string parent) {
  return promptAt(std::move(text), x, y + 1, w, std::move(parent), kEntryHeight);
}

ControlDef promptAt(std::string text, int x, int y, int w, std::string parent, int h) {
  return control(Kind::Prompt, {}, std::move(text), x, y, w, h, std::move(parent));
}

ControlDef entry(std::string field, std::string picture, int x, int y, int w, std::string parent) {
  ControlDef c = control(Kind::Entry, "?" + field, {}, x, y, w, kEntryHeight, std::move(parent));
  c.field = std::move(field);
  c.picture = std::move(picture);
  return c;
}

ControlDef shown(std::string field, std::string picture, int x, int y, int w) {
  ControlDef c = control(Kind::Text, "?" + field, {}, x, y, w, 10);
  c.field = std::move(field);
  c.picture = std::move(picture);
  return c;
}

ControlDef check(std::string field, std::string text, int x, int y, int w, std::string parent) {
  ControlDef c =
      control(Kind::Check, "?" + field, std::move(text), x, y, w, kEntryHeight, std::move(parent));
  c.field = std::move(field);
  return c;
}

ControlDef button(const ButtonSpec& b, int x, int y, int h, std::string parent) {
  ControlDef c = control(Kind::Button, b.id, b.text, x, y, b.width, h, std::move(parent));
  c.role = b.role;
  c.icon = b.icon;
  return c;
}

void addRows(WindowDef& w, const std::vector<FieldRow>& rows, const std::string& parent, int x,
             int y, int promptWidth, int step) {
  for (const FieldRow& r : rows) {
    w.controls.push_back(prompt(r.prompt, x, y, promptWidth, parent));
    w.controls.push_back(entry(r.field, r.picture, x + promptWidth + 2, y, r.width, parent));
    if (r.button) {
      ButtonSpec b{r.buttonId ? r.buttonId : "", r.button, Role::None, "", 34};
      w.controls.push_back(
          button(b, x + promptWidth + 2 + r.width + kButtonGap, y - 1, kEntryHeight + 2, parent));
    }
    y += step;
  }
}

void addButtons(WindowDef& w, const std::vector<ButtonSpec>& buttons, int x, int y, int h, int gap,
                const std::string& parent) {
  for (const ButtonSpec& b : buttons) {
    w.controls.push_back(button(b, x, y, h, parent));
    x += b.width + gap;
  }
}

void addOption(WindowDef& w, std::string id, std::string title, std::string field,
               const std::vector<std::pair<std::string, std::string>>& choices, int x, int y,
               int width, bool across, const std::string& parent) {
  const int n = static_cast<int>(choices.size());
  const int h = across ? 27 : 17 + n * 11;
  ControlDef g = control(Kind::Option, id, std::move(title), x, y, width, h, parent);
  g.field = std::move(field);
  w.controls.push_back(g);
  const int cw = across ? (width - 8) / (n > 0 ? n : 1) : width - 12;
  for (int i = 0; i < n; ++i) {
    const auto& [caption, value] = choices[static_cast<size_t>(i)];
    int rx = across ? x + 6 + i * cw : x + 6;
    int ry = across ? y + 13 : y + 13 + i * 11;
    ControlDef r = control(Kind::Radio, id + ":" + std::to_string(i + 1), caption, rx, ry, cw,
                           kEntryHeight, id);
    r.value = value;
    w.controls.push_back(r);
  }
}

std::string tabId(int oneBased) { return "?Tab" + std::to_string(oneBased); }

void addSheet(WindowDef& w, const std::vector<std::string>& tabs, int x, int y, int width,
              int height) {
  w.controls.push_back(control(Kind::Sheet, "?Sheet", {}, x, y, width, height));
  int i = 0;
  for (const std::string& t : tabs)
    w.controls.push_back(control(Kind::Tab, tabId(++i), t, 0, 0, 0, 0, "?Sheet"));
}

WindowDef listBrowseWindow(const ListBrowseSpec& spec) {
  WindowDef w;
  w.title = spec.title;
  w.w = 440, w.h = 238;
  w.status = "Browsing Records";
  addSheet(w, {spec.tab}, 4, 4, 432, 206);
  const std::string tab = tabId(1);
  int listY = 24;
  if (!spec.locatorField.empty()) {
    w.controls.push_back(prompt(spec.locatorPrompt, 10, 22, 48, tab));
    w.controls.push_back(entry(spec.locatorField, spec.locatorPicture, 60, 22, 180, tab));
    listY = 38;
  }
  ControlDef list = control(Kind::List, "?Browse:1", {}, 10, listY, 420, 188 - listY, tab);
  list.columns = spec.columns;
  w.controls.push_back(list);
  w.controls.push_back(prompt(
      "To resize columns, use mouse on vertical lines. To reset use F9 key.", 10, 192, 300, tab));
  addButtons(w, spec.buttons, 6, 215, 16, 4);
  return w;
}

}  // namespace qm
