#include "setup/regfile/regfile_import.h"

#include <windows.h>

#include "common/run_account.h"

#include <stdexcept>

#include "common/file_io.h"
#include "common/process.h"
#include "common/wide_text.h"
#include "common/win32_handles.h"
#include "setup/run/install_records.h"
#include "setup/regfile/regfile_parser.h"

namespace {

using regfile::KeyLocation;
using regfile::Operation;

class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

HKEY RootHandle(regfile::RootKey root) {
  switch (root) {
    case regfile::RootKey::ClassesRoot: return HKEY_CLASSES_ROOT;
    case regfile::RootKey::CurrentUser: return HKEY_CURRENT_USER;
    case regfile::RootKey::LocalMachine: return HKEY_LOCAL_MACHINE;
    case regfile::RootKey::Users: return HKEY_USERS;
  }
  return HKEY_LOCAL_MACHINE;
}

// Opens the key for writing, creating it level by level where it is missing.
// Each level that this call creates is recorded, outermost first, before it
// is made (so that a kill leaves no key unrecorded) and before anything is
// written into it: those keys are the installation's own, while a key that
// was there before holds data of the user or of other programs and must never
// be listed for removal.
void OpenOrCreate(const KeyLocation& location, win32::UniqueKey& key, TIniFile32* log) {
  const HKEY root = RootHandle(location.root);
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, location.subKey.c_str(), 0, KEY_WRITE, &opened) == ERROR_SUCCESS) {
    key.reset(opened);
    return;
  }
  win32::UniqueKey parent;
  std::string path;
  bool creating = false;  // once one level is missing, so are those below it
  size_t start = 0;
  while (start <= location.subKey.size()) {
    size_t end = location.subKey.find('\\', start);
    if (end == std::string::npos) end = location.subKey.size();
    const std::string level = location.subKey.substr(start, end - start);
    const bool last = end == location.subKey.size();
    start = end + 1;
    if (level.empty()) {
      if (last) break;
      continue;
    }
    path += (path.empty() ? "" : "\\") + level;
    const HKEY under = parent ? parent.get() : root;
    const REGSAM access = last ? KEY_WRITE : KEY_CREATE_SUB_KEY;
    HKEY next = nullptr;
    if (!creating && RegOpenKeyExA(under, level.c_str(), 0, access, &next) == ERROR_SUCCESS) {
      parent.reset(next);
      continue;
    }
    creating = true;
    const std::optional<installlog::Record> record = installrecords::RegKeyRecord(location.rootName, path);
    installrecords::Intend(log, record);
    DWORD disposition = 0;
    if (RegCreateKeyExA(under, level.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &next,
                        &disposition) != ERROR_SUCCESS) {
      installrecords::Retract(log, record);
      throw RegistryError("Failed to open key " + location.subKey);
    }
    parent.reset(next);
    if (disposition == REG_CREATED_NEW_KEY) {
      installrecords::Write(log, record);
    } else {
      installrecords::Retract(log, record);  // made by someone else in the meantime
    }
  }
  if (!parent) throw RegistryError("Failed to open key " + location.subKey);
  key = std::move(parent);
}


std::string ToAnsi(const std::u16string& text) {
  if (text.empty()) return {};
  auto wide = reinterpret_cast<const wchar_t*>(text.data());
  int size = static_cast<int>(text.size());
  int n = WideCharToMultiByte(CP_ACP, 0, wide, size, nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, size, s.data(), n, nullptr, nullptr);
  return s;
}

void WriteValue(const win32::UniqueKey& key, const Operation& op, const regfile::ValueBytes& value) {
  auto data = reinterpret_cast<const BYTE*>(value.bytes.data());
  auto size = static_cast<DWORD>(value.bytes.size());
  LONG rc = value.wide ? RegSetValueExW(key.get(), widetext::FromAnsi(op.valueName).c_str(), 0, value.type, data, size)
                       : RegSetValueExA(key.get(), op.valueName.c_str(), 0, value.type, data, size);
  if (rc != ERROR_SUCCESS) throw RegistryError("Failed to set data for " + op.valueName);
}

std::string ApplicationTitle() {
  std::string name = process::ProgramFilePath();
  size_t slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return name;
}

void ShowPlainMessage(const std::string& text) {
  MessageBoxA(GetActiveWindow(), text.c_str(), ApplicationTitle().c_str(), MB_OK);
}

// The file's text in the ANSI code page; nothing when it cannot be read or is
// too large to be registry data.
std::optional<std::string> ReadRegFileText(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA info{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info)) return std::nullopt;
  if (info.nFileSizeHigh != 0 || info.nFileSizeLow > regfile::kMaxFileSize) return std::nullopt;
  std::optional<std::string> bytes = fileio::ReadWholeFile(path);
  if (!bytes) return std::nullopt;
  if (auto unicode = regfile::UnicodeText(*bytes)) return ToAnsi(*unicode);
  return bytes;
}

}  // namespace

void ImportRegFile(const std::string& regFileName, const TRegImportContext& context) {
  try {
    std::optional<std::string> text = ReadRegFileText(context.SourcePath + regFileName);
    if (!text) return;
    regfile::TRegFileParser parser(*text);
    while (std::optional<Operation> op = parser.Next()) {
      switch (op->kind) {
        case Operation::Kind::Message: {
          std::string message = regfile::MessageText(op->message, regFileName);
          runaccount::Note(message);
          if (context.ShowMessage) context.ShowMessage(message);
          else ShowPlainMessage(message);
          break;
        }
        case Operation::Kind::CreateKey: {
          win32::UniqueKey key;
          OpenOrCreate(op->key, key, context.Log);
          break;
        }
        case Operation::Kind::SetValue: {
          regfile::ValueBytes value = regfile::PrepareValue(*op, context.InstallDir, context.SourcePath);
          win32::UniqueKey key;
          OpenOrCreate(op->key, key, context.Log);
          const std::optional<installlog::Record> record =
              installrecords::RegValueRecord(op->key.rootName, op->key.subKey, op->valueName, value.logData);
          installrecords::Intend(context.Log, record);
          try {
            WriteValue(key, *op, value);
          } catch (...) {
            installrecords::Retract(context.Log, record);
            throw;
          }
          installrecords::Write(context.Log, record);
          if (runaccount::IsOpen()) {
            runaccount::Note("Реестр: " + op->key.rootName + "\\" + op->key.subKey + "\\" + op->valueName);
          }
          break;
        }
      }
    }
  } catch (const std::exception& e) {
    // A refused write or an unwritable log ends this file; the run goes on.
    runaccount::Note("Файл реестра " + regFileName + " импортирован не полностью: " + e.what());
  }
}

void ImportPackageRegFiles(const TIniFile32& setupIni, const std::string& section, const TInst& inst,
                           const std::string& installDir, TIniFile32* log) {
  TRegImportContext context;
  context.SourcePath = inst.SourcePath;
  context.InstallDir = installDir;
  context.Log = log;
  // Nobody to read a message in an unattended run: the account has it.
  if (inst.Quiet) context.ShowMessage = [](const std::string&) {};
  for (const std::string& name : ReadNumberedKeys(setupIni, section, "RegFile")) ImportRegFile(name, context);
}
