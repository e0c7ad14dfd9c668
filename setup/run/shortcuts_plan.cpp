#include "setup/run/shortcuts_plan.h"

#include <exception>

#include "common/run_account.h"

#include "setup/run/install_records.h"
#include "setup/run/macros.h"

std::vector<TShortcutItem> ReadPackageShortcuts(const TIniFile32& ini, const std::string& section,
                                                std::string_view installDir, std::string_view sourcePath) {
  std::vector<TShortcutItem> items;
  for (int k = 0;; ++k) {
    std::string n = std::to_string(k);
    TShortcutItem item;
    item.Link = ExpandMacros(ini.ReadString(section, "Ico_Link" + n, ""), installDir, sourcePath);
    if (item.Link.empty()) break;
    item.Name = ini.ReadString(section, "Ico_Name" + n, "");
    std::string workDir = ini.ReadString(section, "Ico_WDir" + n, "");
    item.WorkDir = workDir.empty() ? std::string(installDir) : ExpandMacros(workDir, installDir, sourcePath);
    item.Arguments = ini.ReadString(section, "Ico_Argu" + n, "");
    item.Description = ini.ReadString(section, "Ico_Desc" + n, "");
    item.IconFile = ExpandMacros(ini.ReadString(section, "Ico_File" + n, ""), installDir, sourcePath);
    items.push_back(std::move(item));
  }
  return items;
}

std::string DesktopLinkPath(const TInst& inst, std::string_view name) {
  return inst.DesktopDir + "\\" + std::string(name);
}

std::string ProgramGroupDir(const TInst& inst) { return inst.ProgramsDir + "\\" + inst.ProgramName; }

std::string ProgramGroupLinkPath(const TInst& inst, std::string_view name) {
  return ProgramGroupDir(inst) + "\\" + std::string(name);
}

void MakePackageShortcuts(const std::vector<TShortcutItem>& items, const TInst& inst, bool desktop,
                          bool programGroup, TIniFile32* log, const TShortcutActions& actions) {
  using installrecords::Intend;
  using installrecords::Write;
  for (const TShortcutItem& item : items) {
    // Each item is announced before it is made (a kill in between leaves
    // nothing unrecorded) and put on record once it exists.
    if (desktop) {
      try {
        std::string link = DesktopLinkPath(inst, item.Name);
        Intend(log, installlog::ShortcutRecord(link));
        actions.CreateShortcut(item, link);
        Write(log, installlog::ShortcutRecord(link));
        runaccount::Note("Ярлык: " + link);
      } catch (const std::exception&) {
      }
    }
    if (programGroup) {
      try {
        std::string group = ProgramGroupDir(inst);
        if (log) log->Intend(installlog::kCreateDirs, group, "");
        // Folders above the group that had to be made are the installation's too.
        for (const std::string& made : actions.CreateFolders(group)) {
          if (made != group) Write(log, installlog::CreateDirRecord(made));
        }
        Write(log, installlog::CreateDirRecord(group));
        std::string link = ProgramGroupLinkPath(inst, item.Name);
        Intend(log, installlog::ShortcutRecord(link));
        actions.CreateShortcut(item, link);
        Write(log, installlog::ShortcutRecord(link));
        runaccount::Note("Ярлык: " + link);
      } catch (const std::exception&) {
      }
    }
  }
}
