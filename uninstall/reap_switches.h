// The uninstaller's command line: the optional log path, the unattended
// modes and the account of the run, and the exit codes that report it.
#pragma once

#include <string>
#include <vector>

namespace reapcli {

enum class Mode { Interactive, Silent, VerySilent };

struct TReapSwitches {
  bool any = false;       // a switch was given
  std::string logPath;    // the first argument that is no switch; empty for the log beside the program
  Mode mode = Mode::Interactive;
  std::string account;    // /LOG
};

struct TParsedReapSwitches {
  TReapSwitches switches;
  std::string error;  // empty when the command line is sound
};

// Switches: /SILENT, /VERYSILENT, /LOG="file", any case, / or -. Arguments
// after the log path that are no switches are ignored, as they always were.
TParsedReapSwitches ParseReapSwitches(const std::vector<std::string>& arguments);

std::string UsageText();

inline constexpr int kRemoved = 0;
inline constexpr int kLogNotFound = 1;
inline constexpr int kBadCommandLine = 2;
inline constexpr int kStoppedBeforeRemoval = 3;  // a program run before the removal refused it
inline constexpr int kNotAllRemoved = 4;         // something stayed; the account lists it

}  // namespace reapcli
