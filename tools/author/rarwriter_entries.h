// The members of an archive made from a folder: its contents (not the
// folder itself), the names sorted, each folder before what it holds, with
// the files' modification times.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/rarwriter/rar_writer.h"

namespace author {

// Nothing when a file in the folder cannot be read.
std::optional<std::vector<rarwriter::Entry>> FolderEntries(const std::string& folder);

}  // namespace author
