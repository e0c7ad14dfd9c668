// The uninstaller's main dialog DLG_UNINSTALL: title banner, progress lines,
// progress bar and the Close button, fed by the removal thread.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "common/win32_handles.h"
#include "uninstall/removal_steps.h"

// Shows the dialog modally; `removalThread` (created suspended) is resumed
// once the dialog has read all its texts. Returns false when the dialog
// could not be created.
bool ShowMainDialog(HINSTANCE instance, HANDLE removalThread, const std::string& programFolder);

// The RemovalUi of the running dialog, for the removal thread.
RemovalUi& MainDialogUi();

// The title banner, drawn once into a memory device context and copied to
// the screen whenever the dialog paints.
struct TBanner {
  win32::UniqueBitmap bitmap;  // declared first: it must outlive the context it is selected into
  std::unique_ptr<win32::MemoryDC> dc;
};

// Draws the title banner: white, the optional picture stretched over it, and
// text 1 in the log's title font.
TBanner BuildBanner(HWND dialog, const std::string& bitmapFile);
