#pragma once
// The reader's multiple-document frame and the program's main body.
#include <string>
#include <vector>

#include "appkit/framehost.h"
#include "appkit/menu.h"

namespace qm::reader {

// In menu order; a Submenu's items follow it one level deeper.
const std::vector<MenuItem>& readerMenu();

class ReaderFrame : public FrameHost {
  Q_OBJECT
 public:
  ReaderFrame();
  ~ReaderFrame() override;

 protected:
  QMdiArea* makeArea(QWidget* parent) override;
  std::string helpFile() const override;
  bool beforeWindow() override;
  void setup() override;
  void cleanup() override;
};

// The frame while it runs, else nullptr.
ReaderFrame* readerFrame();

// Opens the frame and returns when it has closed.
void Main();

// The main body: settings, dictionary, frame, and the steps back. The Qt
// application object must exist. Returns the exit code.
int runReader();

}  // namespace qm::reader
