// The form of setup.ini as the setup program reads it: sections and keys it
// knows, lines it never reads (unknown names, duplicates, gaps in numbered
// lists, headers with blanks), values it cannot take (words for numbers,
// macros where none are replaced), and the install folder it suggests.
#pragma once

#include <string>

#include "setup/run/inifiles32.h"
#include "tools/author/findings.h"
#include "tools/author/ini_index.h"

namespace author {

void CheckDescription(const TIniFile32& ini, const IniIndex& index, const std::string& file, Findings& findings);

// The section kinds setup.ini has, for a section's name.
enum class SectionKind { Install, Dialogs, Packages, Package, PackageRus, RunApp, DelFiles, Unknown };
// `package` gets the number of a package section; -1 when it has no
// canonical decimal number (Package01).
SectionKind KindOfSection(std::string_view name, int& package);

}  // namespace author
