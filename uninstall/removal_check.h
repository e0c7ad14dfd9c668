// What a removal left of what the log names, for the exit code and the
// account of an unattended removal: read before the removal (the log goes
// with it), looked at afterwards through probes of the system.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace removalcheck {

struct TRegValue {
  std::string key;
  std::string name;
};

// The items of the log the removal must take away, as the steps name them.
// Records no step may act on (masks, relative or hostile paths, the keys the
// system shares) are left out.
struct TRecorded {
  std::vector<std::string> files;      // CopyFiles
  std::vector<std::string> shortcuts;  // Shortcuts, as the .lnk file the step deletes
  std::vector<std::string> folders;    // CreateDirs, deepest first
  std::vector<TRegValue> values;       // AddReg
  std::vector<std::string> keys;       // CreateKeys, deepest first
};

TRecorded FromSections(const std::vector<std::string>& copyFiles, const std::vector<std::string>& shortcuts,
                       const std::vector<std::string>& createDirs, const std::vector<std::string>& addReg,
                       const std::vector<std::string>& createKeys);

struct TProbes {
  std::function<bool(const std::string& path)> fileExists;
  std::function<bool(const std::string& path)> folderExists;
  std::function<bool(const std::string& path)> folderEmpty;
  std::function<bool(const std::string& key, const std::string& name)> valueExists;
  std::function<bool(const std::string& key)> keyExists;
  std::function<bool(const std::string& key)> keyEmpty;  // no values, no subkeys
};

struct TFinding {
  std::string text;
  bool failure = false;  // something the removal should have taken is still there
};

// One finding per item: "removed: ..." for each that is gone, and for each
// still there why. A folder or key that holds what the log never named is
// kept by design and is no failure; so are the shared files the user (or the
// unattended safe answer) kept, and the running program's folder and the
// folders above it, which its self-deletion takes later.
std::vector<TFinding> Outcome(const TRecorded& recorded, const TProbes& probes,
                                const std::vector<std::string>& keptSharedFiles, const std::string& programFolder);

}  // namespace removalcheck
