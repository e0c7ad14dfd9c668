// sowell-check: checks a distribution before it ships (see docs/guide.md).
#include <iostream>

#include "tools/author/author_fs.h"
#include "tools/author/distribution_check.h"

int main(int argc, char** argv) {
  authorfs::PrepareConsole();
  return author::RunCheckCommand(authorfs::Arguments(argc, argv), std::cout, std::cerr);
}
