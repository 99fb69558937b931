#pragma once
// The window gallery, for looking at every window in a minute: with the
// environment variable QM_GALLERY naming a folder, a program opens each of its
// registered windows, the reports' previews and the messages they show once
// its frame is up, writes one PNG of each into that folder and ends. A
// program without the variable is not touched.
#include <functional>
#include <string>

namespace qm {

class WindowProcedure;

// Arms the gallery when QM_GALLERY is set; frame gives the running frame (or
// nullptr while it is not up). Returns whether it was armed.
bool armGallery(const std::string& program, std::function<WindowProcedure*()> frame);

}  // namespace qm
