// The folders that a record of the log may not sweep with a mask or remove:
// matched by identity where the system could tell it, by their resolved long
// paths otherwise, so that no spelling of a folder escapes its protection.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pathid {

// What the system calls the same file or folder: the volume's serial number
// and the file's index on it.
struct Identity {
  uint32_t volume = 0;
  uint64_t index = 0;
  bool operator==(const Identity&) const = default;
};

// A folder in its full, long form, with its identity when it could be read.
struct Place {
  std::string path;
  std::optional<Identity> id;
};

enum class Guard {
  Itself,              // the folder itself (Program Files, a profile, Temp...)
  AndEverythingBelow,  // the Windows folder and all in it
  HoldsProgramGroups,  // a Start menu, Programs or Desktop folder: itself only,
                       // and it lifts the Windows folder's protection from what
                       // lies below it, where older systems keep program groups
};

class ProtectedFolders {
 public:
  void Add(Place folder, Guard guard);
  size_t size() const { return folders_.size(); }

  // `chain` is a folder, then each folder above it up to its root (see
  // pathspell::FoldersUpToRoot). A mask may sweep a folder that is no root,
  // not one of the protected folders, and not at or below the Windows folder.
  bool MaySweep(const std::vector<Place>& chain) const;
  // A created folder may be removed when it is no root and not one of the
  // protected folders, nor at or below the Windows folder unless a Start menu,
  // Programs or Desktop folder lies between.
  bool MayRemove(const std::vector<Place>& chain) const;

 private:
  bool Matches(const Place& place, Guard guard) const;
  bool IsOneOfThem(const Place& place) const;
  std::vector<std::pair<Place, Guard>> folders_;
};

// Two places are the same folder when their identities are equal, or when
// their paths are, without regard to case and a trailing backslash.
bool SamePlace(const Place& a, const Place& b);

}  // namespace pathid
