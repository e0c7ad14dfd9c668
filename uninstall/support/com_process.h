// Undoing COM server registrations, and starting the programs a log names.
#pragma once

#include <windows.h>

#include <string>

// Tries the library entry point, then (for ".exe") the server's own switch,
// then the type library inside the file; true as soon as one succeeds.
bool UnregisterComServer(const std::string& path);
bool CallDllUnregisterServer(const std::string& path);
// Starts the server with " /UNREGSERVER", hidden, without waiting.
bool UnregisterExeServer(const std::string& path);
bool UnregisterTypeLibrary(const std::string& path);

// Starts a program (or opens a document through the shell) and waits for it,
// serving this thread's messages meanwhile. Its exit code, or -1 when nothing
// was started.
int RunAndWait(HWND owner, const std::string& file, const std::string& parameters, int showCommand,
               const std::string& folder);
// Dispatches this thread's pending messages once; sleeps 1 ms when there are none.
void PumpMessages();
// A library loaded without the system's critical-error boxes.
HMODULE LoadLibraryQuiet(const std::string& path);
