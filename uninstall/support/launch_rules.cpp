#include "uninstall/support/launch_rules.h"

#include "common/ansi.h"
#include "common/install_log.h"

namespace launch {

std::string LowerExtension(std::string_view path) {
  size_t name = path.find_last_of("\\/:");
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || (name != std::string_view::npos && dot < name)) return std::string();
  return ansi::LowerCase(path.substr(dot));
}

bool IsDirectlyStarted(std::string_view path) {
  std::string ext = LowerExtension(installlog::Dequote(path, '"'));
  return ext == ".exe" || ext == ".com" || ext == ".bat" || ext == ".pif" || ext == ".lnk";
}

std::string DirectCommandLine(std::string_view file, std::string_view parameters) {
  std::string line = "\"" + installlog::Dequote(file, '"') + "\" " + std::string(parameters);
  return std::string(ansi::Trim(line));
}

std::string WorkingFolder(std::string_view folder) {
  return std::string(ansi::Trim(installlog::Dequote(ansi::Trim(folder), '"')));
}

std::string UnregisterServerCommandLine(std::string_view serverPath) {
  return "\"" + std::string(serverPath) + "\" /UNREGSERVER";
}

}  // namespace launch
