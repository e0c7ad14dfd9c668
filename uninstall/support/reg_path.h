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

}  // namespace regpath
