// The packages of a distribution: their sections in each language, the
// archives and registry files they name, what the archives hold against
// FilesCount, and what the library makes of every member.
#pragma once

#include "tools/author/distribution.h"
#include "tools/author/findings.h"

namespace author {

// Fills the sections, languages and archives of `d` (whose ini, index,
// inst and packages are read) and reports what is wrong with them.
void CheckPackages(Distribution& d, Findings& findings);

}  // namespace author
