#include "setup/wizard/main_form.h"

#include <commctrl.h>

#include "common/file_io.h"
#include "common/process.h"
#include "common/run_account.h"
#include "setup/unattended/answer_file.h"
#include "setup/unattended/exit_codes.h"
#include "setup/wizard/DirDialog.h"
#include "setup/run/system_folders.h"
#include "setup/wizard/wizard_ids.h"
#include "setup/wizard/wizard_images.h"

namespace {

const char kWindowClass[] = "TFr_Main";

// Posted when the progress page appears, so that the page is on screen before the run.
constexpr UINT kStartRunMessage = WM_APP + 1;


std::string WindowText(HWND hwnd) {
  std::string text(GetWindowTextLengthA(hwnd) + 1, '\0');
  text.resize(GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size())));
  return text;
}

HFONT MakeFont(int height, int weight, const char* face) {
  return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

}  // namespace

TFr_Main::TFr_Main(HINSTANCE instance, setupcli::TSetupSwitches switches)
    : instance_(instance), switches_(std::move(switches)), quiet_(setupcli::Unattended(switches_.mode)) {
  onItemClick_ = [this](int index) { CLClick(index); };
}

TFr_Main::~TFr_Main() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool TFr_Main::Create(int showCommand) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hIcon = LoadIconA(instance_, "MAINICON");
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT r = {0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&r, style, FALSE, WS_EX_CONTROLPARENT);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

  hwnd_ = CreateWindowExA(WS_EX_CONTROLPARENT, kWindowClass, "", style, x, y, width, height, nullptr,
                          nullptr, instance_, this);
  if (!hwnd_) return false;
  if (switches_.mode == setupcli::Mode::VerySilent) {
    // No window at all: the run works on the controls of a window never shown.
    shown_ = true;
    FormShow();
    return true;
  }
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  return true;
}

LRESULT CALLBACK TFr_Main::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TFr_Main* self;
  if (msg == WM_NCCREATE) {
    self = static_cast<TFr_Main*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<TFr_Main*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return self->HandleMessage(msg, wParam, lParam);
}

LRESULT TFr_Main::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      FormCreate();
      return 0;
    case WM_SHOWWINDOW:
      if (wParam && !shown_) {
        shown_ = true;
        FormShow();
      }
      break;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(DefaultButtonId(), DC_HASDEFID);
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (measure->CtlID == ID_CL) measure->itemHeight = 16;
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (draw.CtlID == ID_LINFO) DrawHeaderTitle(draw);
      if (draw.CtlID == ID_CL) DrawCheckListItem(draw, items_);
      return TRUE;
    }
    case WM_PAINT:
      PaintHeader();
      return 0;
    case kStartRunMessage:
      TabSheet7Show();
      return 0;
    case WM_CLOSE:
      FormClose();
      return 0;
    case WM_DESTROY:
      hwnd_ = nullptr;
      PostQuitMessage(exitCode_);
      return 0;
  }
  return DefWindowProcA(hwnd_, msg, wParam, lParam);
}

void TFr_Main::FormCreate() {
  inst_ = std::make_unique<TInst>();
  SystemFolders folders = ReadSystemFolders();
  inst_->DesktopDir = folders.DesktopDir;
  inst_->ProgramsDir = folders.ProgramsDir;

  mainFont_.reset(MakeFont(-11, FW_NORMAL, "MS Sans Serif"));
  titleFont_.reset(MakeFont(-19, FW_BOLD, "MS Sans Serif"));
  listFont_.reset(MakeFont(-13, FW_BOLD, "Arial"));
  banner_ = LoadResourceBitmap(instance_, "BANNER");
  sidePicture_ = LoadResourceBitmap(instance_, "SIDEPICTURE");
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(mainFont_.get()), FALSE);
  c_ = CreateWizardControls(hwnd_, instance_, {mainFont_.get(), titleFont_.get(), listFont_.get()});
  AttachCheckList(c_.CL, &onItemClick_);
  SetLInfo(wizard_text::kFirstTitle);
  // No archive name: no extraction is running.
  RAR.ArchiveName.clear();
  extraction_ = std::make_unique<TExtraction>(RAR, *inst_, hwnd_, c_.L_curent_file, c_.PB_curent, c_.PB_total);
}

void TFr_Main::FormShow() {
  inst_->SourcePath = SourceFolderOf(process::ProgramFilePath());
  inst_->Quiet = quiet_;
  inst_->ReportsExitCodes = switches_.any;
  inst_->NoUninstallShortcut = switches_.noGroup;
  extraction_->view.Quiet = quiet_;
  // A failed member the user does not go on past ends the run.
  extraction_->view.EndCode = switches_.any ? setupcli::kPackageFailed : 0;
  try {
    const std::string description = inst_->SourcePath + "setup.ini";
    // The wizard shows an empty description; a caller that reads exit codes hears of it.
    if (switches_.any && !fileio::FileExists(description)) throw std::runtime_error("Нет файла " + description);
    TIniFile32 ini(description);
    LoadInstallSettings(ini, *inst_);
    for (TPackageItem& package : LoadPackageList(ini)) {
      items_.push_back({std::move(package.Name), true, package.Required});
    }
  } catch (const std::exception& e) {
    // A description that exists but cannot be read leaves nothing to install from.
    Say(e.what(), "Ошибка", MB_OK | MB_ICONERROR, IDOK);
    EndWith(setupcli::kNoDescription);
    return;
  }
  SetWindowTextA(hwnd_, (inst_->ProgramName + " Setup").c_str());
  SendMessageA(c_.CB_desktop, BM_SETCHECK, inst_->CreateDesktopIcon ? BST_CHECKED : BST_UNCHECKED, 0);
  SetWindowTextA(c_.Edit_path, (inst_->InstallPath + inst_->InstallFolder).c_str());
  nav_ = TWizardNavigation(inst_->PageSequence);

  FillCheckList(c_.CL, items_);
  if (!inst_->InstallPicture.empty()) {
    if (win32::UniqueBitmap own = RenderPictureFile(inst_->SourcePath + inst_->InstallPicture)) sidePicture_ = std::move(own);
  }
  ApplySidePicture();

  texts_ = BuildPageTexts(inst_->ProgramName);
  for (int page = 0; page < wizard::kPageCount; ++page) SetWindowTextA(c_.Text[page], texts_.Page[page].c_str());
  SetWindowTextA(c_.LFinish, texts_.Finish.c_str());

  if (switches_.any && !ApplyUnattendedChoices()) return;
  // Last, because the progress page starts the run, which needs everything above.
  ShowPage(quiet_ ? wizard::kProgressPage : nav_.Start());
}

bool TFr_Main::ApplyUnattendedChoices() {
  setupcli::TAnswers fromFile;
  std::string error;
  if (!switches_.loadInf.empty()) {
    std::optional<setupcli::TAnswers> loaded = setupcli::ReadAnswerFile(switches_.loadInf, &error);
    if (!loaded) {
      Say(error, "Ошибка", MB_OK | MB_ICONERROR, IDOK);
      EndWith(setupcli::kBadCommandLine);
      return false;
    }
    runaccount::Note("Файл ответов: " + switches_.loadInf);
    fromFile = *loaded;
  }
  const setupcli::TAnswers choices = setupcli::ResolveChoices(
      switches_, fromFile, {inst_->InstallPath + inst_->InstallFolder, inst_->CreateDesktopIcon});
  if (choices.components) {
    std::vector<bool> required;
    for (const TCheckItem& item : items_) required.push_back(item.Required);
    std::optional<std::vector<bool>> chosen = setupcli::ChoosePackages(*choices.components, required, &error);
    if (!chosen) {
      Say(error, "Ошибка", MB_OK | MB_ICONERROR, IDOK);
      EndWith(setupcli::kBadCommandLine);
      return false;
    }
    bool all = true;
    for (size_t i = 0; i < items_.size(); ++i) {
      items_[i].Checked = (*chosen)[i];
      all = all && items_[i].Checked;
    }
    RefreshCheckList(c_.CL, items_);
    // The wizard shows a list that is not the full one as the custom choice.
    if (!all) {
      SendMessageA(c_.RB_full, BM_SETCHECK, BST_UNCHECKED, 0);
      SendMessageA(c_.RB_custom, BM_SETCHECK, BST_CHECKED, 0);
    }
  }
  SetWindowTextA(c_.Edit_path, choices.dir->c_str());
  SendMessageA(c_.RB_RUS, BM_SETCHECK, *choices.russian ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageA(c_.RB_ENG, BM_SETCHECK, *choices.russian ? BST_UNCHECKED : BST_CHECKED, 0);
  SendMessageA(c_.CB_desktop, BM_SETCHECK, *choices.desktop ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageA(c_.CB_Program, BM_SETCHECK, *choices.group ? BST_CHECKED : BST_UNCHECKED, 0);
  return true;
}

void TFr_Main::SaveChoices() {
  if (switches_.saveInf.empty()) return;
  setupcli::TAnswers answers;
  answers.dir = InstallFolderText();
  answers.components = std::vector<int>{};
  for (size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].Checked) answers.components->push_back(static_cast<int>(i));
  }
  answers.russian = RussianChosen();
  answers.desktop = DesktopShortcuts();
  answers.group = ProgramShortcuts();
  try {
    setupcli::WriteAnswerFile(switches_.saveInf, answers);
    runaccount::Note("Выбор сохранён в " + switches_.saveInf);
  } catch (const std::exception& e) {
    // The installation goes on; the exit code tells that the file is missing.
    saveFailed_ = true;
    Say(e.what(), "Ошибка", MB_OK | MB_ICONERROR, IDOK);
  }
}

int TFr_Main::Say(const std::string& text, const char* caption, UINT flags, int unattendedAnswer) {
  runaccount::Note(std::string(caption) + ": " + text);
  if (quiet_) return unattendedAnswer;
  return MessageBoxA(hwnd_, text.c_str(), caption, flags);
}

void TFr_Main::EndWith(int code) {
  exitCode_ = code;
  if (hwnd_) DestroyWindow(hwnd_);
}

void TFr_Main::FormClose() {
  if (WindowText(c_.Cancel[wizard::kProgressPage]) == "OK") {
    DestroyWindow(hwnd_);
    return;
  }
  // The question follows the user's own Cancel, so it is asked in /SILENT too.
  if (MessageBoxA(hwnd_, wizard_text::kConfirmCancel, wizard_text::kConfirmCaption,
                  MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
    return;
  }
  // A run that failed before the user gave up keeps the code of its failure.
  const int code = !switches_.any ? 0 : exitCode_ != 0 ? exitCode_ : setupcli::kCancelled;
  runaccount::Note("Установка отменена пользователем");
  // Messages reach this window during the run only while it extracts; stopping
  // there means ending at once, keeping what is installed and logged so far.
  if (runActive_) {
    RAR.Stop = true;
    extraction_->handlers.EndInTheMiddle();
    runaccount::Note("Код завершения " + std::to_string(code));
    runaccount::Close();
    ExitProcess(static_cast<UINT>(code));
  }
  inst_.reset();
  EndWith(code);
}

void TFr_Main::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  if (id >= ID_PAGE_BUTTONS && id < ID_PAGE_BUTTONS + 10 * wizard::kPageCount) {
    const int page = (id - ID_PAGE_BUTTONS) / 10;
    if (page != shownPage_) return;
    switch ((id - ID_PAGE_BUTTONS) % 10) {
      case 0: page == wizard::kComponentPage ? Button11Click() : B_backClick(); break;
      case 1: page == wizard::kTypePage ? Button7Click() : B_nextClick(); break;
      case 2: B_closeClick(); break;
    }
    return;
  }
  switch (id) {
    case ID_BUTTON1: Button1Click(); break;
    case ID_RB_FULL: RB_fullClick(); break;
    case IDCANCEL: B_closeClick(); break;  // Escape
  }
}

void TFr_Main::B_nextClick() {
  if (shownPage_ == wizard::kFolderPage && IsBlankInstallFolder(InstallFolderText())) {
    MessageBoxA(hwnd_, wizard_text::kBlankFolder, wizard_text::kWarningCaption, MB_OK | MB_ICONWARNING);
    SetFocus(c_.Edit_path);
    return;
  }
  ShowPage(nav_.Next());
}

void TFr_Main::B_backClick() { ShowPage(nav_.Back()); }

void TFr_Main::Button7Click() {
  ShowPage(nav_.InstallTypeNext(SendMessageA(c_.RB_custom, BM_GETCHECK, 0, 0) == BST_CHECKED));
}

void TFr_Main::Button11Click() { ShowPage(nav_.ComponentBack()); }

void TFr_Main::Button1Click() {
  TDirDialog dialog(hwnd_);
  if (dialog.Execute()) {
    SetWindowTextA(c_.Edit_path, AppendInstallFolder(dialog.DirName, inst_->InstallFolder).c_str());
  }
}

void TFr_Main::RB_fullClick() {
  CheckAllButFirst(items_);
  RefreshCheckList(c_.CL, items_);
}

void TFr_Main::CLClick(int index) {
  if (ToggleCheckItem(items_, index)) RefreshCheckList(c_.CL, items_);
}

void TFr_Main::B_closeClick() { SendMessageA(hwnd_, WM_CLOSE, 0, 0); }

void TFr_Main::TabSheet7Show() {
  if (runStarted_) return;
  runStarted_ = true;
  UpdateWindow(hwnd_);
  // With the install-folder page switched off nobody could have typed a folder.
  if (IsBlankInstallFolder(InstallFolderText())) {
    Say(wizard_text::kNoFolderToRun, wizard_text::kWarningCaption, MB_OK | MB_ICONWARNING, IDOK);
    EndWith(switches_.any ? setupcli::kFolderRefused : 1);
    return;
  }
  RunInstallation();
}

void TFr_Main::RunInstallation() {
  SaveChoices();
  runActive_ = true;
  try {
    ::RunInstallation(*inst_, RAR, extraction_->handlers, *this);
  } catch (const std::exception& e) {
    // The page stays in its running state; only Cancel is left, and it asks.
    runActive_ = false;
    const bool folder = dynamic_cast<const EInstallFolderRefused*>(&e) != nullptr;
    Say(e.what(), inst_->ProgramName.c_str(), MB_OK | MB_ICONERROR, IDOK);
    exitCode_ = folder ? setupcli::kFolderRefused : setupcli::kPackageFailed;
    // Nobody is there to press Cancel.
    if (quiet_) EndWith(exitCode_);
    return;
  }
  runActive_ = false;
}

std::vector<bool> TFr_Main::CheckedPackages() {
  std::vector<bool> checked;
  for (const TCheckItem& item : items_) checked.push_back(item.Checked);
  return checked;
}

bool TFr_Main::RussianChosen() { return SendMessageA(c_.RB_RUS, BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool TFr_Main::DesktopShortcuts() { return SendMessageA(c_.CB_desktop, BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool TFr_Main::ProgramShortcuts() { return SendMessageA(c_.CB_Program, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void TFr_Main::SetHeader(const std::string& text) {
  SetLInfo(text);
  UpdateWindow(c_.LInfo);
}
void TFr_Main::ResetTotalProgress() {
  SendMessageA(c_.PB_total, PBM_SETRANGE32, 0, 100);
  SendMessageA(c_.PB_total, PBM_SETPOS, 0, 0);
}
void TFr_Main::CompleteTotalProgress() { SendMessageA(c_.PB_total, PBM_SETPOS, 100, 0); }
bool TFr_Main::AskOkCancel(const std::string& text, const std::string& caption) {
  return Say(text, caption.c_str(), MB_OKCANCEL | MB_ICONWARNING, IDCANCEL) == IDOK;
}
void TFr_Main::ShowWarning(const std::string& text, const std::string& caption) {
  Say(text, caption.c_str(), MB_OK | MB_ICONWARNING, IDOK);
}
void TFr_Main::ShowFinish(bool complete) {
  if (!complete) SetWindowTextA(c_.LFinish, texts_.IncompleteFinish.c_str());
  SetWindowTextA(c_.Cancel[wizard::kProgressPage], "OK");
  ShowFinishPanel();
  if (!switches_.any) return;
  exitCode_ = !complete ? setupcli::kPackageFailed : saveFailed_ ? setupcli::kBadCommandLine : setupcli::kInstalled;
  // The finish page waits for nobody in an unattended run.
  if (quiet_) EndWith(exitCode_);
}

void TFr_Main::ShowPage(int page) {
  if (page == shownPage_) return;
  if (shownPage_ >= 0) ShowWindow(c_.TabSheet[shownPage_], SW_HIDE);
  ShowWindow(c_.TabSheet[page], SW_SHOW);
  shownPage_ = page;
  PageEnter(page);
  if (page == wizard::kProgressPage && !runStarted_) PostMessageA(hwnd_, kStartRunMessage, 0, 0);
}

void TFr_Main::PageEnter(int page) {
  if (page != wizard::kProgressPage) SetLInfo(PageTitle(page));
  SetFocus(GetDlgItem(c_.TabSheet[page], DefaultButtonId()));
}

int TFr_Main::DefaultButtonId() const {
  const int base = ID_PAGE_BUTTONS + 10 * (shownPage_ < 0 ? 0 : shownPage_);
  return shownPage_ == wizard::kProgressPage ? base + 2 : base + 1;
}

void TFr_Main::SetLInfo(const std::string& text) {
  SetWindowTextA(c_.LInfo, text.c_str());
  InvalidateRect(c_.LInfo, nullptr, FALSE);
}

void TFr_Main::ShowFinishPanel() {
  ShowWindow(c_.Text[wizard::kProgressPage], SW_HIDE);
  for (HWND covered : c_.ProgressArea) ShowWindow(covered, SW_HIDE);
  ShowWindow(c_.Panel2, SW_SHOW);
  SetFocus(c_.Cancel[wizard::kProgressPage]);
}

void TFr_Main::ApplySidePicture() {
  for (HWND picture : c_.SidePicture) {
    SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(sidePicture_.get()));
  }
}

void TFr_Main::PaintHeader() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  if (banner_) {
    win32::MemoryDC source(banner_.get());
    BitBlt(dc, 0, 0, kClientWidth, kHeaderHeight, source.get(), 0, 0, SRCCOPY);
  }
  RECT line = {0, kHeaderHeight - 1, kClientWidth, kHeaderHeight};
  FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
  EndPaint(hwnd_, &ps);
}

// LInfo is drawn over the banner, so its background is the banner's own piece.
void TFr_Main::DrawHeaderTitle(const DRAWITEMSTRUCT& draw) {
  RECT r = draw.rcItem;
  if (banner_) {
    win32::MemoryDC source(banner_.get());
    BitBlt(draw.hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, source.get(), kLInfoRect.left,
           kLInfoRect.top, SRCCOPY);
  } else {
    FillRect(draw.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
  }
  const std::string text = WindowText(draw.hwndItem);
  HGDIOBJ oldFont = SelectObject(draw.hDC, titleFont_.get());
  SetBkMode(draw.hDC, TRANSPARENT);
  SetTextColor(draw.hDC, RGB(0, 0, 0));
  DrawTextA(draw.hDC, text.c_str(), -1, &r, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(draw.hDC, oldFont);
}

std::string TFr_Main::InstallFolderText() { return WindowText(c_.Edit_path); }
