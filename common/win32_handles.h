// One small owner per kind of system handle, so that no early return leaks one.
#pragma once

#include <windows.h>
#include <objbase.h>

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

template <typename T>
struct GdiObjectTraits {
  static T Invalid() { return nullptr; }
  static bool Close(T h) { return DeleteObject(h) != FALSE; }
};
struct DcTraits {
  static HDC Invalid() { return nullptr; }
  static bool Close(HDC h) { return DeleteDC(h) != FALSE; }
};

using UniqueKey = Unique<HKEY, KeyTraits>;
using UniqueHandle = Unique<HANDLE, HandleTraits>;
using UniqueFile = Unique<HANDLE, FileTraits>;
using UniqueFind = Unique<HANDLE, FindTraits>;
using UniqueModule = Unique<HMODULE, ModuleTraits>;
using UniqueHook = Unique<HHOOK, HookTraits>;
using UniqueIcon = Unique<HICON, IconTraits>;
using UniqueEnhMetafile = Unique<HENHMETAFILE, EnhMetafileTraits>;
using UniqueFont = Unique<HFONT, GdiObjectTraits<HFONT>>;
using UniqueBitmap = Unique<HBITMAP, GdiObjectTraits<HBITMAP>>;
using UniqueBrush = Unique<HBRUSH, GdiObjectTraits<HBRUSH>>;
using UniqueDC = Unique<HDC, DcTraits>;

// Both handles of a process this program started.
struct ProcessHandles {
  explicit ProcessHandles(const PROCESS_INFORMATION& pi) : process(pi.hProcess), thread(pi.hThread) {}
  UniqueHandle process;
  UniqueHandle thread;
};

// An object selected into a device context for a scope; the one it replaced
// goes back in, so that the object can be deleted afterwards.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~Selection() {
    if (old_) SelectObject(dc_, old_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A memory device context compatible with `reference` (the screen when null),
// with one object selected into it for its lifetime.
class MemoryDC {
 public:
  explicit MemoryDC(HGDIOBJ selected, HDC reference = nullptr)
      : dc_(CreateCompatibleDC(reference)), selection_(dc_.get(), selected) {}
  HDC get() const { return dc_.get(); }

 private:
  UniqueDC dc_;  // declared first: the selection is undone before the context goes
  Selection selection_;
};

// A window's device context, released on every way out.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDC() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// COM on this thread for a scope (a single-threaded apartment unless told
// otherwise). It is uninitialised only when this scope's call succeeded: a
// thread already in another apartment keeps it.
class ComScope {
 public:
  explicit ComScope(DWORD model = COINIT_APARTMENTTHREADED) : ok_(SUCCEEDED(CoInitializeEx(nullptr, model))) {}
  ~ComScope() {
    if (ok_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

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
