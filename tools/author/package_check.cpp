#include "tools/author/package_check.h"

#include <set>

#include "common/ansi.h"
#include "tools/author/cp1251.h"
#include "tools/author/distribution_files.h"
#include "tools/author/regfile_check.h"
#include "tools/author/text_check.h"
#include "unrar/rar_codes.h"

namespace author {
namespace {

// Findings about the members of one archive beyond this many are summed up.
constexpr int kMemberFindings = 10;

std::string U(std::string_view s) { return cp1251::Utf8FromCp1251(s); }
std::string Q(std::string_view utf8) { return "\"" + Excerpt(utf8) + "\""; }

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

PackageSection ReadSection(const Distribution& d, const std::string& name, int package, bool russian) {
  PackageSection s;
  s.name = name;
  s.package = package;
  s.russian = russian;
  s.exists = d.index->Find(name) != nullptr;
  const std::vector<std::string> paks = ReadNumberedKeys(*d.ini, name, "Pak");
  for (size_t k = 0; k < paks.size(); ++k) s.archives.push_back({paks[k], d.index->LineOf(name, "Pak" + std::to_string(k))});
  const std::vector<std::string> regs = ReadNumberedKeys(*d.ini, name, "RegFile");
  for (size_t k = 0; k < regs.size(); ++k)
    s.regFiles.push_back({regs[k], d.index->LineOf(name, "RegFile" + std::to_string(k))});
  s.volume = d.ini->ReadString(name, "Volume", "");
  s.volumeLine = d.index->LineOf(name, "Volume");
  s.filesCount = d.ini->ReadInteger(name, "FilesCount", 0);
  s.filesCountLine = d.index->LineOf(name, "FilesCount");
  return s;
}

class PackageCheck {
 public:
  PackageCheck(Distribution& d, Findings& f) : d_(d), f_(f) {}
  void Run();

 private:
  void Sections();
  void Archive(ArchiveFile& a);
  void Members(const ArchiveFile& a);
  void Counts(const PackageSection& s);
  void RegFiles(const PackageSection& s);

  Distribution& d_;
  Findings& f_;
  std::set<std::string> regFilesRead_;
};

void PackageCheck::Run() {
  Sections();
  for (auto& [key, archive] : d_.archives) Archive(archive);
  for (auto& [name, section] : d_.sections) {
    for (const NamedFile& a : section.archives) {
      const ArchiveFile* file = d_.Archive(a.name);
      if (file && file->Found()) {
        section.disk = file->disks.front();
        break;
      }
    }
  }
  for (const auto& [name, section] : d_.sections) {
    Counts(section);
    RegFiles(section);
  }
}

void PackageCheck::Sections() {
  const bool languagePage = d_.ini->ReadBool("Dialogs", "Languge", true);
  for (bool russian : {false, true}) {
    // With the language page off English is chosen; Russian is never read.
    if (russian && !languagePage) break;
    Language lang;
    lang.russian = russian;
    for (size_t i = 0; i < d_.packages.size(); ++i) {
      const int package = static_cast<int>(i);
      const std::string name = ChoosePackageSection(*d_.ini, package, russian);
      lang.sections.push_back(name);
      if (d_.sections.count(name)) continue;
      PackageSection s = ReadSection(d_, name, package, name.size() > 4 && name.substr(name.size() - 4) == ".RUS");
      if (!s.exists) {
        f_.Error(d_.iniFile, d_.index->LineOf("Packages", "Package" + std::to_string(i)),
                 "package " + std::to_string(i) + " (" + Q(U(d_.packages[i].Name)) + ") has no section [" + name +
                     "]: nothing is installed for it");
      } else if (s.archives.empty()) {
        f_.Error(d_.iniFile, d_.index->LineOf(name, "Pak0"),
                 "[" + name + "] names no archive (Pak0 is missing or empty): nothing is installed for this package");
      }
      for (const NamedFile& a : s.archives) {
        const std::string key = ansi::UpperCase(a.name);
        if (!d_.archives.count(key)) d_.archives[key] = ArchiveFile{a.name, a, {}, {}, {}};
      }
      d_.sections.emplace(name, std::move(s));
    }
    d_.languages.push_back(std::move(lang));
  }
}

void PackageCheck::Archive(ArchiveFile& a) {
  if (IsAbsoluteName(a.name)) {
    f_.Error(d_.iniFile, a.firstRef.line,
             Q(U(a.name)) + " is no name relative to the setup program's folder, which the setup program puts in "
                            "front of it all the same");
    return;
  }
  // Without MultiVolume the run never asks for another disk.
  const size_t disks = d_.inst.MultiVolume ? d_.disks.size() : 1;
  for (size_t disk = 0; disk < disks; ++disk) {
    if (std::optional<std::string> path = FindOnDisk(d_.disks[disk], a.name)) {
      if (a.disks.empty()) a.path = *path;
      a.disks.push_back(static_cast<int>(disk));
    }
  }
  if (!a.Found()) {
    f_.Error(d_.iniFile, a.firstRef.line,
             "the archive " + Q(U(a.name)) + " is missing" +
                 (disks > 1 ? " from every disk" : "") + ": the setup program skips it");
    return;
  }
  DiskVolumeOpener opener;
  a.scan = ScanArchive(opener, a.path);
  const std::string what = "the archive " + Q(U(a.name));
  if (a.scan.openCode != rar::kSuccess) {
    f_.Error(d_.iniFile, a.firstRef.line, what + " does not open: " + ResultText(a.scan.openCode));
    return;
  }
  Members(a);
  if (!a.scan.missingVolume.empty()) {
    f_.Error(d_.iniFile, a.firstRef.line,
             what + " goes on in the volume " + Q(BaseName(a.scan.missingVolume)) +
                 ", which is not beside it: the setup program never asks for a volume, and every member from there "
                 "on is left out");
  } else if (a.scan.endCode != rar::kSuccess) {
    f_.Error(d_.iniFile, a.firstRef.line,
             what + " cannot be read to its end (" + ResultText(a.scan.endCode) + ") after " +
                 std::to_string(a.scan.members.size()) + " members: the rest is left out");
  }
}

void PackageCheck::Members(const ArchiveFile& a) {
  int reported = 0;
  int more = 0;
  auto report = [&](bool error, const std::string& text) {
    if (reported >= kMemberFindings) {
      ++more;
      return;
    }
    ++reported;
    const std::string full = "member " + text + " of " + Q(U(a.name));
    if (error) f_.Error(d_.iniFile, a.firstRef.line, full);
    else f_.Warning(d_.iniFile, a.firstRef.line, full);
  };
  for (const ScannedMember& m : a.scan.members) {
    // The member that ran into the end of a readable archive is told of with the archive.
    if (&m == &a.scan.members.back() && a.scan.endCode != rar::kSuccess && m.code == a.scan.endCode) continue;
    const std::string name = Q(m.name);
    if (m.unsafe) {
      report(true, name + " has a name the library never writes (an absolute path, \"..\", a drive, a stream or a "
                          "device): the setup program asks to go on without it");
    } else if (m.firstPartMissing) {
      report(true, name + " begins in an earlier volume: Pak names a volume that is not the first of its set");
    } else if (m.code != rar::kSuccess) {
      report(true, name + " cannot be extracted: " + (m.isLink ? "a symbolic link, which the setup program does not create"
                                                               : ResultText(m.code)));
    } else if (m.renamed) {
      report(false, name + " ends with a dot or a blank, which Windows drops: the file is stored under another name");
    }
  }
  if (more > 0) {
    f_.Error(d_.iniFile, a.firstRef.line,
             std::to_string(more) + " more members of " + Q(U(a.name)) + " have findings like the ones above");
  }
}

void PackageCheck::Counts(const PackageSection& s) {
  if (s.archives.empty()) return;
  int64_t total = 0;
  std::string parts;
  for (const NamedFile& ref : s.archives) {
    const ArchiveFile* a = d_.Archive(ref.name);
    // A count of an archive not read to its end would be a guess.
    if (!a || !a->Found() || !a->scan.Complete()) return;
    total += static_cast<int64_t>(a->scan.members.size());
    parts += (parts.empty() ? "" : ", ") + U(ref.name) + " " + std::to_string(a->scan.members.size());
  }
  if (total == s.filesCount) return;
  const bool written = d_.index->EntryOf(s.name, "FilesCount") != nullptr;
  std::string text = std::string(written ? "FilesCount is " + std::to_string(s.filesCount) : "FilesCount is missing (0)") +
                     ", but the archives hold " + std::to_string(total) + " members (" + parts + "): ";
  text += s.filesCount > total ? "the total progress bar stays short of its end"
                               : "the total progress bar is full before the installation ends";
  f_.Error(d_.iniFile, s.filesCountLine, text + "; write FilesCount=" + std::to_string(total));
}

void PackageCheck::RegFiles(const PackageSection& s) {
  // A package's registry files are read from the disk that holds its archives.
  const int disk = s.disk >= 0 ? s.disk : 0;
  for (const NamedFile& ref : s.regFiles) {
    std::optional<std::string> path = IsAbsoluteName(ref.name) ? std::nullopt : FindOnDisk(d_.disks[disk], ref.name);
    if (!path) {
      std::string where = d_.disks.size() > 1 ? " from disk " + std::to_string(disk + 1) + ", which holds the package's archives" : "";
      f_.Error(d_.iniFile, ref.line,
               "the registry file " + Q(U(ref.name)) + " is missing" + where + ": the setup program skips it without a word");
      continue;
    }
    if (!regFilesRead_.insert(*path).second) continue;
    std::optional<std::string> bytes = authorfs::ReadBytes(*path);
    if (!bytes) {
      f_.Error(*path, 0, "cannot be read");
      continue;
    }
    CheckRegFile(*bytes, *path, ref.name, f_);
  }
}

}  // namespace

void CheckPackages(Distribution& d, Findings& findings) { PackageCheck(d, findings).Run(); }

}  // namespace author
