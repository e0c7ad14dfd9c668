// File helpers of the removal steps, deletion of files in use at the next
// start of Windows, and the uninstaller's removal of itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "common/win32_handles.h"
#include <vector>

// Clears read-only, hidden and system, then deletes; false for folders and
// for an empty path.
bool DeleteFileForce(const std::string& path);
void DeleteFileLater(const std::string& path);
// Schedules the deletion (empty `newName`) or the move of `path` for the next
// start of Windows. Nothing when `path` does not exist. Throws EInOutError
// when wininit.ini cannot be written.
void MoveFileLater(const std::string& path, const std::string& newName);
// Writes and starts, hidden, the batch file that deletes the running program
// once it has exited, then (with `removeFolder`) its folder when empty, and
// after it each of `foldersAbove` (folders that contain the program's folder,
// deepest first) when empty by then. False when nothing was started. Throws
// EInOutError when the batch cannot be written.
bool ScheduleSelfDeletion(bool removeFolder, const std::vector<std::string>& foldersAbove = {});

std::string UniqueFileName(const std::string& folder, const std::string& prefix, const std::string& suffix,
                           bool shortName);
std::string ShortPathOf(const std::string& path);
std::string WindowsFolder();

// A search for the files that match a path with wildcards. The search handle
// is closed by FindMatchClose, and at the latest when the record goes.
struct TFindMatch {
  uint32_t Time = 0;  // DOS time and date, local
  uint32_t Size = 0;
  uint32_t Attr = 0;
  std::string Folder;  // the mask's folder, with its trailing separator
  std::string Name;
  std::string FullPath;
  uint32_t Include = 0;
  uint32_t Exclude = 0;
  win32::UniqueFind FindHandle;
  WIN32_FIND_DATAA FindData{};
};
// 0 when `match` holds the first hit, otherwise the system error code.
DWORD FindMatchFirst(const std::string& mask, uint32_t include, uint32_t exclude, TFindMatch& match);
DWORD FindMatchNext(TFindMatch& match);
void FindMatchClose(TFindMatch& match);

namespace deferred {
// The wininit.ini way of MoveFileLater, for the Windows 95 family (and tests).
void MoveFileLaterWininit(const std::string& path, const std::string& newName);
// The program's text in the OEM code page, or nothing when it does not
// convert back unchanged.
bool ToOemExactly(const std::string& text, std::string& oem);
}  // namespace deferred
