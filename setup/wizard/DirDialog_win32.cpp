#include "setup/wizard/DirDialog.h"

#include <shlobj.h>

namespace {

// The shell's browser needs COM on this thread; a thread that has it already keeps it.
class TComScope {
 public:
  TComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~TComScope() {
    if (ok_) CoUninitialize();
  }
  TComScope(const TComScope&) = delete;
  TComScope& operator=(const TComScope&) = delete;

 private:
  bool ok_;
};

}  // namespace

bool TDirDialog::Execute() {
  TComScope com;
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
