#pragma once
// The five update forms of a page's detail records. They show one record and
// save a change; they refuse to insert or delete.
#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "appkit/tabcolor.h"
#include "dictionary/dictionary.h"
#include "runtime/ui/form.h"
#include "webdata/context.h"

namespace qm::details {

struct DetailFormSpec {
  const char* name;
  const char* title;    // of the window definition
  const char* viewing;  // with the change request
  FileId file;
  bool resizable;
};

class DetailForm : public FormProcedure {
 public:
  DetailForm(const DetailFormSpec& spec, const WindowDef& window);
  // With requests and titles of its own.
  DetailForm(const DetailFormSpec& spec, const WindowDef& window, FormDef form);

 protected:
  void setup() override;
  void cleanup() override;
  bool takeWindowEvent(Event e) override;
  bool takeAccepted(Control& c) override;
  DataFile& file() const { return *primaryFile(); }

 private:
  TabColorClass tabs_;
};

// UpdateWPIMG: the picture of the image, the image reference opened by the
// desktop and the print of the record.
class ImageForm : public DetailForm {
 public:
  explicit ImageForm(const WebContext& ctx);
  // The picture the image control shows (null when none could be read).
  const QImage& picture() const { return picture_; }

 protected:
  void setup() override;
  bool takeWindowEvent(Event e) override;
  bool takeFieldEvent(Control& c, Event e) override;
  bool takeAccepted(Control& c) override;

 private:
  void showPicture(const std::string& path);
  void openReference();
  const WebContext& ctx_;
  QImage picture_;
};

// A detail form laid out from a table: tabs of prompt, field and picture
// rows (an empty picture gives a check box), the warning under the sheet and
// the note, when there is one, under the warning.
struct DetailField {
  std::string prompt;
  std::string field;
  std::string picture;
};
struct DetailTab {
  std::string title;
  std::vector<DetailField> fields;
};
struct TabbedDetailForm {
  DetailFormSpec spec;
  FormDef form;
  std::vector<DetailTab> tabs;
  std::string note = {};
};
std::unique_ptr<WindowProcedure> makeTabbedDetailForm(const TabbedDetailForm& table);
// "<prompt> n:" rows of the fields prefix + n, first to last, @s200 each.
std::vector<DetailField> numberedRows(const std::string& prompt, const std::string& prefix,
                                      int first, int last);

std::unique_ptr<WindowProcedure> makeUpdateWPLinks(const WebContext& ctx);
std::unique_ptr<WindowProcedure> makeUpdateWPIMG(const WebContext& ctx);
std::unique_ptr<WindowProcedure> makeUpdateWPMeta(const WebContext& ctx);
std::unique_ptr<WindowProcedure> makeUpdateWPScripts(const WebContext& ctx);
std::unique_ptr<WindowProcedure> makeUpdateWPForm(const WebContext& ctx);

}  // namespace qm::details
