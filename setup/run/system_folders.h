// The current user's desktop and Start menu programs folders.
#pragma once

#include <string>

struct SystemFolders {
  std::string DesktopDir;
  std::string ProgramsDir;
};

// Read from the user's Shell Folders key; a value that is missing or empty
// there is asked of the shell, and only when that fails too does the
// Russian default folder stand in.
SystemFolders ReadSystemFolders();

extern const char* const kDefaultDesktopDir;
extern const char* const kDefaultProgramsDir;
