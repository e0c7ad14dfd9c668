#include "setup/run/system_folders.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "common/win32_handles.h"

namespace {

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Sets or removes one value of the user's Shell Folders key for a test and
// puts the old state back afterwards.
class ShellFolderValue {
 public:
  explicit ShellFolderValue(const char* name) : name_(name) {
    RegCreateKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.out(), nullptr);
    char buf[MAX_PATH * 2] = {};
    DWORD size = sizeof buf;
    DWORD type = 0;
    had_ = RegQueryValueExA(key_.get(), name_, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS;
    if (had_) old_ = buf;
  }
  ~ShellFolderValue() {
    if (had_) Set(old_);
    else RegDeleteValueA(key_.get(), name_);
  }
  void Set(const std::string& value) {
    RegSetValueExA(key_.get(), name_, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
  }
  void Remove() { RegDeleteValueA(key_.get(), name_); }

 private:
  const char* name_;
  win32::UniqueKey key_;
  bool had_ = false;
  std::string old_;
};

}  // namespace

TEST(SystemFolders, ValuesOfTheShellFoldersKeyAreUsedAsStored) {
  ShellFolderValue desktop("Desktop");
  ShellFolderValue programs("Programs");
  desktop.Set("C:\\Users\\Тест\\Рабочий стол");
  programs.Set("C:\\Menu\\Программы");
  SystemFolders folders = ReadSystemFolders();
  EXPECT_EQ(folders.DesktopDir, "C:\\Users\\Тест\\Рабочий стол");
  EXPECT_EQ(folders.ProgramsDir, "C:\\Menu\\Программы");
}

TEST(SystemFolders, AMissingValueIsAskedOfTheShellAndNeverLeftEmpty) {
  ShellFolderValue desktop("Desktop");
  ShellFolderValue programs("Programs");
  desktop.Remove();
  programs.Set("");
  SystemFolders folders = ReadSystemFolders();
  EXPECT_FALSE(folders.DesktopDir.empty());
  EXPECT_FALSE(folders.ProgramsDir.empty());
  EXPECT_NE(folders.DesktopDir.back(), '\\');
  char shell[MAX_PATH] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, shell, CSIDL_PROGRAMS, FALSE));
  EXPECT_EQ(folders.ProgramsDir, shell);
}

TEST(SystemFolders, RussianFallbackFoldersAreCodePage1251Bytes) {
  EXPECT_STREQ(kDefaultDesktopDir, "C:\\WINDOWS\\\xD0\xE0\xE1\xEE\xF7\xE8\xE9 \xF1\xF2\xEE\xEB");
  EXPECT_STREQ(kDefaultProgramsDir,
               "C:\\WINDOWS\\\xC3\xEB\xE0\xE2\xED\xEE\xE5 \xEC\xE5\xED\xFE\\\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB");
}
