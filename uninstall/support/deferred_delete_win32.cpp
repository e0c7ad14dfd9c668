#include "uninstall/support/deferred_delete.h"

#include <vector>

#include "common/ansi.h"
#include "common/file_io.h"
#include "common/process.h"
#include "uninstall/support/deferred_text.h"
#include "uninstall/support/folders.h"
#include "uninstall/support/registry.h"
#include "uninstall/support/section_ini.h"
#include "common/win32_handles.h"

namespace {

const char kRunOnceKey[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

bool Exists(const std::string& path) {
  return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}


bool IsWindowsNT() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return !GetVersionExA(&info) || info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

std::string FileNameOf(const std::string& path) {
  size_t cut = path.find_last_of("\\:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The short form of a path that may not exist yet: an empty file is created
// for the moment it takes to ask.
std::string ShortPathOfNewFile(const std::string& path) {
  if (Exists(path)) return ShortPathOf(path);
  win32::UniqueFile f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) return path;
  f.reset();
  std::string s = ShortPathOf(path);
  DeleteFileA(path.c_str());
  return s;
}

// The form of `path` that a batch file in the OEM code page names exactly:
// the path itself, else its short form.
bool BatchFormOf(const std::string& path, std::string& oem) {
  if (deferred::ToOemExactly(path, oem)) return true;
  return deferred::ToOemExactly(ShortPathOf(path), oem);
}

}  // namespace

namespace deferred {

bool ToOemExactly(const std::string& text, std::string& oem) {
  if (text.empty()) {
    oem.clear();
    return true;
  }
  oem.assign(text.size(), '\0');
  CharToOemBuffA(text.c_str(), oem.data(), static_cast<DWORD>(text.size()));
  std::string back(text.size(), '\0');
  OemToCharBuffA(oem.c_str(), back.data(), static_cast<DWORD>(oem.size()));
  return back == text;
}

void MoveFileLaterWininit(const std::string& path, const std::string& newName) {
  std::vector<std::string> entry;
  if (newName.empty()) {
    entry = DeleteEntry(ShortPathOf(path));
  } else {
    std::string shortNew = ShortPathOfNewFile(newName);
    entry = MoveEntry(shortNew, ShortPathOf(path));
    if (!ansi::SameText(shortNew, newName)) {
      RunOnceRename r = RunOnceRenameFor(shortNew, FileNameOf(newName));
      RegPathWriteString(kRunOnceKey, r.valueName, r.command);
    }
  }
  const std::string wininit = folders::WindowsFolder() + "\\wininit.ini";
  // The new text is complete before the old file is touched, and replaces it
  // in one step: a failure leaves the old file as it was.
  try {
    std::optional<std::string> old = fileio::ReadWholeFile(wininit);
    fileio::ReplaceFileContents(wininit, AddRenameEntry(old, entry));
  } catch (const std::exception& e) {
    throw EInOutError(e.what());
  }
}

}  // namespace deferred

bool DeleteFileForce(const std::string& path) {
  if (path.empty()) return false;
  DWORD attr = GetFileAttributesA(path.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY)) return false;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return DeleteFileA(path.c_str()) != FALSE;
}

void DeleteFileLater(const std::string& path) { MoveFileLater(path, std::string()); }

void MoveFileLater(const std::string& path, const std::string& newName) {
  std::string from = fileio::FullPathName(path).value_or(path);
  std::string to = newName.empty() ? newName : fileio::FullPathName(newName).value_or(newName);
  if (!Exists(from)) return;
  if (!IsWindowsNT()) {
    deferred::MoveFileLaterWininit(from, to);
    return;
  }
  if (to.empty()) {
    MoveFileExA(from.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  } else {
    MoveFileExA(to.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT);
  }
}

bool ScheduleSelfDeletion(bool removeFolder, const std::vector<std::string>& foldersAbove) {
  const std::string program = process::ProgramFilePath();
  deferred::SelfDeletionFolders f = deferred::FoldersOf(program);
  if (f.parentFolder.empty()) return false;
  std::vector<std::string> oemAbove;
  for (const std::string& folder : removeFolder ? foldersAbove : std::vector<std::string>()) {
    std::string oem;
    if (BatchFormOf(folder, oem)) oemAbove.push_back(oem);
  }
  // The batch file and its working folder would keep a folder above the
  // program's from becoming empty; those go to the temporary folder then.
  std::string batchFolder = f.parentFolder;
  if (!oemAbove.empty()) {
    char temp[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(MAX_PATH, temp);
    std::string tempFolder = n == 0 || n > MAX_PATH ? std::string() : std::string(temp, n);
    std::string oemTemp;
    if (!tempFolder.empty() && !deferred::ToOemExactly(tempFolder, oemTemp)) tempFolder = ShortPathOf(tempFolder);
    if (!tempFolder.empty() && folders::FolderExists(tempFolder)) {
      batchFolder = tempFolder;
      if (batchFolder.back() != '\\') batchFolder += '\\';
    } else {
      oemAbove.clear();
    }
  }
  const std::string batch = batchFolder + UniqueFileName(batchFolder, "", ".bat", true);

  std::string oemProgram, oemFolder, oemBatch;
  if (!BatchFormOf(program, oemProgram) || !BatchFormOf(f.programFolder, oemFolder) ||
      !deferred::ToOemExactly(batch, oemBatch)) {
    return false;  // a name the batch file cannot spell is never guessed at
  }
  // The conversion is per character, so the texts convert line by line alike.
  std::optional<std::string> text =
      deferred::SelfDeletionBatch(oemProgram, oemFolder, oemBatch, removeFolder, oemAbove);
  if (!text) return false;
  // A read-only program file would keep "del" failing for ever.
  SetFileAttributesA(program.c_str(), FILE_ATTRIBUTE_NORMAL);
  try {
    fileio::ReplaceFileContents(batch, *text);
  } catch (const std::exception& e) {
    throw EInOutError(e.what());
  }

  // Nobody waits for it: both handles close at once.
  if (!process::Start("\"" + batch + "\"", {SW_HIDE, IDLE_PRIORITY_CLASS, batchFolder})) {
    DeleteFileA(batch.c_str());
    return false;
  }
  return true;
}

std::string UniqueFileName(const std::string& folder, const std::string& prefix, const std::string& suffix,
                           bool shortName) {
  std::string dir = folder;
  if (!dir.empty() && dir.back() != '\\') dir += '\\';
  for (;;) {
    SYSTEMTIME t;
    GetLocalTime(&t);
    FILETIME ft, jan1;
    SystemTimeToFileTime(&t, &ft);
    SYSTEMTIME start{};
    start.wYear = t.wYear;
    start.wMonth = 1;
    start.wDay = 1;
    SystemTimeToFileTime(&start, &jan1);
    ULARGE_INTEGER a{{ft.dwLowDateTime, ft.dwHighDateTime}}, b{{jan1.dwLowDateTime, jan1.dwHighDateTime}};
    int dayOfYear = static_cast<int>((a.QuadPart - b.QuadPart) / (10000000ull * 86400)) + 1;
    deferred::ClockReading clock{t.wYear, dayOfYear, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
    std::string name = deferred::UniqueNameCandidate(prefix, suffix, shortName, clock);
    if (!Exists(dir + name)) return name;
    Sleep(1);
  }
}

std::string ShortPathOf(const std::string& path) {
  char buf[MAX_PATH];
  DWORD n = GetShortPathNameA(path.c_str(), buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return path;
  return std::string(buf, n);
}

std::string WindowsFolder() { return folders::WindowsFolder(); }


namespace {

// Skips entries that are no hits; 0 when `match` holds one.
DWORD SettleOnHit(TFindMatch& match) {
  for (;;) {
    const WIN32_FIND_DATAA& d = match.FindData;
    if (deferred::IsFindHit(d.dwFileAttributes, match.Include, match.Exclude, d.cFileName)) {
      match.Attr = d.dwFileAttributes;
      match.Size = d.nFileSizeLow;
      match.Name = d.cFileName;
      match.FullPath = match.Folder + match.Name;
      FILETIME local;
      WORD date = 0, time = 0;
      FileTimeToLocalFileTime(&d.ftLastWriteTime, &local);
      FileTimeToDosDateTime(&local, &date, &time);
      match.Time = (static_cast<uint32_t>(date) << 16) | time;
      return 0;
    }
    if (!FindNextFileA(match.FindHandle.get(), &match.FindData)) return GetLastError();
  }
}

}  // namespace

DWORD FindMatchFirst(const std::string& mask, uint32_t include, uint32_t exclude, TFindMatch& match) {
  FindMatchClose(match);
  match.Include = include == 0 ? 63 : include;
  match.Exclude = exclude;
  size_t cut = mask.find_last_of("\\:");
  match.Folder = cut == std::string::npos ? std::string() : mask.substr(0, cut + 1);
  // An empty mask would search the current folder.
  if (mask.empty()) return ERROR_INVALID_PARAMETER;
  match.FindHandle.reset(FindFirstFileA(mask.c_str(), &match.FindData));
  if (!match.FindHandle) return GetLastError();
  DWORD result = SettleOnHit(match);
  if (result != 0) FindMatchClose(match);
  return result;
}

DWORD FindMatchNext(TFindMatch& match) {
  if (!match.FindHandle) return ERROR_NO_MORE_FILES;
  if (!FindNextFileA(match.FindHandle.get(), &match.FindData)) return GetLastError();
  return SettleOnHit(match);
}

void FindMatchClose(TFindMatch& match) { match.FindHandle.reset(); }
