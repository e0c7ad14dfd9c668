#include "uninstall/support/path_identity.h"

#include <windows.h>
#include <shlobj.h>

#include "common/ansi.h"
#include "common/file_io.h"
#include "common/wide_text.h"
#include "common/win32_handles.h"
#include "uninstall/support/folders.h"

namespace pathid {
namespace {

bool IsWindowsNT() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return !GetVersionExA(&info) || info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool IsFolder(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

struct FoundEntry {
  DWORD attributes = 0;
  std::string name;  // the long name where the code page spells it exactly, else the short one
};

// The entry of `folder` that `name` names by its long or its short name.
std::optional<FoundEntry> Entry(const std::string& folder, const std::string& name) {
  if (name.empty() || pathspell::HasWildcard(name)) return std::nullopt;
  WIN32_FIND_DATAW wide{};
  if (win32::UniqueFind(FindFirstFileW(widetext::FromAnsi(pathspell::Join(folder, name)).c_str(), &wide))) {
    // A stand-in or look-alike letter would name another file, or none.
    std::optional<std::string> longName = widetext::ExactAnsi(wide.cFileName);
    std::optional<std::string> shortName =
        wide.cAlternateFileName[0] ? widetext::ExactAnsi(wide.cAlternateFileName) : std::nullopt;
    bool byName = longName && ansi::SameText(name, *longName);
    bool byShortName = shortName && ansi::SameText(name, *shortName);
    if ((!byName && !byShortName) || (!longName && !shortName)) return std::nullopt;
    return FoundEntry{wide.dwFileAttributes, longName ? *longName : *shortName};
  }
  if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return std::nullopt;
  // The Windows 95 family has no wide search; its names are ANSI throughout.
  WIN32_FIND_DATAA data{};
  win32::UniqueFind find(FindFirstFileA(pathspell::Join(folder, name).c_str(), &data));
  if (!find) return std::nullopt;
  bool byName = ansi::SameText(name, data.cFileName);
  bool byShortName = data.cAlternateFileName[0] != '\0' && ansi::SameText(name, data.cAlternateFileName);
  if (!byName && !byShortName) return std::nullopt;
  return FoundEntry{data.dwFileAttributes, data.cFileName};
}

std::string RegistryText(HKEY root, const char* subKey, const char* name) {
  win32::UniqueKey key;
  if (RegOpenKeyExA(root, subKey, 0, KEY_READ, key.out()) != ERROR_SUCCESS) return {};
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) {
    return {};
  }
  std::string value(size, '\0');
  if (RegQueryValueExA(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  value.resize(strnlen(value.c_str(), value.size()));
  return value;
}

std::string Expanded(const std::string& text) {
  if (text.find('%') == std::string::npos) return text;
  char buf[MAX_PATH * 2];
  DWORD n = ExpandEnvironmentStringsA(text.c_str(), buf, sizeof buf);
  return n == 0 || n > sizeof buf ? std::string() : std::string(buf);
}

std::string Environment(const char* name) {
  char buf[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return n == 0 || n >= sizeof buf ? std::string() : std::string(buf, n);
}

std::string ShellFolder(int csidl) {
  char path[MAX_PATH] = {};
  return SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE) ? std::string(path) : std::string();
}

struct Gatherer {
  ProtectedFolders folders;
  Resolver resolver;

  void Add(const std::string& path, Guard guard) {
    if (path.empty()) return;
    std::optional<std::string> full = FullPathOf(path);
    if (!full) return;
    // A folder that does not exist yet is still kept by its name.
    std::optional<std::string> found = resolver.LongFolder(*full);
    std::string name = found ? *found : pathspell::FoldersUpToRoot(*full).front();
    folders.Add(Place{name, found ? IdentityOf(*found) : std::nullopt}, guard);
  }

  void AddParentOf(const std::string& path) {
    std::optional<std::string> full = path.empty() ? std::nullopt : FullPathOf(path);
    if (!full) return;
    std::vector<std::string> chain = pathspell::FoldersUpToRoot(*full);
    if (chain.size() > 1) Add(chain[1], Guard::Itself);
  }

  // Every value of a shell folders key; the Start menus, program groups and
  // desktops hold program groups.
  void AddShellFolders(HKEY root, const char* subKey) {
    win32::UniqueKey key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_READ, key.out()) != ERROR_SUCCESS) return;
    for (DWORD index = 0;; ++index) {
      char name[256];
      DWORD nameSize = sizeof name;
      if (RegEnumValueA(key.get(), index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        break;
      }
      bool groups = false;
      for (const char* holder : {"Desktop", "Programs", "Start Menu", "Common Desktop", "Common Programs",
                                 "Common Start Menu"}) {
        groups = groups || ansi::SameText(name, holder);
      }
      Add(Expanded(RegistryText(root, subKey, name)), groups ? Guard::HoldsProgramGroups : Guard::Itself);
    }
  }
};

}  // namespace

std::optional<Identity> IdentityOf(const std::string& path) {
  win32::QuietErrorMode quiet;
  // No access asked for, so that a file in use by anyone can be looked at.
  win32::UniqueFile file(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
  return Identity{info.dwVolumeSerialNumber, (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::optional<std::string> FullPathOf(const std::string& path) {
  std::optional<std::string> resolved = fileio::FullPathName(path);
  if (!resolved) return std::nullopt;
  const std::string& full = *resolved;
  if (pathspell::RootLength(full) == 0 || full.rfind("\\\\?\\", 0) == 0 || full.rfind("\\\\.\\", 0) == 0) {
    return std::nullopt;
  }
  return full;
}

std::optional<std::string> LongPathOf(const std::string& fullPath) {
  size_t root = pathspell::RootLength(fullPath);
  if (root == 0) return std::nullopt;
  win32::QuietErrorMode quiet;
  std::string out = fullPath.substr(0, root);
  if (out.back() != '\\') out += '\\';
  if (out[1] == ':') out[0] = ansi::UpperChar(out[0]);
  size_t start = root;
  while (start < fullPath.size()) {
    size_t end = fullPath.find('\\', start);
    if (end == std::string::npos) end = fullPath.size();
    std::string component = fullPath.substr(start, end - start);
    start = end + 1;
    if (component.empty()) continue;
    std::optional<FoundEntry> entry = Entry(out, component);
    if (!entry) return std::nullopt;
    out += entry->name;
    out += '\\';
  }
  if (out.size() > root && !pathspell::IsRoot(out)) out.pop_back();
  return out;
}

std::optional<std::string> Resolver::LongFolder(const std::string& fullFolder) {
  std::string key = ansi::UpperCase(fullFolder);
  auto known = folders_.find(key);
  if (known != folders_.end()) return known->second;
  std::optional<std::string> found = LongPathOf(fullFolder);
  if (found && !IsFolder(*found)) found.reset();
  folders_.emplace(std::move(key), found);
  return found;
}

std::optional<FileTarget> Resolver::File(const std::string& path) {
  std::optional<std::string> plain = pathspell::PlainSpelling(path);
  if (!plain) return std::nullopt;
  pathspell::FolderAndName written = pathspell::SplitLast(*plain);
  if (written.name.empty()) return std::nullopt;
  FileTarget target;
  target.mask = pathspell::HasWildcard(written.name);
  std::optional<std::string> full;
  if (target.mask) {
    // The folder is read as the system reads it before a file name: its
    // trailing blanks stay. The mask is left alone, since the search reads a
    // trailing dot in it as part of the pattern.
    full = FullPathOf(pathspell::Join(written.folder, ""));
    target.name = written.name;
  } else {
    full = FullPathOf(*plain);
    if (full) {
      pathspell::FolderAndName read = pathspell::SplitLast(*full);
      full = read.folder;
      target.name = read.name;
    }
  }
  if (!full || target.name.empty()) return std::nullopt;
  std::optional<std::string> folder = LongFolder(*full);
  if (!folder) return std::nullopt;
  target.folder = *folder;
  return target;
}

std::optional<std::string> Resolver::ExistingFile(const std::string& path) {
  std::optional<FileTarget> target = File(path);
  if (!target || target->mask) return std::nullopt;
  std::optional<FoundEntry> entry = Entry(target->folder, target->name);
  if (!entry || (entry->attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  return pathspell::Join(target->folder, entry->name);
}

std::optional<std::vector<Place>> Resolver::FolderChain(const std::string& path) {
  std::optional<std::string> plain = pathspell::PlainSpelling(path);
  if (!plain || pathspell::HasWildcard(*plain)) return std::nullopt;
  std::optional<std::string> full = FullPathOf(*plain);
  std::optional<std::string> folder = full ? LongFolder(*full) : std::nullopt;
  if (!folder) return std::nullopt;
  std::vector<Place> chain;
  for (const std::string& p : pathspell::FoldersUpToRoot(*folder)) chain.push_back(Place{p, IdentityOf(p)});
  if (chain.empty() || (!chain.front().id && IsWindowsNT())) return std::nullopt;
  return chain;
}

ProtectedFolders ProtectedFoldersOfThisSystem() {
  Gatherer g;
  char buf[MAX_PATH + 1] = {};
  g.Add(folders::WindowsFolder(), Guard::AndEverythingBelow);
  if (GetSystemDirectoryA(buf, MAX_PATH)) g.Add(buf, Guard::AndEverythingBelow);
  for (int csidl : {CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_SYSTEMX86, CSIDL_FONTS}) {
    g.Add(ShellFolder(csidl), Guard::AndEverythingBelow);
  }
  for (const char* name : {"SystemRoot", "windir"}) g.Add(Environment(name), Guard::AndEverythingBelow);

  for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_PROGRAMS, CSIDL_STARTMENU, CSIDL_COMMON_DESKTOPDIRECTORY,
                    CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_STARTMENU}) {
    g.Add(ShellFolder(csidl), Guard::HoldsProgramGroups);
  }
  for (int csidl :
       {CSIDL_PROFILE, CSIDL_PERSONAL, CSIDL_STARTUP, CSIDL_ALTSTARTUP, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA,
        CSIDL_COMMON_STARTUP, CSIDL_COMMON_ALTSTARTUP, CSIDL_COMMON_DOCUMENTS, CSIDL_COMMON_APPDATA,
        CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMONX86,
        CSIDL_TEMPLATES, CSIDL_COMMON_TEMPLATES, CSIDL_FAVORITES, CSIDL_COMMON_FAVORITES, CSIDL_SENDTO, CSIDL_RECENT,
        CSIDL_MYMUSIC, CSIDL_MYPICTURES, CSIDL_MYVIDEO, CSIDL_COMMON_MUSIC, CSIDL_COMMON_PICTURES,
        CSIDL_COMMON_VIDEO, CSIDL_ADMINTOOLS, CSIDL_COMMON_ADMINTOOLS, CSIDL_NETHOOD, CSIDL_PRINTHOOD,
        CSIDL_INTERNET_CACHE, CSIDL_COOKIES, CSIDL_HISTORY}) {
    g.Add(ShellFolder(csidl), Guard::Itself);
  }
  // The keys the setup program reads its desktop and program group folders from.
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    g.AddShellFolders(root, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
    g.AddShellFolders(root, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders");
  }

  const char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";
  for (const char* name : {"ProgramFilesDir", "CommonFilesDir", "ProgramFilesDir (x86)", "CommonFilesDir (x86)",
                           "ProgramW6432Dir", "CommonW6432Dir"}) {
    g.Add(Expanded(RegistryText(HKEY_LOCAL_MACHINE, kCurrentVersion, name)), Guard::Itself);
  }
  const char kProfileList[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
  for (const char* name : {"ProfilesDirectory", "Default", "Public", "ProgramData"}) {
    g.Add(Expanded(RegistryText(HKEY_LOCAL_MACHINE, kProfileList, name)), Guard::Itself);
  }
  for (const char* name : {"USERPROFILE", "ALLUSERSPROFILE", "PUBLIC", "ProgramData", "APPDATA", "LOCALAPPDATA",
                           "ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "CommonProgramFiles",
                           "CommonProgramFiles(x86)", "CommonProgramW6432", "TEMP", "TMP"}) {
    g.Add(Environment(name), Guard::Itself);
  }
  g.Add(Environment("HOMEDRIVE") + Environment("HOMEPATH"), Guard::Itself);
  for (const std::string& profile : {ShellFolder(CSIDL_PROFILE), Environment("USERPROFILE"),
                                     Environment("ALLUSERSPROFILE"), Environment("PUBLIC")}) {
    g.AddParentOf(profile);
  }
  if (GetTempPathA(MAX_PATH, buf)) g.Add(buf, Guard::Itself);

  // Roots by identity too, for a folder that is another name of one.
  DWORD drives = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(drives & (1u << i))) continue;
    std::string root = std::string(1, static_cast<char>('A' + i)) + ":\\";
    UINT type = GetDriveTypeA(root.c_str());
    if (type == DRIVE_FIXED || type == DRIVE_RAMDISK) g.Add(root, Guard::Itself);
  }
  return std::move(g.folders);
}

std::string FontsFolder() {
  std::string fonts = ShellFolder(CSIDL_FONTS);
  return fonts.empty() ? folders::WindowsFolder() + "\\Fonts" : fonts;
}

}  // namespace pathid
