// Folder helpers of the uninstaller: the part both platforms share.
#pragma once

#include <functional>
#include <string>

namespace folders {

// The path exists and is a folder.
bool FolderExists(const std::string& path);
// Creates the folder and every missing folder above it; failures are silent.
void ForceFolders(const std::string& path);
// The folder of `path` without the trailing separator ("" when there is none).
std::string ParentOf(const std::string& path);

// The Windows folder as the system reports it (without trailing backslash),
// or what a test put into g_windowsFolderOverride.
std::string WindowsFolder();
extern std::string g_windowsFolderOverride;

// One folder, its parent existing; false on failure. Per platform.
bool CreateOneFolder(const std::string& path);
std::string SystemWindowsFolder();

// Per platform: whether an existing file may be opened for writing (not
// read-only, not locked against writers), and its contents replaced through
// such an open, for files that others hold open and so cannot be renamed over.
bool CanOpenForWriting(const std::string& path);
bool RewriteInPlace(const std::string& path, const std::string& bytes);

}  // namespace folders
