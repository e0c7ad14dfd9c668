// Extraction onto a Windows file system: wide names throughout, so that
// member names outside the ANSI code page survive.
#include <windows.h>

#include <unordered_set>

#include "common/wide_text.h"
#include "common/win32_handles.h"
#include "unrar/output_fs.h"

namespace rar {
namespace {

std::wstring Wide(const std::string& utf8) { return widetext::FromUtf8(utf8); }


bool IsDir(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

FILETIME ToFileTime(const MemberTime& t) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(t.ticks);
  ft.dwHighDateTime = static_cast<DWORD>(t.ticks >> 32);
  if (t.local) {
    FILETIME utc;
    if (LocalFileTimeToFileTime(&ft, &utc)) ft = utc;
  }
  return ft;
}

bool SetTimesOf(HANDLE h, const Member& m) {
  FILETIME c, a, w;
  return SetFileTime(h, m.ctime.present ? (c = ToFileTime(m.ctime), &c) : nullptr,
                     m.atime.present ? (a = ToFileTime(m.atime), &a) : nullptr,
                     m.mtime.present ? (w = ToFileTime(m.mtime), &w) : nullptr) != FALSE;
}

class Win32File : public OutputFile {
 public:
  explicit Win32File(HANDLE h) : h_(h) {}
  bool Write(const void* data, size_t size) override {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
      DWORD chunk = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size), done = 0;
      if (!WriteFile(h_.get(), p, chunk, &done, nullptr) || done == 0) return false;
      p += done;
      size -= done;
    }
    return true;
  }
  bool SetTimes(const Member& m) override { return SetTimesOf(h_.get(), m); }
  bool Close() override { return h_.close(); }

 private:
  win32::UniqueFile h_;
};

class Win32Output : public OutputFs {
 public:
  char Separator() const override { return '\\'; }
  bool MakeDirs(const std::string& path) override {
    std::wstring w = Wide(path);
    // Members of one folder come one after the other: the folders known to
    // exist save asking the system again for every member.
    if (known_.count(w)) return true;
    for (size_t i = 1; i <= w.size(); ++i) {
      if (i < w.size() && w[i] != L'\\' && w[i] != L'/') continue;
      std::wstring prefix = w.substr(0, i);
      if (prefix.back() == L':' || known_.count(prefix)) continue;
      if (!IsDir(prefix)) CreateDirectoryW(prefix.c_str(), nullptr);
      if (IsDir(prefix)) known_.insert(prefix);
    }
    return known_.count(w) > 0;
  }
  std::unique_ptr<OutputFile> Create(const std::string& path) override {
    std::wstring w = Wide(path);
    HANDLE h = Open(w);
    if (h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
      // A read-only file from an earlier installation is replaced like any other.
      DWORD a = GetFileAttributesW(w.c_str());
      if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY) && (a & FILE_ATTRIBUTE_READONLY)) {
        SetFileAttributesW(w.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
        h = Open(w);
      }
    }
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32File>(h);
  }
  void Remove(const std::string& path) override { DeleteFileW(Wide(path).c_str()); }
  bool CopyExtracted(const std::string& from, const std::string& to) override {
    return CopyFileW(Wide(from).c_str(), Wide(to).c_str(), FALSE) != FALSE;
  }
  void Finish(const std::string& path, const Member& m, bool timesSet) override {
    std::wstring w = Wide(path);
    if (!m.is_dir && !timesSet) {
      win32::UniqueFile h(CreateFileW(w.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (h) SetTimesOf(h.get(), m);
    }
    DWORD attributes = WindowsAttributes(m);
    // A new file is made with the archive attribute and a folder with the
    // folder one; only other attributes need a call of their own.
    const DWORD plain = m.is_dir ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if ((attributes & ~(plain | FILE_ATTRIBUTE_ARCHIVE)) == 0 && attributes != 0) return;
    SetFileAttributesW(w.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL);
  }

 private:
  static HANDLE Open(const std::wstring& w) {
    return CreateFileW(w.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  }

  std::unordered_set<std::wstring> known_;
};

}  // namespace

std::unique_ptr<OutputFs> MakeLocalOutput() { return std::make_unique<Win32Output>(); }

}  // namespace rar
