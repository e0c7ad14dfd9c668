// The registry helpers against the real registry (under Wine in the test run).
#include "uninstall/support/registry.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <optional>

#include <string>
#include <vector>

#include "common/win32_handles.h"

namespace {

const char kBase[] = "Software\\SowellSupportTest";

bool KeyExists(HKEY root, const std::string& subKey) {
  win32::UniqueKey key;
  return RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

bool ValueExists(HKEY root, const std::string& subKey, const char* name) {
  win32::UniqueKey key;
  if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, key.out()) != ERROR_SUCCESS) return false;
  return RegQueryValueExA(key.get(), name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void CreateKey(HKEY root, const std::string& subKey) {
  win32::UniqueKey key;
  ASSERT_EQ(RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.out(), nullptr),
            ERROR_SUCCESS);
}

struct Registry : ::testing::Test {
  void SetUp() override { RegPathDeleteKey(std::string("HKCU\\") + kBase, true); }
  void TearDown() override {
    RegPathDeleteKey(std::string("HKCU\\") + kBase, true);
    RegPathDeleteKey(std::string("HKLM\\") + kBase, true);
  }
  std::string hkcu = std::string("HKCU\\") + kBase;
};

}  // namespace

TEST_F(Registry, WritingCreatesTheChainAndValuesReadBack) {
  std::string path = hkcu + "\\A\\B";
  EXPECT_TRUE(RegPathWriteString(path, "Text", "Привет"));
  EXPECT_TRUE(RegPathWriteInteger("hkcu\\Software\\SowellSupportTest\\A\\B\\", "Count", 3));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::string(kBase) + "\\A\\B"));
  EXPECT_EQ(RegPathReadInteger(path, "Count", -1), 3);
  EXPECT_EQ(RegPathReadInteger(path, "Missing", -1), -1);
  EXPECT_EQ(RegPathReadInteger(path, "Text", -1), -1) << "longer than four bytes";
  EXPECT_EQ(RegPathReadInteger(hkcu + "\\NoSuchKey", "Count", 7), 7);
  char buf[32] = {};
  DWORD size = sizeof buf;
  ASSERT_TRUE(RegPathReadValue(path, "Text", buf, size));
  EXPECT_STREQ(buf, "Привет");

  // Machine-wide values, as the shared-file counters are.
  std::string machine = std::string("HKLM\\") + kBase;
  EXPECT_TRUE(RegPathWriteInteger(machine, "C:\\App\\shared.dll", 2));
  EXPECT_EQ(RegPathReadInteger(machine + "\\", "C:\\App\\shared.dll", 1), 2);
  EXPECT_TRUE(RegPathDeleteValue(machine, "C:\\App\\shared.dll"));
  EXPECT_EQ(RegPathReadInteger(machine, "C:\\App\\shared.dll", 1), 1);
}

TEST_F(Registry, ValuesWithBackslashesAndTheDefaultValueAreDeleted) {
  std::string path = hkcu + "\\Firm\\App";
  ASSERT_TRUE(RegPathWriteString(path, "Path\\Sub", "x"));
  ASSERT_TRUE(RegPathWriteString(path, "", "default"));
  ASSERT_TRUE(RegPathWriteString(path, "Other", "y"));
  std::string sub = std::string(kBase) + "\\Firm\\App";
  ASSERT_TRUE(ValueExists(HKEY_CURRENT_USER, sub, "Path\\Sub"));
  ASSERT_TRUE(ValueExists(HKEY_CURRENT_USER, sub, ""));

  EXPECT_TRUE(RegPathDeleteValue(path, "Path\\Sub"));
  EXPECT_TRUE(RegPathDeleteValue(path, ""));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, sub, "Path\\Sub"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, sub, ""));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, sub, "Other"));
  EXPECT_FALSE(RegPathDeleteValue(path, "Path\\Sub")) << "already gone";
  EXPECT_FALSE(RegPathDeleteValue(hkcu + "\\Missing", "Other"));
}

TEST_F(Registry, KeysGoDepthFirstWithSubkeysAndOnlyWhenEmptyWithout) {
  CreateKey(HKEY_CURRENT_USER, std::string(kBase) + "\\A\\B\\C");
  CreateKey(HKEY_CURRENT_USER, std::string(kBase) + "\\A\\D");
  std::vector<std::string> names{"stale"};
  RegPathListSubkeys(hkcu + "\\A", names);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"B", "D"}));

  EXPECT_FALSE(RegPathDeleteKey(hkcu + "\\A", false)) << "the system keeps a key with subkeys";
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::string(kBase) + "\\A\\B\\C"));
  EXPECT_TRUE(RegPathDeleteKey(hkcu + "\\A\\D\\", false));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::string(kBase) + "\\A\\D"));
  EXPECT_TRUE(RegPathDeleteKey(hkcu + "\\A", true));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::string(kBase) + "\\A"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kBase));
  EXPECT_FALSE(RegPathDeleteKey(hkcu + "\\A", true)) << "already gone";
}

namespace {

// The Windows 95 family's plain deletion removes a key with everything below
// it; the shell's recursive deletion stands in for it here.
LONG WINAPI DeleteKeyAndSubkeys(HKEY parent, const char* name) { return static_cast<LONG>(SHDeleteKeyA(parent, name)); }
struct Windows95KeyDeletion {
  Windows95KeyDeletion() { g_plainKeyDeletion = DeleteKeyAndSubkeys; }
  ~Windows95KeyDeletion() { g_plainKeyDeletion = RegDeleteKeyA; }
};

}  // namespace

TEST_F(Registry, AKeyWithSubkeysIsLeftWithoutSubkeysOnEveryWindowsFamily) {
  for (bool windows95 : {false, true}) {
    std::optional<Windows95KeyDeletion> family;
    if (windows95) family.emplace();
    CreateKey(HKEY_CURRENT_USER, std::string(kBase) + "\\A\\Unlisted");
    ASSERT_TRUE(RegPathWriteString(hkcu + "\\A", "v", "1"));
    EXPECT_FALSE(RegPathDeleteKey(hkcu + "\\A", false)) << windows95;
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::string(kBase) + "\\A\\Unlisted")) << windows95;
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, std::string(kBase) + "\\A", "v")) << windows95;
    // Once its last subkey has gone, the key goes with its values.
    EXPECT_TRUE(RegPathDeleteKey(hkcu + "\\A\\Unlisted", false)) << windows95;
    EXPECT_TRUE(RegPathDeleteKey(hkcu + "\\A", false)) << windows95;
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::string(kBase) + "\\A")) << windows95;
  }
  EXPECT_FALSE(RegPathDeleteKey(hkcu + "\\Missing", false)) << "a key that is not there cannot be asked";
}

TEST_F(Registry, AnUnknownRootIsAKeyPathUnderTheCurrentUser) {
  ASSERT_TRUE(RegPathWriteString(std::string(kBase) + "\\Plain", "v", "1"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, std::string(kBase) + "\\Plain", "v"));
  ASSERT_TRUE(RegPathWriteString(std::string("HKEY_CURRENT_USER\\") + "x", "v", "1"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "HKEY_CURRENT_USER\\x"));
  EXPECT_TRUE(RegPathDeleteKey("HKEY_CURRENT_USER", true));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "HKEY_CURRENT_USER"));
  EXPECT_TRUE(RegPathDeleteKey(std::string(kBase) + "\\Plain", false));
}

TEST_F(Registry, RootsAndEmptyPathsAreNeverDeletedOrEmptied) {
  CreateKey(HKEY_CURRENT_USER, std::string(kBase) + "\\Canary");
  ASSERT_TRUE(RegPathWriteString("HKCU", "SowellCanaryValue", "1"));
  for (const char* path : {"", "HKCU", "hkcu\\", "HKCU\\\\", "HKLM", "HKU"}) {
    EXPECT_FALSE(RegPathDeleteKey(path, true)) << path;
    EXPECT_FALSE(RegPathDeleteValue(path, "SowellCanaryValue")) << path;
  }
  EXPECT_FALSE(RegPathDeleteKey(hkcu + "\\\\", true)) << "an empty last name is no key";
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::string(kBase) + "\\Canary"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, "", "SowellCanaryValue"));
  win32::UniqueKey root;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, nullptr, 0, KEY_SET_VALUE, root.out()), ERROR_SUCCESS);
  RegDeleteValueA(root.get(), "SowellCanaryValue");
}
