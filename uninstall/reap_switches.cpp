#include "uninstall/reap_switches.h"

#include "common/command_line.h"

namespace reapcli {

TParsedReapSwitches ParseReapSwitches(const std::vector<std::string>& arguments) {
  TParsedReapSwitches result;
  TReapSwitches& s = result.switches;
  bool modeGiven = false, logGiven = false, pathTaken = false;
  auto fail = [&](std::string text) {
    if (result.error.empty()) result.error = std::move(text);
  };
  for (const std::string& argument : arguments) {
    std::optional<cmdline::Switch> sw = cmdline::ParseSwitch(argument);
    if (!sw) {
      // The log path as it always was; later plain arguments never counted.
      if (!pathTaken) s.logPath = argument;
      pathTaken = true;
      continue;
    }
    s.any = true;
    if (sw->name == "SILENT" || sw->name == "VERYSILENT") {
      if (modeGiven) fail("/SILENT and /VERYSILENT: one mode, once");
      if (sw->hasValue) fail("/" + sw->name + " takes no value");
      modeGiven = true;
      s.mode = sw->name == "SILENT" ? Mode::Silent : Mode::VerySilent;
    } else if (sw->name == "LOG") {
      if (logGiven) fail("/LOG given twice");
      if (!sw->hasValue || sw->value.empty()) fail("/LOG needs a file: /LOG=\"file\"");
      logGiven = true;
      s.account = sw->value;
    } else {
      fail("Unknown switch: " + argument);
    }
  }
  return result;
}

std::string UsageText() {
  return "Reapwell [install.log] [/SILENT | /VERYSILENT] [/LOG=\"file\"]\n"
         "\n"
         "install.log\tthe installation log (default: the one beside the program)\n"
         "/SILENT\t\tno question; the progress window closes itself\n"
         "/VERYSILENT\tno window at all\n"
         "/LOG=\"file\"\tan account of the removal in a text file\n"
         "\n"
         "Exit codes: 0 removed; 1 log not found; 2 bad command line; "
         "3 stopped by a program run before the removal; 4 something could not be removed.";
}

}  // namespace reapcli
