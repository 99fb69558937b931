#pragma once
// The HTML import of one web page, run from the page form on its thread.
#include "webdata/context.h"

namespace qm {

// Reads the HTML file named by WEB:LOCALPATH of the calling thread's WebPages
// buffer: asks first, replaces the page's image, link, meta tag, script and
// form records with those the scan finds, and fills the page's title, file
// date and time, size, read date and the five content marks in that buffer
// (the form saves the page record). Leaves the five detail files open on the
// thread, as the form expects. The file names, status line and running
// count are the program's globals that ctx names.
void ParseHtmlFile(const WebContext& ctx);

}  // namespace qm
