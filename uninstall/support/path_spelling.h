// How a path of the log is spelled, before the system is asked what it names:
// the device prefixes the system strips, the characters its file search takes
// for wildcards, stream names, roots and the folders above a path.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pathspell {

// "*" and "?", and "<", ">" and '"', which the NT file search also takes
// for wildcards.
bool HasWildcard(std::string_view text);

// The length of the root of a full path: 3 for "X:\", the whole of
// "\\server\share" with the backslash after it if there is one; 0 for any
// other path (relative, "X:name", "\name", a server without a share).
size_t RootLength(std::string_view path);
// A drive root or a share root, with or without its last backslash.
bool IsRoot(std::string_view path);

// The path in the plain form the system's ordinary path parsing reads, or
// nothing when it names no file or folder of a drive or share the way a
// record of the log may:
// - the device prefixes "\\.\" and "\\?\" (also "\??\"), with "UNC\" after
//   them for a share, are taken off; a device other than a drive letter
//   followed by a backslash ("\\.\C:", "\\?\Volume{...}\", "\\?\GLOBALROOT\")
//   is refused;
// - a "\\?\" path is taken by the system letter for letter: a component that
//   ordinary parsing would change (empty, "." or "..", a trailing dot or blank,
//   a "/") is refused, since the plain form would name something else;
// - elsewhere "/" separates as "\" does;
// - a ":" after the root (a stream of a file) and a wildcard in a folder
//   component are refused.
std::optional<std::string> PlainSpelling(std::string_view path);

// The folder part of a path, without its trailing backslash unless it is a
// root, and the last component.
struct FolderAndName {
  std::string folder;
  std::string name;
};
FolderAndName SplitLast(std::string_view path);

// `folder` + `name` with one backslash between them.
std::string Join(std::string_view folder, std::string_view name);

// A full folder path (no trailing backslash unless a root), then each folder
// above it up to its root.
std::vector<std::string> FoldersUpToRoot(std::string_view folder);

// Whether `inner` lies strictly below `outer`, both full paths in the same
// form, compared without regard to case.
bool IsBelow(std::string_view inner, std::string_view outer);

// Whether a file name matches a mask of "*" (any run of characters) and "?"
// (one character), without regard to case; "*.*" also matches a name without
// a dot. A mask with the other wildcards matches nothing: it is never taken
// to name a particular file.
bool MaskMatches(std::string_view mask, std::string_view name);

}  // namespace pathspell
