// The wizard's pictures: built-in artwork and the side picture named by InstallPicture.
#pragma once

#include <windows.h>

#include <string>

#include "setup/wizard/wizard_gdi.h"

constexpr int kSidePictureWidth = 180;
constexpr int kSidePictureHeight = 252;

// A BITMAP resource of the program.
TBitmap LoadResourceBitmap(HINSTANCE instance, const char* name);

// Draws the picture file (bitmap, icon or metafile, by its extension) into a
// bitmap of the side picture's size. Empty when the file is missing, unreadable
// or of another kind; the caller then keeps its built-in picture.
TBitmap RenderPictureFile(const std::string& path);
