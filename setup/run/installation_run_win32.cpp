#include "setup/run/installation_run.h"

#include <windows.h>
#include <objbase.h>

#include <memory>

#include "common/file_io.h"
#include "common/install_log.h"
#include "common/run_account.h"
#include "common/win32_handles.h"
#include "setup/run/inifiles32.h"
#include "setup/run/install_records.h"
#include "setup/regfile/regfile_import.h"
#include "setup/run/run_plan.h"
#include "setup/run/shortcuts.h"
#include "setup/run/shortcuts_plan.h"
#include "setup/run/system_utils.h"
#include "setup/run/uninstaller_deployment.h"
#include "setup/wizard/wizard_texts.h"

namespace {

// The description is read again from the disk that is in the drive now.
std::unique_ptr<TIniFile32> OpenDescription(const TInst& inst) {
  return std::make_unique<TIniFile32>(inst.SourcePath + "setup.ini");
}

using fileio::FileExists;

// Asks for a disk until `marker` is there or the user gives up; giving up
// means going on with what is in the drive. False when the user gave up.
bool WaitForDisk(TRunWindow& window, const std::string& marker, const std::string& prompt) {
  while (!FileExists(marker)) {
    if (!window.AskOkCancel(prompt, kAttentionCaption)) return false;
  }
  return true;
}

// False when an archive of the package was skipped or could not be read to its
// end: the package is then installed only in part, and the run must not end
// as if everything were there.
bool InstallPackage(TInst& inst, TRAR& rar, TExtractionHandlers& handlers, TRunWindow& window,
                    std::unique_ptr<TIniFile32>& setupIni, int index, bool russian,
                    const std::string& installDir, TIniFile32* log) {
  const std::string section = ChoosePackageSection(*setupIni, index, russian);
  const std::string packageName = setupIni->ReadString("Packages", "Package" + std::to_string(index), "");
  runaccount::Note("Компонент " + std::to_string(index) + " \"" + packageName + "\" (раздел " + section + ")");
  bool complete = true;
  for (int k = 0;; ++k) {
    const std::string pakName = setupIni->ReadString(section, "Pak" + std::to_string(k), "");
    const std::string volumeName = setupIni->ReadString(section, "Volume", "");
    if (pakName.empty()) break;
    if (inst.MultiVolume) {
      setupIni.reset();
      const bool inserted =
          WaitForDisk(window, inst.SourcePath + pakName, InsertDiskPrompt(volumeName, inst.SupportUninstall));
      setupIni = OpenDescription(inst);
      // The user chose to go on without this disk: nothing to read, nothing to say.
      if (!inserted && !FileExists(inst.SourcePath + pakName)) {
        if (inst.Quiet) throw EPackageFailed("Нет диска \"" + volumeName + "\" с архивом " + pakName);
        complete = false;
        continue;
      }
    }
    rar.ArchiveName = inst.SourcePath + pakName;
    runaccount::Note("Архив: " + rar.ArchiveName);
    rar.Extract();
    // The window shows the last member and the progress as they ended.
    handlers.Refresh();
    if (rar.EndCode() != 0) {
      complete = false;
      const std::string text = ArchiveCutShortText(rar.ArchiveName, packageName, rar.EndCode());
      window.ShowWarning(text, kAttentionCaption);
      if (inst.Quiet) throw EPackageFailed(text);
    }
  }
  rar.ArchiveName.clear();
  CreatePackageShortcuts(*setupIni, section, inst, installDir, window.DesktopShortcuts(),
                         window.ProgramShortcuts(), log);
  ImportPackageRegFiles(*setupIni, section, inst, installDir, log);
  // A checkpoint: the package's records go into the log itself, whole.
  if (log) log->Checkpoint();
  return complete;
}

void StartPrograms(const TIniFile32& setupIni, const std::string& installDir, const TInst& inst) {
  for (const TRunAppEntry& app : ReadRunApps(setupIni, installDir, inst.SourcePath)) {
    SetCurrentDirectoryA(app.Dir.c_str());
    runaccount::Note("Запуск: " + app.App + " (в каталоге " + app.Dir + ")");
    try {
      if (app.Wait) {
        const uint32_t code = ExecuteAndWait(app.App, SW_SHOWNORMAL);
        runaccount::Note("Программа завершилась с кодом " + std::to_string(code));
      } else if (!StartProgram(app.App, SW_SHOWNORMAL)) {
        runaccount::Note("Программа не запустилась");
      }
    } catch (...) {
    }
  }
}

// The product's program, for the icon of the uninstall entry: the target of
// the first shortcut a chosen package names.
std::string FirstShortcutTarget(const TIniFile32& setupIni, const TInst& inst, const std::vector<bool>& checked,
                                bool russian, const std::string& installDir) {
  for (size_t i = 0; i < checked.size(); ++i) {
    if (!checked[i]) continue;
    const std::string section = ChoosePackageSection(setupIni, static_cast<int>(i), russian);
    std::vector<TShortcutItem> items = ReadPackageShortcuts(setupIni, section, installDir, inst.SourcePath);
    if (!items.empty()) return items.front().Link;
  }
  return {};
}

}  // namespace

void RunInstallation(TInst& inst, TRAR& rar, TExtractionHandlers& handlers, TRunWindow& window) {
  window.SetHeader(wizard_text::kInstallingTitle);
  const std::string installDir = InstallDirFrom(window.InstallFolderText());
  if (installDir.empty()) throw EEmptyInstallFolder();

  std::unique_ptr<TIniFile32> setupIni = OpenDescription(inst);
  const std::vector<bool> checked = window.CheckedPackages();
  const bool russian = window.RussianChosen();
  inst.TotalFiles = CountTotalFiles(*setupIni, checked, russian);
  window.ResetTotalProgress();
  inst.DoneFiles = 0;

  // The shell link objects of the shortcuts need it.
  win32::ComScope com;
  runaccount::Note("Каталог установки: " + installDir);
  std::vector<std::string> createdFolders = ForceFolders(installDir);
  for (const std::string& folder : createdFolders) runaccount::Note("Создан каталог: " + folder);
  // The wizard never checked it; a caller that reads the exit code must hear of it at once.
  if (inst.ReportsExitCodes) {
    const DWORD attributes = GetFileAttributesA(installDir.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      throw EInstallFolderRefused(installDir);
    }
  }
  rar.TargetDir = ToOemCodePage(installDir);

  std::unique_ptr<TIniFile32> log;
  TDeployment deployment;
  if (inst.SupportUninstall) {
    log = std::make_unique<TIniFile32>(installDir + std::string(installlog::kLogFileName));
    // Every record is appended to the journal beside the log; the log itself
    // is saved whole at the checkpoints. A journal a killed run left is folded in.
    log->UseJournal();
    // On record before anything is made in them; the records of the saved log
    // still come in their usual order, later.
    for (const std::string& folder : createdFolders) {
      if (folder + "\\" != installDir && installlog::PathRecordReadsBack(folder)) {
        log->Intend(installlog::kCreateDirs, folder, "");
      }
    }
    log->Intend(installlog::kCreateDirs, installDir, "");
    deployment = DeployUninstaller(inst, installDir, *log);
    WriteUninstallerTexts(inst, *log);
    installrecords::Write(log.get(), installlog::CreateDirRecord(installDir));
    // The folders above the install folder that this run made are its own too,
    // so that the removal leaves the disk as it found it.
    createdFolders.insert(createdFolders.end(), deployment.CreatedFolders.begin(),
                          deployment.CreatedFolders.end());
    for (const std::string& folder : createdFolders) {
      if (folder + "\\" == installDir || !installlog::PathRecordReadsBack(folder)) continue;
      installrecords::Write(log.get(), installlog::CreateDirRecord(folder));
    }
  }
  handlers.InstallDir = installDir;
  handlers.Log = log.get();

  const int failedBefore = handlers.FailedMembers();
  const uint64_t bytesBefore = handlers.ExtractedBytes();
  bool complete = true;
  try {
    for (size_t i = 0; i < checked.size(); ++i) {
      if (!checked[i]) continue;
      complete &= InstallPackage(inst, rar, handlers, window, setupIni, static_cast<int>(i), russian, installDir,
                                 log.get());
    }
  } catch (const EPackageFailed&) {
    // The run ends here; what it made so far stays on record.
    handlers.Log = nullptr;
    if (log) log->Checkpoint();
    throw;
  }
  // Members the user went on past are not installed either.
  complete &= handlers.FailedMembers() == failedBefore;
  if (deployment.EntryCreated) {
    CompleteUninstallEntry(inst, installDir, FirstShortcutTarget(*setupIni, inst, checked, russian, installDir),
                           handlers.ExtractedBytes() - bytesBefore);
  }

  handlers.Log = nullptr;
  // The last checkpoint, before any program of [RunApp] starts.
  if (log) log->Checkpoint();
  log.reset();
  if (inst.MultiVolume) {
    WaitForDisk(window, FirstDiskMarker(inst.SourcePath), FirstDiskPrompt());
    setupIni = OpenDescription(inst);
  }

  StartPrograms(*setupIni, installDir, inst);
  for (const std::string& file : ReadDelFiles(*setupIni, installDir, inst.SourcePath)) {
    if (FileExists(file)) {
      const bool deleted = DeleteFileA(file.c_str());
      runaccount::Note((deleted ? "Удалён файл: " : "Не удаётся удалить файл: ") + file);
    }
  }

  window.CompleteTotalProgress();
  runaccount::Note(complete ? "Установка завершена" : "Установка завершена не полностью");
  window.SetHeader(complete ? wizard_text::kFinishedTitle : wizard_text::kIncompleteTitle);
  window.ShowFinish(complete);
}
