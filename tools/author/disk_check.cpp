#include "tools/author/disk_check.h"

#include <map>
#include <set>

#include "common/ansi.h"
#include "setup/run/run_plan.h"
#include "tools/author/cp1251.h"
#include "tools/author/distribution_files.h"
#include "tools/author/text_check.h"

namespace author {
namespace {

std::string U(std::string_view s) { return cp1251::Utf8FromCp1251(s); }
std::string Q(std::string_view cp1251Text) { return "\"" + Excerpt(U(cp1251Text)) + "\""; }
std::string DiskName(int disk) { return "disk " + std::to_string(disk + 1); }

class DiskCheck {
 public:
  DiskCheck(const Distribution& d, Findings& f) : d_(d), f_(f) {}
  void Run();

 private:
  void Programs();
  void Autorun();
  void Copies();
  void Volumes();
  int MultiVolumeLine() const {
    const int line = d_.index->LineOf("Install", "MultiVolume");
    return line;
  }

  const Distribution& d_;
  Findings& f_;
};

void DiskCheck::Run() {
  Programs();
  const bool multi = d_.inst.MultiVolume;
  if (!multi) {
    if (d_.disks.size() > 1) {
      f_.Error(d_.iniFile, MultiVolumeLine(),
               "MultiVolume is off, but the distribution has " + std::to_string(d_.disks.size()) +
                   " disks: the setup program never asks for another disk, and archives on disk 2 and later are "
                   "not found");
    }
    return;
  }
  Autorun();
  Copies();
  Volumes();
}

void DiskCheck::Programs() {
  const std::string& disk1 = d_.disks.front();
  for (const char* name : {"Sowell.exe", "UnRAR.dll"}) {
    if (FindOnDisk(disk1, name)) continue;
    f_.Error(authorfs::Join(disk1, name), 0,
             std::string("is missing") + (d_.disks.size() > 1 ? " from disk 1" : "") + ": " +
                 (std::string(name) == "Sowell.exe"
                      ? "the setup program belongs beside setup.ini"
                      : "the setup program loads the extraction library from its own folder, and without it no "
                        "package is installed"));
  }
  const std::string picture = d_.inst.InstallPicture;
  if (!picture.empty() && !FindOnDisk(disk1, picture)) {
    f_.Error(d_.iniFile, d_.index->LineOf("Install", "InstallPicture"),
             "the picture " + Q(picture) + " is missing" + (d_.disks.size() > 1 ? " from disk 1" : "") +
                 ": the built-in picture stays");
  }
}

void DiskCheck::Autorun() {
  std::optional<std::string> path = FindOnDisk(d_.disks.front(), "autorun.inf");
  if (!path) {
    f_.Error(d_.iniFile, MultiVolumeLine(),
             "MultiVolume is on, but disk 1 has no autorun.inf in its root: at the end the setup program asks for "
             "disk 1 until it finds one there");
  } else if (std::optional<std::string> bytes = authorfs::ReadBytes(*path)) {
    if (CheckText(*bytes, *path, TextKind::Autorun, f_)) {
      TIniFile32 inf(authorfs::NarrowPath(*path));
      const std::string open = inf.ReadString("autorun", "open", "");
      const IniIndex index(inf.Lines());
      const int line = index.LineOf("autorun", "open");
      if (open.empty()) {
        f_.Warning(*path, line, "autorun.inf does not start the setup program: write open=Sowell.exe under [autorun]");
      } else if (!FindOnDisk(d_.disks.front(), open.substr(0, open.find(' ')))) {
        f_.Warning(*path, line, "open= names " + Q(open) + ", which is not on disk 1");
      }
    }
  }
  for (size_t disk = 1; disk < d_.disks.size(); ++disk) {
    if (std::optional<std::string> other = FindOnDisk(d_.disks[disk], "autorun.inf")) {
      f_.Error(*other, 0,
               DiskName(static_cast<int>(disk)) + " carries autorun.inf: the setup program takes it for disk 1 and goes "
                                                  "on at the end with " + DiskName(static_cast<int>(disk)) + " in the drive");
    }
  }
}

void DiskCheck::Copies() {
  const std::optional<std::string> first = authorfs::ReadBytes(d_.iniFile);
  for (size_t disk = 1; disk < d_.disks.size(); ++disk) {
    std::optional<std::string> path = FindOnDisk(d_.disks[disk], "setup.ini");
    if (!path) {
      f_.Error(authorfs::Join(d_.disks[disk], "setup.ini"), 0,
               "is missing: after the change to " + DiskName(static_cast<int>(disk)) +
                   " the setup program reads setup.ini from it, and every key it reads there is empty");
      continue;
    }
    std::optional<std::string> bytes = authorfs::ReadBytes(*path);
    if (!bytes || !first || *bytes == *first) continue;
    const std::vector<TextLine> a = SplitTextLines(*first);
    const std::vector<TextLine> b = SplitTextLines(*bytes);
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i].text == b[i].text) ++i;
    f_.Error(*path, static_cast<int>(i + 1),
             "differs from the setup.ini of disk 1 from this line on: the setup program reads it again after the "
             "change to " + DiskName(static_cast<int>(disk)) + "; put the same file on every disk");
  }
}

void DiskCheck::Volumes() {
  std::map<std::string, int> diskOfVolume;         // Volume text -> the disk it first named
  std::map<int, std::set<std::string>> namesOfDisk;
  std::set<std::string> reported;
  for (const Language& lang : d_.languages) {
    int furthest = 0;
    for (const std::string& name : lang.sections) {
      const PackageSection& s = d_.Section(name);
      if (s.disk < 0) continue;
      for (const NamedFile& ref : s.archives) {
        const ArchiveFile* a = d_.Archive(ref.name);
        if (!a || !a->Found()) continue;
        if (a->disks.size() > 1 && reported.insert("twice " + ansi::UpperCase(ref.name)).second) {
          f_.Warning(d_.iniFile, ref.line,
                     Q(ref.name) + " lies on " + DiskName(a->disks[0]) + " and " + DiskName(a->disks[1]) +
                         ": the setup program takes whichever disk is in the drive, without asking for " +
                         DiskName(s.disk));
        }
        if (a->disks.front() != s.disk && reported.insert("apart " + s.name + ref.name).second) {
          f_.Error(d_.iniFile, ref.line,
                   Q(ref.name) + " is on " + DiskName(a->disks.front()) + ", the package's first archive on " +
                       DiskName(s.disk) + ": one Volume serves all archives of a package");
        }
      }
      if (!reported.insert("volume " + s.name).second) {
        furthest = std::max(furthest, s.disk);
        continue;
      }
      const int line = s.volumeLine;
      if (s.volume.empty()) {
        if (s.disk > 0 || furthest > 0) {
          f_.Error(d_.iniFile, line,
                   "[" + s.name + "] has no Volume, but its archives are on " + DiskName(s.disk) +
                       ": the prompt for them reads " +
                       Q(InsertDiskPrompt("", d_.inst.SupportUninstall)));
        }
      } else {
        const int number = DiskNumberOf(s.volume);
        if (number > 0 && number != s.disk + 1) {
          f_.Error(d_.iniFile, line,
                   "Volume=" + U(s.volume) + " names disk " + std::to_string(number) + ", but the archives of [" +
                       s.name + "] are on " + DiskName(s.disk));
        }
        auto [it, fresh] = diskOfVolume.emplace(s.volume, s.disk);
        if (!fresh && it->second != s.disk) {
          f_.Error(d_.iniFile, line,
                   "Volume=" + U(s.volume) + " also names " + DiskName(it->second) + ": the user cannot tell the two disks apart");
        }
        namesOfDisk[s.disk].insert(s.volume);
        if (namesOfDisk[s.disk].size() == 2 && reported.insert("names " + std::to_string(s.disk)).second) {
          f_.Warning(d_.iniFile, line,
                     DiskName(s.disk) + " is called both " + Q(*namesOfDisk[s.disk].begin()) + " and " +
                         Q(*namesOfDisk[s.disk].rbegin()) + " in the prompts");
        }
      }
      if (s.disk < furthest) {
        f_.Warning(d_.iniFile, s.archives.front().line,
                   "[" + s.name + "] goes back to " + DiskName(s.disk) + " after " + DiskName(furthest) +
                       ": order the packages by disk, so that a full installation asks for each disk once");
      }
      furthest = std::max(furthest, s.disk);
    }
  }
}

}  // namespace

int DiskNumberOf(std::string_view volume) {
  size_t end = volume.find_last_of("0123456789");
  if (end == std::string_view::npos) return 0;
  size_t start = end;
  while (start > 0 && volume[start - 1] >= '0' && volume[start - 1] <= '9') --start;
  if (end - start >= 6) return 0;
  return std::stoi(std::string(volume.substr(start, end - start + 1)));
}

void CheckDisks(const Distribution& d, Findings& findings) { DiskCheck(d, findings).Run(); }

}  // namespace author
