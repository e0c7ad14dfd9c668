#include "setup/run/shortcuts.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "common/file_io.h"
#include "common/win32_handles.h"
#include "tests/common/temp_dir.h"
#include "tests/setup/test_files.h"

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct LinkInfo {
  bool loaded = false;
  std::string path, arguments, workDir, description, iconFile;
  int iconIndex = -1;
};

// Reads a link file back through the same shell object that wrote it.
LinkInfo ReadLink(const std::string& file) {
  LinkInfo info;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link)))) {
    return info;
  }
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
      info.loaded = true;
      char buf[1024];
      buf[0] = 0;
      link->GetPath(buf, sizeof buf, nullptr, SLGP_RAWPATH);
      info.path = buf;
      buf[0] = 0;
      link->GetArguments(buf, sizeof buf);
      info.arguments = buf;
      buf[0] = 0;
      link->GetWorkingDirectory(buf, sizeof buf);
      info.workDir = buf;
      buf[0] = 0;
      link->GetDescription(buf, sizeof buf);
      info.description = buf;
      buf[0] = 0;
      link->GetIconLocation(buf, sizeof buf, &info.iconIndex);
      info.iconFile = buf;
    }
    persist->Release();
  }
  link->Release();
  return info;
}

class Shortcuts : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(com_.ok());
    install_ = dir_.Path() + "\\App\\";
    CreateDirectoryA(install_.c_str(), nullptr);
    WriteBytes(install_ + "app.exe", "MZ");
    WriteBytes(install_ + "icons.dll", "MZ");
    CreateDirectoryA((dir_.Path() + "\\Desk").c_str(), nullptr);
    inst_.ProgramName = "Тест App";
    inst_.SourcePath = dir_.Path() + "\\";
    inst_.DesktopDir = dir_.Path() + "\\Desk";
    inst_.ProgramsDir = dir_.Path() + "\\Menu\\Programs";  // missing: made with the group
  }

  TempDir dir_;
  std::string install_;
  TInst inst_;
  win32::ComScope com_;  // last: COM ends before the folder goes
};

}  // namespace

TEST_F(Shortcuts, PackageLinksCarryEveryFieldAndAreLogged) {
  WriteBytes(dir_.File("setup.ini"),
             "[Package0]\r\n"
             "Ico_Link0=%InstallPath%\\app.exe\r\n"
             "Ico_Name0=Программа.lnk\r\n"
             "Ico_Link1=%InstallPath%\\app.exe\r\n"
             "Ico_Name1=Tool\r\n"
             "Ico_WDir1=%InstallPath%\\work\r\n"
             "Ico_Argu1=/x \"y z\"\r\n"
             "Ico_Desc1=Описание\r\n"
             "Ico_File1=%InstallPath%\\icons.dll\r\n");
  TIniFile32 ini(dir_.File("setup.ini"));
  TIniFile32 log(dir_.File("install.log"));
  CreatePackageShortcuts(ini, "Package0", inst_, install_, true, true, &log);

  const std::string desk = inst_.DesktopDir + "\\";
  const std::string group = inst_.ProgramsDir + "\\Тест App";
  LinkInfo first = ReadLink(desk + "Программа.lnk");
  ASSERT_TRUE(first.loaded);
  EXPECT_EQ(first.path, install_ + "app.exe");
  EXPECT_EQ(first.workDir, install_);
  EXPECT_EQ(first.arguments, "");
  EXPECT_EQ(first.description, "");
  EXPECT_EQ(first.iconFile, "");
  EXPECT_TRUE(ReadLink(group + "\\Программа.lnk").loaded);

  for (const std::string& file : {desk + "Tool", group + "\\Tool"}) {
    LinkInfo tool = ReadLink(file);
    ASSERT_TRUE(tool.loaded) << file;
    EXPECT_EQ(tool.path, install_ + "app.exe");
    EXPECT_EQ(tool.workDir, install_ + "work");
    EXPECT_EQ(tool.arguments, "/x \"y z\"");
    EXPECT_EQ(tool.description, "Описание");
    EXPECT_EQ(tool.iconFile, install_ + "icons.dll");
    EXPECT_EQ(tool.iconIndex, 0);
  }
  EXPECT_FALSE(fileio::FileExists(desk + "Tool.lnk"));

  EXPECT_EQ(ReadBytes(dir_.File("install.log")),
            "\r\n"
            "[Shortcuts]\r\n" +
                desk + "Программа.lnk=\r\n"
                "\r\n" +
                group + "\\Программа.lnk=\r\n" +
                desk + "Tool=\r\n" +
                group + "\\Tool=\r\n"
                "[CreateDirs]\r\n" +
                // The missing folders above the group were made with it, so they are the installation's.
                dir_.Path() + "\\Menu=\r\n" + inst_.ProgramsDir + "=\r\n" + group + "=\r\n");
}

TEST_F(Shortcuts, AShortcutThatCannotBeSavedIsStillLoggedAndTheNextIsMade) {
  WriteBytes(dir_.File("setup.ini"),
             "[Package0]\r\n"
             "Ico_Link0=%InstallPath%\\app.exe\r\n"
             "Ico_Name0=missing\\A.lnk\r\n"
             "Ico_Link1=%InstallPath%\\app.exe\r\n"
             "Ico_Name1=B.lnk\r\n");
  TIniFile32 ini(dir_.File("setup.ini"));
  TIniFile32 log(dir_.File("install.log"));
  CreatePackageShortcuts(ini, "Package0", inst_, install_, true, false, &log);
  EXPECT_FALSE(fileio::FileExists(inst_.DesktopDir + "\\missing\\A.lnk"));
  EXPECT_TRUE(ReadLink(inst_.DesktopDir + "\\B.lnk").loaded);
  EXPECT_FALSE(Exists(inst_.ProgramsDir));
  EXPECT_EQ(ReadBytes(dir_.File("install.log")),
            "\r\n[Shortcuts]\r\n" + inst_.DesktopDir + "\\missing\\A.lnk=\r\n" + inst_.DesktopDir + "\\B.lnk=\r\n");

  EXPECT_TRUE(FAILED(CreateShortcut(install_ + "app.exe", inst_.DesktopDir + "\\missing\\C.lnk", install_, "", "", "")));
  EXPECT_EQ(CreateShortcut(install_ + "app.exe", inst_.DesktopDir + "\\C.lnk", install_, "", "", ""), S_OK);
}

TEST_F(Shortcuts, NoBoxCheckedMakesNothing) {
  WriteBytes(dir_.File("setup.ini"), "[Package0]\r\nIco_Link0=%InstallPath%\\app.exe\r\nIco_Name0=A.lnk\r\n");
  TIniFile32 ini(dir_.File("setup.ini"));
  TIniFile32 log(dir_.File("install.log"));
  CreatePackageShortcuts(ini, "Package0", inst_, install_, false, false, &log);
  EXPECT_FALSE(fileio::FileExists(inst_.DesktopDir + "\\A.lnk"));
  EXPECT_FALSE(Exists(inst_.ProgramsDir));
  EXPECT_FALSE(fileio::FileExists(dir_.File("install.log")));
}
