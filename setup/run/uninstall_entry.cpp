#include "setup/run/uninstall_entry.h"

#include <cstdio>

#include "common/install_log.h"
#include "setup/run/uninstaller_texts.h"

namespace {

TUninstallValue Text(std::string name, std::string text) { return {std::move(name), false, std::move(text), 0}; }
TUninstallValue Number(std::string name, uint32_t number) { return {std::move(name), true, {}, number}; }

}  // namespace

std::string InstallDateText(int year, int month, int day) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d%02d%02d", year % 10000, month % 100, day % 100);
  return buf;
}

uint32_t KilobytesOf(uint64_t bytes) {
  const uint64_t kb = bytes / 1024 + (bytes % 1024 ? 1 : 0);
  return kb > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(kb);
}

std::vector<TUninstallValue> UninstallEntryValues(const TUninstallFacts& f) {
  const std::string uninstaller = UninstallerPath(f.installDir);
  std::vector<TUninstallValue> values = {
      Text("DisplayName", f.programName),
      Text("UninstallString", UninstallCommand(uninstaller)),
      Text("QuietUninstallString", UninstallCommand(uninstaller) + " /SILENT"),
      Text("InstallLocation", installlog::RemoveTrailingBackslash(f.installDir)),
      Text("InstallDate", InstallDateText(f.year, f.month, f.day)),
      Number("NoModify", 1),
      Number("NoRepair", 1),
  };
  if (!f.version.empty()) values.push_back(Text("DisplayVersion", f.version));
  if (!f.publisher.empty()) values.push_back(Text("Publisher", f.publisher));
  if (!f.url.empty()) values.push_back(Text("URLInfoAbout", f.url));
  return values;
}

std::vector<TUninstallValue> UninstallEntryLateValues(const TUninstallFacts& f, std::string_view shortcutTarget,
                                                      uint64_t extractedBytes) {
  std::string icon = shortcutTarget.empty() ? f.installDir + "Reapwell.exe" : std::string(shortcutTarget);
  return {Text("DisplayIcon", std::move(icon)), Number("EstimatedSize", KilobytesOf(extractedBytes))};
}
