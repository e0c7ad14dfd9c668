// sowell-pack: a distribution built from a project folder, that is a
// setup.ini template and one folder of files per archive under packages/
// (Pak0=core.rar is made from packages/core), beside the registry files and
// the picture the template names.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace author {

struct PackOptions {
  std::string project;
  std::string out;
  uint64_t diskSize = 0;  // 0: one folder, unless the template sets MultiVolume
  std::string sowell;     // the setup program to copy; found when empty
  std::string unrar;      // the library to copy; found when empty
  int format = 4;         // of the archives made
};

// Builds the distribution and checks it. Messages (UTF-8) go to `out`;
// returns 0 when the result has no error, 1 when it has or the build failed.
int Pack(const PackOptions& options, std::ostream& out);

// sowell-pack [--disk-size SIZE] [--rar5] [--sowell FILE] [--unrar FILE] PROJECT OUT
int RunPackCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// "1457664", "1440K", "650M", "4G"; false for anything else.
bool ParseSize(const std::string& text, uint64_t& bytes);

}  // namespace author
