// The setup program's command line: unattended modes, the choices the wizard
// would otherwise ask for, the account of the run and the answer files.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace setupcli {

enum class Mode { Wizard, Silent, VerySilent };

struct TSetupSwitches {
  bool any = false;   // the command line held at least one argument
  Mode mode = Mode::Wizard;
  bool help = false;  // /? or /HELP
  std::optional<std::string> dir;               // /DIR
  std::optional<std::vector<int>> components;   // /COMPONENTS, package numbers
  std::optional<bool> russian;                  // /LANG
  bool noDesktop = false;                       // /NODESKTOP
  bool noGroup = false;                         // /NOGROUP
  std::string log;      // /LOG
  std::string saveInf;  // /SAVEINF
  std::string loadInf;  // /LOADINF
};

struct TParsedSwitches {
  TSetupSwitches switches;
  // Empty when the command line is sound; otherwise what is wrong with it.
  std::string error;
};

// Switches are matched without regard to case, begin with / or -, and may
// come in any order; each may be given once. What could be read is kept
// even when the line is refused (so that /LOG and the silent modes still
// apply to the report of the refusal).
TParsedSwitches ParseSetupSwitches(const std::vector<std::string>& arguments);

// "0,2,3": package numbers, each once; nothing when the list is malformed.
// An empty list is sound: only the required packages are installed.
std::optional<std::vector<int>> ParseComponentList(std::string_view text);

// The packages to install: those listed and every required one. Nothing,
// with `error` set, when a number names no package.
std::optional<std::vector<bool>> ChoosePackages(const std::vector<int>& listed, const std::vector<bool>& required,
                                                std::string* error);

// The text of the message box that lists the switches.
std::string UsageText();

// Whether a mode shows no question (every question gets its safe answer).
inline bool Unattended(Mode mode) { return mode != Mode::Wizard; }

}  // namespace setupcli
