#pragma once
// What the web page windows use of the program that registers them: its
// globals, handed over with the registration and kept by every window made.
// A global the program does not have is a null pointer.
#include <string>
#include <string_view>

#include "runtime/values/fsutil.h"
#include "runtime/values/text.h"

namespace qm {

struct WebContext {
  FixedText<kPathWidth>* htmlFileName = nullptr;  // the HTML file being read
  FixedText<20>* workFileName = nullptr;          // the name of its work copy
  FixedText<50>* domain = nullptr;                // "domainname" in filters
  FixedText<100>* status = nullptr;               // the status line
  FixedText<20>* progress = nullptr;              // the running count, as text
  FixedText<kPathWidth>* imagePath = nullptr;     // the picture the image form shows
  FixedText<kPathWidth>* newLocalDir = nullptr;   // the per-domain change's directory
  std::string* queryFilter = nullptr;             // the last cross-reference view's filter
  bool (*setQueryFilter)(std::string_view) = nullptr;
  FixedText<120>* htmlEditor = nullptr;  // the control panel's programs
  FixedText<100>* textEditor = nullptr;
};

}  // namespace qm
