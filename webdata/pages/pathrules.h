#pragma once
// How the page form derives a page's name and paths from the domain's
// default directories.
#include <string>
#include <string_view>

namespace qm::webpages {

constexpr std::size_t kPageNameWidth = 20;

// The page's name from its local file: the part after the domain's
// directory and the separator that follows it. A path outside the
// directory (or a blank directory) gives the file's own name. Cut to the
// page name's width.
std::string pageNameFromLocalPath(std::string_view localPath, std::string_view domainDir);

// The part of the local path after the domain's directory (or the file's
// own name), whole: the page name is its first 20 characters.
std::string relativePagePath(std::string_view localPath, std::string_view domainDir);

// web & "/" & page name, both without trailing blanks.
std::string pagePathFor(std::string_view webPath, std::string_view pageName);

// The page's address: web & "/" & its whole relative path when the page
// name is the local path's cut one, else web & "/" & page name. A name cut
// to 20 characters names no file on the site.
std::string pagePathOf(std::string_view webPath, std::string_view pageName,
                       std::string_view localPath, std::string_view domainDir);

// The first backslash of the text (trailing blanks removed) becomes "/".
std::string slashFirstBackslash(std::string_view path);

// dir and the page name joined into the page's local file.
std::string localPathFor(std::string_view domainDir, std::string_view pageName);

}  // namespace qm::webpages
