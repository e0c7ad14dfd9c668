// Text conversions of the GUI test driver: scripts are UTF-8, the programs
// under test keep their texts as ANSI bytes of the system's code page.
#pragma once

#include <windows.h>

#include <string>

std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);

std::string WideToAnsi(const std::wstring& wide);

// The bytes `utf8` has in the ANSI code page; throws when a character has none there.
std::string Utf8ToAnsi(const std::string& utf8);

// ANSI bytes shown readably: UTF-8 letters, and \n \r \t and \xNN for control bytes.
std::string ShowAnsi(const std::string& ansi);

// Backslash escapes of text arguments: \n \r \t \\ ; any other backslash stays as it is.
std::string Unescape(const std::string& text);

// Texts of windows of any process, read with synchronous messages.
std::string WindowTextAnsi(HWND hwnd);
std::wstring WindowTextWide(HWND hwnd);
