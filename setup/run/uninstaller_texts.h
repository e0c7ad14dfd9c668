// The uninstaller's texts in Russian, as the setup program writes them into
// the log's Strings section; they replace the uninstaller's English defaults.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "common/text_numbers.h"

// Texts 1 to 23 (index 0 is text 1), with the product name spliced into 1, 4 and 5.
std::array<std::string, IDS_COUNT> UninstallerTexts(std::string_view programName);

// Where the uninstaller and its shortcut go, and the key that registers it.
std::string UninstallerPath(std::string_view installDir);
std::string UninstallShortcutPath(std::string_view programsDir, std::string_view programName);
std::string UninstallKeyPath(std::string_view programName);      // under HKEY_LOCAL_MACHINE
std::string UninstallKeyLogPath(std::string_view programName);   // as the log names it
// The command the system's list of installed programs runs. Quoted, so that
// a folder with blanks cannot start another program (C:\Program.exe).
std::string UninstallCommand(std::string_view uninstallerPath);
