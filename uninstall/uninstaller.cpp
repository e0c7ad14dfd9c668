// Reapwell: the uninstaller. It reads install.log (its first argument, or the
// file beside it), asks once, and undoes the installation on a second thread.
// /SILENT and /VERYSILENT remove without asking; the exit code then tells
// what happened (uninstall/reap_switches.h).
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "common/command_line.h"
#include "common/file_io.h"
#include "common/log_journal.h"
#include "common/process.h"
#include "common/run_account.h"
#include "common/text_numbers.h"
#include "common/win32_handles.h"
#include "uninstall/main_dialog.h"
#include "uninstall/reap_switches.h"
#include "uninstall/removal_check.h"
#include "uninstall/removal_rules.h"
#include "uninstall/removal_steps.h"
#include "uninstall/support/com_process.h"
#include "uninstall/support/support.h"

namespace {

// The removal's view as the account and the unattended modes see it: every
// progress line goes into the account; the shared-file question gets its safe
// answer (keep) without being shown; /SILENT closes the dialog at the end,
// /VERYSILENT has none.
class AccountUi : public RemovalUi {
 public:
  RemovalUi* window = nullptr;  // the dialog, or nothing
  bool quiet = false;
  bool closeAtEnd = false;

  void AddStatusLine(const std::string& text) override {
    last_ = text;
    runaccount::Note(text);
    if (window) window->AddStatusLine(text);
  }
  void CompleteStatusLine(const std::string& word) override {
    runaccount::Note(last_ + " " + word);
    if (window) window->CompleteStatusLine(word);
  }
  void StepProgress() override {
    if (window) window->StepProgress();
  }
  void SetProgressRange(int maximum) override {
    if (window) window->SetProgressRange(maximum);
  }
  void EnableClose() override {
    if (!window) return;
    window->EnableClose();
    if (closeAtEnd) PostMessageA(window->Owner(), WM_COMMAND, IDOK, 0);
  }
  int AskSharedFile(const std::string& path) override {
    if (quiet || !window) {
      runaccount::Note("Shared file kept: " + path);
      return removal::kNoToAll;
    }
    return window->AskSharedFile(path);
  }
  HWND Owner() override { return window ? window->Owner() : nullptr; }

 private:
  std::string last_;
};

RemovalContext g_context;
AccountUi g_ui;
bool g_completed = false;

DWORD WINAPI RemovalThread(LPVOID) {
  win32::ComScope com;
  g_completed = RunRemoval(g_context);
  return 1;
}

// What the log names, read before the removal deletes it.
removalcheck::TRecorded ReadRecorded(const std::string& logPath) {
  auto lines = [&](std::string_view section) {
    std::vector<std::string> result;
    IniReadSectionValues(logPath, section, result);
    return result;
  };
  return removalcheck::FromSections(lines(installlog::kCopyFiles), lines(installlog::kShortcuts),
                                    lines(installlog::kCreateDirs), lines(installlog::kAddReg),
                                    lines(installlog::kCreateKeys));
}

bool KeyOf(const std::string& path, REGSAM access, win32::UniqueKey& key) {
  HKEY root;
  std::string subKey;
  RegSplitPath(path, root, subKey);
  return RegOpenKeyExA(root, subKey.c_str(), 0, access, key.out()) == ERROR_SUCCESS;
}

removalcheck::TProbes SystemProbes() {
  removalcheck::TProbes p;
  p.fileExists = [](const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
  };
  p.folderExists = [](const std::string& path) { return FolderExists(path); };
  p.folderEmpty = [](const std::string& path) {
    WIN32_FIND_DATAA data;
    win32::UniqueFind find(FindFirstFileA((AddTrailingBackslash(path) + "*").c_str(), &data));
    if (!find) return true;
    do {
      const std::string name = data.cFileName;
      if (name != "." && name != "..") return false;
    } while (FindNextFileA(find.get(), &data));
    return true;
  };
  p.valueExists = [](const std::string& path, const std::string& name) {
    win32::UniqueKey key;
    return KeyOf(path, KEY_QUERY_VALUE, key) &&
           RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  };
  p.keyExists = [](const std::string& path) {
    win32::UniqueKey key;
    return KeyOf(path, KEY_READ, key);
  };
  p.keyEmpty = [](const std::string& path) {
    win32::UniqueKey key;
    DWORD subkeys = 0, values = 0;
    return KeyOf(path, KEY_READ, key) &&
           RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                            nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
           subkeys == 0 && values == 0;
  };
  return p;
}

std::string FormatPath(const std::string& text, const std::string& path) {
  std::string result = text;
  size_t at = result.find("%s");
  if (at != std::string::npos) result.replace(at, 2, path);
  return result;
}

// The exit code of the removal; without switches it is 0, as it always was.
int RunUninstaller(HINSTANCE instance) {
  InitCommonControls();
  MessageBoxFlags = MB_SETFOREGROUND;
  AppTitle = "Uninstaller      ";
  const std::string programPath = process::ProgramFilePath();
  const std::string programFolder = programPath.substr(0, programPath.find_last_of('\\') + 1);
  SetCurrentDirectoryA(programFolder.c_str());

  const std::string commandLine = GetCommandLineA();
  const reapcli::TParsedReapSwitches parsed = reapcli::ParseReapSwitches(cmdline::ArgumentsAfterProgram(commandLine));
  const reapcli::TReapSwitches& switches = parsed.switches;
  const bool quiet = switches.mode != reapcli::Mode::Interactive;
  auto end = [&](int code) {
    runaccount::Note("Exit code " + std::to_string(code));
    runaccount::Close();
    return switches.any ? code : 0;
  };
  if (!switches.account.empty()) {
    try {
      runaccount::Open(switches.account);
    } catch (const std::exception& e) {
      if (!quiet) ShowError(e.what());
      return reapcli::kBadCommandLine;
    }
  }
  runaccount::Note("Command line: " + commandLine);
  if (!parsed.error.empty()) {
    runaccount::Note(parsed.error);
    if (!quiet) ShowError(parsed.error + "\n\n" + reapcli::UsageText());
    return end(reapcli::kBadCommandLine);
  }

  LogPath = switches.logPath.empty() ? programFolder + "install.log" : switches.logPath;
  // An installation killed before its first checkpoint has left only the journal.
  if (!fileio::FileExists(LogPath) && !fileio::FileExists(journal::PathFor(LogPath))) {
    const std::string text = FormatPath(MessageText(IDS_LOG_NOT_FOUND), LogPath);
    runaccount::Note(text);
    if (!quiet) ShowError(text);
    return end(reapcli::kLogNotFound);
  }
  // What a killed installation recorded after its last checkpoint, texts included.
  IniApplyJournal(LogPath);
  if (!quiet && AskQuestion(MessageText(IDS_CONFIRM)) != IDYES) {
    runaccount::Note("The removal was declined");
    return end(reapcli::kRemoved);
  }
  runaccount::Note("Removing what " + LogPath + " names");
  const removalcheck::TRecorded recorded = switches.any ? ReadRecorded(LogPath) : removalcheck::TRecorded{};

  g_context.logPath = LogPath;
  g_context.protectedFolders = SystemProtectedFolders();
  g_context.folderRules = pathid::ProtectedFoldersOfThisSystem();
  g_context.ui = &g_ui;
  g_ui.quiet = quiet;
  g_ui.closeAtEnd = switches.mode == reapcli::Mode::Silent;
  if (switches.mode == reapcli::Mode::VerySilent) {
    win32::ComScope com;
    g_completed = RunRemoval(g_context);
  } else {
    g_ui.window = &MainDialogUi();
    win32::UniqueHandle thread(CreateThread(nullptr, 0, RemovalThread, nullptr, CREATE_SUSPENDED, nullptr));
    if (!thread) throw std::runtime_error("Cannot create the removal thread");
    bool shown = ShowMainDialog(instance, thread.get(), programFolder);
    if (!shown) {
      // The thread stays suspended and ends with the process.
      ShowError("Cannot create DLG_UNINSTALL dialog!");
      runaccount::Note("Cannot create DLG_UNINSTALL dialog!");
      return end(reapcli::kStoppedBeforeRemoval);
    }
    // The Close button is enabled as the thread's last act; its result follows.
    WaitForSingleObject(thread.get(), INFINITE);
  }
  int code = g_completed ? reapcli::kRemoved : reapcli::kStoppedBeforeRemoval;
  if (!g_completed) runaccount::Note("A program run before the removal stopped it");
  if (g_completed && switches.any) {
    for (const removalcheck::TFinding& finding :
         removalcheck::Outcome(recorded, SystemProbes(), g_context.keptSharedFiles, programFolder)) {
      runaccount::Note(finding.text);
      if (finding.failure) code = reapcli::kNotAllRemoved;
    }
  }
  DeleteFileForce(programFolder + "Reapwell.bmp");
  ScheduleSelfDeletion(true, g_context.foldersAboveProgram);
  return end(code);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  try {
    return RunUninstaller(instance);
  } catch (const std::exception& e) {
    runaccount::Note(e.what());
    ShowError(e.what());
  }
  return 0;
}
