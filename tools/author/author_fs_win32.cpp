#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "common/wide_text.h"
#include "common/win32_handles.h"
#include "tools/author/author_fs.h"
#include "tools/author/author_fs_stdio.h"

namespace authorfs {
namespace {

std::wstring Wide(const std::string& utf8) { return widetext::FromUtf8(utf8); }

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), s.data(), n, nullptr, nullptr);
  return s;
}

bool Attributes(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& info) {
  return !path.empty() && GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &info);
}

}  // namespace

namespace stdio {

std::FILE* Open(const std::string& path, const char* mode) {
  return _wfopen(Wide(path).c_str(), std::wstring(mode, mode + std::char_traits<char>::length(mode)).c_str());
}

bool Seek(std::FILE* f, uint64_t offset) { return _fseeki64(f, static_cast<__int64>(offset), SEEK_SET) == 0; }

std::optional<uint64_t> Length(std::FILE* f) {
  if (_fseeki64(f, 0, SEEK_END) != 0) return std::nullopt;
  const __int64 size = _ftelli64(f);
  if (size < 0) return std::nullopt;
  return static_cast<uint64_t>(size);
}

}  // namespace stdio

bool CopyBytes(const std::string& from, const std::string& to) {
  return CopyFileW(Wide(from).c_str(), Wide(to).c_str(), FALSE) != 0;
}

bool IsFile(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  return Attributes(path, info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsDir(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  return Attributes(path, info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<uint64_t> FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!Attributes(path, info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return std::nullopt;
  return (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
}

int64_t ModTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!Attributes(path, info)) return 0;
  const uint64_t ticks =
      (static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
  constexpr uint64_t kUnixEpoch = 116444736000000000ull;  // 1970-01-01 in 100 ns ticks since 1601
  return ticks < kUnixEpoch ? 0 : static_cast<int64_t>((ticks - kUnixEpoch) / 10000000ull);
}

bool MakeDirs(const std::string& path) {
  if (path.empty() || IsDir(path)) return true;
  size_t slash = path.find_last_of("/\\");
  // A drive ("C:") or the root above is there or not to be made.
  if (slash != std::string::npos && slash > 0 && path[slash - 1] != ':' && !MakeDirs(path.substr(0, slash))) return false;
  return CreateDirectoryW(Wide(path).c_str(), nullptr) || IsDir(path);
}

std::vector<DirEntry> List(const std::string& dir) {
  std::vector<DirEntry> entries;
  WIN32_FIND_DATAW data{};
  win32::UniqueFind find(FindFirstFileW(Wide(Join(dir, "*")).c_str(), &data));
  if (!find) return entries;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    // A junction is not followed: one pointing above itself would never end.
    const bool isDir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    entries.push_back({Utf8(name), isDir});
  } while (FindNextFileW(find.get(), &data));
  return entries;
}

std::string Join(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  return a.back() == '/' || a.back() == '\\' ? a + b : a + "\\" + b;
}

std::string NarrowPath(const std::string& path) {
  std::wstring w = Wide(path);
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::string ProgramFolder() {
  std::wstring path(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n);
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? "." : Utf8(path.substr(0, slash));
}

void PrepareConsole() {
  SetConsoleOutputCP(CP_UTF8);
}

std::vector<std::string> Arguments(int, char**) {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return args;
  for (int i = 1; i < count; ++i) args.push_back(Utf8(wide[i]));
  LocalFree(wide);
  return args;
}

}  // namespace authorfs
