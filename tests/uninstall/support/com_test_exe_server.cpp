// A COM server program of the tests: /REGSERVER and /UNREGSERVER add and
// remove its class key.
#include <windows.h>

#include <cstring>

#include "common/win32_handles.h"

namespace {
const char kClassKey[] = "CLSID\\{5A1D2E0B-6C3F-4B8A-9E41-0F2B7C9D1A22}";
}

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (_stricmp(argv[i], "/REGSERVER") == 0) {
      win32::UniqueKey key;
      LONG made = RegCreateKeyExA(HKEY_CLASSES_ROOT, kClassKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.out(), nullptr);
      return made == ERROR_SUCCESS ? 0 : 1;
    }
    if (_stricmp(argv[i], "/UNREGSERVER") == 0) {
      return RegDeleteKeyA(HKEY_CLASSES_ROOT, kClassKey) == ERROR_SUCCESS ? 0 : 1;
    }
  }
  return 2;
}
