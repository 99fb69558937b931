#pragma once
// The quick view: every web page of every domain in one list that refuses
// additions and deletions, and the viewing form with the page's five kinds
// of detail record.
#include <array>
#include <memory>

#include "frame/tabcolor.h"
#include "records/recordwindows.h"
#include "runtime/ui/form.h"
#include "webdata/views/detaillist.h"

namespace qm::webviews {

class BrowseWebPages2 : public records::RecordBrowse {
  Q_OBJECT
 public:
  BrowseWebPages2();
  void runUpdate(int number, int request, ResponseHandler done) override;
  void navigate(Nav nav) override;

 protected:
  void setup() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Beep and "Error" box: this list adds and deletes nothing.
  void refuse(bool insert);
};

class UpdateWebPages : public FormProcedure {
  Q_OBJECT
 public:
  UpdateWebPages();
  // 1 to 5: the detail forms, with the request; other numbers call nothing.
  void runUpdate(int number, int request, ResponseHandler done) override;
  // The detail list of tab 1..5 (nullptr before the window is built).
  DetailList* detailList(int number) const;

 protected:
  void setup() override;
  void cleanup() override;
  bool takeWindowEvent(Event e) override;
  bool takeAccepted(Control& c) override;
  void closeRequested() override;
  void recordReshown() override;

 private:
  void viewDetail(int number);

  TabColorClass tabs_;
  std::array<DetailList*, 5> lists_{};
};

std::unique_ptr<WindowProcedure> makeBrowseWebPages2();
std::unique_ptr<WindowProcedure> makeUpdateWebPages();

}  // namespace qm::webviews
