// What the packages leave behind for the rest of the run: shortcut targets,
// [RunApp] programs and [DelFiles] entries against the files the packages
// of each language install, the medium, and a standard Windows.
#pragma once

#include <string>
#include <string_view>

#include "tools/author/distribution.h"
#include "tools/author/findings.h"

namespace author {

void CheckTargets(const Distribution& d, Findings& findings);

// Where an expanded path points.
struct Place {
  enum Kind { Install, Medium, Absolute, Url, Bare } kind = Bare;
  std::string rel;  // Install and Medium: the path below the folder (code page 1251, "\" between parts)
};
// The macros replaced by stand-ins for the install folder and the source
// folder that no real path holds ("<" is no character of a Windows name).
std::string ExpandWithStandIns(std::string_view text);
// `expanded` as ExpandWithStandIns gives it.
Place PlaceOfExpanded(const std::string& expanded);
// `text` as setup.ini writes it, before the macros are replaced.
Place PlaceOf(std::string_view text);

// A program every Windows has (notepad.exe, regsvr32.exe ...), by its file name.
bool IsStandardProgram(std::string_view path);

// The program of a command line: the quoted part, or the text up to the first blank.
std::string ProgramOf(std::string_view commandLine);

}  // namespace author
