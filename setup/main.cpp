// Sowell: the setup program. Without arguments it is the wizard that
// setup.ini beside it describes; switches run it unattended (usage in
// setup/unattended/setup_switches.h, exit codes in exit_codes.h).
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "common/command_line.h"
#include "common/file_io.h"
#include "common/run_account.h"
#include "common/win32_handles.h"
#include "setup/unattended/exit_codes.h"
#include "setup/unattended/setup_switches.h"
#include "setup/wizard/main_form.h"

namespace {

// One installation at a time on the machine: two would write the same
// registry keys and logs over each other.
const char kRunningMutex[] = "Sowell.Setup.Running";

int End(int code) {
  runaccount::Note("Код завершения " + std::to_string(code));
  runaccount::Close();
  return code;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);

  const std::string commandLine = GetCommandLineA();
  const setupcli::TParsedSwitches parsed = setupcli::ParseSetupSwitches(cmdline::ArgumentsAfterProgram(commandLine));
  const setupcli::TSetupSwitches& switches = parsed.switches;
  const bool quiet = setupcli::Unattended(switches.mode);
  if (!switches.log.empty()) {
    try {
      runaccount::Open(switches.log);
    } catch (const std::exception& e) {
      if (!quiet) MessageBoxA(nullptr, e.what(), "Sowell", MB_OK | MB_ICONERROR);
      return setupcli::kBadCommandLine;
    }
  }
  runaccount::Note("Командная строка: " + commandLine);
  if (!parsed.error.empty()) {
    runaccount::Note(parsed.error);
    // Asked for, the list is shown whatever the mode; a refused line is only
    // shown where a person may be waiting.
    if (!quiet || switches.help) {
      MessageBoxA(nullptr, (parsed.error + "\n\n" + setupcli::UsageText()).c_str(), "Sowell",
                  MB_OK | (switches.help ? MB_ICONINFORMATION : MB_ICONERROR));
    }
    return End(setupcli::kBadCommandLine);
  }

  win32::UniqueHandle running(CreateMutexA(nullptr, FALSE, kRunningMutex));
  if (running && GetLastError() == ERROR_ALREADY_EXISTS) {
    const char text[] = "Программа установки уже запущена. Дождитесь её завершения.";
    runaccount::Note(text);
    if (!quiet) MessageBoxA(nullptr, text, "Sowell", MB_OK | MB_ICONWARNING);
    return End(setupcli::kAlreadyRunning);
  }

  TFr_Main form(instance, switches);
  if (!form.Create(showCommand)) return End(1);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageA(form.Handle(), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return End(static_cast<int>(msg.wParam));
}
