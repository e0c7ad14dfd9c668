// TDirDialog: picks a file-system folder with the shell's folder browser.
#pragma once

#include <windows.h>

#include <string>

class TDirDialog {
 public:
  // `owner` is the window the browser is modal to.
  explicit TDirDialog(HWND owner) : owner_(owner) {}

  std::string Title;    // prompt above the folder tree; empty by default
  std::string DirName;  // folder of the last confirmed Execute

  // True when the user confirmed a folder; a cancelled browser leaves DirName as it was.
  bool Execute();

 private:
  HWND owner_;
};
