#include "setup/wizard/wizard_picture.h"

#include <string>

#include "common/ansi.h"

TPictureKind PictureKindOf(std::string_view fileName) {
  size_t dot = fileName.find_last_of(".\\/");
  if (dot == std::string_view::npos || fileName[dot] != '.') return TPictureKind::Unsupported;
  std::string ext = ansi::LowerCase(fileName.substr(dot + 1));
  if (ext == "bmp") return TPictureKind::Bitmap;
  if (ext == "ico") return TPictureKind::Icon;
  if (ext == "wmf") return TPictureKind::Metafile;
  if (ext == "emf") return TPictureKind::EnhancedMetafile;
  return TPictureKind::Unsupported;
}

size_t MetafileRecordsOffset(std::string_view bytes) {
  constexpr size_t kPlaceableHeader = 22;
  constexpr size_t kMetaHeader = 18;
  static constexpr unsigned char kPlaceableKey[] = {0xD7, 0xCD, 0xC6, 0x9A};
  size_t offset = 0;
  if (bytes.size() >= 4 && std::string_view(reinterpret_cast<const char*>(kPlaceableKey), 4) ==
                               bytes.substr(0, 4)) {
    offset = kPlaceableHeader;
  }
  if (bytes.size() < offset + kMetaHeader) return std::string_view::npos;
  return offset;
}
