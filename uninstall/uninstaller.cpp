// Reapwell: the uninstaller. It reads install.log (its first argument, or the
// file beside it), asks once, and undoes the installation on a second thread.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "common/file_io.h"
#include "common/log_journal.h"
#include "common/process.h"
#include "common/text_numbers.h"
#include "common/win32_handles.h"
#include "uninstall/main_dialog.h"
#include "uninstall/removal_steps.h"
#include "uninstall/support/com_process.h"
#include "uninstall/support/support.h"

namespace {

RemovalContext g_context;

DWORD WINAPI RemovalThread(LPVOID) {
  win32::ComScope com;
  g_context.ui = &MainDialogUi();
  RunRemoval(g_context);
  return 1;
}

// The first argument as it stands: quoted or not, up to its end.
std::string FirstArgument() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::string result;
  if (argv && argc > 1) {
    int n = WideCharToMultiByte(CP_ACP, 0, argv[1], -1, nullptr, 0, nullptr, nullptr);
    if (n > 1) {
      result.resize(static_cast<size_t>(n - 1));
      WideCharToMultiByte(CP_ACP, 0, argv[1], -1, result.data(), n, nullptr, nullptr);
    }
  }
  LocalFree(argv);
  return result;
}

std::string FormatPath(const std::string& text, const std::string& path) {
  std::string result = text;
  size_t at = result.find("%s");
  if (at != std::string::npos) result.replace(at, 2, path);
  return result;
}

void RunUninstaller(HINSTANCE instance) {
  InitCommonControls();
  MessageBoxFlags = MB_SETFOREGROUND;
  AppTitle = "Uninstaller      ";
  const std::string programPath = process::ProgramFilePath();
  const std::string programFolder = programPath.substr(0, programPath.find_last_of('\\') + 1);
  SetCurrentDirectoryA(programFolder.c_str());

  std::string argument = FirstArgument();
  LogPath = argument.empty() ? programFolder + "install.log" : argument;
  // An installation killed before its first checkpoint has left only the journal.
  if (!fileio::FileExists(LogPath) && !fileio::FileExists(journal::PathFor(LogPath))) {
    ShowError(FormatPath(MessageText(IDS_LOG_NOT_FOUND), LogPath));
    return;
  }
  // What a killed installation recorded after its last checkpoint, texts included.
  IniApplyJournal(LogPath);
  if (AskQuestion(MessageText(IDS_CONFIRM)) != IDYES) return;

  g_context.logPath = LogPath;
  g_context.protectedFolders = SystemProtectedFolders();
  g_context.folderRules = pathid::ProtectedFoldersOfThisSystem();
  win32::UniqueHandle thread(CreateThread(nullptr, 0, RemovalThread, nullptr, CREATE_SUSPENDED, nullptr));
  if (!thread) throw std::runtime_error("Cannot create the removal thread");
  bool shown = ShowMainDialog(instance, thread.get(), programFolder);
  if (!shown) {
    // The thread stays suspended and ends with the process.
    ShowError("Cannot create DLG_UNINSTALL dialog!");
    return;
  }
  DeleteFileForce(programFolder + "Reapwell.bmp");
  ScheduleSelfDeletion(true, g_context.foldersAboveProgram);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  try {
    RunUninstaller(instance);
  } catch (const std::exception& e) {
    ShowError(e.what());
  }
  return 0;
}
