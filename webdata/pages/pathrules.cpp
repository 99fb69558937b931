#include "webdata/pages/pathrules.h"

#include "runtime/values/fsutil.h"
#include "runtime/values/text.h"

namespace qm::webpages {

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

char folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Windows paths: the directory matches whatever its letter case and
// whichever separator; it must end at a separator of the path.
bool startsWithDirectory(std::string_view path, std::string_view dir) {
  if (dir.empty() || path.size() < dir.size()) return false;
  for (std::size_t i = 0; i < dir.size(); ++i) {
    const bool same =
        isSeparator(dir[i]) ? isSeparator(path[i]) : folded(dir[i]) == folded(path[i]);
    if (!same) return false;
  }
  return isSeparator(dir.back()) || path.size() == dir.size() || isSeparator(path[dir.size()]);
}

}  // namespace

std::string pageNameFromLocalPath(std::string_view localPath, std::string_view domainDir) {
  std::string name = relativePagePath(localPath, domainDir);
  if (name.size() > kPageNameWidth) name.resize(kPageNameWidth);
  return std::string(clip(name));
}

std::string relativePagePath(std::string_view localPath, std::string_view domainDir) {
  const std::string_view path = clip(localPath);
  const std::string_view dir = clip(domainDir);
  std::string name;
  if (startsWithDirectory(path, dir)) {
    name = std::string(path.substr(dir.size()));
    if (!name.empty() && isSeparator(name.front())) name.erase(0, 1);
  } else {
    const std::size_t cut = path.find_last_of("\\/");
    name = std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
  }
  return std::string(clip(name));
}

std::string pagePathFor(std::string_view webPath, std::string_view pageName) {
  return std::string(clip(webPath)) + "/" + std::string(clip(pageName));
}

std::string pagePathOf(std::string_view webPath, std::string_view pageName,
                       std::string_view localPath, std::string_view domainDir) {
  const bool fromLocal =
      !clip(localPath).empty() && pageNameFromLocalPath(localPath, domainDir) == clip(pageName);
  return pagePathFor(webPath,
                     fromLocal ? relativePagePath(localPath, domainDir) : std::string(pageName));
}

std::string slashFirstBackslash(std::string_view path) {
  std::string s(clip(path));
  if (const std::size_t at = s.find('\\'); at != std::string::npos) s[at] = '/';
  return s;
}

std::string localPathFor(std::string_view domainDir, std::string_view pageName) {
  return joinPath(clip(domainDir), clip(pageName));
}

}  // namespace qm::webpages
