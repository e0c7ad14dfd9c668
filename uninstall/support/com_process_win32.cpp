#include "uninstall/support/com_process.h"

#include <oleauto.h>
#include <shellapi.h>

#include <vector>

#include "common/ansi.h"
#include "common/install_log.h"
#include "uninstall/support/launch_rules.h"
#include "common/file_io.h"
#include "common/process.h"
#include "common/wide_text.h"
#include "common/win32_handles.h"

namespace {

// Releases what LoadTypeLib and GetLibAttr handed out, on every way out.
struct TypeLibrary {
  ITypeLib* lib = nullptr;
  TLIBATTR* attr = nullptr;
  ~TypeLibrary() {
    if (attr) lib->ReleaseTLibAttr(attr);
    if (lib) lib->Release();
  }
};

win32::UniqueHandle StartDirectly(const std::string& file, const std::string& parameters, int showCommand,
                                  const std::string& folder) {
  std::optional<win32::ProcessHandles> started =
      process::Start(launch::DirectCommandLine(file, parameters), {showCommand, 0, folder});
  if (!started) return win32::UniqueHandle();
  return std::move(started->process);
}

win32::UniqueHandle StartThroughShell(HWND owner, const std::string& file, const std::string& parameters,
                                      int showCommand, const std::string& folder) {
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.hwnd = owner;
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
  info.nShow = showCommand;
  if (!ShellExecuteExA(&info)) return win32::UniqueHandle();
  return win32::UniqueHandle(info.hProcess);
}

}  // namespace

HMODULE LoadLibraryQuiet(const std::string& path) {
  win32::QuietErrorMode quiet;
  return LoadLibraryA(path.c_str());
}

bool CallDllUnregisterServer(const std::string& path) {
  if (path.empty()) return false;
  win32::UniqueModule module(LoadLibraryQuiet(path));
  if (!module) return false;
  using Entry = HRESULT(STDAPICALLTYPE*)();
  auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module.get(), "DllUnregisterServer")));
  if (!entry) return false;
  return SUCCEEDED(entry());
}

bool UnregisterExeServer(const std::string& path) {
  if (path.empty()) return false;
  std::string commandLine = launch::UnregisterServerCommandLine(path);
  return WinExec(commandLine.c_str(), SW_HIDE) > 31;
}

bool UnregisterTypeLibrary(const std::string& path) {
  if (path.empty()) return false;
  HMODULE oleaut = GetModuleHandleA("OLEAUT32.DLL");
  if (!oleaut) return false;
  using Unregister = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
  auto unregister = reinterpret_cast<Unregister>(reinterpret_cast<void*>(GetProcAddress(oleaut, "UnRegisterTypeLib")));
  if (!unregister) return false;
  TypeLibrary tl;
  std::wstring wide = widetext::FromAnsi(fileio::FullPathName(path).value_or(path));
  if (FAILED(LoadTypeLib(wide.c_str(), &tl.lib)) || !tl.lib) return false;
  if (FAILED(tl.lib->GetLibAttr(&tl.attr)) || !tl.attr) return false;
  return SUCCEEDED(unregister(tl.attr->guid, tl.attr->wMajorVerNum, tl.attr->wMinorVerNum, tl.attr->lcid,
                              tl.attr->syskind));
}

bool UnregisterComServer(const std::string& path) {
  bool done = CallDllUnregisterServer(path);
  if (!done && launch::LowerExtension(path) == ".exe") done = UnregisterExeServer(path);
  if (!done) done = UnregisterTypeLibrary(path);
  return done;
}

void PumpMessages() {
  MSG msg;
  bool any = false;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) return;
    any = true;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (!any) Sleep(1);
}

int RunAndWait(HWND owner, const std::string& file, const std::string& parameters, int showCommand,
               const std::string& folder) {
  std::string bare = installlog::Dequote(file, '"');
  std::string workDir = launch::WorkingFolder(folder);
  win32::UniqueHandle process;
  if (fileio::FileExists(bare) && launch::IsDirectlyStarted(bare)) process = StartDirectly(bare, parameters, showCommand, workDir);
  // A shortcut or a program file the system will not start by itself is
  // still opened the way the shell opens it.
  if (!process) process = StartThroughShell(owner, file, parameters, showCommand, workDir);
  if (!process) return -1;
  while (WaitForSingleObject(process.get(), 100) == WAIT_TIMEOUT) PumpMessages();
  DWORD code = 0;
  if (!GetExitCodeProcess(process.get(), &code)) return -1;
  return static_cast<int>(code);
}
