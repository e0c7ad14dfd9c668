// A COM server library of the tests: its registration is one class key.
#include <windows.h>

#include "common/win32_handles.h"

namespace {
const char kClassKey[] = "CLSID\\{5A1D2E0B-6C3F-4B8A-9E41-0F2B7C9D1A21}";
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  win32::UniqueKey key;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, kClassKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.out(), nullptr) !=
      ERROR_SUCCESS) {
    return E_FAIL;
  }
  RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("Sowell test server"), 19);
  return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return RegDeleteKeyA(HKEY_CLASSES_ROOT, kClassKey) == ERROR_SUCCESS ? S_OK : E_FAIL;
}
