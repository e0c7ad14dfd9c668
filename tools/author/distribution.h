// A distribution as the setup program meets it: its disks, its setup.ini,
// each package section the run reads in either language, and each archive
// read once through the library's core. The checks share this model.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "setup/run/inifiles32.h"
#include "setup/run/setup_description.h"
#include "tools/author/archive_scan.h"
#include "tools/author/ini_index.h"

namespace author {

// A file setup.ini names, and the line that names it.
struct NamedFile {
  std::string name;  // code page 1251, as written
  int line = 0;
};

struct PackageSection {
  std::string name;  // "Package0" or "Package0.RUS"
  int package = 0;
  bool russian = false;
  bool exists = false;
  std::vector<NamedFile> archives;  // Pak0, Pak1, ...
  std::vector<NamedFile> regFiles;  // RegFile0, RegFile1, ...
  std::string volume;
  int volumeLine = 0;
  int32_t filesCount = 0;
  int filesCountLine = 0;
  int disk = -1;  // the disk its first archive lies on; -1 when none is found
};

struct ArchiveFile {
  std::string name;  // as the first section that names it writes it
  NamedFile firstRef;
  std::vector<int> disks;  // the disks holding a file of that name
  std::string path;        // the local path read (on the first of those disks)
  ArchiveScan scan;
  bool Found() const { return !disks.empty(); }
};

// The sections the run reads in one language, one per package of [Packages].
struct Language {
  bool russian = false;
  std::vector<std::string> sections;
};

struct Distribution {
  std::vector<std::string> disks;  // folders, disk 1 first
  std::string iniFile;             // the path of disk 1's setup.ini
  std::unique_ptr<TIniFile32> ini;
  std::unique_ptr<IniIndex> index;
  TInst inst;
  std::vector<TPackageItem> packages;
  std::vector<Language> languages;
  std::map<std::string, PackageSection> sections;
  std::map<std::string, ArchiveFile> archives;  // by the upper-case name

  const PackageSection& Section(const std::string& name) const { return sections.at(name); }
  const ArchiveFile* Archive(const std::string& name) const;
};

}  // namespace author
