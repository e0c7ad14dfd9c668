// What the installation run reads from setup.ini and the wizard, worked out
// without touching the system: the install folder, the packages' sections and
// file counts, the disk prompts, the programs to start and the files to delete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "setup/run/inifiles32.h"

// The install folder typed in the wizard, always ending with one backslash;
// empty when the text is blank (the run must not guess a folder).
std::string InstallDirFrom(const std::string& editText);

// Sum of FilesCount over the checked packages, each read from the section its
// language chooses.
int32_t CountTotalFiles(const TIniFile32& ini, const std::vector<bool>& checked, bool russian);

// The prompts of a distribution on several disks.
std::string InsertDiskPrompt(const std::string& volumeName, bool supportUninstall);
std::string FirstDiskPrompt();
inline const char* const kAttentionCaption = "Внимание!";

// What the user is told when an archive of a package could not be read to its
// end (`code` is the library's result, or 50 when the library is missing): the
// package is installed only in part.
std::string ArchiveCutShortText(const std::string& archive, const std::string& package, int code);

// The file whose presence in the root of the source drive marks the first disk.
std::string FirstDiskMarker(const std::string& sourcePath);

struct TRunAppEntry {
  std::string App;  // command line, macros expanded
  std::string Dir;  // folder to start in; the install folder when none is given
  bool Wait = true;
};
// [RunApp] App0, App1, ... up to the first empty one.
std::vector<TRunAppEntry> ReadRunApps(const TIniFile32& ini, const std::string& installDir,
                                      const std::string& sourcePath);
// [DelFiles] File0, File1, ... up to the first empty one, macros expanded.
std::vector<std::string> ReadDelFiles(const TIniFile32& ini, const std::string& installDir,
                                      const std::string& sourcePath);
