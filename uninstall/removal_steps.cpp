#include "uninstall/removal_steps.h"

#include <shellapi.h>

#include <algorithm>

#include "common/ansi.h"
#include "common/install_log.h"
#include "common/log_journal.h"
#include "common/process.h"
#include "common/timing.h"
#include "uninstall/removal_rules.h"
#include "uninstall/support/com_process.h"
#include "uninstall/support/path_identity.h"
#include "uninstall/support/reg_path.h"
#include "uninstall/support/support.h"

using installlog::EntryPath;
using installlog::EntryValue;

namespace {

// Folders (16) and volume labels (8) are never deleted by a file record.
constexpr uint32_t kNotFiles = FILE_ATTRIBUTE_DIRECTORY | 8;

const char kSharedDllsKey[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\\";
const char kFontsKey9x[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts\\";
const char kFontsKeyNT[] = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts\\";

using installlog::RemovalStage;

void LoadSection(RemovalContext& c, std::string_view name) {
  TIMED("reap: read a section of the log");
  c.sectionLines.clear();
  IniReadSectionValues(c.logPath, name, c.sectionLines);
}

// Loads the stage's section and, when it has lines, shows its status line.
bool BeginStep(RemovalContext& c, const RemovalStage& stage) {
  LoadSection(c, stage.section);
  if (c.sectionLines.empty()) return false;
  c.ui->AddStatusLine(MessageText(stage.statusText));
  return true;
}

void EndStep(RemovalContext& c) { c.ui->CompleteStatusLine("ok"); }

// The log and the journal a killed installation may have left beside it.
void DeleteLog(RemovalContext& c) {
  DeleteFileForce(c.logPath);
  DeleteFileForce(journal::PathFor(c.logPath));
}

bool IsWindows9x() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

// The files of CopyFiles, resolved once per step that asks: a font or COM
// server registration is undone only for a file this installation made, or a
// hostile log could unregister the system's own.
class InstalledFiles {
 public:
  explicit InstalledFiles(RemovalContext& c) : c_(c) {}

  bool Contains(const std::string& longFile) {
    if (!loaded_) Load();
    pathspell::FolderAndName f = pathspell::SplitLast(longFile);
    for (const std::string& file : files_) {
      if (ansi::SameText(file, longFile)) return true;
    }
    for (const pathid::FileTarget& mask : masks_) {
      if (ansi::SameText(mask.folder, f.folder) && pathspell::MaskMatches(mask.name, f.name)) return true;
    }
    return false;
  }

 private:
  void Load() {
    loaded_ = true;
    std::vector<std::string> lines;
    IniReadSectionValues(c_.logPath, installlog::kCopyFiles, lines);
    for (const std::string& line : lines) {
      std::string path = EntryPath(line);
      if (!removal::IsRemovablePath(path)) continue;
      std::optional<pathid::FileTarget> target = c_.paths.File(path);
      if (!target) continue;
      if (target->mask) {
        masks_.push_back(*target);
      } else {
        files_.push_back(c_.paths.ExistingFile(path).value_or(target->Path()));
      }
    }
  }

  RemovalContext& c_;
  bool loaded_ = false;
  std::vector<std::string> files_;
  std::vector<pathid::FileTarget> masks_;
};

// The resolved file of a font or COM server record, when it is one of this
// installation's files; wildcards and streams name none.
std::optional<std::string> InstalledFile(RemovalContext& c, InstalledFiles& installed, const std::string& path) {
  if (!removal::IsRemovablePath(path) || removal::HasWildcards(path)) return std::nullopt;
  std::optional<pathid::FileTarget> target = c.paths.File(path);
  if (!target || target->mask) return std::nullopt;
  std::string file = c.paths.ExistingFile(path).value_or(target->Path());
  if (!installed.Contains(file)) return std::nullopt;
  return file;
}

// The running program's folder in long form.
std::optional<std::string> ProgramFolder(RemovalContext& c) {
  std::optional<std::string> full = pathid::FullPathOf(process::ProgramFilePath());
  if (!full) return std::nullopt;
  return c.paths.LongFolder(pathspell::SplitLast(*full).folder);
}

// A record that fails must not end the run; the step goes on with the next one.
template <typename F>
void Guarded(F&& f) {
  try {
    f();
  } catch (...) {
  }
}

}  // namespace

std::vector<std::string> SystemProtectedFolders() {
  char buf[MAX_PATH + 1] = {};
  std::vector<std::string> folders;
  if (GetWindowsDirectoryA(buf, MAX_PATH)) folders.emplace_back(buf);
  if (GetSystemDirectoryA(buf, MAX_PATH)) folders.emplace_back(buf);
  return folders;
}

int RunLoggedProgram(RemovalContext& c, const std::string& record) {
  installlog::ProgramRecord program = installlog::ParseProgramRecord(record);
  if (program.file.empty() || GetFileAttributesA(program.file.c_str()) == INVALID_FILE_ATTRIBUTES) return 0;
  if (!program.message.empty()) c.ui->AddStatusLine(program.message);
  if (program.wait) {
    return RunAndWait(c.ui->Owner(), program.file, program.parameters, program.showCommand, program.folder);
  }
  INT_PTR result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(c.ui->Owner(), nullptr, program.file.c_str(), program.parameters.c_str(),
                    program.folder.empty() ? nullptr : program.folder.c_str(), program.showCommand));
  // The shell reports success as a value above 32. A program that is not
  // waited for has no say; only a failed start counts as a refusal.
  return result > 32 ? 0 : -1;
}

namespace {

bool PreRunAppStep(RemovalContext& c, const RemovalStage& stage) {
  LoadSection(c, stage.section);
  for (const std::string& record : installlog::StageObjects(stage, c.sectionLines)) {
    if (RunLoggedProgram(c, record) != 0) return false;
  }
  return true;
}

void SharedFilesStep(RemovalContext& c, const RemovalStage& stage) {
  c.keptSharedFiles.clear();
  IniReadSectionValues(c.logPath, stage.section, c.keptSharedFiles);
  if (c.keptSharedFiles.empty()) return;
  c.ui->AddStatusLine(MessageText(stage.statusText));
  LoadSection(c, installlog::kCopyFiles);
  const removal::PathSet installed = removal::EntryPathSet(c.sectionLines);
  int answer = 0;
  // The lines of the files that stay; a file the user lets go leaves the list,
  // so that the file step deletes it.
  std::vector<std::string> kept;
  for (std::string& line : c.keptSharedFiles) {
    std::string path = installlog::StageObject(stage, line);
    if (path.empty() || !installed.Contains(path)) {
      kept.push_back(std::move(line));
      continue;
    }
    int counter = RegPathReadInteger(kSharedDllsKey, path, 1);
    switch (removal::DecideSharedFile(counter, answer)) {
      case removal::SharedFileAction::DecrementAndKeep:
        RegPathWriteInteger(kSharedDllsKey, path, counter - 1);
        kept.push_back(std::move(line));
        continue;
      case removal::SharedFileAction::Ask:
        answer = c.ui->AskSharedFile(path);
        break;
      case removal::SharedFileAction::Remove:
      case removal::SharedFileAction::Keep:
        break;
    }
    if (removal::AnswerRemoves(answer)) {
      RegPathDeleteValue(kSharedDllsKey, path);
    } else {
      kept.push_back(std::move(line));
    }
  }
  c.keptSharedFiles = std::move(kept);
  EndStep(c);
}

void ShortcutsStep(RemovalContext& c, const RemovalStage& stage) {
  if (!BeginStep(c, stage)) return;
  for (const std::string& path : installlog::StageObjects(stage, c.sectionLines)) {
    if (!removal::IsRemovablePath(path) || removal::HasWildcards(path)) continue;
    std::optional<pathid::FileTarget> shortcut = c.paths.File(path);
    if (!shortcut || shortcut->mask) continue;
    DeleteFileForce(removal::ChangeFileExt(shortcut->Path(), ".lnk"));
    DeleteFileForce(removal::ChangeFileExt(shortcut->Path(), ".pif"));
  }
  EndStep(c);
}

void IniStep(RemovalContext& c, const RemovalStage& stage) {
  if (!BeginStep(c, stage)) return;
  for (const std::string& name : installlog::StageObjects(stage, c.sectionLines)) {
    installlog::IniEntryRecord entry = installlog::ParseIniEntryRecord(name);
    if (entry.file.empty() || entry.section.empty() || entry.entry.empty()) continue;
    Guarded([&] { IniDeleteKey(entry.file, entry.section, entry.entry); });
  }
  Guarded([] { IniCloseAll(); });
  EndStep(c);
}

void FontsStep(RemovalContext& c, const RemovalStage& stage) {
  if (!BeginStep(c, stage)) return;
  const char* fontsKey = IsWindows9x() ? kFontsKey9x : kFontsKeyNT;
  const std::string fontsFolder = pathid::FontsFolder();
  const removal::PathSet kept = removal::KeptSharedFileSet(c.keptSharedFiles);
  InstalledFiles installed(c);
  for (const std::string& line : c.sectionLines) {
    std::string file = EntryValue(line);
    if (kept.Contains(file)) continue;
    if (!InstalledFile(c, installed, removal::FontFilePath(file, fontsFolder))) continue;
    // The system knows the font by the name it was added with.
    RemoveFontResourceA(file.c_str());
    std::string name = installlog::StageObject(stage, line);
    if (!name.empty()) RegPathDeleteValue(fontsKey, name);
    // A hung window elsewhere must not stop the removal for good.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  }
  EndStep(c);
}

void RegistryValuesStep(RemovalContext& c, const RemovalStage& stage) {
  if (!BeginStep(c, stage)) return;
  for (const std::string& name : installlog::StageObjects(stage, c.sectionLines)) {
    installlog::RegValuePath value = installlog::SplitRegValuePath(name);
    // A record without a key would name a value of a root key.
    if (installlog::SplitRegistryPath(value.keyPath).subKey.empty()) continue;
    RegPathDeleteValue(value.keyPath, value.valueName);
  }
  EndStep(c);
}

void RegistryKeysStep(RemovalContext& c, const RemovalStage& stage) {
  if (!BeginStep(c, stage)) return;
  // Earlier setup programs listed every key a registry file wrote into,
  // keys that existed before the installation among them; a shared key
  // keeps its other values, a key with unlisted subkeys keeps them.
  for (const std::string& path : installlog::StageObjects(stage, c.sectionLines)) {
    if (regpath::IsProtectedKey(path)) continue;
    RegPathDeleteKey(path, false);
  }
  EndStep(c);
}

void ComServersStep(RemovalContext& c, const RemovalStage& stage) {
  if (!BeginStep(c, stage)) return;
  const removal::PathSet kept = removal::KeptSharedFileSet(c.keptSharedFiles);
  InstalledFiles installed(c);
  for (const std::string& path : installlog::StageObjects(stage, c.sectionLines)) {
    if (kept.Contains(path)) continue;
    std::optional<std::string> server = InstalledFile(c, installed, path);
    if (server) UnregisterComServer(*server);
  }
  EndStep(c);
}

}  // namespace

void DeleteFilesByMask(RemovalContext& c, const std::string& path) {
  if (!removal::IsRemovablePath(path)) return;
  if (removal::HasWildcards(path) && !removal::IsMaskAllowedIn(removal::FolderOf(path), c.protectedFolders)) return;
  // What the path really names decides, not how it is written: an exact name
  // goes wherever it is, a mask only in a folder known to be no protected one.
  std::optional<pathid::FileTarget> target;
  {
    TIMED("reap: resolve a file record");
    target = c.paths.File(path);
  }
  if (!target) return;
  if (target->mask) {
    std::optional<std::vector<pathid::Place>> folder = c.paths.FolderChain(target->folder);
    if (!folder || !c.folderRules.MaySweep(*folder)) return;
  }
  if (!target->mask) {
    // The name the system reads names one file, by its long or its short
    // name, as the search below would find it: deleting it by that name is
    // all it takes, one call a file. Anything else (read-only, in use, a
    // folder of that name) is left to the search below.
    TIMED("reap: delete a file by its name");
    if (DeleteFileA(target->Path().c_str())) return;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return;
  }
  const std::string folder = pathspell::Join(target->folder, "");
  TFindMatch match;
  if (FindMatchFirst(target->Path(), 0, kNotFiles, match) == 0) {
    do {
      bool named = target->mask || ansi::SameText(match.Name, target->name) ||
                   ansi::SameText(match.FindData.cAlternateFileName, target->name);
      if (!named) continue;
      // The short name names the hit exactly; its long name may hold letters
      // the code page has no spelling for, which come back as "?".
      const char* name = match.FindData.cAlternateFileName[0] ? match.FindData.cAlternateFileName
                                                               : match.Name.c_str();
      if (std::string_view(name).find('?') != std::string_view::npos) continue;
      std::string file = folder + name;
      if (!DeleteFileForce(file)) DeleteFileLater(file);
    } while (FindMatchNext(match) == 0);
  }
  FindMatchClose(match);
}

namespace {

void FilesStep(RemovalContext& c, const RemovalStage& stage) {
  TIMED("reap: files step");
  if (!BeginStep(c, stage)) return;
  const removal::PathSet kept = removal::KeptSharedFileSet(c.keptSharedFiles);
  for (const std::string& path : installlog::StageObjects(stage, c.sectionLines)) {
    if (kept.Contains(path)) continue;
    DeleteFilesByMask(c, path);
    if (ansi::SameText(removal::FileExtension(path), ".hlp")) {
      DeleteFilesByMask(c, removal::ChangeFileExt(path, ".gid"));
      DeleteFilesByMask(c, removal::ChangeFileExt(path, ".fts"));
    }
  }
  EndStep(c);
}

void FoldersStep(RemovalContext& c, const RemovalStage& stage) {
  TIMED("reap: folders step");
  if (!BeginStep(c, stage)) return;
  // The log itself would keep the install folder from becoming empty.
  DeleteLog(c);
  const std::optional<std::string> programFolder = ProgramFolder(c);
  for (const std::string& path : installlog::StageObjects(stage, c.sectionLines)) {
    if (!removal::IsRemovablePath(path) || removal::HasWildcards(path)) continue;
    std::optional<std::vector<pathid::Place>> chain = c.paths.FolderChain(path);
    if (!chain || !c.folderRules.MayRemove(*chain)) continue;
    const std::string& folder = chain->front().path;
    // A folder above the running program cannot be empty before the program
    // has gone; the self-deletion tries it then.
    if (programFolder && pathspell::IsBelow(*programFolder, folder)) {
      bool known = std::any_of(c.foldersAboveProgram.begin(), c.foldersAboveProgram.end(),
                               [&](const std::string& f) { return ansi::SameText(f, folder); });
      if (!known) c.foldersAboveProgram.push_back(folder);
      continue;
    }
    RemoveDirectoryA(folder.c_str());
  }
  std::sort(c.foldersAboveProgram.begin(), c.foldersAboveProgram.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  EndStep(c);
}

void RunAppStep(RemovalContext& c, const RemovalStage& stage) {
  LoadSection(c, stage.section);
  for (const std::string& record : installlog::StageObjects(stage, c.sectionLines)) RunLoggedProgram(c, record);
}

using Step = void (*)(RemovalContext&, const RemovalStage&);

// The step that acts on each section of the table.
Step StepOf(std::string_view section) {
  static constexpr std::pair<std::string_view, Step> kSteps[] = {
      {installlog::kSharedFiles, SharedFilesStep}, {installlog::kShortcuts, ShortcutsStep},
      {installlog::kAddIni, IniStep},              {installlog::kRegFonts, FontsStep},
      {installlog::kAddReg, RegistryValuesStep},   {installlog::kCreateKeys, RegistryKeysStep},
      {installlog::kRegServers, ComServersStep},   {installlog::kCopyFiles, FilesStep},
      {installlog::kCreateDirs, FoldersStep},      {installlog::kRunApp, RunAppStep},
  };
  for (const auto& [name, step] : kSteps) {
    if (name == section) return step;
  }
  return nullptr;
}

}  // namespace

bool RunRemoval(RemovalContext& c) {
  c.ui->SetProgressRange(10);
  bool stopped = false;
  for (const RemovalStage& stage : installlog::kRemovalOrder) {
    if (stage.section == installlog::kPreRunApp) {
      stopped = !PreRunAppStep(c, stage);
      if (stopped) break;
    } else if (stage.section.empty()) {
      DeleteLog(c);
    } else if (Step step = StepOf(stage.section)) {
      Guarded([&] { step(c, stage); });
    }
    if (stage.endsProgressStep) c.ui->StepProgress();
  }
  if (!stopped) c.ui->AddStatusLine(MessageText(IDS_FINISHED));
  c.ui->EnableClose();
  return !stopped;
}
