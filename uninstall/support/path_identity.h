// What a path of the log really names on this system, whatever its spelling:
// its full, long form and the identity of its folder; and the folders of this
// system that no record may sweep with a mask or remove.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "uninstall/support/path_spelling.h"
#include "uninstall/support/protected_folders.h"

namespace pathid {

// The volume serial number and file index of an existing file or folder;
// nothing where the system cannot open it to ask (a folder on the Windows 95
// family, a missing path).
std::optional<Identity> IdentityOf(const std::string& path);

// The full path of an existing file or folder with every component as its
// folder lists it: long names in their own case. Nothing when a component is
// missing or names an entry only under another spelling than its long or short
// name (a trailing blank the system would not strip, say).
std::optional<std::string> LongPathOf(const std::string& fullPath);

// A file or mask record of the log, resolved.
struct FileTarget {
  std::string folder;  // the existing folder, in long form
  std::string name;    // the mask as written, or the file name as the system reads it
  bool mask = false;
  std::string Path() const { return pathspell::Join(folder, name); }
};

// Resolves the paths of one removal. The records of a log share few folders,
// so each folder is looked up once.
class Resolver {
 public:
  // Nothing when the path is no plain file path of a drive or share
  // (pathspell::PlainSpelling) or its folder does not exist.
  std::optional<FileTarget> File(const std::string& path);
  // The long path of an existing file (not a folder) named without wildcards.
  std::optional<std::string> ExistingFile(const std::string& path);
  // An existing folder, then each folder above it up to its root, with their
  // identities. Nothing when it does not exist, has wildcards, or is a folder
  // whose identity Windows NT could not report.
  std::optional<std::vector<Place>> FolderChain(const std::string& path);
  // The long form of an existing folder given in full.
  std::optional<std::string> LongFolder(const std::string& fullFolder);

 private:
  std::map<std::string, std::optional<std::string>> folders_;
};

// The full form of a path as the system's ordinary parsing reads it, or
// nothing when that is no path of a drive or share.
std::optional<std::string> FullPathOf(const std::string& path);

// The drive roots, the Windows and system folders with everything below them,
// the Program Files and common files folders, the profile folders (each
// profile, the folder of the profiles, desktops, documents, Start menus,
// program groups, start-up folders, application data, and every other shell
// folder of the user and of all users), the common application data folder
// and the temporary folder, as this system names them.
ProtectedFolders ProtectedFoldersOfThisSystem();

// Where a font file given without a folder lies.
std::string FontsFolder();

}  // namespace pathid
