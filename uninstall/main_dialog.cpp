#include "uninstall/main_dialog.h"

#include <commctrl.h>

#include "common/install_log.h"
#include "common/text_numbers.h"
#include "uninstall/resources/resource_ids.h"
#include "uninstall/shared_file_dialog.h"
#include "uninstall/support/support.h"

namespace {

const char kAppTitle[] = "Uninstaller      ";

struct DialogState {
  HANDLE removalThread = nullptr;
  std::string bannerFile;
  TBanner banner;
};

DialogState g_state;

class DialogUi : public RemovalUi {
 public:
  void AddStatusLine(const std::string& text) override {
    HWND list = GetDlgItem(MainWindow, IDC_STATUS_LIST);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    UpdateWindow(list);
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
  }
  void CompleteStatusLine(const std::string& word) override {
    HWND list = GetDlgItem(MainWindow, IDC_STATUS_LIST);
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    if (count <= 0) return;
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(count - 1), 0);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0) {
      std::string buffer(static_cast<size_t>(length) + 1, '\0');
      SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(buffer.data()));
      text.assign(buffer.c_str());
    }
    SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(count - 1), 0);
    AddStatusLine(text + " " + word);
  }
  void StepProgress() override { SendDlgItemMessageA(MainWindow, IDC_PROGRESS, PBM_STEPIT, 0, 0); }
  void SetProgressRange(int maximum) override {
    SendDlgItemMessageA(MainWindow, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, maximum));
    SendDlgItemMessageA(MainWindow, IDC_PROGRESS, PBM_SETSTEP, 1, 0);
  }
  void EnableClose() override { EnableWindow(GetDlgItem(MainWindow, IDOK), TRUE); }
  int AskSharedFile(const std::string& path) override { return ::AskSharedFile(path); }
  HWND Owner() override { return MainWindow; }
};

DialogUi g_ui;

LOGFONTA MakeTitleFont(const installlog::FontSpec& titleFont, HWND dialog) {
  LOGFONTA font = {};
  win32::WindowDC dc(dialog);
  font.lfHeight = -MulDiv(titleFont.size, GetDeviceCaps(dc.get(), LOGPIXELSY), 72);
  font.lfWeight = titleFont.bold ? FW_BOLD : FW_NORMAL;
  font.lfItalic = titleFont.italic ? 1 : 0;
  font.lfUnderline = titleFont.underline ? 1 : 0;
  font.lfCharSet = static_cast<BYTE>(installlog::ParseCharset(LogValue("Display", "Charset", "")));
  lstrcpynA(font.lfFaceName, titleFont.face.c_str(), LF_FACESIZE);
  return font;
}

void PaintBanner(HWND dialog) {
  HWND control = GetDlgItem(dialog, IDC_BANNER);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(control, &ps);
  if (g_state.banner.dc) {
    BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
           ps.rcPaint.bottom - ps.rcPaint.top, g_state.banner.dc->get(), ps.rcPaint.left, ps.rcPaint.top,
           SRCCOPY);
  }
  EndPaint(control, &ps);
}

void OnInitDialog(HWND dialog) {
  MainWindow = dialog;
  SetWindowTextA(dialog, kAppTitle);
  SetDlgItemTextA(dialog, IDOK, MessageText(IDS_CLOSE).c_str());
  g_state.banner = BuildBanner(dialog, g_state.bannerFile);
  EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
  SetFocus(GetDlgItem(dialog, IDC_BANNER));
  if (g_state.removalThread) ResumeThread(g_state.removalThread);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog);
      break;
    case WM_PAINT:
      DefWindowProcA(dialog, message, wParam, 0);
      PaintBanner(dialog);
      break;
    case WM_COMMAND:
      if ((LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) && IsWindowEnabled(GetDlgItem(dialog, IDOK))) {
        EndDialog(dialog, 1);
      }
      break;
    case WM_DESTROY:
      // The context first: a bitmap still selected into one cannot be deleted.
      g_state.banner.dc.reset();
      g_state.banner.bitmap.reset();
      break;
  }
  return 0;
}

}  // namespace

TBanner BuildBanner(HWND dialog, const std::string& bitmapFile) {
  HWND control = GetDlgItem(dialog, IDC_BANNER);
  RECT r;
  GetClientRect(control, &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  win32::WindowDC windowDc(control);
  TBanner banner;
  banner.bitmap.reset(CreateCompatibleBitmap(windowDc.get(), width, height));
  banner.dc = std::make_unique<win32::MemoryDC>(banner.bitmap.get(), windowDc.get());
  HDC memory = banner.dc->get();
  {
    win32::UniqueBrush white(CreateSolidBrush(RGB(255, 255, 255)));
    FillRect(memory, &r, white.get());
  }

  win32::UniqueBitmap picture(
      static_cast<HBITMAP>(LoadImageA(nullptr, bitmapFile.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
  if (picture) {
    BITMAP info = {};
    GetObjectA(picture.get(), sizeof info, &info);
    win32::MemoryDC source(picture.get(), windowDc.get());
    StretchBlt(memory, 0, 0, width - 1, height - 1, source.get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
  }

  installlog::FontSpec titleFont = installlog::ParseFontSpec(
      LogValue("Display", "DialogTitleFont", std::string(installlog::kDefaultTitleFont)));
  LOGFONTA logFont = MakeTitleFont(titleFont, dialog);
  win32::UniqueFont font(CreateFontIndirectA(&logFont));
  win32::Selection withFont(memory, font.get());
  SetTextColor(memory, titleFont.colour);
  SetBkMode(memory, TRANSPARENT);
  std::string title = MessageText(IDS_TITLE);
  TextOutA(memory, 12, 10, title.c_str(), static_cast<int>(title.size()));
  return banner;
}

RemovalUi& MainDialogUi() { return g_ui; }

bool ShowMainDialog(HINSTANCE instance, HANDLE removalThread, const std::string& programFolder) {
  g_state.removalThread = removalThread;
  g_state.bannerFile = programFolder + "Reapwell.bmp";
  INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(DLG_UNINSTALL), nullptr, MainDialogProc, 0);
  return result != -1 && result != 0;
}
