// The component list CL: an owner-drawn list box whose items carry check marks.
// The marks live in the form's TCheckItem list; the box only shows them.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "setup/wizard/wizard_navigation.h"

// Called with the item under a mouse click, or the selected item on the space bar.
using TItemClick = std::function<void(int index)>;

// Routes the list's clicks to `onClick`, which must outlive the list.
void AttachCheckList(HWND list, const TItemClick* onClick);

void FillCheckList(HWND list, const std::vector<TCheckItem>& items);

// Shows changed marks; the item data mirrors them (CL_ITEM_CHECKED, CL_ITEM_DISABLED).
void RefreshCheckList(HWND list, const std::vector<TCheckItem>& items);

void DrawCheckListItem(const DRAWITEMSTRUCT& draw, const std::vector<TCheckItem>& items);
