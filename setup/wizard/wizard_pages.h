// Construction of the wizard's header and its stack of eight pages.
#pragma once

#include <windows.h>

#include "setup/wizard/wizard_navigation.h"

struct TWizardFonts {
  HFONT Main;   // the window's font
  HFONT Title;  // the title above the pages
  HFONT List;   // the component list
};

struct TWizardControls {
  HWND LInfo = nullptr;
  HWND TabSheet[wizard::kPageCount] = {};
  HWND SidePicture[wizard::kPageCount] = {};
  HWND Text[wizard::kPageCount] = {};  // Lwellcome, LDir, ... Lprogress
  HWND Back[wizard::kPageCount] = {};  // null on the welcome page
  HWND Next[wizard::kPageCount] = {};
  HWND Cancel[wizard::kPageCount] = {};
  HWND Edit_path = nullptr;
  HWND Button1 = nullptr;
  HWND RB_full = nullptr;
  HWND RB_custom = nullptr;
  HWND CL = nullptr;
  HWND RB_ENG = nullptr;
  HWND RB_RUS = nullptr;
  HWND CB_desktop = nullptr;
  HWND CB_Program = nullptr;
  HWND L_curent_file = nullptr;
  HWND PB_curent = nullptr;
  HWND PB_total = nullptr;
  HWND ProgressArea[6] = {};  // what the finish panel covers, besides Lprogress
  HWND Panel2 = nullptr;
  HWND LFinish = nullptr;
};

// Places of the header band inside the window's client area.
constexpr int kHeaderHeight = 56;
constexpr RECT kLInfoRect = {156, 16, 156 + 309, 16 + 24};

// Creates every control of the window `form`; all pages start hidden.
// Pages forward their controls' notifications to `form`.
TWizardControls CreateWizardControls(HWND form, HINSTANCE instance, const TWizardFonts& fonts);
