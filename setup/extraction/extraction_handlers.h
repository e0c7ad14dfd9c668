// The main window's handlers of the archive component's events: progress,
// the question about a failed member, and the [CopyFiles] / [CreateDirs]
// records of install.log. They reach the window only through TExtractionView.
#pragma once

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
  TExtractionHandlers(TExtractionView& view, TInst& inst) : view_(view), inst_(inst) {}

  // Set by the installation run around the extraction of its packages.
  std::string InstallDir;       // ends with a backslash
  TIniFile32* Log = nullptr;    // nullptr when uninstall support is off

  // Assigns the four handlers to the component's events.
  void Attach(TRAR& rar);

  void RARExtracting(TRAR* Sender, RARHeaderData& eFile);
  int RARProcessData(TRAR* Sender, char* Addr, int BlockSize, int Position);
  void RARExtract(TRAR* Sender, RARHeaderData& eFile, bool Result);
  void RARError(TRAR* Sender, int Error);

  // Records the member being written, when the program must end before it is
  // complete: the part on disk is installed too, and the uninstaller must
  // find it in the log. Never throws.
  void LogUnfinishedMember();

  // Members that could not be extracted or recorded (the user went on past them).
  int FailedMembers() const { return failed_; }

 private:
  bool Logging() const { return inst_.SupportUninstall && Log; }
  // Writes the folders the member's extraction created.
  void LogCreatedFolders(const TMemberLog::TOutcome& outcome);
  void AskAboutFailure(const std::string& name);

  TExtractionView& view_;
  TInst& inst_;
  TMemberLog members_;
  bool unfinished_ = false;  // a member is between its start and its completion
  int failed_ = 0;
};
