// Control ids of the main window. Unique across all pages, so that a control
// can be found by id alone; the GUI tests read this file for the numbers.
#pragma once

constexpr int ID_LINFO = 1000;
constexpr int ID_TABSHEET_FIRST = 1010;  // page i is ID_TABSHEET_FIRST + i

// Buttons of page i: Back = ID_PAGE_BUTTONS + 10 * i, Next = + 1, Cancel = + 2.
constexpr int ID_PAGE_BUTTONS = 1100;
constexpr int ID_BUTTON7 = 1121;              // Next on the install-type page
constexpr int ID_BUTTON11 = 1130;             // Back on the component page
constexpr int ID_B_CANCEL_PROGRESS = 1172;    // Cancel, later OK, on the progress page

constexpr int ID_LWELCOME = 1201;
constexpr int ID_LDIR = 1202;
constexpr int ID_EDIT_PATH = 1203;
constexpr int ID_BUTTON1 = 1204;
constexpr int ID_LPAK_TYPE = 1205;
constexpr int ID_RB_FULL = 1206;
constexpr int ID_RB_CUSTOM = 1207;
constexpr int ID_LPAK_SELECT = 1208;
constexpr int ID_CL = 1209;
constexpr int ID_LLANGUAGE = 1210;
constexpr int ID_RB_ENG = 1211;
constexpr int ID_RB_RUS = 1212;
constexpr int ID_LICON_TYPE = 1213;
constexpr int ID_CB_DESKTOP = 1214;
constexpr int ID_CB_PROGRAM = 1215;
constexpr int ID_LSTART = 1216;
constexpr int ID_LPROGRESS = 1217;
constexpr int ID_L_CURRENT_FILE = 1218;
constexpr int ID_PB_CURENT = 1219;
constexpr int ID_PB_TOTAL = 1220;
constexpr int ID_PANEL2 = 1221;
constexpr int ID_LFINISH = 1222;
constexpr int ID_SIDE_PICTURE_FIRST = 1230;  // side picture of page i is + i

// Items of the component list carry their marks in the item data, so that
// anything reading the list from outside sees what the user sees.
constexpr int CL_ITEM_CHECKED = 1;
constexpr int CL_ITEM_DISABLED = 2;
