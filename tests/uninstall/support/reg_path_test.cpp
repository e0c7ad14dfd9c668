// Which keys a created-key record may delete: keys shared by the system and
// other programs never, whatever an old or damaged log lists.
#include "uninstall/support/reg_path.h"

#include <gtest/gtest.h>

using regpath::IsProtectedKey;

TEST(ProtectedKeys, EveryKeyDirectlyBelowAHiveRoot) {
  for (const char* path : {"HKLM\\Software", "HKLM\\System", "HKLM\\SAM", "HKCU\\Software", "HKCU\\Environment",
                           "HKCU\\Control Panel", "HKCU\\Printers", "HKCU\\AnythingElse", "HKU\\.DEFAULT",
                           "HKU\\S-1-5-21-1004336348-1177238915-682003330-512", "HKU\\S-1-5-18",
                           // the roots themselves, and a path without a root name, which means HKCU
                           "HKLM", "HKCU\\", "HKU", "HKCR", "", "Environment", "Software"}) {
    EXPECT_TRUE(IsProtectedKey(path)) << path;
  }
}

TEST(ProtectedKeys, WellKnownSharedKeysAndTheKeysAboveThemInTheMachineAndEachUser) {
  for (const char* hive : {"HKLM\\", "HKCU\\", "HKU\\.DEFAULT\\", "HKU\\S-1-5-21-1-2-3-1001\\"}) {
    for (const char* key : {"Software\\Microsoft",
                            "Software\\Classes",
                            "Software\\Policies",
                            "Software\\Clients",
                            "Software\\Wow6432Node",
                            "Software\\Microsoft\\Windows",
                            "Software\\Microsoft\\Windows\\CurrentVersion",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
                            "Control Panel\\Desktop",
                            "Control Panel\\International",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Policies",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer",
                            "Software\\Microsoft\\Windows NT",
                            "Software\\Microsoft\\Windows NT\\CurrentVersion",
                            "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts",
                            "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes",
                            "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
                            "Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options",
                            "System\\CurrentControlSet",
                            "System\\CurrentControlSet\\Control",
                            "System\\CurrentControlSet\\Services",
                            "System\\CurrentControlSet\\Control\\Session Manager",
                            "System\\CurrentControlSet\\Control\\Session Manager\\Environment"}) {
      std::string path = std::string(hive) + key;
      EXPECT_TRUE(IsProtectedKey(path)) << path;
    }
  }
}

TEST(ProtectedKeys, OtherSpellingsOfTheSameKeys) {
  for (const char* path : {"hkcu\\environment", "HkCu\\ENVIRONMENT\\", "HKCU\\\\Environment", "HKCU\\Environment\\\\",
                           "hklm\\SOFTWARE\\microsoft\\windows\\currentversion\\run\\",
                           "HKLM\\Software\\\\Microsoft\\Windows\\\\CurrentVersion\\Run",
                           "HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
                           "HKLM\\SOFTWARE\\WOW6432NODE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                           "HKLM\\System\\ControlSet001\\Control\\Session Manager\\Environment",
                           "HKLM\\SYSTEM\\controlset002\\Services",
                           "Software\\Microsoft\\Windows\\CurrentVersion\\Run"}) {
    EXPECT_TRUE(IsProtectedKey(path)) << path;
  }
}

TEST(ProtectedKeys, SystemClassesUnderEveryClassesRoot) {
  for (const char* root : {"HKCR\\", "HKLM\\Software\\Classes\\", "HKCU\\Software\\Classes\\",
                           "HKCR\\Wow6432Node\\", "HKLM\\Software\\Wow6432Node\\Classes\\",
                           "HKLM\\Software\\Classes\\Wow6432Node\\", "HKU\\S-1-5-21-1-2-3-1001_Classes\\"}) {
    for (const char* cls : {"CLSID", "Interface", "TypeLib", "AppID", "Applications", "SystemFileAssociations", "*",
                            "Directory", "Folder", "Drive", "AllFilesystemObjects", "Unknown", "MIME", "clsid\\"}) {
      std::string path = std::string(root) + cls;
      EXPECT_TRUE(IsProtectedKey(path)) << path;
    }
  }
  EXPECT_TRUE(IsProtectedKey("HKCR\\Wow6432Node"));
  EXPECT_TRUE(IsProtectedKey("HKU\\S-1-5-21-1-2-3-1001_Classes"));
}

TEST(ProtectedKeys, AProductsOwnKeysBelowSharedOnesStayRemovable) {
  for (const char* path : {"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Notebook Demo",
                           "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Notebook Demo\\",
                           "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\notebook.exe",
                           "HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\X",
                           "HKCU\\Software\\Vendor", "HKCU\\Software\\Vendor\\App", "HKLM\\Software\\Notebook Demo",
                           "HKLM\\Software\\Wow6432Node\\Vendor", "HKCU\\Software\\Microsoft\\Notepad",
                           "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Sub",
                           "HKCU\\Control Panel\\Desktop\\ReapTest Saver",
                           "HKLM\\System\\CurrentControlSet\\Services\\NotebookService",
                           "HKLM\\System\\ControlSet001\\Services\\NotebookService",
                           "HKLM\\System\\CurrentControlSetX\\Services",
                           "HKCR\\CLSID\\{5A1D2E0B-6C3F-4B8A-9E41-0F2B7C9D1A21}",
                           "HKCR\\CLSID\\{5A1D2E0B-6C3F-4B8A-9E41-0F2B7C9D1A21}\\InprocServer32",
                           "HKCR\\Wow6432Node\\CLSID\\{5A1D2E0B-6C3F-4B8A-9E41-0F2B7C9D1A21}",
                           "HKLM\\Software\\Classes\\Notebook.Document", "HKCU\\Software\\Classes\\.ntb",
                           "HKCR\\Notebook.Document", "HKCR\\.ntb", "HKCR\\*\\shellex\\ContextMenuHandlers\\Notebook",
                           "HKU\\S-1-5-21-1-2-3-1001\\Software\\Vendor\\App",
                           "HKU\\S-1-5-21-1-2-3-1001_Classes\\Notebook.Document", "Software\\Vendor\\App"}) {
    EXPECT_FALSE(IsProtectedKey(path)) << path;
  }
}
