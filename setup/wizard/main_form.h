// TFr_Main: the setup program's one window, the wizard.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/win32_handles.h"
#include "setup/extraction/RARArc.h"
#include "setup/extraction/extraction_view.h"
#include "setup/run/installation_run.h"
#include "setup/run/setup_description.h"
#include "setup/unattended/setup_switches.h"
#include "setup/wizard/wizard_checklist.h"
#include "setup/wizard/wizard_navigation.h"
#include "setup/wizard/wizard_pages.h"
#include "setup/wizard/wizard_texts.h"

class TFr_Main : private TRunWindow {
 public:
  static constexpr int kClientWidth = 492;
  static constexpr int kClientHeight = 353;

  // Without switches the wizard is exactly what it always was.
  explicit TFr_Main(HINSTANCE instance, setupcli::TSetupSwitches switches = {});
  ~TFr_Main() override;
  TFr_Main(const TFr_Main&) = delete;
  TFr_Main& operator=(const TFr_Main&) = delete;

  // Creates the window (running FormCreate) and shows it (running FormShow).
  bool Create(int showCommand);
  HWND Handle() const { return hwnd_; }

  // The installation: reads the choices from the controls, ends on the finish page.
  void RunInstallation();

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  void FormCreate();
  void FormShow();
  void FormClose();

  void OnCommand(int id, int code);
  void B_nextClick();
  void B_backClick();
  void Button7Click();
  void Button11Click();
  void Button1Click();
  void RB_fullClick();
  void CLClick(int index);
  void B_closeClick();
  void TabSheet7Show();

  // The choices of the command line and the answer file put into the
  // controls; false (the window closing with the exit code) when they cannot be taken.
  bool ApplyUnattendedChoices();
  // Writes the answer file of /SAVEINF from the controls.
  void SaveChoices();
  // A message box, or in an unattended run only its line in the account.
  int Say(const std::string& text, const char* caption, UINT flags, int unattendedAnswer);
  // Ends the program with the code (the window closes).
  void EndWith(int code);

  void ShowPage(int page);
  void PageEnter(int page);
  void SetLInfo(const std::string& text);
  void ShowFinishPanel();
  void ApplySidePicture();
  void PaintHeader();
  void DrawHeaderTitle(const DRAWITEMSTRUCT& draw);
  int DefaultButtonId() const;

  // The run's view of the window.
  std::string InstallFolderText() override;
  std::vector<bool> CheckedPackages() override;
  bool RussianChosen() override;
  bool DesktopShortcuts() override;
  bool ProgramShortcuts() override;
  void SetHeader(const std::string& text) override;
  void ResetTotalProgress() override;
  void CompleteTotalProgress() override;
  bool AskOkCancel(const std::string& text, const std::string& caption) override;
  void ShowWarning(const std::string& text, const std::string& caption) override;
  void ShowFinish(bool complete) override;

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  bool shown_ = false;
  std::unique_ptr<TInst> inst_;
  TRAR RAR;
  std::unique_ptr<TExtraction> extraction_;
  TWizardNavigation nav_{"7"};
  std::vector<TCheckItem> items_;
  TItemClick onItemClick_;
  TWizardControls c_;
  TPageTexts texts_;
  win32::UniqueFont mainFont_, titleFont_, listFont_;
  win32::UniqueBitmap banner_, sidePicture_;
  int shownPage_ = -1;
  bool runStarted_ = false;
  bool runActive_ = false;
  int exitCode_ = 0;
  setupcli::TSetupSwitches switches_;
  bool quiet_ = false;
  bool saveFailed_ = false;
};
