// TExtractionView over the progress page's controls.
#pragma once

#include <windows.h>

#include "setup/extraction/extraction_handlers.h"

class TWindowExtractionView : public TExtractionView {
 public:
  TWindowExtractionView(HWND owner, HWND L_curent_file, HWND PB_curent, HWND PB_total)
      : owner_(owner), label_(L_curent_file), current_(PB_curent), total_(PB_total) {}

  void SetCurrentFile(const std::string& ansiName) override;
  void SetCurrentBar(int min, int max, int position) override;
  void SetCurrentPosition(int position) override;
  void SetTotalPosition(int position) override;
  void ProcessMessages() override;
  bool AskContinue(const std::string& text, const std::string& caption) override;
  void EndProgram() override;

  // Unattended: the question is not shown; its safe answer is to stop.
  bool Quiet = false;
  // The exit code of a run that ends at a failed member.
  int EndCode = 0;

 private:
  HWND owner_, label_, current_, total_;
};

// The window's side of package extraction in one piece: the view over the
// progress page's controls and the handlers, attached to the component.
struct TExtraction {
  TExtraction(TRAR& rar, TInst& inst, HWND owner, HWND L_curent_file, HWND PB_curent, HWND PB_total)
      : view(owner, L_curent_file, PB_curent, PB_total), handlers(view, inst) {
    handlers.Attach(rar);
  }
  TExtraction(const TExtraction&) = delete;
  TExtraction& operator=(const TExtraction&) = delete;

  TWindowExtractionView view;
  TExtractionHandlers handlers;
};
