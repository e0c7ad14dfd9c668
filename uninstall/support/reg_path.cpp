#include "uninstall/support/reg_path.h"

#include <vector>

#include "common/ansi.h"
#include "common/install_log.h"

namespace regpath {
namespace {

using Components = std::vector<std::string_view>;

// Keys below the machine's or a user's hive root that the system and other
// programs keep their settings in. Every key above one of them is shared too.
constexpr std::string_view kSharedKeys[] = {
    "Software\\Clients",
    "Software\\Policies",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx",
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices",
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
    "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
    "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes",
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows",
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options",
    "System\\CurrentControlSet\\Control\\Session Manager\\Environment",
    "System\\CurrentControlSet\\Services",
};

// The system's own classes, directly below HKCR or below Software\Classes.
constexpr std::string_view kSystemClasses[] = {
    "CLSID",  "Interface", "TypeLib", "AppID", "Applications",         "SystemFileAssociations", "*",
    "Directory", "Folder", "Drive",   "AllFilesystemObjects", "Unknown", "MIME",
};

Components Split(std::string_view path) {
  Components parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool IsControlSet(std::string_view name) {
  constexpr std::string_view kPrefix = "ControlSet";
  if (name.size() <= kPrefix.size() || !ansi::SameText(name.substr(0, kPrefix.size()), kPrefix)) return false;
  return name.find_first_not_of("0123456789", kPrefix.size()) == std::string_view::npos;
}

bool StartsWith(const Components& key, const Components& prefix) {
  if (prefix.size() > key.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (!ansi::SameText(key[i], prefix[i])) return false;
  }
  return true;
}

// `key` lies below a classes root (HKCR, Software\Classes, a user's _Classes hive).
bool IsSharedClassKey(Components key) {
  // The 32-bit view of the classes on a 64-bit system holds the same classes.
  if (!key.empty() && ansi::SameText(key[0], "Wow6432Node")) key.erase(key.begin());
  if (key.empty()) return true;
  if (key.size() > 1) return false;
  for (std::string_view name : kSystemClasses) {
    if (ansi::SameText(key[0], name)) return true;
  }
  return false;
}

// `key` lies below the machine's hive root or a user's.
bool IsSharedHiveKey(Components key) {
  if (key.size() <= 1) return true;
  // Other spellings of the same keys: the 32-bit view of Software, and the
  // numbered control sets, of which CurrentControlSet is one.
  if (ansi::SameText(key[0], "Software") && ansi::SameText(key[1], "Wow6432Node")) {
    key.erase(key.begin() + 1);
    if (key.size() <= 1) return true;
  }
  if (ansi::SameText(key[0], "System") && IsControlSet(key[1])) key[1] = "CurrentControlSet";
  if (ansi::SameText(key[0], "Software") && ansi::SameText(key[1], "Classes")) {
    return IsSharedClassKey(Components(key.begin() + 2, key.end()));
  }
  // The user's desktop, colours, mouse, keyboard and regional settings.
  if (key.size() == 2 && ansi::SameText(key[0], "Control Panel")) return true;
  for (std::string_view shared : kSharedKeys) {
    if (StartsWith(Split(shared), key)) return true;
  }
  return false;
}

}  // namespace

bool NamesKeyBelowRoot(std::string_view path) {
  return !installlog::SplitRegistryPath(path).subKey.empty();
}

std::optional<KeyDeletion> KeyDeletionOf(std::string_view path) {
  if (!NamesKeyBelowRoot(path)) return std::nullopt;
  std::string p = installlog::RemoveTrailingBackslash(path);
  // Only the backslash separates: a key name may hold ":".
  size_t cut = p.rfind('\\');
  KeyDeletion d;
  d.name = cut == std::string::npos ? p : p.substr(cut + 1);
  d.parentPath = cut == std::string::npos ? std::string() : installlog::RemoveTrailingBackslash(p.substr(0, cut));
  if (d.name.empty()) return std::nullopt;
  // A key directly under HKEY_CURRENT_USER given without a root ("Software")
  // has an empty parent, which splits to HKEY_CURRENT_USER itself.
  return d;
}

bool IsProtectedKey(std::string_view path) {
  installlog::RegistryPath p = installlog::SplitRegistryPath(path);
  Components key = Split(p.subKey);
  switch (p.root) {
    case installlog::RegistryRoot::ClassesRoot:
      return IsSharedClassKey(key);
    case installlog::RegistryRoot::Users: {
      if (key.size() <= 1) return true;
      // HKU\<user>_Classes is that user's Software\Classes.
      std::string_view hive = key[0];
      constexpr std::string_view kClasses = "_Classes";
      bool classes = hive.size() > kClasses.size() &&
                     ansi::SameText(hive.substr(hive.size() - kClasses.size()), kClasses);
      Components below(key.begin() + 1, key.end());
      return classes ? IsSharedClassKey(below) : IsSharedHiveKey(below);
    }
    default:
      return IsSharedHiveKey(key);
  }
}

}  // namespace regpath
