// The shortcuts of one package: what setup.ini asks for, where the link files
// go and which records the log gets. The link files themselves are made by
// the caller's actions, so this runs without the shell.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "setup/run/inifiles32.h"
#include "setup/run/setup_description.h"

struct TShortcutItem {
  std::string Link;         // Ico_Link<k>, macros expanded
  std::string Name;         // Ico_Name<k>: file name of the link, extension included
  std::string WorkDir;      // Ico_WDir<k>, macros expanded; the install folder when empty
  std::string Arguments;    // Ico_Argu<k>
  std::string Description;  // Ico_Desc<k>
  std::string IconFile;     // Ico_File<k>, macros expanded; empty for the target's own icon
  bool operator==(const TShortcutItem&) const = default;
};

// Ico_Link0, Ico_Link1, ... of the section up to the first one that is empty
// after macro expansion. installDir ends with a backslash.
std::vector<TShortcutItem> ReadPackageShortcuts(const TIniFile32& ini, const std::string& section,
                                                std::string_view installDir, std::string_view sourcePath);

std::string DesktopLinkPath(const TInst& inst, std::string_view name);
std::string ProgramGroupDir(const TInst& inst);
std::string ProgramGroupLinkPath(const TInst& inst, std::string_view name);

struct TShortcutActions {
  // Makes the link file; its status is not looked at, a failure is no exception.
  std::function<void(const TShortcutItem& item, const std::string& linkFile)> CreateShortcut;
  // Creates the folder with all missing parents; a failure is no exception.
  // Returns the folders it created, outermost first.
  std::function<std::vector<std::string>(const std::string& folder)> CreateFolders;
};

// For each item: the desktop link, then the program group folder and link, as
// the two check boxes ask; each of the two is one guarded block that an
// exception (a log that cannot be saved) ends silently. log is nullptr when
// uninstall support is off.
void MakePackageShortcuts(const std::vector<TShortcutItem>& items, const TInst& inst, bool desktop,
                          bool programGroup, TIniFile32* log, const TShortcutActions& actions);
