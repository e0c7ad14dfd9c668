#include "tools/author/distribution_files.h"

#include <vector>

#include "common/ansi.h"
#include "tools/author/cp1251.h"

namespace author {
namespace {

std::vector<std::string> Components(std::string_view utf8) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= utf8.size()) {
    size_t end = utf8.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = utf8.size();
    std::string_view part = utf8.substr(start, end - start);
    if (!part.empty() && part != ".") parts.emplace_back(part);
    start = end + 1;
  }
  return parts;
}

// The entry of `dir` that Windows takes for `name`.
std::optional<std::string> FindEntry(const std::string& dir, const std::string& name) {
  const std::string exact = authorfs::Join(dir, name);
  if (authorfs::IsFile(exact) || authorfs::IsDir(exact)) return exact;
  const std::string wanted = ansi::UpperCase(cp1251::Cp1251FromUtf8(name));
  for (const authorfs::DirEntry& e : authorfs::List(dir)) {
    if (ansi::UpperCase(cp1251::Cp1251FromUtf8(e.name)) == wanted) return authorfs::Join(dir, e.name);
  }
  return std::nullopt;
}

}  // namespace

bool IsAbsoluteName(std::string_view name) {
  return (!name.empty() && (name[0] == '\\' || name[0] == '/')) || (name.size() >= 2 && name[1] == ':');
}

std::optional<std::string> FindOnDisk(const std::string& folder, std::string_view cp1251Name, bool wantDir) {
  const std::vector<std::string> parts = Components(cp1251::Utf8FromCp1251(cp1251Name));
  if (parts.empty() || IsAbsoluteName(cp1251Name)) return std::nullopt;
  std::string path = folder;
  for (const std::string& part : parts) {
    std::optional<std::string> next = part == ".." ? std::optional<std::string>(authorfs::Join(path, part)) : FindEntry(path, part);
    if (!next) return std::nullopt;
    path = *next;
  }
  if (wantDir ? !authorfs::IsDir(path) : !authorfs::IsFile(path)) return std::nullopt;
  return path;
}

std::unique_ptr<rar::ByteSource> DiskVolumeOpener::Open(const std::string& name) {
  if (auto src = authorfs::VolumeOpener::Open(name)) return src;
  const size_t slash = name.find_last_of("/\\");
  const std::string dir = slash == std::string::npos ? "." : name.substr(0, slash);
  const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  std::optional<std::string> found = FindEntry(dir, base);
  if (!found || *found == name) return nullptr;
  return authorfs::VolumeOpener::Open(*found);
}

}  // namespace author
