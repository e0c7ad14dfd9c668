// TFr_Main: the setup program's one window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "setup/setup_description.h"

class TFr_Main {
 public:
  static constexpr int kClientWidth = 492;
  static constexpr int kClientHeight = 353;

  explicit TFr_Main(HINSTANCE instance);
  ~TFr_Main();
  TFr_Main(const TFr_Main&) = delete;
  TFr_Main& operator=(const TFr_Main&) = delete;

  // Creates the window (running FormCreate) and shows it (running FormShow).
  bool Create(int showCommand);
  HWND Handle() const { return hwnd_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  void FormCreate();
  void FormShow();
  void FormClose();

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  bool shown_ = false;
  std::unique_ptr<TInst> inst_;
  std::vector<TPackageItem> packages_;
};
