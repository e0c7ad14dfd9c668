// Commands on controls, lists and dialogs of the current window.
#include <windows.h>

#include <cctype>

#include "tests/driver/driver.h"
#include "tests/driver/driver_lists.h"
#include "tests/driver/driver_text.h"

namespace {

constexpr int kExpectMs = 3000;
constexpr UINT kClickMs = 500;

std::string Bool(bool b, const char* yes, const char* no) { return b ? yes : no; }

// What a person sees of a control, in the words the scripts use.
std::string StateProblem(HWND control, const std::string& wanted) {
  if (wanted == "visible" || wanted == "hidden") {
    std::string is = Bool(IsWindowVisible(control), "visible", "hidden");
    return is == wanted ? "" : "it is " + is;
  }
  if (wanted == "enabled" || wanted == "disabled") {
    std::string is = Bool(IsWindowEnabled(control), "enabled", "disabled");
    return is == wanted ? "" : "it is " + is;
  }
  if (wanted == "checked" || wanted == "unchecked") {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
    std::string is = Bool(state == BST_CHECKED, "checked", "unchecked");
    return is == wanted ? "" : "it is " + is;
  }
  throw StepFailed("unknown state " + wanted);
}

void SendSync(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT timeoutMs = 2000) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_NORMAL, timeoutMs, &ignored);
}

// A message box's buttons by the word a script uses for them.
int ButtonId(const std::string& word) {
  static const std::pair<const char*, int> kButtons[] = {
      {"ok", IDOK}, {"cancel", IDCANCEL}, {"yes", IDYES}, {"no", IDNO},
      {"retry", IDRETRY}, {"ignore", IDIGNORE}, {"abort", IDABORT}};
  for (auto [name, id] : kButtons) {
    if (word == name) return id;
  }
  return 0;
}

}  // namespace

void Driver::AddControlCommands() {
  commands_["expect-caption"] = [this](const Words& w) {
    const std::string want = Utf8ToAnsi(Unescape(Arg(w, 1)));
    WaitUntil(ArgInt(w, 2, kExpectMs), [&]() -> std::string {
      std::string is = WindowTextAnsi(Current());
      return is == want ? "" : "caption is " + ShowAnsi(is) + ", expected " + ShowAnsi(want);
    });
  };
  // Exact comparison of the control's ANSI bytes with the text's bytes in the ANSI code page.
  commands_["expect-text"] = [this](const Words& w) {
    HWND control = Control(Arg(w, 1));
    const std::string want = Utf8ToAnsi(Unescape(Arg(w, 2)));
    WaitUntil(ArgInt(w, 3, kExpectMs), [&]() -> std::string {
      std::string is = WindowTextAnsi(control);
      if (is == want) return "";
      size_t at = 0;
      while (at < is.size() && at < want.size() && is[at] == want[at]) ++at;
      return "control " + w[1] + " reads " + ShowAnsi(is) + ", expected " + ShowAnsi(want) +
             " (first difference at byte " + std::to_string(at) + ")";
    });
  };
  // expect CONTROL state... [ms]: visible hidden enabled disabled checked unchecked
  commands_["expect"] = [this](const Words& w) {
    HWND control = Control(Arg(w, 1));
    Arg(w, 2);
    // A number after the states is how long to wait, for states that come late.
    size_t states = w.size();
    int waitMs = kExpectMs;
    if (states > 3 && std::isdigit(static_cast<unsigned char>(w.back()[0]))) waitMs = ToInt(w[--states]);
    WaitUntil(waitMs, [&]() -> std::string {
      for (size_t i = 2; i < states; ++i) {
        std::string problem = StateProblem(control, w[i]);
        if (!problem.empty()) return "control " + w[1] + " is not " + w[i] + ": " + problem;
      }
      return "";
    });
  };
  // A button, check box or radio button, as a mouse click on it; only a
  // visible and enabled control can be clicked.
  commands_["click"] = [this](const Words& w) {
    HWND control = Control(Arg(w, 1));
    WaitUntil(kExpectMs, [&]() -> std::string {
      if (!IsWindowVisible(control)) return "control " + w[1] + " is hidden";
      if (!IsWindowEnabled(control)) return "control " + w[1] + " is disabled";
      return "";
    });
    // A click that opens a modal box does not return; the time limit lets the script go on.
    SendSync(control, BM_CLICK, 0, 0, kClickMs);
  };
  // Replaces the text of an edit field key by key, as typing over a selection does.
  commands_["type"] = [this](const Words& w) {
    HWND control = Control(Arg(w, 1));
    if (!IsWindowVisible(control) || !IsWindowEnabled(control)) {
      throw StepFailed("control " + w[1] + " cannot take input");
    }
    std::wstring text = Utf8ToWide(Unescape(Arg(w, 2)));
    SendSync(control, EM_SETSEL, 0, -1);
    SendSync(control, WM_CHAR, VK_BACK, 0);
    for (wchar_t c : text) SendSync(control, WM_CHAR, c, 0);
  };
}

void Driver::AddListCommands() {
  commands_["expect-count"] = [this](const Words& w) {
    HWND list = Control(Arg(w, 1));
    const int want = ArgInt(w, 2, 0);
    WaitUntil(kExpectMs, [&]() -> std::string {
      int is = ListItemCount(list);
      return is == want ? "" : "the list has " + std::to_string(is) + " items, expected " + w[2];
    });
  };
  // expect-item LIST INDEX "text" [checked|unchecked] [enabled|disabled]
  commands_["expect-item"] = [this](const Words& w) {
    HWND list = Control(Arg(w, 1));
    const int index = ArgInt(w, 2, 0);
    const std::string want = Utf8ToAnsi(Unescape(Arg(w, 3)));
    WaitUntil(kExpectMs, [&]() -> std::string {
      ListItemState item = ReadListItem(list, index);
      const std::string where = "item " + w[2] + " of " + w[1];
      if (item.Text != want) return where + " reads " + ShowAnsi(item.Text) + ", expected " + ShowAnsi(want);
      for (size_t i = 4; i < w.size(); ++i) {
        std::string is;
        if (w[i] == "checked" || w[i] == "unchecked") is = Bool(item.Checked, "checked", "unchecked");
        else if (w[i] == "enabled" || w[i] == "disabled") is = Bool(item.Disabled, "disabled", "enabled");
        else throw StepFailed("unknown item state " + w[i]);
        if (is != w[i]) return where + " is " + is + ", expected " + w[i];
      }
      return "";
    });
  };
  // item-click LIST INDEX [box|text]: the mouse's press and release on the
  // item's check box (at its left end) or on its text.
  commands_["item-click"] = [this](const Words& w) {
    HWND list = Control(Arg(w, 1));
    if (!IsWindowVisible(list) || !IsWindowEnabled(list)) throw StepFailed("list " + w[1] + " cannot be clicked");
    RECT r = ListItemRect(list, ArgInt(w, 2, 0));
    const bool onBox = w.size() > 3 && w[3] == "box";
    const int x = onBox ? r.left + 8 : r.left + 40;
    const LPARAM at = MAKELPARAM(x, (r.top + r.bottom) / 2);
    SendSync(list, WM_MOUSEMOVE, 0, at);
    SendSync(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendSync(list, WM_LBUTTONUP, 0, at);
  };
}

void Driver::AddDialogCommands() {
  // wait-msgbox "caption" "text" [ms]: a message box of the program; it becomes current.
  commands_["wait-msgbox"] = [this](const Words& w) {
    std::wstring caption = Utf8ToWide(Unescape(Arg(w, 1)));
    const std::string want = Utf8ToAnsi(Unescape(Arg(w, 2)));
    HWND box = WaitFor(ArgInt(w, 3, 10000), [&] { return FindTopLevel(caption, L"#32770"); });
    if (!box) throw StepFailed("no message box captioned \"" + w[1] + "\" appeared");
    // The text of a message box is its static control 0xFFFF.
    std::string is = WindowTextAnsi(GetDlgItem(box, 0xFFFF));
    if (is != want) throw StepFailed("the message box says " + ShowAnsi(is) + ", expected " + ShowAnsi(want));
    windows_.push_back(box);
  };
  // wait-dialog "caption" [ms]: any dialog of the program ("*" for any caption); it becomes current.
  commands_["wait-dialog"] = [this](const Words& w) {
    std::wstring caption = Utf8ToWide(Unescape(Arg(w, 1)));
    HWND dialog = WaitFor(ArgInt(w, 2, 10000), [&]() -> HWND {
      HWND found = FindTopLevel(caption, L"#32770");
      return found && (windows_.empty() || found != windows_.back()) ? found : nullptr;
    });
    if (!dialog) throw StepFailed("no dialog captioned \"" + w[1] + "\" appeared");
    windows_.push_back(dialog);
  };
  // answer ok|cancel|yes|no|retry|ignore|abort|ID: presses that button of the current
  // dialog, which then stops being current.
  commands_["answer"] = [this](const Words& w) {
    // A message box may be the program's first window (a question before its main window).
    if (windows_.empty()) throw StepFailed("no dialog is open");
    HWND dialog = Current();
    const int id = ButtonId(Arg(w, 1)) ? ButtonId(w[1]) : ToInt(w[1]);
    HWND button = GetDlgItem(dialog, id);
    if (!button) throw StepFailed("the dialog has no button " + w[1]);
    PostMessageW(button, BM_CLICK, 0, 0);
    windows_.pop_back();
    if (!WaitFor(5000, [&] { return IsWindowVisible(dialog) ? nullptr : reinterpret_cast<HWND>(1); })) {
      throw StepFailed("the dialog stays open after " + w[1]);
    }
  };
  // key escape|enter: the key pressed where the current window's keyboard focus
  // is; a dialog that the key closes stops being current.
  commands_["key"] = [this](const Words& w) {
    HWND window = Current();
    const std::string& name = Arg(w, 1);
    WPARAM vk = name == "escape" ? VK_ESCAPE : name == "enter" ? VK_RETURN : 0;
    if (!vk) throw StepFailed("unknown key " + name);
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    HWND target = window;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus) {
      target = info.hwndFocus;
    }
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
    if (windows_.size() > 1 &&
        WaitFor(2000, [&] { return IsWindowVisible(window) ? nullptr : reinterpret_cast<HWND>(1); })) {
      windows_.pop_back();
    }
  };
}
