// How a logged program or COM server is started: the command lines, the
// working folder, and which files are started directly.
#pragma once

#include <string>
#include <string_view>

namespace launch {

// The extension from the last "." of the file name, in lower case.
std::string LowerExtension(std::string_view path);
// ".exe", ".com", ".bat", ".pif", ".lnk".
bool IsDirectlyStarted(std::string_view path);
// The file in double quotes (one enclosing pair removed first, doubled quotes
// collapsed), a blank and the parameters, trimmed.
std::string DirectCommandLine(std::string_view file, std::string_view parameters);
// The folder without enclosing double quotes and blanks; empty means the
// caller's current folder.
std::string WorkingFolder(std::string_view folder);
// The server in double quotes, so that no part of a path with blanks is taken
// for a program of its own, and the switch.
std::string UnregisterServerCommandLine(std::string_view serverPath);

}  // namespace launch
