#include "uninstall/support/reg_path.h"

#include "common/install_log.h"

namespace regpath {

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

}  // namespace regpath
