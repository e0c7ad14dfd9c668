#include "tests/driver/driver_script.h"

#include <windows.h>

#include <cstdio>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>

namespace {

struct StepFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::wstring Wide(const std::string& utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  std::wstring w(n > 0 ? n - 1 : 0, L'\0');
  if (n > 1) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, w.data(), n);
  return w;
}

std::wstring WindowTextW(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring w(n + 1, L'\0');
  n = GetWindowTextW(hwnd, w.data(), n + 1);
  w.resize(n > 0 ? n : 0);
  return w;
}

int ToInt(const std::string& s) {
  try {
    return std::stoi(s, nullptr, 0);
  } catch (...) {
    throw StepFailed("not a number: " + s);
  }
}

class Driver {
 public:
  Driver();
  ~Driver() {
    if (process_) CloseHandle(process_);
  }
  void Run(const std::vector<std::string>& words);

 private:
  using Handler = std::function<void(const std::vector<std::string>&)>;

  const std::string& Arg(const std::vector<std::string>& w, size_t i) const {
    if (i >= w.size()) throw StepFailed("missing argument " + std::to_string(i) + " of " + w[0]);
    return w[i];
  }
  int ArgInt(const std::vector<std::string>& w, size_t i, int fallback) const {
    return i < w.size() ? ToInt(w[i]) : fallback;
  }
  HWND Current() const {
    if (!current_ || !IsWindow(current_)) throw StepFailed("no current window");
    return current_;
  }
  // Polls `found` every 50 ms until it gives a window or the time is up.
  HWND WaitFor(int timeoutMs, const std::function<HWND()>& found) const;
  HWND FindTopLevel(const std::wstring& caption) const;

  std::map<std::string, Handler> commands_;
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  HWND current_ = nullptr;
};

HWND Driver::WaitFor(int timeoutMs, const std::function<HWND()>& found) const {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND h = found()) return h;
    if (static_cast<int>(GetTickCount() - start) >= timeoutMs) return nullptr;
    Sleep(50);
  }
}

struct TopLevelSearch {
  const std::wstring* caption;
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<TopLevelSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (s->pid && pid != s->pid) return TRUE;
  if (!IsWindowVisible(hwnd) || WindowTextW(hwnd) != *s->caption) return TRUE;
  s->found = hwnd;
  return FALSE;
}

HWND Driver::FindTopLevel(const std::wstring& caption) const {
  TopLevelSearch search{&caption, processId_, nullptr};
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

Driver::Driver() {
  commands_["start"] = [this](const auto& w) {
    std::wstring cmd = L"\"" + Wide(Arg(w, 1)) + L"\"";
    if (w.size() > 2) cmd += L" " + Wide(w[2]);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      throw StepFailed("cannot start " + w[1] + " (error " + std::to_string(GetLastError()) + ")");
    }
    CloseHandle(pi.hThread);
    if (process_) CloseHandle(process_);
    process_ = pi.hProcess;
    processId_ = pi.dwProcessId;
    current_ = nullptr;
  };
  commands_["wait-window"] = [this](const auto& w) {
    std::wstring caption = Wide(Arg(w, 1));
    HWND h = WaitFor(ArgInt(w, 2, 15000), [&] { return FindTopLevel(caption); });
    if (!h) throw StepFailed("no window captioned \"" + w[1] + "\" appeared");
    current_ = h;
  };
  commands_["no-window"] = [this](const auto& w) {
    std::wstring caption = Wide(Arg(w, 1));
    if (WaitFor(ArgInt(w, 2, 1000), [&] { return FindTopLevel(caption); })) {
      throw StepFailed("a window captioned \"" + w[1] + "\" is there");
    }
  };
  commands_["close"] = [this](const auto&) { PostMessageW(Current(), WM_CLOSE, 0, 0); };
  commands_["wait-exit"] = [this](const auto& w) {
    if (!process_) throw StepFailed("no program was started");
    if (WaitForSingleObject(process_, ArgInt(w, 1, 15000)) != WAIT_OBJECT_0) {
      throw StepFailed("the program is still running");
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    if (w.size() > 2 && code != static_cast<DWORD>(ToInt(w[2]))) {
      throw StepFailed("exit code " + std::to_string(code) + ", expected " + w[2]);
    }
  };
  commands_["sleep"] = [this](const auto& w) { Sleep(ArgInt(w, 1, 0)); };
}

void Driver::Run(const std::vector<std::string>& words) {
  auto it = commands_.find(words[0]);
  if (it == commands_.end()) throw StepFailed("unknown command " + words[0]);
  it->second(words);
}

}  // namespace

std::vector<std::string> SplitDriverLine(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i >= line.size() || line[i] == '#') break;
    std::string word;
    if (line[i] == '"') {
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '"') ++i;
        word += line[i];
      }
      ++i;
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') word += line[i++];
    }
    words.push_back(word);
  }
  return words;
}

int RunDriverScript(const std::string& utf8Script) {
  Driver driver;
  std::istringstream lines(utf8Script);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    std::vector<std::string> words = SplitDriverLine(line);
    if (words.empty()) continue;
    try {
      driver.Run(words);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "driver: line %d (%s): %s\n", number, words[0].c_str(), e.what());
      return 1;
    }
  }
  return 0;
}
