#include "setup/run/system_folders.h"

#include <windows.h>
#include <shlobj.h>

#include "common/win32_handles.h"

const char* const kDefaultDesktopDir = "C:\\WINDOWS\\Рабочий стол";
const char* const kDefaultProgramsDir = "C:\\WINDOWS\\Главное меню\\Программы";

namespace {

std::string ReadStringValue(HKEY key, const char* name) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) {
    return {};
  }
  std::string value(size, '\0');
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  value.resize(strnlen(value.c_str(), size));
  return value;
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  if (SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) return path;
  return {};
}

}  // namespace

SystemFolders ReadSystemFolders() {
  SystemFolders folders;
  win32::UniqueKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                    0, KEY_READ, key.out()) == ERROR_SUCCESS) {
    folders.DesktopDir = ReadStringValue(key.get(), "Desktop");
    folders.ProgramsDir = ReadStringValue(key.get(), "Programs");
  }
  // An empty folder would put shortcuts into the root of the current drive.
  if (folders.DesktopDir.empty()) folders.DesktopDir = ShellFolder(CSIDL_DESKTOPDIRECTORY);
  if (folders.ProgramsDir.empty()) folders.ProgramsDir = ShellFolder(CSIDL_PROGRAMS);
  if (folders.DesktopDir.empty()) folders.DesktopDir = kDefaultDesktopDir;
  if (folders.ProgramsDir.empty()) folders.ProgramsDir = kDefaultProgramsDir;
  return folders;
}
