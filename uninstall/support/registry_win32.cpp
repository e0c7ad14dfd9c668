#include "uninstall/support/registry.h"

#include "common/install_log.h"
#include "uninstall/support/reg_path.h"
#include "common/win32_handles.h"

namespace {

win32::UniqueKey OpenKey(const std::string& path, REGSAM access) {
  HKEY root;
  std::string subKey;
  RegSplitPath(path, root, subKey);
  win32::UniqueKey key;
  if (RegOpenKeyExA(root, subKey.c_str(), 0, access, key.out()) != ERROR_SUCCESS) key.reset();
  return key;
}

// Whether the key has no subkeys left; false when it cannot be asked.
bool HasNoSubkeys(const std::string& path) {
  win32::UniqueKey key = OpenKey(path, KEY_QUERY_VALUE);
  DWORD subkeys = 0;
  return key && RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr,
                                 nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         subkeys == 0;
}

}  // namespace

LONG(WINAPI* g_plainKeyDeletion)(HKEY parent, const char* name) = RegDeleteKeyA;

void RegSplitPath(const std::string& path, HKEY& root, std::string& subKey) {
  installlog::RegistryPath p = installlog::SplitRegistryPath(path);
  switch (p.root) {
    case installlog::RegistryRoot::ClassesRoot: root = HKEY_CLASSES_ROOT; break;
    case installlog::RegistryRoot::LocalMachine: root = HKEY_LOCAL_MACHINE; break;
    case installlog::RegistryRoot::Users: root = HKEY_USERS; break;
    default: root = HKEY_CURRENT_USER; break;
  }
  subKey = std::move(p.subKey);
}

bool RegPathReadValue(const std::string& path, const std::string& valueName, void* buffer, DWORD& size) {
  win32::UniqueKey key = OpenKey(path, KEY_READ);
  if (!key) return false;
  return RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr, static_cast<BYTE*>(buffer),
                          &size) == ERROR_SUCCESS;
}

int32_t RegPathReadInteger(const std::string& path, const std::string& valueName, int32_t defaultValue) {
  int32_t value = 0;
  DWORD size = sizeof value;
  if (!RegPathReadValue(path, valueName, &value, size) || size != sizeof value) return defaultValue;
  return value;
}

void RegPathListSubkeys(const std::string& path, std::vector<std::string>& strings) {
  strings.clear();
  win32::UniqueKey key = OpenKey(path, KEY_READ);
  if (!key) return;
  for (DWORD index = 0;; ++index) {
    char name[1024];
    DWORD size = sizeof name;
    if (RegEnumKeyExA(key.get(), index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    strings.emplace_back(name, size);
  }
}

bool RegPathWriteValue(const std::string& path, const std::string& valueName, DWORD type, DWORD size,
                       const void* data) {
  HKEY root;
  std::string subKey;
  RegSplitPath(path, root, subKey);
  win32::UniqueKey key;
  if (RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.out(), nullptr) !=
      ERROR_SUCCESS) {
    key.reset();
    return false;
  }
  return RegSetValueExA(key.get(), valueName.c_str(), 0, type, static_cast<const BYTE*>(data), size) ==
         ERROR_SUCCESS;
}

bool RegPathWriteString(const std::string& path, const std::string& valueName, const std::string& text) {
  return RegPathWriteValue(path, valueName, REG_SZ, static_cast<DWORD>(text.size() + 1), text.c_str());
}

bool RegPathWriteInteger(const std::string& path, const std::string& valueName, int32_t value) {
  return RegPathWriteValue(path, valueName, REG_DWORD, sizeof value, &value);
}

bool RegPathDeleteValue(const std::string& path, const std::string& valueName) {
  if (!regpath::NamesKeyBelowRoot(path)) return false;
  win32::UniqueKey key = OpenKey(path, KEY_SET_VALUE);
  if (!key) return false;
  return RegDeleteValueA(key.get(), valueName.c_str()) == ERROR_SUCCESS;
}

bool RegPathDeleteKey(const std::string& path, bool withSubkeys) {
  std::optional<regpath::KeyDeletion> deletion = regpath::KeyDeletionOf(path);
  if (!deletion) return false;
  if (withSubkeys) {
    std::vector<std::string> subkeys;
    RegPathListSubkeys(path, subkeys);
    for (const std::string& name : subkeys) {
      if (!name.empty()) RegPathDeleteKey(installlog::AddTrailingBackslash(path) + name, true);
    }
  }
  if (!withSubkeys && !HasNoSubkeys(path)) return false;
  win32::UniqueKey parent = OpenKey(deletion->parentPath, KEY_WRITE);
  if (!parent) return false;
  return g_plainKeyDeletion(parent.get(), deletion->name.c_str()) == ERROR_SUCCESS;
}
