#include "tools/author/pack.h"

#include <map>
#include <set>

#include "common/ansi.h"
#include "setup/run/inifiles32.h"
#include "setup/run/setup_description.h"
#include "tools/author/author_fs.h"
#include "tools/author/cp1251.h"
#include "tools/author/disk_plan.h"
#include "tools/author/distribution_check.h"
#include "tools/author/distribution_files.h"
#include "tools/author/rarwriter_entries.h"
#include "tools/author/target_check.h"
#include "tools/author/template_edit.h"
#include "tools/rarwriter/rar_writer.h"

namespace author {
namespace {

std::string U(std::string_view s) { return cp1251::Utf8FromCp1251(s); }

// A file of the distribution: made here, or copied from `source`.
struct OutFile {
  std::string rel;  // UTF-8, "/" between folders, relative to its disk
  std::string bytes;
  std::string source;
  uint64_t Size() const { return source.empty() ? bytes.size() : authorfs::FileSize(source).value_or(0); }
};

struct Archive {
  std::vector<OutFile> files;  // its volumes
  int members = 0;
  uint64_t Size() const {
    uint64_t n = 0;
    for (const OutFile& f : files) n += f.Size();
    return n;
  }
};

// The path setup.ini gives as it lies below a disk folder.
std::string RelativeName(std::string_view cp1251Name) {
  std::string rel = U(cp1251Name);
  for (char& c : rel)
    if (c == '\\') c = '/';
  return rel;
}

bool ClimbsOut(const std::string& rel) {
  size_t start = 0;
  while (start <= rel.size()) {
    size_t end = rel.find('/', start);
    if (end == std::string::npos) end = rel.size();
    if (rel.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
}

std::string FolderOf(const std::string& rel) {
  size_t slash = rel.find_last_of('/');
  return slash == std::string::npos ? std::string() : rel.substr(0, slash + 1);
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

class Packer {
 public:
  Packer(const PackOptions& o, std::ostream& out) : o_(o), out_(out) {}
  int Run();

 private:
  bool Fail(const std::string& text) {
    out_ << "sowell-pack: " << text << "\n";
    return false;
  }
  bool Prepare();
  bool Programs();
  const Archive* Build(const std::string& name);
  bool Packages();
  bool Extras();
  bool Layout();
  bool Write();

  const PackOptions& o_;
  std::ostream& out_;
  std::string template_;
  std::unique_ptr<TIniFile32> ini_;
  std::unique_ptr<TemplateEditor> editor_;
  std::vector<TPackageItem> packages_;
  std::map<std::string, Archive> archives_;  // by the upper-case name
  // Per package: its archives (upper-case names) and registry files.
  std::vector<std::set<std::string>> archivesOf_;
  std::vector<std::map<std::string, OutFile>> regFilesOf_;
  std::vector<OutFile> firstDisk_;  // the programs, the picture, autorun.inf, programs run from the medium
  std::vector<std::string> disks_;
  std::vector<int> diskOf_;  // per package
};

int Packer::Run() {
  if (!Prepare() || !Programs() || !Packages() || !Extras() || !Layout() || !Write()) return 1;
  const CheckReport report = CheckDistribution(disks_);
  out_ << ReportText(report);
  return report.findings.Errors() > 0 ? 1 : 0;
}

bool Packer::Prepare() {
  if (!authorfs::IsDir(o_.project)) return Fail("the project folder " + o_.project + " does not exist");
  std::optional<std::string> path = FindOnDisk(o_.project, "setup.ini");
  if (!path) return Fail("the project " + o_.project + " has no setup.ini");
  std::optional<std::string> bytes = authorfs::ReadBytes(*path);
  if (!bytes) return Fail("cannot read " + *path);
  template_ = *bytes;
  if (authorfs::IsFile(o_.out) || (authorfs::IsDir(o_.out) && !authorfs::List(o_.out).empty())) {
    return Fail(o_.out + " is not an empty folder: sowell-pack writes only into a new or empty one");
  }
  ini_ = std::make_unique<TIniFile32>(authorfs::NarrowPath(*path));
  editor_ = std::make_unique<TemplateEditor>(template_);
  packages_ = LoadPackageList(*ini_);
  return true;
}

bool Packer::Programs() {
  struct Wanted {
    const std::string& given;
    const char* name;
  };
  for (const Wanted& w : {Wanted{o_.sowell, "Sowell.exe"}, Wanted{o_.unrar, "UnRAR.dll"}}) {
    std::string source = w.given;
    if (source.empty()) {
      // The project's own copy, else the one beside this tool (build/win32/bin holds both).
      std::optional<std::string> found = FindOnDisk(o_.project, w.name);
      if (!found) found = FindOnDisk(authorfs::ProgramFolder(), w.name);
      if (!found) {
        return Fail(std::string("no ") + w.name + " in the project or beside sowell-pack: name it with --" +
                    (std::string(w.name) == "Sowell.exe" ? "sowell" : "unrar"));
      }
      source = *found;
    } else if (!authorfs::IsFile(source)) {
      return Fail(source + " does not exist");
    }
    firstDisk_.push_back({w.name, {}, source});
  }
  return true;
}

const Archive* Packer::Build(const std::string& name) {
  const std::string key = ansi::UpperCase(name);
  if (auto it = archives_.find(key); it != archives_.end()) return &it->second;
  const std::string rel = RelativeName(name);
  if (IsAbsoluteName(name) || ClimbsOut(rel)) {
    Fail("the archive name \"" + rel + "\" does not stay in the distribution's folder");
    return nullptr;
  }
  std::string stem = name;
  if (stem.size() > 4 && ansi::UpperCase(stem.substr(stem.size() - 4)) == ".RAR") stem.resize(stem.size() - 4);
  Archive archive;
  if (std::optional<std::string> folder = FindOnDisk(o_.project, "packages\\" + stem, true)) {
    std::optional<std::vector<rarwriter::Entry>> entries = FolderEntries(*folder);
    if (!entries) {
      Fail("cannot read every file of " + *folder);
      return nullptr;
    }
    rarwriter::Options options;
    options.format = o_.format;
    std::vector<rarwriter::Volume> volumes = rarwriter::Write(BaseName(rel), *entries, options);
    archive.files.push_back({rel, std::move(volumes.front().bytes), {}});
    archive.members = static_cast<int>(entries->size());
  } else if (std::optional<std::string> ready = FindOnDisk(o_.project, name)) {
    // An archive the author made: copied as it is, with its volumes.
    DiskVolumeOpener opener;
    const ArchiveScan scan = ScanArchive(opener, *ready);
    if (!scan.Complete()) {
      Fail("the archive " + *ready + " cannot be read to its end: " +
           ResultText(scan.openCode ? scan.openCode : scan.endCode));
      return nullptr;
    }
    for (const std::string& volume : scan.volumes) archive.files.push_back({FolderOf(rel) + BaseName(volume), {}, volume});
    archive.members = static_cast<int>(scan.members.size());
  } else {
    Fail("nothing to make " + rel + " of: the project has no folder packages/" + RelativeName(stem) +
         " and no archive of that name");
    return nullptr;
  }
  return &archives_.emplace(key, std::move(archive)).first->second;
}

bool Packer::Packages() {
  for (size_t i = 0; i < packages_.size(); ++i) {
    const int package = static_cast<int>(i);
    archivesOf_.emplace_back();
    regFilesOf_.emplace_back();
    std::vector<std::string> sections = {ChoosePackageSection(*ini_, package, false)};
    const std::string russian = ChoosePackageSection(*ini_, package, true);
    if (russian != sections.front()) sections.push_back(russian);
    for (const std::string& section : sections) {
      int members = 0;
      for (const std::string& name : ReadNumberedKeys(*ini_, section, "Pak")) {
        const Archive* a = Build(name);
        if (!a) return false;
        members += a->members;
        archivesOf_.back().insert(ansi::UpperCase(name));
      }
      if (!editor_->Set(section, "FilesCount", std::to_string(members))) {
        return Fail("setup.ini has no section [" + section + "] for package " + std::to_string(i));
      }
      for (const std::string& name : ReadNumberedKeys(*ini_, section, "RegFile")) {
        std::optional<std::string> source = IsAbsoluteName(name) ? std::nullopt : FindOnDisk(o_.project, name);
        if (!source) return Fail("the registry file " + RelativeName(name) + " is not in the project");
        regFilesOf_.back()[ansi::UpperCase(name)] = {RelativeName(name), {}, *source};
      }
    }
  }
  return true;
}

bool Packer::Extras() {
  const std::string picture = ini_->ReadString("Install", "InstallPicture", "");
  if (!picture.empty()) {
    std::optional<std::string> source = IsAbsoluteName(picture) ? std::nullopt : FindOnDisk(o_.project, picture);
    if (!source) return Fail("the picture " + RelativeName(picture) + " is not in the project");
    firstDisk_.push_back({RelativeName(picture), {}, *source});
  }
  const bool multi = o_.diskSize > 0 || ini_->ReadBool("Install", "MultiVolume", false);
  if (std::optional<std::string> autorun = FindOnDisk(o_.project, "autorun.inf")) {
    firstDisk_.push_back({"autorun.inf", {}, *autorun});
  } else if (multi) {
    // The setup program knows disk 1 by it.
    firstDisk_.push_back({"autorun.inf",
                          "[autorun]\r\nopen=Sowell.exe\r\nicon=Sowell.exe,0\r\nlabel=" +
                              ini_->ReadString("Install", "ProgramName", "") + "\r\n",
                          {}});
  }
  // Programs [RunApp] starts from the medium, when the project has them.
  for (const std::string& app : ReadNumberedKeys(*ini_, "RunApp", "App")) {
    const Place p = PlaceOfExpanded(ProgramOf(ExpandWithStandIns(app)));
    if (p.kind != Place::Medium || p.rel.empty()) continue;
    if (std::optional<std::string> source = FindOnDisk(o_.project, p.rel)) {
      firstDisk_.push_back({RelativeName(p.rel), {}, *source});
    }
  }
  return true;
}

bool Packer::Layout() {
  const bool multi = o_.diskSize > 0 || ini_->ReadBool("Install", "MultiVolume", false);
  if (!multi) {
    disks_ = {o_.out};
    diskOf_.assign(packages_.size(), 0);
    return true;
  }
  std::vector<PlannedPackage> planned;
  for (size_t i = 0; i < packages_.size(); ++i) {
    PlannedPackage p;
    for (bool russian : {false, true}) {
      if (p.volume.empty()) p.volume = ini_->ReadString(ChoosePackageSection(*ini_, static_cast<int>(i), russian), "Volume", "");
    }
    for (const std::string& key : archivesOf_[i]) p.bytes += archives_.at(key).Size();
    for (const auto& [key, file] : regFilesOf_[i]) p.bytes += file.Size();
    planned.push_back(std::move(p));
  }
  uint64_t first = 0;
  for (const OutFile& f : firstDisk_) first += f.Size();
  // setup.ini grows by the Volume and FilesCount lines the editor adds.
  const uint64_t every = template_.size() + 64 * (packages_.size() + 1);
  const DiskPlan plan = PlanDisks(planned, first, every, o_.diskSize);
  if (!plan.error.empty()) return Fail(plan.error);
  diskOf_ = plan.diskOf;
  for (size_t i = 0; i < packages_.size(); ++i) {
    const std::string& volume = plan.volumes[static_cast<size_t>(diskOf_[i])];
    for (bool russian : {false, true}) {
      const std::string section = ChoosePackageSection(*ini_, static_cast<int>(i), russian);
      if (ini_->ReadString(section, "Volume", "") != volume) editor_->Set(section, "Volume", volume);
    }
  }
  if (!ini_->ReadBool("Install", "MultiVolume", false)) editor_->Set("Install", "MultiVolume", "1");
  for (size_t disk = 0; disk < plan.volumes.size(); ++disk) {
    disks_.push_back(authorfs::Join(o_.out, "disk" + std::to_string(disk + 1)));
  }
  return true;
}

bool Packer::Write() {
  std::vector<std::vector<const OutFile*>> files(disks_.size());
  const OutFile setupIni{"setup.ini", editor_->Bytes(), {}};
  for (auto& disk : files) disk.push_back(&setupIni);
  for (const OutFile& f : firstDisk_) files[0].push_back(&f);
  for (size_t i = 0; i < packages_.size(); ++i) {
    auto& disk = files[static_cast<size_t>(diskOf_[i])];
    for (const std::string& key : archivesOf_[i]) {
      for (const OutFile& f : archives_.at(key).files) disk.push_back(&f);
    }
    for (const auto& [key, f] : regFilesOf_[i]) disk.push_back(&f);
  }
  for (size_t d = 0; d < disks_.size(); ++d) {
    std::set<std::string> written;
    uint64_t bytes = 0;
    for (const OutFile* f : files[d]) {
      if (!written.insert(ansi::UpperCase(cp1251::Cp1251FromUtf8(f->rel))).second) continue;
      const std::string target = authorfs::Join(disks_[d], f->rel);
      const std::string folder = FolderOf(f->rel);
      if (!authorfs::MakeDirs(folder.empty() ? disks_[d] : authorfs::Join(disks_[d], folder.substr(0, folder.size() - 1)))) {
        return Fail("cannot create the folder for " + target);
      }
      const bool ok = f->source.empty() ? authorfs::WriteBytes(target, f->bytes) : authorfs::CopyBytes(f->source, target);
      if (!ok) return Fail("cannot write " + target);
      bytes += f->Size();
    }
    if (o_.diskSize > 0 && bytes > o_.diskSize) {
      return Fail(disks_[d] + " holds " + std::to_string(bytes) + " bytes, more than a disk of " + std::to_string(o_.diskSize));
    }
    out_ << "sowell-pack: " << disks_[d] << ": " << written.size() << " files, " << bytes << " bytes\n";
  }
  return true;
}

}  // namespace

int Pack(const PackOptions& options, std::ostream& out) { return Packer(options, out).Run(); }

bool ParseSize(const std::string& text, uint64_t& bytes) {
  if (text.empty()) return false;
  uint64_t unit = 1;
  std::string digits = text;
  switch (text.back()) {
    case 'K': case 'k': unit = 1024; break;
    case 'M': case 'm': unit = 1024 * 1024; break;
    case 'G': case 'g': unit = 1024ull * 1024 * 1024; break;
    default: break;
  }
  if (unit != 1) digits.pop_back();
  if (digits.empty() || digits.size() > 15) return false;
  uint64_t n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + static_cast<uint64_t>(c - '0');
  }
  if (n > UINT64_MAX / unit) return false;
  bytes = n * unit;
  return bytes > 0;
}

int RunPackCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  static const char kUsage[] = "usage: sowell-pack [--disk-size SIZE] [--rar5] [--sowell FILE] [--unrar FILE] PROJECT OUT\n";
  PackOptions o;
  std::vector<std::string> folders;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--disk-size" && hasValue) {
      if (!ParseSize(args[++i], o.diskSize)) {
        err << "sowell-pack: --disk-size takes bytes, or a number with K, M or G\n";
        return 2;
      }
    } else if (a == "--rar5") {
      o.format = 5;
    } else if (a == "--sowell" && hasValue) {
      o.sowell = args[++i];
    } else if (a == "--unrar" && hasValue) {
      o.unrar = args[++i];
    } else if (a == "--help" || a == "-h") {
      out << kUsage;
      return 0;
    } else if (a.rfind("--", 0) == 0) {
      err << kUsage;
      return 2;
    } else {
      folders.push_back(a);
    }
  }
  if (folders.size() != 2) {
    err << kUsage;
    return 2;
  }
  o.project = folders[0];
  o.out = folders[1];
  return Pack(o, out);
}

}  // namespace author
