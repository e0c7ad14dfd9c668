// The files setup.ini names, found on a disk folder as Windows finds them
// there: relative to the setup program's folder, whatever the letter case.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tools/author/author_fs.h"

namespace author {

// A name that does not stay under the source folder: a drive, a root or a
// network path, which the setup program still puts after its own folder.
bool IsAbsoluteName(std::string_view cp1251Name);

// The local path of `cp1251Name` (as setup.ini writes it, "\" or "/"
// between folders) under `folder`; nothing when no file (or folder, with
// `wantDir`) of that name is there.
std::optional<std::string> FindOnDisk(const std::string& folder, std::string_view cp1251Name, bool wantDir = false);

// The volumes of a set, found in their folder whatever the letter case.
class DiskVolumeOpener : public authorfs::VolumeOpener {
 public:
  std::unique_ptr<rar::ByteSource> Open(const std::string& name) override;
};

}  // namespace author
