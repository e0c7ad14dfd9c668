// The running program and the programs it starts (Windows only).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "common/win32_handles.h"

namespace process {

// The full path of the running program's file.
std::string ProgramFilePath();

struct StartInfo {
  int showCommand = SW_SHOWNORMAL;
  DWORD creationFlags = 0;
  std::string folder;  // empty: the caller's current folder
};

// Starts the whole of `commandLine` (no application name, no inherited
// handles) with the window state asked for; nothing when it cannot be started.
std::optional<win32::ProcessHandles> Start(const std::string& commandLine, const StartInfo& info);

}  // namespace process
