#include "setup/run/uninstaller_deployment.h"

#include <windows.h>

#include <stdexcept>

#include "common/install_log.h"
#include "common/run_account.h"
#include "common/win32_handles.h"
#include "setup/run/uninstall_entry.h"
#include "setup/run/shortcuts.h"
#include "setup/run/system_utils.h"
#include "setup/run/uninstaller_texts.h"

namespace {

void WriteRecord(TIniFile32& log, const installlog::Record& record) {
  log.WriteString(record.section, record.key, record.value);
}

void Intend(TIniFile32& log, const installlog::Record& record) { log.Intend(record.section, record.key, record.value); }

void SetValue(HKEY key, const TUninstallValue& value) {
  LONG rc;
  if (value.isNumber) {
    DWORD number = value.number;
    rc = RegSetValueExA(key, value.name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  } else {
    rc = RegSetValueExA(key, value.name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.text.c_str()),
                        static_cast<DWORD>(value.text.size() + 1));
  }
  if (rc != ERROR_SUCCESS) throw std::runtime_error("Cannot write the registry value " + value.name);
  runaccount::Note("Список установленных программ: " + value.name + "=" +
                   (value.isNumber ? std::to_string(value.number) : value.text));
}

TUninstallFacts FactsOf(const TInst& inst, const std::string& installDir) {
  TUninstallFacts facts;
  facts.programName = inst.ProgramName;
  facts.installDir = installDir;
  facts.version = inst.Version;
  facts.publisher = inst.Publisher;
  facts.url = inst.URL;
  SYSTEMTIME now;
  GetLocalTime(&now);
  facts.year = now.wYear;
  facts.month = now.wMonth;
  facts.day = now.wDay;
  return facts;
}

}  // namespace

void SaveResourceToFile(const char* resourceName, const std::string& fileName) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, resourceName, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) throw std::runtime_error(std::string("Resource ") + resourceName + " not found");
  DWORD size = SizeofResource(module, found);
  win32::UniqueFile file(
      CreateFileA(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw std::runtime_error("Cannot create file " + fileName);
  DWORD written = 0;
  bool ok = WriteFile(file.get(), data, size, &written, nullptr) && written == size;
  // The last write can fail only when the handle closes.
  ok = file.close() && ok;
  if (!ok) {
    DeleteFileA(fileName.c_str());
    throw std::runtime_error("Cannot write file " + fileName);
  }
}

TDeployment DeployUninstaller(const TInst& inst, const std::string& installDir, TIniFile32& log) {
  TDeployment result;
  try {
    const std::string uninstaller = UninstallerPath(installDir);
    const std::string shortcut = UninstallShortcutPath(inst.ProgramsDir, inst.ProgramName);
    SaveResourceToFile("Reapwellexe", uninstaller);
    runaccount::Note("Программа удаления: " + uninstaller);

    // /NOGROUP leaves the program group alone altogether.
    if (!inst.ProgramName.empty() && !inst.NoUninstallShortcut) {
      // Made when missing, so that the uninstall shortcut can be saved on a first installation.
      const std::string group = inst.ProgramsDir + "\\" + inst.ProgramName;
      Intend(log, installlog::CreateDirRecord(group));
      result.CreatedFolders = ForceFolders(group);
    }
    if (!inst.NoUninstallShortcut) {
      // Each item is on record before it is made, so that a kill leaves nothing unrecorded.
      Intend(log, installlog::ShortcutRecord(shortcut));
      CreateShortcut(uninstaller, shortcut, installDir, "", "", "");
      WriteRecord(log, installlog::ShortcutRecord(shortcut));
      runaccount::Note("Ярлык: " + shortcut);
    }

    // Without a product name the key would be the Uninstall key itself.
    if (inst.ProgramName.empty()) return result;
    const installlog::Record keyRecord = installlog::CreateKeyRecord(UninstallKeyLogPath(inst.ProgramName));
    Intend(log, keyRecord);
    win32::UniqueKey key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, UninstallKeyPath(inst.ProgramName).c_str(), 0, nullptr, 0,
                        KEY_WRITE, nullptr, key.out(), nullptr) != ERROR_SUCCESS) {
      log.Retract(keyRecord.section, keyRecord.key);
    } else {
      WriteRecord(log, keyRecord);
      result.EntryCreated = true;
      runaccount::Note("Раздел реестра: " + keyRecord.key);
      // Every value goes with the key when the installation is removed.
      for (const TUninstallValue& value : UninstallEntryValues(FactsOf(inst, installDir))) SetValue(key.get(), value);
    }
  } catch (const std::exception& e) {
    runaccount::Note(std::string("Ошибка при установке программы удаления: ") + e.what());
    // The installation goes on without an uninstaller, as it would on a medium
    // where the uninstaller cannot be written.
  } catch (...) {
    // The installation goes on without an uninstaller, as it would on a medium
    // where the uninstaller cannot be written.
  }
  return result;
}

void CompleteUninstallEntry(const TInst& inst, const std::string& installDir, const std::string& shortcutTarget,
                            uint64_t extractedBytes) {
  win32::UniqueKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallKeyPath(inst.ProgramName).c_str(), 0, KEY_WRITE, key.out()) !=
      ERROR_SUCCESS) {
    runaccount::Note("Раздел списка установленных программ не открывается");
    return;
  }
  try {
    for (const TUninstallValue& value :
         UninstallEntryLateValues(FactsOf(inst, installDir), shortcutTarget, extractedBytes)) {
      SetValue(key.get(), value);
    }
  } catch (const std::exception& e) {
    runaccount::Note(e.what());
  }
}

void WriteUninstallerTexts(const TInst& inst, TIniFile32& log) {
  WriteRecord(log, installlog::CharsetRecord(installlog::kCyrillicCharset));
  const auto texts = UninstallerTexts(inst.ProgramName);
  for (int i = 0; i < IDS_COUNT; ++i) {
    WriteRecord(log, installlog::StringRecord(i + 1, texts[static_cast<size_t>(i)]));
  }
}
