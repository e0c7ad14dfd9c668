// Which kind of picture file InstallPicture names, and the layout of metafiles.
#pragma once

#include <cstddef>
#include <string_view>

enum class TPictureKind { Unsupported, Bitmap, Icon, Metafile, EnhancedMetafile };

// The kind follows the file name's extension alone (.bmp, .ico, .wmf, .emf, any case).
TPictureKind PictureKindOf(std::string_view fileName);

// Offset of the metafile records in a .wmf file's bytes: most such files start
// with a 22-byte placeable header that the system's metafile calls do not accept.
// Returns 0 for a bare metafile, and npos when the bytes are too short to be one.
size_t MetafileRecordsOffset(std::string_view bytes);
