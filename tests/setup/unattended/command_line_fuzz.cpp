// Any bytes as the command line of either program: splitting and both
// parsers must never fail, and a sound setup command line must carry only
// values that its own rules accept.
#include <cstdint>
#include <string>

#include "common/command_line.h"
#include "setup/unattended/setup_switches.h"
#include "uninstall/reap_switches.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> args = cmdline::ArgumentsAfterProgram(line);
  for (const std::string& a : args) {
    if (a.find_first_of(" \t") != std::string::npos && line.find('"') == std::string::npos) __builtin_trap();
  }
  setupcli::TParsedSwitches setup = setupcli::ParseSetupSwitches(args);
  if (setup.error.empty()) {
    const setupcli::TSetupSwitches& s = setup.switches;
    if (s.help) __builtin_trap();
    if (s.dir && s.dir->empty()) __builtin_trap();
    if (s.components) {
      for (int n : *s.components) {
        if (n < 0 || n > 9999) __builtin_trap();
      }
      std::vector<bool> required(3, false);
      std::string error;
      setupcli::ChoosePackages(*s.components, required, &error);
    }
  }
  reapcli::TParsedReapSwitches reap = reapcli::ParseReapSwitches(args);
  if (reap.error.empty() && !reap.switches.account.empty() && reap.switches.account.size() > line.size()) {
    __builtin_trap();
  }
  return 0;
}
