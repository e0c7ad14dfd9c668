#include "uninstall/removal_rules.h"

#include <algorithm>

#include "common/ansi.h"
#include "common/install_log.h"

namespace removal {
namespace {

size_t NameStart(std::string_view path) {
  size_t slash = path.find_last_of("\\/:");
  return slash == std::string_view::npos ? 0 : slash + 1;
}

bool IsDriveRoot(std::string_view path) {
  return path.size() == 3 && ansi::UpperChar(path[0]) >= 'A' && ansi::UpperChar(path[0]) <= 'Z' &&
         path[1] == ':' && path[2] == '\\';
}

std::string WithoutTrailingBackslash(std::string_view path) {
  std::string s(path);
  while (s.size() > 3 && s.back() == '\\') s.pop_back();
  return s;
}

}  // namespace

std::string_view FileExtension(std::string_view path) {
  size_t start = NameStart(path);
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || dot < start) return {};
  return path.substr(dot);
}

std::string ChangeFileExt(std::string_view path, std::string_view extension) {
  std::string_view ext = FileExtension(path);
  std::string result(path.substr(0, path.size() - ext.size()));
  result += extension;
  return result;
}

PathSet::PathSet(const std::vector<std::string>& paths) {
  folded_.reserve(paths.size());
  for (const std::string& path : paths) folded_.push_back(ansi::UpperCase(path));
  std::sort(folded_.begin(), folded_.end());
}

bool PathSet::Contains(std::string_view path) const {
  return std::binary_search(folded_.begin(), folded_.end(), ansi::UpperCase(path));
}

PathSet KeptSharedFileSet(const std::vector<std::string>& keptSharedFiles) {
  std::vector<std::string> names;
  names.reserve(keptSharedFiles.size());
  for (const std::string& line : keptSharedFiles) names.push_back(installlog::EntryPath(line));
  return PathSet(names);
}

PathSet EntryPathSet(const std::vector<std::string>& lines) {
  std::vector<std::string> paths;
  paths.reserve(lines.size());
  for (const std::string& line : lines) paths.push_back(installlog::EntryPath(line));
  return PathSet(paths);
}

bool HasWildcards(std::string_view path) { return path.find_first_of("*?<>\"") != std::string_view::npos; }

std::string FolderOf(std::string_view path) { return std::string(path.substr(0, NameStart(path))); }

std::string FontFilePath(std::string_view file, std::string_view fontsFolder) {
  if (file.empty() || file.find_first_of("\\/:") != std::string_view::npos) return std::string(file);
  std::string path(fontsFolder);
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path + std::string(file);
}

bool IsRemovablePath(std::string_view path) {
  size_t rootEnd;  // where the components below the root begin
  if (path.size() >= 3 && path[1] == ':' && path[2] == '\\' && ansi::UpperChar(path[0]) >= 'A' &&
      ansi::UpperChar(path[0]) <= 'Z') {
    rootEnd = 3;
  } else if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
    size_t server = path.find('\\', 2);
    if (server == std::string_view::npos || server == 2) return false;
    size_t share = path.find('\\', server + 1);
    if (share == std::string_view::npos || share == server + 1) return false;
    rootEnd = share + 1;
  } else {
    return false;
  }
  std::string_view rest = path.substr(rootEnd);
  while (!rest.empty() && rest.back() == '\\') rest.remove_suffix(1);
  if (rest.empty()) return false;  // the root itself
  if (HasWildcards(path.substr(0, NameStart(path)))) return false;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = rest.find('\\', start);
    if (end == std::string_view::npos) end = rest.size();
    std::string_view component = ansi::TrimRight(rest.substr(start, end - start));
    // An empty component ("a\\b") or dots would make the system resolve a
    // path other than the one written.
    if (component.empty() || component.find_first_not_of('.') == std::string_view::npos ||
        component.find('/') != std::string_view::npos) {
      return false;
    }
    start = end + 1;
  }
  return true;
}

bool IsMaskAllowedIn(std::string_view folder, const std::vector<std::string>& protectedFolders) {
  std::string f = WithoutTrailingBackslash(folder);
  if (IsDriveRoot(f) || f.size() <= 3) return false;
  for (const std::string& p : protectedFolders) {
    if (!p.empty() && ansi::SameText(f, WithoutTrailingBackslash(p))) return false;
  }
  return true;
}

SharedFileAction DecideSharedFile(int counter, int answerSoFar) {
  if (counter > 1) return SharedFileAction::DecrementAndKeep;
  if (answerSoFar == kYesToAll) return SharedFileAction::Remove;
  if (answerSoFar == kNoToAll) return SharedFileAction::Keep;
  return SharedFileAction::Ask;
}

}  // namespace removal
