// The values of the uninstall entry in the system's list of installed
// programs, worked out without the registry. The key itself is recorded in
// install.log, so the removal takes every value with it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TUninstallValue {
  std::string name;
  bool isNumber = false;  // REG_DWORD when true, REG_SZ otherwise
  std::string text;
  uint32_t number = 0;
  bool operator==(const TUninstallValue&) const = default;
};

struct TUninstallFacts {
  std::string programName;
  std::string installDir;  // ends with a backslash
  std::string version, publisher, url;  // [Install] Version, Publisher, URL; may be empty
  int year = 0, month = 0, day = 0;     // the local date of the installation
};

// The values known when the uninstaller is deployed, in writing order:
// DisplayName, UninstallString, QuietUninstallString, InstallLocation,
// InstallDate, NoModify, NoRepair, then DisplayVersion, Publisher and
// URLInfoAbout for the [Install] keys that are given.
std::vector<TUninstallValue> UninstallEntryValues(const TUninstallFacts& facts);

// The values known once the packages are in: DisplayIcon (the uninstaller,
// unless a package's shortcut names the product's program) and
// EstimatedSize (kilobytes of the extracted files, rounded up).
std::vector<TUninstallValue> UninstallEntryLateValues(const TUninstallFacts& facts, std::string_view shortcutTarget,
                                                      uint64_t extractedBytes);

std::string InstallDateText(int year, int month, int day);  // YYYYMMDD
uint32_t KilobytesOf(uint64_t bytes);
