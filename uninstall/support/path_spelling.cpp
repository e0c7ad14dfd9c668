#include "uninstall/support/path_spelling.h"

#include "common/ansi.h"

namespace pathspell {
namespace {

bool IsLetter(char c) {
  char u = ansi::UpperChar(c);
  return u >= 'A' && u <= 'Z';
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

bool HasDriveRoot(std::string_view path) {
  return path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && path[2] == '\\';
}

std::vector<std::string_view> Components(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) {
      parts.push_back(path.substr(start));
      return parts;
    }
    parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
}

// A component that the system's ordinary parsing would change or drop.
bool ParsingChanges(std::string_view component) {
  return component.empty() || component == "." || component == ".." || component.back() == '.' ||
         component.back() == ' ' || component.find('/') != std::string_view::npos;
}

bool Glob(std::string_view mask, std::string_view name) {
  size_t m = 0, n = 0;
  size_t starAt = std::string_view::npos, resumeAt = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      starAt = m++;
      resumeAt = n;
    } else if (m < mask.size() && (mask[m] == '?' || ansi::UpperChar(mask[m]) == ansi::UpperChar(name[n]))) {
      ++m;
      ++n;
    } else if (starAt != std::string_view::npos) {
      m = starAt + 1;
      n = ++resumeAt;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

}  // namespace

bool HasWildcard(std::string_view text) { return text.find_first_of("*?<>\"") != std::string_view::npos; }

size_t RootLength(std::string_view path) {
  if (HasDriveRoot(path)) return 3;
  if (!StartsWith(path, "\\\\")) return 0;
  size_t server = path.find('\\', 2);
  if (server == std::string_view::npos || server == 2) return 0;
  size_t share = path.find('\\', server + 1);
  if (share == std::string_view::npos) return path.size() > server + 1 ? path.size() : 0;
  return share == server + 1 ? 0 : share + 1;
}

bool IsRoot(std::string_view path) {
  size_t root = RootLength(path);
  return root > 0 && root == path.size();
}

std::optional<std::string> PlainSpelling(std::string_view path) {
  std::string s(path);
  bool literal = StartsWith(s, "\\\\?\\") || StartsWith(s, "\\??\\");
  bool device = literal || StartsWith(s, "\\\\.\\");
  if (device) s.erase(0, 4);
  if (!literal) {
    for (char& c : s) {
      if (c == '/') c = '\\';
    }
  }
  if (device) {
    if (s.size() >= 4 && ansi::SameText(std::string_view(s).substr(0, 4), "UNC\\")) {
      s.replace(0, 4, "\\\\");
    } else if (!HasDriveRoot(s)) {
      return std::nullopt;
    }
  }
  size_t root = RootLength(s);
  if (root == 0 || HasWildcard(std::string_view(s).substr(0, root))) return std::nullopt;
  if (s[0] == '\\') {
    // A server named "." or "?" is a device prefix once more.
    std::string_view server = std::string_view(s).substr(2, s.find('\\', 2) - 2);
    if (server == "." || server == "?") return std::nullopt;
  }
  std::string_view rest = std::string_view(s).substr(root);
  if (rest.find(':') != std::string_view::npos) return std::nullopt;
  if (rest.empty()) return s;
  std::vector<std::string_view> parts = Components(rest);
  for (size_t i = 0; i < parts.size(); ++i) {
    bool last = i + 1 == parts.size();
    if (!last && HasWildcard(parts[i])) return std::nullopt;
    // A trailing backslash leaves one empty last component, in either form.
    if (literal && !(last && parts[i].empty() && parts.size() > 1) && ParsingChanges(parts[i])) return std::nullopt;
  }
  return s;
}

FolderAndName SplitLast(std::string_view path) {
  size_t cut = path.rfind('\\');
  if (cut == std::string_view::npos) return {std::string(), std::string(path)};
  size_t root = RootLength(path);
  size_t folderEnd = root > 0 && cut < root ? root : cut;
  return {std::string(path.substr(0, folderEnd)), std::string(path.substr(cut + 1))};
}

std::string Join(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path + std::string(name);
}

std::vector<std::string> FoldersUpToRoot(std::string_view folder) {
  std::vector<std::string> chain;
  size_t root = RootLength(folder);
  if (root == 0) return chain;
  std::string f(folder);
  // Repeated separators name no folder of their own.
  auto trim = [&] {
    while (f.size() > root && f.back() == '\\') f.pop_back();
  };
  trim();
  chain.push_back(f);
  while (f.size() > root) {
    size_t cut = f.rfind('\\');
    f.resize(cut < root ? root : cut);
    trim();
    chain.push_back(f);
  }
  return chain;
}

bool IsBelow(std::string_view inner, std::string_view outer) {
  std::string prefix(outer);
  if (prefix.empty()) return false;
  if (prefix.back() != '\\') prefix += '\\';
  return inner.size() > prefix.size() && ansi::SameText(inner.substr(0, prefix.size()), prefix);
}

bool MaskMatches(std::string_view mask, std::string_view name) {
  if (mask.find_first_of("<>\"") != std::string_view::npos || name.empty()) return false;
  if (Glob(mask, name)) return true;
  bool anyExtension = mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*";
  return anyExtension && name.find('.') == std::string_view::npos && Glob(mask.substr(0, mask.size() - 2), name);
}

}  // namespace pathspell
