#include "uninstall/support/protected_folders.h"

#include "common/ansi.h"
#include "uninstall/support/path_spelling.h"

namespace pathid {
namespace {

std::string_view WithoutTrailingBackslash(std::string_view path) {
  while (path.size() > 1 && path.back() == '\\' && !pathspell::IsRoot(path)) path.remove_suffix(1);
  return path;
}

}  // namespace

bool SamePlace(const Place& a, const Place& b) {
  if (a.id && b.id && *a.id == *b.id) return true;
  return !a.path.empty() && ansi::SameText(WithoutTrailingBackslash(a.path), WithoutTrailingBackslash(b.path));
}

void ProtectedFolders::Add(Place folder, Guard guard) {
  if (folder.path.empty() && !folder.id) return;
  folders_.emplace_back(std::move(folder), guard);
}

bool ProtectedFolders::Matches(const Place& place, Guard guard) const {
  for (const auto& [folder, g] : folders_) {
    if (g == guard && SamePlace(place, folder)) return true;
  }
  return false;
}

bool ProtectedFolders::IsOneOfThem(const Place& place) const {
  for (const auto& entry : folders_) {
    if (SamePlace(place, entry.first)) return true;
  }
  return false;
}

bool ProtectedFolders::MaySweep(const std::vector<Place>& chain) const {
  if (chain.empty() || chain.size() == 1 || pathspell::IsRoot(chain.front().path)) return false;
  if (IsOneOfThem(chain.front())) return false;
  for (const Place& place : chain) {
    if (Matches(place, Guard::AndEverythingBelow)) return false;
  }
  return true;
}

bool ProtectedFolders::MayRemove(const std::vector<Place>& chain) const {
  if (chain.empty() || chain.size() == 1 || pathspell::IsRoot(chain.front().path)) return false;
  if (IsOneOfThem(chain.front())) return false;
  for (size_t i = 1; i < chain.size(); ++i) {
    if (Matches(chain[i], Guard::AndEverythingBelow)) return false;
    if (Matches(chain[i], Guard::HoldsProgramGroups)) return true;
  }
  return true;
}

}  // namespace pathid
