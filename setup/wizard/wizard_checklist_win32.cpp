#include "setup/wizard/wizard_checklist.h"

#include <commctrl.h>

#include "setup/wizard/wizard_ids.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr int kBoxSize = 13;

LPARAM ItemData(const TCheckItem& item) {
  return (item.Checked ? CL_ITEM_CHECKED : 0) | (item.Required ? CL_ITEM_DISABLED : 0);
}

// The list box tells about a click only when the selection changes, so a
// click on the item already selected would go unnoticed; the mouse itself is
// watched instead, and every press on an item counts once.
LRESULT CALLBACK CheckListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR refData) {
  const auto* onClick = reinterpret_cast<const TItemClick*>(refData);
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      LRESULT hit = SendMessageA(hwnd, LB_ITEMFROMPOINT, 0, lParam);
      if (HIWORD(hit) == 0) (*onClick)(LOWORD(hit));
      break;
    }
    case WM_KEYDOWN:
      if (wParam == VK_SPACE) {
        LRESULT selected = SendMessageA(hwnd, LB_GETCURSEL, 0, 0);
        if (selected != LB_ERR) (*onClick)(static_cast<int>(selected));
        return 0;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, CheckListProc, kSubclassId);
      break;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace

void AttachCheckList(HWND list, const TItemClick* onClick) {
  SetWindowSubclass(list, CheckListProc, kSubclassId, reinterpret_cast<DWORD_PTR>(onClick));
}

void FillCheckList(HWND list, const std::vector<TCheckItem>& items) {
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const TCheckItem& item : items) {
    LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.Text.c_str()));
    if (index >= 0) SendMessageA(list, LB_SETITEMDATA, index, ItemData(item));
  }
}

void RefreshCheckList(HWND list, const std::vector<TCheckItem>& items) {
  for (size_t i = 0; i < items.size(); ++i) SendMessageA(list, LB_SETITEMDATA, i, ItemData(items[i]));
  InvalidateRect(list, nullptr, FALSE);
}

void DrawCheckListItem(const DRAWITEMSTRUCT& draw, const std::vector<TCheckItem>& items) {
  HDC dc = draw.hDC;
  RECT r = draw.rcItem;
  if (draw.itemID == static_cast<UINT>(-1) || draw.itemID >= items.size()) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    if (draw.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
    return;
  }
  const TCheckItem& item = items[draw.itemID];
  // Grey text stays readable only on the plain background.
  const bool selected = (draw.itemState & ODS_SELECTED) != 0 && !item.Required;
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

  RECT box = {r.left + 2, r.top + (r.bottom - r.top - kBoxSize) / 2, 0, 0};
  box.right = box.left + kBoxSize;
  box.bottom = box.top + kBoxSize;
  UINT state = DFCS_BUTTONCHECK | DFCS_FLAT;
  if (item.Checked) state |= DFCS_CHECKED;
  if (item.Required) state |= DFCS_INACTIVE;
  DrawFrameControl(dc, &box, DFC_BUTTON, state);

  RECT text = r;
  text.left = box.right + 5;
  SetBkMode(dc, TRANSPARENT);
  int color = item.Required ? COLOR_GRAYTEXT : (selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
  SetTextColor(dc, GetSysColor(color));
  DrawTextA(dc, item.Text.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX |
                                                   DT_END_ELLIPSIS);
  if (draw.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}
