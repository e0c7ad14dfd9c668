// Which folders a mask may sweep and a created-folder record may remove, by
// identity or, where the system could not tell one, by resolved path.
#include "uninstall/support/protected_folders.h"

#include <gtest/gtest.h>

#include "uninstall/support/path_spelling.h"

using namespace pathid;

namespace {

// The chain of a folder as the system would report it: each folder above it
// with an identity from `ids` (by path, without regard to case), or none.
std::vector<Place> Chain(const std::string& folder, const std::vector<std::pair<std::string, Identity>>& ids = {}) {
  std::vector<Place> chain;
  for (const std::string& path : pathspell::FoldersUpToRoot(folder)) {
    Place p{path, std::nullopt};
    for (const auto& [known, id] : ids) {
      if (SamePlace(Place{path, std::nullopt}, Place{known, std::nullopt})) p.id = id;
    }
    chain.push_back(p);
  }
  return chain;
}

constexpr Identity kWindows{0x43, 100};
constexpr Identity kProgramFiles{0x43, 200};
constexpr Identity kDesktop{0x43, 300};

ProtectedFolders ThisSystem() {
  ProtectedFolders f;
  f.Add({"C:\\windows", kWindows}, Guard::AndEverythingBelow);
  f.Add({"C:\\Program Files", kProgramFiles}, Guard::Itself);
  f.Add({"C:\\users\\root\\Desktop", kDesktop}, Guard::HoldsProgramGroups);
  f.Add({"C:\\windows\\Start Menu\\Programs", std::nullopt}, Guard::HoldsProgramGroups);
  f.Add({"C:\\windows\\Start Menu\\Programs\\StartUp", std::nullopt}, Guard::Itself);
  f.Add({"C:\\users\\root\\Temp", std::nullopt}, Guard::Itself);
  return f;
}

}  // namespace

TEST(ProtectedFolders, RootsAndTheProtectedFoldersThemselvesAreNeverSweptOrRemoved) {
  ProtectedFolders f = ThisSystem();
  for (const char* folder : {"C:\\", "D:\\", "\\\\server\\share", "\\\\server\\share\\", "C:\\Program Files",
                             "c:\\PROGRAM FILES\\", "C:\\users\\root\\Desktop", "C:\\users\\root\\temp",
                             "C:\\windows", "C:\\windows\\Start Menu\\Programs",
                             "C:\\windows\\Start Menu\\Programs\\StartUp"}) {
    EXPECT_FALSE(f.MaySweep(Chain(folder))) << folder;
    EXPECT_FALSE(f.MayRemove(Chain(folder))) << folder;
  }
  EXPECT_FALSE(f.MaySweep({}));
  EXPECT_FALSE(f.MayRemove({}));
}

TEST(ProtectedFolders, AnotherSpellingOfTheSameFolderIsKnownByItsIdentity) {
  ProtectedFolders f = ThisSystem();
  // A junction, another drive letter for the same volume, a share of it: the
  // path differs, the identity does not.
  EXPECT_FALSE(f.MaySweep(Chain("Z:\\wine\\drive_c\\windows", {{"Z:\\wine\\drive_c\\windows", kWindows}})));
  EXPECT_FALSE(f.MaySweep(Chain("Z:\\wine\\drive_c\\windows\\system32", {{"Z:\\wine\\drive_c\\windows", kWindows}})));
  EXPECT_FALSE(
      f.MaySweep(Chain("\\\\localhost\\C$\\Program Files", {{"\\\\localhost\\C$\\Program Files", kProgramFiles}})));
  EXPECT_FALSE(f.MayRemove(Chain("C:\\Junction\\Sub", {{"C:\\Junction", kWindows}})));
  // A folder of the same path on another volume is still the protected one:
  // either match protects.
  EXPECT_FALSE(f.MaySweep(Chain("C:\\Program Files", {{"C:\\Program Files", Identity{0x44, 200}}})));
  // Same index, other volume: another folder.
  EXPECT_TRUE(f.MaySweep(Chain("D:\\Data", {{"D:\\Data", Identity{0x44, 100}}})));
}

TEST(ProtectedFolders, TheWindowsFolderProtectsEverythingBelowItExceptProgramGroups) {
  ProtectedFolders f = ThisSystem();
  for (const char* folder : {"C:\\windows\\system32", "C:\\WINDOWS\\Fonts", "C:\\windows\\App",
                             "C:\\windows\\Start Menu", "C:\\windows\\Start Menu\\Programs\\Group"}) {
    EXPECT_FALSE(f.MaySweep(Chain(folder))) << folder;
  }
  for (const char* folder : {"C:\\windows\\system32", "C:\\WINDOWS\\Fonts", "C:\\windows\\App\\Sub",
                             "C:\\windows\\Start Menu"}) {
    EXPECT_FALSE(f.MayRemove(Chain(folder))) << folder;
  }
  // Older systems keep program groups and desktops in the Windows folder.
  EXPECT_TRUE(f.MayRemove(Chain("C:\\windows\\Start Menu\\Programs\\Group")));
  EXPECT_TRUE(f.MayRemove(Chain("C:\\windows\\Start Menu\\Programs\\Group\\Sub")));
  ProtectedFolders old;
  old.Add({"C:\\WINDOWS", std::nullopt}, Guard::AndEverythingBelow);
  old.Add({"C:\\WINDOWS\\Desktop", std::nullopt}, Guard::HoldsProgramGroups);
  EXPECT_TRUE(old.MayRemove(Chain("C:\\WINDOWS\\Desktop\\App")));
  EXPECT_FALSE(old.MayRemove(Chain("C:\\WINDOWS\\Desktop")));
  EXPECT_FALSE(old.MaySweep(Chain("C:\\WINDOWS\\Desktop\\App")));
  // A group folder above the Windows folder lifts nothing below it.
  ProtectedFolders odd;
  odd.Add({"C:\\OS", std::nullopt}, Guard::HoldsProgramGroups);
  odd.Add({"C:\\OS\\windows", std::nullopt}, Guard::AndEverythingBelow);
  EXPECT_FALSE(odd.MayRemove(Chain("C:\\OS\\windows\\App")));
  EXPECT_TRUE(odd.MayRemove(Chain("C:\\OS\\App")));
}

TEST(ProtectedFolders, AProductsFoldersBelowTheOthersMayGo) {
  ProtectedFolders f = ThisSystem();
  for (const char* folder : {"C:\\Program Files\\App", "C:\\PROGRAM FILES\\App\\bin", "C:\\users\\root\\Desktop\\App",
                             "C:\\users\\root\\Temp\\App", "C:\\Vendor", "C:\\Vendor\\App",
                             "\\\\server\\share\\App", "C:\\windowsApp", "C:\\Program Files (x86)"}) {
    EXPECT_TRUE(f.MaySweep(Chain(folder))) << folder;
    EXPECT_TRUE(f.MayRemove(Chain(folder))) << folder;
  }
}
