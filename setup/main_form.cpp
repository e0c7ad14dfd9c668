#include "setup/main_form.h"

#include "common/file_io.h"
#include "setup/system_folders.h"

namespace {

const char kWindowClass[] = "TFr_Main";

std::string ProgramPath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

TFr_Main::TFr_Main(HINSTANCE instance) : instance_(instance) {}

TFr_Main::~TFr_Main() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool TFr_Main::Create(int showCommand) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hIcon = LoadIconA(instance_, "MAINICON");
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT r = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, style, FALSE, 0);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

  hwnd_ = CreateWindowExA(0, kWindowClass, "", style, x, y, width, height, nullptr, nullptr,
                          instance_, this);
  if (!hwnd_) return false;
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  return true;
}

LRESULT CALLBACK TFr_Main::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TFr_Main* self;
  if (msg == WM_NCCREATE) {
    self = static_cast<TFr_Main*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<TFr_Main*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return self->HandleMessage(msg, wParam, lParam);
}

LRESULT TFr_Main::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      FormCreate();
      return 0;
    case WM_SHOWWINDOW:
      if (wParam && !shown_) {
        shown_ = true;
        FormShow();
      }
      break;
    case WM_CLOSE:
      FormClose();
      return 0;
    case WM_DESTROY:
      hwnd_ = nullptr;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd_, msg, wParam, lParam);
}

void TFr_Main::FormCreate() {
  inst_ = std::make_unique<TInst>();
  SystemFolders folders = ReadSystemFolders();
  inst_->DesktopDir = folders.DesktopDir;
  inst_->ProgramsDir = folders.ProgramsDir;
}

void TFr_Main::FormShow() {
  inst_->SourcePath = SourceFolderOf(ProgramPath());
  try {
    TIniFile32 ini(inst_->SourcePath + "setup.ini");
    LoadInstallSettings(ini, *inst_);
    packages_ = LoadPackageList(ini);
  } catch (const std::exception& e) {
    // A description that exists but cannot be read leaves nothing to install from.
    MessageBoxA(hwnd_, e.what(), "Ошибка", MB_OK | MB_ICONERROR);
    DestroyWindow(hwnd_);
    return;
  }
  SetWindowTextA(hwnd_, (inst_->ProgramName + " Setup").c_str());
}

void TFr_Main::FormClose() { DestroyWindow(hwnd_); }
