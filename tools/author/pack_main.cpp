// sowell-pack: builds a distribution from a project folder (see docs/guide.md).
#include <iostream>

#include "tools/author/author_fs.h"
#include "tools/author/pack.h"

int main(int argc, char** argv) {
  authorfs::PrepareConsole();
  return author::RunPackCommand(authorfs::Arguments(argc, argv), std::cout, std::cerr);
}
