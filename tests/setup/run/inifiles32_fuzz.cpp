// Any bytes as setup.ini or install.log: reading must never fail, and a value
// written must read back.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "common/ansi.h"
#include "common/file_io.h"
#include "setup/run/inifiles32.h"
#include "setup/run/setup_description.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/sowell-inifiles32-fuzz-" + std::to_string(getpid()) + ".ini";
  std::string bytes(reinterpret_cast<const char*>(data), size);
  fileio::ReplaceFileContents(path, bytes);
  TIniFile32 ini(path);
  TInst inst;
  LoadInstallSettings(ini, inst);
  LoadPackageList(ini);
  ChoosePackageSection(ini, 0, true);
  std::vector<std::string> values;
  ini.ReadSectionValues("Package0", &values);
  ini.ReadInteger("Package0", "FilesCount", 0);

  // A section and key taken from the input itself are written and read back.
  std::string section = bytes.substr(0, size % 7);
  std::string key = "k" + bytes.substr(size / 2, size % 5);

  // Lookups through the index answer as a scan of the lines does, for the
  // first header of the file and two keys taken from the input.
  const std::vector<std::string>& lines = ini.Lines();
  const std::string tail = bytes.substr(size / 3);
  for (const std::string& header : lines) {
    std::string_view wanted;
    if (!inifiles32::HeaderName(header, wanted)) continue;
    for (std::string_view probe : {std::string_view(key), inifiles32::KeyOfLine(tail)}) {
      size_t i = 0;
      std::string_view name;
      while (i < lines.size() && !(inifiles32::HeaderName(lines[i], name) && ansi::SameText(name, wanted))) ++i;
      std::string expected = "?";
      for (++i; i < lines.size() && !inifiles32::IsSectionHeader(lines[i]); ++i) {
        if (!probe.empty() && inifiles32::KeyOfLine(lines[i]) == probe) {
          std::string_view value = inifiles32::ValueOfLine(lines[i], probe);
          if (!value.empty()) expected = std::string(value);
          break;
        }
      }
      if (ini.ReadString(wanted, probe, "?") != expected) __builtin_trap();
    }
    break;
  }
  bool plainKey = ansi::Trim(key) == key && key.find_first_of("\r\n=") == std::string::npos;
  if (section.find_first_of("\r\n") == std::string::npos && plainKey) {
    ini.WriteString(section, key, "v");
    if (TIniFile32(path).ReadString(section, key, "") != "v") __builtin_trap();
    if (ini.ReadString(section, key, "") != "v") __builtin_trap();
  }
  std::remove(path.c_str());
  return 0;
}
