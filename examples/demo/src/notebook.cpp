// Notebook: the example product that the example distributions install.
// A plain text editor whose language, font and window come from the values
// the distribution's registry files write.
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "common/win32_handles.h"
#include "notebook_ids.h"
#include "notebook_texts.h"

namespace {

constexpr char kClassName[] = "NotebookDemoWindow";
constexpr char kSettingsKey[] = "Software\\Notebook Demo";
constexpr char kRegisteredMarker[] = "registered.txt";

class RegKey {
 public:
  RegKey(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) == ERROR_SUCCESS) key_.reset(key);
  }

  std::string String(const char* name, const char* fallback) const {
    char buffer[MAX_PATH] = {};
    DWORD size = sizeof buffer - 1, type = 0;
    if (!key_ || RegQueryValueExA(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
      return fallback;
    return buffer;
  }
  DWORD Number(const char* name, DWORD fallback) const {
    DWORD value = 0, size = sizeof value, type = 0;
    if (!key_ || RegQueryValueExA(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
      return fallback;
    return value;
  }
  bool Rect(const char* name, RECT& out) const {
    LONG v[4] = {};
    DWORD size = sizeof v, type = 0;
    if (!key_ || RegQueryValueExA(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(v), &size) != ERROR_SUCCESS ||
        type != REG_BINARY || size != sizeof v)
      return false;
    out = {v[0], v[1], v[0] + v[2], v[1] + v[3]};
    return v[2] > 100 && v[3] > 100;
  }

 private:
  win32::UniqueKey key_;
};

struct Settings {
  std::string language = "en";
  std::string documentsFolder;
  std::string fontName = "Courier New";
  int fontSize = 10;
  bool wordWrap = true;
  bool haveRect = false;
  RECT rect{};
};

Settings ReadSettings() {
  Settings s;
  const RegKey main(HKEY_CURRENT_USER, kSettingsKey);
  s.language = main.String("Language", "en");
  s.wordWrap = main.Number("WordWrap", 1) != 0;
  const RegKey view(HKEY_CURRENT_USER, "Software\\Notebook Demo\\Settings");
  s.documentsFolder = view.String("DocumentsFolder", "");
  s.fontName = view.String("FontName", "Courier New");
  s.fontSize = static_cast<int>(view.Number("FontSize", 10));
  if (s.fontSize < 6 || s.fontSize > 72) s.fontSize = 10;
  s.haveRect = view.Rect("WindowRect", s.rect);
  return s;
}

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, n);
  const size_t slash = folder.find_last_of('\\');
  return slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
}

// The setup program runs "notebook.exe /register" and waits; it must end at once.
int Register() {
  const std::string path = ProgramFolder() + kRegisteredMarker;
  win32::UniqueFile file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 1;
  SYSTEMTIME t;
  GetLocalTime(&t);
  char text[96];
  const int n = wsprintfA(text, "Notebook registered %04u-%02u-%02u %02u:%02u\r\n", t.wYear, t.wMonth, t.wDay,
                          t.wHour, t.wMinute);
  DWORD written = 0;
  bool ok = WriteFile(file.get(), text, static_cast<DWORD>(n), &written, nullptr) && written == static_cast<DWORD>(n);
  ok = file.close() && ok;
  return ok ? 0 : 1;
}

class Notebook {
 public:
  explicit Notebook(HINSTANCE instance) : instance_(instance), settings_(ReadSettings()),
                                          texts_(notebook::TextsFor(settings_.language)) {}

  bool Create(const std::string& document);
  int Run();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id);

  HMENU BuildMenu() const;
  void CreateEditor(const std::string& text);
  void UpdateCaption();
  bool Modified() const { return SendMessageA(edit_, EM_GETMODIFY, 0, 0) != 0; }
  bool MayDiscard();  // asks to save a changed document; false when the user cancels
  bool Load(const std::string& path);
  bool Save(const std::string& path);
  bool SaveAs();
  std::string EditorText() const;
  void Message(const std::string& text, UINT icon) const;

  HINSTANCE instance_;
  Settings settings_;
  const notebook::Texts& texts_;
  HWND window_ = nullptr;
  HWND edit_ = nullptr;
  win32::UniqueFont font_;
  std::string path_;
};

bool Notebook::Create(const std::string& document) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(IDI_NOTEBOOK));
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassA(&wc)) return false;

  int x = CW_USEDEFAULT, y = CW_USEDEFAULT, w = 640, h = 480;
  if (settings_.haveRect) {
    x = settings_.rect.left;
    y = settings_.rect.top;
    w = settings_.rect.right - settings_.rect.left;
    h = settings_.rect.bottom - settings_.rect.top;
  }
  window_ = CreateWindowExA(0, kClassName, texts_.programName, WS_OVERLAPPEDWINDOW, x, y, w, h, nullptr, BuildMenu(),
                            instance_, this);
  if (!window_) return false;

  const int height = -MulDiv(settings_.fontSize, GetDeviceCaps(win32::WindowDC(window_).get(), LOGPIXELSY), 72);
  font_.reset(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, settings_.fontName.c_str()));
  CreateEditor("");
  if (!document.empty()) Load(document);
  UpdateCaption();
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
  SetFocus(edit_);
  return true;
}

int Notebook::Run() {
  ACCEL keys[] = {
      {FVIRTKEY | FCONTROL, 'N', ID_FILE_NEW},   {FVIRTKEY | FCONTROL, 'O', ID_FILE_OPEN},
      {FVIRTKEY | FCONTROL, 'S', ID_FILE_SAVE},  {FVIRTKEY | FCONTROL, 'A', ID_EDIT_SELECTALL},
      {FVIRTKEY, VK_F1, ID_HELP_TOPICS},
  };
  HACCEL accelerators = CreateAcceleratorTableA(keys, sizeof keys / sizeof keys[0]);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (TranslateAcceleratorA(window_, accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  DestroyAcceleratorTable(accelerators);
  return static_cast<int>(msg.wParam);
}

HMENU Notebook::BuildMenu() const {
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, ID_FILE_NEW, texts_.fileNew);
  AppendMenuA(file, MF_STRING, ID_FILE_OPEN, texts_.fileOpen);
  AppendMenuA(file, MF_STRING, ID_FILE_SAVE, texts_.fileSave);
  AppendMenuA(file, MF_STRING, ID_FILE_SAVEAS, texts_.fileSaveAs);
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(file, MF_STRING, ID_FILE_EXIT, texts_.fileExit);

  HMENU edit = CreatePopupMenu();
  AppendMenuA(edit, MF_STRING, ID_EDIT_UNDO, texts_.editUndo);
  AppendMenuA(edit, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(edit, MF_STRING, ID_EDIT_CUT, texts_.editCut);
  AppendMenuA(edit, MF_STRING, ID_EDIT_COPY, texts_.editCopy);
  AppendMenuA(edit, MF_STRING, ID_EDIT_PASTE, texts_.editPaste);
  AppendMenuA(edit, MF_STRING, ID_EDIT_DELETE, texts_.editDelete);
  AppendMenuA(edit, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(edit, MF_STRING, ID_EDIT_SELECTALL, texts_.editSelectAll);
  AppendMenuA(edit, MF_STRING | (settings_.wordWrap ? MF_CHECKED : 0), ID_EDIT_WORDWRAP, texts_.editWordWrap);

  HMENU help = CreatePopupMenu();
  AppendMenuA(help, MF_STRING, ID_HELP_TOPICS, texts_.helpTopics);
  AppendMenuA(help, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(help, MF_STRING, ID_HELP_ABOUT, texts_.helpAbout);

  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), texts_.menuFile);
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), texts_.menuEdit);
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), texts_.menuHelp);
  return bar;
}

// An edit control cannot switch wrapping on and off; it is made anew with the text kept.
void Notebook::CreateEditor(const std::string& text) {
  const bool modified = edit_ && Modified();
  if (edit_) DestroyWindow(edit_);
  DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL;
  if (!settings_.wordWrap) style |= WS_HSCROLL | ES_AUTOHSCROLL;
  RECT client;
  GetClientRect(window_, &client);
  edit_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", style, 0, 0, client.right, client.bottom, window_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(ID_EDIT)), instance_, nullptr);
  SendMessageA(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
  // The default limit of 32 thousand characters is too small for a text file.
  SendMessageA(edit_, EM_SETLIMITTEXT, 0, 0);
  SetWindowTextA(edit_, text.c_str());
  SendMessageA(edit_, EM_SETMODIFY, modified, 0);
}

void Notebook::UpdateCaption() {
  std::string name = texts_.untitled;
  if (!path_.empty()) name = path_.substr(path_.find_last_of('\\') + 1);
  SetWindowTextA(window_, (name + " - " + texts_.programName).c_str());
}

std::string Notebook::EditorText() const {
  const int length = GetWindowTextLengthA(edit_);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(edit_, text.data(), length + 1)));
  return text;
}

void Notebook::Message(const std::string& text, UINT icon) const {
  MessageBoxA(window_, text.c_str(), texts_.programName, MB_OK | icon);
}

bool Notebook::MayDiscard() {
  if (!Modified()) return true;
  const std::string name = path_.empty() ? texts_.untitled : path_;
  switch (MessageBoxA(window_, (texts_.saveQuestion + name + "?").c_str(), texts_.programName,
                      MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: return path_.empty() ? SaveAs() : Save(path_);
    case IDNO: return true;
    default: return false;
  }
}

bool Notebook::Load(const std::string& path) {
  win32::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) {
    Message(texts_.cannotOpen + path, MB_ICONWARNING);
    return false;
  }
  std::string bytes;
  char block[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), block, sizeof block, &got, nullptr) && got > 0) bytes.append(block, got);
  file.reset();
  SetWindowTextA(edit_, notebook::ToCrLf(bytes).c_str());
  SendMessageA(edit_, EM_SETMODIFY, FALSE, 0);
  path_ = path;
  UpdateCaption();
  return true;
}

bool Notebook::Save(const std::string& path) {
  const std::string text = EditorText();
  win32::UniqueFile file(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  bool ok = file && WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
            written == text.size();
  ok = file.close() && ok;
  if (!ok) {
    Message(texts_.cannotSave + path, MB_ICONWARNING);
    return false;
  }
  SendMessageA(edit_, EM_SETMODIFY, FALSE, 0);
  path_ = path;
  UpdateCaption();
  return true;
}

bool Notebook::SaveAs() {
  char name[MAX_PATH] = {};
  lstrcpynA(name, path_.c_str(), MAX_PATH);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = window_;
  ofn.lpstrFilter = texts_.fileFilter;
  ofn.lpstrFile = name;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = "txt";
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  return GetSaveFileNameA(&ofn) && Save(name);
}

void Notebook::OnCommand(int id) {
  switch (id) {
    case ID_FILE_NEW:
      if (!MayDiscard()) break;
      SetWindowTextA(edit_, "");
      SendMessageA(edit_, EM_SETMODIFY, FALSE, 0);
      path_.clear();
      UpdateCaption();
      break;
    case ID_FILE_OPEN: {
      if (!MayDiscard()) break;
      char name[MAX_PATH] = {};
      OPENFILENAMEA ofn{};
      ofn.lStructSize = sizeof ofn;
      ofn.hwndOwner = window_;
      ofn.lpstrFilter = texts_.fileFilter;
      ofn.lpstrFile = name;
      ofn.nMaxFile = MAX_PATH;
      ofn.lpstrInitialDir = settings_.documentsFolder.empty() ? nullptr : settings_.documentsFolder.c_str();
      ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
      if (GetOpenFileNameA(&ofn)) Load(name);
      break;
    }
    case ID_FILE_SAVE:
      if (path_.empty()) SaveAs();
      else Save(path_);
      break;
    case ID_FILE_SAVEAS: SaveAs(); break;
    case ID_FILE_EXIT: SendMessageA(window_, WM_CLOSE, 0, 0); break;
    case ID_EDIT_UNDO: SendMessageA(edit_, EM_UNDO, 0, 0); break;
    case ID_EDIT_CUT: SendMessageA(edit_, WM_CUT, 0, 0); break;
    case ID_EDIT_COPY: SendMessageA(edit_, WM_COPY, 0, 0); break;
    case ID_EDIT_PASTE: SendMessageA(edit_, WM_PASTE, 0, 0); break;
    case ID_EDIT_DELETE: SendMessageA(edit_, WM_CLEAR, 0, 0); break;
    case ID_EDIT_SELECTALL: SendMessageA(edit_, EM_SETSEL, 0, -1); break;
    case ID_EDIT_WORDWRAP:
      settings_.wordWrap = !settings_.wordWrap;
      CheckMenuItem(GetMenu(window_), ID_EDIT_WORDWRAP, settings_.wordWrap ? MF_CHECKED : MF_UNCHECKED);
      CreateEditor(EditorText());
      SetFocus(edit_);
      break;
    case ID_HELP_TOPICS: {
      // The help package puts its pages in the help folder beside the program.
      const std::string index = ProgramFolder() + "help\\index.txt";
      if (GetFileAttributesA(index.c_str()) == INVALID_FILE_ATTRIBUTES) Message(texts_.noHelp + index, MB_ICONINFORMATION);
      else if (MayDiscard()) Load(index);
      break;
    }
    case ID_HELP_ABOUT:
      DialogBoxParamA(instance_, MAKEINTRESOURCEA(IDD_ABOUT), window_, AboutProc, reinterpret_cast<LPARAM>(this));
      break;
    default: break;
  }
}

LRESULT Notebook::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (edit_) MoveWindow(edit_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFOCUS:
      if (edit_) SetFocus(edit_);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == ID_EDIT) return 0;
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_CLOSE:
      if (MayDiscard()) DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default: return DefWindowProcA(window_, message, wParam, lParam);
  }
}

LRESULT CALLBACK Notebook::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Notebook*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Notebook*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  return self ? self->Handle(message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}

// One dialog template serves both languages; its texts are set here.
INT_PTR CALLBACK Notebook::AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* self = reinterpret_cast<const Notebook*>(lParam);
    SetWindowTextA(dialog, self->texts_.aboutCaption);
    SetDlgItemTextA(dialog, ID_ABOUT_TEXT, self->texts_.aboutText);
    SetDlgItemTextA(dialog, ID_ABOUT_TITLE, self->texts_.aboutFolder);
    SetDlgItemTextA(dialog, ID_ABOUT_FOLDER, ProgramFolder().c_str());
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, IDOK);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const std::string argument = notebook::CommandArgument(GetCommandLineA());
  if (notebook::IsRegisterSwitch(argument)) return Register();
  Notebook app(instance);
  if (!app.Create(argument)) return 1;
  return app.Run();
}
