// The media of a distribution: what the setup program needs beside it on
// disk 1, and on a set of disks the copy of setup.ini on each, autorun.inf
// on the first only, and each package's archives on the disk its Volume
// names, in an order that asks for each disk once.
#pragma once

#include "tools/author/distribution.h"
#include "tools/author/findings.h"

namespace author {

void CheckDisks(const Distribution& d, Findings& findings);

// The disk number a Volume text names ("диск 2" -> 2); 0 when it holds no number.
int DiskNumberOf(std::string_view volume);

}  // namespace author
