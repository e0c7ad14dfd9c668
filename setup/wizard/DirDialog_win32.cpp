#include "setup/wizard/DirDialog.h"

#include <shlobj.h>

#include "common/win32_handles.h"

bool TDirDialog::Execute() {
  // The shell's browser needs COM on this thread; a thread that has it already keeps it.
  win32::ComScope com;
  char displayName[MAX_PATH] = {};
  BROWSEINFOA info = {};
  info.hwndOwner = owner_;
  info.pidlRoot = nullptr;
  info.pszDisplayName = displayName;
  info.lpszTitle = Title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;

  LPITEMIDLIST item = SHBrowseForFolderA(&info);
  if (!item) return false;
  char path[MAX_PATH + 1] = {};
  const bool ok = SHGetPathFromIDListA(item, path) != FALSE;
  CoTaskMemFree(item);
  // A pick without a file-system path (none can be confirmed, but be sure)
  // must not become an empty install folder.
  if (!ok || path[0] == '\0') return false;
  DirName = path;
  return true;
}
