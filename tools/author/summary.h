// What the setup program will show and do with a distribution, for its
// author to read over: the window, the pages, the packages of each language
// with their archives, shortcuts and registry files, and the programs run.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/author/distribution.h"

namespace author {

// Every text in UTF-8.
struct Summary {
  struct Shortcut {
    std::string name, target, arguments;
  };
  struct Archive {
    std::string name;
    int members = -1;  // -1 when it could not be read to its end
  };
  struct Package {
    int index = 0;
    std::string name, section, volume;
    bool required = false;
    int disk = 0;  // from 1; 0 when none of its archives is found
    int filesCount = 0;
    std::vector<Archive> archives;
    std::vector<Shortcut> shortcuts;
    std::vector<std::string> regFiles;
  };
  struct Language {
    std::string name;
    std::vector<Package> packages;
  };
  struct Program {
    std::string command, dir;
    bool wait = true;
  };

  bool read = false;  // false when setup.ini could not be read at all
  std::string programName, caption, installFolder, picture;
  std::vector<std::string> pages;
  bool supportUninstall = false, multiVolume = false, desktopIcon = false;
  std::vector<std::string> disks;
  std::vector<Language> languages;
  std::vector<Program> programs;
  std::vector<std::string> deletes;
};

Summary Summarize(const Distribution& d);
std::string SummaryText(const Summary& s);
std::string SummaryJson(const Summary& s);

}  // namespace author
