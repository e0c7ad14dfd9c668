#include "setup/extraction/extraction_view.h"

#include <commctrl.h>

#include "common/run_account.h"
#include "common/timing.h"

void TWindowExtractionView::SetCurrentFile(const std::string& ansiName) {
  TIMED("setup: window current file");
  SetWindowTextA(label_, ansiName.c_str());
}

void TWindowExtractionView::SetCurrentBar(int min, int max, int position) {
  SendMessageA(current_, PBM_SETRANGE32, static_cast<WPARAM>(min), static_cast<LPARAM>(max));
  SendMessageA(current_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void TWindowExtractionView::SetCurrentPosition(int position) {
  SendMessageA(current_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void TWindowExtractionView::SetTotalPosition(int position) {
  SendMessageA(total_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void TWindowExtractionView::ProcessMessages() {
  TIMED("setup: ProcessMessages");
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // the main loop still has to see it
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool TWindowExtractionView::AskContinue(const std::string& text, const std::string& caption) {
  runaccount::Note(caption + ": " + text);
  if (Quiet) return false;
  return MessageBoxA(owner_, text.c_str(), caption.c_str(), MB_OKCANCEL) == IDOK;
}

void TWindowExtractionView::EndProgram() {
  runaccount::Note("Установка прервана, код завершения " + std::to_string(EndCode));
  runaccount::Close();
  ExitProcess(static_cast<UINT>(EndCode));
}
