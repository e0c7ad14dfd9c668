#include "tests/driver/driver.h"

#include "tests/driver/driver_text.h"

int ToInt(const std::string& s) {
  try {
    size_t used = 0;
    int value = std::stoi(s, &used, 0);
    if (used != s.size()) throw std::invalid_argument(s);
    return value;
  } catch (...) {
    throw StepFailed("not a number: " + s);
  }
}

namespace {

bool IsNumber(const std::string& s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

struct TopLevelSearch {
  const std::wstring* caption;
  const wchar_t* cls;
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<TopLevelSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (s->pid && pid != s->pid) return TRUE;
  if (!IsWindowVisible(hwnd)) return TRUE;
  if (s->cls) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (lstrcmpW(name, s->cls) != 0) return TRUE;
  }
  if (*s->caption != L"*" && WindowTextWide(hwnd) != *s->caption) return TRUE;
  s->found = hwnd;
  return FALSE;
}

struct ControlSearch {
  bool byId;
  int id;
  std::wstring caption;
  HWND visible = nullptr;
  HWND hidden = nullptr;
};

BOOL CALLBACK MatchControl(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<ControlSearch*>(param);
  bool match = s->byId ? GetDlgCtrlID(hwnd) == s->id : WindowTextWide(hwnd) == s->caption;
  if (!match) return TRUE;
  if (IsWindowVisible(hwnd)) {
    s->visible = hwnd;
    return FALSE;
  }
  if (!s->hidden) s->hidden = hwnd;
  return TRUE;
}

}  // namespace

Driver::Driver() {
  AddProgramCommands();
  AddControlCommands();
  AddListCommands();
  AddDialogCommands();
}

void Driver::EndStartedProgram() {
  if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) TerminateProcess(process_.get(), 255);
}

void Driver::Run(const Words& words) {
  auto it = commands_.find(words[0]);
  if (it == commands_.end()) throw StepFailed("unknown command " + words[0]);
  it->second(words);
}

const std::string& Driver::Arg(const Words& w, size_t i) const {
  if (i >= w.size()) throw StepFailed("missing argument " + std::to_string(i) + " of " + w[0]);
  return w[i];
}

int Driver::ArgInt(const Words& w, size_t i, int fallback) const {
  return i < w.size() ? ToInt(w[i]) : fallback;
}

HWND Driver::Current() const {
  if (windows_.empty() || !IsWindow(windows_.back())) throw StepFailed("no current window");
  return windows_.back();
}

HWND Driver::WaitFor(int timeoutMs, const std::function<HWND()>& found) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND h = found()) return h;
    if (static_cast<int>(GetTickCount() - start) >= timeoutMs) return nullptr;
    Sleep(50);
  }
}

void Driver::WaitUntil(int timeoutMs, const std::function<std::string()>& check) {
  DWORD start = GetTickCount();
  for (;;) {
    std::string problem = check();
    if (problem.empty()) return;
    if (static_cast<int>(GetTickCount() - start) >= timeoutMs) throw StepFailed(problem);
    Sleep(50);
  }
}

HWND Driver::FindTopLevel(const std::wstring& caption, const wchar_t* cls) const {
  TopLevelSearch search{&caption, cls, processId_, nullptr};
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND Driver::Control(const std::string& ref, int timeoutMs) const {
  HWND parent = Current();
  ControlSearch search;
  search.byId = IsNumber(ref);
  search.id = search.byId ? ToInt(ref) : 0;
  if (!search.byId) search.caption = Utf8ToWide(Unescape(ref));
  HWND found = WaitFor(timeoutMs, [&] {
    search.visible = search.hidden = nullptr;
    EnumChildWindows(parent, MatchControl, reinterpret_cast<LPARAM>(&search));
    return search.visible ? search.visible : search.hidden;
  });
  if (found) return found;
  throw StepFailed("no control " + (search.byId ? "with id " + ref : "captioned \"" + ref + "\""));
}

void Driver::AddProgramCommands() {
  commands_["start"] = [this](const Words& w) {
    std::wstring cmd = L"\"" + Utf8ToWide(Arg(w, 1)) + L"\"";
    if (w.size() > 2) cmd += L" " + Utf8ToWide(w[2]);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      throw StepFailed("cannot start " + w[1] + " (error " + std::to_string(GetLastError()) + ")");
    }
    win32::ProcessHandles started(pi);
    process_ = std::move(started.process);
    processId_ = pi.dwProcessId;
    windows_.clear();
  };
  commands_["wait-window"] = [this](const Words& w) {
    std::wstring caption = Utf8ToWide(Unescape(Arg(w, 1)));
    HWND h = WaitFor(ArgInt(w, 2, 15000), [&] { return FindTopLevel(caption, nullptr); });
    if (!h) throw StepFailed("no window captioned \"" + w[1] + "\" appeared");
    windows_.assign(1, h);
  };
  commands_["no-window"] = [this](const Words& w) {
    std::wstring caption = Utf8ToWide(Unescape(Arg(w, 1)));
    if (WaitFor(ArgInt(w, 2, 1000), [&] { return FindTopLevel(caption, nullptr); })) {
      throw StepFailed("a window captioned \"" + w[1] + "\" is there");
    }
  };
  commands_["close"] = [this](const Words&) { PostMessageW(Current(), WM_SYSCOMMAND, SC_CLOSE, 0); };
  commands_["wait-exit"] = [this](const Words& w) {
    if (!process_) throw StepFailed("no program was started");
    if (WaitForSingleObject(process_.get(), ArgInt(w, 1, 15000)) != WAIT_OBJECT_0) {
      throw StepFailed("the program is still running");
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    if (w.size() > 2 && code != static_cast<DWORD>(ToInt(w[2]))) {
      throw StepFailed("exit code " + std::to_string(code) + ", expected " + w[2]);
    }
  };
  commands_["still-running"] = [this](const Words& w) {
    if (!process_) throw StepFailed("no program was started");
    if (WaitForSingleObject(process_.get(), ArgInt(w, 1, 300)) == WAIT_OBJECT_0) {
      throw StepFailed("the program has ended");
    }
  };
  commands_["sleep"] = [this](const Words& w) { Sleep(ArgInt(w, 1, 0)); };
  commands_["handshake"] = [](const Words& w) {
    // Lets a tool outside Wine act at this point (a screenshot, say).
    std::wstring base = Utf8ToWide(w.size() > 1 ? w[1] : std::string());
    win32::UniqueFile ready(
        CreateFileW((base + L".ready").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!ready) throw StepFailed("cannot write " + w[1] + ".ready");
    // Only a signal, closed before the wait: the tool outside removes it.
    ready.reset();
    const std::wstring done = base + L".done";
    if (!WaitFor(w.size() > 2 ? ToInt(w[2]) : 30000, [&] {
          return GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES ? reinterpret_cast<HWND>(1) : nullptr;
        })) {
      throw StepFailed("nobody answered " + w[1]);
    }
    DeleteFileW(done.c_str());
  };
}
