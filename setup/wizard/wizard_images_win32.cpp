#include "setup/wizard/wizard_images.h"

#include <optional>

#include "common/file_io.h"
#include "common/win32_handles.h"
#include "setup/wizard/wizard_picture.h"

namespace {

// Old-style metafiles reach the system's drawing calls as enhanced ones.
HENHMETAFILE LoadWindowsMetafile(const std::string& path) {
  std::optional<std::string> bytes;
  try {
    bytes = fileio::ReadWholeFile(path);
  } catch (const EFOpenError&) {
    return nullptr;
  }
  if (!bytes) return nullptr;
  size_t offset = MetafileRecordsOffset(*bytes);
  if (offset == std::string::npos) return nullptr;
  const auto* records = reinterpret_cast<const BYTE*>(bytes->data() + offset);
  return SetWinMetaFileBits(static_cast<UINT>(bytes->size() - offset), records, nullptr, nullptr);
}

bool DrawPicture(HDC dc, const RECT& frame, const std::string& path, TPictureKind kind) {
  switch (kind) {
    case TPictureKind::Bitmap: {
      win32::UniqueBitmap picture(static_cast<HBITMAP>(
          LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
      if (!picture) return false;
      BITMAP info = {};
      GetObjectA(picture.get(), sizeof info, &info);
      win32::MemoryDC source(picture.get());
      SetStretchBltMode(dc, HALFTONE);
      return StretchBlt(dc, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
                        source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY) != FALSE;
    }
    case TPictureKind::Icon: {
      win32::UniqueIcon icon(static_cast<HICON>(LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE)));
      if (!icon.get()) return false;
      ICONINFO info = {};
      if (!GetIconInfo(icon.get(), &info)) return false;
      // The icon's own bitmaps are copies that the caller owns.
      win32::UniqueBitmap colour(info.hbmColor), maskBits(info.hbmMask);
      BITMAP mask = {};
      GetObjectA(maskBits.get(), sizeof mask, &mask);
      const int w = mask.bmWidth;
      const int h = colour ? mask.bmHeight : mask.bmHeight / 2;
      // An icon is far smaller than the frame; enlarging it would only blur it.
      return DrawIconEx(dc, (frame.right - w) / 2, (frame.bottom - h) / 2, icon.get(), w, h, 0, nullptr,
                        DI_NORMAL) != FALSE;
    }
    case TPictureKind::Metafile:
    case TPictureKind::EnhancedMetafile: {
      win32::UniqueEnhMetafile meta(kind == TPictureKind::Metafile ? LoadWindowsMetafile(path)
                                                        : GetEnhMetaFileA(path.c_str()));
      return meta.get() && PlayEnhMetaFile(dc, meta.get(), &frame) != FALSE;
    }
    case TPictureKind::Unsupported:
      break;
  }
  return false;
}

}  // namespace

win32::UniqueBitmap LoadResourceBitmap(HINSTANCE instance, const char* name) {
  return win32::UniqueBitmap(static_cast<HBITMAP>(LoadImageA(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

win32::UniqueBitmap RenderPictureFile(const std::string& path) {
  const TPictureKind kind = PictureKindOf(path);
  if (kind == TPictureKind::Unsupported || !fileio::FileExists(path)) return win32::UniqueBitmap();

  win32::UniqueBitmap result(
      CreateCompatibleBitmap(win32::WindowDC(nullptr).get(), kSidePictureWidth, kSidePictureHeight));
  if (!result) return win32::UniqueBitmap();

  bool drawn;
  {
    win32::MemoryDC dc(result.get());
    const RECT frame = {0, 0, kSidePictureWidth, kSidePictureHeight};
    FillRect(dc.get(), &frame, GetSysColorBrush(COLOR_BTNFACE));
    drawn = DrawPicture(dc.get(), frame, path, kind);
  }
  return drawn ? std::move(result) : win32::UniqueBitmap();
}
