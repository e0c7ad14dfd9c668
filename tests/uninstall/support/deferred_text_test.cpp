#include "uninstall/support/deferred_text.h"

#include <gtest/gtest.h>

#include "uninstall/support/reg_path.h"

using namespace deferred;

TEST(WininitText, TheEntryGoesBeforeTheEmptyLineOfTheRenameSection) {
  std::string old = "[Rename]\r\nNUL=C:\\A.TMP\r\n\r\n";
  EXPECT_EQ(AddRenameEntry(old, DeleteEntry("C:\\B.TMP")), "[Rename]\r\nNUL=C:\\A.TMP\r\nNUL=C:\\B.TMP\r\n\r\n");
  EXPECT_EQ(AddRenameEntry(std::nullopt, DeleteEntry("C:\\B.TMP")), "[Rename]\r\nNUL=C:\\B.TMP\r\n");
}

TEST(WininitText, TwoEntriesInARowKeepTheirOrderInOneSection) {
  std::string once = AddRenameEntry(std::nullopt, DeleteEntry("C:\\1.TMP"));
  std::string twice = AddRenameEntry(once, DeleteEntry("C:\\2.TMP"));
  EXPECT_EQ(twice, "[Rename]\r\nNUL=C:\\1.TMP\r\nNUL=C:\\2.TMP\r\n");
}

TEST(WininitText, OtherSectionsAndLinesAreKeptTrimmed) {
  std::string old = "  [Settings] \nx=1\r\n\r\n[rename]\r\nNUL=C:\\A\r\n[Later]\r\ny=2";
  EXPECT_EQ(AddRenameEntry(old, MoveEntry("C:\\NEW~1.DLL", "C:\\OLD.DLL")),
            "[Settings]\r\nx=1\r\n\r\n[rename]\r\nNUL=C:\\A\r\nNUL=C:\\NEW~1.DLL\r\nC:\\NEW~1.DLL=C:\\OLD.DLL\r\n"
            "[Later]\r\ny=2\r\n");
  EXPECT_EQ(AddRenameEntry(std::string("[Other]\r\na=b\r\n"), DeleteEntry("C:\\X")),
            "[Other]\r\na=b\r\n[Rename]\r\nNUL=C:\\X\r\n");
}

TEST(WininitText, RunOnceRenameGivesTheLongNameBack) {
  RunOnceRename r = RunOnceRenameFor("C:\\PROGRA~1\\LONGNA~1.DLL", "Long name.dll");
  EXPECT_EQ(r.valueName, "Rename C:\\PROGRA~1\\LONGNA~1.DLL");
  EXPECT_EQ(r.command, "command.com /c ren C:\\PROGRA~1\\LONGNA~1.DLL \"Long name.dll\"");
}

TEST(SelfDeletionText, BatchLinesForAProgramInItsFolder) {
  SelfDeletionFolders f = FoldersOf("C:\\Program Files\\App\\Reapwell.exe");
  EXPECT_EQ(f.programFolder, "C:\\Program Files\\App");
  EXPECT_EQ(f.parentFolder, "C:\\Program Files\\");
  std::optional<std::string> text =
      SelfDeletionBatch("C:\\Program Files\\App\\Reapwell.exe", f.programFolder, "C:\\Program Files\\0A1B2C3D.bat", true);
  ASSERT_TRUE(text);
  EXPECT_EQ(*text,
            ":try\r\n"
            "del \"C:\\Program Files\\App\\Reapwell.exe\"\r\n"
            "if exist \"C:\\Program Files\\App\\Reapwell.exe\" goto try\r\n"
            "rd \"C:\\Program Files\\App\"\r\n"
            "del \"C:\\Program Files\\0A1B2C3D.bat\"\r\n");
  std::optional<std::string> keep = SelfDeletionBatch("C:\\A\\R.exe", "C:\\A", "C:\\B.bat", false);
  ASSERT_TRUE(keep);
  EXPECT_EQ(keep->find("rd "), std::string::npos);
}

TEST(SelfDeletionText, CreatedFoldersAboveTheProgramsFolderFollowItDeepestFirst) {
  std::optional<std::string> text = SelfDeletionBatch(
      "C:\\Vendor\\Suite\\App\\Reapwell.exe", "C:\\Vendor\\Suite\\App", "C:\\TEMP\\0A1B2C3D.bat", true,
      {"C:\\Vendor\\Suite", "C:\\Vendor"});
  ASSERT_TRUE(text);
  EXPECT_EQ(*text,
            ":try\r\n"
            "del \"C:\\Vendor\\Suite\\App\\Reapwell.exe\"\r\n"
            "if exist \"C:\\Vendor\\Suite\\App\\Reapwell.exe\" goto try\r\n"
            "rd \"C:\\Vendor\\Suite\\App\"\r\n"
            "rd \"C:\\Vendor\\Suite\"\r\n"
            "rd \"C:\\Vendor\"\r\n"
            "del \"C:\\TEMP\\0A1B2C3D.bat\"\r\n");
  // Without the program's folder nothing above it can become empty.
  std::optional<std::string> keep =
      SelfDeletionBatch("C:\\Vendor\\App\\R.exe", "C:\\Vendor\\App", "C:\\B.bat", false, {"C:\\Vendor"});
  ASSERT_TRUE(keep);
  EXPECT_EQ(keep->find("rd "), std::string::npos);
  // A folder whose name would change the commands is left out, and only it.
  std::optional<std::string> odd = SelfDeletionBatch("C:\\V\\A\\R.exe", "C:\\V\\A", "C:\\B.bat", true,
                                                     {"C:\\V\" & rd /s /q \"C:\\", "C:\\50% V"});
  ASSERT_TRUE(odd);
  EXPECT_EQ(odd->find("/s"), std::string::npos);
  EXPECT_NE(odd->find("rd \"C:\\V\\A\"\r\nrd \"C:\\50%% V\"\r\ndel"), std::string::npos) << *odd;
}

TEST(SelfDeletionText, NamesCannotExpandVariablesOrEndTheCommand) {
  std::optional<std::string> text =
      SelfDeletionBatch("C:\\50% & ^off (x)\\R.exe", "C:\\50% & ^off (x)", "C:\\%PATH%.bat", true);
  ASSERT_TRUE(text);
  EXPECT_NE(text->find("del \"C:\\50%% & ^off (x)\\R.exe\"\r\n"), std::string::npos);
  EXPECT_NE(text->find("rd \"C:\\50%% & ^off (x)\"\r\n"), std::string::npos);
  EXPECT_NE(text->find("del \"C:\\%%PATH%%.bat\"\r\n"), std::string::npos);
  // Characters no file name holds would change the commands themselves.
  for (const char* bad : {"C:\\a\"&calc\\R.exe", "C:\\*\\R.exe", "C:\\a\r\nformat\\R.exe"}) {
    EXPECT_FALSE(SelfDeletionBatch(bad, "C:\\a", "C:\\b.bat", true)) << bad;
  }
  EXPECT_FALSE(SelfDeletionBatch("", "C:\\a", "C:\\b.bat", true));
  EXPECT_FALSE(SelfDeletionBatch("C:\\a\\R.exe", "", "C:\\b.bat", true));
}

TEST(SelfDeletionText, AProgramWithoutAFolderAboveHasNoPlaceForTheBatch) {
  EXPECT_TRUE(FoldersOf("C:\\Reapwell.exe").parentFolder.empty());
  EXPECT_TRUE(FoldersOf("Reapwell.exe").programFolder.empty());
  EXPECT_EQ(FoldersOf("\\\\srv\\share\\App\\R.exe").parentFolder, "\\\\srv\\share\\");
}

TEST(UniqueNames, EightBase32DigitsFromTheClock) {
  ClockReading t{2026, 341, 13, 5, 7, 990};
  // y = 6: day 6 * 365 + 1 + 341 = 2532 = "2F4"; hundredths 4710799 = "4FOCF".
  EXPECT_EQ(UniqueNameCandidate("", ".bat", true, t), "2F44FOCF.bat");
  EXPECT_EQ(UniqueNameCandidate("Sowell", ".tmp", true, t), "SoweFOCF.tmp");
  EXPECT_EQ(UniqueNameCandidate("Sowell", "", false, t), "Sowell2F44FOCF");
  ClockReading zero{2020, 1, 0, 0, 0, 0};
  EXPECT_EQ(UniqueNameCandidate("", "", true, zero), "00100000");
  ClockReading last{2029, 366, 23, 59, 59, 999};
  std::string n = UniqueNameCandidate("", "", true, last);
  EXPECT_EQ(n.size(), 8u);
  EXPECT_EQ(n.find_first_not_of("0123456789ABCDEFGHIJKLMNOPQRSTUV"), std::string::npos);
}

TEST(FindHits, IncludeAndExcludeMasks) {
  const uint32_t kReadOnly = 1, kHidden = 2, kFolder = 16, kLabel = 8, kArchive = 32;
  EXPECT_TRUE(IsFindHit(kArchive, 0, kFolder | kLabel, "a.txt"));
  EXPECT_TRUE(IsFindHit(0, 0, kFolder | kLabel, "plain"));
  EXPECT_FALSE(IsFindHit(kFolder, 0, kFolder | kLabel, "sub"));
  EXPECT_FALSE(IsFindHit(kArchive, 0, 0, "."));
  EXPECT_FALSE(IsFindHit(kFolder, 0, 0, ".."));
  EXPECT_TRUE(IsFindHit(kHidden | kReadOnly, kHidden, 0, "h"));
  EXPECT_FALSE(IsFindHit(kReadOnly, kHidden, 0, "r"));
}

TEST(RegistryDeletionRule, RootsAndEmptyNamesAreNeverDeleted) {
  for (const char* path : {"", "HKLM", "hklm\\", "HKCU\\", "HKCU\\Software\\\\", "HKU"}) {
    EXPECT_FALSE(regpath::KeyDeletionOf(path)) << path;
  }
  EXPECT_FALSE(regpath::NamesKeyBelowRoot("HKCR"));
  EXPECT_FALSE(regpath::NamesKeyBelowRoot(""));
  EXPECT_TRUE(regpath::NamesKeyBelowRoot("HKCR\\.txt"));

  auto d = regpath::KeyDeletionOf("HKCU\\Software\\Firm\\App\\");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->parentPath, "HKCU\\Software\\Firm");
  EXPECT_EQ(d->name, "App");
  d = regpath::KeyDeletionOf("HKLM\\Software");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->parentPath, "HKLM");
  // A colon belongs to the key's name.
  d = regpath::KeyDeletionOf("HKCU\\Software\\a:b");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->name, "a:b");
  // An unknown root is a key path under HKEY_CURRENT_USER.
  d = regpath::KeyDeletionOf("Software");
  ASSERT_TRUE(d);
  EXPECT_EQ(d->parentPath, "");
  EXPECT_EQ(d->name, "Software");
}
