// The GUI test driver's commands: a person's use of another program's windows.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/win32_handles.h"

struct StepFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A script's number (decimal, or 0x hexadecimal); throws StepFailed otherwise.
int ToInt(const std::string& s);

class Driver {
 public:
  Driver();
  Driver(const Driver&) = delete;
  Driver& operator=(const Driver&) = delete;

  // Runs one script command; throws StepFailed (or another exception) when it fails.
  void Run(const std::vector<std::string>& words);

  // After a failed step: ends the started program if it still runs, so that
  // nothing is left waiting for a person who never comes.
  void EndStartedProgram();

 private:
  using Words = std::vector<std::string>;
  using Handler = std::function<void(const Words&)>;

  void AddProgramCommands();
  void AddControlCommands();
  void AddListCommands();
  void AddDialogCommands();

  const std::string& Arg(const Words& w, size_t i) const;
  int ArgInt(const Words& w, size_t i, int fallback) const;
  HWND Current() const;
  // The control named by `ref`: a number is an id, anything else a caption;
  // among several matches a visible one wins. Waits up to `timeoutMs` for one to exist.
  HWND Control(const std::string& ref, int timeoutMs = 3000) const;
  // Polls `found` every 50 ms until it gives a window or the time is up.
  static HWND WaitFor(int timeoutMs, const std::function<HWND()>& found);
  // Polls `check` until it returns an empty string, or fails with its last answer.
  static void WaitUntil(int timeoutMs, const std::function<std::string()>& check);
  HWND FindTopLevel(const std::wstring& caption, const wchar_t* cls) const;

  std::map<std::string, Handler> commands_;
  win32::UniqueHandle process_;
  DWORD processId_ = 0;
  std::vector<HWND> windows_;  // the window under test, then the dialogs it opened
};
