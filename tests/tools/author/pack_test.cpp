// sowell-pack: the template edited where the setup program reads it and
// nowhere else, packages laid out over disks, distributions built from
// project folders (the examples among them) that the checker passes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/tools/author/author_test_lib.h"
#include "tools/author/archive_scan.h"
#include "tools/author/author_fs.h"
#include "tools/author/disk_plan.h"
#include "tools/author/pack.h"
#include "tools/author/template_edit.h"

namespace {

using namespace authortest;

TEST(TemplateEditor, SetsTheLineTheSetupProgramReadsAndLeavesTheRest) {
  const std::string text = "[A]\r\nx = 1\r\nx=2\r\n\r\n[a]\r\nx=3\r\n[B]\r\ny=1";
  author::TemplateEditor same(text);
  EXPECT_TRUE(same.Set("a", "x", "1"));
  EXPECT_FALSE(same.Changed());
  EXPECT_EQ(same.Bytes(), text);

  author::TemplateEditor e(text);
  EXPECT_TRUE(e.Set("A", "x", "9"));      // the first line of the first [A], blanks kept
  EXPECT_TRUE(e.Set("A", "z", "new"));    // before the blank line that closes the section
  EXPECT_TRUE(e.Set("B", "z", "last"));   // after a last line without a line end
  EXPECT_FALSE(e.Set("C", "z", "none"));
  EXPECT_EQ(e.Bytes(), "[A]\r\nx = 9\r\nx=2\r\nz=new\r\n\r\n[a]\r\nx=3\r\n[B]\r\ny=1\r\nz=last\r\n");
  // Bare LF line ends stay as they are.
  author::TemplateEditor lf("[A]\nk=1\n");
  lf.Set("A", "k", "2");
  EXPECT_EQ(lf.Bytes(), "[A]\nk=2\n");
}

TEST(DiskPlan, PackagesFillDisksInOrderOrGoWhereTheirVolumeSays) {
  // 100 bytes of programs on disk 1, 10 of setup.ini on each, disks of 200.
  author::DiskPlan p = author::PlanDisks({{"", 50}, {"", 40}, {"", 60}, {"", 100}}, 100, 10, 200);
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.diskOf, (std::vector<int>{0, 0, 1, 1}));
  EXPECT_EQ(p.used, (std::vector<uint64_t>{200, 170}));
  EXPECT_EQ(p.volumes, (std::vector<std::string>{author::DiskVolume(0), author::DiskVolume(1)}));
  EXPECT_EQ(author::DiskVolume(1), "\xE4\xE8\xF1\xEA 2");

  // Volumes of the template decide; a package without one stays with the one before.
  p = author::PlanDisks({{"CD A", 5}, {"", 5}, {"CD B", 5}, {"CD A", 5}}, 0, 0, 0);
  EXPECT_EQ(p.diskOf, (std::vector<int>{0, 0, 1, 0}));
  EXPECT_EQ(p.volumes, (std::vector<std::string>{"CD A", "CD B"}));

  EXPECT_NE(author::PlanDisks({{"", 300}}, 100, 10, 200).error.find("package 0 (300 bytes) does not fit"), std::string::npos);
  EXPECT_NE(author::PlanDisks({}, 300, 10, 200).error.find("disk 1 cannot even hold"), std::string::npos);
  uint64_t bytes = 0;
  EXPECT_TRUE(author::ParseSize("1440K", bytes));
  EXPECT_EQ(bytes, 1440u * 1024);
  EXPECT_FALSE(author::ParseSize("12Q", bytes));
  EXPECT_FALSE(author::ParseSize("0", bytes));
  EXPECT_FALSE(author::ParseSize("999999999999999G", bytes));  // more than 64 bits hold
}

// A project: the template without counts, a folder per archive, a registry file, a picture.
struct Project {
  Project() {
    Put("setup.ini", Crlf("[Install]\nProgramName=Demo\nInstallPath=C:\\Apps\\\nInstallFolder=Demo\nInstallPicture=side.bmp\n\n"
                          "[Packages]\nPackage0=Main\nPackage1=Extras\n\n"
                          "[Package0]\nMain=1\nPak0=core.rar\nIco_Link0=%InstallPath%\\bin\\app.exe\nIco_Name0=App.lnk\nRegFile0=app.reg\n\n"
                          "[Package1]\nPak0=extras.rar\nPak1=ready.rar\n"));
    Put("packages/core/bin/app.exe", std::string(3000, 'x'));
    Put("packages/core/readme.txt", "read me");
    Put("packages/extras/a.txt", std::string(3000, 'a'));
    Put("ready.rar", ArchiveBytes({File("ready.txt")}));
    Put("app.reg", Crlf(kRegFile));
    Put("side.bmp", "BM");
    Put("Sowell.exe", "MZ setup");
    Put("UnRAR.dll", "MZ library");
  }
  void Put(const std::string& name, const std::string& bytes) {
    std::filesystem::path p = std::filesystem::path(dir.Path()) / "project" / name;
    std::filesystem::create_directories(p.parent_path());
    WriteBytes(p.string(), bytes);
  }
  int Pack(std::vector<std::string> options, std::string& output) {
    options.push_back((std::filesystem::path(dir.Path()) / "project").string());
    options.push_back(Out());
    std::ostringstream out, err;
    const int rc = author::RunPackCommand(options, out, err);
    output = out.str() + err.str();
    return rc;
  }
  std::string Out(const std::string& name = "") const {
    return (std::filesystem::path(dir.Path()) / "out" / name).string();
  }
  TempDir dir;
};

TEST(Pack, BuildsADistributionTheCheckerPasses) {
  Project p;
  std::string output;
  ASSERT_EQ(p.Pack({}, output), 0) << output;
  EXPECT_NE(output.find("0 errors, 0 warnings"), std::string::npos) << output;
  const std::string ini = ReadBytes(p.Out("setup.ini"));
  // Counted into the sections, each after the section's last line.
  EXPECT_NE(ini.find("RegFile0=app.reg\r\nFilesCount=3\r\n\r\n[Package1]"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Pak1=ready.rar\r\nFilesCount=2\r\n"), std::string::npos) << ini;
  for (const char* name : {"Sowell.exe", "UnRAR.dll", "side.bmp", "app.reg", "core.rar", "extras.rar", "ready.rar"}) {
    EXPECT_TRUE(std::filesystem::exists(p.Out(name))) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(p.Out("autorun.inf")));
  authorfs::VolumeOpener opener;
  const author::ArchiveScan core = author::ScanArchive(opener, p.Out("core.rar"));
  ASSERT_TRUE(core.Complete());
  ASSERT_EQ(core.members.size(), 3u);
  EXPECT_EQ(core.members[0].name, "bin");
  EXPECT_EQ(core.members[1].name, "bin/app.exe");
  EXPECT_EQ(core.members[2].name, "readme.txt");
  // The author's own archive is copied as it is.
  EXPECT_EQ(ReadBytes(p.Out("ready.rar")), ArchiveBytes({File("ready.txt")}));
}

TEST(Pack, SplitsPackagesOverDisksOfTheSizeGiven) {
  Project p;
  std::string output;
  // Disk 1 takes the programs, the picture and core; extras goes on disk 2.
  ASSERT_EQ(p.Pack({"--disk-size", "4000"}, output), 0) << output;
  const std::string disk1 = ReadBytes(p.Out("disk1/setup.ini"));
  EXPECT_EQ(disk1, ReadBytes(p.Out("disk2/setup.ini")));
  EXPECT_NE(disk1.find("MultiVolume=1\r\n"), std::string::npos) << disk1;
  EXPECT_NE(disk1.find("FilesCount=3\r\nVolume=\xE4\xE8\xF1\xEA 1\r\n"), std::string::npos) << disk1;
  EXPECT_NE(disk1.find("FilesCount=2\r\nVolume=\xE4\xE8\xF1\xEA 2\r\n"), std::string::npos) << disk1;
  EXPECT_TRUE(std::filesystem::exists(p.Out("disk1/core.rar")));
  EXPECT_TRUE(std::filesystem::exists(p.Out("disk1/app.reg")));
  EXPECT_TRUE(std::filesystem::exists(p.Out("disk2/extras.rar")));
  EXPECT_TRUE(std::filesystem::exists(p.Out("disk2/ready.rar")));
  EXPECT_EQ(ReadBytes(p.Out("disk1/autorun.inf")), "[autorun]\r\nopen=Sowell.exe\r\nicon=Sowell.exe,0\r\nlabel=Demo\r\n");
  EXPECT_FALSE(std::filesystem::exists(p.Out("disk2/autorun.inf")));
  EXPECT_NE(output.find("0 errors, 0 warnings"), std::string::npos) << output;
  // Too small a disk for a package is said so, and nothing passes for done.
  Project q;
  EXPECT_EQ(q.Pack({"--disk-size", "3200"}, output), 1);
  EXPECT_NE(output.find("does not fit on disk"), std::string::npos) << output;
}

TEST(Pack, RefusesWhatItCannotBuild) {
  Project p;
  std::string output;
  std::filesystem::create_directories(p.Out("old"));
  EXPECT_EQ(p.Pack({}, output), 1);
  EXPECT_NE(output.find("is not an empty folder"), std::string::npos) << output;
  std::filesystem::remove_all(p.Out());
  std::filesystem::remove_all(std::filesystem::path(p.dir.Path()) / "project" / "packages" / "extras");
  EXPECT_EQ(p.Pack({}, output), 1);
  EXPECT_NE(output.find("nothing to make extras.rar of"), std::string::npos) << output;
  EXPECT_EQ(p.Pack({"--disk-size", "lots"}, output), 2);
  // A link back to its own folder is no endless tree.
#ifndef _WIN32
  Project loop;
  std::filesystem::create_directory_symlink("..", std::filesystem::path(loop.dir.Path()) / "project/packages/core/bin/up");
  EXPECT_EQ(loop.Pack({}, output), 1);
  EXPECT_NE(output.find("cannot read every file of"), std::string::npos) << output;
#endif
  // An error the checker finds in the result fails the build.
  Project q;
  q.Put("app.reg", Crlf("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Demo]\n\"Open=1\n"));
  EXPECT_EQ(q.Pack({}, output), 1);
  EXPECT_NE(output.find("app.reg:3: error:"), std::string::npos) << output;
}

#ifdef SOWELL_EXAMPLES_DIR
// The examples built as the build builds them, from their manifests, with
// stand-ins for the programs.
void PackExample(const std::string& manifest, const std::string& out, std::string& output, int& rc) {
  TempDir work;
  const std::filesystem::path examples = SOWELL_EXAMPLES_DIR;
  const std::filesystem::path project = std::filesystem::path(work.Path()) / "project";
  const std::filesystem::path programs = std::filesystem::path(work.Path()) / "programs";
  std::filesystem::create_directories(programs);
  WriteBytes((programs / "Sowell.exe").string(), "MZ setup");
  WriteBytes((programs / "UnRAR.dll").string(), "MZ library");
  WriteBytes((programs / "notebook.exe").string(), "MZ notebook");
  std::vector<std::string> args;
  std::istringstream lines(ReadBytes((examples / manifest).string()));
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string verb, from, to;
    words >> verb;
    if (verb == "option") {
      while (words >> from) args.push_back(from);
      continue;
    }
    if (verb != "stage") continue;
    words >> from >> to;
    const std::filesystem::path source = from == "@notebook" ? programs / "notebook.exe" : examples / from;
    std::filesystem::path target = project / to;
    if (to.back() == '/') target /= source.filename();
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy(source, target, std::filesystem::copy_options::recursive);
  }
  args.insert(args.end(), {"--sowell", (programs / "Sowell.exe").string(), "--unrar", (programs / "UnRAR.dll").string(),
                           project.string(), out});
  std::ostringstream o, e;
  rc = author::RunPackCommand(args, o, e);
  output = o.str() + e.str();
}

TEST(Pack, BuildsTheExamplesWithoutAFinding) {
  TempDir out;
  std::string output;
  int rc = -1;
  PackExample("demo/dist.txt", out.File("demo"), output, rc);
  EXPECT_EQ(rc, 0) << output;
  EXPECT_NE(output.find("0 errors, 0 warnings"), std::string::npos) << output;
  // The hand-written counts are right, so the file is left as written.
  EXPECT_EQ(ReadBytes(out.File("demo/setup.ini")), ReadBytes(std::string(SOWELL_EXAMPLES_DIR) + "/demo/setup.ini"));

  PackExample("multidisk/dist.txt", out.File("multidisk"), output, rc);
  EXPECT_EQ(rc, 0) << output;
  EXPECT_NE(output.find("0 errors, 0 warnings"), std::string::npos) << output;
  EXPECT_EQ(ReadBytes(out.File("multidisk/disk1/setup.ini")),
            ReadBytes(std::string(SOWELL_EXAMPLES_DIR) + "/multidisk/setup.ini"));
  for (const char* name : {"disk1/core.rar", "disk1/help.rar", "disk1/help-rus.rar", "disk1/notebook.reg",
                           "disk1/autorun.inf", "disk2/samples.rar", "disk2/letters.rar", "disk2/forms.rar",
                           "disk2/templates.reg", "disk2/setup.ini"}) {
    EXPECT_TRUE(std::filesystem::exists(out.File("multidisk/" + std::string(name)))) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(out.File("multidisk/disk2/autorun.inf")));
}
#endif

}  // namespace
