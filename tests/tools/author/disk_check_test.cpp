// Sets of disks: what the setup program needs on disk 1, the copy of
// setup.ini on each disk, autorun.inf on the first only, and each package's
// files on the disk its Volume names.
#include <gtest/gtest.h>

#include "tests/tools/author/author_test_lib.h"
#include "tools/author/disk_check.h"

namespace {

using namespace authortest;

// Disk 1 holds the programs and core, disk 2 the extras; Volume names both.
struct TwoDisks : Distribution {
  TwoDisks() : Distribution(2) {
    Edit("SupportUninstall=1", "SupportUninstall=1\nMultiVolume=1");
    Edit("Pak0=core.rar", "Volume=\xE4\xE8\xF1\xEA 1\nPak0=core.rar");
    Edit("Pak0=extras.rar", "Volume=\xE4\xE8\xF1\xEA 2\nPak0=extras.rar");
    Put("extras.rar", ArchiveBytes({Dir("extras"), File("extras/a.txt")}), 1);
    Remove("extras.rar");
    Put("autorun.inf", Crlf("[autorun]\nopen=Sowell.exe\n"));
  }
  int VolumeLine(int disk) const {
    return Line("Volume=\xE4\xE8\xF1\xEA " + std::to_string(disk));
  }
};

TEST(DiskCheck, ACorrectSetGivesNoFindingAndIsFoundInItsFolder) {
  TwoDisks d;
  EXPECT_TRUE(Count(d.Check(), 0));
  // A folder holding disk1 and disk2 stands for the set.
  const std::string parent = d.Folders()[0].substr(0, d.Folders()[0].size() - 6);
  EXPECT_EQ(author::DisksOf({parent}), d.Folders());
  EXPECT_EQ(author::DiskNumberOf("\xE4\xE8\xF1\xEA 12"), 12);
  EXPECT_EQ(author::DiskNumberOf("CD"), 0);
}

TEST(DiskCheck, TheFirstDiskIsKnownByAutorunInfOnItAlone) {
  TwoDisks d;
  d.Remove("autorun.inf");
  d.Put("autorun.inf", Crlf("[autorun]\nopen=Sowell.exe\n"), 1);
  author::CheckReport r = d.Check();
  EXPECT_TRUE(Error(r, "setup.ini", d.Line("MultiVolume=1"), "disk 1 has no autorun.inf"));
  EXPECT_TRUE(Error(r, "disk2/autorun.inf", 0, "disk 2 carries autorun.inf"));
  EXPECT_TRUE(Count(r, 2));

  TwoDisks e;
  e.Put("autorun.inf", Crlf("[autorun]\nicon=x.ico\nopen=Setup.exe\n"));
  r = e.Check();
  EXPECT_TRUE(Warning(r, "disk1/autorun.inf", 3, "open= names \"Setup.exe\", which is not on disk 1"));
  EXPECT_TRUE(Count(r, 1));
}

TEST(DiskCheck, EveryDiskCarriesTheSameSetupIni) {
  TwoDisks d;
  author::CheckReport r = d.Check();
  ASSERT_TRUE(Count(r, 0));
  // A later change on disk 1 only.
  d.Put("setup.ini", Crlf(d.ini + "\n[Extra]\n"), 1);
  r = author::CheckDistribution(d.Folders());
  EXPECT_TRUE(Error(r, "disk2/setup.ini", LineOf(d.ini, "File0") + 1, "differs from the setup.ini of disk 1 from this line on"));
  d.Remove("setup.ini", 1);
  r = author::CheckDistribution(d.Folders());
  EXPECT_TRUE(Error(r, "disk2/setup.ini", 0, "is missing: after the change to disk 2"));
  EXPECT_TRUE(Count(r, 1));
}

TEST(DiskCheck, VolumesAgainstTheDiskFolders) {
  {  // The Volume names another disk than the one holding the archives.
    TwoDisks d;
    d.Edit("Volume=\xE4\xE8\xF1\xEA 2", "Volume=\xE4\xE8\xF1\xEA 3");
    author::CheckReport r = d.Check();
    EXPECT_TRUE(Error(r, "setup.ini", d.VolumeLine(3), "names disk 3, but the archives of [Package1] are on disk 2"));
    EXPECT_TRUE(Count(r, 1));
  }
  {  // No Volume: the prompt has a hole where the disk's name belongs.
    TwoDisks d;
    d.Edit("Volume=\xE4\xE8\xF1\xEA 2\n", "");
    author::CheckReport r = d.Check();
    EXPECT_TRUE(Error(r, "setup.ini", d.Line("[Package1]"), "[Package1] has no Volume, but its archives are on disk 2"));
    EXPECT_TRUE(Count(r, 1));
  }
  {  // The same Volume for both disks.
    TwoDisks d;
    d.Edit("Volume=\xE4\xE8\xF1\xEA 2", "Volume=CD");
    d.Edit("Volume=\xE4\xE8\xF1\xEA 1", "Volume=CD");
    author::CheckReport r = d.Check();
    EXPECT_TRUE(Error(r, "setup.ini", d.Line("Pak0=extras") - 1, "Volume=CD also names disk 1"));
    EXPECT_TRUE(Count(r, 1));
  }
  {  // A registry file must lie beside its package's archives.
    TwoDisks d;
    d.Edit("Pak0=extras.rar", "Pak0=extras.rar\nRegFile0=extras.reg");
    d.Put("extras.reg", Crlf(kRegFile));
    author::CheckReport r = d.Check();
    EXPECT_TRUE(Error(r, "setup.ini", d.Line("RegFile0=extras"), "missing from disk 2, which holds the package's archives"));
    EXPECT_TRUE(Count(r, 1));
  }
  {  // Back to disk 1 after disk 2.
    TwoDisks d;
    d.Edit("Package1=Extras", "Package1=Extras\nPackage2=More");
    d.ini += "\n[Package2]\nFilesCount=1\nVolume=\xE4\xE8\xF1\xEA 1\nPak0=more.rar\n";
    d.Put("more.rar", ArchiveBytes({File("more.txt")}));
    author::CheckReport r = d.Check();
    EXPECT_TRUE(Warning(r, "setup.ini", d.Line("Pak0=more"), "goes back to disk 1 after disk 2"));
    EXPECT_TRUE(Count(r, 1));
  }
}

TEST(DiskCheck, SeveralDisksWithoutMultiVolume) {
  TwoDisks d;
  d.Edit("MultiVolume=1", "MultiVolume=0");
  author::CheckReport r = d.Check();
  EXPECT_TRUE(Error(r, "setup.ini", d.Line("MultiVolume"), "MultiVolume is off, but the distribution has 2 disks"));
  // With the disk never asked for, extras.rar is not found where the run looks.
  EXPECT_TRUE(Error(r, "setup.ini", d.Line("Pak0=extras"), "the archive \"extras.rar\" is missing: the setup program skips it"));
  EXPECT_TRUE(Count(r, 2));
}

}  // namespace
