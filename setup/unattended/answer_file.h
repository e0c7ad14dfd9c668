// The answer file of /SAVEINF and /LOADINF: the choices of one installation
// (folder, packages, language, shortcuts), so that an administrator records
// them once through the wizard and repeats them anywhere. The choices of a
// run come from the command line first, then the answer file, then the
// wizard's own defaults.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "setup/unattended/setup_switches.h"

namespace setupcli {

// What an answer file holds; a key it lacks is left to the defaults.
struct TAnswers {
  std::optional<std::string> dir;
  std::optional<std::vector<int>> components;  // the packages to install, by number
  std::optional<bool> russian;
  std::optional<bool> desktop;
  std::optional<bool> group;
  bool operator==(const TAnswers&) const = default;
};

// The file's text: section [Setup], CR LF, code page 1251 as the folder is.
std::string AnswerFileText(const TAnswers& answers);

// Reads an answer file. Nothing, with `error` set, when the file is missing,
// unreadable or holds a value that cannot be taken.
std::optional<TAnswers> ReadAnswerFile(const std::string& path, std::string* error);

// Writes it in one step. Throws EFCreateError.
void WriteAnswerFile(const std::string& path, const TAnswers& answers);

// The wizard's own starting choices.
struct TDefaults {
  std::string dir;  // InstallPath + InstallFolder
  bool desktop = false;  // CreateDesktopIcon
};

// The choices a run starts from: each from the command line when given
// there, else from the answer file, else the default. Components stay empty
// when neither names them (the full install type then chooses).
TAnswers ResolveChoices(const TSetupSwitches& switches, const TAnswers& file, const TDefaults& defaults);

}  // namespace setupcli
