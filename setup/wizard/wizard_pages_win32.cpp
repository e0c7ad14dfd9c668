#include "setup/wizard/wizard_pages.h"

#include <commctrl.h>

#include "setup/wizard/wizard_ids.h"

namespace {

const char kPageClass[] = "TTabSheet";

constexpr int kPageWidth = 492;
constexpr int kPageHeight = 353 - kHeaderHeight;
constexpr int kButtonY = 264;
constexpr int kButtonWidth = 93;
constexpr int kButtonHeight = 21;

// A page only hosts controls; their notifications belong to the form.
LRESULT CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return SendMessageA(GetParent(hwnd), msg, wParam, lParam);
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void RegisterPageClass(HINSTANCE instance) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = PageProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kPageClass;
  RegisterClassExA(&wc);
}

class PageBuilder {
 public:
  PageBuilder(HINSTANCE instance, HFONT font) : instance_(instance), font_(font) {}

  HWND Add(HWND parent, const char* cls, const char* text, DWORD style, int id, int x, int y, int w,
           int h, DWORD exStyle = 0) {
    HWND hwnd = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return hwnd;
  }
  HWND Label(HWND parent, int id, int x, int y, int w, int h, const char* text = "") {
    return Add(parent, WC_STATICA, text, SS_LEFT | SS_NOPREFIX, id, x, y, w, h);
  }
  HWND Group(HWND parent, const char* caption, int x, int y, int w, int h) {
    return Add(parent, WC_BUTTONA, caption, BS_GROUPBOX, -1, x, y, w, h);
  }
  HWND Button(HWND parent, const char* caption, int id, int x, bool isDefault) {
    return Add(parent, WC_BUTTONA, caption,
               WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), id, x, kButtonY,
               kButtonWidth, kButtonHeight);
  }

 private:
  HINSTANCE instance_;
  HFONT font_;
};

// The parts every page shares: side picture, separator and the button row.
void AddPageFrame(PageBuilder& b, TWizardControls& c, int page) {
  HWND sheet = c.TabSheet[page];
  c.SidePicture[page] = b.Add(sheet, WC_STATICA, "", SS_BITMAP, ID_SIDE_PICTURE_FIRST + page, 0, 0,
                              180, 252);
  b.Add(sheet, WC_STATICA, "", SS_ETCHEDHORZ, -1, 188, 244, kPageWidth - 188 - 11, 2);
  const int base = ID_PAGE_BUTTONS + 10 * page;
  if (page != wizard::kWelcomePage) c.Back[page] = b.Button(sheet, "< Назад", base, 188, false);
  const bool progress = page == wizard::kProgressPage;
  c.Next[page] = b.Button(sheet, "Далее >", base + 1, 280, !progress);
  c.Cancel[page] = b.Button(sheet, "Отмена", base + 2, 384, progress);
  if (progress) {
    EnableWindow(c.Back[page], FALSE);
    EnableWindow(c.Next[page], FALSE);
  }
}

void AddPageContents(PageBuilder& b, TWizardControls& c, const TWizardFonts& fonts) {
  static constexpr int kTextIds[wizard::kPageCount] = {ID_LWELCOME, ID_LDIR,        ID_LPAK_TYPE,
                                                       ID_LPAK_SELECT, ID_LLANGUAGE, ID_LICON_TYPE,
                                                       ID_LSTART,    ID_LPROGRESS};
  static constexpr int kTextHeights[wizard::kPageCount] = {228, 130, 50, 60, 60, 60, 210, 100};
  for (int page = 0; page < wizard::kPageCount; ++page) {
    const bool top = page == wizard::kWelcomePage || page == wizard::kProgressPage;
    c.Text[page] = b.Label(c.TabSheet[page], kTextIds[page], 200, top ? 12 : 28, 280, kTextHeights[page]);
  }

  HWND p = c.TabSheet[wizard::kFolderPage];
  b.Group(p, " Каталог установки ", 196, 168, 284, 62);
  c.Edit_path = b.Add(p, WC_EDITA, "", WS_TABSTOP | ES_AUTOHSCROLL, ID_EDIT_PATH, 208, 192, 178, 21,
                      WS_EX_CLIENTEDGE);
  c.Button1 = b.Add(p, WC_BUTTONA, "Обзор", WS_TABSTOP | BS_PUSHBUTTON, ID_BUTTON1, 394, 191, 75, 23);

  p = c.TabSheet[wizard::kTypePage];
  b.Group(p, " Тип установки ", 196, 96, 284, 82);
  c.RB_full = b.Add(p, WC_BUTTONA, "  Полная", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, ID_RB_FULL,
                    216, 118, 240, 20);
  c.RB_custom = b.Add(p, WC_BUTTONA, "  Выборочная", BS_AUTORADIOBUTTON, ID_RB_CUSTOM, 216, 146, 240, 20);
  SendMessageA(c.RB_full, BM_SETCHECK, BST_CHECKED, 0);

  p = c.TabSheet[wizard::kComponentPage];
  c.CL = b.Add(p, WC_LISTBOXA, "",
               WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY |
                   LBS_NOINTEGRALHEIGHT,
               ID_CL, 204, 96, 257, 137, WS_EX_CLIENTEDGE);
  SendMessageA(c.CL, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.List), FALSE);
  SendMessageA(c.CL, LB_SETITEMHEIGHT, 0, 16);

  p = c.TabSheet[wizard::kLanguagePage];
  b.Group(p, " Язык ", 196, 96, 284, 82);
  c.RB_ENG = b.Add(p, WC_BUTTONA, "Английский", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, ID_RB_ENG,
                   216, 118, 240, 20);
  c.RB_RUS = b.Add(p, WC_BUTTONA, "Русский", BS_AUTORADIOBUTTON, ID_RB_RUS, 216, 146, 240, 20);
  SendMessageA(c.RB_ENG, BM_SETCHECK, BST_CHECKED, 0);

  p = c.TabSheet[wizard::kShortcutPage];
  b.Group(p, " Ярлыки ", 196, 96, 284, 82);
  c.CB_desktop = b.Add(p, WC_BUTTONA, "Ярлык на рабочем столе", WS_TABSTOP | BS_AUTOCHECKBOX,
                       ID_CB_DESKTOP, 216, 118, 256, 20);
  c.CB_Program = b.Add(p, WC_BUTTONA, "Ярлык в меню программ \"Пуск\"", WS_TABSTOP | BS_AUTOCHECKBOX,
                       ID_CB_PROGRAM, 216, 146, 256, 20);
  SendMessageA(c.CB_Program, BM_SETCHECK, BST_CHECKED, 0);

  p = c.TabSheet[wizard::kProgressPage];
  c.ProgressArea[0] = b.Group(p, "", 196, 116, 284, 120);
  c.ProgressArea[1] = b.Label(p, -1, 208, 132, 120, 14, "Текущий файл:");
  c.L_curent_file = c.ProgressArea[2] = b.Label(p, ID_L_CURRENT_FILE, 208, 148, 262, 14);
  c.PB_curent = c.ProgressArea[3] = b.Add(p, PROGRESS_CLASSA, "", 0, ID_PB_CURENT, 208, 166, 262, 16);
  c.ProgressArea[4] = b.Label(p, -1, 208, 192, 120, 14, "Всего файлов:");
  c.PB_total = c.ProgressArea[5] = b.Add(p, PROGRESS_CLASSA, "", 0, ID_PB_TOTAL, 208, 208, 262, 16);
  SendMessageA(c.PB_curent, PBM_SETRANGE32, 0, 100);
  SendMessageA(c.PB_total, PBM_SETRANGE32, 0, 100);
  SendMessageA(c.PB_total, PBM_SETSTEP, 1, 0);

  // The finish panel covers the text and the progress area once the run is over.
  c.Panel2 = CreateWindowExA(0, WC_STATICA, "", WS_CHILD | WS_CLIPCHILDREN, 188, 0, kPageWidth - 188, 240, p,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(ID_PANEL2)), nullptr, nullptr);
  c.LFinish = b.Label(c.Panel2, ID_LFINISH, 12, 12, 280, 220);
}

}  // namespace

TWizardControls CreateWizardControls(HWND form, HINSTANCE instance, const TWizardFonts& fonts) {
  RegisterPageClass(instance);
  PageBuilder b(instance, fonts.Main);
  TWizardControls c;

  c.LInfo = b.Add(form, WC_STATICA, "", SS_OWNERDRAW, ID_LINFO, kLInfoRect.left, kLInfoRect.top,
                  kLInfoRect.right - kLInfoRect.left, kLInfoRect.bottom - kLInfoRect.top);
  SendMessageA(c.LInfo, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.Title), FALSE);

  for (int page = 0; page < wizard::kPageCount; ++page) {
    c.TabSheet[page] = CreateWindowExA(
        WS_EX_CONTROLPARENT, kPageClass, "", WS_CHILD | WS_CLIPSIBLINGS, 0, kHeaderHeight, kPageWidth,
        kPageHeight, form, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ID_TABSHEET_FIRST + page)),
        instance, nullptr);
    AddPageFrame(b, c, page);
  }
  AddPageContents(b, c, fonts);
  return c;
}
