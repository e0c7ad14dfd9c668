#include "setup/regfile/regfile_import.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/file_io.h"
#include "common/win32_handles.h"
#include "tests/common/temp_dir.h"
#include "tests/setup/test_files.h"

namespace {

const char kTestKey[] = "Software\\SowellRegFileTest";
const char kInstallDir[] = "C:\\Prog\\App\\";

void DeleteTree(HKEY root, const std::string& path) {
  win32::UniqueKey key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return;
  std::vector<std::string> children;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.emplace_back(name, size);
  }
  // Not held open while the key and its children are deleted.
  key.reset();
  for (const std::string& child : children) DeleteTree(root, path + "\\" + child);
  RegDeleteKeyA(root, path.c_str());
}

struct Value {
  bool found = false;
  DWORD type = 0;
  std::string data;
};

Value Query(HKEY root, const std::string& path, const char* name) {
  Value v;
  win32::UniqueKey key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return v;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), name, nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
    v.data.resize(size);
    v.found = RegQueryValueExA(key.get(), name, nullptr, &v.type, reinterpret_cast<BYTE*>(v.data.data()), &size) ==
              ERROR_SUCCESS;
    v.data.resize(size);
  }
  return v;
}

std::string Sz(const std::string& s) { return std::string(s.c_str(), s.size() + 1); }

bool KeyExists(HKEY root, const std::string& path) {
  win32::UniqueKey key;
  return RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

class RegFileImport : public ::testing::Test {
 protected:
  void SetUp() override { TearDown(); }
  void TearDown() override {
    DeleteTree(HKEY_CURRENT_USER, kTestKey);
    DeleteTree(HKEY_LOCAL_MACHINE, kTestKey);
    DeleteTree(HKEY_CLASSES_ROOT, ".sowelltest");
  }

  TRegImportContext Context(TIniFile32* log) {
    TRegImportContext c;
    c.SourcePath = dir_.Path() + "\\";
    c.InstallDir = kInstallDir;
    c.Log = log;
    c.ShowMessage = [this](const std::string& text) { messages_.push_back(text); };
    return c;
  }

  TempDir dir_;
  std::vector<std::string> messages_;
};

}  // namespace

TEST_F(RegFileImport, EveryValueKindReachesTheRegistryAndTheLog) {
  WriteBytes(dir_.File("app.reg"),
             "REGEDIT4\r\n"
             "\r\n"
             "[HKEY_CURRENT_USER\\Software\\SowellRegFileTest\\App]\r\n"
             "@=\"Default\"\r\n"
             "\"Path\"=\"%InstallPath%\\\\bin\"\r\n"
             "\"Count\"=dword:0000000a\r\n"
             "\"Max\"=dword:ffffffff\r\n"
             "\"Bin\"=hex:01,02,\\\r\n"
             "  03,00,0d\r\n"
             "\"Expand\"=hex(2):25,54,45,4d,50,25,00\r\n"
             "\"Multi\"=hex(7):61,00,62,00,00\r\n"
             "\"Quad\"=hex(b):01,02,03,04,05,06,07,08\r\n"
             "\"it's\"=\"x\"\r\n"
             "\r\n"
             "[HKEY_CLASSES_ROOT\\.sowelltest]\r\n"
             "@=\"sowelltest_file\"\r\n"
             "\r\n"
             "[hkey_local_machine\\Software\\SowellRegFileTest\\]\r\n"
             "\"M\"=\"m\"\r\n"
             "[Software\\SowellRegFileTest\\NoRoot]\r\n"
             "\"N\"=\"n\"\r\n"
             "[HKEY_CURRENT_USER\\Software\\SowellRegFileTest\\Empty]\r\n");
  TIniFile32 log(dir_.File("install.log"));
  ImportRegFile("app.reg", Context(&log));
  EXPECT_TRUE(messages_.empty());

  const std::string app = std::string(kTestKey) + "\\App";
  Value v = Query(HKEY_CURRENT_USER, app, "");
  EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(v.data, Sz("Default"));
  EXPECT_EQ(Query(HKEY_CURRENT_USER, app, "Path").data, Sz("C:\\Prog\\App\\bin"));
  v = Query(HKEY_CURRENT_USER, app, "Count");
  EXPECT_EQ(v.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(v.data, std::string("\x0a\0\0\0", 4));
  EXPECT_EQ(Query(HKEY_CURRENT_USER, app, "Max").data, std::string("\xff\xff\xff\xff", 4));
  v = Query(HKEY_CURRENT_USER, app, "Bin");
  EXPECT_EQ(v.type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(v.data, std::string("\x01\x02\x03\x00\x0d", 5));
  v = Query(HKEY_CURRENT_USER, app, "Expand");
  EXPECT_EQ(v.type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(v.data, Sz("%TEMP%"));
  v = Query(HKEY_CURRENT_USER, app, "Multi");
  EXPECT_EQ(v.type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(v.data, std::string("a\0b\0\0", 5));
  v = Query(HKEY_CURRENT_USER, app, "Quad");
  EXPECT_EQ(v.type, static_cast<DWORD>(REG_QWORD));
  EXPECT_EQ(v.data, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8));
  EXPECT_EQ(Query(HKEY_CLASSES_ROOT, ".sowelltest", "").data, Sz("sowelltest_file"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ".sowelltest"));
  EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, kTestKey, "M").data, Sz("m"));
  EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, std::string(kTestKey) + "\\NoRoot", "N").data, Sz("n"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::string(kTestKey) + "\\Empty"));

  // Bytes that would end a log line become blanks, and data with blanks at its
  // ends is quoted so that a reader gets it back whole.
  EXPECT_EQ(ReadBytes(dir_.File("install.log")),
            "\r\n"
            "[CreateKeys]\r\n"
            "HKCU\\Software\\SowellRegFileTest=\r\n"
            "HKCU\\Software\\SowellRegFileTest\\App=\r\n"
            "\r\n"
            "HKCR\\.sowelltest=\r\n"
            "HKLM\\Software\\SowellRegFileTest=\r\n"
            "HKLM\\Software\\SowellRegFileTest\\NoRoot=\r\n"
            "HKCU\\Software\\SowellRegFileTest\\Empty=\r\n"
            "[AddReg]\r\n"
            "HKCU\\Software\\SowellRegFileTest\\App\\''=Default\r\n"
            "HKCU\\Software\\SowellRegFileTest\\App\\'Path'=C:\\Prog\\App\\bin\r\n"
            "HKCU\\Software\\SowellRegFileTest\\App\\'Count'=10\r\n"
            "HKCU\\Software\\SowellRegFileTest\\App\\'Max'=4294967295\r\n"
            "HKCU\\Software\\SowellRegFileTest\\App\\'Bin'=\"\x01\x02\x03  \"\r\n"
            "HKCU\\Software\\SowellRegFileTest\\App\\'Expand'=\"%TEMP% \"\r\n"
            "HKCU\\Software\\SowellRegFileTest\\App\\'Multi'=\"a b  \"\r\n"
            "HKCU\\Software\\SowellRegFileTest\\App\\'Quad'=\"\x01\x02\x03\x04\x05\x06\x07\x08\"\r\n"
            "HKCU\\Software\\SowellRegFileTest\\App\\'it''s'=x\r\n"
            "HKCR\\.sowelltest\\''=sowelltest_file\r\n"
            "HKLM\\Software\\SowellRegFileTest\\'M'=m\r\n"
            "HKLM\\Software\\SowellRegFileTest\\NoRoot\\'N'=n\r\n");
}

TEST_F(RegFileImport, Utf16AndLfOnlyFilesReadLikeTheEditorMeantThem) {
  std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n\r\n"
      u"[HKEY_CURRENT_USER\\Software\\SowellRegFileTest\\\u041F\u0443\u0442\u044C]\r\n"
      u"\"\u0418\u043C\u044F\"=\"\u0417\u043D\u0430\u0447\u0435\u043D\u0438\u0435\"\r\n"
      u"\"E\"=hex(2):25,00,54,00,00,00\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  WriteBytes(dir_.File("unicode.reg"), bytes);
  WriteBytes(dir_.File("lf.reg"),
             "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\SowellRegFileTest\\Lf]\n\"Name\"=\"value\"\n"
             "\"Bin\"=hex:0a,\\\n  0b\n");
  ImportRegFile("unicode.reg", Context(nullptr));
  ImportRegFile("lf.reg", Context(nullptr));
  EXPECT_TRUE(messages_.empty());
  const std::string path = std::string(kTestKey) + "\\" + "Путь";
  EXPECT_EQ(Query(HKEY_CURRENT_USER, path, "Имя").data, Sz("Значение"));
  Value e = Query(HKEY_CURRENT_USER, path, "E");
  EXPECT_EQ(e.type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(e.data, Sz("%T"));  // written as UTF-16 text, read back in the ANSI form
  EXPECT_EQ(Query(HKEY_CURRENT_USER, std::string(kTestKey) + "\\Lf", "Name").data, Sz("value"));
  EXPECT_EQ(Query(HKEY_CURRENT_USER, std::string(kTestKey) + "\\Lf", "Bin").data, "\x0a\x0b");
  EXPECT_FALSE(fileio::FileExists(dir_.File("install.log")));
}

TEST_F(RegFileImport, MessagesNameTheFileAndBadLinesAreSkipped) {
  WriteBytes(dir_.File("bad.reg"),
             "[HKEY_CURRENT_USER\\Software\\SowellRegFileTest]\r\n"
             "\"NoEquals\"\r\n"
             "\"Hex\"=hex:zz\r\n"
             "\"After\"=\"ok\"\r\n");
  TIniFile32 log(dir_.File("install.log"));
  ImportRegFile("bad.reg", Context(&log));
  EXPECT_EQ(messages_, (std::vector<std::string>{"Wrong REG file:bad.reg", "Bad hex parameter"}));
  EXPECT_EQ(Query(HKEY_CURRENT_USER, kTestKey, "Hex").data, std::string("\0", 1));
  EXPECT_EQ(Query(HKEY_CURRENT_USER, kTestKey, "After").data, Sz("ok"));
}

TEST_F(RegFileImport, ARefusedWriteEndsOnlyItsFile) {
  // A key name longer than the registry allows cannot be created.
  std::string tooLong(300, 'k');
  WriteBytes(dir_.File("refused.reg"),
             "[HKEY_CURRENT_USER\\Software\\SowellRegFileTest]\r\n"
             "\"Before\"=\"1\"\r\n"
             "[HKEY_CURRENT_USER\\Software\\SowellRegFileTest\\" + tooLong + "]\r\n"
             "[HKEY_CURRENT_USER\\Software\\SowellRegFileTest]\r\n"
             "\"Never\"=\"2\"\r\n");
  WriteBytes(dir_.File("next.reg"), "[HKEY_CURRENT_USER\\Software\\SowellRegFileTest]\r\n\"Next\"=\"3\"\r\n");
  WriteBytes(dir_.File("setup.ini"),
             "[Package0]\r\nRegFile0=missing.reg\r\nRegFile1=refused.reg\r\nRegFile2=next.reg\r\n"
             "RegFile4=never.reg\r\n");
  WriteBytes(dir_.File("never.reg"), "[HKEY_CURRENT_USER\\Software\\SowellRegFileTest]\r\n\"Four\"=\"4\"\r\n");
  TIniFile32 ini(dir_.File("setup.ini"));
  TInst inst;
  inst.SourcePath = dir_.Path() + "\\";
  TIniFile32 log(dir_.File("install.log"));
  ImportPackageRegFiles(ini, "Package0", inst, kInstallDir, &log);
  EXPECT_TRUE(Query(HKEY_CURRENT_USER, kTestKey, "Before").found);
  EXPECT_FALSE(Query(HKEY_CURRENT_USER, kTestKey, "Never").found);
  EXPECT_TRUE(Query(HKEY_CURRENT_USER, kTestKey, "Next").found);
  EXPECT_FALSE(Query(HKEY_CURRENT_USER, kTestKey, "Four").found);
  EXPECT_EQ(ReadBytes(dir_.File("install.log")),
            "\r\n"
            "[CreateKeys]\r\n"
            "HKCU\\Software\\SowellRegFileTest=\r\n"
            "\r\n"
            "[AddReg]\r\n"
            "HKCU\\Software\\SowellRegFileTest\\'Before'=1\r\n"
            "HKCU\\Software\\SowellRegFileTest\\'Next'=3\r\n");
}

TEST_F(RegFileImport, OnlyKeysTheImportCreatedAreListedForRemoval) {
  // A key that holds data of others before the installation, as the user's
  // environment or the autostart key do.
  win32::UniqueKey shared;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kTestKey) + "\\Shared").c_str(), 0, nullptr, 0,
                            KEY_WRITE, nullptr, shared.out(), nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(shared.get(), "Other", 0, REG_SZ, reinterpret_cast<const BYTE*>("theirs"), 7);
  // The import finds the key as another program left it: written and closed.
  shared.reset();
  WriteBytes(dir_.File("app.reg"),
             "[HKEY_CURRENT_USER\\Software\\SowellRegFileTest\\Shared]\r\n"
             "\"Mine\"=\"1\"\r\n"
             "[HKEY_CURRENT_USER\\Software\\SowellRegFileTest\\Shared\\New\\Deeper]\r\n"
             "\"Deep\"=\"2\"\r\n"
             "[HKEY_CURRENT_USER\\Software\\SowellRegFileTest\\Shared\\New]\r\n"
             "\"Again\"=\"3\"\r\n");
  TIniFile32 log(dir_.File("install.log"));
  ImportRegFile("app.reg", Context(&log));
  EXPECT_EQ(Query(HKEY_CURRENT_USER, std::string(kTestKey) + "\\Shared", "Other").data, Sz("theirs"));
  EXPECT_EQ(Query(HKEY_CURRENT_USER, std::string(kTestKey) + "\\Shared\\New\\Deeper", "Deep").data, Sz("2"));
  std::vector<std::string> keys, values;
  log.ReadSectionValues("CreateKeys", &keys);
  log.ReadSectionValues("AddReg", &values);
  EXPECT_EQ(keys, (std::vector<std::string>{"HKCU\\Software\\SowellRegFileTest\\Shared\\New=",
                                            "HKCU\\Software\\SowellRegFileTest\\Shared\\New\\Deeper="}));
  EXPECT_EQ(values, (std::vector<std::string>{"HKCU\\Software\\SowellRegFileTest\\Shared\\'Mine'=1",
                                              "HKCU\\Software\\SowellRegFileTest\\Shared\\New\\Deeper\\'Deep'=2",
                                              "HKCU\\Software\\SowellRegFileTest\\Shared\\New\\'Again'=3"}));
}
