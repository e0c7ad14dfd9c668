// COM servers the project builds, really registered and unregistered, and
// programs really started and waited for.
#include "uninstall/support/com_process.h"

#include <gtest/gtest.h>
#include <oleauto.h>

#include <atomic>
#include <string>
#include <thread>

#include "common/file_io.h"
#include "common/win32_handles.h"
#include "tests/common/temp_dir.h"

namespace {

const char kDllClassKey[] = "CLSID\\{5A1D2E0B-6C3F-4B8A-9E41-0F2B7C9D1A21}";
const char kExeClassKey[] = "CLSID\\{5A1D2E0B-6C3F-4B8A-9E41-0F2B7C9D1A22}";
const char kTypeLibKey[] = "TypeLib\\{5A1D2E0B-6C3F-4B8A-9E41-0F2B7C9D1A11}\\1.2";

std::string TestBinary(const std::string& name) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string s = self;
  return s.substr(0, s.rfind('\\') + 1) + name;
}

bool ClassesKeyExists(const char* subKey) {
  win32::UniqueKey key;
  return RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey, 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

bool WaitUntil(bool (*done)(const char*), const char* arg, bool want, int seconds) {
  for (int i = 0; i < seconds * 10; ++i) {
    if (done(arg) == want) return true;
    Sleep(100);
  }
  return done(arg) == want;
}

int RunToEnd(const std::string& commandLine) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
  win32::ProcessHandles started(pi);
  WaitForSingleObject(started.process.get(), 30000);
  DWORD code = 0;
  GetExitCodeProcess(started.process.get(), &code);
  return static_cast<int>(code);
}

// A folder with a Cyrillic name and blanks (joined by hand: the library's
// path type would not keep code page 1251 bytes).
std::string MakeFolder(const TempDir& dir, const std::string& name) {
  std::string folder = dir.Path() + "\\" + name;
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

std::string ReadRecord(const std::string& path) {
  std::optional<std::string> text = fileio::ReadWholeFile(path);
  return text ? *text : std::string();
}

struct ComServers : ::testing::Test {
  void TearDown() override {
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kDllClassKey);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kExeClassKey);
  }
  TempDir dir;
  win32::ComScope com;  // last: COM ends before the folder goes
};

}  // namespace

TEST_F(ComServers, ALibraryIsUnregisteredThroughItsEntryPoint) {
  std::string folder = MakeFolder(dir, "Общие файлы");
  std::string dll = folder + "\\test server.dll";
  ASSERT_TRUE(CopyFileA(TestBinary("com_test_server.dll").c_str(), dll.c_str(), FALSE));
  {
    win32::UniqueModule m(LoadLibraryA(dll.c_str()));
    ASSERT_TRUE(m);
    auto reg = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(m.get(), "DllRegisterServer")));
    ASSERT_TRUE(reg);
    ASSERT_EQ(reg(), S_OK);
  }
  ASSERT_TRUE(ClassesKeyExists(kDllClassKey));
  EXPECT_TRUE(UnregisterComServer(dll));
  EXPECT_FALSE(ClassesKeyExists(kDllClassKey));
  EXPECT_FALSE(UnregisterComServer(dll)) << "nothing left to unregister";
  EXPECT_TRUE(DeleteFileA(dll.c_str())) << "the library was freed";
}

TEST_F(ComServers, AProgramServerIsStartedWithItsSwitchAndNoPartOfItsPathRuns) {
  // A program where the unquoted path would find one: "...\Program.exe".
  std::string decoyRecord = dir.File("decoy.txt");
  ASSERT_TRUE(CopyFileA(TestBinary("run_target.exe").c_str(), dir.File("Program.exe").c_str(), FALSE));
  SetEnvironmentVariableA("SOWELL_RUN_RECORD", decoyRecord.c_str());
  std::string folder = MakeFolder(dir, "Program Files x");
  std::string exe = folder + "\\SERVER.EXE";
  ASSERT_TRUE(CopyFileA(TestBinary("com_test_exe_server.exe").c_str(), exe.c_str(), FALSE));
  ASSERT_EQ(RunToEnd("\"" + exe + "\" /REGSERVER"), 0);
  ASSERT_TRUE(ClassesKeyExists(kExeClassKey));

  EXPECT_TRUE(UnregisterComServer(exe));
  EXPECT_TRUE(WaitUntil(ClassesKeyExists, kExeClassKey, false, 20)) << "the server did not unregister";
  Sleep(300);
  SetEnvironmentVariableA("SOWELL_RUN_RECORD", nullptr);
  EXPECT_FALSE(fileio::FileExists(decoyRecord)) << ReadRecord(decoyRecord);
}

TEST_F(ComServers, ATypeLibraryIsUnregisteredByItsOwnAttributes) {
  std::string folder = MakeFolder(dir, "Библиотека типов");
  std::string tlb = folder + "\\test library.tlb";
  ASSERT_TRUE(CopyFileA(TestBinary("com_test_typelib.tlb").c_str(), tlb.c_str(), FALSE));
  std::wstring wide(MAX_PATH, L'\0');
  wide.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, tlb.c_str(), -1, wide.data(), MAX_PATH) - 1));
  ITypeLib* lib = nullptr;
  ASSERT_EQ(LoadTypeLibEx(wide.c_str(), REGKIND_REGISTER, &lib), S_OK);
  lib->Release();
  ASSERT_TRUE(ClassesKeyExists(kTypeLibKey));

  // Given relative to the current folder: the library is found by its full path.
  char old[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, old);
  SetCurrentDirectoryA(folder.c_str());
  EXPECT_TRUE(UnregisterComServer("test library.tlb"));
  SetCurrentDirectoryA(old);
  EXPECT_FALSE(ClassesKeyExists(kTypeLibKey));
}

TEST_F(ComServers, ALibraryWithoutEntryPointIsUnregisteredThroughItsTypeLibrary) {
  std::string dll = dir.File("typelib holder.dll");
  ASSERT_TRUE(CopyFileA(TestBinary("com_test_typelib_dll.dll").c_str(), dll.c_str(), FALSE));
  std::wstring wide(dll.begin(), dll.end());
  ITypeLib* lib = nullptr;
  ASSERT_EQ(LoadTypeLibEx(wide.c_str(), REGKIND_REGISTER, &lib), S_OK);
  lib->Release();
  ASSERT_TRUE(ClassesKeyExists(kTypeLibKey));
  EXPECT_FALSE(CallDllUnregisterServer(dll));
  EXPECT_TRUE(UnregisterComServer(dll));
  EXPECT_FALSE(ClassesKeyExists(kTypeLibKey));
}

TEST_F(ComServers, MissingFilesAndEmptyPathsUnregisterNothing) {
  EXPECT_FALSE(UnregisterComServer(dir.File("missing.dll")));
  EXPECT_FALSE(UnregisterComServer(dir.File("missing.exe")));
  EXPECT_FALSE(UnregisterComServer(""));
  EXPECT_FALSE(CallDllUnregisterServer(TestBinary("run_target.exe"))) << "no entry point";
}

// ---- Programs ---------------------------------------------------------------

namespace {

struct Programs : ::testing::Test {
  void SetUp() override { SetEnvironmentVariableA("SOWELL_RUN_RECORD", record.c_str()); }
  void TearDown() override { SetEnvironmentVariableA("SOWELL_RUN_RECORD", nullptr); }
  TempDir dir;
  std::string record = dir.File("record.txt");
};

std::atomic<bool> g_served{false};

LRESULT CALLBACK ServedProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP) {
    g_served = true;
    return 42;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

}  // namespace

TEST_F(Programs, AProgramRunsInItsFolderAndWindowModeAndItsExitCodeComesBack) {
  std::string folder = MakeFolder(dir, "Мои программы");
  std::string program = folder + "\\run target.exe";
  ASSERT_TRUE(CopyFileA(TestBinary("run_target.exe").c_str(), program.c_str(), FALSE));

  // Unquoted path with blanks, folder in quotes with blanks around.
  EXPECT_EQ(RunAndWait(nullptr, program, "/exit=7 second", SW_HIDE, " \"" + folder + "\" "), 7);
  std::string text = ReadRecord(record);
  EXPECT_EQ(text, folder + "\n0\n\"" + program + "\" /exit=7 second\n");

  DeleteFileA(record.c_str());
  char current[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_EQ(RunAndWait(nullptr, "\"" + program + "\"", "", SW_SHOWMINNOACTIVE, ""), 0);
  EXPECT_EQ(ReadRecord(record), std::string(current) + "\n7\n\"" + program + "\"\n");
}

TEST_F(Programs, ABatchFileRunsThroughTheCommandInterpreter) {
  std::string bat = dir.File("cleanup.bat");
  fileio::ReplaceFileContents(bat, "@exit 3\r\n");
  EXPECT_EQ(RunAndWait(nullptr, bat, "", SW_HIDE, dir.Path()), 3);
}

TEST_F(Programs, NothingStartedGivesMinusOne) {
  EXPECT_EQ(RunAndWait(nullptr, dir.File("missing.exe"), "", SW_HIDE, ""), -1);
  std::string unknown = dir.File("data.sowellnothing");
  fileio::ReplaceFileContents(unknown, "x");
  EXPECT_EQ(RunAndWait(nullptr, unknown, "", SW_HIDE, ""), -1);
  EXPECT_FALSE(fileio::FileExists(record)) << "no program ran";
}

TEST_F(Programs, ADocumentOpensWithItsProgramThroughTheShellAndIsWaitedFor) {
  // A document type of our own, opened by the recording program.
  std::string command = "\"" + TestBinary("run_target.exe") + "\" /sleep=500 /exit=5 \"%1\"";
  win32::UniqueKey key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, ".sowelldoc", 0, nullptr, 0, KEY_WRITE, nullptr, key.out(), nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("SowellDoc"), 10);
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, "SowellDoc\\shell\\open\\command", 0, nullptr, 0, KEY_WRITE, nullptr,
                            key.out(), nullptr), ERROR_SUCCESS);
  RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                 static_cast<DWORD>(command.size() + 1));
  // The shell reads the association as an installed program would leave it: closed.
  key.reset();

  std::string doc = dir.File("notes.sowelldoc");
  fileio::ReplaceFileContents(doc, "x");
  EXPECT_EQ(RunAndWait(nullptr, doc, "", SW_SHOWNORMAL, dir.Path()), 5);
  std::string text = ReadRecord(record);
  EXPECT_NE(text.find("notes.sowelldoc"), std::string::npos) << text;

  RegDeleteKeyA(HKEY_CLASSES_ROOT, "SowellDoc\\shell\\open\\command");
  RegDeleteKeyA(HKEY_CLASSES_ROOT, "SowellDoc\\shell\\open");
  RegDeleteKeyA(HKEY_CLASSES_ROOT, "SowellDoc\\shell");
  RegDeleteKeyA(HKEY_CLASSES_ROOT, "SowellDoc");
  RegDeleteKeyA(HKEY_CLASSES_ROOT, ".sowelldoc");
}

TEST_F(Programs, TheWaitingThreadServesItsMessages) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = ServedProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "SowellServedWindow";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_TRUE(window);
  g_served = false;
  DWORD_PTR answer = 0;
  std::atomic<bool> sent{false};
  std::thread other([&] {
    Sleep(300);
    // A synchronous message gets through only if the waiting thread serves its queue.
    sent = SendMessageTimeoutA(window, WM_APP, 0, 0, SMTO_BLOCK, 1000, &answer) != 0;
  });
  EXPECT_EQ(RunAndWait(nullptr, TestBinary("run_target.exe"), "/sleep=2500 /exit=1", SW_HIDE, ""), 1);
  other.join();
  EXPECT_TRUE(sent);
  EXPECT_EQ(answer, 42u);
  EXPECT_TRUE(g_served);
  DestroyWindow(window);
}
