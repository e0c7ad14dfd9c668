// A small window with one control of each kind the driver handles, for the
// driver's own test: a list-view with check boxes, a list box, an edit field,
// a check box and a button that asks a question.
#include <windows.h>
#include <commctrl.h>

namespace {

constexpr int kListView = 201;
constexpr int kListBox = 202;
constexpr int kEdit = 203;
constexpr int kCheck = 204;
constexpr int kAsk = 205;
constexpr int kAnswer = 206;

HWND Add(HWND parent, const char* cls, const char* text, DWORD style, int id, int x, int y, int w, int h) {
  return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

void CreateControls(HWND hwnd) {
  HWND view = Add(hwnd, WC_LISTVIEWA, "", LVS_REPORT | WS_BORDER, kListView, 10, 10, 200, 100);
  SendMessageA(view, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
  LVCOLUMNA column = {};
  column.mask = LVCF_WIDTH;
  column.cx = 180;
  SendMessageA(view, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  const char* names[] = {"Альфа", "Бета", "Гамма"};
  for (int i = 0; i < 3; ++i) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = const_cast<char*>(names[i]);
    SendMessageA(view, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  ListView_SetCheckState(view, 2, TRUE);

  HWND box = Add(hwnd, WC_LISTBOXA, "", WS_BORDER | WS_VSCROLL | LBS_NOTIFY, kListBox, 220, 10, 150, 60);
  for (int i = 0; i < 8; ++i) {
    char line[32];
    wsprintfA(line, "Строка %d", i);
    SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  }
  Add(hwnd, WC_EDITA, "", WS_BORDER | ES_AUTOHSCROLL, kEdit, 10, 120, 200, 22);
  Add(hwnd, WC_BUTTONA, "Флажок", BS_AUTOCHECKBOX, kCheck, 220, 120, 150, 22);
  Add(hwnd, WC_BUTTONA, "Спросить", BS_PUSHBUTTON, kAsk, 10, 150, 100, 24);
  Add(hwnd, WC_STATICA, "", 0, kAnswer, 120, 154, 200, 20);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      CreateControls(hwnd);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kAsk) {
        int answer = MessageBoxA(hwnd, "Строка 1\nСтрока 2", "Вопрос", MB_YESNO | MB_ICONQUESTION);
        SetDlgItemTextA(hwnd, kAnswer, answer == IDYES ? "да" : "нет");
      } else if (LOWORD(wParam) == kListBox && HIWORD(wParam) == LBN_SELCHANGE) {
        char text[64] = {};
        HWND box = reinterpret_cast<HWND>(lParam);
        SendMessageA(box, LB_GETTEXT, SendMessageA(box, LB_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(text));
        SetDlgItemTextA(hwnd, kAnswer, text);
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(7);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "DriverTarget";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowA("DriverTarget", "Цель \\ драйвера", WS_OVERLAPPEDWINDOW, 100, 100, 400, 230,
                            nullptr, nullptr, instance, nullptr);
  ShowWindow(hwnd, show);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
