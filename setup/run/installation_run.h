// RunInstallation: the one operation of the setup program that changes the
// machine. It runs synchronously when the progress page appears.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "setup/extraction/RARArc.h"
#include "setup/extraction/extraction_handlers.h"
#include "setup/run/setup_description.h"

// What the run reads from and does to the wizard window.
class TRunWindow {
 public:
  virtual ~TRunWindow() = default;
  // The user's choices.
  virtual std::string InstallFolderText() = 0;      // the install folder as typed
  virtual std::vector<bool> CheckedPackages() = 0;  // whether package N is to be installed
  virtual bool RussianChosen() = 0;                 // Russian rather than English
  virtual bool DesktopShortcuts() = 0;              // shortcuts on the desktop
  virtual bool ProgramShortcuts() = 0;              // shortcuts in the program group
  // The progress page.
  virtual void SetHeader(const std::string& text) = 0;  // the title above the page
  virtual void ResetTotalProgress() = 0;                // overall progress at 0 of 100
  virtual void CompleteTotalProgress() = 0;             // overall progress at 100
  // A message box with OK and Cancel; true for OK.
  virtual bool AskOkCancel(const std::string& text, const std::string& caption) = 0;
  // A warning with OK only.
  virtual void ShowWarning(const std::string& text, const std::string& caption) = 0;
  // The finish page: "OK" on the cancel button and the finish panel shown,
  // telling whether everything chosen was installed.
  virtual void ShowFinish(bool complete) = 0;
};

// Thrown when the install folder is blank, which the run must never guess.
struct EEmptyInstallFolder : std::runtime_error {
  EEmptyInstallFolder() : std::runtime_error("Не указан каталог установки.") {}
};

// Thrown in an unattended run when the install folder cannot be created.
struct EInstallFolderRefused : std::runtime_error {
  explicit EInstallFolderRefused(const std::string& folder)
      : std::runtime_error("Каталог установки не удаётся создать: " + folder) {}
};

// Thrown in an unattended run when a package cannot be installed whole (a
// disk that is not there, an archive cut short): nobody is there to decide
// whether to go on, so the run ends.
struct EPackageFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Runs every step in its order. A failure outside the steps that are guarded
// one by one leaves as an exception, with the page still in its running state.
void RunInstallation(TInst& inst, TRAR& rar, TExtractionHandlers& handlers, TRunWindow& window);
