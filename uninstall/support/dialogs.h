// Message boxes centred on the work area, and the uninstaller's texts, which
// the installation log may replace.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Program-wide values, set at start-up before the removal thread runs.
extern std::string AppTitle;       // caption of error and question boxes
extern UINT MessageBoxFlags;       // added to every message box's style
extern HWND MainWindow;            // the main dialog, once it exists
extern std::string LogPath;        // the installation log

void ShowError(const std::string& text);
// IDYES or IDNO.
int AskQuestion(const std::string& text);
// The system message box, centred on the work area when it first activates.
int MessageBoxCentred(HWND owner, const std::string& caption, const std::string& text, UINT style);
void CentreWindowInWorkArea(HWND window);
// Whether this thread's centring hook is in place (it never outlives its box).
bool CentringHookInstalled();

// A value of the log, "||" turned into carriage returns; `defaultValue` too.
std::string LogValue(std::string_view section, std::string_view ident, std::string_view defaultValue);
std::string LogText(std::string_view ident, std::string_view defaultValue);
// Text `id` of the program's string table, or its replacement from the log.
std::string MessageText(int id);
