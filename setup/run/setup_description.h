// The setup model TInst and how it is filled from setup.ini.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "setup/run/inifiles32.h"

struct TInst {
  std::string InstallPath;
  std::string InstallFolder;
  std::string ProgramName;
  std::string InstallPicture;
  std::string SourcePath;  // folder of the setup program, ending with a backslash
  bool SupportUninstall = false;
  bool CreateDesktopIcon = false;
  bool MultiVolume = false;
  int32_t TotalFiles = 0;
  int32_t DoneFiles = 0;
  std::string DesktopDir;
  std::string ProgramsDir;
  std::string PageSequence;
  // [Install] Version, Publisher and URL, for the list of installed programs.
  std::string Version;
  std::string Publisher;
  std::string URL;
  // An unattended run (/SILENT, /VERYSILENT): no question is shown, each gets
  // its safe answer, and a package that fails ends the run.
  bool Quiet = false;
  // A switch was given: the exit code tells the caller what happened, so a
  // failure the wizard would leave to the user is reported at once.
  bool ReportsExitCodes = false;
  // /NOGROUP: no uninstall shortcut in the program group either.
  bool NoUninstallShortcut = false;
};

// One entry of the wizard's component list: package i of [Packages].
struct TPackageItem {
  std::string Name;
  bool Required = false;  // [Package<i>] Main: checked and cannot be unchecked
};

// The page digits from the [Dialogs] switches, always ending with "7".
std::string BuildPageSequence(const TIniFile32& ini);

// Reads [Dialogs] and [Install] into the model (PageSequence included).
void LoadInstallSettings(const TIniFile32& ini, TInst& inst);

// [Packages] Package0, Package1, ... up to the first missing or empty one.
std::vector<TPackageItem> LoadPackageList(const TIniFile32& ini);

// The section the run reads package `index` from: "Package<i>.RUS" when
// Russian is chosen and that section has more than two keyed lines,
// "Package<i>" otherwise.
std::string ChoosePackageSection(const TIniFile32& ini, int index, bool russian);

// Values of numbered keys prefix0, prefix1, ... up to the first missing or empty one.
std::vector<std::string> ReadNumberedKeys(const TIniFile32& ini, const std::string& section,
                                          const std::string& prefix);

// The source folder from the program's own full path, with a trailing backslash.
std::string SourceFolderOf(const std::string& programPath);
