#include "uninstall/support/dialogs.h"

#include "common/install_log.h"
#include "uninstall/support/dialogs_core.h"
#include "uninstall/support/ini_files.h"
#include "common/win32_handles.h"

std::string AppTitle;
UINT MessageBoxFlags = 0;
HWND MainWindow = nullptr;
std::string LogPath;

namespace {

// The hook of the box this thread is showing; each thread centres its own.
thread_local win32::UniqueHook t_centringHook;

LRESULT CALLBACK CentringHook(int code, WPARAM wParam, LPARAM lParam) {
  HHOOK self = t_centringHook.get();
  if (code != HCBT_ACTIVATE) return CallNextHookEx(self, code, wParam, lParam);
  CentreWindowInWorkArea(reinterpret_cast<HWND>(wParam));
  LRESULT result = CallNextHookEx(self, code, wParam, lParam);
  // One box, one centring: later windows of the thread are left alone.
  t_centringHook.reset();
  return result;
}

// Removes the hook on every way out of MessageBoxCentred.
struct HookGuard {
  HookGuard() { t_centringHook.reset(SetWindowsHookExA(WH_CBT, CentringHook, nullptr, GetCurrentThreadId())); }
  ~HookGuard() { t_centringHook.reset(); }
  HookGuard(const HookGuard&) = delete;
  HookGuard& operator=(const HookGuard&) = delete;
};

HWND BoxOwner() { return MainWindow ? GetLastActivePopup(MainWindow) : nullptr; }

}  // namespace

bool CentringHookInstalled() { return static_cast<bool>(t_centringHook); }

int MessageBoxCentred(HWND owner, const std::string& caption, const std::string& text, UINT style) {
  HookGuard hook;
  return MessageBoxA(owner, text.c_str(), caption.c_str(), MessageBoxFlags | MB_TASKMODAL | style);
}

void ShowError(const std::string& text) {
  MessageBoxCentred(BoxOwner(), AppTitle.empty() ? "Error" : AppTitle, text, MB_ICONERROR);
}

int AskQuestion(const std::string& text) {
  return MessageBoxCentred(BoxOwner(), AppTitle.empty() ? "Question" : AppTitle, text, MB_ICONQUESTION | MB_YESNO);
}

void CentreWindowInWorkArea(HWND window) {
  RECT work, box;
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) || !GetWindowRect(window, &box)) return;
  dialogs::Point p = dialogs::CentredPosition({work.left, work.top, work.right, work.bottom},
                                              {box.left, box.top, box.right, box.bottom},
                                              GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  SetWindowPos(window, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string LogValue(std::string_view section, std::string_view ident, std::string_view defaultValue) {
  std::string value;
  try {
    value = IniReadString(LogPath, section, ident, defaultValue);
  } catch (const EInOutError&) {
    // Texts are needed to report errors: an unreadable log means the built-in ones.
    value = std::string(defaultValue);
  }
  return installlog::ExpandLineBreaks(value);
}

std::string LogText(std::string_view ident, std::string_view defaultValue) {
  return LogValue(installlog::kStrings, ident, defaultValue);
}

std::string MessageText(int id) {
  char buf[1024];
  int n = LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(id), buf, sizeof buf);
  return LogText(installlog::TextKey(id), std::string(buf, n > 0 ? static_cast<size_t>(n) : 0));
}
