// Message boxes found and answered from a second thread, and the text lookup.
#include "uninstall/support/dialogs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "common/file_io.h"
#include "common/win32_handles.h"
#include "tests/common/temp_dir.h"
#include "uninstall/support/dialogs_core.h"
#include "uninstall/support/ini_files.h"

namespace {

// A hidden window of the test's main thread; a message sent to it from the
// answering thread is handled on the thread that shows the box.
LRESULT CALLBACK ProbeProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP) return CentringHookInstalled() ? 1 : 2;
  return DefWindowProcA(w, msg, wp, lp);
}

HWND MakeProbe() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = ProbeProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "SowellHookProbe";
  RegisterClassA(&wc);
  return CreateWindowExA(0, "SowellHookProbe", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
}

struct SeenBox {
  bool found = false;
  LRESULT hookWhileShown = 0;
  std::string caption;
  RECT rect{};
  HWND owner = nullptr;
};

// Waits for a message box of this process, notes what it looks like, and
// answers it with `answer`.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(int answer, int waitMs = 10000, HWND probe = nullptr)
      : answer_(answer), waitMs_(waitMs), probe_(probe), thread_([this] { Run(); }) {}
  ~BoxAnswerer() { Join(); }
  const SeenBox& Seen() {
    Join();
    return seen_;
  }

 private:
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  static BOOL CALLBACK Visit(HWND w, LPARAM self) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (pid == GetCurrentProcessId() && std::string(cls) == "#32770" && IsWindowVisible(w)) {
      reinterpret_cast<BoxAnswerer*>(self)->box_ = w;
      return FALSE;
    }
    return TRUE;
  }
  void Run() {
    for (int i = 0; i < waitMs_ / 50 && !box_; ++i) {
      Sleep(50);
      EnumWindows(Visit, reinterpret_cast<LPARAM>(this));
    }
    if (!box_) return;
    Sleep(200);  // let it settle where it was put
    seen_.found = true;
    char caption[256] = {};
    GetWindowTextA(box_, caption, sizeof caption);
    seen_.caption = caption;
    GetWindowRect(box_, &seen_.rect);
    seen_.owner = GetWindow(box_, GW_OWNER);
    if (probe_) seen_.hookWhileShown = SendMessageA(probe_, WM_APP, 0, 0);
    PostMessageA(box_, WM_COMMAND, static_cast<WPARAM>(answer_), 0);
  }

  int answer_;
  int waitMs_;
  HWND probe_;
  HWND box_ = nullptr;
  SeenBox seen_;
  std::thread thread_;
};

void ExpectCentred(const RECT& r) {
  RECT work;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  dialogs::Point p = dialogs::CentredPosition({work.left, work.top, work.right, work.bottom},
                                              {r.left, r.top, r.right, r.bottom}, GetSystemMetrics(SM_CXSCREEN),
                                              GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(r.left, p.x);
  EXPECT_EQ(r.top, p.y);
}

struct Dialogs : ::testing::Test {
  void SetUp() override {
    AppTitle.clear();
    MainWindow = nullptr;
    MessageBoxFlags = 0;
    LogPath.clear();
  }
  void TearDown() override {
    AppTitle.clear();
    MainWindow = nullptr;
    LogPath.clear();
    IniCloseAll();
  }
};

}  // namespace

// Wine places a message box itself after it has been activated, so where the
// box ends up is the system's choice there; what the hook does at activation
// is seen through CentreWindowInWorkArea on a window of our own.
TEST_F(Dialogs, ErrorAndQuestionBoxesWithoutTitleHaveNoOwnerAndTheHookGoesAtActivation) {
  HWND probe = MakeProbe();
  ASSERT_TRUE(probe);
  {
    BoxAnswerer answer(IDOK, 10000, probe);
    ShowError("Something failed");
    const SeenBox& box = answer.Seen();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.hookWhileShown, 2) << "the hook is still in place while the box is shown";
  }
  EXPECT_FALSE(CentringHookInstalled());
  {
    BoxAnswerer answer(IDNO);
    EXPECT_EQ(AskQuestion("Remove?"), IDNO);
    const SeenBox& box = answer.Seen();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.caption, "Question");
  }
  EXPECT_FALSE(CentringHookInstalled());
  DestroyWindow(probe);
}

TEST_F(Dialogs, AWindowIsCentredOnTheWorkAreaNotTheScreen) {
  // A work area in the lower right part of the screen, as with task bars at
  // the top and left.
  RECT saved;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &saved, 0));
  RECT work{300, 200, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  ASSERT_TRUE(SystemParametersInfoA(SPI_SETWORKAREA, 0, &work, 0));
  struct Restore {
    RECT r;
    ~Restore() { SystemParametersInfoA(SPI_SETWORKAREA, 0, &r, 0); }
  } restore{saved};

  HWND w = CreateWindowExA(0, "STATIC", "w", WS_POPUP | WS_VISIBLE, 0, 0, 300, 120, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(w);
  CentreWindowInWorkArea(w);
  RECT r;
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 300 + (work.right - 300 - 300) / 2);
  EXPECT_EQ(r.top, 200 + (work.bottom - 200 - 120) / 2);
  EXPECT_EQ(r.right - r.left, 300) << "the size stays";
  ExpectCentred(r);

  // Wider than the screen: at its left edge.
  SetWindowPos(w, nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN) + 200, 100, SWP_NOZORDER | SWP_NOACTIVATE);
  CentreWindowInWorkArea(w);
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 0);
  DestroyWindow(w);
}

TEST_F(Dialogs, TheProgramTitleAndTheMainWindowAreUsedOnceSet) {
  AppTitle = "Uninstaller      ";
  MessageBoxFlags = MB_SETFOREGROUND;
  HWND main = CreateWindowExA(0, "STATIC", "main", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  ASSERT_TRUE(main);
  MainWindow = main;
  BoxAnswerer answer(IDYES);
  EXPECT_EQ(AskQuestion("Are you sure?"), IDYES);
  const SeenBox& box = answer.Seen();
  ASSERT_TRUE(box.found);
  EXPECT_EQ(box.caption, "Uninstaller      ");
  EXPECT_EQ(box.owner, main);
  EXPECT_FALSE(CentringHookInstalled());
  DestroyWindow(main);
}

TEST_F(Dialogs, TheHookIsGoneAlsoWhenNoBoxCouldBeShown) {
  BoxAnswerer safety(IDOK, 2000);  // answers a box, should one appear after all
  HWND bogus = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7FFF0001));
  MessageBoxCentred(bogus, "x", "y", MB_OK);
  EXPECT_FALSE(CentringHookInstalled());
}

TEST_F(Dialogs, TextsComeFromTheStringTableUnlessTheLogReplacesThem) {
  EXPECT_EQ(MessageText(5), "Application uninstall finished.");
  EXPECT_EQ(MessageText(23), "Close");
  std::string explanation = MessageText(16);
  EXPECT_NE(explanation.find("shared file?\r\rLeaving this file"), std::string::npos) << explanation;
  EXPECT_EQ(MessageText(3), "Installation log file %s not found!");
  EXPECT_EQ(MessageText(99), "");

  TempDir dir;
  LogPath = dir.File("install.log");
  fileio::ReplaceFileContents(LogPath,
                              "\r\n[Strings]\r\n4=Удалить программу?\r\n6=Deleting||files\r\n\r\n[Display]\r\nCharset=204\r\n");
  EXPECT_EQ(MessageText(6), "Deleting\rfiles");
  EXPECT_EQ(MessageText(4), "Удалить программу?");
  EXPECT_EQ(MessageText(7), "Removing registry values...");
  EXPECT_EQ(LogValue("Display", "Charset", ""), "204");
  EXPECT_EQ(LogValue("Display", "DialogTitleFont", "Arial,14,0,B"), "Arial,14,0,B");
  EXPECT_EQ(LogText("none", "a||b"), "a\rb");
}

TEST_F(Dialogs, AMissingOrUnreadableLogGivesTheBuiltInTexts) {
  TempDir dir;
  LogPath = dir.File("missing.log");
  EXPECT_EQ(MessageText(6), "Removing files...");

  LogPath = dir.File("locked.log");
  fileio::ReplaceFileContents(LogPath, "[Strings]\r\n6=Replaced\r\n");
  win32::UniqueFile held(
      CreateFileA(LogPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(MessageText(6), "Removing files...");
}
