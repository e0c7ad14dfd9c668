// One small owner per kind of system handle, so that no early return leaks one.
#pragma once

#include <windows.h>

#include <utility>

namespace win32 {

template <typename T, typename Traits>
class Unique {
 public:
  Unique() = default;
  explicit Unique(T h) : h_(h) {}
  ~Unique() { reset(); }
  Unique(Unique&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
  Unique& operator=(Unique&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = std::exchange(o.h_, Traits::Invalid());
    }
    return *this;
  }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;

  T get() const { return h_; }
  T* out() {
    reset();
    return &h_;
  }
  explicit operator bool() const { return h_ != Traits::Invalid(); }
  T release() { return std::exchange(h_, Traits::Invalid()); }
  void reset(T h = Traits::Invalid()) {
    if (h_ != Traits::Invalid()) Traits::Close(h_);
    h_ = h;
  }
  // Closes now and says whether that worked: a file's last write can fail
  // only when its handle closes.
  bool close() {
    bool ok = h_ == Traits::Invalid() || Traits::Close(h_);
    h_ = Traits::Invalid();
    return ok;
  }

 private:
  T h_ = Traits::Invalid();
};

struct KeyTraits {
  static HKEY Invalid() { return nullptr; }
  static bool Close(HKEY h) { return RegCloseKey(h) == ERROR_SUCCESS; }
};
struct HandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static bool Close(HANDLE h) { return CloseHandle(h) != FALSE; }
};
struct FileTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Close(HANDLE h) { return CloseHandle(h) != FALSE; }
};
struct FindTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Close(HANDLE h) { return FindClose(h) != FALSE; }
};
struct ModuleTraits {
  static HMODULE Invalid() { return nullptr; }
  static bool Close(HMODULE h) { return FreeLibrary(h) != FALSE; }
};
struct HookTraits {
  static HHOOK Invalid() { return nullptr; }
  static bool Close(HHOOK h) { return UnhookWindowsHookEx(h) != FALSE; }
};

struct IconTraits {
  static HICON Invalid() { return nullptr; }
  static bool Close(HICON h) { return DestroyIcon(h) != FALSE; }
};
struct EnhMetafileTraits {
  static HENHMETAFILE Invalid() { return nullptr; }
  static bool Close(HENHMETAFILE h) { return DeleteEnhMetaFile(h) != FALSE; }
};

using UniqueKey = Unique<HKEY, KeyTraits>;
using UniqueHandle = Unique<HANDLE, HandleTraits>;
using UniqueFile = Unique<HANDLE, FileTraits>;
using UniqueFind = Unique<HANDLE, FindTraits>;
using UniqueModule = Unique<HMODULE, ModuleTraits>;
using UniqueHook = Unique<HHOOK, HookTraits>;
using UniqueIcon = Unique<HICON, IconTraits>;
using UniqueEnhMetafile = Unique<HENHMETAFILE, EnhMetafileTraits>;

// Restores the process error mode on every way out.
class QuietErrorMode {
 public:
  QuietErrorMode() : old_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~QuietErrorMode() { SetErrorMode(old_); }
  QuietErrorMode(const QuietErrorMode&) = delete;
  QuietErrorMode& operator=(const QuietErrorMode&) = delete;

 private:
  UINT old_;
};

}  // namespace win32
