// Path macros of setup.ini: %InstallPath%, %SourcePath%, %SourceDrive%.
#pragma once

#include <string>
#include <string_view>

// Replaces every occurrence of pattern, ignoring the case of the ASCII letters
// only. Text that a replacement inserted is never searched again, so a
// replacement containing its own pattern cannot make this run forever.
std::string ReplaceAll(std::string_view text, std::string_view pattern, std::string_view replacement);

// installDir ends with a backslash; sourcePath is the setup program's folder
// with its trailing backslash.
std::string ExpandMacros(std::string_view text, std::string_view installDir,
                         std::string_view sourcePath);
