// The main window's handlers of the archive component's events: progress,
// the question about a failed member, and the [CopyFiles] / [CreateDirs]
// records of install.log. They reach the window only through TExtractionView.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "setup/extraction/RARArc.h"
#include "setup/extraction/member_log.h"
#include "setup/run/setup_description.h"

class TIniFile32;

// What the handlers need from the wizard window.
class TExtractionView {
 public:
  virtual ~TExtractionView() = default;
  virtual void SetCurrentFile(const std::string& ansiName) = 0;   // the member being extracted
  virtual void SetCurrentBar(int min, int max, int position) = 0;  // the member's bytes
  virtual void SetCurrentPosition(int position) = 0;               // bytes of the member so far
  virtual void SetTotalPosition(int position) = 0;                 // overall progress, 0..100
  virtual void ProcessMessages() = 0;
  // A message box with OK and Cancel; true for OK.
  virtual bool AskContinue(const std::string& text, const std::string& caption) = 0;
  // Ends the program at once with exit code 0.
  virtual void EndProgram() = 0;
};

// The name as the window shows and the log records it: OEM to ANSI, the
// trailing zeros dropped.
std::string OemToAnsiStr(const std::string& s);

class TExtractionHandlers {
 public:
  using Clock = std::chrono::steady_clock;

  TExtractionHandlers(TExtractionView& view, TInst& inst) : view_(view), inst_(inst) {}

  // Set by the installation run around the extraction of its packages.
  std::string InstallDir;       // ends with a backslash
  TIniFile32* Log = nullptr;    // nullptr when uninstall support is off

  // The window shows the member being extracted and the progress at most
  // once in this interval: a person cannot read thousands of names a second,
  // and every update of a window costs far more than writing a small file.
  // Refresh() shows the latest values at once. Messages are handled at the
  // same rate, so Cancel still answers within the interval.
  std::chrono::milliseconds RefreshInterval{50};
  std::function<Clock::time_point()> Now = [] { return Clock::now(); };
  void Refresh();

  // Assigns the four handlers to the component's events.
  void Attach(TRAR& rar);

  void RARExtracting(TRAR* Sender, RARHeaderData& eFile);
  int RARProcessData(TRAR* Sender, char* Addr, int BlockSize, int Position);
  void RARExtract(TRAR* Sender, RARHeaderData& eFile, bool Result);
  void RARError(TRAR* Sender, int Error);

  // Before the program ends in the middle of an extraction (Cancel): the
  // member being written is recorded, since its part on disk is installed
  // too, and the log is saved whole. Never throws.
  void EndInTheMiddle();

  // Members that could not be extracted or recorded (the user went on past them).
  int FailedMembers() const { return failed_; }
  // The unpacked size of the files extracted so far.
  uint64_t ExtractedBytes() const { return extractedBytes_; }

 private:
  bool Logging() const { return inst_.SupportUninstall && Log; }
  // Writes the folders the member's extraction created.
  void LogCreatedFolders(const TMemberLog::TOutcome& outcome);
  // Takes back what was put on record ahead of a member and did not come to be.
  void RetractUnmade(const TMemberLog::TOutcome& outcome, bool memberMade);
  void RecordUnfinishedMember();
  void AskAboutFailure(const std::string& name);
  // Runs `show` when the window is due for an update, else notes that it is behind.
  template <class F>
  void ShowWhenDue(F show);
  void ShowAll();

  TExtractionView& view_;
  TInst& inst_;
  TMemberLog members_;
  TMemberLog::TPlan intended_;  // what the current member put on record ahead
  bool unfinished_ = false;     // a member is between its start and its completion
  int failed_ = 0;
  uint64_t extractedBytes_ = 0;
  // What the window should show, and whether it shows it yet.
  std::string file_;
  int max_ = 0, position_ = 0, total_ = -1;
  bool behind_ = false;
  Clock::time_point shownAt_{};
  bool everShown_ = false;
};
