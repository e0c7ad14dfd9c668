// Which registry paths a deletion may touch, without a system call.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace regpath {

// A key to delete: its parent's path and its own name.
struct KeyDeletion {
  std::string parentPath;
  std::string name;
};

// The parent and name of the key `path` names, or nothing when the path names
// no key below a root: an empty path, a bare root ("HKLM", "HKLM\"), or a
// path whose last component is empty. A root is never deleted, and never
// emptied subkey by subkey.
std::optional<KeyDeletion> KeyDeletionOf(std::string_view path);

// True when `path` names a key below a root, so that a value may be deleted there.
bool NamesKeyBelowRoot(std::string_view path);

// A key that the system and other programs share, which a created-key record
// never deletes, whoever wrote the record: every key directly below HKLM, HKCU
// and HKU (and below each user's hive in HKU); the well-known keys of the
// machine and of each user (Environment, the Run keys, Uninstall, App Paths,
// SharedDLLs, the shell folders, fonts, Winlogon, the control set, the keys
// directly below Control Panel...) and
// every key above them; and the system's own classes (CLSID, Interface,
// TypeLib, "*" ...) under HKCR and under Software\Classes. Keys of a product
// below them ("...\Uninstall\Product", "Software\Vendor\App",
// "CLSID\{guid}") are not protected. Root names and key names are compared
// without regard to case, and neither empty components nor a trailing
// backslash hide a protected key.
bool IsProtectedKey(std::string_view path);

}  // namespace regpath
