// Items of list boxes and list-views of another process, and where they lie.
#pragma once

#include <windows.h>

#include <string>

struct ListItemState {
  std::string Text;  // ANSI bytes
  bool Checked = false;
  bool Disabled = false;
};

bool IsListBox(HWND list);
bool IsListView(HWND list);

int ListItemCount(HWND list);

// Text and marks of item `index`. For a list box the marks are the item data
// bits our programs' check lists use (1 checked, 2 disabled); for a list-view
// they are its check-box state. Throws when the control is no list.
ListItemState ReadListItem(HWND list, int index);

// The item's rectangle in the list's client coordinates, scrolled into view first.
RECT ListItemRect(HWND list, int index);
