// Makes an installation removable: the embedded uninstaller written into the
// install folder, its shortcut, its entry in the list of installed programs,
// and the texts and title font it will read from the log.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "setup/run/inifiles32.h"
#include "setup/run/setup_description.h"

// Copies the program's own RCDATA resource into a file, replacing it.
// Throws std::runtime_error when the resource is missing or the file cannot be written.
void SaveResourceToFile(const char* resourceName, const std::string& fileName);

struct TDeployment {
  // The program group folder and any folder above it that this step had to
  // create, outermost first; the run logs them under CreateDirs once the
  // install folder is there.
  std::vector<std::string> CreatedFolders;
  // The uninstall entry exists: the values known later go into it.
  bool EntryCreated = false;
};

// Writes Reapwell.exe, its shortcut and the uninstall registration, logging
// each. The first failure ends the whole block silently.
TDeployment DeployUninstaller(const TInst& inst, const std::string& installDir, TIniFile32& log);

// The values of the uninstall entry known once the packages are in
// (DisplayIcon, EstimatedSize). The key is on record already. Never throws.
void CompleteUninstallEntry(const TInst& inst, const std::string& installDir, const std::string& shortcutTarget,
                            uint64_t extractedBytes);

// [Display] Charset and [Strings] 1 to 23. Log write failures propagate.
void WriteUninstallerTexts(const TInst& inst, TIniFile32& log);
