// Shortcut files through the shell's link object. COM must be initialised on
// the calling thread.
#pragma once

#include <cstdint>
#include <string>

#include "setup/run/inifiles32.h"
#include "setup/run/setup_description.h"

// Saves a shell link at LinkFile, whose folder must exist. IconFile empty
// means the target's own icon. Returns the COM status of the last call made
// (the save, or the failure that stopped it); callers do not look at it.
int32_t CreateShortcut(const std::string& Target, const std::string& LinkFile, const std::string& WorkDir,
                       const std::string& Arguments, const std::string& Description,
                       const std::string& IconFile);

// The shortcuts of one package section (Ico_Link<k> and its companions) on
// the desktop and in the program group, as the two check boxes ask, each
// logged in install.log when log is not nullptr. installDir ends with a
// backslash. Never throws for a single shortcut.
void CreatePackageShortcuts(const TIniFile32& setupIni, const std::string& section, const TInst& inst,
                            const std::string& installDir, bool desktop, bool programGroup,
                            TIniFile32* log);
