#include "setup/wizard/wizard_images.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "common/win32_handles.h"
#include "tests/common/temp_dir.h"

namespace {

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

template <class T>
void Put(std::string& out, T value) {
  out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// A bottom-up 24-bit bitmap file of one colour.
std::string BitmapFile(int w, int h, COLORREF color) {
  const int row = (w * 3 + 3) & ~3;
  std::string px;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      px += static_cast<char>(GetBValue(color));
      px += static_cast<char>(GetGValue(color));
      px += static_cast<char>(GetRValue(color));
    }
    px.append(row - w * 3, '\0');
  }
  std::string f = "BM";
  Put<uint32_t>(f, 54 + px.size());
  Put<uint32_t>(f, 0);
  Put<uint32_t>(f, 54);
  BITMAPINFOHEADER info = {sizeof info, w, h, 1, 24, BI_RGB, static_cast<DWORD>(px.size()), 0, 0, 0, 0};
  Put(f, info);
  return f + px;
}

// An icon file with one opaque 16x16 image.
std::string IconFile(COLORREF color) {
  std::string f;
  Put<uint16_t>(f, 0);
  Put<uint16_t>(f, 1);
  Put<uint16_t>(f, 1);
  const uint32_t imageSize = 40 + 16 * 16 * 4 + 16 * 4;
  f += std::string("\x10\x10\x00\x00", 4);
  Put<uint16_t>(f, 1);
  Put<uint16_t>(f, 32);
  Put<uint32_t>(f, imageSize);
  Put<uint32_t>(f, 22);
  BITMAPINFOHEADER info = {sizeof info, 16, 32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  Put(f, info);
  for (int i = 0; i < 16 * 16; ++i) {
    Put<uint32_t>(f, 0xFF000000u | (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color));
  }
  f.append(16 * 4, '\0');  // AND mask: every pixel opaque
  return f;
}

// The bytes of an old-style metafile that fills a 100x100 window with `color`,
// behind a placeable header as drawing programs write them.
std::string PlaceableMetafile(COLORREF color) {
  HDC dc = CreateMetaFileA(nullptr);
  SetWindowExtEx(dc, 100, 100, nullptr);
  win32::UniqueBrush brush(CreateSolidBrush(color));
  SelectObject(dc, brush.get());
  SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 0, 0, 101, 101);
  HMETAFILE meta = CloseMetaFile(dc);
  std::string records(GetMetaFileBitsEx(meta, 0, nullptr), '\0');
  GetMetaFileBitsEx(meta, static_cast<UINT>(records.size()), records.data());
  DeleteMetaFile(meta);

  std::string header;
  Put<uint32_t>(header, 0x9AC6CDD7);
  Put<uint16_t>(header, 0);
  for (int16_t v : {0, 0, 100, 100}) Put<int16_t>(header, v);
  Put<uint16_t>(header, 96);
  Put<uint32_t>(header, 0);
  uint16_t sum = 0;
  for (size_t i = 0; i < header.size(); i += 2) {
    sum ^= static_cast<uint16_t>(static_cast<unsigned char>(header[i]) | (static_cast<unsigned char>(header[i + 1]) << 8));
  }
  Put<uint16_t>(header, sum);
  return header + records;
}

void WriteEnhancedMetafile(const std::string& path, COLORREF color) {
  RECT frame = {0, 0, 1000, 1400};  // hundredths of a millimetre
  HDC dc = CreateEnhMetaFileA(nullptr, path.c_str(), &frame, nullptr);
  win32::UniqueBrush brush(CreateSolidBrush(color));
  RECT all = {0, 0, 2000, 2000};
  FillRect(dc, &all, brush.get());
  DeleteEnhMetaFile(CloseEnhMetaFile(dc));
}

COLORREF PixelAt(const win32::UniqueBitmap& bitmap, int x, int y) {
  win32::MemoryDC dc(bitmap.get());
  return GetPixel(dc.get(), x, y);
}

constexpr int kMidX = kSidePictureWidth / 2;
constexpr int kMidY = kSidePictureHeight / 2;

}  // namespace

TEST(SidePicture, BitmapIsStretchedOverTheFrame) {
  TempDir dir;
  WriteFile(dir.File("side.BMP"), BitmapFile(3, 2, RGB(0, 0, 255)));
  win32::UniqueBitmap picture = RenderPictureFile(dir.File("side.BMP"));
  ASSERT_TRUE(picture);
  BITMAP info = {};
  GetObjectA(picture.get(), sizeof info, &info);
  EXPECT_EQ(info.bmWidth, kSidePictureWidth);
  EXPECT_EQ(info.bmHeight, kSidePictureHeight);
  EXPECT_EQ(PixelAt(picture, 1, 1), RGB(0, 0, 255));
  EXPECT_EQ(PixelAt(picture, kSidePictureWidth - 2, kSidePictureHeight - 2), RGB(0, 0, 255));
}

TEST(SidePicture, IconIsCentred) {
  TempDir dir;
  WriteFile(dir.File("side.ico"), IconFile(RGB(0, 200, 0)));
  win32::UniqueBitmap picture = RenderPictureFile(dir.File("side.ico"));
  ASSERT_TRUE(picture);
  EXPECT_EQ(PixelAt(picture, kMidX, kMidY), RGB(0, 200, 0));
  EXPECT_NE(PixelAt(picture, 2, 2), RGB(0, 200, 0));
}

TEST(SidePicture, MetafilesOfBothKindsAreDrawn) {
  TempDir dir;
  WriteFile(dir.File("side.wmf"), PlaceableMetafile(RGB(255, 0, 0)));
  win32::UniqueBitmap wmf = RenderPictureFile(dir.File("side.wmf"));
  ASSERT_TRUE(wmf);
  EXPECT_EQ(PixelAt(wmf, kMidX, kMidY), RGB(255, 0, 0));

  WriteEnhancedMetafile(dir.File("side.emf"), RGB(255, 0, 255));
  win32::UniqueBitmap emf = RenderPictureFile(dir.File("side.emf"));
  ASSERT_TRUE(emf);
  EXPECT_EQ(PixelAt(emf, kMidX, kMidY), RGB(255, 0, 255));
}

TEST(SidePicture, UnusableFilesGiveNothing) {
  TempDir dir;
  EXPECT_FALSE(RenderPictureFile(dir.File("missing.bmp")));
  WriteFile(dir.File("broken.bmp"), "not a picture at all");
  EXPECT_FALSE(RenderPictureFile(dir.File("broken.bmp")));
  WriteFile(dir.File("broken.wmf"), "short");
  EXPECT_FALSE(RenderPictureFile(dir.File("broken.wmf")));
  WriteFile(dir.File("broken.emf"), std::string(200, 'x'));
  EXPECT_FALSE(RenderPictureFile(dir.File("broken.emf")));
  WriteFile(dir.File("side.gif"), BitmapFile(2, 2, RGB(0, 0, 255)));
  EXPECT_FALSE(RenderPictureFile(dir.File("side.gif"))) << "the kind follows the extension";
}
