// Deletion helpers against the real file system and registry.
#include "uninstall/support/deferred_delete.h"
#include "common/process.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/win32_handles.h"
#include "tests/common/temp_dir.h"
#include "uninstall/support/folders.h"
#include "uninstall/support/section_ini.h"

namespace {

const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";

void MakeFile(const std::string& path, const std::string& bytes = "x") {
  fileio::ReplaceFileContents(path, bytes);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The system's list of moves at the next start, as pairs of names.
std::vector<std::string> PendingRenames() {
  std::vector<std::string> items;
  win32::UniqueKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, key.out()) != ERROR_SUCCESS) return items;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
    std::string data(size, '\0');
    RegQueryValueExA(key.get(), "PendingFileRenameOperations", nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                     &size);
    // Pairs of zero-terminated names, the second empty for a deletion.
    size_t pos = 0;
    while (pos < data.size()) {
      size_t end = data.find('\0', pos);
      if (end == std::string::npos) end = data.size();
      items.push_back(data.substr(pos, end - pos));
      pos = end + 1;
    }
  }
  // The list ends with one more empty name.
  if (items.size() % 2 == 1 && items.back().empty()) items.pop_back();
  return items;
}

void ClearPendingRenames() {
  win32::UniqueKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, key.out()) != ERROR_SUCCESS) return;
  RegDeleteValueA(key.get(), "PendingFileRenameOperations");
}

// Index of the pair whose source ends with `path`, or -1.
int FindPending(const std::vector<std::string>& items, const std::string& path) {
  for (size_t i = 0; i + 1 < items.size(); i += 2) {
    const std::string& from = items[i];
    if (from.size() >= path.size() && _stricmp(from.c_str() + from.size() - path.size(), path.c_str()) == 0) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace

TEST(DeleteFileForce, ReadOnlyHiddenAndSystemFilesGo) {
  TempDir dir;
  std::string f = dir.File("locked.dll");
  MakeFile(f);
  ASSERT_TRUE(SetFileAttributesA(f.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  EXPECT_TRUE(DeleteFileForce(f));
  EXPECT_FALSE(Exists(f));
  EXPECT_FALSE(DeleteFileForce(f)) << "already gone";

  std::string folder = dir.File("sub");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  EXPECT_FALSE(DeleteFileForce(folder));
  EXPECT_TRUE(Exists(folder));
  EXPECT_FALSE(DeleteFileForce(""));
}

TEST(DeferredDeletion, AFileHeldOpenIsListedForTheNextStart) {
  ClearPendingRenames();
  TempDir dir;
  std::string f = dir.File("in use.dll");
  MakeFile(f);
  win32::UniqueFile held(CreateFileA(f.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteFileForce(f));
  DeleteFileLater(f);
  // Held only while the deletion is refused and scheduled.
  held.reset();

  std::vector<std::string> items = PendingRenames();
  int at = FindPending(items, f);
  ASSERT_GE(at, 0) << "not in PendingFileRenameOperations";
  EXPECT_EQ(items[static_cast<size_t>(at) + 1], "") << "a deletion has no target";

  // Nothing is scheduled for a file that does not exist, or for no name.
  DeleteFileLater(dir.File("missing.dll"));
  DeleteFileLater("");
  EXPECT_EQ(PendingRenames().size(), items.size());

  std::string target = dir.File("new.dll");
  MoveFileLater(f, target);
  items = PendingRenames();
  int move = FindPending(items, f);
  ASSERT_GE(move, 0);
  EXPECT_NE(items.back().find("new.dll"), std::string::npos) << "the move comes last, to the new name";
  ClearPendingRenames();
}

TEST(Wininit, EntriesGoIntoTheRenameSectionOfTheWindowsFolderFile) {
  TempDir windows;
  folders::g_windowsFolderOverride = windows.Path();
  TempDir files;
  std::string a = files.File("a.tmp"), b = files.File("b.tmp");
  MakeFile(a);
  MakeFile(b);
  std::string wininit = windows.File("wininit.ini");

  deferred::MoveFileLaterWininit(a, "");
  EXPECT_EQ(*fileio::ReadWholeFile(wininit), "[Rename]\r\nNUL=" + ShortPathOf(a) + "\r\n");
  MakeFile(wininit, "[Settings]\r\nx=1\r\n[Rename]\r\nNUL=C:\\OLD.TMP\r\n\r\n");
  deferred::MoveFileLaterWininit(b, "");
  EXPECT_EQ(*fileio::ReadWholeFile(wininit),
            "[Settings]\r\nx=1\r\n[Rename]\r\nNUL=C:\\OLD.TMP\r\nNUL=" + ShortPathOf(b) + "\r\n\r\n");
  folders::g_windowsFolderOverride.clear();
}

TEST(Wininit, AFailedRewriteKeepsTheOldFile) {
  TempDir windows;
  folders::g_windowsFolderOverride = windows.Path();
  TempDir files;
  std::string a = files.File("a.tmp");
  MakeFile(a);
  std::string wininit = windows.File("wininit.ini");
  const std::string old = "[Rename]\r\nNUL=C:\\KEEP.TMP\r\n";
  MakeFile(wininit, old);
  // The new text cannot be written beside the old file.
  std::string blocker = fileio::TemporaryNameFor(wininit);
  ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
  EXPECT_THROW(deferred::MoveFileLaterWininit(a, ""), EInOutError);
  EXPECT_EQ(*fileio::ReadWholeFile(wininit), old);
  RemoveDirectoryA(blocker.c_str());
  folders::g_windowsFolderOverride.clear();
}

TEST(Wininit, AMoveToALongNameAddsTheRunOnceRename) {
  TempDir windows;
  folders::g_windowsFolderOverride = windows.Path();
  TempDir files;
  std::string from = files.File("a.tmp");
  MakeFile(from);
  std::string to = files.File("A long target name.dll");
  deferred::MoveFileLaterWininit(from, to);
  folders::g_windowsFolderOverride.clear();
  EXPECT_FALSE(Exists(to)) << "the stand-in file for the short name is gone again";
  std::string text = *fileio::ReadWholeFile(windows.File("wininit.ini"));
  EXPECT_EQ(text.rfind("[Rename]\r\nNUL=", 0), 0u) << text;
  EXPECT_NE(text.find("=" + ShortPathOf(from) + "\r\n"), std::string::npos) << text;

  win32::UniqueKey key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0,
                          KEY_ALL_ACCESS, key.out()), ERROR_SUCCESS);
  char name[512];
  bool found = false;
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    char data[1024] = {};
    DWORD dataSize = sizeof data;
    if (RegEnumValueA(key.get(), i, name, &size, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &dataSize) != ERROR_SUCCESS) break;
    if (std::string(data).find("\"A long target name.dll\"") != std::string::npos) {
      found = std::string(name).rfind("Rename ", 0) == 0 && std::string(data).rfind("command.com /c ren ", 0) == 0;
      RegDeleteValueA(key.get(), name);
      break;
    }
  }
  EXPECT_TRUE(found);
}

TEST(FindMatch, FilesOfAMaskWithoutFoldersOrLabels) {
  TempDir dir;
  MakeFile(dir.File("a.tmp"));
  MakeFile(dir.File("b.TMP"));
  MakeFile(dir.File("hidden.tmp"));
  MakeFile(dir.File("keep.txt"));
  SetFileAttributesA(dir.File("hidden.tmp").c_str(), FILE_ATTRIBUTE_HIDDEN);
  CreateDirectoryA(dir.File("sub.tmp").c_str(), nullptr);

  std::set<std::string> hits;
  TFindMatch m;
  std::string mask = dir.File("*.tmp");
  for (DWORD r = FindMatchFirst(mask, 0, FILE_ATTRIBUTE_DIRECTORY | 8, m); r == 0; r = FindMatchNext(m)) {
    hits.insert(m.Name);
    EXPECT_EQ(m.FullPath, dir.File(m.Name));
    EXPECT_EQ(m.Size, 1u);
  }
  FindMatchClose(m);
  EXPECT_EQ(hits, (std::set<std::string>{"a.tmp", "b.TMP", "hidden.tmp"}));

  TFindMatch h;
  ASSERT_EQ(FindMatchFirst(mask, FILE_ATTRIBUTE_HIDDEN, 0, h), 0u);
  EXPECT_EQ(h.Name, "hidden.tmp");
  EXPECT_NE(FindMatchNext(h), 0u);
  FindMatchClose(h);

  TFindMatch none;
  EXPECT_NE(FindMatchFirst(dir.File("*.none"), 0, 24, none), 0u);
  EXPECT_FALSE(none.FindHandle);
  EXPECT_NE(FindMatchFirst("", 0, 24, none), 0u) << "no mask is not the current folder";
}

TEST(FileHelpers, NamesAndFolders) {
  TempDir dir;
  std::string a = UniqueFileName(dir.Path(), "", ".bat", true);
  EXPECT_EQ(a.size(), 12u);
  MakeFile(dir.File(a));
  std::string b = UniqueFileName(dir.Path() + "\\", "", ".bat", true);
  EXPECT_NE(a, b);
  std::string prefixed = UniqueFileName(dir.Path(), "Reapwell", ".tmp", true);
  EXPECT_EQ(prefixed.size(), 12u);
  EXPECT_EQ(prefixed.substr(0, 4), "Reap");

  std::string longName = dir.File("A rather long file name.txt");
  MakeFile(longName);
  std::string shortName = ShortPathOf(longName);
  EXPECT_TRUE(Exists(shortName));
  EXPECT_EQ(ShortPathOf(dir.File("missing file.txt")), dir.File("missing file.txt"));

  std::string deep = dir.File("x\\y\\z");
  folders::ForceFolders(deep + "\\");
  EXPECT_TRUE(folders::FolderExists(deep));
  EXPECT_FALSE(folders::FolderExists(longName));

  std::string self = process::ProgramFilePath();
  EXPECT_TRUE(fileio::FileExists(self));
  EXPECT_TRUE(folders::FolderExists(WindowsFolder()));
}

namespace {

int CountBatchFiles(const std::string& folder) {
  WIN32_FIND_DATAA d;
  win32::UniqueFind h(FindFirstFileA((folder + "\\*.bat").c_str(), &d));
  if (!h) return 0;
  int n = 0;
  do ++n;
  while (FindNextFileA(h.get(), &d));
  return n;
}

bool WaitUntil(const std::function<bool()>& done, int seconds) {
  for (int i = 0; i < seconds * 10; ++i) {
    if (done()) return true;
    Sleep(100);
  }
  return done();
}

}  // namespace

TEST(SelfDeletion, TheBatchRemovesTheProgramAndItsFolderAndRunsNothingElse) {
  TempDir parent;
  // Variables, command separators and brackets in the name: the batch file
  // must delete exactly this folder, whatever the command interpreter makes of it.
  const std::string name = "Программа %SOWELLVICTIM% & mkdir pwned ^ (1)";
  // Joined by hand: the library's path type would not keep code page 1251 bytes.
  const std::string folder = parent.Path() + "\\" + name;
  const std::string victim = parent.Path() + "\\Программа v & mkdir pwned ^ (1)";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(victim.c_str(), nullptr));
  MakeFile(victim + "\\Reapwell.exe");
  std::string self = process::ProgramFilePath();
  std::string helper = self.substr(0, self.rfind('\\') + 1) + "self_delete_helper.exe";
  std::string program = folder + "\\Reapwell.exe";
  ASSERT_TRUE(CopyFileA(helper.c_str(), program.c_str(), FALSE));
  SetFileAttributesA(program.c_str(), FILE_ATTRIBUTE_READONLY);

  SetEnvironmentVariableA("SOWELLVICTIM", "v");
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string commandLine = "\"" + program + "\"";
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, parent.Path().c_str(),
                             &si, &pi));
  DWORD code = 99;
  {  // no handle of ours stays on the program while its folder goes
    win32::ProcessHandles started(pi);
    WaitForSingleObject(started.process.get(), 30000);
    GetExitCodeProcess(started.process.get(), &code);
  }
  SetEnvironmentVariableA("SOWELLVICTIM", nullptr);
  ASSERT_EQ(code, 0u) << "the batch file was not started";

  EXPECT_TRUE(WaitUntil([&] { return !Exists(folder); }, 60)) << "the program's folder is still there";
  EXPECT_TRUE(WaitUntil([&] { return CountBatchFiles(parent.Path()) == 0; }, 20)) << "the batch file stayed";
  EXPECT_TRUE(Exists(victim + "\\Reapwell.exe")) << "a file the batch does not name was deleted";
  EXPECT_FALSE(Exists(parent.File("pwned")));
  EXPECT_FALSE(Exists(folder + "\\..\\pwned"));
}

TEST(SelfDeletion, AFolderWithOtherFilesIsLeftWithThem) {
  TempDir parent;
  // "‰" has no place in the OEM code page: the batch names the short path.
  const std::string folder = parent.Path() + "\\App 100% done ‰";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  MakeFile(folder + "\\user data.txt");
  std::string self = process::ProgramFilePath();
  std::string helper = self.substr(0, self.rfind('\\') + 1) + "self_delete_helper.exe";
  std::string program = folder + "\\Reapwell.exe";
  ASSERT_TRUE(CopyFileA(helper.c_str(), program.c_str(), FALSE));

  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string commandLine = "\"" + program + "\"";
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  {  // no handle of ours stays on the program while its folder goes
    win32::ProcessHandles started(pi);
    WaitForSingleObject(started.process.get(), 30000);
  }

  EXPECT_TRUE(WaitUntil([&] { return !Exists(program) && CountBatchFiles(parent.Path()) == 0; }, 60));
  EXPECT_TRUE(Exists(folder + "\\user data.txt"));
}
