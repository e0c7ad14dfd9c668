// The wizard's pictures: built-in artwork and the side picture named by InstallPicture.
#pragma once

#include <windows.h>

#include <string>

#include "common/win32_handles.h"

constexpr int kSidePictureWidth = 180;
constexpr int kSidePictureHeight = 252;

// A BITMAP resource of the program.
win32::UniqueBitmap LoadResourceBitmap(HINSTANCE instance, const char* name);

// Draws the picture file (bitmap, icon or metafile, by its extension) into a
// bitmap of the side picture's size. Empty when the file is missing, unreadable
// or of another kind; the caller then keeps its built-in picture.
win32::UniqueBitmap RenderPictureFile(const std::string& path);
