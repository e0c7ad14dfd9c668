// Owning handles for the GDI objects and device contexts of the setup window.
#pragma once

#include <windows.h>

#include <utility>

template <class Handle>
class TGdiHandle {
 public:
  TGdiHandle() = default;
  explicit TGdiHandle(Handle h) : h_(h) {}
  ~TGdiHandle() { reset(); }
  TGdiHandle(TGdiHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  TGdiHandle& operator=(TGdiHandle&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = std::exchange(o.h_, nullptr);
    }
    return *this;
  }
  TGdiHandle(const TGdiHandle&) = delete;
  TGdiHandle& operator=(const TGdiHandle&) = delete;

  Handle get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void reset(Handle h = nullptr) {
    if (h_) DeleteObject(h_);
    h_ = h;
  }

 private:
  Handle h_ = nullptr;
};

using TFont = TGdiHandle<HFONT>;
using TBitmap = TGdiHandle<HBITMAP>;

// A memory device context compatible with the screen, with one object selected
// into it for its lifetime.
class TMemoryDC {
 public:
  explicit TMemoryDC(HGDIOBJ selected) : dc_(CreateCompatibleDC(nullptr)) {
    if (dc_ && selected) old_ = SelectObject(dc_, selected);
  }
  ~TMemoryDC() {
    if (!dc_) return;
    if (old_) SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  TMemoryDC(const TMemoryDC&) = delete;
  TMemoryDC& operator=(const TMemoryDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_ = nullptr;
};
