// The INI engine's write-back on the real file system.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/file_io.h"
#include "common/win32_handles.h"
#include "tests/common/temp_dir.h"
#include "uninstall/support/folders.h"
#include "uninstall/support/ini_files.h"

TEST(IniWriteBack, AReadOnlyFileKeepsItsContentsAndNothingIsLeftBeside) {
  TempDir dir;
  std::string ini = dir.File("app.ini");
  const std::string text = "[Ext]\r\nabc=1\r\ndef=2\r\n";
  fileio::ReplaceFileContents(ini, text);
  SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
  IniDeleteKey(ini, "Ext", "abc");
  IniCloseAll();
  EXPECT_EQ(*fileio::ReadWholeFile(ini), text);
  EXPECT_FALSE(fileio::FileExists(fileio::TemporaryNameFor(ini)));
  SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(IniWriteBack, AFileHeldOpenByAnotherProgramStillReadsAndIsWrittenBack) {
  TempDir dir;
  std::string ini = dir.File("shared.ini");
  fileio::ReplaceFileContents(ini, "[S]\r\nk=v\r\nj=w\r\n");
  win32::UniqueFile other(CreateFileA(ini.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_NE(other.get(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(IniReadString(ini, "S", "k", ""), "v");
  IniDeleteKey(ini, "S", "k");
  IniCloseAll();
  // The other program lets go only after the write-back.
  other.reset();
  EXPECT_EQ(*fileio::ReadWholeFile(ini), "[S]\r\nj=w\r\n");
}

TEST(IniWriteBack, WinIniMeansTheFileInTheWindowsFolder) {
  TempDir windows;
  folders::g_windowsFolderOverride = windows.Path();
  fileio::ReplaceFileContents(windows.File("win.ini"), "[Extensions]\r\nabc=C:\\App\\a.exe ^.abc\r\ntxt=notepad.exe ^.txt\r\n");
  IniDeleteKey("win.ini", "Extensions", "abc");
  IniCloseAll();
  folders::g_windowsFolderOverride.clear();
  EXPECT_EQ(*fileio::ReadWholeFile(windows.File("win.ini")), "[Extensions]\r\ntxt=notepad.exe ^.txt\r\n");
}
