#include "tests/driver/driver_lists.h"

#include <commctrl.h>

#include <stdexcept>

#include "common/win32_handles.h"
#include "tests/driver/driver_text.h"

namespace {

constexpr UINT kTimeoutMs = 2000;
constexpr LPARAM kCheckedBit = 1;
constexpr LPARAM kDisabledBit = 2;

LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, kTimeoutMs, &result)) {
    throw std::runtime_error("the list does not answer");
  }
  return static_cast<LRESULT>(result);
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

// A piece of memory inside the list's process: list-view messages carry
// pointers, which are only valid there.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND owner, size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!process_) throw std::runtime_error("cannot open the list's process");
    address_ = VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!address_) throw std::runtime_error("cannot reach the list's memory");
  }
  ~RemoteBuffer() { VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE); }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  void* Address(size_t offset = 0) const { return static_cast<char*>(address_) + offset; }
  void Write(const void* data, size_t size, size_t offset = 0) {
    WriteProcessMemory(process_.get(), Address(offset), data, size, nullptr);
  }
  void Read(void* data, size_t size, size_t offset = 0) const {
    ReadProcessMemory(process_.get(), Address(offset), data, size, nullptr);
  }

 private:
  size_t size_;
  win32::UniqueHandle process_;
  void* address_ = nullptr;
};

void CheckIndex(HWND list, int index) {
  int count = ListItemCount(list);
  if (index < 0 || index >= count) {
    throw std::runtime_error("the list has no item " + std::to_string(index) + " (it has " +
                             std::to_string(count) + ")");
  }
}

ListItemState ReadListViewItem(HWND list, int index) {
  constexpr size_t kTextChars = 1024;
  RemoteBuffer remote(list, sizeof(LVITEMA) + kTextChars);
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = static_cast<char*>(remote.Address(sizeof item));
  item.cchTextMax = kTextChars;
  remote.Write(&item, sizeof item);
  LRESULT length = Send(list, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(remote.Address()));
  std::string text(static_cast<size_t>(length), '\0');
  if (length > 0) remote.Read(text.data(), text.size(), sizeof item);

  ListItemState state;
  state.Text = text;
  UINT image = static_cast<UINT>(Send(list, LVM_GETITEMSTATE, index, LVIS_STATEIMAGEMASK)) >> 12;
  state.Checked = image == 2;
  return state;
}

}  // namespace

bool IsListBox(HWND list) { return lstrcmpiW(ClassOf(list).c_str(), L"ListBox") == 0; }

bool IsListView(HWND list) { return lstrcmpiW(ClassOf(list).c_str(), WC_LISTVIEWW) == 0; }

int ListItemCount(HWND list) {
  if (IsListBox(list)) return static_cast<int>(Send(list, LB_GETCOUNT, 0, 0));
  if (IsListView(list)) return static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
  throw std::runtime_error("the control is neither a list box nor a list-view");
}

ListItemState ReadListItem(HWND list, int index) {
  CheckIndex(list, index);
  if (IsListView(list)) return ReadListViewItem(list, index);
  ListItemState state;
  // Asked in UTF-16 and turned into ANSI bytes here: the ANSI form of this
  // request does not survive the trip between processes under Wine.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(list, LB_GETTEXTLEN, index, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &length) ||
      static_cast<LRESULT>(length) < 0) {
    throw std::runtime_error("cannot read item " + std::to_string(index));
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                      kTimeoutMs, &copied);
  text.resize(static_cast<LRESULT>(copied) > 0 ? copied : 0);
  state.Text = WideToAnsi(text);
  LPARAM data = Send(list, LB_GETITEMDATA, index, 0);
  state.Checked = (data & kCheckedBit) != 0;
  state.Disabled = (data & kDisabledBit) != 0;
  return state;
}

RECT ListItemRect(HWND list, int index) {
  CheckIndex(list, index);
  RECT client = {};
  GetClientRect(list, &client);
  if (IsListBox(list)) {
    // Computed here rather than asked of the list, so no pointer crosses processes.
    const int height = static_cast<int>(Send(list, LB_GETITEMHEIGHT, index, 0));
    int top = static_cast<int>(Send(list, LB_GETTOPINDEX, 0, 0));
    if (index < top || (index - top + 1) * height > client.bottom) {
      Send(list, LB_SETTOPINDEX, index, 0);
      top = static_cast<int>(Send(list, LB_GETTOPINDEX, 0, 0));
    }
    return RECT{0, (index - top) * height, client.right, (index - top + 1) * height};
  }
  Send(list, LVM_ENSUREVISIBLE, index, FALSE);
  RemoteBuffer remote(list, sizeof(RECT));
  RECT r = {LVIR_BOUNDS, 0, 0, 0};
  remote.Write(&r, sizeof r);
  if (!Send(list, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote.Address()))) {
    throw std::runtime_error("the list-view gives no rectangle for item " + std::to_string(index));
  }
  remote.Read(&r, sizeof r);
  return r;
}
