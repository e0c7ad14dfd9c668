#include "common/install_log.h"

#include <gtest/gtest.h>

#include <set>

using namespace installlog;

TEST(InstallLogKeys, PathsEndAtTheLastEqualsSignAndNamesAtTheFirst) {
  EXPECT_EQ(EntryPath("C:\\App\\a=b.txt="), "C:\\App\\a=b.txt");
  EXPECT_EQ(EntryPath("C:\\App\\x.txt"), "");
  EXPECT_EQ(EntryName("win.ini,Ext,abc=a=b"), "win.ini,Ext,abc");
  EXPECT_EQ(EntryName("no pair"), "no pair");
  EXPECT_EQ(EntryValue("App=C:\\t.exe,a=b"), "C:\\t.exe,a=b");
  EXPECT_EQ(EntryValue("nothing"), "");
}

TEST(InstallLogFields, CommasInsideEitherQuoteKindDoNotSeparate) {
  EXPECT_EQ(GetField("'my, file.ini',Sect,Key", 1), "my, file.ini");
  EXPECT_EQ(GetField("'my, file.ini',Sect,Key", 3), "Key");
  // Double quotes protect the comma but stay in the field.
  EXPECT_EQ(GetField("\"C:\\a,b.exe\",/x", 1), "\"C:\\a,b.exe\"");
  EXPECT_EQ(GetField("\"C:\\a,b.exe\",/x", 2), "/x");
  EXPECT_EQ(GetField("a,b", 3), "");
  EXPECT_EQ(GetField("a,b", 0), "");
  EXPECT_EQ(GetField("", 1), "");
  // A quote later in a field is an ordinary character.
  EXPECT_EQ(GetField("C:\\Bob's,x", 2), "x");
}

TEST(InstallLogFields, ApostropheUnquotingTakesDoubledApostrophesAndDropsTheRest) {
  EXPECT_EQ(GetField("'It''s',b", 1), "It's");
  EXPECT_EQ(GetField("'abc'tail,b", 1), "abc");
  EXPECT_EQ(GetField("'unclosed, still one field", 1), "unclosed, still one field");
  EXPECT_EQ(GetField("'unclosed, still one field", 2), "");
  EXPECT_EQ(Dequote("\"a\"\"b\"c", '"'), "a\"b");
  EXPECT_EQ(Dequote("plain", '"'), "plain");
  EXPECT_EQ(Dequote("", '\''), "");
}

TEST(InstallLogRegistry, ValueNamesSplitAtTheLastBackslashOutsideQuotes) {
  RegValuePath p = SplitRegValuePath("HKCU\\Software\\Firm\\App\\'Path\\Sub'");
  EXPECT_EQ(p.keyPath, "HKCU\\Software\\Firm\\App");
  EXPECT_EQ(p.valueName, "Path\\Sub");
  p = SplitRegValuePath("HKCU\\Software\\Firm\\App\\''");
  EXPECT_EQ(p.keyPath, "HKCU\\Software\\Firm\\App");
  EXPECT_EQ(p.valueName, "");
  p = SplitRegValuePath("HKLM\\K\\'It''s\\x'");
  EXPECT_EQ(p.keyPath, "HKLM\\K");
  EXPECT_EQ(p.valueName, "It's\\x");
  p = SplitRegValuePath("HKLM\\K\\Plain");
  EXPECT_EQ(p.keyPath, "HKLM\\K");
  EXPECT_EQ(p.valueName, "Plain");
  // No backslash outside quotes: no key at all.
  p = SplitRegValuePath("'a\\b'");
  EXPECT_EQ(p.keyPath, "");
  EXPECT_EQ(p.valueName, "a\\b");
  // An apostrophe without its partner hides every backslash before it.
  p = SplitRegValuePath("HKCU\\K\\'unmatched");
  EXPECT_EQ(p.keyPath, "");
}

TEST(InstallLogRegistry, RootNamesAnyCaseAndUnknownRootsUnderCurrentUser) {
  RegistryPath a = SplitRegistryPath("hklm\\Software\\A\\");
  EXPECT_EQ(a.root, RegistryRoot::LocalMachine);
  EXPECT_EQ(a.subKey, "Software\\A");
  RegistryPath b = SplitRegistryPath("HKLM\\Software\\A");
  EXPECT_EQ(b.subKey, a.subKey);
  RegistryPath full = SplitRegistryPath("HKEY_LOCAL_MACHINE\\Software\\A");
  EXPECT_EQ(full.root, RegistryRoot::CurrentUser);
  EXPECT_EQ(full.subKey, "HKEY_LOCAL_MACHINE\\Software\\A");
  RegistryPath bare = SplitRegistryPath("HKLM");
  EXPECT_EQ(bare.root, RegistryRoot::LocalMachine);
  EXPECT_EQ(bare.subKey, "");
  EXPECT_EQ(SplitRegistryPath("HKCR\\.txt").root, RegistryRoot::ClassesRoot);
  EXPECT_EQ(SplitRegistryPath("Hku\\.DEFAULT").root, RegistryRoot::Users);
  EXPECT_EQ(SplitRegistryPath("").subKey, "");
}

TEST(InstallLogRegistry, TrailingBackslashHelpersKeepDriveRoots) {
  EXPECT_EQ(RemoveTrailingBackslash("C:\\"), "C:\\");
  EXPECT_EQ(RemoveTrailingBackslash("C:\\A\\"), "C:\\A");
  EXPECT_EQ(RemoveTrailingBackslash("\\"), "\\");
  EXPECT_EQ(RemoveTrailingBackslash("1:\\"), "1:");
  EXPECT_EQ(AddTrailingBackslash(""), "");
  EXPECT_EQ(AddTrailingBackslash("C:\\A"), "C:\\A\\");
  EXPECT_EQ(AddTrailingBackslash("C:\\A\\"), "C:\\A\\");
}

TEST(InstallLogPrograms, SixFieldsWithDefaultsForModeAndWait) {
  ProgramRecord r = ParseProgramRecord("C:\\App\\tool.exe,/cleanup,C:\\App,0,,1");
  EXPECT_EQ(r.file, "C:\\App\\tool.exe");
  EXPECT_EQ(r.parameters, "/cleanup");
  EXPECT_EQ(r.folder, "C:\\App");
  EXPECT_EQ(r.showCommand, kShowHide);
  EXPECT_EQ(r.message, "");
  EXPECT_TRUE(r.wait);

  r = ParseProgramRecord("\"C:\\My App\\t.exe\",,,2,\"Cleaning, please wait\",256");
  EXPECT_EQ(r.file, "C:\\My App\\t.exe");
  EXPECT_EQ(r.showCommand, kShowMaximized);
  EXPECT_EQ(r.message, "Cleaning, please wait");
  EXPECT_FALSE(r.wait) << "only the lowest eight bits of the flag count";

  r = ParseProgramRecord("x.exe");
  EXPECT_EQ(r.showCommand, kShowNormal);
  EXPECT_TRUE(r.wait);
  EXPECT_EQ(ParseProgramRecord("x,,,3").showCommand, kShowMinNoActive);
  EXPECT_EQ(ParseProgramRecord("x,,,9").showCommand, kShowNormal);
  EXPECT_EQ(ParseProgramRecord("x,,,z").showCommand, kShowNormal);
  EXPECT_FALSE(ParseProgramRecord("x,,,,,0").wait);
  EXPECT_TRUE(ParseProgramRecord("x,,,,,no").wait);
}

TEST(InstallLogIni, AddIniKeysNameFileSectionAndEntry) {
  IniEntryRecord r = ParseIniEntryRecord("win.ini,Extensions,abc");
  EXPECT_EQ(r.file, "win.ini");
  EXPECT_EQ(r.section, "Extensions");
  EXPECT_EQ(r.entry, "abc");
  EXPECT_EQ(ParseIniEntryRecord("'my, file.ini',Sect,Key").file, "my, file.ini");
  EXPECT_EQ(ParseIniEntryRecord("only").entry, "");
}

TEST(InstallLogDisplay, FontSpecFieldsAndDefaults) {
  FontSpec f = ParseFontSpec("Tahoma,10,255,BI");
  EXPECT_EQ(f.face, "Tahoma");
  EXPECT_EQ(f.size, 10);
  EXPECT_EQ(f.colour, 255u);
  EXPECT_TRUE(f.bold);
  EXPECT_TRUE(f.italic);
  EXPECT_FALSE(f.underline);

  f = ParseFontSpec(kDefaultTitleFont);
  EXPECT_EQ(f.face, "Arial");
  EXPECT_EQ(f.size, 14);
  EXPECT_TRUE(f.bold);

  f = ParseFontSpec("Verdana,,$FF00,USX");
  EXPECT_EQ(f.size, 8);
  EXPECT_EQ(f.colour, 0xFF00u);
  EXPECT_TRUE(f.underline);
  EXPECT_TRUE(f.strikeout);
  EXPECT_FALSE(f.bold);

  f = ParseFontSpec(std::string(40, 'W') + ",big,red");
  EXPECT_EQ(f.face.size(), 31u);
  EXPECT_EQ(f.size, 8);
  EXPECT_EQ(f.colour, 0u);
  EXPECT_EQ(ParseCharset(""), 1);
  EXPECT_EQ(ParseCharset("204"), 204);
  EXPECT_EQ(ParseCharset("x"), 1);
}

TEST(InstallLogStrings, DoubleBarsBecomeCarriageReturns) {
  EXPECT_EQ(ExpandLineBreaks("Deleting||files"), "Deleting\rfiles");
  EXPECT_EQ(ExpandLineBreaks("a||||b"), "a\r\rb");
  EXPECT_EQ(ExpandLineBreaks("a|||b"), "a\r|b");
  EXPECT_EQ(ExpandLineBreaks("|"), "|");
}

TEST(InstallLogOrder, FixedRemovalOrderIsATable) {
  std::vector<std::string_view> sections;
  for (const RemovalStage& s : kRemovalOrder) sections.push_back(s.section);
  std::vector<std::string_view> expected{kPreRunApp, kSharedFiles, kShortcuts, kAddIni,
                                         kRegFonts, kAddReg, kCreateKeys, kRegServers,
                                         kCopyFiles, kCreateDirs, "", kRunApp};
  EXPECT_EQ(sections, expected);
  std::set<int> texts;
  for (const RemovalStage& s : kRemovalOrder) {
    if (s.statusText) {
      EXPECT_TRUE(texts.insert(s.statusText).second);
    }
    EXPECT_EQ(s.deepestFirst, s.section == kCreateKeys || s.section == kCreateDirs);
  }
  EXPECT_EQ(texts, (std::set<int>{6, 7, 8, 9, 10, 11, 12, 13, 14}));
  int progressSteps = 0;
  for (const RemovalStage& s : kRemovalOrder) progressSteps += s.endsProgressStep ? 1 : 0;
  EXPECT_EQ(progressSteps, 10);
}

TEST(InstallLogOrder, EachStageTakesItsObjectByItsRule) {
  const RemovalStage& files = kRemovalOrder[8];
  const RemovalStage& values = kRemovalOrder[5];
  const RemovalStage& programs = kRemovalOrder[11];
  EXPECT_EQ(StageObject(files, "C:\\App\\a=b.txt="), "C:\\App\\a=b.txt");
  EXPECT_EQ(StageObject(values, "HKCU\\K\\'v'=x=y"), "HKCU\\K\\'v'");
  EXPECT_EQ(StageObject(programs, "name=C:\\t.exe,/x"), "C:\\t.exe,/x");
  EXPECT_EQ(StageObjects(kRemovalOrder[9], {"C:\\A\\=", "C:\\A\\b="}),
            (std::vector<std::string>{"C:\\A\\b", "C:\\A\\"}));
}

TEST(InstallLogOrder, DeeperFoldersAndKeysComeFirst) {
  EXPECT_EQ(DeepestFirst({"C:\\Prog\\App\\=", "C:\\Prog\\App\\bin="}),
            (std::vector<std::string>{"C:\\Prog\\App\\bin", "C:\\Prog\\App\\"}));
  EXPECT_EQ(DeepestFirst({"HKCU\\Software\\Firm=", "hkcu\\software\\firm\\App\\Opts=",
                          "HKCU\\Software\\Firm\\App="}),
            (std::vector<std::string>{"hkcu\\software\\firm\\App\\Opts", "HKCU\\Software\\Firm\\App",
                                      "HKCU\\Software\\Firm"}));
}

TEST(InstallLogCompose, PlainRecordsNameTheObjectAsKey) {
  EXPECT_EQ(CopyFileRecord("C:\\Prog\\App\\bin\\tool.exe"),
            (Record{"CopyFiles", "C:\\Prog\\App\\bin\\tool.exe", ""}));
  EXPECT_EQ(CreateDirRecord("C:\\Prog\\App\\"), (Record{"CreateDirs", "C:\\Prog\\App\\", ""}));
  EXPECT_EQ(ShortcutRecord("C:\\Menu\\App.lnk").section, "Shortcuts");
  EXPECT_EQ(CreateKeyRecord("HKLM\\Software\\X").section, "CreateKeys");
  EXPECT_EQ(CharsetRecord(kCyrillicCharset), (Record{"Display", "Charset", "204"}));
}

TEST(InstallLogCompose, AddRegRecordsSplitBackToTheirKeyAndValueName) {
  for (std::string name : {"", "Path\\Sub", "It's", "'quoted'", "a,b", "\\"}) {
    std::optional<Record> r = AddRegRecord("HKCU\\Software\\Firm\\App", name, "data");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->section, "AddReg");
    RegValuePath p = SplitRegValuePath(r->key);
    EXPECT_EQ(p.keyPath, "HKCU\\Software\\Firm\\App") << name;
    EXPECT_EQ(p.valueName, name);
  }
  EXPECT_EQ(AddRegRecord("HKCU\\K", "", "1")->key, "HKCU\\K\\''");
  // What the reader would misread is not written at all.
  EXPECT_FALSE(AddRegRecord("HKCU\\K", "a=b", "1"));
  EXPECT_FALSE(AddRegRecord("HKCU\\K=", "a", "1"));
  EXPECT_FALSE(AddRegRecord("", "a", "1"));
  EXPECT_EQ(AddRegRecord("HKCU\\K", "v", std::string("a\r\nb\0c", 6))->value, "a b c");
}

TEST(InstallLogCompose, StringTextsStayOnOneLineAndSurviveTheReader) {
  EXPECT_EQ(StringRecord(6, "Deleting\r\nfiles"), (Record{"Strings", "6", "Deleting||files"}));
  EXPECT_EQ(StringRecord(1, "a\nb\rc").value, "a||b||c");
  EXPECT_EQ(ProtectValue("\"quoted\""), "\"\"quoted\"\"");
  EXPECT_EQ(ProtectValue(" padded "), "\" padded \"");
  EXPECT_EQ(ProtectValue("plain text"), "plain text");
  EXPECT_EQ(ProtectValue("\""), "\"");
  EXPECT_EQ(ProtectValue(""), "");
}

TEST(InstallLogCompose, PathRecordsReadBackUnlessTheReaderWouldChangeThem) {
  for (std::string path : {"C:\\App\\a.txt", "C:\\App\\a=b.txt", "C:\\App\\a==b", "C:\\App\\x=",
                           "C:\\App\\a b", "C:\\App\\'q'", "\\\\srv\\share\\f", "C:\\a=b ", "[C:\\a]"}) {
    EXPECT_TRUE(PathRecordReadsBack(path)) << path;
  }
  // Blanks beside the first "=" (the record's own when the path holds none),
  // control characters at the start, comments, line breaks.
  for (std::string path : {"C:\\App\\a =b.txt", "C:\\App\\a= b.txt", "C:\\App\\a\t=b", "C:\\App\\a ",
                           " C:\\a", ";C:\\a", "C:\\a\rb", "C:\\a\nb", "", "C:\\a\t"}) {
    EXPECT_FALSE(PathRecordReadsBack(path)) << path;
  }
}
