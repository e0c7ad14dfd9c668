#include "tools/author/distribution.h"

#include "common/ansi.h"

namespace author {

const ArchiveFile* Distribution::Archive(const std::string& name) const {
  // Windows finds a file whatever the letter case of its name.
  auto it = archives.find(ansi::UpperCase(name));
  return it == archives.end() ? nullptr : &it->second;
}

}  // namespace author
