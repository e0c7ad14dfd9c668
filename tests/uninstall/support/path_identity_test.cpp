// What the paths of a log name on a real system (under Wine in the test run),
// whatever their spelling, and which of its folders records may not touch.
#include "uninstall/support/path_identity.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "common/ansi.h"
#include "common/file_io.h"
#include "tests/common/temp_dir.h"

using namespace pathid;

namespace {

std::string WindowsDir() {
  char buf[MAX_PATH] = {};
  GetWindowsDirectoryA(buf, MAX_PATH);
  return buf;
}

std::string ShortPath(const std::string& path) {
  char buf[MAX_PATH] = {};
  DWORD n = GetShortPathNameA(path.c_str(), buf, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? std::string() : std::string(buf, n);
}

std::string ShellFolder(int csidl) {
  char buf[MAX_PATH] = {};
  return SHGetSpecialFolderPathA(nullptr, buf, csidl, FALSE) ? std::string(buf) : std::string();
}

}  // namespace

TEST(PathIdentity, EverySpellingOfAFolderResolvesToItsLongFormAndIdentity) {
  Resolver r;
  const std::string windows = WindowsDir();
  std::optional<std::vector<Place>> plain = r.FolderChain(windows);
  ASSERT_TRUE(plain);
  ASSERT_TRUE(plain->front().id);
  for (const std::string& spelling :
       {windows + ".", windows + "\\", ansi::UpperCase(windows) + "\\\\", "\\\\.\\" + windows,
        "\\\\?\\" + windows, "\\??\\" + windows, windows + "\\system32\\..",
        windows.substr(0, 2) + "/" + windows.substr(3)}) {
    std::optional<std::vector<Place>> chain = r.FolderChain(spelling);
    ASSERT_TRUE(chain) << spelling;
    EXPECT_EQ(chain->front().path, plain->front().path) << spelling;
    EXPECT_EQ(chain->front().id, plain->front().id) << spelling;
    EXPECT_EQ(chain->back().path, windows.substr(0, 3)) << spelling;
  }
  // A trailing blank inside a path is not stripped by the system: that is
  // another folder, which does not exist.
  EXPECT_FALSE(r.FolderChain(windows + " \\system32"));
  EXPECT_FALSE(r.FolderChain(windows + "\\*"));
  EXPECT_FALSE(r.FolderChain(windows + "\\no such folder"));
  EXPECT_FALSE(r.FolderChain("\\\\?\\GLOBALROOT\\??\\" + windows));
}

TEST(PathIdentity, ShortNamesGiveTheLongForm) {
  TempDir dir;
  const std::string folder = dir.File("Long folder name");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  fileio::ReplaceFileContents(folder + "\\Long file name.txt", "x");
  std::string shortFolder = ShortPath(folder);
  std::string shortFile = ShortPath(folder + "\\Long file name.txt");
  ASSERT_FALSE(shortFolder.empty());
  ASSERT_NE(ansi::UpperCase(shortFile), ansi::UpperCase(folder + "\\Long file name.txt")) << "no short names here";
  Resolver r;
  std::optional<std::string> longFolder = LongPathOf(shortFolder);
  ASSERT_TRUE(longFolder);
  EXPECT_TRUE(ansi::SameText(*longFolder, folder)) << *longFolder;
  EXPECT_EQ(longFolder->substr(longFolder->rfind('\\') + 1), "Long folder name");
  std::optional<std::string> file = r.ExistingFile(shortFile);
  ASSERT_TRUE(file);
  EXPECT_TRUE(ansi::SameText(*file, folder + "\\Long file name.txt")) << *file;
  std::optional<std::vector<Place>> viaShort = r.FolderChain(shortFolder);
  std::optional<std::vector<Place>> viaLong = r.FolderChain(folder);
  ASSERT_TRUE(viaShort && viaLong);
  EXPECT_EQ(viaShort->front().id, viaLong->front().id);
}

TEST(PathIdentity, FileRecordsKeepTheirMaskAndLoseWhatTheSystemStrips) {
  Resolver r;
  const std::string windows = WindowsDir();
  std::optional<FileTarget> mask = r.File(windows + ".\\*.ini");
  ASSERT_TRUE(mask);
  EXPECT_TRUE(mask->mask);
  EXPECT_TRUE(ansi::SameText(mask->folder, windows)) << mask->folder;
  EXPECT_EQ(mask->name, "*.ini");
  std::optional<FileTarget> drive = r.File("\\\\.\\" + windows.substr(0, 3) + "*.txt");
  ASSERT_TRUE(drive);
  EXPECT_EQ(drive->folder, windows.substr(0, 3));
  for (const char* wildcard : {"<.ini", "win>ini", "win\"ini"}) {
    std::optional<FileTarget> t = r.File(windows + "\\" + wildcard);
    ASSERT_TRUE(t) << wildcard;
    EXPECT_TRUE(t->mask) << wildcard;
  }
  std::optional<FileTarget> exact = r.File(windows + "\\\\WIN.INI. ");
  ASSERT_TRUE(exact);
  EXPECT_FALSE(exact->mask);
  EXPECT_EQ(exact->name, "WIN.INI");
  std::optional<std::string> file = r.ExistingFile(windows + "\\\\WIN.INI. ");
  ASSERT_TRUE(file);
  EXPECT_TRUE(ansi::SameText(*file, windows + "\\win.ini")) << *file;
  EXPECT_FALSE(r.ExistingFile(windows + "\\win.ini:stream"));
  EXPECT_FALSE(r.ExistingFile(windows + "\\win.ini::$DATA"));
  EXPECT_FALSE(r.ExistingFile(windows)) << "a folder is no file";
  EXPECT_FALSE(r.ExistingFile(windows + "\\*.ini"));
  EXPECT_FALSE(r.File(windows + " \\*.ini")) << "no such folder";
  EXPECT_FALSE(r.File("\\\\?\\unix\\tmp\\*"));
}

TEST(PathIdentity, TheSystemsOwnFoldersAreProtectedInEverySpelling) {
  ProtectedFolders folders = ProtectedFoldersOfThisSystem();
  Resolver r;
  const std::string windows = WindowsDir();
  std::string programFiles = ShellFolder(CSIDL_PROGRAM_FILES);
  std::string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  std::string programs = ShellFolder(CSIDL_PROGRAMS);
  std::string profile = ShellFolder(CSIDL_PROFILE);
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  ASSERT_FALSE(programFiles.empty() || desktop.empty() || programs.empty() || profile.empty());
  for (const std::string& folder :
       {windows.substr(0, 3), "\\\\.\\" + windows.substr(0, 3), windows, windows + ".", windows + "\\system32",
        windows + "\\Fonts", "\\\\?\\" + windows + "\\system32", programFiles, ShortPath(programFiles),
        ShellFolder(CSIDL_PROGRAM_FILES_COMMON), desktop, ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY),
        ShellFolder(CSIDL_PERSONAL), ShellFolder(CSIDL_STARTMENU), programs, ShellFolder(CSIDL_STARTUP),
        ShellFolder(CSIDL_APPDATA), ShellFolder(CSIDL_COMMON_APPDATA), ShellFolder(CSIDL_COMMON_PROGRAMS), profile,
        profile + "\\..", std::string(temp)}) {
    std::optional<std::vector<Place>> chain = r.FolderChain(folder);
    ASSERT_TRUE(chain) << folder;
    EXPECT_FALSE(folders.MaySweep(*chain)) << folder;
    EXPECT_FALSE(folders.MayRemove(*chain)) << folder;
  }

  // A product's folders below them.
  TempDir dir;  // in the temporary folder
  const std::string group = programs + "\\Sowell path test group";
  const std::string app = programFiles + "\\Sowell path test";
  ASSERT_TRUE(CreateDirectoryA(group.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(app.c_str(), nullptr));
  for (const std::string& folder : {dir.Path(), group, app, ShortPath(app)}) {
    std::optional<std::vector<Place>> chain = r.FolderChain(folder);
    ASSERT_TRUE(chain) << folder;
    EXPECT_TRUE(folders.MaySweep(*chain)) << folder;
    EXPECT_TRUE(folders.MayRemove(*chain)) << folder;
  }
  RemoveDirectoryA(group.c_str());
  RemoveDirectoryA(app.c_str());
}
