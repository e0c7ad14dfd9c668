// The uninstaller's main dialog DLG_UNINSTALL: title banner, progress lines,
// progress bar and the Close button, fed by the removal thread.
#pragma once

#include <windows.h>

#include <string>

#include "uninstall/removal_steps.h"

// Shows the dialog modally; `removalThread` (created suspended) is resumed
// once the dialog has read all its texts. Returns false when the dialog
// could not be created.
bool ShowMainDialog(HINSTANCE instance, HANDLE removalThread, const std::string& programFolder);

// The RemovalUi of the running dialog, for the removal thread.
RemovalUi& MainDialogUi();

// Draws the title banner: white, the optional picture stretched over it, and
// text 1 in the log's title font. Returns a memory device context that holds it.
HDC BuildBanner(HWND dialog, const std::string& bitmapFile);
