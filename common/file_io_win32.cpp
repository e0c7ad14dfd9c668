#include "common/file_io.h"

#include <windows.h>

#include <algorithm>

#include "common/win32_handles.h"

namespace fileio {

std::function<void(const std::string&)> g_beforeReplaceHook;

std::string TemporaryNameFor(const std::string& path) { return path + ".~tmp"; }

bool FileExists(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::string> FullPathName(const std::string& path) {
  if (path.empty()) return std::nullopt;
  std::string full(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) return std::nullopt;
    if (n < full.size()) {
      full.resize(n);
      return full;
    }
    full.resize(n);
  }
}

void AppendFile::Open(const std::string& path) {
  Close();
  path_ = path;
  HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw EFCreateError(path);
  handle_ = reinterpret_cast<intptr_t>(h);
}

void AppendFile::Append(std::string_view bytes) {
  HANDLE h = reinterpret_cast<HANDLE>(handle_);
  while (!bytes.empty()) {
    DWORD done = 0;
    if (!WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) || done == 0) {
      throw EFCreateError(path_);
    }
    bytes.remove_prefix(done);
  }
}

void AppendFile::Close() {
  if (handle_ == kClosed) return;
  win32::UniqueFile owned(reinterpret_cast<HANDLE>(handle_));
  handle_ = kClosed;
}

bool RemoveFile(const std::string& path) {
  if (DeleteFileA(path.c_str())) return true;
  DWORD err = GetLastError();
  return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  win32::UniqueFile f(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!f) {
    DWORD err = GetLastError();
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) return std::nullopt;
    throw EFOpenError(path);
  }
  std::string data;
  char buf[65536];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(f.get(), buf, sizeof buf, &n, nullptr)) throw EFOpenError(path);
    if (n == 0) break;
    data.append(buf, n);
  }
  return data;
}

void ReplaceFileContents(const std::string& path, const std::string& bytes) {
  const std::string temp = TemporaryNameFor(path);
  {
    win32::UniqueFile f(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) throw EFCreateError(path);
    size_t done = 0;
    bool ok = true;
    while (ok && done < bytes.size()) {
      DWORD n = 0;
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
      ok = WriteFile(f.get(), bytes.data() + done, chunk, &n, nullptr) && n > 0;
      done += n;
    }
    ok = ok && FlushFileBuffers(f.get());
    if (!f.close() || !ok) {
      DeleteFileA(temp.c_str());
      throw EFCreateError(path);
    }
  }
  try {
    if (g_beforeReplaceHook) g_beforeReplaceHook(temp);
  } catch (...) {
    DeleteFileA(temp.c_str());
    throw;
  }
  if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(temp.c_str());
    throw EFCreateError(path);
  }
}

}  // namespace fileio
