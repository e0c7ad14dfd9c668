// sowell-check fed one broken distribution per kind of finding: each names
// the file and the line where the fault is, and the correct distribution
// gives none.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/tools/author/author_test_lib.h"
#include "tools/author/cp1251.h"

namespace {

using namespace authortest;

TEST(DistributionCheck, CorrectDistributionGivesNoFinding) {
  Distribution d;
  author::CheckReport r = d.Check();
  EXPECT_TRUE(Count(r, 0));
  ASSERT_TRUE(r.summary.read);
  EXPECT_EQ(r.summary.installFolder, "C:\\Program Files\\Demo");
  ASSERT_EQ(r.summary.languages.size(), 2u);
  ASSERT_EQ(r.summary.languages[0].packages.size(), 2u);
  EXPECT_EQ(r.summary.languages[0].packages[0].archives[0].members, 3);
}

TEST(DistributionCheck, Encodings) {
  {  // A name saved by an editor in UTF-8: the wizard shows mojibake.
    Distribution d;
    d.Edit("ProgramName=Demo", std::string("ProgramName=") + reinterpret_cast<const char*>(u8"Блокнот"));
    author::CheckReport r = d.Check();
    EXPECT_TRUE(Error(r, "setup.ini", 2, "is saved as UTF-8 (1 line)"));
    EXPECT_TRUE(Error(r, "setup.ini", 2, reinterpret_cast<const char*>(u8"\"ProgramName=Р‘Р»РѕРєРЅРѕС‚\"")));
  }
  {  // A byte-order mark makes the first header no header.
    Distribution d;
    const std::string raw = "\xEF\xBB\xBF" + Crlf(d.ini);
    author::CheckReport r = d.Check(&raw);
    EXPECT_TRUE(Error(r, "setup.ini", 1, "byte-order mark"));
    EXPECT_TRUE(Error(r, "setup.ini", 1, "that section is never found"));
  }
  {  // UTF-16: nothing can be read, and nothing else is reported.
    Distribution d;
    std::string raw = "\xFF\xFE";
    for (char c : Crlf(d.ini)) raw += std::string(1, c) + '\0';
    author::CheckReport r = d.Check(&raw);
    EXPECT_TRUE(Error(r, "setup.ini", 1, "UTF-16"));
    EXPECT_TRUE(Count(r, 1));
    EXPECT_FALSE(r.summary.read);
  }
  {  // LF alone, and a mix.
    Distribution d;
    const std::string lf = d.ini;
    author::CheckReport r = d.Check(&lf);
    EXPECT_TRUE(Warning(r, "setup.ini", 1, "ends its lines with LF alone"));
    EXPECT_TRUE(Count(r, 1));
    std::string mixed = Crlf(d.ini);
    mixed.erase(mixed.find("\r\n[Dialogs]"), 1);
    r = d.Check(&mixed);
    EXPECT_TRUE(Warning(r, "setup.ini", d.Line("[Dialogs]") - 1, "mixed line ends"));
  }
  {  // A registry file in UTF-8 writes mojibake into the registry; one in
     // the editor's Unicode form is converted and fine.
    Distribution d;
    d.Put("app.reg", Crlf(std::string(kRegFile) + "\"Name\"=\"" + reinterpret_cast<const char*>(u8"Блокнот") + "\"\n"));
    author::CheckReport r = d.Check();
    EXPECT_TRUE(Error(r, "app.reg", 5, "the registry gets"));
    std::string wide = "\xFF\xFE";
    for (char c : Crlf("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Demo]\n\"A\"=\"b\"\n"))
      wide += std::string(1, c) + '\0';
    d.Put("app.reg", wide);
    EXPECT_TRUE(Count(d.Check(), 0));
  }
}

TEST(DistributionCheck, UnknownSectionsAndKeysWithTheNearestName) {
  Distribution d;
  d.Edit("Wellcome=1", "Welcome=1");
  d.Edit("Languge=1", "Language=1");
  d.Edit("[DelFiles]", "[DelFile]");
  d.Edit("ProgramName=Demo", "programname=Demo\nProgramName=Demo");
  d.Edit("Pak0=extras.rar", "Pak0=extras.rar\nPak01=more.rar");
  author::CheckReport r = d.Check();
  EXPECT_TRUE(Warning(r, "setup.ini", d.Line("Welcome"), "did you mean Wellcome?"));
  EXPECT_TRUE(Warning(r, "setup.ini", d.Line("Language"), "did you mean Languge?"));
  EXPECT_TRUE(Warning(r, "setup.ini", d.Line("[DelFile]"), "did you mean [DelFiles]?"));
  EXPECT_TRUE(Warning(r, "setup.ini", d.Line("programname"), "compared with their letter case: write ProgramName"));
  EXPECT_TRUE(Warning(r, "setup.ini", d.Line("Pak01"), "without leading zeros: Pak1"));
  EXPECT_TRUE(Count(r, 5));
}

TEST(DistributionCheck, DuplicatesNameTheLineTheSetupProgramReads) {
  Distribution d;
  d.Edit("Main=1\nFilesCount=3\n", "Main=1\nFilesCount=3\nFilesCount=4\n");
  d.ini += "\n[Install]\nMultiVolume=1\n";
  author::CheckReport r = d.Check();
  EXPECT_TRUE(Warning(r, "setup.ini", d.Line("FilesCount=4"),
                      "reads the one at line " + std::to_string(d.Line("FilesCount=3")) + " (\"3\"), never \"4\""));
  const size_t at = d.ini.rfind("[Install]");
  const int second = 1 + static_cast<int>(std::count(d.ini.begin(), d.ini.begin() + static_cast<long>(at), '\n'));
  EXPECT_TRUE(Warning(r, "setup.ini", second, "reads only the one at line 1"));
  EXPECT_TRUE(Count(r, 2));
}

TEST(DistributionCheck, NumberedKeysWithAGapOrAnEmptyValue) {
  Distribution d;
  d.Edit("Pak0=core.rar", "Pak0=core.rar\nPak2=more.rar");
  d.Edit("Package1=Extras", "Package1=\nPackage2=Never");
  d.Edit("Ico_Name0=App.lnk", "Ico_Name0=App.lnk\nIco_Name1=Orphan.lnk");
  author::CheckReport r = d.Check();
  EXPECT_TRUE(Error(r, "setup.ini", d.Line("Pak2"), "Pak2 is never read: the list ends at Pak1, which is missing"));
  EXPECT_TRUE(Error(r, "setup.ini", d.Line("Package2"),
                    "Package2 is never read: the list ends at Package1, which is empty (line " +
                        std::to_string(d.Line("Package1")) + ")"));
  EXPECT_TRUE(Warning(r, "setup.ini", d.Line("Ico_Name1"), "Ico_Name1 is never read"));
  // [Package1] now belongs to no listed package.
  EXPECT_TRUE(Warning(r, "setup.ini", d.Line("[Package1]"), "[Package1] is never read: [Packages] lists 1 package"));
}

TEST(DistributionCheck, MissingFiles) {
  Distribution d(1);
  d.Remove("extras.rar");
  d.Remove("app.reg");
  d.Edit("SupportUninstall=1", "SupportUninstall=1\nInstallPicture=side.bmp");
  d.Remove("UnRAR.dll");
  author::CheckReport r = d.Check();
  EXPECT_TRUE(Error(r, "setup.ini", d.Line("Pak0=extras.rar"), "the archive \"extras.rar\" is missing"));
  EXPECT_TRUE(Error(r, "setup.ini", d.Line("RegFile0"), "the registry file \"app.reg\" is missing"));
  EXPECT_TRUE(Error(r, "setup.ini", d.Line("InstallPicture"), "the picture \"side.bmp\" is missing"));
  EXPECT_TRUE(Error(r, "UnRAR.dll", 0, "is missing"));
  EXPECT_TRUE(Count(r, 4));
}

TEST(DistributionCheck, ArchivesTheLibraryCannotReadWhole) {
  Distribution d;
  // Split into volumes; the second is gone.
  rarwriter::Options o;
  o.volume_size = 200;
  std::vector<rarwriter::Volume> volumes =
      rarwriter::Write("extras.rar", {Dir("extras"), File("extras/a.txt", std::string(600, 'a'))}, o);
  ASSERT_GE(volumes.size(), 3u);
  d.Remove("extras.rar");
  for (size_t i = 0; i < volumes.size(); ++i) {
    if (i != 1) d.Put(volumes[i].name, volumes[i].bytes);
  }
  d.Edit("Pak0=extras.rar", "Pak0=" + volumes[0].name);
  d.Put("core.rar", "this is no archive");
  author::CheckReport r = d.Check();
  EXPECT_TRUE(Error(r, "setup.ini", d.Line("Pak0=core.rar"), "\"core.rar\" does not open"));
  EXPECT_TRUE(Error(r, "setup.ini", d.Line("Pak0=extras"), "goes on in the volume \"" + volumes[1].name + "\""));
  // Without the archives' members no count can be judged.
  EXPECT_TRUE(Count(r, 2));
}

TEST(DistributionCheck, MembersTheLibraryDoesNotExtractOrNeverWrites) {
  Distribution d;
  rarwriter::Entry link = File("shortcut-to-app", "app.exe");
  link.is_link = true;
  std::string bytes = ArchiveBytes({File("app.exe"), File("readme.txt", "damaged later"), File("setup.tmp"),
                                    File("../outside.txt"), File("CON.txt"), link, File("dots.")});
  bytes.replace(bytes.find("damaged later"), 7, "DAMAGED");
  d.Put("core.rar", bytes);
  d.Edit("FilesCount=3", "FilesCount=7");
  author::CheckReport r = d.Check();
  const int line = d.Line("Pak0=core.rar");
  EXPECT_TRUE(Error(r, "setup.ini", line, "member \"readme.txt\" cannot be extracted: damaged data"));
  EXPECT_TRUE(Error(r, "setup.ini", line, "member \"../outside.txt\" has a name the library never writes"));
  EXPECT_TRUE(Error(r, "setup.ini", line, "member \"CON.txt\" has a name the library never writes"));
  EXPECT_TRUE(Error(r, "setup.ini", line, "member \"shortcut-to-app\" cannot be extracted: a symbolic link"));
  EXPECT_TRUE(Warning(r, "setup.ini", line, "member \"dots.\" ends with a dot or a blank"));
  EXPECT_TRUE(Count(r, 5));
}

TEST(DistributionCheck, FilesCountAgainstTheMembersOfEachLanguage) {
  Distribution d;
  d.Edit("FilesCount=2", "FilesCount=5");
  // The Russian section has more than two entries, so Russian reads it alone.
  d.Edit("[RunApp]", "[Package1.RUS]\nFilesCount=1\nPak0=extras-rus.rar\nPak1=extras.rar\n\n[RunApp]");
  d.Put("extras-rus.rar", ArchiveBytes({File("extras/b.txt")}));
  author::CheckReport r = d.Check();
  EXPECT_TRUE(Error(r, "setup.ini", d.Line("FilesCount=5"),
                    "FilesCount is 5, but the archives hold 2 members (extras.rar 2): the total progress bar stays short"));
  const int rus = LineOf(d.ini.substr(0), "FilesCount=1");
  EXPECT_TRUE(Error(r, "setup.ini", rus, "FilesCount is 1, but the archives hold 3 members (extras-rus.rar 1, extras.rar 2)"));
  EXPECT_TRUE(Count(r, 2));
}

TEST(DistributionCheck, RegistryFiles) {
  Distribution d;
  d.Put("app.reg", Crlf(std::string(kRegFile) +
                        "\"Broken=1\n"                                   // 5
                        "\"Bin\"=hex:01,zz\n"                            // 6
                        "\"Dir\"=\"%InstalPath%\\\\bin\"\n"               // 7
                        "[HKEY_CURRENT_USER\\Environment]\n"             // 8
                        "\"DEMO\"=\"1\"\n"                               // 9
                        "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n"  // 10
                        "\"Demo\"=\"x\"\n"                               // 11
                        "[Software\\Demo]\n"                             // 12
                        "a line of nothing\n"));                        // 13
  author::CheckReport r = d.Check();
  EXPECT_TRUE(Error(r, "app.reg", 5, "no closing quote: the setup program shows \"Wrong REG file:app.reg\""));
  EXPECT_TRUE(Error(r, "app.reg", 6, "\"Bad hex parameter\""));
  EXPECT_TRUE(Warning(r, "app.reg", 7, "%InstalPath% is no macro of the setup program"));
  EXPECT_TRUE(Warning(r, "app.reg", 8, "outside the keys an installation normally owns: HKEY_CURRENT_USER\\Environment"));
  EXPECT_TRUE(Warning(r, "app.reg", 10, "the uninstaller removes only the values written there"));
  EXPECT_TRUE(Warning(r, "app.reg", 12, "names none of the four roots: the setup program creates HKEY_LOCAL_MACHINE\\Software\\Demo"));
  EXPECT_TRUE(Warning(r, "app.reg", 13, "neither a key nor a value"));
  EXPECT_TRUE(Count(r, 7));
}

TEST(DistributionCheck, TargetsNoPackageInstalls) {
  Distribution d;
  d.Edit("Ico_Name0=App.lnk", "Ico_Name0=App.lnk\nIco_Link1=%InstallPath%\\missing.exe\nIco_Name1=Gone.lnk\n"
                              "Ico_Link2=%InstallPath%\\extras\\a.txt\nIco_Name2=Optional.lnk\n"
                              "Ico_Link3=C:\\Windows\\notepad.exe\nIco_Name3=Notes.lnk");
  d.Edit("Wait0=1", "Wait0=1\nApp1=%InstallPath%\\tool.exe\nApp2=regsvr32 /s x.dll\nApp3=%SourcePath%setup2.exe");
  d.Edit("File0=%InstallPath%\\setup.tmp", "File0=%InstallPath%\\setup.tmp\nFile1=C:\\autoexec.bat");
  author::CheckReport r = d.Check();
  EXPECT_TRUE(Error(r, "setup.ini", d.Line("Ico_Link1"), "\"Gone.lnk\" points at %InstallPath%\\missing.exe, which no package installs"));
  EXPECT_TRUE(Warning(r, "setup.ini", d.Line("Ico_Link2"), "which only the package \"Extras\" installs"));
  EXPECT_TRUE(Error(r, "setup.ini", d.Line("App1"), "[RunApp] App1 starts %InstallPath%\\tool.exe, which no package installs"));
  EXPECT_TRUE(Error(r, "setup.ini", d.Line("App3"), "\"setup2.exe\", which is not on the distribution medium"));
  EXPECT_TRUE(Warning(r, "setup.ini", d.Line("File1"), "outside the install folder"));
  // notepad.exe and regsvr32 are on every Windows.
  EXPECT_TRUE(Count(r, 5));
}

TEST(DistributionCheck, InstallPathWithoutItsBackslash) {
  Distribution d;
  d.Edit("InstallPath=C:\\Program Files\\", "InstallPath=C:\\Apps");
  author::CheckReport r = d.Check();
  EXPECT_TRUE(Error(r, "setup.ini", 3, "the suggested folder becomes \"C:\\AppsDemo\"; write \"C:\\Apps\\\""));
  EXPECT_TRUE(Count(r, 1));
}

TEST(DistributionCheck, LinesTheReaderNeverReads) {
  Distribution d;
  d.Edit("[Dialogs]", " [Dialogs]");
  d.Edit("[Install]", "Stray=1\n[Install]");
  d.Edit("Main=1", "Main=yes\n;FilesCount=0");
  d.Edit("[RunApp]", "[Package1.RUS]\nPak0=extras.rar\n\n[RunApp]");
  author::CheckReport r = d.Check();
  EXPECT_TRUE(Error(r, "setup.ini", d.Line(" [Dialogs]"), "has blanks around its brackets"));
  EXPECT_TRUE(Warning(r, "setup.ini", 1, "stands before any section"));
  EXPECT_TRUE(Warning(r, "setup.ini", d.Line("Main=yes"), "is not a number: the setup program takes the default, 0"));
  EXPECT_TRUE(Warning(r, "setup.ini", d.Line(";FilesCount"), "is no comment"));
  EXPECT_TRUE(Warning(r, "setup.ini", d.Line("[Package1.RUS]"), "has only 1 entry: with 2 or fewer the setup program never reads it"));
  // Main=yes reads as 0: the package is no longer required, so the program
  // [RunApp] starts may not be there.
  EXPECT_TRUE(Warning(r, "setup.ini", d.Line("App0"), "which only the package \"Main files\" installs"));
  EXPECT_TRUE(Count(r, 6));
}

}  // namespace
