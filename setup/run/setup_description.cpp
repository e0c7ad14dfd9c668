#include "setup/run/setup_description.h"

std::string BuildPageSequence(const TIniFile32& ini) {
  struct Switch {
    const char* key;
    char page;
  };
  static constexpr Switch kSwitches[] = {
      {"Wellcome", '0'}, {"Path", '1'}, {"Custom", '2'},
      {"Languge", '4'},  {"IconType", '5'}, {"Start", '6'},
  };
  std::string sequence;
  for (const Switch& s : kSwitches) {
    if (ini.ReadBool("Dialogs", s.key, true)) sequence += s.page;
  }
  // The component page "3" is only a branch of the install-type page.
  sequence += '7';
  return sequence;
}

void LoadInstallSettings(const TIniFile32& ini, TInst& inst) {
  inst.PageSequence = BuildPageSequence(ini);
  inst.ProgramName = ini.ReadString("Install", "ProgramName", "");
  inst.InstallPath = ini.ReadString("Install", "InstallPath", "");
  inst.InstallFolder = ini.ReadString("Install", "InstallFolder", "");
  inst.InstallPicture = ini.ReadString("Install", "InstallPicture", "");
  inst.SupportUninstall = ini.ReadBool("Install", "SupportUninstall", true);
  inst.MultiVolume = ini.ReadBool("Install", "MultiVolume", false);
  inst.CreateDesktopIcon = ini.ReadBool("Install", "CreateDesktopIcon", false);
  inst.Version = ini.ReadString("Install", "Version", "");
  inst.Publisher = ini.ReadString("Install", "Publisher", "");
  inst.URL = ini.ReadString("Install", "URL", "");
}

std::vector<std::string> ReadNumberedKeys(const TIniFile32& ini, const std::string& section,
                                          const std::string& prefix) {
  std::vector<std::string> values;
  for (int i = 0;; ++i) {
    std::string value = ini.ReadString(section, prefix + std::to_string(i), "");
    if (value.empty()) break;
    values.push_back(std::move(value));
  }
  return values;
}

std::vector<TPackageItem> LoadPackageList(const TIniFile32& ini) {
  std::vector<TPackageItem> packages;
  std::vector<std::string> names = ReadNumberedKeys(ini, "Packages", "Package");
  for (size_t i = 0; i < names.size(); ++i) {
    TPackageItem item;
    item.Name = std::move(names[i]);
    item.Required = ini.ReadBool("Package" + std::to_string(i), "Main", false);
    packages.push_back(std::move(item));
  }
  return packages;
}

std::string ChoosePackageSection(const TIniFile32& ini, int index, bool russian) {
  std::string section = "Package" + std::to_string(index);
  if (russian) {
    std::vector<std::string> entries;
    ini.ReadSectionValues(section + ".RUS", &entries);
    if (entries.size() > 2) section += ".RUS";
  }
  return section;
}

std::string SourceFolderOf(const std::string& programPath) {
  size_t slash = programPath.find_last_of("\\/:");
  std::string folder = slash == std::string::npos ? std::string() : programPath.substr(0, slash + 1);
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}
