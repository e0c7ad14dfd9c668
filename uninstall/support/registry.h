// Registry operations on paths of the form root "\" key path ("HKLM\Software\X").
// Each opens its key, does one thing and closes it again; failures are
// reported by the result only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The root key and the key path below it; unknown roots mean HKEY_CURRENT_USER.
void RegSplitPath(const std::string& path, HKEY& root, std::string& subKey);

bool RegPathReadValue(const std::string& path, const std::string& valueName, void* buffer, DWORD& size);
// A 4-byte value, or `defaultValue` when it is missing or of another size.
int32_t RegPathReadInteger(const std::string& path, const std::string& valueName, int32_t defaultValue);
// The names of the key's direct subkeys; empty when it cannot be opened.
void RegPathListSubkeys(const std::string& path, std::vector<std::string>& strings);

// Create the key and every missing key above it, then set the value.
bool RegPathWriteValue(const std::string& path, const std::string& valueName, DWORD type, DWORD size,
                       const void* data);
bool RegPathWriteString(const std::string& path, const std::string& valueName, const std::string& text);
bool RegPathWriteInteger(const std::string& path, const std::string& valueName, int32_t value);

// An empty `valueName` is the key's default value. Never on a bare root.
bool RegPathDeleteValue(const std::string& path, const std::string& valueName);
// Without `withSubkeys` a key that still has subkeys is left, on every
// Windows family, and so is a key whose subkeys cannot be counted. Never
// deletes or empties a root.
bool RegPathDeleteKey(const std::string& path, bool withSubkeys);

// The system's plain key deletion. The Windows 95 family's takes the key's
// subkeys along, NT's refuses them; tests put the former in place of the
// latter to see that no subkey is lost either way.
extern LONG(WINAPI* g_plainKeyDeletion)(HKEY parent, const char* name);
